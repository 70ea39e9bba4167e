#include "attempts/AttemptStore.h"
#include "attempts/Progress.h"
#include "platform/ScriptedPlatform.h"
#include "practice/PracticeState.h"
#include "practice/ResultDlg.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/ReadLock.h"
#include "tests/TestCluster.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"

#include <QCryptographicHash>

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

// The practice as the view hands it to the dialog, with a mistyped cell.
const CAttempt& SampleAttempt()
{
    static const CAttempt attempt = [] {
        CAttempt a;
        a.nUserKey = 42;
        a.nKind = PracticeKind::English;
        a.startedAt = a.endedAt = QDateTime(QDate(2024, 9, 2), QTime(10, 0));
        a.mistakes = {{8, u"g"_s, u"#"_s}};
        return a;
    }();
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
    void cleanup()
    {
        m_pDatabase.reset();
        CDaoDatabase::SetTarget(QString());
    }

    // A failed store (no database, the score table gone, or the attempt's
    // failing, which takes the score row back too) is shown with its reason
    // and the dialog stays open.
    void failedStoreKeepsDialogOpen_data()
    {
        QTest::addColumn<QString>("dropped"); // empty: no database at all
        QTest::addColumn<QString>("message");
        QTest::newRow("no database") << QString() << u"数据库未正确连接!无法保存结果!"_s;
        QTest::newRow("score table gone") << u"score"_s << u"错误信息:…score"_s;
        QTest::newRow("attempt fails, the score row goes back")
            << u"attempt_mistake"_s << u"错误信息:…attempt_mistake"_s;
    }
    void failedStoreKeepsDialogOpen()
    {
        QFETCH(QString, dropped);
        QFETCH(QString, message);
        if (dropped.isEmpty())
            NoDatabase();
        else
            m_pDatabase->DropTable(dropped);
        SetPractice(PracticeKind::English, 80, 90, 45);
        CScriptedPlatform platform;
        Shown shown;
        const int nResult = RunResultDialog(platform, 1, &shown);
        QCOMPARE((QList<int>{nResult, shown.stillOpenAfterOk, int(platform.boxes.size()),
                             int(platform.boxes.value(0).flags)}),
                 (QList<int>{IDCANCEL, true, 1, MB_OK | MB_ICONEXCLAMATION}));
        const QString text = platform.boxes[0].text;
        QVERIFY2(dropped.isEmpty() ? text == message
                                   : text.startsWith(message.section(u'…', 0, 0)) &&
                                         text.contains(message.section(u'…', 1)),
                 qPrintable(text));
        QCOMPARE((QList<int>{dropped == "score"_L1 ? 0 : int(m_pDatabase->Rows(u"score"_s).size()),
                             CountRows(m_pDatabase->Admin(), u"attempt"_s),
                             m_pDatabase->Database()->InTransaction()}),
                 (QList<int>{0, 0, false}));
    }

    // Only an ordinary user's OK stores; anybody else is told so. Cancel
    // stores nothing for anybody.
    void othersAndCancelStoreNothing_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<int>("button");
        QTest::newRow("super user") << int(UserKind::Super) << 1;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << 1;
        QTest::newRow("no kind chosen") << int(UserKind::NoneChosen) << 1;
        QTest::newRow("super user cancels") << int(UserKind::Super) << 2;
        QTest::newRow("anonymous user cancels") << int(UserKind::Anonymous) << 2;
        QTest::newRow("ordinary user cancels") << int(UserKind::Ordinary) << 2;
    }
    void othersAndCancelStoreNothing()
    {
        QFETCH(int, kindCode);
        QFETCH(int, button);
        SetUser(kindCode, m_pDatabase.get());
        SetPractice(PracticeKind::Chinese, 30, 40, 50);
        CScriptedPlatform platform;
        Shown shown;
        const int nResult = RunResultDialog(platform, button, &shown);
        CompareBoxes(platform, button == 2 ? Rows()
                                           : Rows{Box(NotOrdinaryMessage, u"提示"_s,
                                                      MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(
            (QList<int>{nResult, shown.stillOpenAfterOk, int(m_pDatabase->Rows(u"score"_s).size()),
                        CountRows(m_pDatabase->Admin(), u"attempt"_s)}),
            (QList<int>{button == 1 ? IDOK : IDCANCEL, false, 0, 0}));
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
        const int nResult = dlg.DoModal();
        QCOMPARE((QList<int>{nResult, bHeld, bOpenWhileBlocked, int(nRowsWhileBlocked),
                             bOpenAfterRetry}),
                 (QList<int>{IDOK, true, true, 0, false}));
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
        QVERIFY2(bStopped && bStarted, qPrintable(cluster.Log()));
        QCOMPARE((QList<int>{nResult, bOpenWhileAway, bOpenAfterRetry, int(platform.boxes.size())}),
                 (QList<int>{IDOK, true, false, 1}));
        QVERIFY2(platform.boxes[0].text.startsWith(u"错误信息:"_s) &&
                     !platform.boxes[0].text.contains(u"unknown database error"_s),
                 qPrintable(platform.boxes[0].text));
        CDaoRecordset rs(&db);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        QCOMPARE(ReadColumn(rs, 0), QStringList{u"李明"_s});
    }

    // A whole practice, from the typed keys to the stored score row and its
    // attempt with the mistyped cells.
    // The mistakes go in by one statement a batch: every one of them is
    // stored in its place, past the end of a batch too.
    void everyMistakeIsStored()
    {
        CAttempt attempt = SampleAttempt();
        attempt.mistakes.clear();
        QStringList expected;
        for (int i = 0; i < 70; ++i) {
            attempt.mistakes.append({i * 3, QString(QChar(u'a' + i % 26)), u"#"_s});
            expected.append(u"%1|%2|#"_s.arg(i * 3).arg(QChar(u'a' + i % 26)));
        }
        CDaoDatabase* admin = m_pDatabase->Admin();
        QVERIFY(AppendScoreWithAttempt(admin, {{9, CDaoFieldValue::FromInt16(0)}}, &attempt));
        QCOMPARE(SelectRows(admin, u"SELECT position, expected, typed FROM attempt_mistake "
                                   "ORDER BY position"_s),
                 expected);
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestResult)
#include "tst_result.moc"
