#include "practice/LargePainter.h"

#include "attempts/PracticeKind.h"
#include "platform/Gbk.h"
#include "platform/GbkGrid.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"
#include "practice/TypingSession.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

const QColor CLargePainter::Text(0x21, 0x21, 0x21);
const QColor CLargePainter::WrongText(0xc6, 0x28, 0x28);
const QColor CLargePainter::WrongFill(0xff, 0xcd, 0xd2);
const QColor CLargePainter::CursorFill(0xff, 0xf1, 0x76);
const QColor CLargePainter::CursorBar(0x1f, 0x4e, 0xd8);
const QColor CLargePainter::Background(0xff, 0xff, 0xff);

namespace {

const QColor BandFill(0xec, 0xef, 0xf1);
// What was typed in a wrong cell: a dark red that small glyphs still show.
const QColor StripText(0xb0, 0x00, 0x0c);
const QColor BandText(0x37, 0x47, 0x4f);
const QColor Composing(0x61, 0x61, 0x61);

// The bytes of a single-byte cell as the grid draws them: a NUL is blank.
QByteArray SingleCell(char byte)
{
    return QByteArray(1, byte == '\0' ? ' ' : byte);
}

} // namespace

bool CLargePainter::DoubleByte() const
{
    return m_nKind == PracticeKind::Chinese;
}

bool CLargePainter::Typed(int row, int cell)
{
    return row < CurrentRow || (row == CurrentRow && cell < CurrentColumn);
}

QByteArray CLargePainter::TextOf(int row, int cell) const
{
    return DoubleByte() ? m_doc.TextCell(row, cell) : SingleCell(m_doc.m_enText[row][cell]);
}

QByteArray CLargePainter::TypedOf(int row, int cell) const
{
    return DoubleByte() ? m_doc.TypedCell(row, cell) : SingleCell(m_doc.m_enTyped[row][cell]);
}

bool CLargePainter::IsWrong(int row, int cell) const
{
    // A cell the session skipped (a half-width character typed into a
    // Chinese cell) was never counted, so it is no mistake either.
    if (!Typed(row, cell) || (DoubleByte() && m_session.IsSkipped(row, cell)))
        return false;
    return TypedOf(row, cell) != TextOf(row, cell);
}

void CLargePainter::DrawRows(QPainter& painter, const QRect& dirty, bool bCursor) const
{
    const int width = DoubleByte() ? 2 : 1;
    const int perRow = DoubleByte() ? CQeDoc::Cells : CQeDoc::Columns;
    const int pitch = m_layout.RowPitch();
    const int column = m_layout.nColumnWidth * width;
    const QRect& text = m_layout.text;
    // A glyph may reach a little into its neighbours: one cell more on
    // each side is drawn.
    const int firstRow = std::max(0, (dirty.top() - text.top()) / std::max(pitch, 1));
    const int lastRow =
        std::min(CQeDoc::Rows - 1, (dirty.bottom() - text.top()) / std::max(pitch, 1));
    const int firstCell = std::max(0, (dirty.left() - text.left()) / column - 1);
    const int lastCell = std::min(perRow - 1, (dirty.right() - text.left()) / column + 1);
    if (dirty.bottom() < text.top() || dirty.top() > text.bottom() || firstCell > lastCell)
        return;
    for (int row = firstRow; row <= lastRow; ++row)
        DrawRow(painter, row, firstCell, lastCell, bCursor);
}

void CLargePainter::DrawRow(QPainter& painter, int row, int firstCell, int lastCell,
                            bool bCursor) const
{
    const int width = DoubleByte() ? 2 : 1;
    const QRect line = m_layout.Row(row, width * firstCell, width * (lastCell - firstCell + 1));
    painter.fillRect(line, Background);
    const QFont font = m_layout.TextFont();
    // An ideograph stands about 0.88 of the size above its baseline and
    // 0.12 below, a descender 0.2: all inside the line.
    const int baseline = m_layout.nTextHeight - m_layout.nPixelSize / 5;
    QByteArray plain;
    QList<int> wrong;
    for (int cell = firstCell; cell <= lastCell; ++cell) {
        const QByteArray shown = TextOf(row, cell);
        const QRect box = m_layout.Cells(2 * row, width * cell, width);
        if (IsWrong(row, cell)) {
            painter.fillRect(box, WrongFill);
            wrong.append(cell);
        } else if (bCursor && row == CurrentRow && cell == CurrentColumn) {
            painter.fillRect(box, CursorFill);
            const int bar = std::max(2, m_layout.nTextHeight / 12);
            painter.fillRect(box.left(), box.bottom() - bar + 1, box.width(), bar, CursorBar);
        }
        plain += shown.isEmpty() ? QByteArray(width, ' ') : shown;
        if (shown.size() == 1 && width == 2)
            plain += ' ';
    }
    // The wrong cells' glyphs are red: the plain line leaves them out.
    for (int cell : wrong)
        plain.replace((cell - firstCell) * width, width, QByteArray(width, ' '));
    // The cells fill their own grounds: the grid draws only glyphs.
    painter.setBackground(Qt::NoBrush);
    Gbk::CGridLine marked(line.top(), m_layout.nTextHeight, baseline, m_layout.nColumnWidth,
                          line.left(), line.right());
    marked.Add(font, line.left(), plain, Text);
    for (int cell : wrong) {
        marked.Add(font, line.left() + (cell - firstCell) * width * m_layout.nColumnWidth,
                   TextOf(row, cell), WrongText);
    }
    // What was typed in each wrong cell, centred in the strip under it; a
    // space typed for a character shows as "_".
    const QFont stripFont = m_layout.StripFont();
    const int stripSize = stripFont.pixelSize();
    Gbk::CGridLine strip(line.top() + m_layout.nTextHeight, m_layout.nStripHeight,
                         stripSize * 7 / 8, stripSize / 2, line.left(), line.right());
    for (int cell : wrong) {
        QByteArray typed = TypedOf(row, cell);
        if (typed.trimmed().isEmpty())
            typed = "_";
        const int left = line.left() + (cell - firstCell) * width * m_layout.nColumnWidth;
        const int glyphs = int(typed.size()) * stripSize / 2;
        strip.Add(stripFont, left + (width * m_layout.nColumnWidth - glyphs) / 2, typed, StripText);
    }
    marked.Draw(painter);
    strip.Draw(painter);
}

void CLargePainter::DrawComposition(QPainter& painter, const QByteArray& bytes) const
{
    if (bytes.isEmpty())
        return;
    const int width = DoubleByte() ? 2 : 1;
    const QRect strip = m_layout.Cells(2 * CurrentRow + 1, width * CurrentColumn,
                                       CQeDoc::Columns - width * CurrentColumn);
    painter.setFont(m_layout.StripFont());
    const QString text = Gbk::Decode(bytes);
    const QRect used(
        strip.topLeft(),
        QSize(std::min(strip.width(), QFontMetrics(painter.font()).horizontalAdvance(text) + 4),
              strip.height()));
    painter.fillRect(used, Background);
    painter.setPen(Composing);
    painter.drawText(used.adjusted(2, 0, 0, -1), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.fillRect(used.left(), used.bottom(), used.width(), 1, Composing);
}

void CLargePainter::DrawBand(QPainter& painter, const CBandText& text) const
{
    const QRect band = m_layout.band;
    painter.fillRect(band, BandFill);
    painter.setFont(m_layout.BandFont());
    painter.setPen(BandText);
    const QRect inner = band.adjusted(m_layout.text.left(), 0, -m_layout.text.left(), 0);
    const int lineHeight = QFontMetrics(painter.font()).height();
    // Alone, the line is centred in the band; with a second line both
    // stand at its top, the result's buttons under them.
    const QRect first = text.strSecondLine.isEmpty()
                            ? inner
                            : QRect(inner.left(), inner.top() + 2, inner.width(), lineHeight);
    painter.drawText(first, Qt::AlignLeft | Qt::AlignVCenter, text.strTitle);
    painter.drawText(first, Qt::AlignRight | Qt::AlignVCenter, text.figures.join(u"    "_s));
    if (!text.strSecondLine.isEmpty())
        painter.drawText(first.translated(0, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         text.strSecondLine);
    // The bottom row, whose right holds the result's buttons.
    if (!text.strFiguresLine.isEmpty())
        painter.drawText(
            QRect(inner.left(), band.bottom() - lineHeight - 4, inner.width(), lineHeight),
            Qt::AlignLeft | Qt::AlignVCenter, text.strFiguresLine);
}
