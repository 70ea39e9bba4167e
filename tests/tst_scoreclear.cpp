#include "platform/ScriptedPlatform.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/ReadLock.h"
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
    // The program runs as the logged-in user, as after the login.
    database.SignInAsCurrentUser();
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

// The question asked before a clearing, answered Yes unless told otherwise.
QStringList Question(const QString& text)
{
    return Box(text, u"提示!"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

QString PersonalQuestion(const QString& name, const QString& number, int count)
{
    return u"确定要删除您(%1,学号%2)的全部成绩记录吗?共%3条,删除后无法恢复。"_s.arg(name, number)
        .arg(count);
}

QString GroupQuestion(int count)
{
    return u"确定要删除所有用户的全部成绩记录吗?共%1条,删除后无法恢复。"_s.arg(count);
}

// An ordinary user logged in to the user row with the given key.
void LogInOrdinary(const QString& name, const QString& number, qint64 key)
{
    CurrentUser = CCurrentUser();
    CurrentUser.Name = name;
    CurrentUser.StudentNo = number;
    CurrentUser.KindCode = UserKind::Ordinary;
    CurrentUser.RowKey = key;
}

QStringList Owners(CTestDatabase& database)
{
    QStringList owners;
    const QList<QStringList> rows = database.Rows(u"score"_s);
    for (const QStringList& row : rows)
        owners << row.value(0) + u'/' + row.value(1);
    return owners;
}

// A score row's owner as stored: name and number, a null QString for a
// field left null.
using Owner = std::pair<QString, QString>;

// Stores one score row per owner, in order, the row's place as its time.
void Fill(CDaoDatabase* db, const QList<Owner>& owners)
{
    CDaoTransaction filling(db);
    for (int i = 0; i < owners.size(); ++i) {
        FieldList fields{{3, CDaoFieldValue::FromText(u"英文测试"_s)},
                         {8, CDaoFieldValue::FromText(QString::number(i))}};
        if (!owners[i].first.isNull())
            fields.push_back({0, CDaoFieldValue::FromText(owners[i].first)});
        if (!owners[i].second.isNull())
            fields.push_back({1, CDaoFieldValue::FromText(owners[i].second)});
        AppendRow(db, u"score"_s, fields);
    }
    filling.Commit();
}

// The rows of score without the date the table fills in.
QList<QStringList> Contents(CTestDatabase& database)
{
    QList<QStringList> rows = database.Rows(u"score"_s);
    for (QStringList& row : rows)
        row[2].clear();
    return rows;
}

// The clearing as it was before it went through the engine: a scan that
// deletes, one by one, each row the user owns (every row for the group
// clearing). Returns the rows deleted; *pError gets a failure's message.
int RowByRow(CDaoDatabase* db, bool bPersonal, QString* pError)
{
    CDaoRecordset rs(db);
    rs.Open(dbOpenDynaset, Sql::ScanScores);
    int nDeleted = 0;
    try {
        DeleteRows(
            rs,
            [bPersonal](CDaoRecordset& row) {
                return !bPersonal || CurrentUser.OwnsScore(VariantToText(row.GetFieldValue(0)),
                                                           VariantToText(row.GetFieldValue(1)));
            },
            [&nDeleted] { ++nDeleted; });
    } catch (const CDaoException& e) {
        *pError = e.GetErrorMessage();
    }
    return nDeleted;
}

// Refuses, inside the engine, the deletion of the score row of time 999.
void ProtectRow999(CTestDatabase& database, bool bProtect)
{
    CDaoDatabase* db = database.Admin();
    if (database.IsPostgres()) {
        db->Execute(bProtect ? u"CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                               "$$ BEGIN RAISE EXCEPTION 'row is protected'; END $$"_s
                             : u"DROP FUNCTION refuse() CASCADE"_s);
        if (bProtect)
            db->Execute(u"CREATE TRIGGER protect BEFORE DELETE ON score FOR EACH ROW "
                        "WHEN (OLD.seconds = 999) EXECUTE FUNCTION refuse()"_s);
    } else {
        db->Execute(bProtect ? u"CREATE TRIGGER protect BEFORE DELETE ON score WHEN "
                               "old.seconds = 999 BEGIN SELECT RAISE(ABORT, 'row is protected'); "
                               "END"_s
                             : u"DROP TRIGGER protect"_s);
    }
}
} // namespace

class TestScoreClear : public QObject
{
    Q_OBJECT
private slots:
    // Another program's lock is waited for a fifth of a second only.
    void initTestCase() { CDaoDatabase::SetBusyTimeout(200); }

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
        LogInOrdinary(u"Li"_s, u"01"_s, 1);
        CurrentUser.KindCode = personal ? UserKind::Ordinary : UserKind::Super;
        CScriptedPlatform platform;
        const Cleared cleared = personal
                                    ? RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase)
                                    : RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.maximum, 0);
        QCOMPARE(cleared.valueAfter, 0);
        QVERIFY(!cleared.openAfterTick);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(platform.unfinishedDialogs, 0);
        CompareBoxes(platform, {Question(personal ? PersonalQuestion(u"Li"_s, u"01"_s, 0)
                                                  : GroupQuestion(0))});
    }

    void personalKeepsOtherNames()
    {
        LogInOrdinary(u"Li"_s, u"01"_s, 1);
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"li"_s, u"02"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Li "_s, u"03"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50);
        // A namesake in another class has another number: not the user's rows.
        StoreScore(db, u"Li"_s, u"99"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"LI"_s, u"05"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);

        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.rowsBeforeTick, 7);
        QCOMPARE(cleared.maximum, 2);
        QCOMPARE(cleared.valueBefore, 0);
        QCOMPARE(cleared.valueAfter, 2);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(Owners(*m_pDatabase),
                 (QStringList{u"li/02"_s, u"Li /03"_s, u"Wang/04"_s, u"Li/99"_s, u"LI/05"_s}));
    }

    // Two pupils called 王芳 in two classes: one clears her scores, the
    // other's stay. Whoever is not logged in as an ordinary user (anonymous
    // after her, a super user of the same name, nobody yet) clears nothing.
    void namesakesInTwoClasses_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<qint64>("key");
        QTest::addColumn<QStringList>("left");
        const QString fang1 = u"王芳/2023101"_s;
        const QString fang2 = u"王芳/2023205"_s;
        const QStringList all{fang1, fang2, fang1, u"李雷/2023102"_s, fang2};
        QTest::newRow("her own rows only")
            << int(UserKind::Ordinary) << qint64(7) << QStringList{fang2, u"李雷/2023102"_s, fang2};
        QTest::newRow("anonymous login after hers") << int(UserKind::Anonymous) << qint64(0) << all;
        QTest::newRow("super user of the same name") << int(UserKind::Super) << qint64(0) << all;
        QTest::newRow("no login yet") << 0 << qint64(0) << all;
        QTest::newRow("after logging off") << int(UserKind::Ordinary) << qint64(0) << all;
    }
    void namesakesInTwoClasses()
    {
        QFETCH(int, kindCode);
        QFETCH(qint64, key);
        QFETCH(QStringList, left);
        CDaoDatabase* db = m_pDatabase->Admin();
        for (const QString& owner : {u"王芳/2023101"_s, u"王芳/2023205"_s, u"王芳/2023101"_s,
                                     u"李雷/2023102"_s, u"王芳/2023205"_s})
            StoreScore(db, owner.section(u'/', 0, 0), owner.section(u'/', 1), English, u"1"_s,
                       u"10"_s, 50);
        LogInOrdinary(u"王芳"_s, u"2023101"_s, key);
        CurrentUser.KindCode = kindCode;

        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase);
        const int nDeleted = int(5 - left.size());
        QCOMPARE(cleared.maximum, nDeleted);
        QCOMPARE(cleared.valueAfter, nDeleted);
        CompareBoxes(platform, {Question(PersonalQuestion(u"王芳"_s, u"2023101"_s, nDeleted))});
        QCOMPARE(Owners(*m_pDatabase), left);
    }

    // No, the default answer, deletes nothing and shows no progress.
    void clearingAnsweredNo_data()
    {
        QTest::addColumn<bool>("personal");
        QTest::newRow("personal") << true;
        QTest::newRow("group") << false;
    }
    void clearingAnsweredNo()
    {
        QFETCH(bool, personal);
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);
        LogInOrdinary(u"Li"_s, u"01"_s, 3);
        if (!personal)
            CurrentUser.KindCode = UserKind::Super;

        m_pDatabase->SignInAsCurrentUser();
        CScriptedPlatform platform;
        platform.AnswerBoxes({IDNO});
        if (personal)
            OpenClearPersonalScores();
        else
            OpenClearGroupScores();
        QVERIFY(platform.modalRuns.isEmpty());
        CompareBoxes(platform, {Question(personal ? PersonalQuestion(u"Li"_s, u"01"_s, 2)
                                                  : GroupQuestion(3))});
        QCOMPARE(Owners(*m_pDatabase), (QStringList{u"Li/01"_s, u"Wang/04"_s, u"Li/01"_s}));
    }

    // Another program reads while the clearing commits: the commit fails and
    // is rolled back at once, so no lock stays behind, the failure is shown,
    // the notice closes, and what is stored next survives the program's end.
    void commitFailureReleasesTheLock()
    {
        if (m_pDatabase->IsPostgres())
            QSKIP("a reader holds back a commit on SQLite only");
        CDaoDatabase* db = m_pDatabase->Admin();
        for (int i = 0; i < 3; ++i)
            StoreScore(db, u"Li"_s, u"01"_s, English, u"1"_s, u"10"_s, 50);
        CScriptedPlatform platform;
        CReadLock reader(m_pDatabase->Target());
        QVERIFY(reader.Hold());
        const Cleared cleared = RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        reader.Release();
        QVERIFY(reader.CanWrite());
        QVERIFY(!db->InTransaction());
        QVERIFY(!cleared.openAfterTick);
        QCOMPARE(cleared.result, int(IDCANCEL));
        CompareBoxes(platform,
                     {Question(GroupQuestion(3)),
                      Box(u"错误信息:数据库正被另一个程序使用,请稍后再试!\ndatabase is locked"_s,
                          u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 3);

        StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50);
        db->Close(); // the program ends
        CDaoDatabase again;
        again.Open(m_pDatabase->Target());
        CDaoRecordset rs(&again);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        QCOMPARE(ReadColumn(rs, 0), (QStringList{u"Li"_s, u"Li"_s, u"Li"_s, u"Wang"_s}));
    }

    void groupEmptiesTable()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
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
    // the clearing's own pass: of Li, Wang, Li only Wang's stay, or none.
    void clearingTakesTheAttemptsAlong_data()
    {
        QTest::addColumn<bool>("personal");
        QTest::addColumn<int>("left");
        QTest::newRow("personal") << true << 1;
        QTest::newRow("group") << false << 0;
    }
    void clearingTakesTheAttemptsAlong()
    {
        QFETCH(bool, personal);
        QFETCH(int, left);
        LogInOrdinary(u"Li"_s, u"01"_s, 1);
        if (!personal)
            CurrentUser.KindCode = UserKind::Super; // the group's clearing is a teacher's
        CDaoDatabase* db = m_pDatabase->Admin();
        for (const QString& name : {u"Li"_s, u"Wang"_s, u"Li"_s}) {
            CAttempt attempt;
            attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
            attempt.mistakes = {{0, u"a"_s, u"s"_s}, {1, u"b"_s, u"n"_s}};
            QVERIFY(AppendScoreWithAttempt(
                db, {{0, CDaoFieldValue::FromText(name)}, {1, CDaoFieldValue::FromText(u"01"_s)}},
                &attempt));
        }
        CScriptedPlatform platform;
        const Cleared cleared = personal
                                    ? RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase)
                                    : RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), left);
        QCOMPARE(CountRows(db, u"attempt"_s), left);
        QCOMPARE(CountRows(db, u"attempt_mistake"_s), 2 * left);
    }

    // The clearing now deletes through the engine, in batches: on the same
    // rows it deletes exactly what the row-by-row pass deleted, and its bar
    // counts them.
    void setBasedClearingDeletesWhatRowByRowDid_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("personal");
        QTest::newRow("namesakes, case and space variants")
            << int(UserKind::Ordinary) << u"王芳"_s << u"2023101"_s << true;
        QTest::newRow("an empty number owns the rows without one")
            << int(UserKind::Ordinary) << u"李雷"_s << QString() << true;
        QTest::newRow("not an ordinary login owns none")
            << int(UserKind::Anonymous) << u"王芳"_s << u"2023101"_s << true;
        QTest::newRow("group clearing") << int(UserKind::Super) << u"王芳"_s << QString() << false;
    }
    void setBasedClearingDeletesWhatRowByRowDid()
    {
        QFETCH(int, kindCode);
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(bool, personal);
        LogInOrdinary(name, number, 7);
        CurrentUser.KindCode = kindCode;
        const QList<Owner> kinds = {
            {u"王芳"_s, u"2023101"_s},  {u"王芳"_s, u"2023205"_s}, {u"王芳 "_s, u"2023101"_s},
            {u"王芳"_s, u"2023101 "_s}, {u"李雷"_s, QString()},    {u"李雷"_s, u""_s},
            {u"李雷"_s, u"0"_s},        {QString(), u"2023101"_s}, {u"王 芳"_s, u"2023101"_s}};
        QList<Owner> owners;
        for (int i = 0; i < 700; ++i)
            owners.append(kinds[(i * 7 + i / 9) % kinds.size()]);
        CDaoDatabase* db = m_pDatabase->Admin();
        QString error;
        int nOld = 0;
        QList<QStringList> left;
        QE_DAO(Fill(db, owners); nOld = RowByRow(db, personal, &error);
               left = Contents(*m_pDatabase); db->Execute(u"DELETE FROM score"_s);
               Fill(db, owners));
        QVERIFY2(error.isEmpty(), qPrintable(error));

        CScriptedPlatform platform;
        const Cleared cleared = personal
                                    ? RunClearing<CClearPersonalScoresDlg>(platform, *m_pDatabase)
                                    : RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.result, int(IDOK));
        QCOMPARE(cleared.maximum, nOld);
        QCOMPARE(cleared.valueAfter, nOld);
        QE_DAO(QCOMPARE(Contents(*m_pDatabase), left));
        QVERIFY(nOld > 0 || kindCode == UserKind::Anonymous);
    }

    // The engine refuses one row part-way: the rows deleted before it stay
    // deleted and the rest stay, as after the row-by-row pass; the failure
    // is shown, the notice closes, and nothing stays locked.
    void interruptedClearingKeepsWhatRowByRowKept_data()
    {
        QTest::addColumn<int>("refused");
        QTest::newRow("the first row") << 0;
        QTest::newRow("inside the first batch") << 1;
        QTest::newRow("first row of a batch") << 150;
        QTest::newRow("inside a later batch") << 211;
        QTest::newRow("the last row") << 299;
    }
    void interruptedClearingKeepsWhatRowByRowKept()
    {
        QFETCH(int, refused);
        CDaoDatabase* db = m_pDatabase->Admin();
        QList<Owner> owners(300, {u"Li"_s, u"01"_s});
        QString error;
        int nOld = 0;
        QList<QStringList> left;
        const auto fill = [&] {
            Fill(db, owners);
            QSqlQuery mark(db->Connection());
            QVERIFY(mark.exec(u"UPDATE score SET seconds = 999 WHERE seconds = %1"_s.arg(refused)));
        };
        QE_DAO(fill(); ProtectRow999(*m_pDatabase, true); nOld = RowByRow(db, false, &error);
               left = Contents(*m_pDatabase); ProtectRow999(*m_pDatabase, false);
               db->Execute(u"DELETE FROM score"_s); fill(); ProtectRow999(*m_pDatabase, true));
        QVERIFY2(error.contains(u"row is protected"_s), qPrintable(error));
        QCOMPARE(nOld, refused);

        CScriptedPlatform platform;
        const Cleared cleared = RunClearing<CClearGroupScoresDlg>(platform, *m_pDatabase);
        QCOMPARE(cleared.result, int(IDCANCEL));
        QVERIFY(!cleared.openAfterTick);
        QCOMPARE(cleared.valueAfter, nOld);
        QCOMPARE(platform.boxes.size(), 2);
        QVERIFY2(platform.boxes[1].text.contains(u"row is protected"_s),
                 qPrintable(platform.boxes[1].text));
        QVERIFY(!db->InTransaction());
        QE_DAO(QCOMPARE(Contents(*m_pDatabase), left);
               StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50));
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), left.size() + 1);
    }

    void barIsRepaintedDuringThePass()
    {
        for (int i = 0; i < 4; ++i)
            StoreScore(m_pDatabase->Admin(), u"Li"_s, u"01"_s, English, u"2"_s, u"20"_s, 70);
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
        platform.AnswerBoxes({IDYES, IDYES});
        OpenClearPersonalScores();
        OpenClearGroupScores();
        QCOMPARE(platform.modalRuns,
                 (QStringList{u"CClearPersonalScoresDlg"_s, u"CClearGroupScoresDlg"_s}));
        QCOMPARE(platform.boxes.size(), 2);
    }

    void commandsWithoutDatabaseOnlyWarn()
    {
        StoreScore(m_pDatabase->Admin(), u"Li"_s, u"01"_s, English, u"2"_s, u"20"_s, 70);
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
