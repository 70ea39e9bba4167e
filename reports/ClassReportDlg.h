#pragma once

#include "attempts/ClassReport.h"
#include "platform/Dialog.h"

#include <QString>

class CClassReportModel;
class CSession;
class QComboBox;
class QDateEdit;
class QLabel;
class QTreeView;

// 班级成绩报表: one class, one practice kind, a range of days; one row per
// pupil, sortable by any column; a double-click opens the pupil's
// 我的练习记录; the class chart; export as shown to .xlsx, .csv, PDF and
// paper.
class CClassReportDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CClassReportDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // Reads the report for the choices shown on the session's worker and
    // shows it once answered.
    void Refresh();
    // Opens the progress window of the pupil in row (in the order shown).
    void OpenPupil(int row);

    QComboBox* m_comboClass = nullptr;
    QComboBox* m_comboKind = nullptr;
    QComboBox* m_comboRange = nullptr;
    QDateEdit* m_dateFrom = nullptr;
    QDateEdit* m_dateTo = nullptr;
    QTreeView* m_pList = nullptr;
    CClassReportModel* m_pModel = nullptr;
    QLabel* m_wndSummary = nullptr;

private:
    void ShowReport(CClassReport report);
    void ShowSummary();

    const CSession& m_session;
};
