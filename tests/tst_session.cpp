#include "tests/PracticeFixture.h"
#include "tests/TestMain.h"

#include <QInputMethodEvent>

using namespace Qt::Literals::StringLiterals;

// What each typed byte does to the buffers, the position and the counters.
class TestSession : public QObject
{
    Q_OBJECT
private:
    static QByteArray Gb(const QString& text) { return Gbk::Encode(text); }

    // A running Chinese session on the given practice text.
    static void StartChinese(CPracticeFixture& f, const QByteArray& text)
    {
        f.WriteFile(u"chinese.txt"_s, text);
        f.view->OnPracticeChinese();
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
    }
    static void StartEnglish(CPracticeFixture& f, const QByteArray& text)
    {
        f.WriteFile(u"english.txt"_s, text);
        f.view->OnPracticeEnglish();
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
    }

    // What an input method sends: a commit, then the composition that
    // follows it (empty when none is open).
    static void Compose(QWidget* view, const QString& preedit, const QString& commit = {})
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QCoreApplication::sendEvent(view, &event);
    }
    static QRect CursorRectangle(QWidget* view)
    {
        QInputMethodQueryEvent query(Qt::ImCursorRectangle);
        QCoreApplication::sendEvent(view, &query);
        return query.value(Qt::ImCursorRectangle).toRect();
    }

private slots:
    void creditScreenIgnoresKeys()
    {
        CPracticeFixture f;
        f.Type(QByteArray("a \r"));
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(!f.view->Session().IsRunning());
    }

    void keyBeforeStartShowsReadyBox_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("letter") << QByteArray("a");
        QTest::newRow("enter") << QByteArray("\r");
        QTest::newRow("escape") << QByteArray("\x1b");
    }
    void keyBeforeStartShowsReadyBox()
    {
        QFETCH(QByteArray, key);
        CPracticeFixture f;
        f.WriteFile(u"english.txt"_s, "The end");
        f.view->OnPracticeEnglish();
        f.Type(key);
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes[0].text, u"准备就绪,按空格键开始计时!"_s);
        QCOMPARE(f.platform.boxes[0].caption, u"提示"_s);
        QCOMPARE(f.platform.boxes[0].flags, MB_OK | MB_ICONINFORMATION);
        QVERIFY(!f.view->Session().IsRunning());
        QCOMPARE(TypedCount, 0);
    }

    void spaceStartsClockAndShowsRunningHint()
    {
        CPracticeFixture f;
        f.platform.SetTime(QTime(10, 59, 58));
        StartEnglish(f, "The end");
        QVERIFY(f.frame->Clock().m_bClockRunning);
        QCOMPARE(f.frame->Clock().m_nStartSecond, 58);
        QCOMPARE(f.frame->PaneText(0), u"№:现在正处练习中,你可按ESC键中止练习"_s);
        QCOMPARE(TypedCount, 0); // the start key itself is not typed
    }

    void englishMistakeAndBackspace()
    {
        CPracticeFixture f;
        StartEnglish(f, "The end");
        f.Type(QByteArray("Tx"));
        QCOMPARE(TypedCount, 2);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(CurrentColumn, 2);
        QCOMPARE(f.TypedRow(0).left(3), QByteArray("Tx "));
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(CurrentColumn, 1);
        QCOMPARE(f.TypedRow(0).left(2), QByteArray("T "));
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CorrectCount, 0);
    }

    void rowChangesAfter92Bytes()
    {
        CPracticeFixture f;
        StartEnglish(f, QByteArray(300, 'q'));
        f.Type(QByteArray(91, 'q'));
        QCOMPARE(CurrentRow, 0);
        QCOMPARE(CurrentColumn, 91);
        f.Type(QByteArray("q"));
        QCOMPARE(CurrentRow, 1);
        QCOMPARE(CurrentColumn, 0);
        QCOMPARE(TypedCount, 92);
        QCOMPARE(CorrectCount, 92);
    }

    void backspaceAfterRowChangeBeeps()
    {
        CPracticeFixture f;
        StartEnglish(f, QByteArray(300, 'q'));
        f.Type(QByteArray(92, 'q'));
        f.Type(QByteArray("\b"));
        QCOMPARE(f.platform.beeps, 1);
        QCOMPARE(CurrentRow, 1);
        QCOMPARE(CurrentColumn, 0);
        QCOMPARE(TypedCount, 92);
    }

    void chineseRowChangesAfter46Units()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中"_s).repeated(100));
        f.Type(Gb(u"中"_s).repeated(45));
        QCOMPARE(CurrentRow, 0);
        QCOMPARE(CurrentColumn, 45);
        f.Type(Gb(u"中"_s));
        QCOMPARE(CurrentRow, 1);
        QCOMPARE(CurrentColumn, 0);
        QCOMPARE(f.doc.m_aTypedLine[0], Gb(u"中"_s).repeated(46));
        f.Type(QByteArray("\b"));
        QCOMPARE(f.platform.beeps, 1);
    }

    void chineseCharacterIsOneUnitOfTwoBytes()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文"_s));
        f.Type(QByteArray("\xd6"));
        QCOMPARE(PendingUnit, QByteArray("\xd6"));
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CurrentColumn, 0);
        f.Type(QByteArray("\xd0"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(CurrentColumn, 1);
        QCOMPARE(f.doc.TypedCell(0, 0), Gb(u"中"_s));
        QCOMPARE(f.doc.m_aTypedLine[0], Gb(u"中"_s));
        QVERIFY(PendingUnit.isEmpty());
    }

    void letterIsAnIncorrectUnit()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文"_s));
        f.Type(QByteArray("a"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 0);
        QCOMPARE(f.doc.TypedCell(0, 0), QByteArray("a "));
        QCOMPARE(CurrentColumn, 1);
    }

    void spaceThenCharacterSkipsACell()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文练习"_s));
        f.Type(QByteArray(" ") + Gb(u"中"_s));
        QCOMPARE(CurrentColumn, 1);
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CorrectCount, 0);
        QCOMPARE(f.doc.TypedCell(0, 0), QByteArray("  "));
        QVERIFY(f.view->Session().IsSkipped(0, 0));
        // the character's second byte was thrown away: the next one is whole
        f.Type(Gb(u"文"_s));
        QCOMPARE(CurrentColumn, 2);
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(f.doc.m_aTypedLine[0], QByteArray("  ") + Gb(u"文"_s));
    }

    void twoSpacesMatchTwoPracticeSpaces()
    {
        CPracticeFixture f;
        StartChinese(f, QByteArray("  ") + Gb(u"中"_s));
        f.Type(QByteArray("  "));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(CurrentColumn, 1);
    }

    void backspaceInChineseTakesTheUnitBack()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文练"_s));
        f.Type(Gb(u"中字"_s));
        QCOMPARE(TypedCount, 2);
        QCOMPARE(CorrectCount, 1);
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(f.doc.m_aTypedLine[0], Gb(u"中"_s));
        QCOMPARE(f.doc.TypedCell(0, 1), QByteArray());
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CorrectCount, 0);
        QCOMPARE(f.doc.m_aTypedLine[0], QByteArray());
    }

    // A skipped cell counts nowhere, so taking it back counts nothing either.
    void backspaceAfterSkippedCellKeepsCounts()
    {
        CPracticeFixture f;
        StartChinese(f, QByteArray("  ") + Gb(u"文练"_s));
        f.Type(QByteArray(" ") + Gb(u"中"_s)); // skips cell 0, whose practice is two spaces
        QCOMPARE(CurrentColumn, 1);
        f.Type(Gb(u"文"_s));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        f.Type(QByteArray("\b\b"));
        QCOMPARE(CurrentColumn, 0);
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CorrectCount, 0);
        QVERIFY(CorrectCount <= TypedCount);
        QVERIFY(!f.view->Session().IsSkipped(0, 0));
    }

    // A GBK character whose second byte is in 0x40-0x7E is one unit too.
    void secondByteInAsciiRangeFormsOneUnit()
    {
        CPracticeFixture f;
        const QByteArray wide("\x81\x40", 2);
        QCOMPARE(Gbk::Decode(wide).size(), 1);
        StartChinese(f, wide + Gb(u"中"_s));
        f.Type(wide);
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CorrectCount, 1);
        QCOMPARE(CurrentColumn, 1);
        QCOMPARE(f.doc.m_aTypedLine[0], wide);
        f.Type(Gb(u"中"_s));
        QCOMPARE(CorrectCount, 2);
    }

    void newLoadStartsWithEmptyUnit()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文"_s));
        f.Type(QByteArray("\xd6"));
        QCOMPARE(PendingBytes, 1);
        f.view->OnPracticeChinese();
        QVERIFY(PendingUnit.isEmpty());
        QCOMPARE(PendingBytes, 0);
        QCOMPARE(SkipPending, 0);
        f.Type(QByteArray(" ") + Gb(u"中"_s));
        QCOMPARE(CorrectCount, 1);
    }

    void escapeCancelledChangesNothing()
    {
        CPracticeFixture f;
        StartEnglish(f, "The end");
        f.Type(QByteArray("Th"));
        f.platform.AnswerBoxes({IDCANCEL});
        f.Type(QByteArray("\x1b"));
        QCOMPARE(f.platform.boxes.size(), 1);
        QCOMPARE(f.platform.boxes[0].text, u"确定要结束练习吗?"_s);
        QCOMPARE(f.platform.boxes[0].caption, u"提示!"_s);
        QCOMPARE(f.platform.boxes[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
        QVERIFY(f.view->Session().IsRunning());
        QVERIFY(f.frame->Clock().m_bClockRunning);
        QCOMPARE(TypedCount, 2);
        QCOMPARE(CurrentColumn, 2);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::English));
    }

    void escapeConfirmedEndsPractice()
    {
        CPracticeFixture f;
        StartEnglish(f, "The end");
        f.Type(QByteArray("Th"));
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY(!f.frame->Clock().m_bClockRunning);
        QCOMPARE(f.frame->PaneText(0), u"已经结束练习!"_s);
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));
        QCOMPARE(f.view->m_bShowCredits, 1);
        QVERIFY(!f.view->m_file.isOpen());
        QCOMPARE(TypedCount, 2); // kept for the result until the next load
    }

    void enterIsIgnoredWhileRunning()
    {
        CPracticeFixture f;
        StartEnglish(f, "The end");
        f.Type(QByteArray("\r"));
        QCOMPARE(TypedCount, 0);
        QCOMPARE(CurrentColumn, 0);
        QVERIFY(f.platform.boxes.isEmpty());
    }

    // Past the last cell of the screen nothing is stored: the practice ends.
    void fullScreenEndsPractice_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::newRow("single-byte") << false;
        QTest::newRow("double-byte") << true;
    }
    void fullScreenEndsPractice()
    {
        QFETCH(bool, chinese);
        CPracticeFixture f;
        const QByteArray unit = chinese ? Gb(u"中"_s) : QByteArray("q");
        const int perRow = chinese ? CQeDoc::Cells : CQeDoc::Columns;
        if (chinese)
            StartChinese(f, unit.repeated(1000));
        else
            StartEnglish(f, unit.repeated(2000));
        f.Type(unit.repeated(14 * perRow - 1));
        QCOMPARE(CurrentRow, 13);
        QVERIFY(f.view->Session().IsRunning());
        f.Type(unit);
        QVERIFY(f.platform.boxes.isEmpty()); // no question
        QCOMPARE(CurrentPracticeKind, int(PracticeKind::None));
        QVERIFY(!f.frame->Clock().m_bClockRunning);
        QCOMPARE(TypedCount, 14 * perRow);
        QCOMPARE(CorrectCount, 14 * perRow);
        QCOMPARE(CurrentRow, 13);
        f.Type(unit.repeated(3));
        QCOMPARE(TypedCount, 14 * perRow);
    }

    void keyEventsReachTheSession()
    {
        CPracticeFixture f;
        f.WriteFile(u"chinese.txt"_s, Gb(u"中文"_s));
        f.view->OnPracticeChinese();
        QTest::keyClick(f.view, Qt::Key_Space);
        QVERIFY(f.view->Session().IsRunning());
        QInputMethodEvent commit;
        commit.setCommitString(u"中文"_s);
        QCoreApplication::sendEvent(f.view, &commit);
        QCOMPARE(TypedCount, 2);
        QCOMPARE(CorrectCount, 2);
        QTest::sendKeyEvent(QTest::Click, f.view, Qt::Key_unknown, u"字"_s, Qt::NoModifier);
        QCOMPARE(TypedCount, 3);
        QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(TypedCount, 2);
        f.platform.AnswerBoxes({IDCANCEL});
        QTest::keyClick(f.view, Qt::Key_Escape);
        QCOMPARE(f.platform.boxes.size(), 1);
    }

    // Keys as the X keyboard delivers them, text included: only keys that
    // make a character are typed.
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
        QTest::newRow("insert") << int(Qt::Key_Insert) << QString() << none << QByteArray();
        QTest::newRow("left") << int(Qt::Key_Left) << QString() << none << QByteArray();
        QTest::newRow("home") << int(Qt::Key_Home) << QString() << none << QByteArray();
        QTest::newRow("page down") << int(Qt::Key_PageDown) << QString() << none << QByteArray();
        QTest::newRow("f5") << int(Qt::Key_F5) << QString() << none << QByteArray();
        QTest::newRow("tab") << int(Qt::Key_Tab) << u"\t"_s << none << QByteArray("\t");
        QTest::newRow("ctrl+a") << int(Qt::Key_A) << u"\x01"_s << int(Qt::ControlModifier)
                                << QByteArray("\x01");
    }
    void onlyCharacterKeysAreTyped()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, typed);
        CPracticeFixture f;
        StartEnglish(f, "The end");
        QTest::sendKeyEvent(QTest::Click, f.view, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(TypedCount, int(typed.size()));
        QCOMPARE(CurrentColumn, int(typed.size()));
        QCOMPARE(f.TypedRow(0).left(typed.size()), typed);
        // The practice goes on undisturbed: the next letter is still correct.
        if (typed.isEmpty()) {
            QTest::keyClick(f.view, 'T');
            QCOMPARE(CorrectCount, 1);
        }
    }

    // A phrase committed at once is typed character by character, and the
    // composition that comes with it opens at the new position.
    void phraseCommitTypesEachCharacter()
    {
        CPracticeFixture f;
        StartChinese(f, Gb(u"中文练习"_s));
        Compose(f.view, u"zhong"_s);
        QCOMPARE(TypedCount, 0);
        Compose(f.view, u"lian"_s, u"中文字"_s);
        QCOMPARE(TypedCount, 3);
        QCOMPARE(CorrectCount, 2);
        QCOMPARE(CurrentColumn, 3);
        QCOMPARE(f.doc.m_aTypedLine[0], Gb(u"中文字"_s));
        QVERIFY(f.view->Composition().IsOpen());
        QCOMPARE(f.view->Composition().Column(), 6);
        QCOMPARE(f.view->Composition().Line(), 1);
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
        QTest::newRow("enter before the start") << false << int(Qt::Key_Return);
        QTest::newRow("escape clearing the composition") << true << int(Qt::Key_Escape);
        QTest::newRow("space before the start") << false << int(Qt::Key_Space);
    }
    void compositionKeysNeverReachTheSession()
    {
        QFETCH(bool, started);
        QFETCH(int, key);
        CPracticeFixture f;
        f.WriteFile(u"chinese.txt"_s, Gb(u"中文"_s));
        f.view->OnPracticeChinese();
        if (started) {
            f.Type(QByteArray(" "));
            Compose(f.view, QString(), u"中"_s);
        }
        Compose(f.view, u"wen"_s);
        QTest::keyClick(f.view, Qt::Key(key));
        QCOMPARE(f.view->Session().IsRunning(), started);
        QCOMPARE(TypedCount, started ? 1 : 0);
        QCOMPARE(CurrentColumn, started ? 1 : 0);
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(f.platform.beeps, 0);
        // the composition's end lets keys through again
        Compose(f.view, QString(), started ? u"文"_s : QString());
        QCOMPARE(TypedCount, started ? 2 : 0);
        QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(TypedCount, started ? 1 : 0);
    }

    // The input method places its candidate list by the cell the next
    // character goes to, wherever the typing moved.
    void cursorRectangleFollowsTheTypingCell_data()
    {
        QTest::addColumn<int>("characters");
        QTest::addColumn<bool>("backspace");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("gridColumn");
        QTest::newRow("at the start") << 0 << false << 1 << 0;
        QTest::newRow("after two characters") << 2 << false << 1 << 4;
        QTest::newRow("after a backspace") << 2 << true << 1 << 2;
        QTest::newRow("after a row change") << 47 << false << 3 << 2;
    }
    void cursorRectangleFollowsTheTypingCell()
    {
        QFETCH(int, characters);
        QFETCH(bool, backspace);
        QFETCH(int, line);
        QFETCH(int, gridColumn);
        CPracticeFixture f;
        StartChinese(f, Gb(u"中"_s.repeated(200)));
        Compose(f.view, QString(), u"中"_s.repeated(characters));
        if (backspace)
            QTest::keyClick(f.view, Qt::Key_Backspace);
        QCOMPARE(CursorRectangle(f.view), f.view->CellRect(line, gridColumn, 2));
    }

    // A composition open when the pupil clicks into another window is
    // cancelled: nothing of it is typed, whether the input method hands it
    // in while its window gives up the focus or after the focus has gone,
    // and the practice goes on when the focus comes back.
    void focusLossCancelsTheComposition()
    {
        CPracticeFixture f;
        f.frame->show();
        f.frame->activateWindow();
        f.view->setFocus();
        QCoreApplication::processEvents();
        QVERIFY(f.view->hasFocus());
        StartChinese(f, Gb(u"中文练习"_s));
        Compose(f.view, QString(), u"中"_s);
        Compose(f.view, u"wen"_s);
        QVERIFY(f.view->Composition().IsOpen());

        // Qt has the input method commit as the window hands the focus on
        QFocusEvent aboutToChange(QEvent::FocusAboutToChange, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(f.frame->windowHandle(), &aboutToChange);
        Compose(f.view, QString(), u"问"_s);
        QVERIFY(!f.view->Composition().IsOpen());
        QCOMPARE(TypedCount, 1);

        QWidget elsewhere;
        elsewhere.setFocusPolicy(Qt::StrongFocus);
        elsewhere.show();
        elsewhere.activateWindow();
        QCoreApplication::processEvents();
        QVERIFY(!f.view->hasFocus());
        // an input method may hand the composition in after the focus went
        Compose(f.view, QString(), u"问"_s);
        Compose(f.view, u"wen"_s);
        QCOMPARE(TypedCount, 1);
        QCOMPARE(CurrentColumn, 1);
        QVERIFY(!f.view->Composition().IsOpen());

        f.frame->activateWindow();
        QCoreApplication::processEvents();
        QVERIFY(f.view->hasFocus());
        Compose(f.view, u"wen"_s);
        Compose(f.view, QString(), u"文"_s);
        QCOMPARE(TypedCount, 2);
        QCOMPARE(CorrectCount, 2);
        QVERIFY(f.view->Session().IsRunning());
    }

    // Without an input method the Chinese practice says in pane 0 what to
    // install or start; the other practices and a working input method
    // leave the pane alone.
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
        f.frame->show();
        f.platform.inputMethod = InputMethodState(state);
        f.WriteFile(u"chinese.txt"_s, Gb(u"中文"_s));
        f.WriteFile(u"english.txt"_s, "The end");
        if (chinese)
            f.view->OnPracticeChinese();
        else
            f.view->OnPracticeEnglish();
        const QString shownFirst = f.frame->PaneText(0);
        const QString sentence = u"现在打不出汉字,请告诉老师。"_s;
        if (!notice) {
            QVERIFY2(shownFirst != sentence, qPrintable(shownFirst));
            return;
        }
        QCOMPARE(shownFirst, sentence);
        // one short sentence, whole in the pane at 750 pixels
        QVERIFY(f.frame->Pane(0)->toolTip().isEmpty());
        // it comes back in the blank phase of the blinking ready prompt ...
        QStringList shown;
        for (int second : {1, 2}) {
            f.frame->Clock().Tick(QTime(8, 0, second));
            shown.append(f.frame->PaneText(0));
        }
        QVERIFY(shown.contains(sentence));
        // ... until a composition proves an input method at work
        Compose(f.view, u"zhong"_s);
        Compose(f.view, QString());
        for (int second : {3, 4}) {
            f.frame->Clock().Tick(QTime(8, 0, second));
            QVERIFY(f.frame->PaneText(0) != sentence);
        }
        // letters still type
        f.Type(QByteArray(" a"));
        QCOMPARE(TypedCount, 1);
    }
};

QE_TEST_MAIN(TestSession)
#include "tst_session.moc"
