#include "reports/ReportCommands.h"

#include "reports/ClassReportDlg.h"
#include "reports/DoubtsDlg.h"
#include "reports/ProgressDlg.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

bool CReportCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_TEACHING_MY_PROGRESS:
        if (CommandGuard()) {
            CProgressDlg progress(CurrentUser.RowKey);
            progress.DoModal();
        }
        return true;
    case ID_TEACHING_CLASS_REPORT:
        if (CommandGuard()) {
            CClassReportDlg report;
            report.DoModal();
        }
        return true;
    case ID_TEACHING_DOUBTS:
        OpenDoubts();
        return true;
    default:
        return false;
    }
}

bool CReportCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_MY_PROGRESS || nID == ID_TEACHING_CLASS_REPORT ||
           nID == ID_TEACHING_DOUBTS;
}

bool CReportCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_MY_PROGRESS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    case ID_TEACHING_CLASS_REPORT:
    case ID_TEACHING_DOUBTS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    default:
        return false;
    }
}
