#pragma once

#include "monitor/AssignmentStore.h"
#include "platform/Dialog.h"

class CListCtrl;
class CSession;
class QComboBox;

// 作业完成情况: one class's pupils with their status, figures and when they
// were done; exported like the class report.
class CAssignmentReportDlg : public CDialog
{
    Q_OBJECT
public:
    CAssignmentReportDlg(const CSession& session, const CAssignment& assignment,
                         QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnCommand(int nID) override;

    QComboBox* m_comboClass = nullptr;
    CListCtrl* m_listPupils = nullptr;
    const QList<CAssignmentRow>& Rows() const { return m_rows; }

private:
    // Reads the class's rows on the session's worker and shows them once
    // answered; a window that never showed any closes when they cannot be
    // read.
    void Reload();
    void Fill();
    QString ClassName() const;

    const CSession& m_session;
    CAssignment m_assignment;
    QList<CAssignmentRow> m_rows;
    bool m_bShown = false;
};
