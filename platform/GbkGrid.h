#pragma once

#include <QByteArray>
#include <QColor>
#include <QGlyphRun>
#include <QRawFont>
#include <QVarLengthArray>

class QFont;
class QPainter;

namespace Gbk {

// One line of a character grid whose cells are charWidth wide: GBK bytes are
// added as cells (a double-byte character takes two columns, any other byte
// one), each glyph placed at its own column, never by measuring the whole
// string. Draw fills the background behind every cell added (opaque text),
// then draws the glyphs of each colour and font as one glyph run, so that a
// line of cells costs a few runs instead of one per cell. Cells outside the
// pixel columns visibleLeft to visibleRight are passed over, not drawn.
class CGridLine
{
public:
    CGridLine(int top, int lineHeight, int baseline, int charWidth, int visibleLeft,
              int visibleRight);

    // The cells of bytes (up to a NUL) from pixel x, in colour, in the
    // painter's font at the time of Draw.
    void Add(const QFont& font, int x, const QByteArray& bytes, const QColor& colour);
    void Draw(QPainter& painter);

private:
    struct Run
    {
        QColor colour;
        QRawFont font;
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    Run& RunOf(const QColor& colour, const QRawFont& font);

    int m_nTop;
    int m_nLineHeight;
    int m_nBaseline;
    int m_nCharWidth;
    int m_nVisibleLeft;
    int m_nVisibleRight;
    int m_nFilledLeft;
    int m_nFilledRight; // one past the last pixel column filled
    QVarLengthArray<Run, 4> m_runs;
};

} // namespace Gbk
