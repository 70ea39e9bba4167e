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
};

QE_TEST_MAIN(TestSession)
#include "tst_session.moc"
