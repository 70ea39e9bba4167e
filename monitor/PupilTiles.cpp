#include "monitor/PupilTiles.h"

#include <QPainter>
#include <QResizeEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Gap = 4;
constexpr int Padding = 4;

} // namespace

CPupilTiles::CPupilTiles(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void CPupilTiles::SetTiles(const QList<CTile>& tiles)
{
    m_tiles = tiles;
    FitHeight();
    update();
}

QSize CPupilTiles::TileSize() const
{
    const QFontMetrics metrics = fontMetrics();
    return {9 * metrics.horizontalAdvance(u'中') + 2 * Padding,
            2 * metrics.lineSpacing() + 2 * Padding};
}

int CPupilTiles::Columns() const
{
    return qMax(1, (width() - Gap) / (TileSize().width() + Gap));
}

QRect CPupilTiles::TileRect(int i) const
{
    const QSize size = TileSize();
    const int columns = Columns();
    return {Gap + (i % columns) * (size.width() + Gap), Gap + (i / columns) * (size.height() + Gap),
            size.width(), size.height()};
}

QColor CPupilTiles::StateColour(const QString& state)
{
    if (state == u"练习中" || state == u"考试中")
        return QColor(0x2e, 0x7d, 0x32); // at work: green
    if (state == u"空闲")
        return QColor(0xf9, 0xa8, 0x25); // no key for a while: amber
    if (state == u"离开窗口")
        return QColor(0xd3, 0x2f, 0x2f); // another program has the keyboard: red
    if (state == u"已完成")
        return QColor(0x15, 0x65, 0xc0); // done: blue
    return QColor(0x9e, 0x9e, 0x9e);     // 离线, 未登录: grey
}

QString CPupilTiles::SecondLine(const CTile& tile)
{
    const bool bAtWork = tile.strState == u"练习中" || tile.strState == u"考试中";
    if (bAtWork && !tile.strActivity.isEmpty())
        return u"%1 %2"_s.arg(tile.strActivity, tile.strSpeed).trimmed();
    return u"%1 %2"_s.arg(tile.strState, tile.strActivity).trimmed();
}

void CPupilTiles::FitHeight()
{
    // Tall enough for every tile: a scroll area shows a bar when the class
    // is larger than the window.
    const int rows = (int(m_tiles.size()) + Columns() - 1) / Columns();
    setMinimumHeight(Gap + rows * (TileSize().height() + Gap));
}

void CPupilTiles::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        FitHeight();
}

void CPupilTiles::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    for (int i = 0; i < m_tiles.size(); ++i) {
        const QRect rect = TileRect(i);
        if (!rect.intersects(event->rect()))
            continue;
        const CTile& tile = m_tiles[i];
        const QColor colour = StateColour(tile.strState);
        painter.setPen(QPen(colour, 2));
        painter.setBrush(colour.lighter(190));
        painter.drawRect(rect.adjusted(1, 1, -1, -1));
        painter.setPen(palette().color(QPalette::Text));
        const QRect text = rect.adjusted(Padding, Padding, -Padding, -Padding);
        const QRect first(text.left(), text.top(), text.width(), metrics.lineSpacing());
        const QRect second = first.translated(0, metrics.lineSpacing());
        const int progressWidth = metrics.horizontalAdvance(tile.strProgress);
        painter.drawText(first.adjusted(0, 0, -progressWidth - Padding, 0),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(tile.strName, Qt::ElideRight,
                                            first.width() - progressWidth - Padding));
        painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, tile.strProgress);
        painter.setPen(colour.darker(130));
        painter.drawText(second, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(SecondLine(tile), Qt::ElideRight, second.width()));
    }
}
