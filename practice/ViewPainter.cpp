#include "practice/ViewPainter.h"

#include "platform/GbkGrid.h"
#include "practice/Credits.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"

#include <QFontMetrics>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The credit fonts are given by the height of their character cell (ascent
// plus descent), not of their em square: the largest pixel size whose cell
// fits that height. Cells grow about in proportion to the pixel size, so the
// search starts from the proportional guess and loads few sizes.
QFont CreditFont(int cellHeight, bool bold, bool underline, const QString& face)
{
    QFont font;
    font.setFamilies({face, u"Noto Sans CJK SC"_s});
    font.setBold(bold);
    // Bold is drawn by emboldening the regular face, as for a face that has
    // no bold of its own: the bold face would be loaded, megabytes of it,
    // for the three lines of this screen.
    font.setStyleName(u"Regular"_s);
    font.setUnderline(underline);
    font.setFixedPitch(true);
    const auto cellAt = [&font](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).height();
    };
    int size = std::clamp(cellHeight * cellHeight / std::max(1, cellAt(cellHeight)), 1, cellHeight);
    while (size > 1 && cellAt(size) > cellHeight)
        --size;
    while (size < cellHeight && cellAt(size + 1) <= cellHeight)
        ++size;
    font.setPixelSize(size);
    return font;
}

// The grid columns a repaint draws (first to last, inclusive).
struct Columns
{
    int first;
    int last;
    bool Meets(int column, int count) const { return column <= last && column + count > first; }
};

// 28 text lines of 16 pixels fill the view. At 12 pixels the face's glyphs
// reach at most 12 rows above their baseline (the ideographs) and 3 below
// (descenders, brackets, '|'), so every glyph stands whole in its line.
constexpr int PracticePixelSize = 12;
constexpr int PracticeLinePitch = 16;
constexpr int Baseline = 12;
// The cursor: a bar two pixels high under the cell, clear of the glyphs of
// the next line.
constexpr int CursorTop = Baseline + 1;
constexpr int CursorHeight = 2;
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
const QColor Grey(128, 128, 128);

// A text line of the practice grid, limited to the visible columns.
Gbk::CGridLine GridLine(int line, const Columns& columns)
{
    return Gbk::CGridLine(line * LineHeight, LineHeight, Baseline, CharWidth,
                          columns.first * CharWidth, (columns.last + 1) * CharWidth - 1);
}

// A row of the single-byte layout as drawn: every byte is a cell of its
// own, and a NUL, which would end the text, is a blank cell.
QByteArray Cells(const char* row)
{
    QByteArray cells(row, CQeDoc::Columns);
    cells.replace('\0', ' ');
    return cells;
}

// Text drawn with its top at y, either from x or centred on x, opaquely.
void DrawCreditText(QPainter& painter, int x, int y, const QString& text, bool centred)
{
    const QFontMetrics metrics(painter.font());
    const int width = metrics.horizontalAdvance(text);
    const int left = centred ? x - width / 2 : x;
    const QRect box(left, y, width, metrics.height());
    painter.fillRect(box, painter.background());
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

QFont CViewPainter::PracticeFont()
{
    QFont font;
    font.setFamilies({u"Noto Sans Mono CJK SC"_s, u"Noto Sans CJK SC"_s, u"monospace"_s});
    font.setPixelSize(PracticePixelSize);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

int CViewPainter::PracticeLineHeight()
{
    return PracticeLinePitch;
}

int CViewPainter::PracticeCharWidth()
{
    static const int width = QFontMetrics(PracticeFont()).horizontalAdvance(QLatin1Char('0'));
    return width;
}

CViewPainter::CViewPainter(const CQeDoc& doc) : m_doc(doc) {}

void CViewPainter::DrawPractice(QPainter& painter, const QRect& dirty) const
{
    LineHeight = PracticeLineHeight();
    CharWidth = PracticeCharWidth();
    painter.setFont(PracticeFont());
    painter.setBackgroundMode(Qt::TransparentMode); // cells fill their own background
    // A face substituted for the practice font may reach a pixel or two into
    // the lines above and below, so the neighbouring lines are drawn too, in
    // the order of a full repaint.
    const int firstLine = std::max(0, dirty.top() / LineHeight - 1);
    const int lastLine = std::min(2 * CQeDoc::Rows - 1, dirty.bottom() / LineHeight + 1);
    // The same holds for the columns beside the dirty ones; the others are
    // not drawn at all, so that a keystroke draws a few cells, not lines.
    const int firstColumn = std::max(0, dirty.left() / CharWidth - 1);
    const int lastColumn = dirty.right() / CharWidth + 1;
    if (CurrentPracticeKind == PracticeKind::Chinese) {
        DrawDoubleByte(painter, firstLine, lastLine, firstColumn, lastColumn);
        DrawCursor(painter, 2 * CurrentColumn, 2, firstColumn, lastColumn);
    } else {
        DrawSingleByte(painter, firstLine, lastLine, firstColumn, lastColumn);
        DrawCursor(painter, CurrentColumn, 1, firstColumn, lastColumn);
    }
}

// Each text line is drawn at once: its black glyphs and, in a practice
// line, the red ones of the cells typed correctly, which are left out of
// the black text.
void CViewPainter::DrawDoubleByte(QPainter& painter, int firstLine, int lastLine, int firstColumn,
                                  int lastColumn) const
{
    const Columns columns{firstColumn, lastColumn};
    const QFont font = painter.font();
    for (int line = firstLine; line <= lastLine; ++line) {
        const int r = line / 2;
        Gbk::CGridLine grid = GridLine(line, columns);
        if (line % 2 == 1 || r > CurrentRow) {
            grid.Add(font, 0, line % 2 == 1 ? m_doc.m_aTypedLine[r] : m_doc.m_aTextLine[r], Black);
            grid.Draw(painter);
            continue;
        }
        const int lastTyped = r < CurrentRow ? CQeDoc::Cells - 1 : CurrentColumn;
        QByteArray black = m_doc.m_aTextLine[r];
        QVarLengthArray<int, CQeDoc::Cells> red;
        qsizetype offset = 0;
        for (int c = 0; c < CQeDoc::Cells; ++c) {
            const QByteArray text = m_doc.TextCell(r, c);
            if (c <= lastTyped && columns.Meets(2 * c, 2) && m_doc.TypedCell(r, c) == text) {
                black.replace(offset, text.size(), QByteArray(text.size(), ' '));
                red.append(c);
            }
            offset += text.size();
        }
        grid.Add(font, 0, black, Black);
        for (int c : red)
            grid.Add(font, 2 * c * CharWidth, m_doc.TextCell(r, c), Red);
        grid.Draw(painter);
    }
}

void CViewPainter::DrawSingleByte(QPainter& painter, int firstLine, int lastLine, int firstColumn,
                                  int lastColumn) const
{
    const Columns columns{firstColumn, lastColumn};
    const QFont font = painter.font();
    for (int line = firstLine; line <= lastLine; ++line) {
        const int r = line / 2;
        Gbk::CGridLine grid = GridLine(line, columns);
        if (line % 2 == 1 || r > CurrentRow) {
            const char* bytes = line % 2 == 1 ? m_doc.m_enTyped[r] : m_doc.m_enText[r];
            grid.Add(font, 0, Cells(bytes), Black);
            grid.Draw(painter);
            continue;
        }
        const int lastTyped = std::min({r < CurrentRow ? CQeDoc::Columns - 1 : CurrentColumn,
                                        columns.last, CQeDoc::Columns - 1});
        QByteArray black = Cells(m_doc.m_enText[r]);
        QVarLengthArray<int, CQeDoc::Columns> red;
        for (int c = columns.first; c <= lastTyped; ++c) {
            if (m_doc.m_enTyped[r][c] == m_doc.m_enText[r][c]) {
                black[c] = ' ';
                red.append(c);
            }
        }
        grid.Add(font, 0, black, Black);
        for (int c : red)
            grid.Add(font, c * CharWidth, QByteArray(1, m_doc.m_enText[r][c]), Red);
        grid.Draw(painter);
    }
}

void CViewPainter::DrawCursor(QPainter& painter, int gridColumn, int width, int firstColumn,
                              int lastColumn) const
{
    const int left = std::max(gridColumn, firstColumn) * CharWidth;
    const int right = std::min(gridColumn + width, lastColumn + 1) * CharWidth;
    if (left < right)
        painter.fillRect(left, (2 * CurrentRow + 1) * LineHeight + CursorTop, right - left,
                         CursorHeight, Black);
}

void CViewPainter::DrawComposition(QPainter& painter, const QRect& dirty, int line, int column,
                                   const QByteArray& bytes) const
{
    const int count = int(bytes.size());
    const Columns columns{std::max(0, dirty.left() / CharWidth - 1), dirty.right() / CharWidth + 1};
    if (count == 0 || line < dirty.top() / LineHeight - 1 ||
        line > dirty.bottom() / LineHeight + 1 || !columns.Meets(column, count))
        return;
    painter.setFont(PracticeFont());
    Gbk::CGridLine grid = GridLine(line, columns);
    grid.Add(painter.font(), column * CharWidth, bytes, Grey);
    grid.Draw(painter);
    const int left = std::max(column, columns.first);
    const int right = std::min(column + count - 1, columns.last);
    painter.fillRect(left * CharWidth, (line + 1) * LineHeight - 1, (right - left + 1) * CharWidth,
                     1, Grey);
}

CViewPainter::CCreditFonts CViewPainter::CreditFonts()
{
    return {CreditFont(30, true, true, u"new Font1"_s), CreditFont(20, true, false, u"new Font2"_s),
            CreditFont(15, false, false, u"new Font3"_s)};
}

void CViewPainter::DrawCredits(QPainter& painter, int width, const CCreditFonts& fonts) const
{
    const QFont& title = fonts.title;
    const QFont& credit = fonts.credit;
    const QFont& footer = fonts.footer;
    const int half = width / 2;
    const int quarter = width / 4;
    painter.setBackgroundMode(Qt::TransparentMode); // cells fill their own background

    painter.setFont(title);
    painter.setPen(Red);
    DrawCreditText(painter, half, 50, Credits::Title(), true);

    painter.setFont(credit);
    painter.setPen(Blue);
    const QStringList lines = Credits::Lines();
    for (int i = 0; i < lines.size(); ++i)
        DrawCreditText(painter, quarter, 100 + 40 * i, lines[i], false);

    painter.setPen(QPen(Red, 2, Qt::SolidLine));
    painter.drawLine(quarter, 330, 3 * quarter, 330);

    painter.setFont(footer);
    painter.setPen(Blue);
    DrawCreditText(painter, half, 335, Credits::Footer(), true);
    painter.setPen(Black);
}
