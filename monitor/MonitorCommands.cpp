#include "monitor/MonitorCommands.h"

#include "attempts/LiveProgress.h"
#include "monitor/MonitorDlg.h"
#include "platform/DaoBackground.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/Session.h"

namespace {

// The live view's row of the pupil logged in, on a thread no window waits
// for; a failure is no concern of the pupil's.
void ReportLogin(bool bLeaving)
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db || !CurrentUser.IsOrdinaryLogin())
        return;
    const qint64 key = CurrentUser.RowKey;
    const QString name = CurrentUser.Name;
    const QString className = CurrentUser.Class;
    DaoBackground::Post(db->Target(), [bLeaving, key, name, className](CDaoDatabase& own) {
        if (bLeaving)
            LiveProgress::Leave(own, key);
        else
            LiveProgress::Report(own, key, name, className, LiveProgress::CReport());
    });
}

} // namespace

CMonitorCommands::CMonitorCommands()
{
    SetCommands({{ID_TEACHING_MONITOR, Guarded([] { CMonitorDlg().DoModal(); }),
                  [] { return CurrentUser.KindCode == UserKind::Super; }}});
    CSession& session = CSession::Instance();
    m_loggedIn = QObject::connect(&session, &CSession::loggedIn, [] { ReportLogin(false); });
    m_loggingOff = QObject::connect(&session, &CSession::loggingOff, [] { ReportLogin(true); });
}

CMonitorCommands::~CMonitorCommands()
{
    QObject::disconnect(m_loggedIn);
    QObject::disconnect(m_loggingOff);
}
