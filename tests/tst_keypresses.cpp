#include "attempts/CommitFigures.h"
#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "attempts/ShortestKeys.h"
#include "attempts/TimeLoss.h"
#include "platform/Dialog.h"
#include "platform/KeyPressCounter.h"
#include "reports/ProgressDlg.h"
#include "res/Resources.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/SettleWorker.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "tests/XcbKeys.h"
#include "users/CurrentUser.h"
#include "users/Session.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

using namespace XcbKeys;

namespace {

constexpr quint32 QeWindow = 0x400007;

// "nihao" and Space, each key pressed and let go: keycodes of n i h a o ␣.
const QString NihaoSpace = u"p57@100 r57@150 p31@200 r31@250 p43@300 r43@350 p38@400 r38@450 "
                           "p32@500 r32@550 p65@600 r65@650"_s;

// The commits a pupil's attempts kept, in order: "committed>expected keys
// count ms picked", "|" between them.
QString CommitsOf(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    query.exec(
        u"SELECT committed, expected, keys_typed, key_count, elapsed_ms, picked, deleted "
        "FROM attempt_commit WHERE user_key = %1 ORDER BY attempt_id, position"_s.arg(userKey));
    QStringList commits;
    while (query.next())
        commits << u"%1>%2 %3 %4 %5 %6 %7"_s.arg(
            query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).isNull() ? u"-"_s : query.value(3).toString(), query.value(4).toString(),
            query.value(5).toString(), query.value(6).toString());
    return commits.join(u" | "_s);
}

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
        QTest::addColumn<QString>("keyAccuracyShown");
        QTest::addColumn<QString>("picksShown");
        // 23 keys: 6 for 你好, 7 for 世界 (deleted), 2 Backspaces and "，",
        // and 7 for 世界 again; 键准 (23 - 2 - 7) / 23.
        QTest::newRow("on X11: 23 keys for 你好，世界")
            << true << u"0.73"_s << u"4.60"_s << u"60%"_s << u"1 (20.0/百字)"_s;
        QTest::newRow("without key events")
            << false << u"不可用"_s << u"不可用"_s << u"不可用"_s << u"不可用"_s;
    }
    void practiceKeepsTheKeysOfItsInputMethod()
    {
        QFETCH(bool, available);
        QFETCH(QString, pressesShown);
        QFETCH(QString, keysPerUnitShown);
        QFETCH(QString, keyAccuracyShown);
        QFETCH(QString, picksShown);
        QVERIFY(!CKeyPressCounter::Application().IsAvailable()); // the offscreen platform
        CTestDatabase database;
        CDaoDatabase::SetTarget(database.Target());
        CPracticeFixture f;
        const qint64 pupil =
            database.Insert(u"user"_s, {u"李华"_s, u"三年级一班"_s, u"1"_s, u"pw"_s});
        LogInPupil(pupil, u"李华"_s, u"三年级一班"_s, u"1"_s, &database, f.doc.m_pDB);
        const quint32 window = quint32(f.view->winId());
        CKeyPressCounter counter(available, KeysymOf, [window] { return quintptr(window); });
        CKeyPressCounter::SetApplication(&counter);

        f.Load(true, Gbk::Encode(u"你好，世界。"_s.repeated(40)));
        Deliver(counter, u"p65@10 r65@40"_s, window); // the start key
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
        Deliver(counter, NihaoSpace, window);
        f.Compose({}, u"你好"_s);
        // "shijie", then 2 to pick the second candidate, 世界; "，" typed alone.
        Deliver(counter,
                u"p39@700 r39@710 p43@720 r43@730 p31@740 r31@750 p44@760 r44@770 "
                "p31@775 r31@777 p26@780 r26@790 p11@800 r11@810"_s,
                window);
        f.platform.Advance(1500);
        f.Compose({}, u"世界"_s);
        // Both taken back (回改 2), then "，" and 世界 committed again.
        Deliver(counter, u"p22@1600 r22@1610 p22@1620 r22@1630 p59@1640 r59@1650"_s, window);
        f.Type(QByteArray("\b\b"));
        f.Compose({}, u"，"_s);
        Deliver(counter,
                u"p39@1700 r39@1710 p43@1720 r43@1730 p31@1740 r31@1750 p44@1760 r44@1770 "
                "p31@1775 r31@1777 p26@1780 r26@1790 p65@1800 r65@1810"_s,
                window);
        f.Compose({}, u"世界"_s);
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
        QCOMPARE(attempt.nCorrectUnits, 5);
        QCOMPARE(attempt.nKeyPresses, available ? 23 : -1);
        // Each commit with the keys behind it, its time, how the candidate
        // was picked and how many of its characters were deleted; the start
        // key and the keys after the end are in none.
        QCOMPARE(CommitsOf(*database.Admin(), pupil),
                 available ? u"你好>你好 nihao␣ 6 0 0 0 | 世界>，世 shijie2 7 1500 1 2 | "
                             "，>， ⌫⌫ 3 0 0 0 | 世界>世界 shijie␣ 7 0 0 0"_s
                           : u"你好>你好  - 0 0 0 | 世界>，世  - 1500 0 2 | ，>，  - 0 0 0 | "
                             "世界>世界  - 0 0 0"_s);

        // 我的练习记录 shows them in its columns and its figures.
        CScriptedPlatform platform;
        Listing listing;
        QString figures;
        QString keyAccuracyTip;
        QString loss;
        Drive<CProgressDlg>(platform, [&](CProgressDlg* dlg) {
            listing = ListOf(dlg->m_listAttempts);
            figures = dlg->GetDlgItemText(1003);
            keyAccuracyTip = dlg->m_listAttempts->model()
                                 ->headerData(9, Qt::Horizontal, Qt::ToolTipRole)
                                 .toString();
            dlg->m_listAttempts->setCurrentIndex(dlg->m_listAttempts->model()->index(0, 0));
            SettleWorker();
            // The line is copied as a pupil copies it: Ctrl+A, Ctrl+C.
            QWidget* line = dlg->GetDlgItem(1006);
            QTest::keySequence(line, QKeySequence::SelectAll);
            QTest::keySequence(line, QKeySequence::Copy);
            loss = QGuiApplication::clipboard()->text();
        });
        CProgressDlg(CSession::Instance(), pupil, QString()).DoModal();
        const QStringList row = listing.cells.value(0);
        QCOMPARE(listing.headers.mid(5),
                 (QStringList{u"击键"_s, u"码长"_s, u"回改"_s, u"键准确率"_s, u"键准"_s, u"选重"_s,
                              u"打词率"_s}));
        // 回改 2 of 5 standing; 打词率: 你好 and 世界 of 5, the deleted 世界 not.
        QCOMPARE(row.mid(5), (QStringList{pressesShown, keysPerUnitShown, u"2 (28.6%)"_s, QString(),
                                          keyAccuracyShown, picksShown, u"80%"_s}));
        QCOMPARE(keyAccuracyTip, FigureDefinition(u"键准"_s));
        // The row's 速度损失: the 1.5 s of the 世界 taken back; without it 5
        // characters over 30 s.
        // 理论码长: 全拼 ni␣ hao␣ , shi␣ jie␣, 16 keys for 5 characters;
        // 五笔 wqvb , anlw, 9.
        QCOMPARE(loss, u"这一次时间花在:回改 1.5 秒(不然 10.0 字/分)"_s +
                           (available ? u"\n码长 4.60;理论码长:全拼 3.20(每字可以少按 1.40 个键),"
                                        "五笔 1.80(每字可以少按 2.80 个键)"_s
                                      : QString()));
        QVERIFY2(figures.contains(u"击键 %1   码长 %2"_s.arg(pressesShown, keysPerUnitShown)),
                 qPrintable(figures));
        CDaoDatabase::SetTarget(QString());
    }

    // A character deleted counts against the commit that brought it: the
    // typing cell of the next commit, or of the end, says what went. 键准
    // takes a commit's keys in the share of its characters deleted.
    void deletionsCountAgainstTheirCommits()
    {
        CKeyDetailRecorder recorder;
        recorder.Start(0);
        const QList<quint32> womenban{'w', 'o', 'm', 'e', 'n', 'b', 'a', 'n', ' '};
        const QList<quint32> ban{0xff08, 'b', 'a', 'n', '2'};
        const QList<quint32> digits{'1', '2'};
        recorder.OnCommit(u"我们班"_s, u"我们班"_s, &womenban, 100, 0);
        recorder.OnCommit(u"班"_s, u"半"_s, &ban, 200, 2); // 班 went first
        recorder.OnCommit(u"12"_s, u"12"_s, &digits, 300, 3);
        QCOMPARE(recorder.Detail().commits.value(0).nDeleted, 1);
        // The end stands at cell 1: 们, 半 and 12 went too.
        const CKeyDetail detail = recorder.Detail(1);
        QList<int> deleted;
        for (const CCommitUnit& unit : detail.commits)
            deleted << unit.nDeleted;
        QCOMPARE(deleted, (QList<int>{2, 1, 2}));
        // 12 typed as itself chose no candidate; 半 was picked by its digit.
        QCOMPARE(detail.commits[1].nPicked, int(CCommitUnit::ByDigit));
        QCOMPARE(detail.commits[2].nPicked, int(CCommitUnit::First));
        const CCommitTally tally = CommitFigures::Tally(detail.commits);
        // Keys of deleted characters: 9 × 2/3 = 6, all 5 of 半, both of 12.
        QCOMPARE(tally, (CCommitTally{3, 5, 1, 1, 13}));
        const CTypingFigures typing = CTypingFigures::Of(PracticeKind::Chinese, 1, 5, 16, 1, tally);
        QCOMPARE(typing.Line(), u"回改 5 (83.3%)   键准 12%   选重 1 (100.0/百字)   打词率 100%"_s);
        // An English practice: a deleted character is a Backspace and a key.
        QCOMPARE(CTypingFigures::Of(PracticeKind::English, 50, 3, 60, 3, {}).Line(),
                 u"回改 3   键准 90%"_s);
    }

    // 理论码长: the best division into the table's words and characters; a
    // mark is one key; a character outside the table leaves it unknown.
    void shortestKeysOfAText()
    {
        using namespace ShortestKeys;
        const QString text = u"新学期开始了，我们班第一次"_s;
        // 全拼, each with its Space: xin xue qi kaishi le , women ban diyici.
        QCOMPARE(Fewest(Pinyin, text), 39);
        // 五笔: uiad gavc b␣ , trwu gyt␣ tguq (four keys commit by themselves).
        QCOMPARE(Fewest(Wubi, text), 23);
        QCOMPARE(Fewest(Pinyin, u"a，"_s), 2);
        QCOMPARE(Fewest(Wubi, u"你好龘"_s), -1);
        // The method the keys show: whole pinyin or 简拼, else up to four 五笔 keys.
        QVERIFY(MethodOf(u"women␣"_s, u"我们"_s) == Pinyin &&
                MethodOf(u"wm"_s, u"我们"_s) == Pinyin);
        QVERIFY(MethodOf(u"wo⌫trnt"_s, u"我"_s) == Wubi && !MethodOf(u"womenzai"_s, u"我们"_s));
        QCOMPARE(Line(u"你好龘"_s, 20, 3), QString());
        QCOMPARE(TypedText({{u"你好"_s, u"你好"_s, {}, 6, 0},
                            {u"世界"_s, u"是"_s, {}, 4, 0, 0, 1},
                            {u"世界"_s, u"世界"_s, {}, 7, 0}}),
                 u"你好世界"_s);
    }

    // 速度损失: 世界 typed and taken back (回改), two Backspaces at the
    // median key's 100 ms, a pause on 世界 beyond three times the median
    // pace of 300 ms a character, and 是 standing for 的.
    void timeLossOfTheCommits()
    {
        const QList<CCommitUnit> commits{
            {u"你好"_s, u"你好"_s, u"nihao␣"_s, 6, 600},
            {u"，世"_s, u"世界"_s, u"shijie␣"_s, 7, 700, CCommitUnit::First, 2},
            {u"，"_s, u"，"_s, u"⌫⌫,"_s, 3, 300},
            {u"世界"_s, u"世界"_s, u"shijie␣"_s, 7, 4000},
            {u"的"_s, u"是"_s, u"shi␣"_s, 4, 300}};
        const CTimeLoss loss = TimeLoss::Of(commits, 2);
        QCOMPARE(loss, (CTimeLoss{700, 200, 3400, 300}));
        QCOMPARE(TimeLoss::Line(loss, PracticeKind::Chinese, 5, 5900),
                 u"时间花在:回改 0.7 秒(不然 57.7 字/分)  退格 0.2 秒(不然 52.6 字/分)  "
                 "停顿 3.4 秒(不然 120.0 字/分)  错字 0.3 秒(不然 53.6 字/分)"_s);
    }

    // The figures of each key of a line typed: a key missed counts against
    // the key that was to be typed and a wrong press against the key
    // pressed; Shift does not make another key; a pause is no key's time;
    // two letters typed right one after the other are a timed pair.
    void keyFiguresOfATypedLine()
    {
        CKeyDetailRecorder recorder;
        const struct
        {
            char16_t expected, typed;
            qint64 ms;
        } cells[] = {{u't', u't', 0},
                     {u'h', u'h', 200},
                     {u'e', u'r', 500},
                     {u'T', u'T', 900},
                     {u'a', u'a', 9000}};
        for (const auto& cell : cells)
            recorder.OnKeyCell(QChar(cell.expected), QChar(cell.typed), cell.ms);
        QStringList figures;
        for (const CKeyFigures& key : recorder.Detail().keys)
            figures << u"%1 %2/%3/%4 %5 missed %6"_s.arg(key.strKey)
                           .arg(key.nExpected)
                           .arg(key.nPresses)
                           .arg(key.nWrong)
                           .arg(key.nMedianMs)
                           .arg(key.Missed());
        QCOMPARE(figures, (QStringList{u"a 1/1/0 -1 missed 0"_s, u"e 1/0/0 -1 missed 1"_s,
                                       u"h 1/1/0 200 missed 0"_s, u"r 0/1/1 -1 missed 0"_s,
                                       u"t 2/2/0 400 missed 0"_s, u"th 1/1/0 200 missed 0"_s}));
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
            return CAttemptSummary{.nKind = PracticeKind::Chinese,
                                   .nElapsedMs = ms,
                                   .nTypedUnits = correct,
                                   .nCorrectUnits = correct,
                                   .nKeyPresses = presses};
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
