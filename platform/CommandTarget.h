#pragma once

// The state of a command's menu item or tool bar button, as an update
// handler sets it.
class CCmdUI
{
public:
    explicit CCmdUI(int nID) : m_nID(nID) {}
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(bool bOn = true) { m_bChecked = bOn; }

    int m_nID;
    bool m_bEnabled = true;
    bool m_bChecked = false;
};

// One link of the command route (view, document, frame, application). A
// command goes to the first link with a handler for it; its state comes from
// the first link with an update handler, and without one it is enabled
// exactly when some link handles the command.
class ICommandTarget
{
public:
    virtual ~ICommandTarget() = default;
    // Runs the handler of nID; false when this link has none.
    virtual bool OnCmdMsg(int nID) = 0;
    virtual bool HasCommandHandler(int nID) const = 0;
    // Sets the command's state; false when this link has no update handler.
    virtual bool OnUpdateCmdUI(CCmdUI& cmdUI) = 0;
};
