#include "course/KeyboardView.h"

#include <QPainter>
#include <QPaintEvent>
#include <QTimerEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QColor NextBorder(0x1f, 0x4e, 0xd8);
const QColor NextFill(0xff, 0xf1, 0x76);
const QColor WrongFill(0xe5, 0x39, 0x35);
const QColor CorrectionFill(0xff, 0xa7, 0x26);
constexpr double Gap = 0.08; // between keys, in key units

} // namespace

CKeyboardView::CKeyboardView(const CKeyboardLayout& layout, QWidget* parent)
    : QWidget(parent), m_layout(layout)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMinimumSize(300, 120);
    PlaceKeys();
}

int CKeyboardView::FingerLineHeight() const
{
    return qMax(16, height() / 9);
}

double CKeyboardView::Unit() const
{
    const QSizeF size = m_layout.Size();
    if (size.isEmpty())
        return 1;
    const int room = height() - FingerLineHeight();
    return std::floor(qMin(width() / size.width(), room / size.height()));
}

QPointF CKeyboardView::Origin() const
{
    const double unit = Unit();
    const QSizeF size = m_layout.Size() * unit;
    const int room = height() - FingerLineHeight();
    return {std::floor((width() - size.width()) / 2), std::floor((room - size.height()) / 2)};
}

void CKeyboardView::PlaceKeys()
{
    m_keyImages.clear();
    m_fingerImages.clear();
    m_fingerWidths.clear();
    const double unit = Unit();
    const QPointF origin = Origin();
    m_keyRects.clear();
    for (const CKeyCap& key : m_layout.Keys()) {
        const QRectF units = key.rect.adjusted(Gap / 2, Gap / 2, -Gap / 2, -Gap / 2);
        m_keyRects.append(
            QRectF(origin + units.topLeft() * unit, units.size() * unit).toAlignedRect());
    }
}

QRect CKeyboardView::KeyRect(int key) const
{
    return m_keyRects.value(key);
}

QRect CKeyboardView::FingerRect() const
{
    return QRect(0, height() - FingerLineHeight(), width(), FingerLineHeight());
}

void CKeyboardView::UpdateKey(int key)
{
    if (key >= 0)
        update(KeyRect(key));
}

void CKeyboardView::SetNext(QChar ch)
{
    const CKeyStroke stroke = ch.isNull() ? CKeyStroke() : m_layout.StrokeFor(ch);
    if (stroke.nKey == m_nNext && stroke.nShift == m_nNextShift)
        return;
    UpdateKey(m_nNext);
    UpdateKey(m_nNextShift);
    m_nNext = stroke.nKey;
    m_nNextShift = stroke.nShift;
    UpdateKey(m_nNext);
    UpdateKey(m_nNextShift);
    const QString finger = ch.isNull() ? QString() : m_layout.FingerText(ch);
    const CKeyFinger* pFinger = m_layout.FingerOf(m_nNext);
    if (finger != m_strFinger) {
        // Only where the old words were and the new ones go.
        const QRect old = FingerTextRect(m_strFinger);
        m_strFinger = finger;
        m_fingerColor = pFinger ? pFinger->color : QColor();
        update(old.united(FingerTextRect(m_strFinger)));
    }
}

QRect CKeyboardView::LegendRoom(int key) const
{
    // Under the letter in the corner, above the bump of F and J, which runs
    // along the key's foot.
    const QRect rect = KeyRect(key);
    return rect.adjusted(2, rect.height() / 5 + 2, -2,
                         m_layout.Keys()[key].bBump ? -rect.height() / 8 : -2);
}

int CKeyboardView::LegendFit(const QString& legend, const QRect& room, int* perRow)
{
    // In one, two or three rows, whichever lets the glyphs be largest
    // (rows of CJK set 1.2 times their pixel size apart).
    int size = 0;
    *perRow = int(legend.size());
    for (int rowCount = 1; rowCount <= 3; ++rowCount) {
        const int across = int((legend.size() + rowCount - 1) / rowCount);
        const int fits = qMin(int(room.height() / (1.2 * rowCount)), room.width() / across);
        if (fits > size) {
            size = fits;
            *perRow = across;
        }
    }
    return size;
}

int CKeyboardView::LegendPixelSize(int key) const
{
    int perRow = 0;
    const QString legend = LegendOf(key);
    return legend.isEmpty() ? 0 : qMax(7, LegendFit(legend, LegendRoom(key), &perRow));
}

void CKeyboardView::SetLegends(const QHash<int, QString>& legends)
{
    m_legends = legends;
    m_keyImages.clear();
    update();
}

void CKeyboardView::SetCode(const QString& letters)
{
    QList<int> keys;
    for (const QChar ch : letters) {
        const int key = m_layout.StrokeFor(ch).nKey;
        if (key >= 0 && !keys.contains(key))
            keys.append(key);
    }
    if (keys == m_codeKeys)
        return;
    for (const int key : std::as_const(m_codeKeys))
        UpdateKey(key);
    m_codeKeys = keys;
    for (const int key : std::as_const(m_codeKeys))
        UpdateKey(key);
}

void CKeyboardView::ShowWrong(QChar typed)
{
    ClearWrong();
    m_nWrong = m_layout.StrokeFor(typed).nKey;
    if (m_nWrong < 0)
        return;
    UpdateKey(m_nWrong);
    m_nWrongTimer = startTimer(WrongMs);
}

void CKeyboardView::ClearWrong()
{
    if (m_nWrongTimer) {
        killTimer(m_nWrongTimer);
        m_nWrongTimer = 0;
    }
    UpdateKey(m_nWrong);
    m_nWrong = -1;
}

void CKeyboardView::SetCorrection(bool bOn)
{
    if (bOn == m_bCorrection)
        return;
    m_bCorrection = bOn;
    UpdateKey(m_layout.BackspaceKey());
}

CKeyboardView::KeyState CKeyboardView::StateOf(int key) const
{
    if (key < 0)
        return KeyState::Plain;
    if (key == m_nWrong)
        return KeyState::Wrong;
    if (m_bCorrection && key == m_layout.BackspaceKey())
        return KeyState::Correct;
    if (!m_bCorrection && (key == m_nNext || key == m_nNextShift || m_codeKeys.contains(key)))
        return KeyState::Next;
    return KeyState::Plain;
}

void CKeyboardView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nWrongTimer)
        ClearWrong();
}

void CKeyboardView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceKeys();
    update();
}

void CKeyboardView::paintEvent(QPaintEvent* event)
{
    // The region, not its bounding rectangle: two keys apart and the
    // finger's line ask for little of the keyboard between them.
    const QRegion& dirty = event->region();
    if (m_keyImages.isEmpty()) {
        // Every key plain and lit, drawn at the first paint of this size:
        // a keystroke then only copies images, never waits for one drawn.
        for (int key = 0; key < m_keyRects.size(); ++key) {
            KeyImage(key, KeyState::Plain);
            KeyImage(key, KeyState::Next);
        }
    }
    // The images are copied only where they meet the dirty rectangles (the
    // finger's line is as wide as the keyboard), and only what no image
    // covers is filled: a key's own rectangle is all image.
    QPainter painter(this);
    QRegion uncovered = dirty;
    for (const QRect& rect : dirty) {
        for (int key = 0; key < m_keyRects.size(); ++key) {
            const QRect shown = m_keyRects[key] & rect;
            if (shown.isEmpty())
                continue;
            DrawPart(painter, shown, KeyImage(key, StateOf(key)), m_keyRects[key].topLeft());
            uncovered -= shown;
        }
    }
    const QRect line = FingerRect();
    if (!m_strFinger.isEmpty() && dirty.intersects(line)) {
        for (const QRect& rect : dirty) {
            const QRect shown = line & rect;
            if (!shown.isEmpty())
                DrawPart(painter, shown, FingerImage(), line.topLeft());
        }
        uncovered -= line;
    }
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, palette().window());
}

// The part of an image placed at origin that falls in target.
void CKeyboardView::DrawPart(QPainter& painter, const QRect& target, const QPixmap& image,
                             QPoint origin)
{
    const qreal ratio = image.devicePixelRatio();
    const QRectF source = QRectF(target.translated(-origin));
    painter.drawPixmap(QRectF(target), image,
                       QRectF(source.topLeft() * ratio, source.size() * ratio));
}

// A key looks the same every time it is in the same state, and a finger's
// line too: each is drawn once per size, and a keystroke only copies the
// few images it changed.
const QPixmap& CKeyboardView::KeyImage(int key, KeyState state) const
{
    QPixmap& image = m_keyImages[key * 4 + int(state)];
    if (image.isNull()) {
        const QRect rect = m_keyRects[key];
        image = QPixmap(rect.size() * devicePixelRatioF());
        image.setDevicePixelRatio(devicePixelRatioF());
        image.fill(palette().window().color());
        QPainter painter(&image);
        painter.setFont(font());
        painter.translate(-rect.topLeft());
        DrawKey(painter, key, state);
    }
    return image;
}

QFont CKeyboardView::FingerFont() const
{
    QFont font = this->font();
    font.setPixelSize(qMax(12, FingerLineHeight() * 2 / 3));
    font.setBold(true);
    return font;
}

QRect CKeyboardView::FingerTextRect(const QString& text) const
{
    if (text.isEmpty())
        return {};
    const QRect line = FingerRect();
    const int swatch = line.height() * 2 / 3;
    auto known = m_fingerWidths.constFind(text);
    if (known == m_fingerWidths.constEnd())
        known = m_fingerWidths.insert(text, QFontMetrics(FingerFont()).horizontalAdvance(text));
    const int width = *known + swatch + 10;
    return QRect(line.left() + (line.width() - width) / 2 - 2, line.top(), width + 4,
                 line.height());
}

const QPixmap& CKeyboardView::FingerImage() const
{
    QPixmap& image = m_fingerImages[m_strFinger];
    if (!image.isNull())
        return image;
    const QRect line = FingerRect();
    image = QPixmap(line.size() * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(palette().window().color());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = FingerFont();
    painter.setFont(font);
    const int swatch = line.height() * 2 / 3;
    const int textWidth = QFontMetrics(font).horizontalAdvance(m_strFinger);
    const int left = (line.width() - textWidth - swatch - 8) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fingerColor);
    painter.drawRoundedRect(QRect(left, (line.height() - swatch) / 2, swatch, swatch), 3, 3);
    painter.setPen(palette().windowText().color());
    painter.drawText(QRect(left + swatch + 8, 0, textWidth + 2, line.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, m_strFinger);
    return image;
}

void CKeyboardView::DrawKey(QPainter& painter, int key, KeyState state) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const CKeyCap& cap = m_layout.Keys()[key];
    const QRect rect = KeyRect(key);
    const CKeyFinger* finger = m_layout.FingerOf(key);
    // A map of weak keys is one scale, grey to red, not the fingers'
    // colours.
    QColor fill = finger && !m_bHeatMap ? finger->color : QColor(0xf0, 0xf0, 0xf0);
    if (const double heat = HeatOf(key); heat > 0) {
        const QColor red(0xd0, 0x20, 0x20);
        const double keep = 1.0 - 0.85 * std::min(heat, 1.0);
        fill = QColor::fromRgbF(fill.redF() * keep + red.redF() * (1 - keep),
                                fill.greenF() * keep + red.greenF() * (1 - keep),
                                fill.blueF() * keep + red.blueF() * (1 - keep));
    }
    QPen border(QColor(0x80, 0x80, 0x80), 1);
    if (state == KeyState::Next) {
        fill = NextFill;
        border = QPen(NextBorder, qMax(2.0, rect.height() / 12.0));
    } else if (state == KeyState::Wrong) {
        fill = WrongFill;
    } else if (state == KeyState::Correct) {
        fill = CorrectionFill;
        border = QPen(NextBorder, qMax(2.0, rect.height() / 12.0));
    }
    painter.setPen(border);
    painter.setBrush(fill);
    const double radius = rect.height() / 8.0;
    painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    painter.setPen(state == KeyState::Wrong ? Qt::white : QColor(0x20, 0x20, 0x20));
    QFont font = painter.font();
    font.setBold(state != KeyState::Plain);
    const bool twoSigns =
        !cap.chPlain.isNull() && !cap.chShifted.isNull() && cap.chShifted != cap.chPlain.toUpper();
    if (const QString legend = LegendOf(key); !legend.isEmpty()) {
        // The letter small in the corner, the legend in the rest.
        font.setPixelSize(qMax(8, rect.height() / 4));
        painter.setFont(font);
        painter.drawText(rect.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop,
                         QString(cap.chShifted));
        const QRect room = LegendRoom(key);
        font.setBold(false);
        int perRow = 0;
        font.setPixelSize(qMax(7, LegendFit(legend, room, &perRow)));
        painter.setFont(font);
        QStringList lines;
        for (qsizetype at = 0; at < legend.size(); at += perRow)
            lines.append(legend.mid(at, perRow));
        const QString rows = lines.join(u'\n');
        painter.drawText(room, Qt::AlignCenter, rows);
    } else if (!cap.strLabel.isEmpty()) {
        font.setPixelSize(qMax(8, rect.height() / 4));
        painter.setFont(font);
        painter.drawText(rect.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignVCenter,
                         cap.strLabel);
    } else if (twoSigns) {
        font.setPixelSize(qMax(8, rect.height() * 3 / 10));
        painter.setFont(font);
        const QRect top = rect.adjusted(0, 2, 0, -rect.height() / 2);
        const QRect bottom = rect.adjusted(0, rect.height() / 2, 0, -2);
        painter.drawText(top, Qt::AlignCenter, QString(cap.chShifted));
        painter.drawText(bottom, Qt::AlignCenter, QString(cap.chPlain));
    } else if (!cap.chShifted.isNull()) {
        font.setPixelSize(qMax(9, rect.height() * 2 / 5));
        painter.setFont(font);
        painter.drawText(rect, Qt::AlignCenter, QString(cap.chShifted));
    }
    if (cap.bBump) {
        const int w = rect.width() / 4;
        // A legend keeps the key's middle: the bump goes to its foot.
        const int y = rect.bottom() - rect.height() / (LegendOf(key).isEmpty() ? 6 : 14);
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), qMax(2, rect.height() / 16)));
        painter.drawLine(rect.center().x() - w / 2, y, rect.center().x() + w / 2, y);
    }
}

void CKeyboardView::SetHeat(const QHash<int, double>& heat, const QHash<int, QString>& tips)
{
    m_heat = heat;
    m_bHeatMap = true;
    m_tips = tips;
    m_keyImages.clear();
    update();
}

bool CKeyboardView::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (int key = 0; key < m_keyRects.size(); ++key) {
        if (m_keyRects[key].contains(at) && m_tips.contains(key)) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), m_tips[key], this,
                               m_keyRects[key]);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}
