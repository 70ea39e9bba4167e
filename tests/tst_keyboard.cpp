#include "course/CoursePlan.h"
#include "course/KeyboardLayout.h"
#include "course/KeyboardView.h"
#include "course/LessonView.h"
#include "tests/TestMain.h"

#include <QPaintEvent>

using namespace Qt::Literals::StringLiterals;

namespace {

const CKeyboardLayout& Layout()
{
    return CKeyboardLayout::Standard();
}

class CPaintRegions : public QObject
{
public:
    QRegion m_region;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_region += static_cast<QPaintEvent*>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

// The keyboard of the course: its finger table as data, its painting, and
// the lesson screen it stands in, at the sizes a window may have.
class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    // Every printable character has one key and one finger; a shifted one
    // takes the Shift of the other hand.
    void fingerTable()
    {
        const CKeyboardLayout& layout = Layout();
        for (char16_t code = 0x20; code < 0x7F; ++code) {
            const QChar ch(code);
            const CKeyStroke stroke = layout.StrokeFor(ch);
            const QString where = QString(ch);
            QVERIFY2(stroke.IsValid(), qPrintable(where));
            const CKeyFinger* finger = layout.FingerOf(stroke.nKey);
            QVERIFY2(finger, qPrintable(where));
            const bool shifted = layout.Keys()[stroke.nKey].chPlain != ch;
            QCOMPARE(stroke.nShift >= 0, shifted);
            if (shifted) {
                const CKeyFinger* shift = layout.FingerOf(stroke.nShift);
                QVERIFY2(shift && shift->strHand != finger->strHand && shift->strHand != u"both"_s,
                         qPrintable(where));
            }
        }
    }

    void fingers_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("finger");
        QTest::newRow("left index covers 5TGB") << u"45rtfgvb"_s << u"左手食指"_s;
        QTest::newRow("right index covers 6YHN") << u"67yuhjnm"_s << u"右手食指"_s;
        QTest::newRow("left little finger") << u"`1qaz"_s << u"左手小指"_s;
        QTest::newRow("right little finger") << u"0-=p[]\\;'/"_s << u"右手小指"_s;
        QTest::newRow("space for the thumbs") << u" "_s << u"拇指"_s;
        QTest::newRow("capital: right Shift") << u"A"_s << u"左手小指,同时右手小指按 Shift"_s;
        QTest::newRow("colon: left Shift") << u":"_s << u"右手小指,同时左手小指按 Shift"_s;
    }

    void fingers()
    {
        QFETCH(QString, keys);
        QFETCH(QString, finger);
        for (const QChar ch : keys)
            QCOMPARE(Layout().FingerText(ch), finger);
    }

    void bumpsOnFAndJ()
    {
        QStringList bumps;
        for (const CKeyCap& key : Layout().Keys()) {
            if (key.bBump)
                bumps.append(key.strId);
        }
        QCOMPARE(bumps, (QStringList{u"f"_s, u"j"_s}));
    }

    void screenScales_data()
    {
        QTest::addColumn<QString>("course");
        QTest::addColumn<int>("lesson");
        QTest::newRow("letters") << CoursePlan::Fingering << 1;
        QTest::newRow("sentences") << CoursePlan::Fingering << 29;
        QTest::newRow("pinyin under characters") << CoursePlan::Pinyin << 6;
    }

    // The lesson screen and its keyboard fit the view's room at the
    // program's size and at larger ones, and grow with it.
    void screenScales()
    {
        QFETCH(QString, course);
        QFETCH(int, lesson);
        CLessonView screen(CoursePlan::Course(course), lesson);
        screen.show(); // a hidden widget is laid out only when it shows
        int lastCell = 0;
        int lastKey = 0;
        for (const QSize size : {QSize(740, 430), QSize(1200, 800), QSize(1900, 1000)}) {
            screen.resize(size);
            const QString where = u"%1x%2"_s.arg(size.width()).arg(size.height());
            const CKeyboardView* keyboard = screen.Keyboard();
            QVERIFY2(screen.rect().contains(keyboard->geometry()), qPrintable(where));
            const QRect keys = keyboard->KeyRect(0).united(
                keyboard->KeyRect(int(keyboard->Layout().Keys().size()) - 1));
            QVERIFY2(keyboard->rect().contains(keys), qPrintable(where));
            int longest = 0;
            for (const QString& line : screen.Session().Lesson().lines)
                longest = qMax(longest, int(line.size()));
            const QRect lastRow = screen.CellRect(3, longest - 1);
            QVERIFY2(lastRow.right() < size.width() && lastRow.bottom() < keyboard->y(),
                     qPrintable(where));
            QVERIFY2(screen.CellRect(0, 0).top() > screen.HeaderRect().bottom(), qPrintable(where));
            QVERIFY2(screen.CellRect(0, 0).width() > lastCell, qPrintable(where));
            QVERIFY2(keyboard->KeyRect(0).width() > lastKey, qPrintable(where));
            lastCell = screen.CellRect(0, 0).width();
            lastKey = keyboard->KeyRect(0).width();
        }
    }

    void keyboardRepaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("before"); // the next character before
        QTest::addColumn<QString>("after");  // and after, or a wrong key "!x"
        QTest::addColumn<QString>("repainted");
        QTest::addColumn<QString>("untouched");
        QTest::newRow("next key moves") << u"f"_s << u"j"_s << u"f j"_s << u"a k Space"_s;
        QTest::newRow("capital adds its Shift")
            << u"a"_s << u"A"_s << u"a RShift"_s << u"LShift j"_s;
        QTest::newRow("wrong key alone") << u"f"_s << u"!d"_s << u"d"_s << u"f s j"_s;
    }

    void keyboardRepaintsOnlyWhatChanged()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, repainted);
        QFETCH(QString, untouched);
        CKeyboardView keyboard(Layout());
        keyboard.resize(700, 250);
        keyboard.show();
        QVERIFY(QTest::qWaitForWindowExposed(&keyboard));
        keyboard.SetNext(before.front());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        CPaintRegions painted;
        keyboard.installEventFilter(&painted);
        if (after.startsWith(u'!'))
            keyboard.ShowWrong(after[1]);
        else
            keyboard.SetNext(after.front());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        for (const QString& id : repainted.split(u' '))
            QVERIFY2(painted.m_region.contains(keyboard.KeyRect(Layout().KeyIndex(id))),
                     qPrintable(id));
        for (const QString& id : untouched.split(u' '))
            QVERIFY2(!painted.m_region.intersects(keyboard.KeyRect(Layout().KeyIndex(id))),
                     qPrintable(id));
    }
};

QE_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
