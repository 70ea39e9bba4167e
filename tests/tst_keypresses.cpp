#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "platform/Dialog.h"
#include "platform/KeyPressCounter.h"
#include "reports/ProgressDlg.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "tests/XcbKeys.h"
#include "users/CurrentUser.h"

#include <QInputMethodEvent>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

using namespace XcbKeys;

namespace {

constexpr quint32 QeWindow = 0x400007;

// "nihao" and Space, each key pressed and let go: keycodes of n i h a o ␣.
const QString NihaoSpace = u"p57@100 r57@150 p31@200 r31@250 p43@300 r43@350 p38@400 r38@450 "
                           "p32@500 r32@550 p65@600 r65@650"_s;

} // namespace

// 击键 and 码长: the physical key presses QE's window receives, counted
// before an input method takes them, and the figures drawn from them.
class TestKeyPresses : public QObject
{
    Q_OBJECT
private slots:
    void countsEachPhysicalPressOnce_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<bool>("focused");
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("backspaces");
        QTest::newRow("nihao and Space committing 你好: six keys") << NihaoSpace << true << 6 << 0;
        QTest::newRow("a key held down, presses without releases, counts once")
            << u"p38@100 p38@600 p38@633 p38@666 r38@700"_s << true << 1 << 0;
        QTest::newRow("a key held down, release and press of one moment, counts once")
            << u"p38@100 r38@600 p38@600 r38@633 p38@633 r38@700"_s << true << 1 << 0;
        QTest::newRow("one key typed twice counts twice")
            << u"p38@100 r38@150 p38@300 r38@350"_s << true << 2 << 0;
        QTest::newRow("Shift and a letter are two keys")
            << u"p50@100 p38@150 r38@200 r50@250"_s << true << 2 << 0;
        QTest::newRow("Backspace counts, and is counted apart")
            << u"p38@100 r38@150 p22@200 r22@250 p22@300 r22@350"_s << true << 3 << 2;
        QTest::newRow("Esc ends a practice, it is no typing")
            << u"p9@100 r9@150"_s << true << 0 << 0;
        QTest::newRow("keys to another window count nothing")
            << u"P38@100 r38@150 P22@200 r22@250"_s << true << 0 << 0;
        QTest::newRow("keys while QE's window has no focus count nothing")
            << NihaoSpace << false << 0 << 0;
    }
    void countsEachPhysicalPressOnce()
    {
        QFETCH(QString, events);
        QFETCH(bool, focused);
        QFETCH(int, presses);
        QFETCH(int, backspaces);
        CKeyPressCounter counter(true, KeysymOf,
                                 [focused] { return focused ? quintptr(QeWindow) : quintptr(0); });
        Deliver(counter, events, QeWindow);
        QCOMPARE(counter.Counts().nPresses, presses);
        QCOMPARE(counter.Counts().nBackspaces, backspaces);
    }

    // A Chinese practice typed through an input method, from the start key
    // to the stored attempt: the keys the input method consumed are there,
    // the start key and Esc are not. Then the same practice where the
    // platform shows no keys: nothing is counted, stored as unknown, shown
    // as 不可用.
    void practiceKeepsTheKeysOfItsInputMethod_data()
    {
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("pressesShown");
        QTest::addColumn<QString>("keysPerUnitShown");
        QTest::newRow("on X11: 6 keys for 你好") << true << u"0.20"_s << u"3.00"_s;
        QTest::newRow("without key events") << false << u"不可用"_s << u"不可用"_s;
    }
    void practiceKeepsTheKeysOfItsInputMethod()
    {
        QFETCH(bool, available);
        QFETCH(QString, pressesShown);
        QFETCH(QString, keysPerUnitShown);
        QVERIFY(!CKeyPressCounter::Application().IsAvailable()); // the offscreen platform
        CTestDatabase database;
        CDaoDatabase::SetTarget(database.Target());
        CPracticeFixture f;
        const qint64 pupil =
            database.Insert(u"user"_s, {u"李华"_s, u"三年级一班"_s, u"1"_s, u"pw"_s});
        CurrentUser = CCurrentUser();
        CurrentUser.Name = u"李华"_s;
        CurrentUser.Class = u"三年级一班"_s;
        CurrentUser.StudentNo = u"1"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = pupil;
        database.SignInAsCurrentUser(f.doc.m_pDB);
        const quint32 window = quint32(f.view->winId());
        CKeyPressCounter counter(available, KeysymOf, [window] { return quintptr(window); });
        CKeyPressCounter::SetApplication(&counter);

        f.Load(true, Gbk::Encode(u"你好，世界。"_s.repeated(40)));
        Deliver(counter, u"p65@10 r65@40"_s, window); // the start key
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
        Deliver(counter, NihaoSpace, window);
        QInputMethodEvent commit;
        commit.setCommitString(u"你好"_s);
        QCoreApplication::sendEvent(f.view, &commit);
        f.platform.Advance(30000); // half a minute: it counts for the figures
        Deliver(counter, u"p9@29000 r9@29050"_s, window);
        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.Type(QByteArray("\x1b"));
        // Keys after the end belong to no attempt.
        Deliver(counter, NihaoSpace, window);
        CKeyPressCounter::SetApplication(nullptr);

        const CAttemptSummary attempt = LoadAttempts(*database.Admin(), pupil).value(0);
        QCOMPARE(attempt.nCorrectUnits, 2);
        QCOMPARE(attempt.nKeyPresses, available ? 6 : -1);

        // 我的练习记录 shows them in its columns and its figures.
        CScriptedPlatform platform;
        Listing listing;
        QString figures;
        Drive<CProgressDlg>(platform, [&](CProgressDlg* dlg) {
            listing = ListOf(dlg->m_listAttempts);
            figures = dlg->GetDlgItemText(1003);
        });
        CProgressDlg(pupil, QString()).DoModal();
        const QStringList row = listing.cells.value(0);
        QCOMPARE(listing.headers.mid(5),
                 (QStringList{u"击键"_s, u"码长"_s, u"回改"_s, u"键准确率"_s}));
        QCOMPARE(row.mid(5), (QStringList{pressesShown, keysPerUnitShown, u"0"_s, QString()}));
        QVERIFY2(figures.contains(u"击键 %1   码长 %2"_s.arg(pressesShown, keysPerUnitShown)),
                 qPrintable(figures));
        CDaoDatabase::SetTarget(QString());
    }

    // 击键, 码长 and the keystroke accuracy of a known attempt, and how they
    // average over attempts: all presses over all time, and over all
    // correct units; attempts whose presses are unknown, or too short to
    // count, stay out.
    void figuresOfKnownAttempts()
    {
        // 150 presses in 60 s for 40 correct characters.
        QCOMPARE(Metrics::KeysPerSecond(150, 60000), 2.5);
        QCOMPARE(Metrics::KeysPerUnit(150, 40), 3.75);
        // 95 characters stand, 90 of them right, 10 deleted on the way.
        QCOMPARE(Metrics::KeystrokeAccuracy(90, 95, 10), 85);
        QCOMPARE(Metrics::KeysPerUnit(12, 0), 0.0);
        QCOMPARE(Metrics::KeysPerSecond(12, 0), 0.0);

        const auto summary = [](qint64 ms, int correct, int presses) {
            CAttemptSummary attempt;
            attempt.nKind = PracticeKind::Chinese;
            attempt.nElapsedMs = ms;
            attempt.nTypedUnits = correct;
            attempt.nCorrectUnits = correct;
            attempt.nKeyPresses = presses;
            return attempt;
        };
        // The 20 s attempt is too short to count, the last has no presses.
        const CProgressFigures figures =
            SummariseKind({summary(60000, 40, 150), summary(40000, 20, 50), summary(20000, 10, 40),
                           summary(30000, 30, -1)},
                          PracticeKind::Chinese);
        QCOMPARE(figures.nKeyedCount, 2);
        QCOMPARE(figures.dAverageKeysPerSecond, 200 / 100.0);
        QCOMPARE(figures.dAverageKeysPerUnit, 200 / 60.0);
        QCOMPARE(SummariseKind({summary(30000, 30, -1)}, PracticeKind::Chinese).nKeyedCount, 0);
    }
};

QE_TEST_MAIN(TestKeyPresses)
#include "tst_keypresses.moc"
