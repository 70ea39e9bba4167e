#include "course/KeyboardLayout.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

const CKeyboardLayout& CKeyboardLayout::Standard()
{
    static const CKeyboardLayout layout = [] {
        QFile file(u":/keyboard.json"_s);
        return file.open(QIODevice::ReadOnly) ? FromJson(file.readAll()) : CKeyboardLayout();
    }();
    return layout;
}

CKeyboardLayout CKeyboardLayout::FromJson(const QByteArray& json)
{
    CKeyboardLayout layout;
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    for (const QJsonValue& value : root.value(u"fingers"_s).toArray()) {
        const QJsonObject finger = value.toObject();
        layout.m_fingers.append(
            {finger.value(u"id"_s).toString(), finger.value(u"name"_s).toString(),
             finger.value(u"hand"_s).toString(), QColor(finger.value(u"color"_s).toString())});
    }
    const QJsonObject shift = root.value(u"shift"_s).toObject();
    layout.m_strLeftShift = shift.value(u"left"_s).toString();
    layout.m_strRightShift = shift.value(u"right"_s).toString();
    double y = 0;
    double width = 0;
    for (const QJsonValue& row : root.value(u"rows"_s).toArray()) {
        double x = 0;
        for (const QJsonValue& value : row.toArray()) {
            const QJsonObject key = value.toObject();
            CKeyCap cap;
            cap.strId = key.value(u"id"_s).toString();
            cap.strLabel = key.value(u"label"_s).toString();
            const QString plain = key.value(u"char"_s).toString();
            const QString shifted = key.value(u"shift"_s).toString();
            cap.chPlain = plain.isEmpty() ? QChar() : plain.front();
            cap.chShifted = shifted.isEmpty() ? QChar() : shifted.front();
            const double w = key.value(u"width"_s).toDouble(1.0);
            cap.rect = QRectF(x, y, w, 1.0);
            cap.bBump = key.value(u"bump"_s).toBool();
            const QString finger = key.value(u"finger"_s).toString();
            for (int i = 0; i < layout.m_fingers.size(); ++i) {
                if (layout.m_fingers[i].strId == finger)
                    cap.nFinger = i;
            }
            layout.m_keys.append(cap);
            x += w;
        }
        width = qMax(width, x);
        y += 1.0;
    }
    layout.m_size = QSizeF(width, y);
    return layout;
}

int CKeyboardLayout::KeyIndex(const QString& id) const
{
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].strId == id)
            return i;
    }
    return -1;
}

CKeyStroke CKeyboardLayout::StrokeFor(QChar ch) const
{
    for (int i = 0; i < m_keys.size(); ++i) {
        const CKeyCap& key = m_keys[i];
        if (key.chPlain == ch)
            return {i, -1};
        if (!key.chShifted.isNull() && key.chShifted == ch) {
            // The Shift of the hand that does not type the key.
            const CKeyFinger* finger = FingerOf(i);
            const bool left = finger && finger->strHand == u"left"_s;
            return {i, KeyIndex(left ? m_strRightShift : m_strLeftShift)};
        }
    }
    return {};
}

const CKeyFinger* CKeyboardLayout::FingerOf(int key) const
{
    if (key < 0 || key >= m_keys.size())
        return nullptr;
    const int finger = m_keys[key].nFinger;
    return finger >= 0 && finger < m_fingers.size() ? &m_fingers[finger] : nullptr;
}

QString CKeyboardLayout::FingerText(QChar ch) const
{
    const CKeyStroke stroke = StrokeFor(ch);
    const CKeyFinger* finger = FingerOf(stroke.nKey);
    if (!finger)
        return {};
    if (const CKeyFinger* shift = FingerOf(stroke.nShift))
        return u"%1,同时%2按 Shift"_s.arg(finger->strName, shift->strName);
    return finger->strName;
}
