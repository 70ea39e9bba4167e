#include "course/CodeSession.h"
#include "course/CoursePlan.h"
#include "course/CourseRules.h"
#include "course/KeyboardLayout.h"
#include "course/KeyboardView.h"
#include "course/LessonSession.h"
#include "course/LessonView.h"
#include "course/WubiChart.h"
#include "tests/TestMain.h"

#include <QHash>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

const CKeyboardLayout& Layout()
{
    return CKeyboardLayout::Standard();
}

// The key a lesson's new-key entry names: a character, or a key's name.
int TaughtKey(const QString& entry)
{
    const int named = Layout().KeyIndex(entry);
    if (named >= 0 && entry.size() > 1)
        return named;
    return Layout().StrokeFor(entry.front()).nKey;
}

// A lesson of codes: 工 (a, aaa, aaaa), 王 (ggg, gggg) and the 字根 艹 (a).
CLesson CodeLesson()
{
    return {.nNumber = 1,
            .strKind = u"wubi"_s,
            .lines = {u"工 王"_s, u"艹"_s},
            .items = {{{u"工"_s, {u"a"_s, u"aaa"_s, u"aaaa"_s}}, {u"王"_s, {u"ggg"_s, u"gggg"_s}}},
                      {{u"艹"_s, {u"a"_s}}}}};
}

// Types keys into a lesson or code session a second apart ("<" is
// Backspace) and tells the outcome of the last.
template <class Session>
typename Session::Outcome TypeCodes(Session& session, const QString& keys, qint64& now)
{
    auto outcome = Session::Outcome::Ignored;
    for (const QChar ch : keys) {
        now += 1000;
        outcome = ch == u'<' ? session.Backspace(now) : session.Type(ch, now);
    }
    return outcome;
}

// The regions a widget is asked to paint.
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

Q_DECLARE_METATYPE(CClassThresholds)
Q_DECLARE_METATYPE(CLessonAttempt)

// The course's lessons, the typing rules of a lesson, the rules of stars
// and unlocking, and the keyboard: its finger table, its painting, and the
// lesson screen it stands in at the sizes a window may have.
class TestCourse : public QObject
{
    Q_OBJECT
private slots:
    // Each lesson is 200 to 600 keystrokes (5 to 15 minutes at 40 keys a
    // minute), or 40 to 300 items typed by codes; its targets never fall
    // from one lesson to the next of the same unit, and a lesson of words
    // does not repeat one word over and over. Fingering: every character of
    // every lesson is typed on keys already taught, its Shift included; the
    // home row comes first, then two new keys at a time until 20 keys are
    // taught.
    void courses_data()
    {
        QTest::addColumn<QString>("course");
        QTest::addColumn<int>("minLessons");
        QTest::newRow("fingering") << CoursePlan::Fingering << 20;
        QTest::newRow("pinyin") << CoursePlan::Pinyin << 10;
        QTest::newRow("wubi") << CoursePlan::Wubi << 20;
    }
    void courses()
    {
        QFETCH(QString, course);
        QFETCH(int, minLessons);
        const CCourse& plan = CoursePlan::Course(course);
        const bool bFingering = course == CoursePlan::Fingering;
        QVERIFY(plan.lessons.size() >= minLessons);
        QHash<QString, int> speed; // by unit
        QSet<int> taught;          // fingering: the keys taught so far, and their entries
        QSet<QString> entries;
        int characterKeys = 0;
        for (const CLesson& lesson : plan.lessons) {
            const QString name = u"lesson %1"_s.arg(lesson.nNumber);
            const bool byCodes = !lesson.items.isEmpty();
            QVERIFY2(byCodes ? lesson.Keystrokes() >= 40 && lesson.Keystrokes() <= 300
                             : lesson.Keystrokes() >= 200 && lesson.Keystrokes() <= 600,
                     qPrintable(name));
            const QString unit = plan.UnitOf(lesson);
            QCOMPARE(unit, byCodes ? u"字"_s : u"键"_s);
            QVERIFY2(lesson.targets.nSpeed >= speed.value(unit) && lesson.targets.nAccuracy >= 90,
                     qPrintable(name));
            speed[unit] = lesson.targets.nSpeed;
            int newCharacterKeys = 0;
            for (const QString& entry : bFingering ? lesson.newKeys : QStringList()) {
                const int key = TaughtKey(entry);
                QVERIFY2(key >= 0, qPrintable(entry));
                QVERIFY2(!entries.contains(entry), qPrintable(u"taught twice: "_s + entry));
                entries.insert(entry);
                // A shifted sign of a key taught before is new, its key not.
                if (!taught.contains(key) && entry != u" "_s && entry.size() == 1)
                    ++newCharacterKeys;
                taught.insert(key);
            }
            if (bFingering && lesson.nNumber == 1) {
                QCOMPARE(QSet<QString>(lesson.newKeys.begin(), lesson.newKeys.end()),
                         (QSet<QString>{u"a"_s, u"s"_s, u"d"_s, u"f"_s, u"j"_s, u"k"_s, u"l"_s,
                                        u";"_s, u" "_s}));
            } else if (characterKeys < 20 && newCharacterKeys > 0) {
                QVERIFY2(newCharacterKeys == 2, qPrintable(lesson.strTitle));
            }
            characterKeys += newCharacterKeys;
            QHash<QString, int> counts;
            for (const QString& line : lesson.lines) {
                for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
                    QVERIFY2(lesson.strKind != u"words"_s || ++counts[word] <= 3,
                             qPrintable(name + u": "_s + word));
                }
                for (const QChar ch : bFingering ? line : QString()) {
                    const CKeyStroke stroke = Layout().StrokeFor(ch);
                    const QString where = name + u": '%1'"_s.arg(ch);
                    QVERIFY2(taught.contains(stroke.nKey), qPrintable(where));
                    QVERIFY2(stroke.nShift < 0 || taught.contains(stroke.nShift),
                             qPrintable(where));
                }
            }
        }
        QVERIFY(plan.lessons.constFirst().targets.nSpeed <= 20);
        QVERIFY(plan.lessons.constLast().targets.nSpeed > plan.lessons.constFirst().targets.nSpeed);
        // The letters, the digits and ; , . / ' - \ (what a Chinese text needs).
        QCOMPARE(characterKeys, bFingering ? 43 : 0);
    }

    void session_data()
    {
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<QString>("keys");     // "<" stands for Backspace
        QTest::addColumn<QList<int>>("after"); // line, column, errors, keystrokes
        const auto row = [](const char* name, bool backspace, const QString& keys,
                            const QList<int>& after) {
            QTest::newRow(name) << backspace << keys << after;
        };
        row("right keys advance", false, u"as"_s, {0, 2, 0, 2});
        row("wrong key stays and counts", false, u"ax"_s, {0, 1, 1, 2});
        row("right key after a wrong one goes on", false, u"axs"_s, {0, 2, 1, 3});
        row("each wrong key counts", false, u"axxx"_s, {0, 1, 3, 4});
        row("line end moves to the next line", false, u"as d"_s, {1, 0, 0, 4});
        row("Backspace without a mistake does nothing", false, u"a<"_s, {0, 1, 0, 1});
        row("correction lesson waits for Backspace", true, u"axs"_s, {0, 1, 1, 2});
        row("correction lesson goes on after Backspace", true, u"ax<s"_s, {0, 2, 1, 3});
    }

    void session()
    {
        QFETCH(bool, backspace);
        QFETCH(QString, keys);
        QFETCH(QList<int>, after);
        CLessonSession session(
            {.nNumber = 1, .bBackspace = backspace, .lines = {u"as d"_s, u"fj"_s}});
        qint64 now = 1000;
        TypeCodes(session, keys, now);
        QCOMPARE(
            (QList<int>{session.Line(), session.Column(), session.Errors(), session.Keystrokes()}),
            after);
    }

    // Any code of the table types an item: a 简码 with Space, a full code
    // by its fourth letter, a 字根's key by itself; a letter no code begins
    // with is a wrong code that keeps the item and shows its code.
    void codeSession_data()
    {
        QTest::addColumn<QString>("keys"); // "<" stands for Backspace
        QTest::addColumn<QString>("after");
        // after: the item due, the letters typed, errors of keystrokes, and
        // whether the code shows.
        QTest::newRow("a 简码 waits for Space") << u"a"_s << u"工 [a] 0 of 1 -"_s;
        QTest::newRow("a 简码 with Space") << u"a "_s << u"王 [] 0 of 2 -"_s;
        QTest::newRow("a full code ends by itself") << u"aaaa"_s << u"王 [] 0 of 4 -"_s;
        QTest::newRow("a wrong letter is a wrong code") << u"b"_s << u"工 [] 1 of 1 code"_s;
        QTest::newRow("a wrong letter keeps the letters before it")
            << u"ab"_s << u"工 [a] 1 of 2 code"_s;
        QTest::newRow("wrong letters in a row are one slip")
            << u"abbb"_s << u"工 [a] 1 of 4 code"_s;
        QTest::newRow("two slips are two errors") << u"abab"_s << u"工 [aa] 2 of 4 code"_s;
        QTest::newRow("the code goes on after a slip") << u"abaaa"_s << u"王 [] 1 of 5 -"_s;
        QTest::newRow("Space after letters that are no code") << u"aa "_s << u"工 [] 1 of 3 code"_s;
        QTest::newRow("Space alone does nothing") << u" "_s << u"工 [] 0 of 0 -"_s;
        QTest::newRow("Backspace takes a letter back") << u"aa<<a "_s << u"王 [] 0 of 6 -"_s;
        QTest::newRow("the right code after a wrong one") << u"ba "_s << u"王 [] 1 of 3 -"_s;
        QTest::newRow("a 字根's key by itself") << u"a gggga"_s << u"- [] 0 of 7 -"_s;
    }
    void codeSession()
    {
        QFETCH(QString, keys);
        QFETCH(QString, after);
        CCodeSession session(CodeLesson());
        qint64 now = 1000;
        TypeCodes(session, keys, now);
        QCOMPARE(
            u"%1 [%2] %3 of %4 %5"_s.arg(session.Current() ? session.Current()->strText : u"-"_s)
                .arg(session.Typed())
                .arg(session.Errors())
                .arg(session.Keystrokes())
                .arg(session.ShowsCode(now) ? u"code"_s : u"-"_s),
            after);
    }

    // An item typed wrong comes back a few items later, at most twice; the
    // end lists what is still weak and what took a longer code than its
    // shortest; the code shows after 3 s without a key.
    void codeSessionBringsWeakItemsBack()
    {
        CLesson lesson;
        lesson.strKind = u"wubi"_s;
        for (const QChar ch : u"一二三四五六七八九十"_s)
            lesson.items.append({{QString(ch), {QString(ch.unicode() == u'一' ? u'g' : u'f')}}});
        // 一 (g) typed wrong three times; every other item is f.
        CCodeSession session(lesson);
        qint64 now = 0;
        QCOMPARE(TypeCodes(session, u"fg"_s, now), CCodeSession::Outcome::Right);
        QStringList order{u"一"_s};
        while (!session.IsFinished()) {
            const QString text = session.Current()->strText;
            order.append(text);
            TypeCodes(session, text == u"一"_s ? u"fg"_s : u"f"_s, now);
        }
        QCOMPARE(order.count(u"一"_s), 1 + CCodeSession::MostReturns);
        QCOMPARE(order.indexOf(u"一"_s, 1), 1 + CCodeSession::ComesBackAfter);
        QCOMPARE(session.ItemsTyped(), 10 + CCodeSession::MostReturns);
        QCOMPARE(session.StillWeak(), QStringList{u"一"_s});

        CCodeSession slow(CodeLesson());
        now = 0;
        TypeCodes(slow, u"a"_s, now);
        QVERIFY(!slow.ShowsCode(now + CCodeSession::HintAfterMs - 1) &&
                slow.ShowsCode(now + CCodeSession::HintAfterMs));
        now += CCodeSession::HintAfterMs;
        TypeCodes(slow, u"aaa"_s, now); // 工 as aaaa, slowly
        QCOMPARE(slow.LongerThanShortest().value(0).strText, u"工"_s);
        QCOMPARE(slow.StillWeak(), QStringList{u"工"_s});
        QCOMPARE(slow.Upcoming(1).value(0).strText, u"王"_s);
    }

    // Text an input method commits: each item it begins with is typed, the
    // keys before it judged against the item's shortest code and Space.
    void codeSessionTakesCommits_data()
    {
        QTest::addColumn<QStringList>("commits"); // text:keys
        QTest::addColumn<QString>("after");       // due, errors of keystrokes, longer
        QTest::newRow("a 简码 and Space") << QStringList{u"工:2"_s} << u"王 0 of 2 -"_s;
        QTest::newRow("two items at once") << QStringList{u"工王:6"_s} << u"艹 0 of 6 -"_s;
        QTest::newRow("a full code where a 简码 would do")
            << QStringList{u"工:5"_s} << u"王 0 of 5 工"_s;
        QTest::newRow("another item is a wrong code") << QStringList{u"王:5"_s} << u"工 1 of 5 -"_s;
        QTest::newRow("keys unknown: the text's characters")
            << QStringList{u"工:-1"_s, u"王:-1"_s} << u"艹 0 of 2 -"_s;
    }
    void codeSessionTakesCommits()
    {
        QFETCH(QStringList, commits);
        QFETCH(QString, after);
        CCodeSession session(CodeLesson());
        qint64 now = 0;
        for (const QString& commit : commits)
            session.Commit(commit.section(u':', 0, 0), commit.section(u':', 1).toInt(), now += 500);
        QStringList longer;
        for (const CCodeItem& item : session.LongerThanShortest())
            longer.append(item.strText);
        QCOMPARE(u"%1 %2 of %3 %4"_s.arg(session.Current()->strText)
                     .arg(session.Errors())
                     .arg(session.Keystrokes())
                     .arg(longer.isEmpty() ? u"-"_s : longer.join(u',')),
                 after);
    }

    // A word committed character by character waits for its last one and
    // took more keys than the word at once; another character is wrong.
    void codeSessionTakesWordsInPieces()
    {
        CLesson lesson;
        lesson.items = {{{u"电脑"_s, {u"diannao"_s}}, {u"我们"_s, {u"wm"_s, u"women"_s}}}};
        CCodeSession session(lesson);
        QCOMPARE(session.Commit(u"电"_s, 5, 1000), CCodeSession::Outcome::Pending);
        QCOMPARE(session.Commit(u"脑"_s, 4, 2000), CCodeSession::Outcome::Right);
        QCOMPARE(session.Commit(u"我"_s, 3, 3000), CCodeSession::Outcome::Pending);
        QCOMPARE(session.Commit(u"门"_s, 4, 4000), CCodeSession::Outcome::Wrong);
        QCOMPARE(session.Current()->strText, u"我们"_s);
        QCOMPARE(session.Commit(u"我们"_s, 3, 5000), CCodeSession::Outcome::Right);
        QCOMPARE(session.LongerThanShortest().value(0).strText, u"电脑"_s);
        QCOMPARE(session.LongerThanShortest().size(), 1);
        QCOMPARE(session.Misses().value(0).strTyped, u"门"_s);
    }

    // The clock starts at the first key and stops at the last; the misses
    // name the key asked for and what was typed.
    void sessionFigures()
    {
        CLessonSession session({.nNumber = 1, .lines = {u"ab"_s}});
        QCOMPARE(session.ElapsedMs(5000), 0);
        session.Type(u'a', 10000);
        session.Type(u'x', 12000);
        session.Type(u'x', 13000);
        QCOMPARE(session.Type(u'b', 16000), CLessonSession::Outcome::Finished);
        QCOMPARE(session.ElapsedMs(99000), 6000);
        QCOMPARE(session.Misses(), (QList<CLessonMiss>{{u"b"_s, u"x"_s, 2}}));
        QVERIFY(session.HadError(0, 1) && !session.HadError(0, 0));
    }

    void stars_data()
    {
        QTest::addColumn<int>("accuracy");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("stars");
        // Targets 90 % and 20 keys a minute; two stars at 95 % and 25, three
        // at 98 % and 30.
        QTest::newRow("accuracy just below") << 89 << 40.0 << 0;
        QTest::newRow("speed just below") << 99 << 19.99 << 0;
        QTest::newRow("just at the targets") << 90 << 20.0 << 1;
        QTest::newRow("two stars") << 95 << 25.0 << 2;
        QTest::newRow("fast but not accurate enough for two") << 94 << 60.0 << 1;
        QTest::newRow("three stars") << 98 << 30.0 << 3;
    }

    void stars()
    {
        QFETCH(int, accuracy);
        QFETCH(double, speed);
        QFETCH(int, stars);
        const CCourse& plan = CoursePlan::Course(CoursePlan::Fingering);
        const CLessonTargets targets = CourseRules::Targets(plan.lessons[0], {});
        QCOMPARE(CourseRules::Stars(plan, targets, accuracy, speed), stars);
    }

    void unlocking_data()
    {
        QTest::addColumn<CClassThresholds>("thresholds");
        QTest::addColumn<CLessonAttempt>("attempt"); // 300 keys right
        QTest::addColumn<QString>("open");           // lessons 2 and 5, and the lesson reached
        const auto row = [](const char* name, CClassThresholds thresholds, int lesson, int errors,
                            qint64 ms, const QString& open) {
            const CLessonAttempt attempt{.nLesson = lesson,
                                         .nElapsedMs = ms,
                                         .nKeystrokes = 300 + errors,
                                         .nCorrectKeys = 300};
            QTest::newRow(name) << thresholds << attempt << open;
        };
        // 20 keys a minute is 900 s.
        row("at the lesson's targets", {0, 100, false}, 1, 33, 900000, u"2 open, 5 shut, at 2"_s);
        row("just too slow", {0, 100, false}, 1, 0, 900100, u"2 shut, 5 shut, at 1"_s);
        row("class at half the speed", {0, 50, false}, 1, 0, 1700000, u"2 open, 5 shut, at 2"_s);
        row("class asks 95 %", {95, 100, false}, 1, 33, 900000, u"2 shut, 5 shut, at 1"_s);
        // Open is not passed: the pupil has still got to lesson 1.
        row("class has all open", {0, 100, true}, 1, 0, 9000000, u"2 open, 5 open, at 1"_s);
        row("all open, lesson 4 passed first", {0, 100, true}, 4, 0, 100000,
            u"2 open, 5 open, at 5"_s);
    }

    void unlocking()
    {
        QFETCH(CClassThresholds, thresholds);
        QFETCH(CLessonAttempt, attempt);
        QFETCH(QString, open);
        const QList<CLessonProgress> progress =
            CourseRules::Progress(CoursePlan::Course(CoursePlan::Fingering), {attempt}, thresholds);
        const auto state = [&](int lesson) {
            return CourseRules::IsOpen(lesson, progress, thresholds) ? u"open"_s : u"shut"_s;
        };
        QVERIFY(CourseRules::IsOpen(1, progress, thresholds));
        QCOMPARE(u"2 %1, 5 %2, at %3"_s.arg(state(2), state(5)).arg(CourseRules::Reached(progress)),
                 open);
    }

    // The 字根 on the keys of a 五笔 lesson read at 10 px at least on a
    // 1366×768 display (the keyboard under a full-screen lesson).
    void wubiLegendsAreReadable()
    {
        CKeyboardView keyboard(CKeyboardLayout::Standard());
        QHash<int, QString> legends;
        const QHash<QChar, QString>& roots = WubiChart::RootsByKey();
        for (auto it = roots.cbegin(); it != roots.cend(); ++it)
            legends.insert(CKeyboardLayout::Standard().StrokeFor(it.key()).nKey, it.value());
        keyboard.SetLegends(legends);
        keyboard.resize(1350, 294);
        keyboard.show(); // lays the keys out
        QCOMPARE(legends.size(), 25);
        for (auto it = legends.cbegin(); it != legends.cend(); ++it)
            QVERIFY2(
                keyboard.LegendPixelSize(it.key()) >= 10,
                qPrintable(u"%1: %2 px"_s.arg(it.value()).arg(keyboard.LegendPixelSize(it.key()))));
    }

    // Every printable character has one key and one finger; a shifted one
    // takes the Shift of the other hand; the finger as the lesson names it.
    void fingerTable()
    {
        const CKeyboardLayout& layout = Layout();
        for (char16_t code = 0x20; code < 0x7F; ++code) {
            const QChar ch(code);
            const CKeyStroke stroke = layout.StrokeFor(ch);
            const QString where(ch);
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
        // The left index covers 5TGB; a capital takes the right Shift, a colon the left.
        for (const auto& [keys, finger] : {std::pair{u"45rtfgvb"_s, u"左手食指"_s},
                                           {u"0-=p[]\\;'/"_s, u"右手小指"_s},
                                           {u" "_s, u"拇指"_s},
                                           {u"A"_s, u"左手小指,同时右手小指按 Shift"_s},
                                           {u":"_s, u"右手小指,同时左手小指按 Shift"_s}}) {
            for (const QChar ch : keys)
                QVERIFY2(layout.FingerText(ch) == finger, qPrintable(QString(ch)));
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
        after.startsWith(u'!') ? keyboard.ShowWrong(after[1]) : keyboard.SetNext(after.front());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        for (const QString& id : repainted.split(u' '))
            QVERIFY2(painted.m_region.contains(keyboard.KeyRect(Layout().KeyIndex(id))),
                     qPrintable(id));
        for (const QString& id : untouched.split(u' '))
            QVERIFY2(!painted.m_region.intersects(keyboard.KeyRect(Layout().KeyIndex(id))),
                     qPrintable(id));
    }
};

QE_TEST_MAIN(TestCourse)
#include "tst_course.moc"
