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
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <QPointer>

bool CCourseCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_TEACHING_COURSE_FINGERING:
        OnCourse(CoursePlan::Fingering);
        return true;
    case ID_TEACHING_COURSE_PINYIN:
        OnCourse(CoursePlan::Pinyin);
        return true;
    case ID_TEACHING_COURSE_WUBI:
        OnCourse(CoursePlan::Wubi);
        return true;
    case ID_TEACHING_COURSE_CLASS: {
        // A teacher's windows, also when the command comes by another way
        // than its disabled menu item.
        if (CurrentUser.KindCode != UserKind::Super || !CommandGuard())
            return true;
        CCourseClassDlg progress;
        progress.DoModal();
        return true;
    }
    case ID_TEACHING_COURSE_THRESHOLDS: {
        if (CurrentUser.KindCode != UserKind::Super || !CommandGuard())
            return true;
        CThresholdDlg thresholds;
        thresholds.DoModal();
        return true;
    }
    case ID_TEACHING_WEAKNESS:
    case ID_TEACHING_CLASS_WEAKNESS: {
        // A pupil's own, or a teacher's of a class.
        const bool bClass = nID == ID_TEACHING_CLASS_WEAKNESS;
        if (CurrentUser.KindCode != (bClass ? UserKind::Super : UserKind::Ordinary) ||
            !CommandGuard())
            return true;
        CWeaknessDlg weakness(bClass ? 0 : CurrentUser.RowKey);
        weakness.DoModal();
        return true;
    }
    default:
        return false;
    }
}

bool CCourseCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_COURSE_FINGERING || nID == ID_TEACHING_COURSE_PINYIN ||
           nID == ID_TEACHING_COURSE_WUBI || nID == ID_TEACHING_COURSE_CLASS ||
           nID == ID_TEACHING_COURSE_THRESHOLDS || nID == ID_TEACHING_WEAKNESS ||
           nID == ID_TEACHING_CLASS_WEAKNESS;
}

bool CCourseCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_COURSE_FINGERING:
    case ID_TEACHING_COURSE_PINYIN:
    case ID_TEACHING_COURSE_WUBI:
        cmdUI.Enable(true);
        return true;
    case ID_TEACHING_COURSE_CLASS:
    case ID_TEACHING_COURSE_THRESHOLDS:
    case ID_TEACHING_CLASS_WEAKNESS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    case ID_TEACHING_WEAKNESS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    default:
        return false;
    }
}

void CCourseCommands::OnCourse(const QString& course)
{
    CCourseDlg choose(course);
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
    CLessonScreen* screen = plan.Lesson(lesson)->items.isEmpty()
                                ? static_cast<CLessonScreen*>(new CLessonView(plan, lesson))
                                : new CCodeLessonView(plan, lesson);
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
