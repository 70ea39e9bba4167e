#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/Database.h"
#include "users/DeletionPass.h"
#include "users/LoginHistoryDlg.h"

using namespace Qt::Literals::StringLiterals;

namespace {
struct Viewed : Listing
{
    bool bFullRow = false, bGrid = false;
    int nImages = 0;
};

// Opens the viewer and reads back what its list shows.
Viewed View(CScriptedPlatform& platform)
{
    Viewed viewed;
    Drive<CLoginHistoryDlg>(platform, [&viewed](CLoginHistoryDlg* dlg) {
        CListCtrl* list = dlg->List();
        static_cast<Listing&>(viewed) = ListOf(list);
        const unsigned style = list->GetExtendedStyle();
        viewed.bFullRow = style & LVS_EX_FULLROWSELECT;
        viewed.bGrid = style & LVS_EX_GRIDLINES;
        viewed.nImages = list->GetImageCount();
        dlg->ClickButton(1);
    });
    OpenLoginHistoryDialog();
    return viewed;
}

// A row as the login and the registration append it: fields 0 to 3 (an
// empty one left unset), the date of the login if valid, and the event.
void AppendLogin(CDaoDatabase* db, const QStringList& texts, const QDateTime& loggedIn = {})
{
    FieldList fields;
    for (int i = 0; i < 4; ++i) {
        if (!texts[i].isEmpty())
            fields.push_back({i, CDaoFieldValue::FromText(texts[i])});
    }
    if (loggedIn.isValid())
        fields.push_back({5, {CDaoFieldValue::Kind::Date, loggedIn}});
    fields.push_back({7, CDaoFieldValue::FromText(texts[4])});
    QVERIFY(AppendRow(db, u"loginhistory"_s, fields));
}

const QString Question = u"确定要删除所有的用户登录记录吗?"_s;
} // namespace

class TestLoginHistory : public QObject
{
    Q_OBJECT
private slots:
    // Each field in its column; fields 4 to 6 hold whatever the table gives
    // a new row, the event is not shown.
    void showsEachFieldInItsColumn()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        const QStringList pupil{u"张三"_s, u"一班"_s, u"2003001"_s, u"普通用户"_s};
        AppendLogin(db.Admin(), pupil + QStringList{u"创建用户"_s});
        AppendLogin(db.Admin(), pupil + QStringList{u"用户登录"_s},
                    QDateTime(QDate(2003, 5, 1), QTime(23, 59, 30)));
        AppendLogin(db.Admin(), {u"root"_s, {}, {}, u"超级用户"_s, u"用户登录"_s});
        const Viewed listing = View(platform);
        QCOMPARE(std::tuple(platform.modalRuns, platform.unfinishedDialogs, platform.boxes.size()),
                 std::tuple(QStringList{u"CLoginHistoryDlg"_s}, 0, 0));
        QCOMPARE(listing.headers, (QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"用户类型"_s,
                                               u"创建日期"_s, u"登录日期"_s, u"测試日期"_s}));
        QCOMPARE(listing.widths, (QList<int>(7, 80)));
        QCOMPARE(std::tuple(listing.bFullRow, listing.bGrid, listing.nImages),
                 std::tuple(true, true, 1));
        Rows expected = db.Rows(u"loginhistory"_s);
        for (QStringList& row : expected)
            row = row.mid(0, 7);
        QCOMPARE(listing.cells, expected);
        QCOMPARE(listing.cells[1][5], u"2003-05-01"_s);
        QCOMPARE(listing.cells[2].mid(0, 4),
                 (QStringList{u"root"_s, QString(), QString(), u"超级用户"_s}));
    }

    // The question only, no progress and no completion message: OK empties
    // the table (twice in a row too) and keeps the record set open; Cancel
    // changes nothing.
    void clearing_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<int>("answer");
        QTest::newRow("twice in a row") << 2 << 2 << int(IDOK);
        QTest::newRow("an empty table says nothing") << 0 << 1 << int(IDOK);
        QTest::newRow("Cancel changes nothing") << 1 << 1 << int(IDCANCEL);
        // Nothing shows the pass's batches, which are then of the largest size.
        QTest::newRow("more rows than two batches")
            << 2 * CDeletionPass::MaxBatchRows + 1 << 1 << int(IDOK);
    }
    void clearing()
    {
        QFETCH(int, rows);
        QFETCH(int, rounds);
        QFETCH(int, answer);
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CFakeMainWindow frame;
        std::unique_ptr<CDaoRecordset> historySet;
        Rows questions;
        for (int round = 0; round < rounds; ++round) {
            QE_DAO(db.Admin()->Execute(
                u"INSERT INTO loginhistory (name, class, student_no, kind) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "SELECT 'a' || i, 'c', '1', '普通用户' FROM n WHERE i <= %1"_s.arg(rows)));
            platform.AnswerBoxes({answer});
            ClearLoginHistory(&frame, historySet);
            SettleWorker();
            questions << Box(Question, u"提示!"_s, MB_OKCANCEL | MB_ICONQUESTION);
            QCOMPARE(db.Rows(u"loginhistory"_s).size(), answer == IDOK ? 0 : rows);
            QCOMPARE(historySet && historySet->IsOpen(), answer == IDOK);
        }
        CompareBoxes(platform, questions);
        QCOMPARE(platform.boxes.last().owner, &frame);
    }

    void unopenableTableListsNothingAndDeletesNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CFakeMainWindow frame;
        db.DropTable(u"loginhistory"_s);
        const Viewed listing = View(platform);
        QCOMPARE(listing.headers.size(), 7);
        QVERIFY(listing.cells.isEmpty());
        std::unique_ptr<CDaoRecordset> historySet;
        ClearLoginHistory(&frame, historySet);
        SettleWorker();
        const QStringList error = Box(u"错误信息:…"_s, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform,
                     {error, Box(Question, u"提示!"_s, MB_OKCANCEL | MB_ICONQUESTION), error});
    }

    void guardsWithoutDatabase()
    {
        CScriptedPlatform platform;
        CFakeMainWindow frame;
        NoDatabase();
        std::unique_ptr<CDaoRecordset> historySet;
        OpenLoginHistoryDialog();
        ClearLoginHistory(&frame, historySet);
        SettleWorker();
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(!historySet);
        const QStringList box = Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {box, box});
    }
};

QE_TEST_MAIN(TestLoginHistory)
#include "tst_loginhistory.moc"
