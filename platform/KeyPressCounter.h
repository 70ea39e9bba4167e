#pragma once

#include <QAbstractNativeEventFilter>
#include <QtGlobal>

#include <QList>

#include <array>
#include <bitset>
#include <functional>

// The physical key presses QE's own windows receive, counted before an
// input method takes them: the only way to know how many keys a pupil
// pressed for what an input method committed. Counts are kept for the
// program's life; which keys, only for the last few presses, and only
// for the window that asks for them (the practice's).
struct CKeyCounts
{
    qint64 nPresses = 0;
    qint64 nBackspaces = 0;

    CKeyCounts operator-(const CKeyCounts& since) const
    {
        return {nPresses - since.nPresses, nBackspaces - since.nBackspaces};
    }
};

// Watches the xcb key events of the application. A press counts once when
// it reaches a window of the application that has the focus; a key held
// down (auto-repeat, in either form the X server sends it) counts once; Esc
// never counts, for it ends a practice rather than typing in it. Where the
// platform gives no such events (Wayland, the offscreen platform) the
// counter is unavailable and counts nothing.
class CKeyPressCounter : public QAbstractNativeEventFilter
{
public:
    enum : quint32 { KeysymBackSpace = 0xff08, KeysymEscape = 0xff1b };
    // The unshifted keysym of an X keycode.
    using KeysymOf = std::function<quint32(quint8 keycode)>;
    // The X window id of the window that has the focus, 0 for none.
    using FocusedWindow = std::function<quintptr()>;

    CKeyPressCounter(bool bAvailable, KeysymOf keysymOf, FocusedWindow focusedWindow);
    ~CKeyPressCounter() override;

    // The counter of the application: available only once InstallOnXcb()
    // found the xcb platform.
    static CKeyPressCounter& Application();
    // Installs the application's counter when the application runs on xcb.
    static void InstallOnXcb();
    // Makes counter the application's (nullptr restores the default).
    static void SetApplication(CKeyPressCounter* counter);

    bool IsAvailable() const { return m_bAvailable; }
    // The presses counted since the program started.
    CKeyCounts Counts() const { return m_counts; }

    // The keysyms of the presses counted to window since *seen presses had
    // been counted (Counts().nPresses then), oldest first; *seen becomes the
    // count now. Only the last RecentPresses are kept.
    static constexpr int RecentPresses = 64;
    QList<quint32> PressesSince(qint64* seen, quintptr window) const;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void OnPress(quint8 keycode, quint32 time, quint32 window);
    void OnRelease(quint8 keycode, quint32 time);

    bool m_bAvailable;
    KeysymOf m_keysymOf;
    FocusedWindow m_focusedWindow;
    CKeyCounts m_counts;
    struct CPress
    {
        quint32 keysym = 0;
        quintptr window = 0;
    };
    std::array<CPress, RecentPresses> m_recent{};
    std::bitset<256> m_down;
    quint32 m_lastRelease[256] = {};
};
