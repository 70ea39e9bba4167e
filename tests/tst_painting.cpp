#include "practice/LargeLayout.h"
#include "practice/LargePainter.h"
#include "practice/ViewPainter.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"

#include <QImage>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Ink { Red, Blue, Dark, Grey, Any };

bool IsInk(QRgb pixel, Ink ink, QRgb background)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    switch (ink) {
    case Ink::Red:
        return r > 160 && g < 100 && b < 100;
    case Ink::Blue:
        return b > 160 && r < 100 && g < 100;
    case Ink::Dark:
        return r < 100 && g < 100 && b < 100;
    case Ink::Grey: // a composition's colour
        return r == 128 && g == 128 && b == 128;
    default:
        return pixel != background;
    }
}

// The pixels of one kind in an area of the image.
int Count(const QImage& image, const QRect& area, Ink ink)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += IsInk(image.pixel(x, y), ink, background);
    }
    return count;
}

// The rows of a cell (from its top) that hold pixels of one kind.
QList<int> Rows(const QImage& image, const QRect& cell, Ink ink, int least = 1)
{
    QList<int> rows;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        if (Count(image, QRect(cell.left(), y, cell.width(), 1), ink) >= least)
            rows.append(y - cell.top());
    }
    return rows;
}

// The ink of one character drawn alone as the grid draws it, on a line
// tall enough for nothing to be cut.
int GlyphInk(const QString& text, QRgb background)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setFont(CViewPainter::PracticeFont());
    painter.setBackground(QColor::fromRgb(background));
    painter.setPen(Qt::black);
    Gbk::DrawColumns(painter, 16, 0, 64, 40, CViewPainter::PracticeCharWidth(), Gbk::Encode(text));
    painter.end();
    return Count(image, image.rect(), Ink::Any);
}

int CountColour(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixel(x, y) == colour.rgb();
    }
    return count;
}

QImage Full(CQeView* view)
{
    QImage image(view->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    view->OnDraw(painter, image.rect());
    return image;
}

// A shown practice of the kind; large: a stored text's, on the large screen.
void Load(CPracticeFixture& f, bool chinese, const QByteArray& text, bool large = false)
{
    if (large)
        f.view->resize(1366, 611);
    f.view->show();
    const int kind = chinese ? PracticeKind::Chinese : PracticeKind::English;
    if (large)
        f.view->LoadScreen({.nKind = kind, .text = text, .strTitle = u"小猫钓鱼"_s, .nTextId = 7});
    else
        f.Load(chinese, text);
}

// Paints the cells the session and the composition mark dirty over canvas,
// as a keystroke's partial repaint does.
struct CRepaints
{
    explicit CRepaints(CPracticeFixture& f) : m_f(f), canvas(Full(f.view))
    {
        const auto record = [this](int line, int column, int count) {
            m_dirty.append(m_f.view->DirtyRect(line, column, count));
        };
        f.view->Session().SetInvalidate(record);
        f.view->Composition().SetInvalidate(record);
    }
    void Paint()
    {
        QPainter painter(&canvas);
        for (const QRect& rect : std::as_const(m_dirty)) {
            painter.save();
            painter.setClipRect(rect);
            m_f.view->OnDraw(painter, rect);
            painter.restore();
        }
        m_dirty.clear();
    }
    CPracticeFixture& m_f;
    QImage canvas;
    QList<QRect> m_dirty;
};

} // namespace

// The practice screen as it is painted: red for correct cells, the cursor,
// whole glyphs, and a keystroke's partial repaint agreeing with a full one.
class TestPainting : public QObject
{
    Q_OBJECT
private slots:
    // A correct cell is red, a mistyped one black with the typed character
    // under it; the cursor is a bar under the next cell, two rows at least,
    // clear of the line's last row, which borders the next practice line.
    void cellsShowWhatWasTyped_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QPoint>("mistyped"); // column, text line of a black cell
        QTest::addColumn<int>("width");
        QTest::newRow("single-byte")
            << false << QByteArray("The end") << QByteArray(" Tx") << QPoint(1, 0) << 1;
        QTest::newRow("double-byte")
            << true << Gbk::Encode(u"中文练习"_s) << Gbk::Encode(u" 中字"_s) << QPoint(2, 0) << 2;
        QTest::newRow("cursor on the typed line of row 3")
            << false << QByteArray(400, '7') << " " + QByteArray(3 * 92 + 3, '7') + "x"
            << QPoint(3, 6) << 1;
    }
    void cellsShowWhatWasTyped()
    {
        QFETCH(bool, chinese);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, keys);
        QFETCH(QPoint, mistyped);
        QFETCH(int, width);
        CPracticeFixture f;
        Load(f, chinese, text);
        f.Type(keys);
        const QImage image = f.view->grab().toImage();
        const int line = mistyped.y();
        const int column = mistyped.x();
        QVERIFY(Count(image, f.view->CellRect(line, column - width, width), Ink::Red) > 5);
        const QRect wrong = f.view->CellRect(line, column, width);
        QCOMPARE(Count(image, wrong, Ink::Red), 0);
        QVERIFY(Count(image, wrong, Ink::Dark) > 5);
        const QRect typed = f.view->CellRect(line + 1, column, width);
        QVERIFY(Count(image, typed, Ink::Dark) > 3);
        const QRect cursor = f.view->CellRect(line + 1, column + width, width);
        QCOMPARE(cursor.top(), (line + 1) * LineHeight);
        QVERIFY(Rows(image, cursor, Ink::Dark, cursor.width() - 1).size() >= 2);
        const QList<int> rows = Rows(image, cursor, Ink::Any);
        QVERIFY2(
            !rows.isEmpty() && rows.first() >= LineHeight / 2 && rows.last() < LineHeight - 1,
            qPrintable(u"cursor rows %1-%2"_s.arg(rows.value(0)).arg(rows.value(rows.size() - 1))));
        QVERIFY(Rows(image, typed, Ink::Any).last() < LineHeight - 1);
        QCOMPARE(Count(image, f.view->CellRect(line + 1, column + 2 * width, width), Ink::Any), 0);
    }

    // Each glyph stands whole inside its text line, on the practice line and
    // on the typed line under it: nothing of it is cut by the next line.
    void glyphsAreWhole_data()
    {
        QTest::addColumn<QString>("glyphs");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("descenders and brackets") << u"[gjpqy|]_()$@{}"_s << false;
        QTest::newRow("ideographs and full-width brackets") << u"中【国】（字）"_s << true;
    }
    void glyphsAreWhole()
    {
        QFETCH(QString, glyphs);
        QFETCH(bool, chinese);
        CPracticeFixture f;
        // Each glyph with two blank columns after it, so that a band around
        // its cell holds its own ink alone.
        QString text;
        for (QChar ch : glyphs)
            text += ch + u"  "_s;
        Load(f, chinese, Gbk::Encode(text));
        f.Type(u" "_s + text); // typed wrongly: both lines show the glyphs in black
        const QImage image = Full(f.view);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        const int width = chinese ? 2 : 1;
        for (int i = 0; i < glyphs.size(); ++i) {
            for (int line : {0, 1}) {
                const QRect band = f.view->CellRect(line, (width + 2) * i - 1, width + 2);
                const int ink = Count(image, band, Ink::Any);
                const int whole = GlyphInk(glyphs.mid(i, 1), background);
                QVERIFY2(ink == whole, qPrintable(u"'%1' on line %2: %3 of %4 pixels"_s.arg(
                                           glyphs[i], QString::number(line), QString::number(ink),
                                           QString::number(whole))));
            }
        }
    }

    // A NUL byte in a single-byte text is a blank cell; the bytes after it
    // are drawn as any others.
    void nulByteIsABlankCell()
    {
        CPracticeFixture f;
        Load(f, false, QByteArray("ab\0cd", 5));
        const QImage image = Full(f.view);
        QCOMPARE(Count(image, f.view->CellRect(0, 2, 1), Ink::Any), 0);
        QVERIFY(Count(image, f.view->CellRect(0, 3, 1), Ink::Dark) > 3);
        QVERIFY(Count(image, f.view->CellRect(0, 4, 1), Ink::Dark) > 3);
    }

    // The credit fonts are as high as their character cells: each line's
    // ink stays inside its cell, above the next line and the red rule.
    void creditLinesInsideTheirCells()
    {
        CPracticeFixture f;
        f.view->show();
        const QImage image = Full(f.view);
        // the rows of a band, from its top, that hold ink of the kind
        const auto rows = [&](int top, int bottom, Ink ink) {
            return Rows(image, QRect(0, top, image.width(), bottom - top), ink);
        };
        const QList<int> title = rows(0, 100, Ink::Red);
        QVERIFY(!title.isEmpty() && title.first() >= 50 && title.last() < 80);
        for (int i = 0; i < 6; ++i) {
            const QList<int> line = rows(100 + 40 * i, i < 5 ? 140 + 40 * i : 328, Ink::Blue);
            QVERIFY2(!line.isEmpty() && line.last() < 20,
                     qPrintable(u"line %1 ends at %2"_s.arg(i + 2).arg(line.value(0))));
        }
        const QList<int> footer = rows(332, image.height(), Ink::Blue);
        QVERIFY(!footer.isEmpty() && footer.first() >= 3 && footer.last() < 18);
    }

    // The cells a keystroke repaints, painted over the old picture, give the
    // same picture as a full repaint, on the practice screen and the large one.
    void partialRepaintAgreesWithFullRepaint_data()
    {
        QTest::addColumn<bool>("large");
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<QByteArray>("keys");
        const QByteArray zh = Gbk::Encode(u" 中字 练"_s) + "\b\ba" + Gbk::Encode(u"习"_s) + "  \b";
        for (const char* screen : {"practice", "large"}) {
            const bool large = screen == std::string_view("large");
            QTest::addRow("%s: english with backspaces", screen)
                << large << false << QByteArray(" Thx\b\be  wq\bq");
            QTest::addRow("%s: chinese with skips and backspaces", screen) << large << true << zh;
        }
    }
    void partialRepaintAgreesWithFullRepaint()
    {
        QFETCH(bool, large);
        QFETCH(bool, chinese);
        QFETCH(QByteArray, keys);
        CPracticeFixture f;
        Load(f, chinese,
             chinese ? Gbk::Encode(u"中文练习中文练习"_s) : QByteArray("The quick brown fox"),
             large);
        const int start = large ? 1 : 0; // the large screen's start repaints all
        f.Type(keys.left(start));
        CRepaints repaints(f);
        for (char key : keys.mid(start)) {
            f.view->OnChar(static_cast<unsigned char>(key));
            repaints.Paint();
        }
        QVERIFY(TypedCount > 0);
        const QRect rows = large ? f.view->LargeLayout().text : repaints.canvas.rect();
        QCOMPARE(repaints.canvas.copy(rows), Full(f.view).copy(rows));
    }

    // The large screen fills the width of each display and keeps its rows
    // inside the client: the glyphs are at least 24 px on a 1366×768
    // display, 32 px on a 1920×1080 one with a 40-px panel. Each client is
    // the main window's, less its bars, at the display size the program
    // takes there.
    void largeScreenFitsEveryDisplay_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("leastPixels");
        QTest::newRow("1366×768 at 125 %") << QSize(1093, 507) << 125 << 24;
        QTest::newRow("1920×1080 less a panel at 175 %") << QSize(1097, 512) << 175 << 32;
        QTest::newRow("1280×1024 at 150 %") << QSize(853, 595) << 150 << 24;
        QTest::newRow("a small window at 100 %") << QSize(640, 400) << 100 << 8;
    }
    void largeScreenFitsEveryDisplay()
    {
        QFETCH(QSize, client);
        QFETCH(int, percent);
        QFETCH(int, leastPixels);
        for (const auto band : {CLargeLayout::Band::Figures, CLargeLayout::Band::Result}) {
            const CLargeLayout layout = CLargeLayout::For(client, band);
            // the result's band takes a little of the rows' room
            const int least =
                band == CLargeLayout::Band::Figures ? leastPixels : leastPixels * 7 / 8;
            const int shown = layout.nPixelSize * percent / 100;
            QVERIFY2(shown >= least, qPrintable(QString::number(shown)));
            // The wrong character typed, under its cell: half the text's
            // size at least, inside its strip.
            const int strip = layout.StripFont().pixelSize();
            QVERIFY2(2 * strip >= layout.nPixelSize && strip <= layout.nStripHeight,
                     qPrintable(u"%1 of %2 in %3"_s.arg(strip)
                                    .arg(layout.nPixelSize)
                                    .arg(layout.nStripHeight)));
            QVERIFY(QRect(QPoint(0, 0), client).contains(layout.text));
            QVERIFY(layout.band.bottom() < layout.text.top());
            QVERIFY(qAbs(layout.text.left() - (client.width() - layout.text.right() - 1)) <= 1);
        }
    }

    // On the large screen a cell typed right keeps the text's colour, a
    // wrong one is red on pale red with the character typed in the strip
    // under it, and the cell to type is marked. Before the start a card
    // covers the middle of the rows; the space bar takes it away.
    void largeScreenShowsMistakes()
    {
        CPracticeFixture f;
        Load(f, false, QByteArray("abcdefgh ").repeated(40), true);
        QVERIFY(f.view->IsLarge());
        const QRect middle = f.view->LargeLayout().text.adjusted(200, 100, -200, -100);
        QVERIFY(CountColour(Full(f.view), middle, CLargePainter::CursorBar) > 100);
        f.Type(QByteArray(" ax"));
        QCOMPARE(f.view->Session().IsRunning(), true);
        const QImage image = Full(f.view);
        QCOMPARE(CountColour(image, middle, CLargePainter::CursorBar), 0);
        const QRect right = f.view->CellRect(0, 0, 1);
        const QRect wrong = f.view->CellRect(0, 1, 1);
        QVERIFY(Count(image, right, Ink::Dark) > 10);
        QCOMPARE(
            Count(image, right, Ink::Red) + CountColour(image, right, CLargePainter::WrongFill), 0);
        QVERIFY(CountColour(image, wrong, CLargePainter::WrongFill) >
                wrong.width() * wrong.height() / 2);
        QVERIFY(CountColour(image, wrong, CLargePainter::WrongText) > 5);
        QVERIFY(Count(image, f.view->CellRect(1, 1, 1), Ink::Red) > 5); // the x typed
        const QRect strip = f.view->CellRect(1, 0, 1); // a right cell's ink stays in its line
        QCOMPARE(CountColour(image, strip, CLargePainter::Background),
                 strip.width() * strip.height());
        QVERIFY(CountColour(image, f.view->CellRect(0, 2, 1), CLargePainter::CursorFill) > 20);
    }

    // An input method's composition is drawn in grey and underlined from the
    // typing cell, repainting only what it covers; once committed or
    // cancelled the cells show exactly what the buffers hold.
    void compositionDrawnAtTheCursorAndRemoved()
    {
        CPracticeFixture f;
        Load(f, true, Gbk::Encode(u"中文练习中文练习"_s));
        f.Type(u" 中"_s);
        CRepaints repaints(f);
        const QImage typed = repaints.canvas;
        const auto send = [&](const QString& preedit, const QString& commit) {
            f.Compose(preedit, commit);
            repaints.Paint();
            return repaints.canvas == Full(f.view);
        };
        QVERIFY(send(u"wen"_s, QString()));
        // grey glyphs in the three columns from the cursor cell, an
        // underline beneath them, and no grey anywhere else
        const QRect cells = f.view->CellRect(1, 2, 3);
        const int grey = Count(repaints.canvas, repaints.canvas.rect(), Ink::Grey);
        QVERIFY(Count(repaints.canvas, cells, Ink::Grey) > cells.width());
        QCOMPARE(Count(repaints.canvas, cells, Ink::Grey), grey);
        QCOMPARE(Count(repaints.canvas, cells.adjusted(0, cells.height() - 1, 0, 0), Ink::Grey),
                 cells.width());
        QVERIFY(send(QString(), QString())); // cancelled
        QCOMPARE(repaints.canvas, typed);
        QVERIFY(send(u"wen"_s, QString()));
        QVERIFY(send(u"lian"_s, u"文"_s)); // committed, the next one opened
        QCOMPARE(TypedCount, 2);
        QVERIFY(send(u"lianxi"_s, QString())); // longer
        QVERIFY(send(u"li"_s, QString()));     // shorter: the columns it left are clean again
        QVERIFY(send(QString(), u"练习"_s));
        QCOMPARE(TypedCount, 4);
        QCOMPARE(Count(repaints.canvas, repaints.canvas.rect(), Ink::Grey), 0);
    }
};

QE_TEST_MAIN(TestPainting)
#include "tst_painting.moc"
