#include "platform/CommandMap.h"

#include <algorithm>

const CCommandMap::Entry* CCommandMap::Find(int nID) const
{
    const auto entry = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                    [nID](const Entry& e) { return e.nID == nID; });
    return entry == m_entries.cend() ? nullptr : &*entry;
}

bool CCommandMap::OnCmdMsg(int nID)
{
    const Entry* entry = Find(nID);
    if (!entry)
        return false;
    entry->run();
    return true;
}

bool CCommandMap::HasCommandHandler(int nID) const
{
    return Find(nID) != nullptr;
}

bool CCommandMap::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    const Entry* entry = Find(cmdUI.m_nID);
    if (!entry || (!entry->enabled && !entry->checked))
        return false;
    if (entry->enabled)
        cmdUI.Enable(entry->enabled());
    if (entry->checked)
        cmdUI.SetCheck(entry->checked());
    return true;
}
