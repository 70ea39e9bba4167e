#include "course/LessonView.h"

#include "course/KeyboardView.h"
#include "platform/Platform.h"
#include "practice/StartCard.h"

#include <QPainter>
#include <QPaintEvent>
#include <QSet>

#include <algorithm>
#include <iterator>

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

// A cell looks the same every time it shows the same character in the same
// colours: it is drawn once for the size and copied after, so that a
// keystroke copies a few small images instead of laying out and blending
// large glyphs.
const QPixmap& CLessonView::CellImage(QChar ch, const QColor& text, const QColor& fill) const
{
    const quint64 key = (quint64(ch.unicode()) << 48) | (quint64(text.rgb() & 0xffffff) << 24) |
                        quint64(fill.rgb() & 0xffffff);
    QPixmap& image = m_cellImages[key];
    const qreal ratio = devicePixelRatioF();
    if (image.isNull() || image.devicePixelRatio() != ratio) {
        const QRect cell(0, 0, m_nCellWidth, m_nRowHeight);
        image = QPixmap(cell.size() * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(fill);
        QPainter painter(&image);
        if (ch == u' ') {
            DrawSpace(painter, cell, text == DoneText ? DoneText : SpaceMark);
        } else {
            painter.setFont(m_font);
            painter.setPen(text);
            painter.drawText(cell, Qt::AlignCenter, QString(ch));
        }
    }
    return image;
}

void CLessonView::DrawCell(QPainter& painter, const QRect& cell, QChar ch, const QColor& text,
                           const QColor& fill) const
{
    painter.drawPixmap(cell.topLeft(), CellImage(ch, text, fill));
}

bool CLessonView::OnlyCells(const QRegion& dirty) const
{
    const CLesson& lesson = m_session.Lesson();
    const int line = m_session.Line();
    const auto span = [&](int row, int shown) {
        if (shown < 0 || shown >= lesson.lines.size())
            return QRect();
        const QRect first = CellRect(row, 0);
        return QRect(first.topLeft(),
                     QSize(int(lesson.lines[shown].size()) * m_nCellWidth, first.height()));
    };
    const bool current = !m_session.IsFinished();
    const QRect rows[] = {current ? span(0, line) : QRect(), current ? span(1, line) : QRect(),
                          span(2, line + 1), span(3, line + 2)};
    for (const QRect& rect : dirty) {
        if (std::none_of(std::begin(rows), std::end(rows),
                         [&rect](const QRect& row) { return row.contains(rect); }))
            return false;
    }
    return true;
}

void CLessonView::PrepareCellImages() const
{
    // Every character of the lesson in each colour a keystroke gives it,
    // drawn at the first paint of this size: typing then only copies.
    const QColor base = palette().base().color();
    const QColor text = palette().text().color();
    QSet<QChar> chars;
    for (const QString& line : m_session.Lesson().lines)
        chars.unite(QSet<QChar>(line.begin(), line.end()));
    for (const QChar ch : std::as_const(chars)) {
        for (const QColor& color : {text, DoneText, NextLines, TypedRight, TypedAfterError})
            CellImage(ch, color, base);
        CellImage(ch, Qt::black, CursorFill);
    }
}

void CLessonView::paintEvent(QPaintEvent* event)
{
    if (m_cellImages.isEmpty())
        PrepareCellImages();
    QPainter painter(this);
    const QRect dirty = event->rect();
    // A keystroke asks for whole cells, which their images cover.
    if (!OnlyCells(event->region()))
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
    if (!m_session.IsStarted()) {
        // Over the next lines, until the first key; the line to type shows.
        const CStartCard card = {{u"%1 第%2课"_s.arg(m_course.strTitle).arg(m_nLesson)},
                                 StartPrompt};
        const int top = CellRect(2, 0).top();
        card.Draw(painter, QRect(0, top, width(), m_pKeyboard->y() - top), m_headerFont);
    }
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
        if (!dirty.intersects(cell))
            continue;
        QColor color = current ? palette().text().color() : NextLines;
        QColor fill = palette().base().color();
        if (current && column < m_session.Column())
            color = DoneText;
        if (current && column == m_session.Column()) {
            fill = m_session.WrongAtCursor().isNull() ? CursorFill : WrongFill;
            color = Qt::black;
        }
        DrawCell(painter, cell, text[column], color, fill);
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
    const QColor base = palette().base().color();
    for (int column = 0; column < text.size(); ++column) {
        const QRect cell = CellRect(1, column);
        if (!dirty.intersects(cell))
            continue;
        if (column < m_session.Column()) {
            DrawCell(painter, cell, text[column],
                     m_session.HadError(line, column) ? TypedAfterError : TypedRight, base);
            continue;
        }
        const QChar wrong = m_session.WrongAtCursor();
        if (column == m_session.Column() && !wrong.isNull())
            DrawCell(painter, cell, wrong, WrongText, WrongFill);
        else
            painter.fillRect(cell, base); // not typed yet
        if (column == m_session.Column())
            painter.fillRect(QRect(cell.left() + 1, cell.bottom() - 3, cell.width() - 2, 3),
                             CursorBar);
    }
}
