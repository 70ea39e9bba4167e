#include "monitor/AssignmentCommands.h"

#include "coaching/CoachingCommands.h"
#include "course/CourseCommands.h"
#include "monitor/AssignmentsDlg.h"
#include "monitor/MyAssignmentsDlg.h"
#include "monitor/TodayDlg.h"
#include "exams/ExamCommands.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "texts/DrillDlg.h"
#include "texts/TextCommands.h"
#include "texts/TextScreens.h"
#include "texts/TextStore.h"
#include "users/Database.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

CAssignmentCommands::CAssignmentCommands(const CSession& session) : m_session(session)
{
    const auto pupil = [&session] { return session.IsOwnLogin(); };
    SetCommands({
        {ID_TEACHING_ASSIGNMENTS,
         session.Guarded([&session] { CAssignmentsDlg(session).DoModal(); }),
         [&session] { return session.IsTeacher(); }},
        {ID_TEACHING_MY_ASSIGNMENTS, session.Guarded([this] { ShowMyAssignments(); }), pupil},
        {ID_TEACHING_TODAY, session.Guarded([this] { ShowToday(); }), pupil},
    });
    m_loggedIn = QObject::connect(&session, &CSession::loggedIn, [this] { OfferToday(true); });
}

CAssignmentCommands::~CAssignmentCommands()
{
    QObject::disconnect(m_loggedIn);
}

void CAssignmentCommands::SetView(CQeView* pView)
{
    m_pView = pView;
    if (pView)
        QObject::connect(pView, &CQeView::resultSeen, pView, [this] { OfferToday(false); });
}

void CAssignmentCommands::OfferToday(bool bAfterLogin)
{
    if (!m_session.IsOwnLogin() || !m_pView || !m_session.Database())
        return;
    // After the login always (the next lesson at least); after a result
    // only when an exam or an assignment still waits. The worker reads the
    // tasks once, and the window shows what it read.
    const CAccount pupil = m_session.Account();
    m_session.Ask<CToday>(
        m_pView, [pupil](CDaoDatabase& own) { return LoadToday(own, pupil); },
        [this, bAfterLogin](CToday today) {
            if (bAfterLogin || today.HasWork(Platform().CurrentDateTime().date()))
                ShowToday(std::move(today));
        },
        [this, bAfterLogin](const CDaoException&) {
            // After a result it waits until the pupil opens 今日任务; after
            // the login the window reads again and says why it cannot.
            if (bAfterLogin)
                ShowToday();
        });
}

void CAssignmentCommands::ShowToday(std::optional<CToday> read)
{
    CTodayDlg today(m_session, m_pView);
    if (read)
        today.SetToday(std::move(*read));
    if (today.DoModal() != IDOK || !m_pView)
        return;
    const CTodayTask& task = today.Chosen();
    switch (task.kind) {
    case CTodayTask::Kind::Exam:
        m_pView->LoadScreen(ExamScreen(task.exam));
        break;
    case CTodayTask::Kind::Assignment:
        Start(task.assignment.assignment, task.assignment.status);
        break;
    case CTodayTask::Kind::Lesson:
        if (m_pCourse)
            m_pCourse->StartLesson(task.strCourse, task.nLesson);
        break;
    case CTodayTask::Kind::Smart:
        LoadSmartDrill(m_session, m_pView, task.bChinese);
        break;
    }
}

void CAssignmentCommands::ShowMyAssignments()
{
    CMyAssignmentsDlg mine(m_session, m_pView);
    if (mine.DoModal() != IDOK)
        return;
    Start(mine.Chosen().assignment, mine.Chosen().status);
}

void CAssignmentCommands::Start(const CAssignment& assignment, const CAssignmentStatus& status)
{
    if (!m_pView)
        return;
    switch (assignment.nTask) {
    case AssignmentTask::Lessons:
        if (m_pCourse)
            m_pCourse->StartLesson(
                assignment.strCourse,
                status.nNextLesson != 0 ? status.nNextLesson : assignment.nLessonFrom,
                CLessonGoal{assignment.strTitle, assignment.nLessonFrom, assignment.nLessonTo,
                            assignment.dMinSpeed, assignment.nMinAccuracy});
        break;
    case AssignmentTask::TextScreen:
        m_session.Ask<std::optional<CPracticeText>>(
            m_pView,
            [textId = assignment.nTextId](CDaoDatabase& own) {
                return TextStore::LoadText(own, textId);
            },
            [this, screen = assignment.nScreen](const std::optional<CPracticeText>& text) {
                if (!text) {
                    Platform().MessageBox(m_pView, u"作业用的文章已不在文章库中,请告诉老师。"_s,
                                          u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
                    return;
                }
                m_pView->LoadScreen(TextScreen(*text, screen));
            },
            ReportDaoError);
        break;
    default: {
        CDrillDlg drill(m_session, m_session.Account().nKey,
                        quint32(Platform().MonotonicMilliseconds()), assignment.nKind, m_pView);
        if (drill.DoModal() != IDOK)
            return;
        m_pView->LoadScreen(DrillScreen(drill.Kind(), drill.ScreenText(), Drill::Title));
        break;
    }
    }
}
