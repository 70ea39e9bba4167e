#pragma once

#include "platform/CommandTarget.h"

class QWidget;

// The menu 显示比例 of 教学(&J): automatic or one of the steps, kept for
// this machine's user and in effect from the next start, which the user is
// told. The check mark stands at the choice kept.
class CDisplayCommands : public ICommandTarget
{
public:
    // The step a start uses: the one chosen, or the largest at which the
    // main window fits the primary screen's work area.
    static int StartPercent();

    void SetOwner(QWidget* owner) { m_pOwner = owner; }

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

private:
    QWidget* m_pOwner = nullptr;
};
