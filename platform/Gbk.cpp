#include "platform/Gbk.h"

#include "platform/GbkGrid.h"

#include <QPainter>
#include <QStringDecoder>
#include <QStringEncoder>

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

void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes)
{
    DrawColumns(painter, x, top, lineHeight, baseline, charWidth, bytes,
                std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

void DrawColumns(QPainter& painter, int x, int top, int lineHeight, int baseline, int charWidth,
                 const QByteArray& bytes, int visibleLeft, int visibleRight)
{
    CGridLine line(top, lineHeight, baseline, charWidth, visibleLeft, visibleRight);
    line.Add(painter.font(), x, bytes, painter.pen().color());
    line.Draw(painter);
}

} // namespace Gbk
