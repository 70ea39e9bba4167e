#include "practice/ViewPainter.h"

#include "platform/Gbk.h"
#include "practice/Credits.h"
#include "practice/PracticeState.h"
#include "practice/QeDoc.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PracticePixelSize = 16;
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

// The baseline inside a grid line: the ideographic em box fills the line.
int Baseline()
{
    return PracticePixelSize * 7 / 8;
}

void DrawAt(QPainter& painter, int line, int gridColumn, const QByteArray& bytes,
            const QColor& colour)
{
    painter.setPen(colour);
    Gbk::DrawColumns(painter, gridColumn * CharWidth, line * LineHeight, LineHeight, Baseline(),
                     CharWidth, bytes);
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
    return PracticePixelSize;
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
    painter.setBackgroundMode(Qt::TransparentMode);  // cells fill their own background
    // Glyphs may reach a pixel or two into the lines above and below, so the
    // neighbouring lines are drawn too, in the order of a full repaint.
    const int firstLine = std::max(0, dirty.top() / LineHeight - 1);
    const int lastLine = std::min(2 * CQeDoc::Rows - 1, dirty.bottom() / LineHeight + 1);
    if (CurrentPracticeKind == PracticeKind::Chinese) {
        DrawDoubleByte(painter, firstLine, lastLine);
        DrawCursor(painter, "__", 2 * CurrentColumn);
    } else {
        DrawSingleByte(painter, firstLine, lastLine);
        DrawCursor(painter, "_", CurrentColumn);
    }
}

void CViewPainter::DrawDoubleByte(QPainter& painter, int firstLine, int lastLine) const
{
    for (int line = firstLine; line <= lastLine; ++line) {
        const int r = line / 2;
        const bool practiceLine = line % 2 == 0;
        DrawAt(painter, line, 0, practiceLine ? m_doc.m_aTextLine[r] : m_doc.m_aTypedLine[r],
               Black);
        if (!practiceLine || r > CurrentRow)
            continue;
        const int lastCell = r < CurrentRow ? CQeDoc::Cells - 1 : CurrentColumn;
        for (int c = 0; c <= lastCell && c < CQeDoc::Cells; ++c) {
            const QByteArray text = m_doc.TextCell(r, c);
            if (m_doc.TypedCell(r, c) == text)
                DrawAt(painter, line, 2 * c, text, Red);
        }
    }
}

void CViewPainter::DrawSingleByte(QPainter& painter, int firstLine, int lastLine) const
{
    for (int line = firstLine; line <= lastLine; ++line) {
        const int r = line / 2;
        const bool practiceLine = line % 2 == 0;
        const char* bytes = practiceLine ? m_doc.m_enText[r] : m_doc.m_enTyped[r];
        DrawAt(painter, line, 0, QByteArray(bytes, CQeDoc::Columns), Black);
        if (!practiceLine || r > CurrentRow)
            continue;
        const int lastColumn = r < CurrentRow ? CQeDoc::Columns - 1 : CurrentColumn;
        for (int c = 0; c <= lastColumn && c < CQeDoc::Columns; ++c) {
            if (m_doc.m_enTyped[r][c] == m_doc.m_enText[r][c])
                DrawAt(painter, line, c, QByteArray(1, m_doc.m_enText[r][c]), Red);
        }
    }
}

void CViewPainter::DrawCursor(QPainter& painter, const char* cursor, int gridColumn) const
{
    DrawAt(painter, 2 * CurrentRow + 1, gridColumn, QByteArray(cursor), Black);
}

void CViewPainter::DrawCredits(QPainter& painter, int width, const QFont& title,
                               const QFont& credit, const QFont& footer) const
{
    const int half = width / 2;
    const int quarter = width / 4;
    painter.setBackgroundMode(Qt::TransparentMode);  // cells fill their own background

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
