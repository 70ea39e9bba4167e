// Draws the program's pictures with QPainter, so that they can be remade
// and changed without an image editor. Usage: draw-pictures <res folder>
#include "tools/pictures/Shapes.h"

using namespace Pictures;

namespace {

void Stalk(QPainter& p, QPointF base, qreal height, qreal lean, const QColor& color)
{
    QPainterPath stem;
    stem.moveTo(base);
    const QPointF top = base + QPointF(lean, -height);
    stem.quadTo(base + QPointF(0, -height * 0.6), top);
    p.setPen(QPen(color.darker(130), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    // Grains along the upper part of the stalk.
    for (int i = 0; i < 6; ++i) {
        const qreal t = 0.55 + i * 0.08;
        const QPointF at = stem.pointAtPercent(t);
        for (int side : {-1, 1}) {
            p.save();
            p.translate(at);
            p.rotate(side * 35 + lean);
            p.drawEllipse(QRectF(side > 0 ? 0 : -7, -2.5, 7, 5));
            p.restore();
        }
    }
    // One long leaf from the base.
    QPainterPath leaf;
    const QPointF from = stem.pointAtPercent(0.25);
    leaf.moveTo(from);
    leaf.quadTo(from + QPointF(-lean * 1.5 - 18, -12), from + QPointF(-lean * 2 - 30, 4));
    leaf.quadTo(from + QPointF(-lean - 14, -4), from);
    p.setBrush(color.lighter(115));
    p.drawPath(leaf);
}

QImage Splash()
{
    QImage image(326, 240, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, 0, 240);
    sky.setColorAt(0, QColor(232, 247, 238));
    sky.setColorAt(0.6, QColor(196, 232, 208));
    sky.setColorAt(1, QColor(120, 190, 140));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(270, 50, 40);
    sun.setColorAt(0, QColor(255, 236, 160));
    sun.setColorAt(1, QColor(255, 236, 160, 0));
    p.fillRect(image.rect(), sun);
    // Rolling field.
    QPainterPath field;
    field.moveTo(0, 180);
    field.cubicTo(90, 160, 210, 195, 326, 168);
    field.lineTo(326, 240);
    field.lineTo(0, 240);
    p.fillPath(field, QColor(70, 150, 90));
    Stalk(p, {40, 204}, 122, 14, QColor(60, 150, 70));
    Stalk(p, {62, 206}, 90, 22, QColor(90, 170, 80));
    Stalk(p, {290, 205}, 101, -16, QColor(60, 150, 70));
    // A plain dark band along the bottom, where the start writes its green
    // progress text.
    p.fillRect(QRect(0, 206, 326, 34), QColor(12, 30, 18));
    // Title and version.
    p.setFont(Font(34));
    p.setPen(QColor(255, 255, 255, 200));
    p.drawText(QRect(2, 60, 326, 50), Qt::AlignCenter, u"青禾测试系统"_s);
    p.setPen(QColor(20, 90, 50));
    p.drawText(QRect(0, 58, 326, 50), Qt::AlignCenter, u"青禾测试系统"_s);
    p.setFont(Font(22, true, u"Noto Sans"_s));
    p.setPen(QColor(200, 40, 40));
    p.drawText(QRect(0, 110, 326, 30), Qt::AlignCenter, u"QE V3.0"_s);
    p.setFont(Font(13, false));
    p.setPen(QColor(30, 70, 40));
    p.drawText(QRect(0, 146, 326, 20), Qt::AlignCenter, u"中英文打字练习与测试"_s);
    // A row of keys along the bottom.
    p.setFont(Font(11, true, u"Noto Sans"_s));
    const QString keys = u"QWERTYU"_s;
    for (int i = 0; i < keys.size(); ++i) {
        const QRectF key(92 + i * 21, 180, 18, 18);
        p.setPen(QPen(QColor(40, 80, 50), 1));
        p.setBrush(QColor(250, 252, 245));
        p.drawRoundedRect(key, 3, 3);
        p.setPen(QColor(40, 80, 50));
        p.drawText(key, Qt::AlignCenter, keys.mid(i, 1));
    }
    p.setPen(QPen(QColor(20, 90, 50), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, 324, 238));
    return image;
}

QImage Login()
{
    // A small keyboard with a key on top: who is typing.
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(QColor(212, 208, 200));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(245, 245, 240));
    p.drawRoundedRect(QRectF(2.5, 13.5, 43, 16), 2, 2);
    p.setBrush(QColor(180, 180, 190));
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 7; ++i)
            p.drawRect(QRectF(5 + i * 5.6 + row * 2, 16 + row * 5, 4, 3.5));
    }
    p.drawRect(QRectF(12, 26, 22, 2));
    p.setPen(QPen(QColor(170, 120, 0), 1));
    p.setBrush(QColor(240, 190, 40));
    p.drawEllipse(QRectF(6, 2, 9, 9));
    p.setBrush(QColor(212, 208, 200));
    p.drawEllipse(QRectF(9, 5, 3, 3));
    p.setPen(QPen(QColor(170, 120, 0), 2));
    p.drawLine(QPointF(15, 6.5), QPointF(30, 6.5));
    p.drawLine(QPointF(25, 6.5), QPointF(25, 10));
    p.drawLine(QPointF(28, 6.5), QPointF(28, 9.5));
    Person(p, {39, 7.5}, 0.75, QColor(70, 130, 220));
    return image;
}

QImage ListImage()
{
    // Black is the mask colour of the list's image list.
    QImage image(16, 15, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 0.5, 10, 13));
    p.setPen(QPen(QColor(40, 110, 200), 1));
    for (int y = 3; y < 12; y += 3)
        p.drawLine(4, y, 11, y);
    p.setPen(QPen(QColor(220, 30, 30), 1.5));
    p.drawLine(QPointF(8, 11), QPointF(10, 13.5));
    p.drawLine(QPointF(10, 13.5), QPointF(15, 7));
    return image;
}

QImage NewUserIcon()
{
    QImage image = Canvas(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    Person(p, {14, 19}, 2.3, QColor(70, 130, 220));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 160, 0));
    p.drawEllipse(QRectF(19, 1, 12, 12));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(25, 3.5), QPointF(25, 10.5));
    p.drawLine(QPointF(21.5, 7), QPointF(28.5, 7));
    return image;
}

QImage AppIcon()
{
    QImage image = Canvas(64, 64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient fill(0, 0, 0, 64);
    fill.setColorAt(0, QColor(80, 190, 110));
    fill.setColorAt(1, QColor(20, 110, 60));
    p.setPen(QPen(QColor(10, 70, 40), 2));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 12, 12);
    p.setFont(Font(36));
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 64, 50), Qt::AlignCenter, u"青"_s);
    p.setPen(QPen(QColor(10, 70, 40), 1));
    p.setBrush(QColor(245, 250, 240));
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(10 + i * 11.5, 47, 9, 8), 2, 2);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-pictures <res folder>\n");
        return 2;
    }
    const QString res = QString::fromLocal8Bit(argv[1]);
    bool bOk = Save(ToolBar(), res + u"/bitmaps/128.png"_s);
    bOk = Save(Splash(), res + u"/bitmaps/144.png"_s) && bOk;
    bOk = Save(Login(), res + u"/bitmaps/153.png"_s) && bOk;
    bOk = Save(ListImage(), res + u"/bitmaps/164.png"_s) && bOk;
    bOk = Save(NewUserIcon(), res + u"/icons/150.png"_s) && bOk;
    bOk = Save(AppIcon(), res + u"/icons/128.png"_s) && bOk;
    return bOk ? 0 : 1;
}
