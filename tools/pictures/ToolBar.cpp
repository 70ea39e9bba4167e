// The tool bar strip of the program, drawn button by button.
#include "tools/pictures/Shapes.h"

namespace Pictures {

namespace {

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

} // namespace

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

} // namespace Pictures
