#include "practice/StartCard.h"

#include "practice/LargePainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

// The card's size in a font whose lines are small and prompt large.
QSize CardSize(const CStartCard& card, const QFont& small, const QFont& large)
{
    const QFontMetrics smallMetrics(small);
    const QFontMetrics largeMetrics(large);
    int width = largeMetrics.horizontalAdvance(card.strPrompt);
    for (const QString& line : card.lines)
        width = std::max(width, smallMetrics.horizontalAdvance(line));
    const int padding = smallMetrics.height() / 2;
    return QSize(width + 8 * padding, int(card.lines.size()) * smallMetrics.height() +
                                          largeMetrics.height() + 4 * padding);
}

} // namespace

void CStartCard::Draw(QPainter& painter, const QRect& area, const QFont& font) const
{
    // In the font asked for, or smaller where the area is too small for it.
    QFont small = font;
    QFont large = font;
    large.setBold(true);
    for (int size = font.pixelSize(); size >= 8; --size) {
        small.setPixelSize(size);
        large.setPixelSize(2 * size);
        const QSize needed = CardSize(*this, small, large);
        if (needed.width() <= area.width() && needed.height() <= area.height())
            break;
    }
    const QFontMetrics smallMetrics(small);
    const QFontMetrics largeMetrics(large);
    const int padding = smallMetrics.height() / 2;
    QRect card(QPoint(0, 0), CardSize(*this, small, large));
    card.moveCenter(area.center());
    painter.save();
    painter.setPen(QPen(CLargePainter::CursorBar, 2));
    painter.setBrush(CLargePainter::Background);
    painter.drawRoundedRect(card, 8, 8);
    painter.setFont(small);
    painter.setPen(CLargePainter::Text);
    int y = card.top() + 3 * padding / 2;
    for (const QString& line : lines) {
        painter.drawText(QRect(card.left(), y, card.width(), smallMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignVCenter, line);
        y += smallMetrics.height();
    }
    painter.setFont(large);
    painter.setPen(CLargePainter::CursorBar);
    painter.drawText(QRect(card.left(), y + padding / 2, card.width(), largeMetrics.height()),
                     Qt::AlignHCenter | Qt::AlignVCenter, strPrompt);
    painter.restore();
}
