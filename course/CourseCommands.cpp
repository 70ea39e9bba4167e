#include "course/CourseCommands.h"

#include "course/CodeLessonView.h"
#include "course/CourseClassDlg.h"
#include "course/CourseDlg.h"
#include "course/LessonView.h"
#include "course/ThresholdDlg.h"
#include "platform/Platform.h"
#include "practice/QeView.h"
#include "res/CommandIds.h"
#include "users/Session.h"

#include <QPointer>

CCourseCommands::CCourseCommands(const CSession& session) : m_session(session)
{
    const std::function<bool()> teacher = [&session] { return session.IsTeacher(); };
    SetCommands({
        {ID_TEACHING_COURSE_FINGERING, [this] { OnCourse(CoursePlan::Fingering); }},
        {ID_TEACHING_COURSE_PINYIN, [this] { OnCourse(CoursePlan::Pinyin); }},
        {ID_TEACHING_COURSE_WUBI, [this] { OnCourse(CoursePlan::Wubi); }},
        {ID_TEACHING_COURSE_CLASS,
         session.GuardedFor(teacher, [&session] { CCourseClassDlg(session).DoModal(); }), teacher},
        {ID_TEACHING_COURSE_THRESHOLDS,
         session.GuardedFor(teacher, [&session] { CThresholdDlg(session).DoModal(); }), teacher},
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
