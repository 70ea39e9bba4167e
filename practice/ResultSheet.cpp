#include "practice/ResultSheet.h"

#include "practice/LargePainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

CResultSheet::CResultSheet(QWidget* parent) : QWidget(parent), m_panel(this)
{
    setFocusPolicy(Qt::NoFocus);
    parent->installEventFilter(this);
    hide();
}

bool CResultSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void CResultSheet::Show(const QString& heading, const QColor& headingColour,
                        const QStringList& lines, QList<CResultPanel::CStep> steps, int enterStep,
                        int escStep)
{
    m_strHeading = heading;
    m_headingColour = headingColour;
    m_lines = lines;
    setGeometry(parentWidget()->rect());
    m_panel.Show(std::move(steps), enterStep, escStep);
    Place();
    show();
    raise();
    update();
}

void CResultSheet::Close()
{
    m_panel.Hide();
    hide();
}

QFont CResultSheet::LineFont() const
{
    // Readable from a pupil's seat: 1/36 of the screen's height, 14 px at
    // least, smaller only where the longest line would not fit.
    QFont font = this->font();
    int size = std::max(14, height() / 36);
    for (; size > 10; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : m_lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= width() * 9 / 10 && (int(m_lines.size()) + 6) * metrics.height() <= height())
            break;
    }
    font.setPixelSize(size);
    return font;
}

void CResultSheet::Place()
{
    m_font = LineFont();
    const QFontMetrics metrics(m_font);
    int widest = 0;
    for (const QString& line : std::as_const(m_lines))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int line = metrics.height();
    // The heading is three lines high, the buttons two.
    const QSize size(std::min(width() - 8, std::max(widest + 4 * line, width() / 2)),
                     std::min(height() - 8, (int(m_lines.size()) + 7) * line));
    m_card = QRect(QPoint(0, 0), size);
    m_card.moveCenter(rect().center());
    m_panel.Place(m_card.adjusted(0, 0, 0, -line / 2), m_card.right() - line, m_font);
}

void CResultSheet::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Place();
}

void CResultSheet::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const QRect& card = m_card;
    const QFont& font = m_font;
    const int line = QFontMetrics(font).height();
    painter.setPen(QPen(CLargePainter::CursorBar, 2));
    painter.setBrush(CLargePainter::Background);
    painter.drawRoundedRect(card, 8, 8);
    QFont large = font;
    large.setPixelSize(font.pixelSize() * 2);
    large.setBold(true);
    painter.setFont(large);
    painter.setPen(m_headingColour);
    painter.drawText(QRect(card.left(), card.top() + line / 2, card.width(), 5 * line / 2),
                     Qt::AlignCenter, m_strHeading);
    painter.setFont(font);
    painter.setPen(CLargePainter::Text);
    int y = card.top() + 3 * line;
    for (const QString& text : std::as_const(m_lines)) {
        painter.drawText(QRect(card.left() + 2 * line, y, card.width() - 4 * line, line),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        y += line;
    }
}
