#include "monitor/MonitorCommands.h"

#include "attempts/LiveProgress.h"
#include "monitor/MonitorDlg.h"
#include "res/CommandIds.h"
#include "users/Session.h"

namespace {

// The live view's row of the pupil logged in, on the session's worker,
// which no window waits for; a failure is no concern of the pupil's.
void ReportLogin(const CSession& session, bool bLeaving)
{
    if (!session.IsOwnLogin())
        return;
    const qint64 key = session.Account().nKey;
    const QString name = session.Account().strName;
    const QString className = session.Account().strClass;
    session.Post([bLeaving, key, name, className](CDaoDatabase& own) {
        if (bLeaving)
            LiveProgress::Leave(own, key);
        else
            LiveProgress::Report(own, key, name, className, LiveProgress::CReport());
    });
}

} // namespace

CMonitorCommands::CMonitorCommands(const CSession& session)
{
    SetCommands(
        {{ID_TEACHING_MONITOR, session.Guarded([&session] { CMonitorDlg(session).DoModal(); }),
          [&session] { return session.IsTeacher(); }}});
    m_loggedIn = QObject::connect(&session, &CSession::loggedIn,
                                  [&session] { ReportLogin(session, false); });
    m_loggingOff = QObject::connect(&session, &CSession::loggingOff,
                                    [&session] { ReportLogin(session, true); });
}

CMonitorCommands::~CMonitorCommands()
{
    QObject::disconnect(m_loggedIn);
    QObject::disconnect(m_loggingOff);
}
