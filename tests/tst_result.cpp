#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/ReadLock.h"
#include "tests/TestCluster.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString NotOrdinaryMessage = u"超级用户无需保存成绩记录,或普通用户无权保存记录!"_s;

// 李明 logged in as the kind given: an ordinary user to his own row, a super
// user to the row of that name; the program's session follows, as after the
// login.
void SetUser(int kindCode, CTestDatabase* db = nullptr)
{
    CurrentUser = CCurrentUser();
    CurrentUser.Name = u"李明"_s;
    CurrentUser.Class = u"计算机一班"_s;
    CurrentUser.StudentNo = u"2003001"_s;
    CurrentUser.KindText = kindCode == UserKind::Super ? u"超级用户"_s : u"普通用户"_s;
    CurrentUser.KindCode = kindCode;
    if (!db)
        return;
    // The sample attempt's user row.
    if (kindCode == UserKind::Ordinary)
        CurrentUser.RowKey = 42;
    db->SignInAsCurrentUser();
}

void SetPractice(int kind, int correct, int typed, int seconds)
{
    CurrentPracticeKind = kind;
    CorrectCount = correct;
    TypedCount = typed;
    ElapsedSeconds = seconds;
}

// What the live dialog showed, captured before it is closed.
struct Shown
{
    QStringList userRow;
    QStringList scoreRow;
    int userColumns = 0;
    int scoreColumns = 0;
    bool stillOpenAfterOk = false;
};

QStringList RowTexts(CListCtrl* list, int columns)
{
    QStringList texts;
    if (list->GetItemCount() != 1)
        return {u"<%1 rows>"_s.arg(list->GetItemCount())};
    for (int column = 0; column < columns; ++column)
        texts << list->GetItemText(0, column);
    return texts;
}

// The practice in full as the view hands it to the dialog.
const CAttempt& SampleAttempt()
{
    static const CAttempt attempt{42,
                                  u"李明"_s,
                                  u"计算机一班"_s,
                                  u"2003001"_s,
                                  PracticeKind::English,
                                  u"english.txt"_s,
                                  QString(64, u'a'),
                                  QDateTime(QDate(2024, 9, 2), QTime(10, 0, 0, 250)),
                                  QDateTime(QDate(2024, 9, 2), QTime(10, 0, 44, 750)),
                                  44500,
                                  90,
                                  80,
                                  3,
                                  EndReason::Escape,
                                  {{8, u"g"_s, u"#"_s}, {17, u" "_s, u"#"_s}}};
    return attempt;
}

// Runs the result dialog, records what it shows and presses button (1 or 2);
// a dialog still open after OK is then cancelled.
int RunResultDialog(CScriptedPlatform& platform, int button, Shown* shown = nullptr)
{
    Drive(platform, [button, shown](CDialog* dlg) {
        auto* users = dlg->Item<CListCtrl>(1003);
        auto* scores = dlg->Item<CListCtrl>(1004);
        if (shown) {
            shown->userColumns = users->GetColumnCount();
            shown->scoreColumns = scores->GetColumnCount();
            shown->userRow = RowTexts(users, 5);
            shown->scoreRow = RowTexts(scores, 8);
        }
        const bool bOpen = Press(dlg, button);
        if (shown)
            shown->stillOpenAfterOk = bOpen;
    });
    CResultDlg dlg;
    dlg.m_pAttempt = &SampleAttempt();
    return dlg.DoModal();
}
} // namespace

class TestResult : public QObject
{
    Q_OBJECT
private slots:
    // Another program's lock is waited for a fifth of a second only.
    void initTestCase() { CDaoDatabase::SetBusyTimeout(200); }

    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        SetUser(UserKind::Ordinary, m_pDatabase.get());
    }
    void cleanup() { m_pDatabase.reset(); }

    void computedValues_data()
    {
        QTest::addColumn<int>("correct");
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("accuracy");
        QTest::addColumn<QString>("speed");

        QTest::newRow("57 of 100 truncates to 56") << 57 << 100 << 60 << u"56%"_s << u"0"_s;
        QTest::newRow("29 of 100 truncates to 28") << 29 << 100 << 10 << u"28%"_s << u"2"_s;
        QTest::newRow("2 of 3 truncates to 66") << 2 << 3 << 1 << u"66%"_s << u"2"_s;
        QTest::newRow("58 of 100 truncates to 57") << 58 << 100 << 60 << u"57%"_s << u"0"_s;
        QTest::newRow("70 of 100 stays 70") << 70 << 100 << 60 << u"70%"_s << u"1"_s;
        QTest::newRow("150 in 60 s is speed 2") << 150 << 150 << 60 << u"100%"_s << u"2"_s;
        QTest::newRow("59 in 60 s is speed 0") << 59 << 100 << 60 << u"59%"_s << u"0"_s;
        QTest::newRow("no clock tick gives speed 0") << 5 << 10 << 0 << u"50%"_s << u"0"_s;
        QTest::newRow("nothing typed gives 0%") << 0 << 0 << 30 << u"0%"_s << u"0"_s;
        QTest::newRow("negative counts read as 0") << -4 << -9 << -2 << u"0%"_s << u"0"_s;
    }
    void computedValues()
    {
        QFETCH(int, correct);
        QFETCH(int, typed);
        QFETCH(int, seconds);
        QFETCH(QString, accuracy);
        QFETCH(QString, speed);
        SetPractice(PracticeKind::English, correct, typed, seconds);

        CScriptedPlatform platform;
        Shown shown;
        RunResultDialog(platform, 2, &shown);
        QCOMPARE(shown.scoreRow.value(7), accuracy);
        QCOMPARE(shown.scoreRow.value(3), speed);
        QCOMPARE(shown.scoreRow.value(6), QString::number(qMax(seconds, 0)));
    }

    void countsAreClampedInPlace()
    {
        SetPractice(PracticeKind::Number, -3, -1, -7);
        CScriptedPlatform platform;
        RunResultDialog(platform, 2);
        QCOMPARE(CorrectCount, 0);
        QCOMPARE(TypedCount, 0);
        QCOMPARE(ElapsedSeconds, 0);
    }

    void kindDecidesLabelAndColumn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("row");
        QTest::newRow("chinese") << int(PracticeKind::Chinese)
                                 << QStringList{u"  "_s, u"中文测试"_s, u"3"_s,  {}, {},
                                                {},      u"20"_s,       u"75%"_s};
        QTest::newRow("english") << int(PracticeKind::English)
                                 << QStringList{u"  "_s, u"英文测试"_s, {},      u"3"_s, {},
                                                {},      u"20"_s,       u"75%"_s};
        QTest::newRow("number") << int(PracticeKind::Number)
                                << QStringList{u"  "_s, u"数字测试"_s, {},      {}, u"3"_s,
                                               {},      u"20"_s,       u"75%"_s};
        QTest::newRow("symbol") << int(PracticeKind::Symbol)
                                << QStringList{u"  "_s, u"符号测试"_s, {},      {},
                                               {},      u"3"_s,        u"20"_s, u"75%"_s};
        QTest::newRow("no practice shows only the date cell")
            << int(PracticeKind::None) << QStringList{u"  "_s, {}, {}, {}, {}, {}, {}, {}};
    }
    void kindDecidesLabelAndColumn()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, row);
        SetPractice(kind, 60, 80, 20);
        CScriptedPlatform platform;
        Shown shown;
        RunResultDialog(platform, 2, &shown);
        QCOMPARE(shown.scoreColumns, 8);
        QCOMPARE(shown.scoreRow, row);
    }

    void userListShowsCurrentUser()
    {
        SetPractice(PracticeKind::English, 1, 1, 1);
        CScriptedPlatform platform;
        Shown shown;
        RunResultDialog(platform, 2, &shown);
        QCOMPARE(shown.userColumns, 5);
        QCOMPARE(shown.userRow,
                 (QStringList{u"李明"_s, u"计算机一班"_s, u"2003001"_s, u"普通用户"_s, {}}));
    }

    // The typing engine's counters as an English practice of 80 correct of
    // 90 typed in 45 s leaves them, through OK to the stored row.
    void englishPracticeStoresItsRow()
    {
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        QCOMPARE(RunResultDialog(platform, 1, &shown), int(IDOK));
        QCOMPARE(shown.scoreRow,
                 (QStringList{u"  "_s, u"英文测试"_s, {}, u"1"_s, {}, {}, u"45"_s, u"88%"_s}));
        QVERIFY(platform.boxes.isEmpty());

        CDaoRecordset rs(m_pDatabase->Database());
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        QVERIFY(!rs.IsEOF());
        QCOMPARE(VariantToText(rs.GetFieldValue(0)), u"李明"_s);
        QCOMPARE(VariantToText(rs.GetFieldValue(1)), u"2003001"_s);
        QCOMPARE(VariantToText(rs.GetFieldValue(3)), u"英文测试"_s);
        QVERIFY(rs.GetFieldValue(4).IsNull());
        QCOMPARE(VariantToText(rs.GetFieldValue(5)), u"1"_s);
        QVERIFY(rs.GetFieldValue(6).IsNull());
        QVERIFY(rs.GetFieldValue(7).IsNull());
        QCOMPARE(VariantToText(rs.GetFieldValue(8)), u"45"_s);
        const CDaoFieldValue accuracy = rs.GetFieldValue(9);
        QCOMPARE(accuracy.kind, CDaoFieldValue::Kind::Int16);
        QCOMPARE(accuracy.value.toInt(), 88);
        rs.MoveNext();
        QVERIFY(rs.IsEOF());

        // The attempt belongs to that score row, with its mistyped cells.
        QCOMPARE(
            StoredAttempts(m_pDatabase->Admin()),
            (QStringList{u"李明|42|李明|计算机一班|2003001|112|english.txt|%1|"
                         "2024-09-02 10:00:00.250|2024-09-02 10:00:44.750|44500|90|80|3|1"_s.arg(
                             QString(64, u'a')),
                         u"8|g|#"_s, u"17| |#"_s}));
    }

    // A failure while storing the attempt takes the score row back too:
    // both are stored or neither. It is shown with its reason and the dialog
    // stays open.
    void attemptFailureTakesTheScoreRowBack()
    {
        m_pDatabase->DropTable(u"attempt_mistake"_s);
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        QCOMPARE(RunResultDialog(platform, 1, &shown), int(IDCANCEL));
        QVERIFY(shown.stillOpenAfterOk);
        CompareBoxes(platform, {Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QVERIFY2(platform.boxes[0].text.contains(u"attempt_mistake"_s),
                 qPrintable(platform.boxes[0].text));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"attempt"_s), 0);
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 0);
        QVERIFY(!m_pDatabase->Database()->InTransaction());
    }

    void otherKindsStoreNothing_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::newRow("super user") << int(UserKind::Super);
        QTest::newRow("anonymous user") << int(UserKind::Anonymous);
        QTest::newRow("no kind chosen") << int(UserKind::NoneChosen);
    }
    void otherKindsStoreNothing()
    {
        QFETCH(int, kindCode);
        SetUser(kindCode, m_pDatabase.get());
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        QCOMPARE(RunResultDialog(platform, 1, &shown), int(IDOK));
        QVERIFY(!shown.stillOpenAfterOk);
        CompareBoxes(platform, {Box(NotOrdinaryMessage, u"提示"_s, MB_OK | MB_ICONEXCLAMATION)});
        QVERIFY(m_pDatabase->Rows(u"score"_s).isEmpty());
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"attempt"_s), 0);
    }

    void cancelStoresNothing_data() { otherKindsStoreNothing_data(); }
    void cancelStoresNothing()
    {
        QFETCH(int, kindCode);
        for (int code : {kindCode, int(UserKind::Ordinary)}) {
            SetUser(code, m_pDatabase.get());
            SetPractice(PracticeKind::Chinese, 30, 40, 50);
            CScriptedPlatform platform;
            QCOMPARE(RunResultDialog(platform, 2), int(IDCANCEL));
            QVERIFY(platform.boxes.isEmpty());
        }
        QVERIFY(m_pDatabase->Rows(u"score"_s).isEmpty());
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"attempt"_s), 0);
    }

    void noDatabaseKeepsDialogOpen()
    {
        NoDatabase();
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        QCOMPARE(RunResultDialog(platform, 1, &shown), int(IDCANCEL));
        QVERIFY(shown.stillOpenAfterOk);
        CompareBoxes(platform, {Box(u"数据库未正确连接!无法保存结果!"_s, u"qe"_s,
                                    MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 0);
    }

    // The table is gone: the failure is shown with its reason and the dialog
    // stays open.
    void databaseFailureOnOkKeepsDialogOpen()
    {
        m_pDatabase->DropTable(u"score"_s);
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        QCOMPARE(RunResultDialog(platform, 1, &shown), int(IDCANCEL));
        QVERIFY(shown.stillOpenAfterOk);
        CompareBoxes(platform, {Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QVERIFY(platform.boxes[0].text.contains(u"score"_s));
    }

    // Another program reads the database for longer than the busy timeout:
    // the row does not commit. That is reported, nothing is half-written,
    // the dialog stays open, and OK once the reader is done stores it once.
    void storeBlockedByAReaderIsReportedAndRetried()
    {
        if (m_pDatabase->IsPostgres())
            QSKIP("a reader holds back a commit on SQLite only");
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        CReadLock reader(m_pDatabase->Target());
        bool bHeld = false, bOpenWhileBlocked = false, bOpenAfterRetry = true;
        qsizetype nRowsWhileBlocked = -1;
        Drive(platform, [&](CDialog* dlg) {
            bHeld = reader.Hold();
            bOpenWhileBlocked = Press(dlg, 1);
            reader.Release();
            nRowsWhileBlocked = m_pDatabase->Rows(u"score"_s).size();
            bOpenAfterRetry = Press(dlg, 1);
        });
        CResultDlg dlg;
        QCOMPARE(dlg.DoModal(), int(IDOK));
        QVERIFY(bHeld);
        QVERIFY(bOpenWhileBlocked);
        QCOMPARE(nRowsWhileBlocked, 0);
        QVERIFY(!bOpenAfterRetry);
        CompareBoxes(platform,
                     {Box(u"错误信息:数据库正被另一个程序使用,请稍后再试!\ndatabase is locked"_s,
                          u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 1);
    }

    // The server goes away while the pupil looks at the result: OK reports
    // why, and OK after the server is back stores the row once.
    void serverAwayAtOkThenBackStoresOnce()
    {
        if (!m_pDatabase->IsPostgres())
            QSKIP("a server of its own for the PostgreSQL run");
        CTestCluster cluster;
        QVERIFY2(cluster.IsRunning(), qPrintable(cluster.Log()));
        CDaoDatabase db;
        db.Open(cluster.Target());
        CreateSchema(&db);
        SetActiveDatabaseSource([&db] { return &db; });
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        bool bStopped = false, bStarted = false, bOpenWhileAway = false, bOpenAfterRetry = true;
        Drive(platform, [&](CDialog* dlg) {
            bStopped = cluster.Stop();
            bOpenWhileAway = Press(dlg, 1);
            bStarted = cluster.Start();
            bOpenAfterRetry = Press(dlg, 1);
        });
        CResultDlg dlg;
        const int nResult = dlg.DoModal();
        QVERIFY(bStopped);
        QVERIFY2(bStarted, qPrintable(cluster.Log()));
        QCOMPARE(nResult, int(IDOK));
        QVERIFY(bOpenWhileAway);
        QVERIFY(!bOpenAfterRetry);
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.startsWith(u"错误信息:"_s) &&
                     !platform.boxes[0].text.contains(u"unknown database error"_s),
                 qPrintable(platform.boxes[0].text));
        CDaoRecordset rs(&db);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        QCOMPARE(ReadColumn(rs, 0), QStringList{u"李明"_s});
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestResult)
#include "tst_result.moc"
