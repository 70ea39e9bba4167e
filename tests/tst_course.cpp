#include "course/CoursePlan.h"
#include "course/CourseRules.h"
#include "course/KeyboardLayout.h"
#include "course/LessonSession.h"
#include "tests/TestMain.h"

#include <QHash>
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

CLesson Lesson(const QStringList& lines, bool bBackspace = false)
{
    CLesson lesson;
    lesson.nNumber = 1;
    lesson.lines = lines;
    lesson.bBackspace = bBackspace;
    return lesson;
}

CLessonAttempt Attempt(int correct, int errors, qint64 elapsedMs, int lesson = 1)
{
    CLessonAttempt attempt;
    attempt.nLesson = lesson;
    attempt.nCorrectKeys = correct;
    attempt.nKeystrokes = correct + errors;
    attempt.nElapsedMs = elapsedMs;
    return attempt;
}

// The regions a widget is asked to paint.
} // namespace

// The course's lessons, the typing rules of a lesson and
// the rules of stars and unlocking, without a database.
class TestCourse : public QObject
{
    Q_OBJECT
private slots:
    void courses_data()
    {
        QTest::addColumn<QString>("course");
        QTest::addColumn<int>("minLessons");
        QTest::newRow("fingering") << CoursePlan::Fingering << 20;
        QTest::newRow("pinyin") << CoursePlan::Pinyin << 6;
    }

    // Each lesson is 200 to 600 keystrokes (5 to 15 minutes at 40 keys a
    // minute) and its targets never fall from one lesson to the next.
    void courses()
    {
        QFETCH(QString, course);
        QFETCH(int, minLessons);
        const CCourse& plan = CoursePlan::Course(course);
        QVERIFY2(plan.lessons.size() >= minLessons,
                 qPrintable(QString::number(plan.lessons.size())));
        int speed = 0;
        for (const CLesson& lesson : plan.lessons) {
            const QString name = u"lesson %1"_s.arg(lesson.nNumber);
            QVERIFY2(lesson.Keystrokes() >= 200 && lesson.Keystrokes() <= 600, qPrintable(name));
            QVERIFY2(lesson.targets.nSpeed >= speed, qPrintable(name));
            QVERIFY2(lesson.targets.nAccuracy >= 90, qPrintable(name));
            speed = lesson.targets.nSpeed;
        }
        QCOMPARE(plan.lessons.constFirst().targets.nSpeed, 20);
        QVERIFY(plan.lessons.constLast().targets.nSpeed > plan.lessons.constFirst().targets.nSpeed);
    }

    // Every character of every lesson is typed on keys already taught, its
    // Shift included; the home row comes first, then two new keys at a time
    // until 20 keys are taught.
    void fingeringUsesOnlyTaughtKeys()
    {
        const CCourse& plan = CoursePlan::Course(CoursePlan::Fingering);
        QSet<int> taught;
        QSet<QString> entries;
        int characterKeys = 0;
        for (const CLesson& lesson : plan.lessons) {
            int newCharacterKeys = 0;
            for (const QString& entry : lesson.newKeys) {
                const int key = TaughtKey(entry);
                QVERIFY2(key >= 0, qPrintable(entry));
                QVERIFY2(!entries.contains(entry), qPrintable(u"taught twice: "_s + entry));
                entries.insert(entry);
                // A shifted sign of a key taught before is new, its key not.
                if (!taught.contains(key) && entry != u" "_s && entry.size() == 1)
                    ++newCharacterKeys;
                taught.insert(key);
            }
            if (lesson.nNumber == 1) {
                QCOMPARE(QSet<QString>(lesson.newKeys.begin(), lesson.newKeys.end()),
                         (QSet<QString>{u"a"_s, u"s"_s, u"d"_s, u"f"_s, u"j"_s, u"k"_s, u"l"_s,
                                        u";"_s, u" "_s}));
            } else if (characterKeys < 20 && newCharacterKeys > 0) {
                QVERIFY2(newCharacterKeys == 2, qPrintable(lesson.strTitle));
            }
            characterKeys += newCharacterKeys;
            for (const QString& line : lesson.lines) {
                for (const QChar ch : line) {
                    const CKeyStroke stroke = Layout().StrokeFor(ch);
                    const QString where = u"lesson %1: '%2'"_s.arg(lesson.nNumber).arg(ch);
                    QVERIFY2(taught.contains(stroke.nKey), qPrintable(where));
                    QVERIFY2(stroke.nShift < 0 || taught.contains(stroke.nShift),
                             qPrintable(where));
                }
            }
        }
        // The letters, the digits and ; , . / ' - \ (what a Chinese text needs).
        QCOMPARE(characterKeys, 43);
    }

    // Lessons of words do not repeat one word over and over.
    void wordsAreVaried()
    {
        for (const QString& id : CoursePlan::CourseIds()) {
            for (const CLesson& lesson : CoursePlan::Course(id).lessons) {
                if (lesson.strKind != u"words"_s)
                    continue;
                QHash<QString, int> counts;
                for (const QString& line : lesson.lines) {
                    for (const QString& word : line.split(u' ', Qt::SkipEmptyParts))
                        QVERIFY2(++counts[word] <= 3, qPrintable(lesson.strTitle + u": "_s + word));
                }
            }
        }
    }

    // Above every word of a pinyin line stands one Chinese character, and the
    // pinyin is typed in lower-case letters (ü as v).
    void pinyinShowsItsCharacters()
    {
        const CCourse& plan = CoursePlan::Course(CoursePlan::Pinyin);
        const QRegularExpression letters(u"^[a-z ]+$"_s);
        int withRuby = 0;
        for (const CLesson& lesson : plan.lessons) {
            for (const QString& line : lesson.lines)
                QVERIFY2(letters.match(line).hasMatch(), qPrintable(line));
            if (lesson.ruby.isEmpty())
                continue;
            ++withRuby;
            QCOMPARE(lesson.ruby.size(), lesson.lines.size());
            for (int i = 0; i < lesson.lines.size(); ++i) {
                QCOMPARE(lesson.ruby[i].size(), lesson.lines[i].split(u' ').size());
                for (const QString& ch : lesson.ruby[i])
                    QVERIFY2(ch.size() == 1 && ch.front().unicode() >= 0x4E00, qPrintable(ch));
            }
        }
        QVERIFY(withRuby >= 3);
        QCOMPARE(plan.lessons[3].ruby[0].mid(0, 3), (QStringList{u"的"_s, u"一"_s, u"了"_s}));
    }

    void session_data()
    {
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<QString>("keys");     // "<" stands for Backspace
        QTest::addColumn<QString>("position"); // line:column after the keys
        QTest::addColumn<int>("errors");
        QTest::addColumn<int>("keystrokes");
        QTest::newRow("right keys advance") << false << u"as"_s << u"0:2"_s << 0 << 2;
        QTest::newRow("wrong key stays and counts") << false << u"ax"_s << u"0:1"_s << 1 << 2;
        QTest::newRow("right key after a wrong one goes on")
            << false << u"axs"_s << u"0:2"_s << 1 << 3;
        QTest::newRow("each wrong key counts") << false << u"axxx"_s << u"0:1"_s << 3 << 4;
        QTest::newRow("line end moves to the next line")
            << false << u"as d"_s << u"1:0"_s << 0 << 4;
        QTest::newRow("Backspace without a mistake does nothing")
            << false << u"a<"_s << u"0:1"_s << 0 << 1;
        QTest::newRow("correction lesson waits for Backspace")
            << true << u"axs"_s << u"0:1"_s << 1 << 2;
        QTest::newRow("correction lesson goes on after Backspace")
            << true << u"ax<s"_s << u"0:2"_s << 1 << 3;
    }

    void session()
    {
        QFETCH(bool, backspace);
        QFETCH(QString, keys);
        QFETCH(QString, position);
        QFETCH(int, errors);
        QFETCH(int, keystrokes);
        CLessonSession session(Lesson({u"as d"_s, u"fj"_s}, backspace));
        qint64 now = 1000;
        for (const QChar ch : keys) {
            now += 500;
            if (ch == u'<')
                session.Backspace(now);
            else
                session.Type(ch, now);
        }
        QCOMPARE(u"%1:%2"_s.arg(session.Line()).arg(session.Column()), position);
        QCOMPARE(session.Errors(), errors);
        QCOMPARE(session.Keystrokes(), keystrokes);
    }

    // The clock starts at the first key and stops at the last; the misses
    // name the key asked for and what was typed.
    void sessionFigures()
    {
        CLessonSession session(Lesson({u"ab"_s}));
        QCOMPARE(session.ElapsedMs(5000), 0);
        session.Type(u'a', 10000);
        session.Type(u'x', 12000);
        session.Type(u'x', 13000);
        QCOMPARE(session.Type(u'b', 16000), CLessonSession::Outcome::Finished);
        QCOMPARE(session.ElapsedMs(99000), 6000);
        QCOMPARE(session.Misses(), (QList<CLessonMiss>{{u"b"_s, u"x"_s, 2}}));
        QVERIFY(session.HadError(0, 1));
        QVERIFY(!session.HadError(0, 0));
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
        QTest::addColumn<int>("classAccuracy");
        QTest::addColumn<int>("speedPercent");
        QTest::addColumn<bool>("allOpen");
        QTest::addColumn<int>("errors");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<bool>("secondOpen");
        QTest::addColumn<bool>("fifthOpen");
        QTest::addColumn<int>("reached");
        // 300 keys right; 20 keys a minute is 900 s.
        QTest::newRow("at the lesson's targets")
            << 0 << 100 << false << 33 << 900000LL << true << false << 2;
        QTest::newRow("just too slow") << 0 << 100 << false << 0 << 900100LL << false << false << 1;
        QTest::newRow("class at half the speed")
            << 0 << 50 << false << 0 << 1700000LL << true << false << 2;
        QTest::newRow("class asks 95 %")
            << 95 << 100 << false << 33 << 900000LL << false << false << 1;
        // Open is not passed: the pupil has still got to lesson 1.
        QTest::newRow("class has all open")
            << 0 << 100 << true << 0 << 9000000LL << true << true << 1;
    }

    void unlocking()
    {
        QFETCH(int, classAccuracy);
        QFETCH(int, speedPercent);
        QFETCH(bool, allOpen);
        QFETCH(int, errors);
        QFETCH(qint64, elapsedMs);
        QFETCH(bool, secondOpen);
        QFETCH(bool, fifthOpen);
        QFETCH(int, reached);
        const CCourse& plan = CoursePlan::Course(CoursePlan::Fingering);
        const CClassThresholds thresholds{classAccuracy, speedPercent, allOpen};
        const QList<CLessonProgress> progress =
            CourseRules::Progress(plan, {Attempt(300, errors, elapsedMs)}, thresholds);
        QVERIFY(CourseRules::IsOpen(1, progress, thresholds));
        QCOMPARE(CourseRules::IsOpen(2, progress, thresholds), secondOpen);
        QCOMPARE(CourseRules::IsOpen(5, progress, thresholds), fifthOpen);
        QCOMPARE(CourseRules::Reached(progress), reached);
    }

    // A lesson passed under the thresholds of its day stays passed when the
    // teacher raises them.
    void raisedThresholdsCloseNothing()
    {
        const CCourse& plan = CoursePlan::Course(CoursePlan::Fingering);
        CLessonAttempt passed = Attempt(300, 0, 900000);
        passed.nStars = 1;
        passed.bPassed = true;
        const CClassThresholds raised{100, 300, false};
        const QList<CLessonProgress> progress = CourseRules::Progress(plan, {passed}, raised);
        QVERIFY(CourseRules::IsOpen(2, progress, raised));
    }
};

QE_TEST_MAIN(TestCourse)
#include "tst_course.moc"
