#include "course/LessonView.h"

#include "course/KeyboardView.h"
#include "platform/Platform.h"

#include <QPainter>
#include <QPaintEvent>

using namespace Qt::Literals::StringLiterals;

// The lesson screen's one paint routine: a keystroke asks for the few cells
// it changed, a new line or a resize for all; both come here.

namespace {

const QColor DoneText(0x9e, 0x9e, 0x9e);
const QColor NextLines(0x61, 0x61, 0x61);
const QColor CursorFill(0xff, 0xf1, 0x76);
const QColor CursorBar(0x1f, 0x4e, 0xd8);
const QColor TypedRight(0x2e, 0x7d, 0x32);
const QColor TypedAfterError(0xe6, 0x51, 0x00);
const QColor WrongFill(0xff, 0xcd, 0xd2);
const QColor WrongText(0xc6, 0x28, 0x28);
const QColor SpaceMark(0x90, 0xa4, 0xae);

// A space as a visible mark: a low bracket open at the top.
void DrawSpace(QPainter& painter, const QRect& cell, const QColor& color)
{
    const int w = cell.width() * 3 / 5;
    const int h = cell.height() / 8;
    const int left = cell.center().x() - w / 2;
    const int bottom = cell.bottom() - cell.height() / 4;
    painter.setPen(QPen(color, qMax(1, cell.width() / 10)));
    painter.drawLine(left, bottom - h, left, bottom);
    painter.drawLine(left, bottom, left + w, bottom);
    painter.drawLine(left + w, bottom - h, left + w, bottom);
}

void DrawChar(QPainter& painter, const QRect& cell, QChar ch, const QColor& color)
{
    if (ch == u' ') {
        DrawSpace(painter, cell, color == DoneText ? DoneText : SpaceMark);
        return;
    }
    painter.setPen(color);
    painter.drawText(cell, Qt::AlignCenter, QString(ch));
}

// Where each space-separated word of a line starts.
QList<int> WordStarts(const QString& line)
{
    QList<int> starts;
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] != u' ' && (i == 0 || line[i - 1] == u' '))
            starts.append(i);
    }
    return starts;
}

} // namespace

void CLessonView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().base());
    if (dirty.intersects(HeaderRect()))
        DrawHeader(painter);
    painter.setFont(m_font);
    const int line = m_session.Line();
    if (!m_session.IsFinished()) {
        DrawLine(painter, dirty, 0, line);
        DrawTyped(painter, dirty);
    }
    DrawLine(painter, dirty, 2, line + 1);
    DrawLine(painter, dirty, 3, line + 2);
}

QString CLessonView::HeaderText() const
{
    const CLesson& lesson = m_session.Lesson();
    const qint64 seconds = m_session.ElapsedMs(Platform().MonotonicMilliseconds()) / 1000;
    QString text = u"第 %1 课  %2    已打 %3/%4    用时 %5:%6"_s.arg(m_nLesson)
                       .arg(lesson.strTitle)
                       .arg(m_session.CorrectKeys())
                       .arg(lesson.Keystrokes())
                       .arg(seconds / 60)
                       .arg(seconds % 60, 2, 10, QChar(u'0'));
    if (m_session.Keystrokes() > 0)
        text += u"    错 %1"_s.arg(m_session.Errors());
    return text;
}

void CLessonView::DrawHeader(QPainter& painter) const
{
    const QRect header = HeaderRect();
    painter.fillRect(header, palette().window());
    painter.setFont(m_headerFont);
    painter.setPen(palette().windowText().color());
    painter.drawText(header.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     HeaderText());
    const QString hint = m_session.AwaitsBackspace() ? u"请先按 Backspace 改正"_s : u"Esc 离开"_s;
    painter.setPen(m_session.AwaitsBackspace() ? WrongText : DoneText);
    painter.drawText(header.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignRight, hint);
}

void CLessonView::DrawLine(QPainter& painter, const QRect& dirty, int row, int line) const
{
    const CLesson& lesson = m_session.Lesson();
    if (line < 0 || line >= lesson.lines.size())
        return;
    const QString& text = lesson.lines[line];
    const bool current = row == 0;
    for (int column = 0; column < text.size(); ++column) {
        const QRect cell = CellRect(row, column);
        if (!dirty.intersects(cell.adjusted(-2, 0, 2, 0)))
            continue;
        QColor color = current ? palette().text().color() : NextLines;
        if (current && column < m_session.Column())
            color = DoneText;
        if (current && column == m_session.Column()) {
            painter.fillRect(cell, m_session.WrongAtCursor().isNull() ? CursorFill : WrongFill);
            color = Qt::black;
        }
        DrawChar(painter, cell, text[column], color);
    }
    // The characters above the words, centred over each word.
    if (line >= lesson.ruby.size() || m_nRubyHeight == 0)
        return;
    const QStringList& above = lesson.ruby[line];
    const QList<int> starts = WordStarts(text);
    painter.setFont(m_rubyFont);
    for (int word = 0; word < starts.size() && word < above.size(); ++word) {
        int end = starts[word];
        while (end < text.size() && text[end] != u' ')
            ++end;
        const QRect first = CellRect(row, starts[word]);
        const QRect area(first.left(), first.top() - m_nRubyHeight,
                         (end - starts[word]) * m_nCellWidth, m_nRubyHeight);
        if (!dirty.intersects(area))
            continue;
        painter.setPen(current ? QColor(0x37, 0x47, 0x4f) : NextLines);
        painter.drawText(area, Qt::AlignHCenter | Qt::AlignBottom, above[word]);
    }
    painter.setFont(m_font);
}

void CLessonView::DrawTyped(QPainter& painter, const QRect& dirty) const
{
    const int line = m_session.Line();
    const QString& text = m_session.Lesson().lines[line];
    for (int column = 0; column <= m_session.Column() && column < text.size(); ++column) {
        const QRect cell = CellRect(1, column);
        if (!dirty.intersects(cell.adjusted(-2, 0, 2, 0)))
            continue;
        if (column < m_session.Column()) {
            DrawChar(painter, cell, text[column],
                     m_session.HadError(line, column) ? TypedAfterError : TypedRight);
            continue;
        }
        const QChar wrong = m_session.WrongAtCursor();
        if (!wrong.isNull()) {
            painter.fillRect(cell, WrongFill);
            DrawChar(painter, cell, wrong, WrongText);
        }
        painter.fillRect(QRect(cell.left() + 1, cell.bottom() - 3, cell.width() - 2, 3), CursorBar);
    }
}
