#include "platform/Gbk.h"

#include <QPainter>
#include <QStringDecoder>
#include <QStringEncoder>

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

void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0');
    painter.fillRect(x, top, int(end) * charWidth, lineHeight, painter.background());
    for (qsizetype i = 0; i < end;) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = (IsLeadByte(byte) && i + 1 < end) ? 2 : 1;
        const int width = int(length) * charWidth;
        if (byte > 0x20) {
            const QString glyph =
                byte < 0x80 ? QString(QChar(char16_t(byte))) : Decode(bytes.mid(i, length));
            painter.drawText(x, top + baseline, glyph);
        }
        x += width;
        i += length;
    }
}

} // namespace Gbk
