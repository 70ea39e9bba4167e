#pragma once

#include "attempts/PracticeTime.h"
#include "documents/ExportTable.h"
#include "platform/Dialog.h"

class CListCtrl;
class CSession;
class QComboBox;
class QDateEdit;

// 练习时间: the pupils of a class in a week (the week of the day chosen),
// with the minutes, days and sessions they practised and the median
// session's length, those who did not practise first; exported and printed
// as the class report is.
class CPracticeTimeDlg : public CDialog
{
    Q_OBJECT
public:
    explicit CPracticeTimeDlg(const CSession& session, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    // The Monday of the week shown.
    QDate Monday() const;
    CExportTable ExportTable() const;

    CListCtrl* m_listPupils = nullptr;
    QComboBox* m_comboClass = nullptr;
    QDateEdit* m_dateWeek = nullptr;

private:
    void Refresh();
    void Show(QList<CPracticeWeek> weeks);

    const CSession& m_session;
    QList<CPracticeWeek> m_weeks;
};
