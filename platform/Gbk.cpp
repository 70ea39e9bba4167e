#include "platform/Gbk.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextLayout>
#include <QVarLengthArray>

#include <limits>

namespace Gbk {

// Opening an ICU converter is costly; stateless converters can be reused.
QString Decode(const QByteArray& bytes)
{
    static QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QByteArray Encode(const QString& text)
{
    static QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

namespace {

// Laying out a string (shaping) costs far more than drawing its glyphs, and
// the grid draws one character at a time, so each character is laid out
// once per font and drawn from its glyph runs (with any fallback font the
// layout picked) after that.
class CGlyphCache
{
public:
    struct Entry
    {
        QList<QGlyphRun> runs;
        qreal ascent = 0; // from the layout's top to its baseline
    };

    const Entry& Find(const QFont& font, quint16 code, const QByteArray& bytes)
    {
        if (font != m_font) {
            m_font = font;
            m_entries.clear();
        }
        auto it = m_entries.constFind(code);
        if (it != m_entries.cend())
            return *it;
        const QString text = bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80
                                 ? QString(QChar(char16_t(bytes[0])))
                                 : Decode(bytes);
        QTextLayout layout(text, font);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        Entry entry{line.glyphRuns(), line.ascent()};
        return *m_entries.insert(code, std::move(entry));
    }

private:
    QFont m_font;
    QHash<quint16, Entry> m_entries;
};

} // namespace

void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes)
{
    DrawColumns(painter, x, top, lineHeight, baseline, charWidth, bytes,
                std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes, int visibleLeft, int visibleRight)
{
    static CGlyphCache cache;
    const qsizetype end = bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0');
    // The cells first, then the glyphs, which may reach into the next cell.
    struct Cell
    {
        int x;
        qsizetype index;
        qsizetype length;
    };
    QVarLengthArray<Cell, 128> cells;
    for (qsizetype i = 0; i < end;) {
        const qsizetype length =
            (IsLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < end) ? 2 : 1;
        const int width = int(length) * charWidth;
        if (x + width > visibleLeft && x <= visibleRight)
            cells.append({x, i, length});
        x += width;
        i += length;
    }
    if (cells.isEmpty())
        return;
    const Cell& last = cells.last();
    painter.fillRect(cells.first().x, top, last.x + int(last.length) * charWidth - cells.first().x,
                     lineHeight, painter.background());
    for (const Cell& cell : cells) {
        const auto byte = static_cast<unsigned char>(bytes[cell.index]);
        if (byte <= 0x20)
            continue;
        const quint16 code =
            cell.length == 2
                ? quint16(byte << 8 | static_cast<unsigned char>(bytes[cell.index + 1]))
                : byte;
        const CGlyphCache::Entry& glyphs =
            cache.Find(painter.font(), code, bytes.mid(cell.index, cell.length));
        const QPointF origin(cell.x, top + baseline - glyphs.ascent);
        for (const QGlyphRun& run : glyphs.runs)
            painter.drawGlyphRun(origin, run);
    }
}

} // namespace Gbk
