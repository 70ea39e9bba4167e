#pragma once

#include "platform/KeyPressCounter.h"

#include <QString>

#include <xcb/xcb.h>

// Key events as the X server sends them, for the key press counter.
namespace XcbKeys {

// X keycodes of a PC keyboard (evdev).
inline constexpr quint8 BackSpace = 22;
inline constexpr quint8 Escape = 9;
inline constexpr quint32 OtherWindow = 0x600003;

// The keysyms of a US keyboard's keycodes: the letters, the digits, Space,
// Shift, Backspace and Esc; any other is a key that shows nothing.
inline quint32 KeysymOf(quint8 keycode)
{
    static const char Letters[] = "qwertyuiop\0\0\0\0asdfghjkl\0\0\0\0\0zxcvbnm";
    switch (keycode) {
    case BackSpace:
        return CKeyPressCounter::KeysymBackSpace;
    case Escape:
        return CKeyPressCounter::KeysymEscape;
    case 50:
        return 0xffe1; // Shift
    case 65:
        return 0x20;
    default:
        break;
    }
    if (keycode >= 10 && keycode <= 19)
        return keycode == 19 ? u'0' : u'1' + (keycode - 10);
    if (keycode >= 24 && keycode < 24 + sizeof Letters - 1 && Letters[keycode - 24])
        return quint32(Letters[keycode - 24]);
    return 0x1000 + keycode;
}

// Sends counter the events: "p38@100" a press of keycode 38 at 100 ms to
// window, "r38@160" its release, "P38@100" a press to another window.
inline void Deliver(CKeyPressCounter& counter, const QString& events, quint32 window)
{
    for (const QString& event : events.split(u' ', Qt::SkipEmptyParts)) {
        const auto at = event.indexOf(u'@');
        xcb_key_press_event_t key{};
        const QChar kind = event.front();
        key.response_type = kind == u'r' ? XCB_KEY_RELEASE : XCB_KEY_PRESS;
        key.detail = quint8(event.mid(1, at - 1).toInt());
        key.time = event.mid(at + 1).toUInt();
        key.event = kind == u'P' ? OtherWindow : window;
        counter.nativeEventFilter("xcb_generic_event_t", &key, nullptr);
    }
}

// count different keys, each pressed and let go.
inline QString Presses(int count)
{
    QStringList events;
    for (int i = 0; i < count; ++i)
        events << QStringLiteral("p%1@%2 r%1@%3").arg(24 + i % 20).arg(i * 100).arg(i * 100 + 50);
    return events.join(u' ');
}

} // namespace XcbKeys
