#include "platform/DaoTransaction.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
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
constexpr int Chinese = 111, English = 112, Number = 113, Symbol = 114;

// Runs the query in scope and captures what the list shows.
Listing RunQuery(CScriptedPlatform& platform, int scope)
{
    Listing listed;
    Drive(platform, [&listed](CDialog* dlg) {
        listed = ListOf(dlg->Item<CListCtrl>(1024));
        dlg->ClickButton(1);
    });
    ScoreQueryScope = scope;
    CScoreQueryDlg dlg;
    dlg.DoModal();
    return listed;
}

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

// What one clearing showed: the bar before and after the tick, and how often
// the bar was painted during it.
struct Cleared
{
    int result = 0;
    int maximum = -1;
    int valueBefore = -1;
    int valueAfter = -1;
    int paintsDuringTick = 0;
    bool openAfterTick = false;
};

Cleared RunClearing(CScriptedPlatform& platform, CTestDatabase& database, bool bPersonal)
{
    // The program runs as the logged-in user, as after the login.
    database.SignInAsCurrentUser();
    Cleared cleared;
    platform.DriveDialog([&](QDialog* dialog) {
        auto* dlg = static_cast<CClearScoresDlg*>(dialog);
        QProgressBar* bar = dlg->m_wndProgress;
        cleared.maximum = bar->maximum();
        cleared.valueBefore = bar->value();
        // Painting needs the window on screen, as it is when the tick comes.
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        CPaintCounter counter;
        bar->installEventFilter(&counter);
        dlg->OnTimer(1);
        SettleWorker();
        bar->removeEventFilter(&counter);
        cleared.paintsDuringTick = counter.paints;
        cleared.valueAfter = bar->value();
        cleared.openAfterTick = dialog->isVisible();
        if (dialog->isVisible())
            dlg->OnCancel();
    });
    cleared.result =
        bPersonal ? CClearPersonalScoresDlg().DoModal() : CClearGroupScoresDlg().DoModal();
    return cleared;
}

// The question asked before a clearing, answered Yes unless told otherwise.
QStringList Question(bool bPersonal, int count)
{
    const QString text =
        bPersonal ? u"确定要删除您(%1,学号%2)的全部成绩记录吗?共%3条,删除后无法恢复。"_s
                        .arg(CurrentUser.Name, CurrentUser.StudentNo)
                        .arg(count)
                  : u"确定要删除所有用户的全部成绩记录吗?共%1条,删除后无法恢复。"_s.arg(count);
    return Box(text, u"提示!"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
}

void LogIn(int kindCode, const QString& name, const QString& number, qint64 key)
{
    CurrentUser = {.Name = name, .StudentNo = number, .KindCode = kindCode, .RowKey = key};
}

// The score rows as "name/number".
QStringList Owners(CTestDatabase& database)
{
    QStringList owners;
    for (const QStringList& row : database.Rows(u"score"_s))
        owners << row.value(0) + u'/' + row.value(1);
    return owners;
}

// Owners of score rows: namesakes in two classes, space, case and number
// variants, fields left null ("~").
const QStringList Variants = {u"王芳/2023101"_s,  u"王芳/2023205"_s, u"王芳 /2023101"_s,
                              u"王芳/2023101 "_s, u"~/2023101"_s,    u"李雷/~"_s,
                              u"李雷/"_s,         u"Li/01"_s,        u"li/01"_s};

// Stores one score row per owner ("name/number", "~" for a field left null),
// each with its attempt and a mistyped cell, the row's place as its time.
void Fill(CDaoDatabase* db, const QStringList& owners)
{
    CDaoTransaction filling(*db, CDaoTransaction::OnThrow::KeepDone);
    for (int i = 0; i < owners.size(); ++i) {
        FieldList fields{{3, CDaoFieldValue::FromText(u"英文测试"_s)},
                         {8, CDaoFieldValue::FromText(QString::number(i))}};
        for (int field : {0, 1}) {
            const QString text = owners[i].section(u'/', field, field);
            if (text != "~"_L1)
                fields.push_back({field, CDaoFieldValue::FromText(text)});
        }
        CAttempt attempt;
        attempt.startedAt = attempt.endedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
        attempt.mistakes = {{0, u"a"_s, u"s"_s}};
        StoreScoreWithAttempt(*db, fields, &attempt);
    }
    filling.Commit();
}

} // namespace

class TestScores : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    // Another program's lock is waited for a fifth of a second only.
    void initTestCase() { CDaoDatabase::SetBusyTimeout(200); }

    void init()
    {
        CDatabaseSuite::init();
        LogIn(UserKind::Super, u"Li"_s, u"01"_s, 0);
    }

    // The personal clearing takes the rows whose name and number are the
    // logged-in pupil's, exactly: two pupils called 王芳 in two classes keep
    // each other's. Whoever is not logged in as an ordinary user clears
    // nothing. The group clearing takes every row. The attempts and their
    // mistyped cells go with their score rows, in batches over many rows.
    void clearing_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<QString>("user"); // name/number
        QTest::addColumn<qint64>("key");
        QTest::addColumn<bool>("personal");
        QTest::addColumn<QStringList>("left"); // of the variants, as listed
        QTest::addColumn<int>("repeat");       // of the variants and left; 0: an empty table
        const QStringList shown = QStringList(Variants).replaceInStrings(u"~"_s, QString());
        const auto row = [](const char* name, int kind, const QString& user, qint64 key,
                            bool personal, const QStringList& left, int repeat) {
            QTest::newRow(name) << kind << user << key << personal << left << repeat;
        };
        const int ordinary = UserKind::Ordinary, super = UserKind::Super;
        const QString fang = u"王芳/2023101"_s;
        row("her own rows only, among namesakes and variants", ordinary, fang, 7, true,
            shown.mid(1), 40);
        row("an empty number owns the rows without one", ordinary, u"李雷/"_s, 7, true,
            shown.mid(0, 5) + shown.mid(7), 1);
        row("a name in another case is another's", ordinary, u"Li/01"_s, 7, true,
            shown.mid(0, 7) + shown.mid(8), 1);
        row("anonymous login after hers", UserKind::Anonymous, fang, 0, true, shown, 1);
        row("super user of the same name", super, fang, 0, true, shown, 1);
        row("no login yet", 0, fang, 0, true, shown, 1);
        row("after logging off", ordinary, fang, 0, true, shown, 1);
        row("personal, empty table closes by itself", ordinary, u"Li/01"_s, 1, true, {}, 0);
        row("group, empty table closes by itself", super, u"Li/01"_s, 0, false, {}, 0);
        row("group takes every row", super, u"Li/01"_s, 0, false, {}, 40);
    }
    void clearing()
    {
        QFETCH(int, kindCode);
        QFETCH(QString, user);
        QFETCH(qint64, key);
        QFETCH(bool, personal);
        QFETCH(QStringList, left);
        QFETCH(int, repeat);
        QStringList all, kept;
        for (int i = 0; i < repeat; ++i) {
            all += Variants;
            kept += left;
        }
        const QString number = user.section(u'/', 1);
        LogIn(kindCode, user.section(u'/', 0, 0), number.isEmpty() ? QString() : number, key);
        CDaoDatabase* db = m_pDatabase->Admin();
        QE_DAO(Fill(db, all));
        CScriptedPlatform platform;
        const Cleared cleared = RunClearing(platform, *m_pDatabase, personal);
        const int nDeleted = int(all.size() - kept.size()), nKept = int(kept.size());
        // result, still open, unfinished, the bar's range and values, attempts and cells
        QCOMPARE((QList<int>{cleared.result, cleared.openAfterTick, platform.unfinishedDialogs,
                             cleared.maximum, cleared.valueBefore, cleared.valueAfter,
                             CountRows(db, u"attempt"_s), CountRows(db, u"attempt_mistake"_s)}),
                 (QList<int>{IDOK, false, 0, nDeleted, 0, nDeleted, nKept, nKept}));
        // Each step of a few is a good part of the bar: each one shows.
        QVERIFY2(cleared.paintsDuringTick >= qMin(nDeleted, 4),
                 qPrintable(QString::number(cleared.paintsDuringTick)));
        CompareBoxes(platform, {Question(personal, nDeleted)});
        QE_DAO(QCOMPARE(Owners(*m_pDatabase), kept));
    }

    // Another program reads while the clearing commits: the commit fails and
    // is rolled back at once, so no lock stays behind, the failure is shown,
    // the notice closes, and what is stored next survives the program's end.
    void commitFailureReleasesTheLock()
    {
        if (m_pDatabase->IsPostgres())
            QSKIP("a reader holds back a commit on SQLite only");
        CDaoDatabase* db = m_pDatabase->Admin();
        QE_DAO(Fill(db, QStringList(3, u"Li/01"_s)));
        CScriptedPlatform platform;
        CReadLock reader(m_pDatabase->Target());
        QVERIFY(reader.Hold());
        const Cleared cleared = RunClearing(platform, *m_pDatabase, false);
        reader.Release();
        QCOMPARE((QList<int>{reader.CanWrite(), db->InTransaction(), cleared.openAfterTick,
                             cleared.result}),
                 (QList<int>{true, false, false, IDCANCEL}));
        CompareBoxes(platform,
                     {Question(false, 3),
                      Box(u"错误信息:数据库正被另一个程序使用,请稍后再试!\ndatabase is locked"_s,
                          u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 3);

        StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50);
        db->Close(); // the program ends
        CDaoDatabase again;
        again.Open(m_pDatabase->Target());
        QCOMPARE(SelectRows(&again, u"SELECT name FROM score ORDER BY qe_key"_s),
                 (QStringList{u"Li"_s, u"Li"_s, u"Li"_s, u"Wang"_s}));
    }

    // The engine refuses one row part-way through the batches: the rows
    // deleted before it stay deleted and the rest stay; the failure is shown,
    // the notice closes, and nothing stays locked.
    void interruptedClearingKeepsTheRest_data()
    {
        QTest::addColumn<int>("refused");
        QTest::newRow("the first row") << 0;
        QTest::newRow("inside the first batch") << 1;
        QTest::newRow("first row of a batch") << 150;
        QTest::newRow("inside a later batch") << 211;
        QTest::newRow("the last row") << 299;
    }
    void interruptedClearingKeepsTheRest()
    {
        QFETCH(int, refused);
        CDaoDatabase* db = m_pDatabase->Admin();
        QSqlQuery mark(db->Connection());
        QE_DAO(Fill(db, QStringList(300, u"Li/01"_s)); QVERIFY(
                   mark.exec(u"UPDATE score SET seconds = 999 WHERE seconds = %1"_s.arg(refused)));
               // The engine refuses to delete the row of time 999.
               m_pDatabase->RefuseDeletions(db, u"score"_s, u"old.seconds = 999"_s));
        CScriptedPlatform platform;
        const Cleared cleared = RunClearing(platform, *m_pDatabase, false);
        QCOMPARE((QList<int>{cleared.result, cleared.openAfterTick, cleared.valueAfter,
                             int(platform.boxes.size()), db->InTransaction()}),
                 (QList<int>{IDCANCEL, false, refused, 2, false}));
        QVERIFY2(platform.boxes[1].text.contains(u"row is protected"_s),
                 qPrintable(platform.boxes[1].text));
        const QStringList seconds = SelectRows(db, u"SELECT seconds FROM score ORDER BY qe_key"_s);
        QE_DAO(StoreScore(db, u"Wang"_s, u"04"_s, English, u"1"_s, u"10"_s, 50));
        QStringList expected{u"999"_s};
        for (int i = refused + 1; i < 300; ++i)
            expected << QString::number(i);
        QCOMPARE(seconds, expected);
        QCOMPARE(m_pDatabase->Rows(u"score"_s).size(), 301 - refused);
    }

    // Both clearings ask first; No, the default, deletes nothing and shows
    // no progress; Yes runs the clearing. The query sets its scope and runs.
    // Without the database each command only warns.
    void commands_data()
    {
        QTest::addColumn<int>("command"); // 0 personal, 1 group clearing, 2 and 3 the queries
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("dialog"); // run; empty: none
        const QString personal = u"CClearPersonalScoresDlg"_s;
        const QString group = u"CClearGroupScoresDlg"_s;
        QTest::newRow("personal clearing answered No") << 0 << true << int(IDNO) << QString();
        QTest::newRow("group clearing answered No") << 1 << true << int(IDNO) << QString();
        QTest::newRow("personal clearing answered Yes") << 0 << true << int(IDYES) << personal;
        QTest::newRow("group clearing answered Yes") << 1 << true << int(IDYES) << group;
        QTest::newRow("personal query") << 2 << true << 0 << u"CScoreQueryDlg"_s;
        QTest::newRow("group query") << 3 << true << 0 << u"CScoreQueryDlg"_s;
        for (int command = 0; command < 4; ++command)
            QTest::addRow("command %d without the database", command)
                << command << false << 0 << QString();
    }
    void commands()
    {
        QFETCH(int, command);
        QFETCH(bool, connected);
        QFETCH(int, answer);
        QFETCH(QString, dialog);
        QE_DAO(Fill(m_pDatabase->Admin(), {u"Li/01"_s, u"Wang/04"_s, u"Li/01"_s}));
        LogIn(command == 0 ? UserKind::Ordinary : UserKind::Super, u"Li"_s, u"01"_s, 3);
        m_pDatabase->SignInAsCurrentUser();
        if (!connected)
            NoDatabase();
        ScoreQueryScope = 0;
        CScriptedPlatform platform;
        platform.AnswerBoxes({answer});
        if (command == 0)
            OpenClearPersonalScores();
        else if (command == 1)
            OpenClearGroupScores();
        else
            OpenScoreQuery(command == 2 ? ScoreScope::Personal : ScoreScope::Group);
        QCOMPARE(platform.modalRuns, dialog.isEmpty() ? QStringList() : QStringList{dialog});
        QCOMPARE(ScoreQueryScope, connected && command == 2   ? int(ScoreScope::Personal)
                                  : connected && command == 3 ? int(ScoreScope::Group)
                                                              : 0);
        if (!connected)
            CompareBoxes(platform, {Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)});
        else if (command < 2)
            CompareBoxes(platform, {Question(command == 0, command == 0 ? 2 : 3)});
        QCOMPARE(Owners(*m_pDatabase), (QStringList{u"Li/01"_s, u"Wang/04"_s, u"Li/01"_s}));
    }

    // The score table cannot be opened: the failure is shown, the clearing
    // deletes nothing and the query lists nothing.
    void failedOpenIsReported()
    {
        m_pDatabase->DropTable(u"score"_s);
        CScriptedPlatform platform;
        const Cleared cleared = RunClearing(platform, *m_pDatabase, false);
        QVERIFY(cleared.openAfterTick);
        QCOMPARE(cleared.result, int(IDCANCEL));
        const Listing listed = RunQuery(platform, ScoreScope::Group);
        QCOMPARE(listed.headers.size(), 12);
        QVERIFY(listed.cells.isEmpty());
        const QStringList failure = Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {failure, failure});
    }

    // Super user, ordinary, anonymous, before the login.
    void groupClearingOnlyForSuperUser()
    {
        QList<bool> enabled;
        for (int kindCode :
             {int(UserKind::Super), int(UserKind::Ordinary), int(UserKind::Anonymous), 0}) {
            CurrentUser.KindCode = kindCode;
            enabled << CanClearGroupScores();
        }
        QCOMPARE(enabled, (QList<bool>{true, false, false, false}));
    }

    // The personal query lists the rows whose name and number are the
    // logged-in pupil's, exactly: two pupils called 王芳 in two classes see
    // their own. Whoever is not logged in as an ordinary user (anonymous
    // after her, a super user of the same name, nobody yet) lists none.
    void personalListsTheUsersOwnRows_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<qint64>("key");
        QTest::addColumn<QString>("user"); // name/number
        QTest::addColumn<int>("scope");
        QTest::addColumn<QStringList>("seconds"); // of the rows listed
        const auto row = [](const char* name, int kind, qint64 key, const QString& user, int scope,
                            const QStringList& seconds) {
            QTest::newRow(name) << kind << key << user << scope << seconds;
        };
        const int ordinary = UserKind::Ordinary, personal = ScoreScope::Personal;
        const QString fang = u"王芳/2023101"_s;
        row("exact name and number only", ordinary, 4, u"Li Ming/0815"_s, personal,
            {u"45"_s, u"49"_s});
        row("her own rows only", ordinary, 7, fang, personal, {u"10"_s, u"30"_s});
        row("anonymous login after hers", UserKind::Anonymous, 0, fang, personal, {});
        row("super user of the same name", UserKind::Super, 0, fang, personal, {});
        row("no login yet", 0, 0, fang, personal, {});
        row("after logging off", ordinary, 0, fang, personal, {});
        row("unknown scope lists nothing", ordinary, 4, u"Li Ming/0815"_s, 0, {});
    }
    void personalListsTheUsersOwnRows()
    {
        QFETCH(int, kindCode);
        QFETCH(qint64, key);
        QFETCH(QString, user);
        QFETCH(int, scope);
        QFETCH(QStringList, seconds);
        CDaoDatabase* db = m_pDatabase->Admin();
        for (const auto& [owner, kind, time] : {std::tuple{u"Li Ming/0815"_s, English, 45},
                                                {u"li ming/0815"_s, English, 46},
                                                {u"Li Ming /0815"_s, Chinese, 47},
                                                {u"Wang/0815"_s, Number, 48},
                                                {u"Li Ming/0815"_s, Symbol, 49},
                                                {u"Li Ming/0816"_s, English, 50},
                                                {u"王芳/2023101"_s, English, 10},
                                                {u"王芳/2023205"_s, English, 20},
                                                {u"王芳/2023101"_s, Chinese, 30},
                                                {u"王芳/2023205"_s, Chinese, 40}})
            StoreScore(db, owner.section(u'/', 0, 0), owner.section(u'/', 1), kind, u"1"_s,
                       QString::number(time), 50);
        LogIn(kindCode, user.section(u'/', 0, 0), user.section(u'/', 1), key);
        m_pDatabase->SignInAsCurrentUser();
        CScriptedPlatform platform;
        QStringList shown;
        for (const QStringList& row : RunQuery(platform, scope).cells)
            shown << row.value(10);
        QCOMPARE(shown, seconds);
    }

    // The list reads its rows as it shows them; read from the last row up,
    // it holds the rows the whole scan of the table gave, in the same order:
    // the user's own in the personal query, with the user's class; every
    // row with its stored number but no class in the group query.
    void listedRowsAreTheScansRows_data()
    {
        QTest::addColumn<int>("scope");
        QTest::newRow("personal") << int(ScoreScope::Personal);
        QTest::newRow("group") << int(ScoreScope::Group);
    }
    void listedRowsAreTheScansRows()
    {
        QFETCH(int, scope);
        LogIn(UserKind::Ordinary, u"Li Ming"_s, u"0815"_s, 4);
        CurrentUser.Class = u"二班"_s;
        m_pDatabase->SignInAsCurrentUser();
        CDaoDatabase* db = m_pDatabase->Admin();
        const QStringList owners = {u"Li Ming/0815"_s, u"Li Ming/0816"_s, u"li ming/0815"_s,
                                    u"Li Ming /0815"_s, u"Zhao/0009"_s};
        {
            CDaoTransaction filling(*db, CDaoTransaction::OnThrow::KeepDone);
            for (int i = 0; i < 500; ++i) {
                const QString owner = owners[(i * 3 + i / 7) % owners.size()];
                StoreScore(db, owner.section(u'/', 0, 0), owner.section(u'/', 1), Chinese + i % 4,
                           QString::number(i), QString::number(60 + i), 90);
            }
            filling.Commit();
        }
        m_pDatabase->RecordScoreOwners();
        Rows expected;
        CDaoRecordset rs(db);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        const bool bPersonal = scope == ScoreScope::Personal;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            QStringList f; // the stored fields
            for (int field = 0; field <= 9; ++field)
                f << VariantToText(rs.GetFieldValue(field));
            // Hers: her exact name and number, as stored; listed with her class.
            if (!bPersonal || f.mid(0, 2) == QStringList{u"Li Ming"_s, u"0815"_s})
                expected.append(QStringList{f[0], bPersonal ? CurrentUser.Class : QString(), f[1],
                                            f[3], QString(), f[3]} +
                                f.mid(4));
        }
        Rows listed;
        QStringList headers;
        CScriptedPlatform platform;
        Drive(platform, [&](CDialog* dlg) {
            auto* list = dlg->Item<CListCtrl>(1024);
            headers = ListOf(list).headers;
            for (int row = list->GetItemCount() - 1; row >= 0; --row) {
                QStringList cells;
                for (int col = 0; col < list->GetColumnCount(); ++col)
                    cells << list->GetItemText(row, col);
                listed.prepend(cells);
            }
            dlg->ClickButton(1);
        });
        ScoreQueryScope = scope;
        CScoreQueryDlg dlg;
        dlg.DoModal();
        QCOMPARE(headers, (QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"用户类型"_s,
                                       u"测試日期"_s, u"成绩类型"_s, u"中文成绩"_s, u"英文成绩"_s,
                                       u"数字成绩"_s, u"符号成绩"_s, u"所用时间"_s, u"正确率"_s}));
        QVERIFY(expected.size() > 64); // more than one span of the list
        QCOMPARE(listed, expected);
    }
};

QE_TEST_MAIN(TestScores)
#include "tst_scores.moc"
