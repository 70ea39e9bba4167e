// Draws the program's pictures with QPainter, so that they can be remade
// and changed without an image editor. Usage: draw-pictures <res folder>
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

namespace {

const QString kCjkFace = u"Noto Sans CJK SC"_s;

QFont Font(int nPixels, bool bBold = true, const QString& face = kCjkFace)
{
    QFont font(face);
    font.setPixelSize(nPixels);
    font.setBold(bBold);
    return font;
}

void Glyph(QPainter& p, const QRect& r, const QString& text, const QColor& color, int nPixels)
{
    p.setFont(Font(nPixels));
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

void Person(QPainter& p, QPointF at, qreal scale, const QColor& color)
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

void Cross(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(220, 20, 20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void Sheet(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(40, 110, 200), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 3)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Clock(QPainter& p, QPointF c, qreal radius)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 250, 220));
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(QColor(30, 30, 30), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -radius * 0.7));
    p.drawLine(c, c + QPointF(radius * 0.55, 0));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, qreal width)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = width * 2.2;
    p.drawLine(to, to - QPointF(std::cos(angle - 0.6) * head, std::sin(angle - 0.6) * head));
    p.drawLine(to, to - QPointF(std::cos(angle + 0.6) * head, std::sin(angle + 0.6) * head));
}

// The 17 tool bar images in button order.
const std::function<void(QPainter&)> kButtons[] = {
    [](QPainter& p) {
        Glyph(p, {0, 0, 16, 16}, u"中"_s, QColor(200, 0, 0), 14);
    },
    [](QPainter& p) {
        Glyph(p, {0, 0, 16, 16}, u"A"_s, QColor(0, 70, 200), 15);
    },
    [](QPainter& p) {
        Glyph(p, {0, 0, 16, 16}, u"12"_s, QColor(0, 130, 60), 11);
    },
    [](QPainter& p) {
        Glyph(p, {0, 0, 16, 16}, u"#"_s, QColor(140, 60, 170), 14);
    },
    [](QPainter& p) { // settings: a gear
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 110, 120));
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(8, 8);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.5, -7.5, 3, 4));
            p.restore();
        }
        p.drawEllipse(QPointF(8, 8), 5, 5);
        p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QPointF(8, 8), 2, 2);
    },
    [](QPainter& p) { // new user
        Person(p, {7, 9}, 1.1, QColor(70, 130, 220));
        p.setPen(QPen(QColor(0, 150, 0), 2));
        p.drawLine(QPointF(12.5, 1.5), QPointF(12.5, 7.5));
        p.drawLine(QPointF(9.5, 4.5), QPointF(15.5, 4.5));
    },
    [](QPainter& p) { // log off
        Person(p, {6, 9}, 1.0, QColor(150, 150, 150));
        Arrow(p, {9.5, 11}, {15, 11}, QColor(220, 120, 0), 1.6);
    },
    [](QPainter& p) { // clear personal scores
        Sheet(p, {3, 1, 9, 13});
        Cross(p, {8, 8, 6.5, 6.5});
    },
    [](QPainter& p) { // clear group scores
        Sheet(p, {5, 1, 9, 11});
        Sheet(p, {2, 3, 9, 11});
        Cross(p, {8, 8, 6.5, 6.5});
    },
    [](QPainter& p) { // view history: a clock and a magnifier
        Clock(p, {7, 7}, 6);
        p.setPen(QPen(QColor(60, 40, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11.5, 11.5), QPointF(15, 15));
    },
    [](QPainter& p) { // clear history
        Clock(p, {7, 7}, 6);
        Cross(p, {9, 9, 5.5, 5.5});
    },
    [](QPainter& p) { // help
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 110, 210));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        Glyph(p, {0, 0, 16, 16}, u"?"_s, Qt::white, 12);
    },
    [](QPainter& p) { // about
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 90));
        p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
        Glyph(p, {0, 0, 16, 16}, u"i"_s, Qt::white, 12);
    },
    [](QPainter& p) { // upgrade
        Arrow(p, {8, 15}, {8, 2}, QColor(0, 150, 60), 2.6);
        p.setPen(QPen(QColor(0, 90, 40), 1));
        p.drawLine(2, 15, 14, 15);
    },
    [](QPainter& p) { // news: a globe
        p.setPen(QPen(QColor(20, 80, 160), 1));
        p.setBrush(QColor(150, 200, 250));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(3, 4.5), QPointF(13, 4.5));
        p.drawLine(QPointF(3, 11.5), QPointF(13, 11.5));
    },
    [](QPainter& p) { // reset: a circular arrow
        p.setPen(QPen(QColor(0, 120, 180), 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 100 * 16, 290 * 16);
        Arrow(p, {4.5, 2}, {7.5, 3.2}, QColor(0, 120, 180), 1.6);
    },
    [](QPainter& p) { // exit: a door and an arrow out of it
        p.setPen(QPen(QColor(110, 70, 30), 1));
        p.setBrush(QColor(190, 130, 70));
        p.drawRect(QRectF(1.5, 1.5, 8, 13));
        p.setBrush(QColor(250, 230, 120));
        p.drawEllipse(QPointF(7.5, 8.5), 0.9, 0.9);
        Arrow(p, {8, 8}, {15, 8}, QColor(210, 30, 30), 1.8);
    },
};

QImage Canvas(int w, int h, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage image(w, h, format);
    image.fill(Qt::transparent);
    return image;
}

bool Save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qUtf8Printable(path), image.width(), image.height());
    return true;
}

QImage ToolBar()
{
    QImage strip = Canvas(16 * 17, 16);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    int x = 0;
    for (const auto& draw : kButtons) {
        p.save();
        p.setClipRect(x, 0, 16, 16);
        p.translate(x, 0);
        draw(p);
        p.restore();
        x += 16;
    }
    return strip;
}

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
