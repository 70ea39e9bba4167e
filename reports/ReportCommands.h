#pragma once

#include "platform/CommandTarget.h"

// The commands of the menu 教学(&J), one link of the command route beside
// the described ones.
class CTeachingCommands : public ICommandTarget
{
public:
    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;
};
