#include "coaching/CoachingCommands.h"

#include "coaching/SmartDrill.h"
#include "coaching/WeaknessDlg.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "users/Database.h"
#include "users/Session.h"

CCoachingCommands::CCoachingCommands(const CSession& session) : m_session(session)
{
    const std::function<bool()> teacher = [&session] { return session.IsTeacher(); };
    const std::function<bool()> pupil = [&session] { return session.IsPupil(); };
    SetCommands({
        {ID_TEACHING_WEAKNESS,
         session.GuardedFor(
             pupil, [&session] { CWeaknessDlg(session, session.Account().nKey).DoModal(); }),
         pupil},
        {ID_TEACHING_CLASS_WEAKNESS,
         session.GuardedFor(teacher, [&session] { CWeaknessDlg(session, 0).DoModal(); }), teacher},
        {ID_TEACHING_SMART, [this] { OnSmartDrill(); }, pupil},
    });
}

void CCoachingCommands::OnSmartDrill()
{
    if (!m_pView)
        return;
    if (!m_session.GuardedDatabase())
        return;
    // The side the pupil practised last, read and made on the worker.
    const qint64 userKey = m_session.Account().nKey;
    const auto seed = quint32(Platform().MonotonicMilliseconds());
    m_session.Ask<CPracticeScreen>(
        m_pView,
        [userKey, seed](CDaoDatabase& own) {
            return SmartDrill::Screen(own, userKey, SmartDrill::LatestWasChinese(own, userKey),
                                      seed);
        },
        [this](const CPracticeScreen& screen) { m_pView->LoadScreen(screen); },
        [](const CDaoException& e) { ReportDaoError(e); });
}
