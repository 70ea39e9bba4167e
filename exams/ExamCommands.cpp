#include "exams/ExamCommands.h"

#include "attempts/PendingResults.h"
#include "attempts/ResultStore.h"
#include "exams/ExamsDlg.h"
#include "exams/TakeExamDlg.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PendingInterval = 60 * 1000;

} // namespace

CExamCommands::CExamCommands(const CSession& session) : m_session(session), m_runner(session)
{
    SetCommands({
        {ID_TEACHING_EXAMS, session.Guarded([&session] { CExamsDlg(session).DoModal(); }),
         [&session] { return session.IsTeacher(); }},
        {ID_TEACHING_TAKE_EXAM, session.Guarded([this] { OnTakeExam(); }),
         [&session] { return session.IsPupil(); }},
    });
    m_loggedIn = QObject::connect(&session, &CSession::loggedIn, [this] { OnLoggedIn(); });
    m_pendingTimer.setInterval(PendingInterval);
    QObject::connect(&m_pendingTimer, &QTimer::timeout, &m_pendingTimer,
                     [&session] { StorePendingResults(session); });
}

CExamCommands::~CExamCommands()
{
    QObject::disconnect(m_loggedIn);
}

void CExamCommands::SetView(CQeView* pView)
{
    m_pView = pView;
    m_runner.SetOwner(pView);
    if (pView)
        pView->SetExamHost(&m_runner);
    m_pendingTimer.start();
}

void CExamCommands::StorePendingResults(const CSession& session)
{
    // Each pupil's kept results are stored under that pupil's own login, on
    // a thread no window waits for: a server that does not answer freezes
    // nothing.
    if (!session.IsOwnLogin())
        return;
    const qint64 userKey = session.Account().nKey;
    CResultStore(session).StoreKept(userKey, [&session, userKey](const QStringList& refusals) {
        // The pupil is told while still the one logged in.
        if (session.Account().nKey != userKey)
            return;
        Platform().MessageBox(
            nullptr,
            u"本机保存的考试成绩没有被数据库接受,老师可以看到原因:\n%1"_s.arg(refusals.join(u'\n')),
            u"考试"_s, MB_OK | MB_ICONEXCLAMATION);
    });
}

void CExamCommands::OnLoggedIn()
{
    // The results kept on this machine go to the database at the pupil's
    // login; an open exam is offered by 今日任务.
    if (m_session.IsOwnLogin() && m_pView)
        StorePendingResults(m_session);
}

void CExamCommands::OnTakeExam()
{
    StorePendingResults(m_session);
    CTakeExamDlg take(m_session);
    if (take.DoModal() != IDOK || !m_pView)
        return;
    LoadExam(take.ChosenExam());
}

CPracticeScreen ExamScreen(const CExam& exam)
{
    // The screen itself comes with the sitting's start.
    CPracticeScreen screen;
    screen.nKind = exam.nKind;
    screen.nScreen = exam.nScreen;
    screen.strTitle = exam.strTitle;
    screen.nTextId = exam.nTextId;
    screen.nExamId = exam.nId;
    screen.nTimeLimitSeconds = exam.nMinutes * 60;
    screen.bBackspaceAllowed = exam.bBackspaceAllowed;
    screen.bRetakeAllowed = exam.bRetakeAllowed;
    if (exam.competition)
        screen.strCompetitionRule = CompetitionRules::ScoringRule(exam.competition->nScoring);
    return screen;
}

void CExamCommands::LoadExam(const CExam& exam)
{
    m_pView->LoadScreen(ExamScreen(exam));
}
