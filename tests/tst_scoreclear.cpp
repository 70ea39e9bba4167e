#include "attempts/AttemptStore.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "tests/ScoreRows.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <QEvent>
#include <QProgressBar>
#include <QSqlQuery>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int English = 112;

// Counts the paint events a widget receives.
class CPaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// What one clearing showed: the bar before and after the tick, the rows
// left before the tick, and how often the bar was painted during it.
struct Cleared
{
    int result = 0;
    int maximum = -1;
    int valueBefore = -1;
    int valueAfter = -1;
    int rowsBeforeTick = -1;
    int paintsDuringTick = 0;
    bool openAfterTick = false;
    bool exposed = false;
};

template <class Dlg> Cleared RunClearing(CScriptedPlatform& platform, CTestDatabase& database)
{
    Cleared cleared;
    platform.DriveDialog([&](QDialog* dialog) {
        auto* dlg = static_cast<CClearScoresDlg*>(dialog);
        QProgressBar* bar = dlg->m_wndProgress;
        cleared.maximum = bar->maximum();
        cleared.valueBefore = bar->value();
        try {
            cleared.rowsBeforeTick = database.Rows(u"score"_s).size();
        } catch (const CDaoException&) {
            cleared.rowsBeforeTick = -1; // the table is gone
        }
        // Painting needs the window on screen, as it is when the tick comes.
        cleared.exposed = QTest::qWaitForWindowExposed(dialog);
        CPaintCounter counter;
        bar->installEventFilter(&counter);
        dlg->OnTimer(1);
        bar->removeEventFilter(&counter);
        cleared.paintsDuringTick = counter.paints;
        cleared.valueAfter = bar->value();
        cleared.openAfterTick = dialog->isVisible();
        if (dialog->isVisible())
            dlg->OnCancel();
    });
    Dlg dlg;
    cleared.result = dlg.DoModal();
    return cleared;
}

QStringList Owners(CTestDatabase& database)
{
    QStringList owners;
    const QList<QStringList> rows = database.Rows(u"score"_s);
    for (const QStringList& row : rows)
        owners << row.value(0) + u'/' + row.value(1);
    return owners;
}
} // namespace

class TestScoreClear : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CurrentUser = CCurrentUser();
        CurrentUser.Name = u"Li"_s;
        CurrentUser.StudentNo = u"01"_s;
        CurrentUser.KindCode = UserKind::Super;
    }
    void cleanup() { m_pDatabase.reset(); }

    void emptyTableClosesByItself_data()
    {
        QTest::addColumn<bool>("personal");
        QTest::newRow("personal") << true;
        QTest::newRow("group") << false;
    }
    void emptyTableClosesByItself()
    {
        QFETCH(bool, personal);
        CScriptedPlatform platform;
        const Cleared cleared = personal
                                    ? RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase)
                                    : RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.maximum, 0);
        QCOMPARE(cleared.valueAfter, 0);
        QVERIFY(!cleared.openAfterTick);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(platform.boxes.isEmpty());
    }

    void personalKeepsOtherNames()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"li"_s, u"02"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Li "_s, u"03"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50);
        // A namesake with another number: the same name, so the same owner.
        StoreScore(db, u"Li"_s, u"99"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"LI"_s, u"05"_s, English, u"1"_s, u"10"_s, 50);

        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.rowsBeforeTick, 6);
        QCOMPARE(cleared.maximum, 2);
        QCOMPARE(cleared.valueBefore, 0);
        QCOMPARE(cleared.valueAfter, 2);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(Owners(*m_pDatabase),
                 (QStringList{u"li/02"_s, u"Li /03"_s, u"Wang/04"_s, u"LI/05"_s}));
    }

    void groupEmptiesTable()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        const QStringList names = {u"Li"_s,   u"Wang"_s, u"Zhao"_s, u"Li"_s,
                                   u"Qian"_s, u""_s,     u"Sun"_s};
        for (const QString& name : names)
            StoreScore(db, name, u"07"_s, English, u"2"_s, u"20"_s, 70);

        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.rowsBeforeTick, int(names.size()));
        QCOMPARE(cleared.maximum, int(names.size()));
        QCOMPARE(cleared.valueAfter, int(names.size()));
        QCOMPARE(cleared.result, int(IDOK));
        QVERIFY(m_pDatabase->Rows(u"score"_s).isEmpty());
    }

    // The attempts and their mistyped cells go with their score rows, in
    // the clearing's own pass.
    void clearingTakesTheAttemptsAlong_data()
    {
        QTest::addColumn<bool>("personal");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("personal") << true << QStringList{u"Wang"_s, u"Wang"_s};
        QTest::newRow("group") << false << QStringList{};
    }
    void clearingTakesTheAttemptsAlong()
    {
        QFETCH(bool, personal);
        QFETCH(QStringList, left);
        CurrentUser.KindCode = UserKind::Ordinary;
        CDaoDatabase* db = m_pDatabase->Database();
        for (const QString& name : {u"Li"_s, u"Wang"_s, u"Li"_s}) {
            CAttempt attempt;
            attempt.strUserName = name;
            attempt.nKind = English;
            attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
            attempt.mistakes = {{0, u"a"_s, u"s"_s}};
            QVERIFY(AppendScoreWithAttempt(
                db, {{0, CDaoFieldValue::FromText(name)}, {1, CDaoFieldValue::FromText(u"01"_s)}},
                &attempt));
        }
        CScriptedPlatform platform;
        const Cleared cleared = personal
                                    ? RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase)
                                    : RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.result, int(IDOK));
        QSqlQuery query(db->Connection());
        QVERIFY(query.exec(u"SELECT a.user_name FROM attempt a JOIN attempt_mistake m "
                           "ON m.attempt_id = a.id UNION ALL SELECT user_name FROM attempt"_s));
        QStringList names;
        while (query.next())
            names.append(query.value(0).toString());
        QCOMPARE(names, left);
    }

    void barIsRepaintedDuringThePass()
    {
        for (int i = 0; i < 4; ++i)
            StoreScore(m_pDatabase->Database(), u"Li"_s, u"01"_s, English, u"2"_s, u"20"_s, 70);
        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QVERIFY(cleared.exposed);
        // Each of the four steps is a quarter of the bar: each one shows.
        QVERIFY2(cleared.paintsDuringTick >= 4,
                 qPrintable(QString::number(cleared.paintsDuringTick)));
    }

    void failedOpenIsReportedAndNothingDeleted()
    {
        m_pDatabase->DropTable(u"score"_s);
        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QVERIFY(cleared.openAfterTick);
        QCOMPARE(cleared.result, int(IDCANCEL));
        CompareBoxes(platform, {Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
    }

    void commandsRunTheirDialogs()
    {
        CScriptedPlatform platform;
        OpenClearPersonalScores();
        OpenClearGroupScores();
        QCOMPARE(platform.modalRuns,
                 (QStringList{u"CClearPersonalScoresDlg"_s, u"CClearGroupScoresDlg"_s}));
        QVERIFY(platform.boxes.isEmpty());
    }

    void commandsWithoutDatabaseOnlyWarn()
    {
        StoreScore(m_pDatabase->Database(), u"Li"_s, u"01"_s, English, u"2"_s, u"20"_s, 70);
        NoDatabase();
        CScriptedPlatform platform;
        OpenClearPersonalScores();
        OpenClearGroupScores();
        QVERIFY(platform.modalRuns.isEmpty());
        const QStringList box = Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {box, box});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 1);
    }

    void groupClearingOnlyForSuperUser_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("super user") << int(UserKind::Super) << true;
        QTest::newRow("ordinary user") << int(UserKind::Ordinary) << false;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << false;
        QTest::newRow("before login") << 0 << false;
    }
    void groupClearingOnlyForSuperUser()
    {
        QFETCH(int, kindCode);
        QFETCH(bool, enabled);
        CurrentUser.KindCode = kindCode;
        QCOMPARE(CanClearGroupScores(), enabled);
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestScoreClear)
#include "tst_scoreclear.moc"
