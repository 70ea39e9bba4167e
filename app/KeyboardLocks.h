#pragma once

#include <optional>

// The Caps Lock and Num Lock indicators of the X keyboard; empty where the
// platform cannot tell (no X display, e.g. offscreen).
struct KeyboardLocks
{
    bool bCapsLock = false;
    bool bNumLock = false;
};

std::optional<KeyboardLocks> ReadKeyboardLocks();
