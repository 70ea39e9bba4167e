#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "tests/DialogDriver.h"
#include "tests/FakeMainWindow.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/Database.h"
#include "users/LoginHistoryDlg.h"

using namespace Qt::Literals::StringLiterals;

namespace {
struct Viewed : Listing
{
    bool bFullRow = false;
    bool bGrid = false;
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

// Rows as the login and the registration append them.
void AppendLogin(CDaoDatabase* db, const FieldList& fields)
{
    QVERIFY(AppendRow(db, u"loginhistory"_s, fields));
}

CDaoFieldValue Text(const QString& text)
{
    return CDaoFieldValue::FromText(text);
}

const QString Question = u"确定要删除所有的用户登录记录吗?"_s;
} // namespace

class TestLoginHistory : public QObject
{
    Q_OBJECT
private slots:
    void emptyTableShowsSevenHeaders()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        const Viewed listing = View(platform);
        QCOMPARE(platform.modalRuns, QStringList{u"CLoginHistoryDlg"_s});
        QCOMPARE(platform.unfinishedDialogs, 0);
        QCOMPARE(listing.headers, (QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"用户类型"_s,
                                               u"创建日期"_s, u"登录日期"_s, u"测試日期"_s}));
        QCOMPARE(listing.widths, (QList<int>(7, 80)));
        QVERIFY(listing.cells.isEmpty());
        QVERIFY(listing.bFullRow);
        QVERIFY(listing.bGrid);
        QCOMPARE(listing.nImages, 1);
        QVERIFY(platform.boxes.isEmpty());
    }

    void showsEachFieldInItsColumn()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CDaoDatabase* dao = db.Admin();
        AppendLogin(dao, {{0, Text(u"张三"_s)},
                          {1, Text(u"一班"_s)},
                          {2, Text(u"2003001"_s)},
                          {3, Text(u"普通用户"_s)},
                          {7, Text(u"创建用户"_s)}});
        AppendLogin(dao, {{0, Text(u"张三"_s)},
                          {1, Text(u"一班"_s)},
                          {2, Text(u"2003001"_s)},
                          {3, Text(u"普通用户"_s)},
                          {5, CDaoFieldValue{CDaoFieldValue::Kind::Date,
                                             QDateTime(QDate(2003, 5, 1), QTime(23, 59, 30))}},
                          {7, Text(u"用户登录"_s)}});
        AppendLogin(dao,
                    {{0, Text(u"root"_s)}, {3, Text(u"超级用户"_s)}, {7, Text(u"用户登录"_s)}});

        const Viewed listing = View(platform);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(listing.cells.size(), 3);
        // Fields 4 to 6 hold whatever the table gives a new row; only the
        // login date of the second row is set here.
        const Rows stored = db.Rows(u"loginhistory"_s);
        QCOMPARE(stored.size(), 3);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(listing.cells[row].mid(4), stored[row].mid(4, 3));
        QCOMPARE(listing.cells[0].mid(0, 4),
                 (QStringList{u"张三"_s, u"一班"_s, u"2003001"_s, u"普通用户"_s}));
        QCOMPARE(listing.cells[1].mid(0, 4),
                 (QStringList{u"张三"_s, u"一班"_s, u"2003001"_s, u"普通用户"_s}));
        QCOMPARE(listing.cells[1][5], u"2003-05-01"_s);
        QCOMPARE(listing.cells[2].mid(0, 4),
                 (QStringList{u"root"_s, QString(), QString(), u"超级用户"_s}));
        for (const QStringList& cells : listing.cells) {
            QCOMPARE(cells.size(), 7);
            QVERIFY(!cells.contains(u"用户登录"_s));
            QVERIFY(!cells.contains(u"创建用户"_s));
        }
    }

    void clearingTwiceInARow()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CFakeMainWindow frame;
        db.Insert(u"loginhistory"_s, {u"a"_s, u"c"_s, u"1"_s, u"普通用户"_s});
        db.Insert(u"loginhistory"_s, {u"b"_s, u"c"_s, u"2"_s, u"普通用户"_s});
        std::unique_ptr<CDaoRecordset> historySet;

        ClearLoginHistory(&frame, historySet);
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
        QVERIFY(historySet && historySet->IsOpen());

        db.Insert(u"loginhistory"_s, {u"root"_s, QString(), QString(), u"超级用户"_s});
        ClearLoginHistory(&frame, historySet);
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
        QVERIFY(historySet && historySet->IsOpen());

        // Only the two questions: no progress and no completion message.
        const QStringList question = Box(Question, u"提示!"_s, MB_OKCANCEL | MB_ICONQUESTION);
        CompareBoxes(platform, {question, question});
        QCOMPARE(platform.boxes[1].owner, &frame);
        QVERIFY(View(platform).cells.isEmpty());
    }

    void clearingAnEmptyTableSaysNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CFakeMainWindow frame;
        std::unique_ptr<CDaoRecordset> historySet;
        ClearLoginHistory(&frame, historySet);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, Question);
        QVERIFY(db.Rows(u"loginhistory"_s).isEmpty());
    }

    void cancelInTheQuestionChangesNothing()
    {
        CScriptedPlatform platform;
        CTestDatabase db;
        db.SignInAsTeacher();
        CFakeMainWindow frame;
        db.Insert(u"loginhistory"_s, {u"a"_s, u"c"_s, u"1"_s, u"普通用户"_s});
        std::unique_ptr<CDaoRecordset> historySet;
        platform.AnswerBoxes({IDCANCEL});
        ClearLoginHistory(&frame, historySet);
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, Question);
        QCOMPARE(db.Rows(u"loginhistory"_s).size(), 1);
        QVERIFY(!historySet);
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
        QCOMPARE(platform.boxes.size(), 3);
        QVERIFY(platform.boxes[0].text.startsWith(u"错误信息:"_s));
        QCOMPARE(platform.boxes[1].text, Question);
        QVERIFY(platform.boxes[2].text.startsWith(u"错误信息:"_s));
    }

    void guardsWithoutDatabase()
    {
        CScriptedPlatform platform;
        CFakeMainWindow frame;
        NoDatabase();
        std::unique_ptr<CDaoRecordset> historySet;
        OpenLoginHistoryDialog();
        ClearLoginHistory(&frame, historySet);
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(!historySet);
        const QStringList box = Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION);
        CompareBoxes(platform, {box, box});
    }
};

QE_TEST_MAIN(TestLoginHistory)
#include "tst_loginhistory.moc"
