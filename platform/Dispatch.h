#pragma once

#include <functional>

// Calls a command, button or timer handler. A database exception (or any
// other exception) that escapes it is shown in a box with the stop icon and
// swallowed, so that no exception unwinds through Qt's event loop.
void Dispatch(const std::function<void()>& handler);
