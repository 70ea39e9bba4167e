#include "platform/GbkGrid.h"

#include "platform/Gbk.h"

#include <QHash>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace Gbk {

namespace {

// Laying out a string (shaping) costs far more than drawing its glyphs, and
// the grid takes one character at a time, so each character is laid out
// once per font and its glyphs (with any fallback font the layout picked)
// are kept with their offsets from the cell's baseline origin.
class CGlyphCache
{
public:
    struct Piece
    {
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> offsets;
    };
    using Entry = QList<Piece>;

    const Entry& Find(const QFont& font, quint16 code, const QByteArray& bytes)
    {
        QHash<quint16, Entry>& entries = EntriesOf(font);
        auto it = entries.constFind(code);
        if (it != entries.cend())
            return *it;
        const QString text = bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80
                                 ? QString(QChar(char16_t(bytes[0])))
                                 : Decode(bytes);
        QTextLayout layout(text, font);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        Entry entry;
        for (const QGlyphRun& run : line.glyphRuns()) {
            Piece piece{run.rawFont(), run.glyphIndexes(), run.positions()};
            for (QPointF& offset : piece.offsets)
                offset.ry() -= line.ascent();
            entry.append(std::move(piece));
        }
        return *entries.insert(code, std::move(entry));
    }

private:
    // A screen draws in a few fonts (its text and, under it, what was
    // typed): the glyphs of the last few are kept, the latest first.
    static constexpr qsizetype FontsKept = 4;
    struct FontEntries
    {
        QFont font;
        QHash<quint16, Entry> entries;
    };

    QHash<quint16, Entry>& EntriesOf(const QFont& font)
    {
        if (!m_fonts.isEmpty() && m_fonts.front().font == font)
            return m_fonts.front().entries;
        auto it = std::find_if(m_fonts.begin(), m_fonts.end(),
                               [&font](const FontEntries& kept) { return kept.font == font; });
        if (it == m_fonts.end()) {
            if (m_fonts.size() == FontsKept)
                m_fonts.removeLast();
            m_fonts.prepend({font, {}});
        } else {
            std::rotate(m_fonts.begin(), it, it + 1);
        }
        return m_fonts.front().entries;
    }

    QList<FontEntries> m_fonts;
};

CGlyphCache& Cache()
{
    static CGlyphCache cache;
    return cache;
}

} // namespace

CGridLine::CGridLine(int top, int lineHeight, int baseline, int charWidth, int visibleLeft,
                     int visibleRight)
    : m_nTop(top), m_nLineHeight(lineHeight), m_nBaseline(baseline), m_nCharWidth(charWidth),
      m_nVisibleLeft(visibleLeft), m_nVisibleRight(visibleRight),
      m_nFilledLeft(std::numeric_limits<int>::max()),
      m_nFilledRight(std::numeric_limits<int>::min())
{
}

CGridLine::Run& CGridLine::RunOf(const QColor& colour, const QRawFont& font)
{
    for (Run& run : m_runs) {
        if (run.colour == colour && run.font == font)
            return run;
    }
    m_runs.append(Run{colour, font, {}, {}});
    return m_runs.back();
}

void CGridLine::Add(const QFont& font, int x, const QByteArray& bytes, const QColor& colour)
{
    const qsizetype nul = bytes.indexOf('\0');
    const qsizetype end = nul < 0 ? bytes.size() : nul;
    for (qsizetype i = 0; i < end;) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = IsLeadByte(byte) && i + 1 < end ? 2 : 1;
        const int width = int(length) * m_nCharWidth;
        if (x + width > m_nVisibleLeft && x <= m_nVisibleRight) {
            m_nFilledLeft = std::min(m_nFilledLeft, x);
            m_nFilledRight = std::max(m_nFilledRight, x + width);
            if (byte > 0x20) {
                const quint16 code =
                    length == 2 ? quint16(byte << 8 | static_cast<unsigned char>(bytes[i + 1]))
                                : byte;
                const QPointF origin(x, m_nTop + m_nBaseline);
                for (const CGlyphCache::Piece& piece :
                     Cache().Find(font, code, bytes.mid(i, length))) {
                    Run& run = RunOf(colour, piece.font);
                    run.glyphs.append(piece.glyphs);
                    for (const QPointF& offset : piece.offsets)
                        run.positions.append(origin + offset);
                }
            }
        }
        x += width;
        i += length;
    }
}

void CGridLine::Draw(QPainter& painter)
{
    // The cells first, then the glyphs, which may reach into the next cell.
    if (m_nFilledLeft < m_nFilledRight)
        painter.fillRect(m_nFilledLeft, m_nTop, m_nFilledRight - m_nFilledLeft, m_nLineHeight,
                         painter.background());
    const QPen pen = painter.pen();
    for (const Run& run : std::as_const(m_runs)) {
        QGlyphRun glyphs;
        glyphs.setRawFont(run.font);
        glyphs.setGlyphIndexes(run.glyphs);
        glyphs.setPositions(run.positions);
        painter.setPen(run.colour);
        painter.drawGlyphRun(QPointF(0, 0), glyphs);
    }
    painter.setPen(pen);
    m_runs.clear();
    m_nFilledLeft = std::numeric_limits<int>::max();
    m_nFilledRight = std::numeric_limits<int>::min();
}

} // namespace Gbk
