#include "platform/KeyPressCounter.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <memory>

namespace {

CKeyPressCounter& Unavailable()
{
    static CKeyPressCounter counter(
        false, [](quint8) { return quint32(0); }, [] { return quintptr(0); });
    return counter;
}

CKeyPressCounter*& Current()
{
    static CKeyPressCounter* counter = nullptr;
    return counter;
}

quintptr FocusedWindowId()
{
    const QWindow* window = QGuiApplication::focusWindow();
    return window ? quintptr(window->winId()) : 0;
}

} // namespace

CKeyPressCounter::CKeyPressCounter(bool bAvailable, KeysymOf keysymOf, FocusedWindow focusedWindow)
    : m_bAvailable(bAvailable), m_keysymOf(std::move(keysymOf)),
      m_focusedWindow(std::move(focusedWindow))
{
}

CKeyPressCounter::~CKeyPressCounter()
{
    if (Current() == this)
        Current() = nullptr;
}

CKeyPressCounter& CKeyPressCounter::Application()
{
    return Current() ? *Current() : Unavailable();
}

void CKeyPressCounter::SetApplication(CKeyPressCounter* counter)
{
    Current() = counter;
}

void CKeyPressCounter::InstallOnXcb()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    // The key symbols follow the keyboard mapping the server has now.
    std::shared_ptr<xcb_key_symbols_t> symbols(xcb_key_symbols_alloc(x11->connection()),
                                               xcb_key_symbols_free);
    static CKeyPressCounter counter(
        true,
        [symbols](quint8 keycode) {
            return quint32(xcb_key_symbols_get_keysym(symbols.get(), keycode, 0));
        },
        FocusedWindowId);
    SetApplication(&counter);
    qGuiApp->installNativeEventFilter(&counter);
}

bool CKeyPressCounter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_bAvailable || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_KEY_PRESS: {
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        OnPress(key->detail, key->time, key->event);
        break;
    }
    case XCB_KEY_RELEASE: {
        const auto* key = static_cast<const xcb_key_release_event_t*>(message);
        OnRelease(key->detail, key->time);
        break;
    }
    case XCB_FOCUS_OUT:
        // Keys released while another window has the focus are never seen.
        m_down.reset();
        break;
    default:
        break;
    }
    return false; // the event goes on to Qt and the input method unchanged
}

void CKeyPressCounter::OnPress(quint8 keycode, quint32 time, quint32 window)
{
    // A press without a release in between, or right after a release of the
    // same moment, is the key held down.
    const bool repeat =
        m_down[keycode] || (m_lastRelease[keycode] != 0 && m_lastRelease[keycode] == time);
    m_down[keycode] = true;
    if (repeat || window == 0 || m_focusedWindow() != quintptr(window))
        return;
    const quint32 keysym = m_keysymOf(keycode);
    if (keysym == KeysymEscape)
        return;
    m_recent[m_counts.nPresses % RecentPresses] = {keysym, quintptr(window)};
    ++m_counts.nPresses;
    if (keysym == KeysymBackSpace)
        ++m_counts.nBackspaces;
}

QList<quint32> CKeyPressCounter::PressesSince(qint64* seen, quintptr window) const
{
    QList<quint32> keysyms;
    const qint64 last = m_counts.nPresses;
    for (qint64 n = std::max(*seen, last - RecentPresses); n < last; ++n) {
        const CPress& press = m_recent[n % RecentPresses];
        if (press.window == window)
            keysyms.append(press.keysym);
    }
    *seen = last;
    return keysyms;
}

void CKeyPressCounter::OnRelease(quint8 keycode, quint32 time)
{
    m_down[keycode] = false;
    m_lastRelease[keycode] = time;
}
