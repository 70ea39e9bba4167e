#include "practice/ViewPainter.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"

#include <QImage>
#include <QInputMethodEvent>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

// The practice screen as it is painted: red for correct cells, the cursor,
// and a keystroke's partial repaint agreeing with a full repaint.
class TestPainting : public QObject
{
    Q_OBJECT
private:
    // Counts the pixels of a colour class in a grid area of the image.
    static int CountPixels(const QImage& image, const QRect& area, bool red)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                const bool isRed = c.red() > 160 && c.green() < 100 && c.blue() < 100;
                const bool isDark = c.red() < 100 && c.green() < 100 && c.blue() < 100;
                if (red ? isRed : isDark)
                    ++count;
            }
        }
        return count;
    }
    // Pixels that differ from the background in an area.
    static int Ink(const QImage& image, const QRect& area, QRgb background)
    {
        int count = 0;
        const QRect inside = area & image.rect();
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x)
                count += image.pixel(x, y) != background;
        }
        return count;
    }
    // The ink of one character drawn alone as the grid draws it, on a line
    // tall enough for nothing to be cut.
    static int GlyphInk(const QString& text, QRgb background)
    {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        painter.setFont(CViewPainter::PracticeFont());
        painter.setBackground(QColor::fromRgb(background));
        painter.setPen(Qt::black);
        Gbk::DrawColumns(painter, 16, 0, 64, 40, CViewPainter::PracticeCharWidth(),
                         Gbk::Encode(text));
        painter.end();
        return Ink(image, image.rect(), background);
    }
    // The rows of a line's cell (from the line's top) that hold ink.
    static QList<int> InkRows(const QImage& image, const QRect& cell, QRgb background)
    {
        QList<int> rows;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            if (Ink(image, QRect(cell.left(), y, cell.width(), 1), background) > 0)
                rows.append(y - cell.top());
        }
        return rows;
    }
    static bool IsCompositionGrey(QRgb pixel)
    {
        return qRed(pixel) == 128 && qGreen(pixel) == 128 && qBlue(pixel) == 128;
    }
    static QImage Full(CQeView* view)
    {
        QImage image(view->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        view->OnDraw(painter, image.rect());
        return image;
    }

private slots:
    void correctCellIsRedMistypedStaysBlack()
    {
        CPracticeFixture f;
        f.frame->show();
        f.WriteFile(u"english.txt"_s, "The end");
        f.view->OnPracticeEnglish();
        f.Type(QByteArray(" Tx"));
        const QImage image = f.view->grab().toImage();
        const QRect t = f.view->CellRect(0, 0, 1);
        const QRect h = f.view->CellRect(0, 1, 1);
        QVERIFY(CountPixels(image, t, true) > 5);
        QCOMPARE(CountPixels(image, h, true), 0);
        QVERIFY(CountPixels(image, h, false) > 5);
        // the typed x stands on the typed line under the h
        QVERIFY(CountPixels(image, f.view->CellRect(1, 1, 1), false) > 3);
    }

    void chineseCorrectCharacterIsRed()
    {
        CPracticeFixture f;
        f.frame->show();
        f.WriteFile(u"chinese.txt"_s, Gbk::Encode(u"中文练习"_s));
        f.view->OnPracticeChinese();
        f.Type(u" 中字"_s);
        const QImage image = f.view->grab().toImage();
        QVERIFY(CountPixels(image, f.view->CellRect(0, 0, 2), true) > 10);
        QCOMPARE(CountPixels(image, f.view->CellRect(0, 2, 2), true), 0);
        QVERIFY(CountPixels(image, f.view->CellRect(0, 2, 2), false) > 10);
        // the cursor "__" stands under cell 2
        QVERIFY(CountPixels(image, f.view->CellRect(1, 4, 2), false) > 3);
    }

    void cursorOnTypedLineOfCurrentRow()
    {
        CPracticeFixture f;
        f.frame->show();
        f.WriteFile(u"number.txt"_s, QByteArray(400, '7'));
        f.view->OnPracticeNumber();
        f.Type(QByteArray(" ") + QByteArray(3 * 92 + 4, '7'));
        QCOMPARE(CurrentRow, 3);
        const QImage image = f.view->grab().toImage();
        QVERIFY(CountPixels(image, f.view->CellRect(7, 4, 1), false) > 3);
        QCOMPARE(CountPixels(image, f.view->CellRect(7, 6, 1), false), 0);
        QCOMPARE(f.view->CellRect(7, 4, 1).top(), 7 * LineHeight);
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
        f.frame->show();
        // Each glyph with two blank columns after it, so that a band around
        // its cell holds its own ink alone.
        const QString blank = u"  "_s;
        QString text;
        for (QChar ch : glyphs)
            text += ch + blank;
        if (chinese) {
            f.WriteFile(u"chinese.txt"_s, Gbk::Encode(text));
            f.view->OnPracticeChinese();
        } else {
            f.WriteFile(u"english.txt"_s, Gbk::Encode(text));
            f.view->OnPracticeEnglish();
        }
        // Typed wrongly, so that both lines show the glyphs in black.
        f.Type(u" "_s + text);
        const QImage image = Full(f.view);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        const int width = chinese ? 2 : 1;
        for (int i = 0; i < glyphs.size(); ++i) {
            const QString ch = glyphs.mid(i, 1);
            const int column = (width + 2) * i;
            for (int line : {0, 1}) {
                // The line's band, a column wider on each side (blank cells).
                const QRect band = f.view->CellRect(line, column - 1, width + 2);
                QVERIFY2(Ink(image, band, background) == GlyphInk(ch, background),
                         qPrintable(u"'%1' on line %2: %3 of %4 pixels"_s.arg(ch)
                                        .arg(line)
                                        .arg(Ink(image, band, background))
                                        .arg(GlyphInk(ch, background))));
            }
        }
    }

    // The cursor is a bar under its cell, two rows at least, clear of the
    // line's last row, which borders the next practice line.
    void cursorIsVisibleUnderItsCell_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::newRow("single-byte") << false;
        QTest::newRow("double-byte") << true;
    }
    void cursorIsVisibleUnderItsCell()
    {
        QFETCH(bool, chinese);
        CPracticeFixture f;
        f.frame->show();
        if (chinese) {
            f.WriteFile(u"chinese.txt"_s, Gbk::Encode(u"中文练习"_s));
            f.view->OnPracticeChinese();
            f.Type(u" 中文"_s);
        } else {
            f.WriteFile(u"english.txt"_s, "The end");
            f.view->OnPracticeEnglish();
            f.Type(QByteArray(" Th"));
        }
        const QImage image = Full(f.view);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        const QRect cell = chinese ? f.view->CellRect(1, 4, 2) : f.view->CellRect(1, 2, 1);
        int fullRows = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            const int dark = CountPixels(image, QRect(cell.left(), y, cell.width(), 1), false);
            fullRows += dark >= cell.width() - 1;
        }
        QVERIFY2(fullRows >= 2, qPrintable(QString::number(fullRows)));
        const QList<int> rows = InkRows(image, cell, background);
        QVERIFY(!rows.isEmpty());
        QVERIFY2(rows.first() >= LineHeight / 2 && rows.last() < LineHeight - 1,
                 qPrintable(u"cursor rows %1-%2"_s.arg(rows.first()).arg(rows.last())));
        // The typed cell before it holds no part of the cursor.
        const QRect before = chinese ? f.view->CellRect(1, 2, 2) : f.view->CellRect(1, 1, 1);
        QVERIFY(InkRows(image, before, background).last() < LineHeight - 1);
    }

    // A NUL byte in a single-byte text is a blank cell; the bytes after it
    // are drawn as any others.
    void nulByteIsABlankCell()
    {
        CPracticeFixture f;
        f.frame->show();
        f.WriteFile(u"english.txt"_s, QByteArray("ab\0cd", 5));
        f.view->OnPracticeEnglish();
        const QImage image = Full(f.view);
        const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
        QCOMPARE(Ink(image, f.view->CellRect(0, 2, 1), background), 0);
        QVERIFY(CountPixels(image, f.view->CellRect(0, 3, 1), false) > 3);
        QVERIFY(CountPixels(image, f.view->CellRect(0, 4, 1), false) > 3);
    }

    // The credit fonts are as high as their character cells: each line's
    // ink stays inside its cell, above the next line and the red rule.
    void creditLinesInsideTheirCells()
    {
        CPracticeFixture f;
        f.frame->show();
        const QImage image = Full(f.view);
        const auto rows = [&](int top, int bottom, bool red) {
            QList<int> found;
            for (int y = top; y < bottom; ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    const bool match = red ? c.red() > 160 && c.green() < 100 && c.blue() < 100
                                           : c.blue() > 160 && c.red() < 100 && c.green() < 100;
                    if (match) {
                        found.append(y);
                        break;
                    }
                }
            }
            return found;
        };
        const QList<int> title = rows(0, 100, true);
        QVERIFY(!title.isEmpty());
        QVERIFY2(title.first() >= 50 && title.last() < 80,
                 qPrintable(u"title %1-%2"_s.arg(title.first()).arg(title.last())));
        for (int i = 0; i < 6; ++i) {
            const int top = 100 + 40 * i;
            const QList<int> line = rows(top, i < 5 ? top + 40 : 328, false);
            QVERIFY(!line.isEmpty());
            QVERIFY2(line.last() < top + 20,
                     qPrintable(u"line %1 ends at %2"_s.arg(i + 2).arg(line.last())));
        }
        const QList<int> footer = rows(332, image.height(), false);
        QVERIFY(!footer.isEmpty());
        QVERIFY2(footer.first() >= 335 && footer.last() < 350,
                 qPrintable(u"footer %1-%2"_s.arg(footer.first()).arg(footer.last())));
    }

    // The cells a keystroke repaints, painted over the old picture, give the
    // same picture as a full repaint.
    void partialRepaintAgreesWithFullRepaint_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<QByteArray>("keys");
        QTest::newRow("english with backspaces") << false << QByteArray(" Thx\b\be  wq\bq");
        QTest::newRow("chinese with skips and backspaces")
            << true
            << (QByteArray(" ") + Gbk::Encode(u"中字"_s) + " " + Gbk::Encode(u"练"_s) + "\b\ba" +
                Gbk::Encode(u"习"_s) + "  \b");
    }
    void partialRepaintAgreesWithFullRepaint()
    {
        QFETCH(bool, chinese);
        QFETCH(QByteArray, keys);
        CPracticeFixture f;
        f.frame->show();
        if (chinese) {
            f.WriteFile(u"chinese.txt"_s, Gbk::Encode(u"中文练习中文练习"_s));
            f.view->OnPracticeChinese();
        } else {
            f.WriteFile(u"english.txt"_s, "The quick brown fox");
            f.view->OnPracticeEnglish();
        }
        QImage canvas = Full(f.view);
        QList<QRect> dirty;
        f.view->Session().SetInvalidate([&](int line, int column, int count) {
            dirty.append(f.view->DirtyRect(line, column, count));
        });
        for (char key : keys) {
            f.view->OnChar(static_cast<unsigned char>(key));
            QPainter painter(&canvas);
            for (const QRect& rect : dirty) {
                painter.save();
                painter.setClipRect(rect);
                f.view->OnDraw(painter, rect);
                painter.restore();
            }
            dirty.clear();
        }
        QVERIFY(TypedCount > 0);
        const QImage full = Full(f.view);
        QCOMPARE(canvas, full);
    }

    // An input method's composition is drawn in grey and underlined from the
    // typing cell, repainting only what it covers; once committed or
    // cancelled the cells show exactly what the buffers hold.
    void compositionDrawnAtTheCursorAndRemoved()
    {
        CPracticeFixture f;
        f.frame->show();
        f.WriteFile(u"chinese.txt"_s, Gbk::Encode(u"中文练习中文练习"_s));
        f.view->OnPracticeChinese();
        f.Type(u" 中"_s);
        QImage canvas = Full(f.view);
        const QImage typed = canvas;
        QList<QRect> dirty;
        const auto record = [&](int line, int column, int count) {
            dirty.append(f.view->DirtyRect(line, column, count));
        };
        f.view->Session().SetInvalidate(record);
        f.view->Composition().SetInvalidate(record);
        const auto send = [&](const QString& preedit, const QString& commit) {
            QInputMethodEvent event(preedit, {});
            event.setCommitString(commit);
            QCoreApplication::sendEvent(f.view, &event);
            QPainter painter(&canvas);
            for (const QRect& rect : std::as_const(dirty)) {
                painter.save();
                painter.setClipRect(rect);
                f.view->OnDraw(painter, rect);
                painter.restore();
            }
            dirty.clear();
        };

        send(u"wen"_s, QString());
        QCOMPARE(canvas, Full(f.view));
        // grey glyphs in the three columns from the cursor cell, an
        // underline beneath them, and no grey anywhere else
        const QRect cells = f.view->CellRect(1, 2, 3);
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                if (IsCompositionGrey(canvas.pixel(x, y)))
                    ++(cells.contains(x, y) ? inside : outside);
            }
        }
        QVERIFY2(inside > cells.width(), qPrintable(QString::number(inside)));
        QCOMPARE(outside, 0);
        for (int x = cells.left(); x <= cells.right(); ++x)
            QVERIFY(IsCompositionGrey(canvas.pixel(x, cells.bottom())));

        send(QString(), QString()); // cancelled
        QCOMPARE(canvas, typed);

        send(u"wen"_s, QString());
        send(u"lian"_s, u"文"_s); // committed, the next one opened
        QCOMPARE(TypedCount, 2);
        QCOMPARE(canvas, Full(f.view));
        send(u"lianxi"_s, QString()); // longer
        send(u"li"_s, QString());     // shorter: the columns it left are clean again
        QCOMPARE(canvas, Full(f.view));
        send(QString(), u"练习"_s);
        QCOMPARE(TypedCount, 4);
        QCOMPARE(canvas, Full(f.view));
        QVERIFY(std::none_of(reinterpret_cast<const QRgb*>(canvas.constBits()),
                             reinterpret_cast<const QRgb*>(canvas.constBits()) +
                                 canvas.width() * canvas.height(),
                             IsCompositionGrey));
    }
};

QE_TEST_MAIN(TestPainting)
#include "tst_painting.moc"
