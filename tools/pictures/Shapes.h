#pragma once

// The drawing pieces the pictures share: fonts, glyphs and the small
// figures of the tool bar and the icons.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace Pictures {

inline const QString kCjkFace = u"Noto Sans CJK SC"_s;

inline QFont Font(int nPixels, bool bBold = true, const QString& face = kCjkFace)
{
    QFont font(face);
    font.setPixelSize(nPixels);
    font.setBold(bBold);
    return font;
}

inline void Glyph(QPainter& p, const QRect& r, const QString& text, const QColor& color,
                  int nPixels)
{
    p.setFont(Font(nPixels));
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

inline void Person(QPainter& p, QPointF at, qreal scale, const QColor& color)
{
    p.setPen(QPen(color.darker(150), 0.8));
    p.setBrush(color);
    p.drawEllipse(QPointF(at.x(), at.y() - 3.5 * scale), 2.6 * scale, 2.6 * scale);
    QPainterPath body;
    body.moveTo(at.x() - 5 * scale, at.y() + 5 * scale);
    body.quadTo(at.x() - 5 * scale, at.y() - 0.5 * scale, at.x(), at.y() - 0.5 * scale);
    body.quadTo(at.x() + 5 * scale, at.y() - 0.5 * scale, at.x() + 5 * scale, at.y() + 5 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

inline void Cross(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(220, 20, 20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

inline void Sheet(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(40, 110, 200), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 3)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

inline void Clock(QPainter& p, QPointF c, qreal radius)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 250, 220));
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(QColor(30, 30, 30), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -radius * 0.7));
    p.drawLine(c, c + QPointF(radius * 0.55, 0));
}

inline void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = width * 2.2;
    p.drawLine(to, to - QPointF(std::cos(angle - 0.6) * head, std::sin(angle - 0.6) * head));
    p.drawLine(to, to - QPointF(std::cos(angle + 0.6) * head, std::sin(angle + 0.6) * head));
}

inline QImage Canvas(int w, int h, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(w, h, format);
    image.fill(Qt::transparent);
    return image;
}

inline bool Save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qUtf8Printable(path), image.width(), image.height());
    return true;
}

// The tool bar strip: 17 images of 16 pixels in button order.
QImage ToolBar();

} // namespace Pictures
