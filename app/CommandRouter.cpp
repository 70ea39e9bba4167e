#include "app/CommandRouter.h"

#include "platform/Dispatch.h"

bool CCommandRouter::Execute(int nID) const
{
    for (ICommandTarget* target : m_route) {
        if (target->HasCommandHandler(nID)) {
            Dispatch([target, nID] { target->OnCmdMsg(nID); });
            return true;
        }
    }
    return false;
}

CCmdUI CCommandRouter::Query(int nID) const
{
    CCmdUI cmdUI(nID);
    for (ICommandTarget* target : m_route) {
        if (target->OnUpdateCmdUI(cmdUI))
            return cmdUI;
    }
    bool handled = false;
    for (const ICommandTarget* target : m_route)
        handled = handled || target->HasCommandHandler(nID);
    cmdUI.Enable(handled);
    return cmdUI;
}
