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
