#include "app/ProgramDatabaseSteps.h"
#include "attempts/LessonAttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "course/CodeLessonView.h"
#include "course/CourseClassDlg.h"
#include "course/CourseCommands.h"
#include "course/CourseDlg.h"
#include "course/KeyboardView.h"
#include "course/LessonView.h"
#include "course/ThresholdDlg.h"
#include "platform/ListCtrl.h"
#include "reports/ProgressDlg.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/FrameFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "tests/XcbKeys.h"
#include "users/Session.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QComboBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Class = u"三年级二班"_s;

QChar WrongFor(QChar expected)
{
    return expected == u'g' ? u'h' : u'g';
}

// What the result of a lesson showed.
struct Shown
{
    QString stars;
    QString summary;
    bool bNext = false;
};

// What a lesson's result in place shows, read before choose (a step's
// button) leads on; nothing when no result shows.
Shown ReadResult(const CLessonScreen* screen, const QString& choose = QStringLiteral("返回(C)"))
{
    SettleWorker(); // the lesson is kept by the database's worker
    const CResultSheet& result = screen->Result();
    if (!result.IsShown())
        return {};
    const Shown shown{result.Heading(), result.Lines().join(u'\n'),
                      result.Button(QStringLiteral("下一课(N)"))->isEnabled()};
    result.Button(choose)->click();
    return shown;
}

// The view's lesson screen.
CLessonView* Screen(CFrameFixture& f)
{
    return qobject_cast<CLessonView*>(f.view->ShownScreen());
}

} // namespace

// Lessons of the course typed through key events into the view: wrong keys,
// stars and unlocking at the thresholds, a class's own thresholds, what is
// kept, and where pupils and teachers see it.
class TestLesson : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    // The lessons are stored on a server that judges them by the copy the
    // program's steps write there.
    void initTestCase() { CTestDatabase::SetSteps(ProgramDatabaseSteps()); }

    void init()
    {
        CDatabaseSuite::init();
        m_nPupil = AddPupil(u"李华"_s, Class, u"2024001"_s);
        AddPupil(u"王芳"_s, Class, u"2024002"_s);
    }

    void thresholds_data()
    {
        QTest::addColumn<int>("errors");
        QTest::addColumn<qint64>("lastKeyMs"); // the pause before the last key
        QTest::addColumn<bool>("passed");
        // Lesson 1: 307 keys, 90 % and 20 keys a minute (921 s for 307).
        QTest::newRow("speed just below") << 0 << 921100LL << false;
        QTest::newRow("speed just at") << 0 << 921000LL << true;
        QTest::newRow("accuracy just below") << 35 << 60000LL << false;
        QTest::newRow("accuracy just at") << 34 << 60000LL << true;
        // 307 right of 538 keys: 57 % on the result and in 我的练习记录.
        QTest::newRow("57 percent") << 231 << 60000LL << false;
        // The stored lesson in 我的练习记录 and in the teacher's course view,
        // which a pupil cannot open.
        QTest::newRow("shown to pupil and teacher") << 2 << 60000LL << true;
    }

    // Stars and the next lesson follow the targets; the lesson is kept either
    // way, as an attempt of its own with the keys missed and the physical key
    // presses made for it (one more than its characters: a Shift, say),
    // which the result gives as 击键 and 码长.
    void thresholds()
    {
        QFETCH(int, errors);
        QFETCH(qint64, lastKeyMs);
        QFETCH(bool, passed);
        CFrameFixture f;
        LogIn(f, m_nPupil, u"李华"_s);
        const quint32 window = quint32(f.frame->winId());
        CKeyPressCounter counter(true, XcbKeys::KeysymOf, [window] { return quintptr(window); });
        CKeyPressCounter::SetApplication(&counter);
        OpenLesson(f, 1);
        const int keys = 307 + errors + 1;
        XcbKeys::Deliver(counter, XcbKeys::Presses(keys), window);
        const Shown shown = TypeLesson(f, errors, lastKeyMs);
        CKeyPressCounter::SetApplication(nullptr);
        QVERIFY2(shown.summary.contains(u"码长:%1"_s.arg(keys / 307.0, 0, 'f', 2)) &&
                     shown.summary.contains(u" 次/秒"_s),
                 qPrintable(shown.summary));
        QCOMPARE(shown.bNext, passed);
        QCOMPARE(shown.stars == u"还没有过关"_s, !passed);
        QVERIFY2(shown.summary.contains(passed ? u"第 2 课已经开放"_s : u"第 2 课没有开放"_s),
                 qPrintable(shown.summary));
        // The attempt, its misses and no score row; every key the lesson asked
        // for, and the wrong ones, kept per key.
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(),
                       u"SELECT user_key, class_name, course, lesson, kind, keystrokes, "
                       "correct_keys, errors, passed, key_presses, (SELECT COALESCE(SUM(times), "
                       "0) FROM lesson_miss), (SELECT COUNT(*) FROM score), k.* FROM "
                       "lesson_attempt, (SELECT SUM(expected) e, SUM(presses) p, SUM(wrong) w "
                       "FROM lesson_key WHERE LENGTH(key_name) = 1) k"_s),
            QStringList{u"%1|%2|fingering|1|116|%3|307|%4|%5|%6|%4|0|%3|%3|%4"_s.arg(m_nPupil)
                            .arg(Class)
                            .arg(307 + errors)
                            .arg(errors)
                            .arg(passed ? 1 : 0)
                            .arg(keys)});
        QCOMPARE(LessonOpen(f, 2), passed);
        QVERIFY(!f.view->ShownScreen()); // 返回 leaves the lesson
        if (errors == 231) {
            QVERIFY2(shown.summary.contains(u"正确率:57%"_s), qPrintable(shown.summary));
            const CAttemptSummary listed =
                LessonAttemptStore::Summaries(*m_pDatabase->Admin(), m_nPupil).value(0);
            QCOMPARE(Metrics::AccuracyText(listed.nCorrectUnits, listed.nTypedUnits), u"57%"_s);
        }
        if (errors == 2) {
            Listing attempts, misses;
            Drive<CProgressDlg>(f.platform, [&](CProgressDlg* dlg) {
                attempts = ListOf(dlg->m_listAttempts);
                misses = ListOf(dlg->m_listMistakes);
            });
            QVERIFY(f.frame->Router().Execute(ID_TEACHING_MY_PROGRESS));
            QCOMPARE(attempts.cells.size(), 1);
            QCOMPARE(attempts.cells[0].mid(1, 3),
                     (QStringList{u"指法 第1课"_s, u"307.0 键/分"_s, u"99%"_s}));
            QCOMPARE(misses.cells.size(), 1);
            QCOMPARE(misses.cells[0][1], u"2"_s);

            // A pupil does not reach the teacher's windows.
            QVERIFY(f.frame->Router().Execute(ID_TEACHING_COURSE_CLASS));
            QVERIFY(f.frame->Router().Execute(ID_TEACHING_COURSE_THRESHOLDS));
            QVERIFY(!f.platform.modalRuns.contains(u"CCourseClassDlg"_s) &&
                    !f.platform.modalRuns.contains(u"CThresholdDlg"_s));

            LogIn(f, 0, QString(), UserKind::Super);
            Listing pupils;
            Drive<CCourseClassDlg>(
                f.platform, [&](CCourseClassDlg* dlg) { pupils = ListOf(dlg->m_listPupils); });
            QVERIFY(f.frame->Router().Execute(ID_TEACHING_COURSE_CLASS));
            QCOMPARE(pupils.cells.size(), 2);
            QCOMPARE(pupils.cells[0].mid(0, 6),
                     (QStringList{u"2024001"_s, u"李华"_s, u"2"_s, u"1"_s, u"3"_s, u"1"_s}));
            QCOMPARE(pupils.cells[1].mid(0, 2), (QStringList{u"2024002"_s, u"王芳"_s}));
            QCOMPARE(pupils.cells[1].last(), u"还没有练习"_s);
        }
    }

    void classThresholds_data()
    {
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<bool>("allOpen");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("passed"); // lesson 1 at 12 keys a minute, 34 errors
        QTest::addColumn<bool>("fifthOpen");
        QTest::newRow("half the speed") << u"0"_s << u"50"_s << false << QString() << true << false;
        QTest::newRow("every lesson open")
            << u"0"_s << u"100"_s << true << QString() << false << true;
        QTest::newRow("accuracy refused")
            << u"30"_s << u"50"_s << true << u"正确率要求应为…"_s << false << false;
        QTest::newRow("speed refused")
            << u"0"_s << u"400"_s << true << u"速度要求应为…"_s << false << false;
    }

    // The teacher sets a class's thresholds; its pupils are judged by them.
    void classThresholds()
    {
        QFETCH(QString, accuracy);
        QFETCH(QString, speed);
        QFETCH(bool, allOpen);
        QFETCH(QString, refusal);
        QFETCH(bool, passed);
        QFETCH(bool, fifthOpen);
        CFrameFixture f;
        LogIn(f, 0, QString(), UserKind::Super);
        Drive<CThresholdDlg>(f.platform, [&](CThresholdDlg* dlg) {
            QCOMPARE(dlg->m_comboClass->currentData().toString(), Class);
            QCOMPARE(dlg->m_editSpeed->text(), u"100"_s);
            Fill(dlg, {{1002, accuracy}, {1003, speed}});
            dlg->m_checkAllOpen->setChecked(allOpen);
            dlg->ClickButton(1);
        });
        QVERIFY(f.frame->Router().Execute(ID_TEACHING_COURSE_THRESHOLDS));
        if (!refusal.isEmpty()) {
            CompareBoxes(f.platform, {Box(refusal, u"qe"_s, MB_ICONEXCLAMATION)});
            QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT COUNT(*) FROM course_class"_s),
                     QStringList{u"0"_s});
        }
        f.platform.boxes.clear();
        LogIn(f, m_nPupil, u"李华"_s);
        OpenLesson(f, 1);
        // 307 keys in 1535 s: 12 keys a minute.
        const Shown shown = TypeLesson(f, 34, 1535000);
        QCOMPARE(shown.stars != u"还没有过关"_s, passed);
        QCOMPARE(LessonOpen(f, 2), passed || fifthOpen);
        QCOMPARE(LessonOpen(f, 5), fifthOpen);
    }

    // Someone without an account of their own may try any lesson, shown in
    // the whole view; nothing is kept. For a pupil a locked lesson is
    // refused with what opens it; nothing starts. Esc in a lesson asks
    // first: No goes on, Yes leaves and keeps nothing. A lesson started
    // from an assignment says the assignment's targets and whether it met
    // them; the next lesson it covers keeps them, a lesson past its range
    // has the course's own.
    void whatIsOpenAndWhatIsKept()
    {
        CFrameFixture f;
        LogIn(f, 0, QString(), UserKind::Anonymous);
        QVERIFY(LessonOpen(f, 5));
        OpenLesson(f, 5);
        QVERIFY(Screen(f) && !Screen(f)->isHidden() && Screen(f)->geometry() == f.view->rect());
        // a practice of the four replaces the lesson's screen
        QVERIFY(f.frame->Router().Execute(ID_PRACTICE_ENGLISH) && !f.view->ShownScreen());
        OpenLesson(f, 1);
        Shown shown = TypeLesson(f, 1, 1000);
        QVERIFY(shown.bNext);
        QVERIFY2(shown.summary.contains(u"成绩不保存"_s), qPrintable(shown.summary));

        f.platform.boxes.clear();
        LogIn(f, m_nPupil, u"李华"_s);
        OpenLesson(f, 3);
        CompareBoxes(f.platform, {Box(u"第 3 课还没有开放:先在第 2 课达到要求(正确率 90%,"
                                      u"速度每分钟 21 键)。"_s,
                                      u"qe"_s, MB_ICONEXCLAMATION)});
        QVERIFY(!f.view->ShownScreen());
        OpenLesson(f, 1);
        QTest::keyClicks(Screen(f), Screen(f)->Session().Lesson().lines[0].left(3));
        f.platform.boxes.clear();
        f.platform.AnswerBoxes({IDNO, IDYES});
        QTest::keyClick(Screen(f), Qt::Key_Escape);
        QCOMPARE(Screen(f)->Session().Column(), 3);
        QTest::keyClick(Screen(f), Qt::Key_Escape);
        QVERIFY(!f.view->ShownScreen());
        QCOMPARE(f.platform.boxes.size(), 2);
        QCOMPARE(f.platform.boxes[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT COUNT(*), "
                            "(SELECT COUNT(*) FROM lesson_miss) FROM lesson_attempt"_s),
                 QStringList{u"0|0"_s});

        CCourseCommands course(CSession::Instance());
        course.SetView(f.view);
        course.StartLesson(u"fingering"_s, 1, CLessonGoal{u"第一周"_s, 1, 2, 25, 90});
        shown = TypeLesson(f, 0, 1000);
        QVERIFY2(shown.summary.contains(u"作业要求 25 键/分"_s) &&
                     shown.summary.contains(u"作业要求 90%"_s) &&
                     shown.summary.contains(u"作业“第一周”:这一课达到了作业的要求。"_s),
                 qPrintable(shown.summary));
        course.StartLesson(u"fingering"_s, 3, CLessonGoal{u"第一周"_s, 1, 2, 25, 90});
        QVERIFY(Screen(f) && !Screen(f)->Goal());
    }

    // The first 五笔 lesson typed by codes in the view: the keyboard shows
    // each key's 字根; a wrong key is a wrong code that shows the item's
    // code and lights its key, and brings the item back; the result counts
    // 字 a minute and is kept with the wrong code.
    void wubiLessonByCodes()
    {
        CFrameFixture f;
        LogIn(f, m_nPupil, u"李华"_s);
        OpenLesson(f, 1, ID_TEACHING_COURSE_WUBI);
        auto* screen = qobject_cast<CCodeLessonView*>(f.view->ShownScreen());
        QVERIFY(screen);
        const CKeyboardView& keyboard = *screen->Keyboard();
        const int g = keyboard.Layout().StrokeFor(u'g').nKey;
        QCOMPARE(keyboard.LegendOf(g), u"王一五戋龶"_s);
        const CCodeItem first = *screen->Session().Current();
        const QChar wrong = WrongFor(first.codes[0].front());
        const int key = keyboard.Layout().StrokeFor(first.codes[0].front()).nKey;
        QCOMPARE(keyboard.StateOf(key), CKeyboardView::KeyState::Plain);
        QTest::keyClick(screen, wrong.toLatin1());
        QVERIFY(screen->Session().ShowsCode(f.platform.MonotonicMilliseconds()));
        QCOMPARE(keyboard.StateOf(key), CKeyboardView::KeyState::Next);
        QCOMPARE(*screen->Session().Current(), first);
        // The same item committed by an input method.
        QInputMethodEvent commit;
        commit.setCommitString(first.strText);
        QApplication::sendEvent(screen, &commit);
        QCOMPARE(screen->Session().ItemsTyped(), 1);
        int typed = 0;
        while (screen->Session().Current()) {
            ++typed;
            f.platform.Advance(700); // no pause long enough to show a code
            QTest::keyClicks(screen, screen->Session().Current()->codes[0]);
        }
        const Shown shown = ReadResult(screen);
        const int items = screen->Session().Lesson().Keystrokes();
        QCOMPARE(typed + 1, items + 1); // the item typed wrong came back once
        QVERIFY2(shown.summary.contains(u"要求 10 字/分"_s) &&
                     shown.summary.contains(u"(%1 个字,打错编码 1 次)"_s.arg(items)) &&
                     shown.summary.contains(
                         u"打错最多的编码:%1(打成 %2)×1"_s.arg(first.strText, wrong)) &&
                     !shown.summary.contains(u"还要多练"_s) && shown.bNext,
                 qPrintable(shown.summary));
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(),
                       u"SELECT course, lesson, keystrokes, correct_keys, errors, passed,"
                       " (SELECT expected || typed FROM lesson_miss) FROM lesson_attempt"_s),
            QStringList{u"wubi|1|%1|%2|1|1|"_s.arg(items + 1).arg(items) + first.strText + wrong});
        // 我的练习记录 counts 字 as its result did, in the list and the figures.
        Listing attempts;
        QString figures;
        Drive<CProgressDlg>(f.platform, [&](CProgressDlg* dlg) {
            attempts = ListOf(dlg->m_listAttempts);
            figures = dlg->GetDlgItemText(1003);
        });
        QVERIFY(f.frame->Router().Execute(ID_TEACHING_MY_PROGRESS));
        QCOMPARE(attempts.cells.size(), 1);
        QVERIFY2(attempts.cells[0][1] == u"五笔 第1课"_s &&
                     attempts.cells[0][2].endsWith(u" 字/分"_s),
                 qPrintable(attempts.cells[0].join(u'|')));
        QVERIFY2(figures.contains(u" 字/分"_s) && !figures.contains(u"键/分"_s),
                 qPrintable(figures));
    }

    // A 词组 lesson of the 拼音 course typed through an input method: each
    // word committed; the result compares with typing one character at a
    // time, and counts 字 a minute.
    void wordLessonThroughAnInputMethod()
    {
        CFrameFixture f;
        LogIn(f, m_nPupil, u"李华"_s);
        CCourseCommands course(CSession::Instance());
        course.SetView(f.view);
        course.StartLesson(CoursePlan::Pinyin, 7);
        auto* screen = qobject_cast<CCodeLessonView*>(f.view->ShownScreen());
        QVERIFY(screen && screen->Keyboard()->LegendOf(0).isEmpty());
        qsizetype letters = 0, characters = 0;
        while (const CCodeItem* item = screen->Session().Current()) {
            letters += item->FullCode().size() + item->strText.size();
            characters += item->strText.size();
            f.platform.Advance(1000);
            QInputMethodEvent commit;
            commit.setCommitString(item->strText);
            QApplication::sendEvent(screen, &commit);
        }
        const Shown shown = ReadResult(screen);
        QVERIFY2(shown.summary.contains(u"要求 30 字/分"_s) &&
                     shown.summary.contains(u"(%1 个字,打错编码 0 次)"_s.arg(characters)) &&
                     shown.summary.contains(u"一个字一个字打,码长约 %1"_s.arg(
                         double(letters) / double(characters), 0, 'f', 2)),
                 qPrintable(shown.summary));
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT course, lesson, correct_keys, errors,"
                                                  " passed FROM lesson_attempt"_s),
                 QStringList{u"pinyin|7|%1|0|1"_s.arg(characters)});
    }

private:
    // The user logged in, the document's session signed in as them.
    void LogIn(CFrameFixture& f, qint64 key, const QString& name, int kind = UserKind::Ordinary)
    {
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = kind;
        if (kind == UserKind::Super)
            CurrentUser.Name = u"值班老师"_s;
        if (kind == UserKind::Ordinary) {
            CurrentUser.Name = name;
            CurrentUser.Class = Class;
            CurrentUser.StudentNo = u"2024%1"_s.arg(key);
            CurrentUser.RowKey = key;
        }
        m_pDatabase->SignInAsCurrentUser(f.doc.m_pDB);
    }

    // Starts a lesson through 指法课程 (or another course's command) as a
    // pupil would.
    void OpenLesson(CFrameFixture& f, int lesson, int command = ID_TEACHING_COURSE_FINGERING)
    {
        Drive<CCourseDlg>(f.platform, [lesson](CCourseDlg* dlg) {
            dlg->SelectLesson(lesson);
            dlg->ClickButton(1);
        });
        QVERIFY(f.frame->Router().Execute(command));
    }

    // Whether the course window offers a lesson.
    bool LessonOpen(CFrameFixture& f, int lesson)
    {
        bool open = false;
        Drive<CCourseDlg>(f.platform, [&](CCourseDlg* dlg) { open = dlg->IsLessonOpen(lesson); });
        f.frame->Router().Execute(ID_TEACHING_COURSE_FINGERING);
        return open;
    }

    // Types the lesson on the screen: errors wrong keys first, then every
    // key without a pause but the last, which comes lastKeyMs later. The
    // result is read and left with 返回.
    Shown TypeLesson(CFrameFixture& f, int errors, qint64 lastKeyMs)
    {
        CLessonView* screen = Screen(f);
        if (!screen)
            return {};
        const QChar first = screen->Session().Expected();
        for (int i = 0; i < errors; ++i)
            QTest::keyClick(screen, WrongFor(first).toLatin1());
        const QString keys = screen->Session().Lesson().lines.join(QString());
        QTest::keyClicks(screen, keys.chopped(1));
        f.platform.Advance(lastKeyMs);
        QTest::keyClick(screen, keys.back().toLatin1());
        return ReadResult(screen);
    }

    qint64 m_nPupil = 0;
};

QE_TEST_MAIN(TestLesson)
#include "tst_lesson.moc"
