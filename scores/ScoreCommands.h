#pragma once

#include "platform/CommandMap.h"

// The commands of the scores: 个人成绩 and 团体成绩 (查詢), clearing one's own
// scores and, for super users, everybody's.
class CScoreCommands : public CCommandMap
{
public:
    CScoreCommands();
};
