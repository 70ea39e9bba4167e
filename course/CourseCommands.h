#pragma once

#include "platform/CommandTarget.h"

#include <QString>

class CQeView;

// The commands of the menu 教学(&J) around the typing course: 指法课程 and
// 拼音课程 for everybody, 班级课程进度 and 课程过关要求 for teachers. A lesson
// is typed on its own screen in the view.
class CCourseCommands : public ICommandTarget
{
public:
    void SetView(CQeView* pView) { m_pView = pView; }

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

    // Shows a lesson of a course on the view's lesson screen.
    void StartLesson(const QString& course, int lesson);

private:
    void OnCourse(const QString& course);

    CQeView* m_pView = nullptr;
};
