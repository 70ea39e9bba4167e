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
    // The side the pupil practised last.
    if (m_pView && m_session.GuardedDatabase())
        LoadSmartDrill(m_session, m_pView, std::nullopt);
}

void LoadSmartDrill(const CSession& session, CQeView* view, std::optional<bool> bChinese)
{
    const qint64 userKey = session.Account().nKey;
    const auto seed = quint32(Platform().MonotonicMilliseconds());
    session.Ask<CPracticeScreen>(
        view,
        [userKey, bChinese, seed](CDaoDatabase& own) {
            return SmartDrill::Screen(
                own, userKey, bChinese ? *bChinese : SmartDrill::LatestWasChinese(own, userKey),
                seed);
        },
        [view](const CPracticeScreen& screen) { view->LoadScreen(screen); }, ReportDaoError);
}
