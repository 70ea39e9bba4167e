#pragma once

#include "course/CourseStore.h"

#include "platform/CommandMap.h"

#include <QString>

#include <optional>

class CQeView;
class CSession;

// The commands of the menu 教学(&J) around the typing course: 指法课程 and
// 拼音课程 for everybody, 班级课程进度 and 课程过关要求 for teachers. A lesson
// is typed on its own screen in the view.
class CCourseCommands : public CCommandMap
{
public:
    explicit CCourseCommands(const CSession& session);
    void SetView(CQeView* pView) { m_pView = pView; }

    // Shows a lesson of a course on the view's lesson screen.
    // Opens the lesson on the view; goal, when given, is the assignment it
    // was started from (kept for the next lessons it covers).
    void StartLesson(const QString& course, int lesson, std::optional<CLessonGoal> goal = {});

private:
    void OnCourse(const QString& course);

    const CSession& m_session;
    CQeView* m_pView = nullptr;
};
