#pragma once

#include <QByteArray>
#include <QString>

class QPainter;

// The practice texts are GBK byte files; the program's own texts are
// QString. These helpers cross between the two.
namespace Gbk {

// Decodes GBK bytes without carrying state across calls, so that a lone
// lead byte never swallows the byte after it in another call.
QString Decode(const QByteArray& bytes);
// Encodes text as GBK; a character GBK cannot encode becomes "?".
QByteArray Encode(const QString& text);
// True for a byte that starts a GBK double-byte character (0x81 to 0xFE).
constexpr bool IsLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

// Draws GBK bytes on a character grid of cells charWidth wide: a double-byte
// character takes two columns, any other byte one, and each glyph is placed
// at its own column, never by measuring the whole string. The cell area of
// each column gets the painter's background first (opaque text); baseline is
// the distance from top to the text baseline.
void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes);
// The same, drawing only the columns that meet the pixel columns
// visibleLeft to visibleRight; the others are passed over, not drawn.
void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes, int visibleLeft, int visibleRight);

} // namespace Gbk
