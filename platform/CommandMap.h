#pragma once

#include "platform/CommandTarget.h"

#include <QList>

#include <functional>

// A link of the command route whose commands are a table: each id with what
// it runs and, when its state depends on something, whether it is enabled
// and whether its menu item bears a check mark.
class CCommandMap : public ICommandTarget
{
public:
    struct Entry
    {
        int nID;
        std::function<void()> run;
        std::function<bool()> enabled = {}; // none: enabled while handled
        std::function<bool()> checked = {}; // none: never checked
    };

    CCommandMap() = default;
    CCommandMap(const CCommandMap&) = delete; // the entries may hold this
    CCommandMap& operator=(const CCommandMap&) = delete;

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

protected:
    void SetCommands(QList<Entry> entries) { m_entries = std::move(entries); }

private:
    const Entry* Find(int nID) const;

    QList<Entry> m_entries;
};
