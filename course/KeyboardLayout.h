#pragma once

#include <QColor>
#include <QList>
#include <QRectF>
#include <QString>

// The main block of the standard US keyboard, as res/keyboard.json gives
// it: each key's place in key units (one unit is a letter key's width), its
// characters and the finger that types it. The same layout is printed on
// the keyboards of Chinese labs.
struct CKeyFinger
{
    QString strId; // "L5" (left little finger) ... "R5", "T" (the thumbs)
    QString strName;
    QString strHand; // "left", "right" or "both"
    QColor color;
};

struct CKeyCap
{
    QString strId;    // the character for a character key, else a name ("LShift")
    QString strLabel; // what the key shows when it is not its characters
    QChar chPlain;    // typed without Shift; null for keys that type none
    QChar chShifted;  // typed with Shift
    QRectF rect;      // in key units
    int nFinger = -1; // index into Fingers(); -1 for keys no lesson uses
    bool bBump = false;
};

// Where a character is typed: its key and, for a shifted character, the
// Shift key of the other hand.
struct CKeyStroke
{
    int nKey = -1;
    int nShift = -1;

    bool IsValid() const { return nKey >= 0; }
};

class CKeyboardLayout
{
public:
    // The layout of the resources, read once.
    static const CKeyboardLayout& Standard();
    // A layout from the text of a layout file; empty when it cannot be read.
    static CKeyboardLayout FromJson(const QByteArray& json);

    const QList<CKeyCap>& Keys() const { return m_keys; }
    const QList<CKeyFinger>& Fingers() const { return m_fingers; }
    // The whole block in key units.
    QSizeF Size() const { return m_size; }

    int KeyIndex(const QString& id) const;
    CKeyStroke StrokeFor(QChar ch) const;
    // The finger of a key, null for a key without one.
    const CKeyFinger* FingerOf(int key) const;
    // The finger in words for typing ch: "左手食指", with the Shift named
    // when it needs one ("左手食指,同时右手小指按 Shift"); empty for a
    // character the block does not type.
    QString FingerText(QChar ch) const;
    int BackspaceKey() const { return KeyIndex(QStringLiteral("Backspace")); }

private:
    QList<CKeyCap> m_keys;
    QList<CKeyFinger> m_fingers;
    QSizeF m_size;
    QString m_strLeftShift;
    QString m_strRightShift;
};
