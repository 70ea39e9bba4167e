#include "app/KeyboardLocks.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

std::optional<KeyboardLocks> ReadKeyboardLocks()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    unsigned state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success)
        return std::nullopt;
    // Indicator 0 is Caps Lock and 1 Num Lock on the usual X keyboard maps.
    return KeyboardLocks{(state & 0x1) != 0, (state & 0x2) != 0};
}
