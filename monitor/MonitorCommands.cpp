#include "monitor/MonitorCommands.h"

#include "attempts/LiveProgress.h"
#include "monitor/MonitorDlg.h"
#include "res/CommandIds.h"
#include "users/AfterLogin.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

namespace {

// The live view's row of the pupil logged in; a failure is no concern of
// the pupil's.
void ReportLogin(bool bLeaving)
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db || !CurrentUser.IsOrdinaryLogin())
        return;
    try {
        if (bLeaving)
            LiveProgress::Leave(*db, CurrentUser.RowKey);
        else
            LiveProgress::Report(*db, CurrentUser.RowKey, CurrentUser.Name, CurrentUser.Class,
                                 LiveProgress::CReport());
    } catch (const CDaoException&) {
    }
}

} // namespace

CMonitorCommands::CMonitorCommands()
{
    m_nLoginNotice = AfterLogin::Add([] { ReportLogin(false); });
    m_nLogOffNotice = BeforeLogOff::Add([] { ReportLogin(true); });
}

CMonitorCommands::~CMonitorCommands()
{
    AfterLogin::Remove(m_nLoginNotice);
    BeforeLogOff::Remove(m_nLogOffNotice);
}

bool CMonitorCommands::OnCmdMsg(int nID)
{
    if (nID != ID_TEACHING_MONITOR)
        return false;
    if (CommandGuard()) {
        CMonitorDlg monitor;
        monitor.DoModal();
    }
    return true;
}

bool CMonitorCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_MONITOR;
}

bool CMonitorCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    if (cmdUI.m_nID != ID_TEACHING_MONITOR)
        return false;
    cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
    return true;
}
