#pragma once

#include "platform/CommandMap.h"

class QWidget;

// The menu 显示比例 of 教学(&J): automatic or one of the steps, kept for
// this machine's user and in effect from the next start, which the user is
// told. The check mark stands at the choice kept.
class CDisplayCommands : public CCommandMap
{
public:
    CDisplayCommands();

    // The step a start uses: the one chosen, or the largest at which the
    // main window fits the primary screen's work area.
    static int StartPercent();

    void SetOwner(QWidget* owner) { m_pOwner = owner; }

private:
    // Keeps the choice (0: automatic) and tells the user when it takes effect.
    void Choose(int percent);

    QWidget* m_pOwner = nullptr;
};
