#include "course/CourseCommands.h"

#include "course/CodeLessonView.h"
#include "course/CourseClassDlg.h"
#include "course/CourseDlg.h"
#include "course/LessonView.h"
#include "course/ThresholdDlg.h"
#include "course/WeaknessDlg.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "users/Session.h"

#include <QPointer>

namespace {

// Opens a window for whom allowed() holds, also when the command comes by
// another way than its disabled menu item, behind the database guard.
std::function<void()> OpenFor(const CSession& session, const std::function<bool()>& allowed,
                              std::function<void()> open)
{
    return [allowed, guarded = session.Guarded(std::move(open))] {
        if (allowed())
            guarded();
    };
}

} // namespace

CCourseCommands::CCourseCommands(const CSession& session) : m_session(session)
{
    const std::function<bool()> teacher = [&session] { return session.IsTeacher(); };
    const std::function<bool()> pupil = [&session] { return session.IsPupil(); };
    SetCommands({
        {ID_TEACHING_COURSE_FINGERING, [this] { OnCourse(CoursePlan::Fingering); }},
        {ID_TEACHING_COURSE_PINYIN, [this] { OnCourse(CoursePlan::Pinyin); }},
        {ID_TEACHING_COURSE_WUBI, [this] { OnCourse(CoursePlan::Wubi); }},
        {ID_TEACHING_COURSE_CLASS,
         OpenFor(session, teacher, [&session] { CCourseClassDlg(session).DoModal(); }), teacher},
        {ID_TEACHING_COURSE_THRESHOLDS,
         OpenFor(session, teacher, [&session] { CThresholdDlg(session).DoModal(); }), teacher},
        // A pupil's own weak keys, or a teacher's of a class.
        {ID_TEACHING_WEAKNESS,
         OpenFor(session, pupil,
                 [&session] { CWeaknessDlg(session, session.Account().nKey).DoModal(); }),
         pupil},
        {ID_TEACHING_CLASS_WEAKNESS,
         OpenFor(session, teacher, [&session] { CWeaknessDlg(session, 0).DoModal(); }), teacher},
    });
}

void CCourseCommands::OnCourse(const QString& course)
{
    CCourseDlg choose(m_session, course);
    if (choose.DoModal() != IDOK || choose.ChosenLesson() < 1)
        return;
    StartLesson(choose.ChosenCourse(), choose.ChosenLesson());
}

void CCourseCommands::StartLesson(const QString& course, int lesson,
                                  std::optional<CLessonGoal> goal)
{
    const CCourse& plan = CoursePlan::Course(course);
    if (!m_pView || !plan.Lesson(lesson))
        return;
    if (goal && !goal->Covers(lesson))
        goal.reset();
    // A lesson typed by codes has a screen of its own.
    CLessonScreen* screen =
        plan.Lesson(lesson)->items.isEmpty()
            ? static_cast<CLessonScreen*>(new CLessonView(m_session, plan, lesson))
            : new CCodeLessonView(m_session, plan, lesson);
    screen->SetGoal(goal);
    QPointer<CQeView> view = m_pView;
    screen->SetLeave([view] {
        if (view) {
            view->CloseScreen();
            view->OnResultSeen();
        }
    });
    screen->SetOpenLesson([this, course, goal](int next) { StartLesson(course, next, goal); });
    m_pView->ShowScreen(screen);
}
