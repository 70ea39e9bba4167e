#include "practice/ScreenCells.h"
#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Bytes typed into a practice and what they leave.
struct Typing
{
    bool bChinese = false;
    QByteArray text;
    QByteArray keys;
    int nTyped = 0;
    int nCorrect = 0;
    QByteArray position; // row:column
    QByteArray row0;     // the typed bytes of the first row
    int nBeeps = 0;
    bool bRunning = true;
};

} // namespace

Q_DECLARE_METATYPE(Typing)

// What each typed byte does to the buffers, the position and the counters,
// keys and input-method events on their way to the session, and the clock.
class TestSession : public QObject
{
    Q_OBJECT
private:
    static QByteArray Gb(const QString& text) { return Gbk::Encode(text); }

    // A running session on the given practice text.
    static void Start(CPracticeFixture& f, bool chinese, const QByteArray& text)
    {
        f.Load(chinese, text);
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
    }

    static void StartClockAt(CPracticeFixture& f, const QTime& time)
    {
        f.platform.SetTime(time);
        f.clock.StartClock();
        f.clock.MarkStartTime();
        f.clock.ShowPracticeRunning();
    }

private slots:
    void keyBeforeStartShowsReadyBox_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("credit screen ignores keys") << false << QByteArray("a \r");
        QTest::newRow("letter") << true << QByteArray("a");
        QTest::newRow("escape") << true << QByteArray("\x1b");
    }
    void keyBeforeStartShowsReadyBox()
    {
        QFETCH(bool, loaded);
        QFETCH(QByteArray, key);
        CPracticeFixture f;
        f.WriteFile(u"english.txt"_s, "The end");
        if (loaded)
            f.view->OnPracticeEnglish();
        f.Type(key);
        QCOMPARE(f.platform.boxes.size(), loaded ? 1 : 0);
        QCOMPARE(f.platform.boxes.value(0).text,
                 loaded ? u"准备就绪,按空格键开始计时!"_s : QString());
        QVERIFY(!f.view->Session().IsRunning());
        QCOMPARE(TypedCount, 0);
    }

    // Bytes typed after the start key: the counts, the position, what the
    // first typed row holds, the beeps, and whether the practice goes on.
    void typing_data()
    {
        QTest::addColumn<Typing>("t");
        const QByteArray q92(92, 'q');
        const QByteArray zh = Gb(u"中"_s);
        const QByteArray wide("\x81\x40", 2); // a second byte in 0x40-0x7E
        const QByteArray end("The end"), zh45 = zh.repeated(45);
        QTest::newRow("english mistake") << Typing{false, end, "Tx", 2, 1, "0:2", "Tx"};
        QTest::newRow("backspace takes a mistake back")
            << Typing{false, end, "Tx\b", 1, 1, "0:1", "T"};
        QTest::newRow("backspace to the start") << Typing{false, end, "Tx\b\b", 0, 0, "0:0", ""};
        QTest::newRow("enter is ignored while running")
            << Typing{false, end, "\r", 0, 0, "0:0", ""};
        QTest::newRow("row changes after 92 bytes")
            << Typing{false, q92 + q92, q92, 92, 92, "1:0", q92};
        QTest::newRow("backspace after a row change beeps")
            << Typing{false, q92 + q92, q92 + "\b", 92, 92, "1:0", q92, 1};
        QTest::newRow("full single-byte screen ends the practice") << Typing{
            false, q92.repeated(20), q92.repeated(15), 1288, 1288, "13:92", q92, 0, false};
        QTest::newRow("chinese row changes after 46 units, backspace beeps") << Typing{
            true, zh.repeated(100), zh.repeated(46) + "\b", 46, 46, "1:0", zh.repeated(46), 1};
        QTest::newRow("full double-byte screen ends the practice") << Typing{
            true, zh.repeated(700), zh.repeated(650), 644, 644, "13:46", zh.repeated(46), 0, false};
        QTest::newRow("half a character is no unit yet")
            << Typing{true, Gb(u"中文"_s), "\xd6", 0, 0, "0:0", ""};
        QTest::newRow("a character is one unit of two bytes")
            << Typing{true, Gb(u"中文"_s), zh, 1, 1, "0:1", zh};
        QTest::newRow("a letter is an incorrect unit")
            << Typing{true, Gb(u"中文"_s), "a", 1, 0, "0:1", "a "};
        QTest::newRow("space then character skips a cell") << Typing{
            true, Gb(u"中文练习"_s), " " + zh + Gb(u"文"_s), 1, 1, "0:2", "  " + Gb(u"文"_s)};
        QTest::newRow("two spaces match two practice spaces")
            << Typing{true, "  " + zh, "  ", 1, 1, "0:1", "  "};
        QTest::newRow("backspace takes a chinese unit back")
            << Typing{true, Gb(u"中文练"_s), Gb(u"中字"_s) + "\b", 1, 1, "0:1", zh};
        QTest::newRow("backspace after a skipped cell keeps the counts")
            << Typing{true, "  " + Gb(u"文练"_s), " " + zh + Gb(u"文"_s) + "\b\b", 0, 0, "0:0", ""};
        // A row laid out by words, or a Chinese row whose last character went
        // down with a closing mark, ends in NUL cells, passed over.
        QTest::newRow("a row's NUL end is passed over") << Typing{
            false, QByteArray("ab").leftJustified(92, '\0') + "cd", "ab", 2, 2, "1:0", "ab"};
        QTest::newRow("a chinese row's NUL end is passed over")
            << Typing{true, zh45 + QByteArray(2, '\0') + zh, zh45, 45, 45, "1:0", zh45};
        QTest::newRow("second byte in the ASCII range forms one unit")
            << Typing{true, wide + zh, wide + zh, 2, 2, "0:2", wide + zh};
    }
    void typing()
    {
        QFETCH(Typing, t);
        CPracticeFixture f;
        Start(f, t.bChinese, t.text);
        f.Type(t.keys);
        QCOMPARE(TypedCount, t.nTyped);
        QCOMPARE(CorrectCount, t.nCorrect);
        QCOMPARE(u"%1:%2"_s.arg(CurrentRow).arg(CurrentColumn), QString::fromLatin1(t.position));
        QCOMPARE(f.platform.beeps, t.nBeeps);
        QCOMPARE(f.view->Session().IsRunning(), t.bRunning);
        QCOMPARE(bool(f.clock.m_bClockRunning), t.bRunning);
        if (t.bChinese)
            QCOMPARE(f.doc.m_aTypedLine[0], t.row0);
        else
            QCOMPARE(f.TypedRow(0), t.row0.leftJustified(CQeDoc::Columns, ' '));
        QVERIFY(f.platform.boxes.isEmpty()); // no question at a full screen either
        QCOMPARE(f.view->Session().IsSkipped(0, 0),
                 t.bChinese && t.row0.startsWith("  ") && !t.text.startsWith("  "));
        QCOMPARE(PendingUnit, t.keys == "\xd6" ? t.keys : QByteArray());
    }

    // A row's NUL end is sent as cells not typed, and a stored screen loads
    // back with each cell in its place.
    void rowEndsKeepTheirPlaces()
    {
        CPracticeFixture f;
        Start(f, false, QByteArray("ab").leftJustified(CQeDoc::Columns, '\0') + "cd");
        f.Type(QByteArray("abc"));
        const CScreenCells typed = TypedCells(f.doc, f.view->Session(), PracticeKind::English);
        QCOMPARE(typed.hex.size(), CQeDoc::Columns + 1);
        QCOMPARE(typed.hex.mid(0, 3), (QStringList{u"61"_s, u"62"_s, QString()}));
        QCOMPARE(typed.hex.last(), u"63"_s);

        const QByteArray zh = Gb(QString(45, u'中')) + QByteArray(2, '\0') + Gb(u"文，"_s);
        f.doc.ResetPractice();
        LoadScreenCells(f.doc, PracticeKind::Chinese,
                        ScreenOfText(zh, PracticeKind::Chinese, 1).hex);
        QCOMPARE(f.doc.TextCell(0, 45), QByteArray());
        QCOMPARE(f.doc.TextCell(1, 0), Gb(u"文"_s));
    }

    void escapeAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("cancelled changes nothing") << int(IDCANCEL);
        QTest::newRow("confirmed ends the practice") << int(IDOK);
    }
    void escapeAsksFirst()
    {
        QFETCH(int, answer);
        const bool ended = answer == IDOK;
        CPracticeFixture f;
        Start(f, false, "The end");
        f.Type(QByteArray("Th"));
        f.platform.AnswerBoxes({answer});
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.Boxes(),
                 QStringList{u"提示!|确定要结束练习吗?|%1"_s.arg(MB_OKCANCEL | MB_ICONQUESTION)});
        // running, clock, typed (kept for the result until the next load), kind, credits, file
        QCOMPARE(
            (QList<int>{f.view->Session().IsRunning(), bool(f.clock.m_bClockRunning), TypedCount,
                        CurrentPracticeKind, f.view->m_bShowCredits, f.view->m_file.isOpen()}),
            (QList<int>{!ended, !ended, 2, int(ended ? PracticeKind::None : PracticeKind::English),
                        ended, !ended}));
        if (ended)
            QCOMPARE(f.PaneText(0), u"已经结束练习!"_s);
    }

    // Keys as the X keyboard delivers them, text included: only keys that
    // make a character are typed; a key's Chinese text is typed whole.
    void onlyCharacterKeysAreTyped_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("typed");
        const int none = Qt::NoModifier;
        QTest::newRow("delete") << int(Qt::Key_Delete) << u"\x7f"_s << none << QByteArray();
        QTest::newRow("keypad delete")
            << int(Qt::Key_Delete) << u"\x7f"_s << int(Qt::KeypadModifier) << QByteArray();
        QTest::newRow("left") << int(Qt::Key_Left) << QString() << none << QByteArray();
        QTest::newRow("f5") << int(Qt::Key_F5) << QString() << none << QByteArray();
        QTest::newRow("tab") << int(Qt::Key_Tab) << u"\t"_s << none << QByteArray("\t");
        QTest::newRow("ctrl+a") << int(Qt::Key_A) << u"\x01"_s << int(Qt::ControlModifier)
                                << QByteArray("\x01");
        QTest::newRow("a key's chinese text")
            << int(Qt::Key_unknown) << u"字"_s << none << Gb(u"字"_s);
    }
    void onlyCharacterKeysAreTyped()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, typed);
        CPracticeFixture f;
        Start(f, false, "The end");
        QTest::sendKeyEvent(QTest::Click, f.view, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(CurrentColumn, int(typed.size()));
        QCOMPARE(f.TypedRow(0).left(typed.size()), typed);
        QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(TypedCount, int(typed.size()) - (typed.isEmpty() ? 0 : 1));
        // The practice goes on undisturbed: the next letter is still correct.
        if (typed.isEmpty()) {
            QTest::keyClick(f.view, 'T');
            QCOMPARE(CorrectCount, 1);
        }
    }

    // A phrase committed at once is typed character by character, and the
    // composition that comes with it opens at the new position; the input
    // method places its candidate list by the cell the next character goes to.
    void phraseCommitTypesEachCharacter()
    {
        CPracticeFixture f;
        Start(f, true, Gb(u"中文练习"_s));
        f.Compose(u"zhong"_s);
        QCOMPARE(TypedCount, 0);
        f.Compose(u"lian"_s, u"中文字"_s);
        QCOMPARE(f.doc.m_aTypedLine[0], Gb(u"中文字"_s));
        const CComposition& open = f.view->Composition(); // typed, correct, open at
        QCOMPARE((QList<int>{TypedCount, CorrectCount, open.IsOpen(), open.Line(), open.Column()}),
                 (QList<int>{3, 2, 1, 1, 6}));
        QInputMethodQueryEvent query(Qt::ImCursorRectangle);
        QCoreApplication::sendEvent(f.view, &query);
        QCOMPARE(query.value(Qt::ImCursorRectangle).toRect(), f.view->CellRect(1, 6, 2));
    }

    // Keys that reach the view while the input method composes belong to
    // the composition: they neither type, step back, start nor end anything.
    void compositionKeysNeverReachTheSession_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("key");
        QTest::newRow("space choosing a candidate") << true << int(Qt::Key_Space);
        QTest::newRow("backspace clearing a letter") << true << int(Qt::Key_Backspace);
        QTest::newRow("digit choosing a candidate") << true << int(Qt::Key_2);
        QTest::newRow("escape clearing the composition") << true << int(Qt::Key_Escape);
        QTest::newRow("enter before the start") << false << int(Qt::Key_Return);
        QTest::newRow("space before the start") << false << int(Qt::Key_Space);
    }
    void compositionKeysNeverReachTheSession()
    {
        QFETCH(bool, started);
        QFETCH(int, key);
        CPracticeFixture f;
        f.Load(true, Gb(u"中文"_s));
        if (started) {
            QTest::keyClick(f.view, Qt::Key_Space);
            f.Compose(QString(), u"中"_s);
        }
        f.Compose(u"wen"_s);
        QTest::keyClick(f.view, Qt::Key(key));
        QCOMPARE(f.view->Session().IsRunning(), started);
        QCOMPARE(TypedCount, started ? 1 : 0);
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(f.platform.beeps, 0);
        // the composition's end lets keys through again
        f.Compose(QString(), started ? u"文"_s : QString());
        QCOMPARE(TypedCount, started ? 2 : 0);
        QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(TypedCount, started ? 1 : 0);
        f.platform.AnswerBoxes({IDCANCEL});
        QTest::keyClick(f.view, Qt::Key_Escape);
        QCOMPARE(f.platform.boxes.size(), started ? 1 : 2); // the question, or two ready boxes
    }

    // A composition open when the pupil clicks into another window is
    // cancelled: nothing of it is typed, whether the input method hands it
    // in while its window gives up the focus or after the focus has gone,
    // and the practice goes on when the focus comes back.
    void focusLossCancelsTheComposition()
    {
        CPracticeFixture f;
        f.view->show();
        f.view->activateWindow();
        f.view->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(f.view->hasFocus());
        Start(f, true, Gb(u"中文练习"_s));
        f.Compose(QString(), u"中"_s);
        f.Compose(u"wen"_s);
        // Qt has the input method commit as the window hands the focus on
        QFocusEvent aboutToChange(QEvent::FocusAboutToChange, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(f.view->windowHandle(), &aboutToChange);
        f.Compose(QString(), u"问"_s);
        QVERIFY(!f.view->Composition().IsOpen());
        QCOMPARE(TypedCount, 1);

        QWidget elsewhere;
        elsewhere.setFocusPolicy(Qt::StrongFocus);
        elsewhere.show();
        elsewhere.activateWindow();
        QCoreApplication::processEvents();
        QVERIFY(!f.view->hasFocus());
        // an input method may hand the composition in after the focus went
        f.Compose(QString(), u"问"_s);
        f.Compose(u"wen"_s);
        QCOMPARE(TypedCount, 1);
        QVERIFY(!f.view->Composition().IsOpen());

        f.view->activateWindow();
        QCoreApplication::processEvents();
        QVERIFY(f.view->hasFocus());
        f.Compose(u"wen"_s);
        f.Compose(QString(), u"文"_s);
        QCOMPARE(CorrectCount, 2);
    }

    // Without an input method the Chinese practice says in pane 0, in one
    // short sentence, that no Chinese can be typed; the other practices and
    // a working input method leave the pane alone.
    void noticeWithoutInputMethod_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<bool>("notice");
        QTest::newRow("nothing configured") << int(InputMethodState::NotConfigured) << true << true;
        QTest::newRow("qt module missing") << int(InputMethodState::ModuleMissing) << true << true;
        QTest::newRow("not running") << int(InputMethodState::NotRunning) << true << true;
        QTest::newRow("running") << int(InputMethodState::Active) << true << false;
        QTest::newRow("english practice") << int(InputMethodState::NotRunning) << false << false;
    }
    void noticeWithoutInputMethod()
    {
        QFETCH(int, state);
        QFETCH(bool, chinese);
        QFETCH(bool, notice);
        CPracticeFixture f;
        f.view->show();
        f.platform.inputMethod = InputMethodState(state);
        f.Load(chinese, chinese ? Gb(u"中文"_s) : QByteArray("The end"));
        const QString sentence = u"现在打不出汉字,请告诉老师。"_s;
        QCOMPARE(f.PaneText(0) == sentence, notice);
        if (!notice)
            return;
        // it comes back in the blank phase of the blinking ready prompt ...
        QStringList shown;
        for (int second : {1, 2}) {
            f.clock.Tick(QTime(8, 0, second));
            shown.append(f.PaneText(0));
        }
        QVERIFY(shown.contains(sentence));
        // ... until a composition proves an input method at work
        f.Compose(u"zhong"_s);
        f.Compose(QString());
        for (int second : {3, 4}) {
            f.clock.Tick(QTime(8, 0, second));
            QVERIFY(f.PaneText(0) != sentence);
        }
    }

    // The practice clock: the time of day in pane 4 and, from the start key,
    // the elapsed seconds in pane 3, over the hour and midnight.
    void clockPanes_data()
    {
        QTest::addColumn<QTime>("start"); // invalid: no practice running
        QTest::addColumn<QTime>("tick");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("timeOfDay");
        QTest::newRow("single digits padded with spaces")
            << QTime() << QTime(9, 5, 7) << 0 << u"当前时间: 9: 5: 7"_s;
        QTest::newRow("across the hour")
            << QTime(10, 59, 58) << QTime(11, 0, 1) << 3 << u"当前时间:11: 0: 1"_s;
        QTest::newRow("past midnight")
            << QTime(23, 59, 50) << QTime(0, 0, 10) << 20 << u"当前时间: 0: 0:10"_s;
    }
    void clockPanes()
    {
        QFETCH(QTime, start);
        QFETCH(QTime, tick);
        QFETCH(int, seconds);
        QFETCH(QString, timeOfDay);
        CPracticeFixture f;
        if (start.isValid()) {
            f.platform.SetTime(start);
            Start(f, false, "The end");
            QCOMPARE(f.clock.m_nStartSecond, start.second());
        }
        f.platform.SetTime(tick);
        f.clock.Tick(tick);
        QCOMPARE(f.PaneText(4), timeOfDay);
        QCOMPARE(ElapsedSeconds, seconds);
        if (start.isValid()) {
            QCOMPARE(f.PaneText(3), u"记时:%1秒"_s.arg(seconds));
            QCOMPARE(f.PaneText(0), u"№:现在正处练习中,你可按ESC键中止练习"_s);
        }
    }

    // A stopped clock keeps its count and shows 0 in the pane; a practice
    // ended before the first tick keeps 0; a reset clears everything. The
    // ready prompt blinks; a practice stops the blink where it stands and
    // the next prompt goes on in that phase. A notice (which takes the blank
    // phase) goes when it is taken away or at the next reset.
    void clockStopsResetsAndBlinks()
    {
        CPracticeFixture f;
        CPracticeClock& clock = f.clock;
        const QString prompt = u"◎☆准备就绪,按空格键开始计时☆◎"_s;
        const QString notice = u"中文输入法没有运行"_s;
        const auto shownAt = [&](int second) {
            clock.Tick(QTime(8, 0, second));
            return f.PaneText(0);
        };
        clock.ResetClock();
        StartClockAt(f, QTime(8, 0, 0));
        clock.StopClock();
        QCOMPARE(ElapsedSeconds, 0);
        StartClockAt(f, QTime(8, 0, 0));
        clock.Tick(QTime(8, 0, 5));
        clock.StopClock();
        QCOMPARE(f.PaneText(0), u"已经结束练习!"_s);
        clock.Tick(QTime(8, 0, 9));
        QCOMPARE(ElapsedSeconds, 5);
        QCOMPARE(f.PaneText(3), u"记时:0秒"_s);
        clock.ShowReadyPrompt();
        clock.ResetClock();
        QCOMPARE(ElapsedSeconds, 0);
        QCOMPARE(f.PaneText(0), u" "_s);
        QVERIFY(!clock.m_bReadyPrompt && !clock.m_bClockRunning);
        clock.ShowReadyPrompt();
        QCOMPARE((QStringList{shownAt(11), shownAt(12), shownAt(13)}),
                 (QStringList{prompt, u"  "_s, prompt}));
        StartClockAt(f, QTime(8, 0, 13));
        QCOMPARE(shownAt(14), u"№:现在正处练习中,你可按ESC键中止练习"_s);
        clock.ResetClock();
        clock.ShowReadyPrompt();
        QCOMPARE(shownAt(15), u"  "_s);
        clock.ShowNotice(notice);
        QCOMPARE(f.PaneText(0), notice);
        clock.ShowNotice(QString());
        QCOMPARE((QStringList{shownAt(16), shownAt(17)}), (QStringList{prompt, u"  "_s}));
        clock.ShowNotice(notice);
        clock.ResetClock();
        clock.ShowReadyPrompt();
        QVERIFY(shownAt(18) != notice && shownAt(19) != notice);
    }
};

QE_TEST_MAIN(TestSession)
#include "tst_session.moc"
