#pragma once

#include "platform/CommandTarget.h"

// The commands of the menu 教学(&J) that open the reports: a pupil's own
// record (我的练习记录) and the teacher's class report (班级成绩报表).
class CReportCommands : public ICommandTarget
{
public:
    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;
};
