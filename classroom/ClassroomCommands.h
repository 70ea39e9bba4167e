#pragma once

#include "platform/CommandTarget.h"

// The teacher's commands of the menu 教学(&J) around pupils and classes: the
// class list, the import of a class list and the login cards; open to a
// super user only, each behind the database guard.
class CClassroomCommands : public ICommandTarget
{
public:
    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;
};
