#pragma once

#include "platform/CommandMap.h"

class CSession;

// The commands of the menu 教学(&J) that open the reports: a pupil's own
// record (我的练习记录), and the teacher's class report (班级成绩报表) and
// results in doubt (可疑成绩).
class CReportCommands : public CCommandMap
{
public:
    explicit CReportCommands(const CSession& session);
};
