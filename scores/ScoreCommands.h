#pragma once

#include "platform/CommandTarget.h"

// The commands of the scores: 个人成绩 and 团体成绩 (查詢), clearing one's own
// scores and, for super users, everybody's.
class CScoreCommands : public ICommandTarget
{
public:
    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;
};
