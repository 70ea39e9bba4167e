#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "tests/DialogDriver.h"
#include "tests/ScoreRows.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int Chinese = 111, English = 112, Number = 113, Symbol = 114;

// A listed score row: the label shows twice, the speed in its kind's column.
QStringList Listed(const QString& name, const QString& klass, const QString& number, int kind,
                   const QString& speed, const QString& seconds, const QString& accuracy)
{
    static const QString labels[] = {u"中文测试"_s, u"英文测试"_s, u"数字测试"_s, u"符号测试"_s};
    const QString& label = labels[kind - Chinese];
    QStringList row{name, klass, number, label, {}, label, {}, {}, {}, {}, seconds, accuracy};
    row[6 + kind - Chinese] = speed;
    return row;
}

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
} // namespace

class TestScoreQuery : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CurrentUser = CCurrentUser();
        CurrentUser.Name = u"Li Ming"_s;
        CurrentUser.Class = u"二班"_s;
        CurrentUser.StudentNo = u"0815"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.RowKey = 4;
        m_pDatabase->SignInAsCurrentUser();
    }
    void cleanup() { m_pDatabase.reset(); }

    void emptyTableShowsHeadersOnly_data()
    {
        QTest::addColumn<int>("scope");
        QTest::newRow("personal") << int(ScoreScope::Personal);
        QTest::newRow("group") << int(ScoreScope::Group);
    }
    void emptyTableShowsHeadersOnly()
    {
        QFETCH(int, scope);
        CScriptedPlatform platform;
        const Listing listed = RunQuery(platform, scope);
        QCOMPARE(listed.headers,
                 (QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"用户类型"_s, u"测試日期"_s,
                              u"成绩类型"_s, u"中文成绩"_s, u"英文成绩"_s, u"数字成绩"_s,
                              u"符号成绩"_s, u"所用时间"_s, u"正确率"_s}));
        QCOMPARE(listed.widths, (QList<int>{80, 80, 80, 80, 80, 80, 80, 80, 80, 80, 60, 80}));
        QVERIFY(listed.cells.isEmpty());
        QVERIFY(platform.boxes.isEmpty());
    }

    void personalScopeListsExactNameOnly()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreScore(db, u"Li Ming"_s, u"0815"_s, English, u"2"_s, u"45"_s, 88);
        StoreScore(db, u"li ming"_s, u"0815"_s, English, u"3"_s, u"46"_s, 77);
        StoreScore(db, u"Li Ming "_s, u"0815"_s, Chinese, u"4"_s, u"47"_s, 66);
        StoreScore(db, u"Wang"_s, u"0815"_s, Number, u"5"_s, u"48"_s, 55);
        StoreScore(db, u"Li Ming"_s, u"0815"_s, Symbol, u"6"_s, u"49"_s, 44);

        CScriptedPlatform platform;
        const Listing listed = RunQuery(platform, ScoreScope::Personal);
        const Rows expected = {
            Listed(u"Li Ming"_s, u"二班"_s, u"0815"_s, English, u"2"_s, u"45"_s, u"88"_s),
            Listed(u"Li Ming"_s, u"二班"_s, u"0815"_s, Symbol, u"6"_s, u"49"_s, u"44"_s)};
        QCOMPARE(listed.cells, expected);
    }

    // Two pupils called 王芳 in two classes: each lists her own rows only.
    // Whoever is not logged in as an ordinary user (anonymous after her, a
    // super user of the same name, nobody yet) lists none.
    void namesakesInTwoClasses_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<qint64>("key");
        QTest::addColumn<QStringList>("seconds"); // of the rows listed
        QTest::newRow("her own rows only")
            << int(UserKind::Ordinary) << qint64(7) << QStringList{u"10"_s, u"30"_s};
        QTest::newRow("anonymous login after hers")
            << int(UserKind::Anonymous) << qint64(0) << QStringList();
        QTest::newRow("super user of the same name")
            << int(UserKind::Super) << qint64(0) << QStringList();
        QTest::newRow("no login yet") << 0 << qint64(0) << QStringList();
        QTest::newRow("after logging off") << int(UserKind::Ordinary) << qint64(0) << QStringList();
    }
    void namesakesInTwoClasses()
    {
        QFETCH(int, kindCode);
        QFETCH(qint64, key);
        QFETCH(QStringList, seconds);
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreScore(db, u"王芳"_s, u"2023101"_s, English, u"1"_s, u"10"_s, 50);
        StoreScore(db, u"王芳"_s, u"2023205"_s, English, u"1"_s, u"20"_s, 50);
        StoreScore(db, u"王芳"_s, u"2023101"_s, Chinese, u"1"_s, u"30"_s, 50);
        StoreScore(db, u"王芳"_s, u"2023205"_s, Chinese, u"1"_s, u"40"_s, 50);
        CurrentUser.Name = u"王芳"_s;
        CurrentUser.StudentNo = u"2023101"_s;
        CurrentUser.KindCode = kindCode;
        CurrentUser.RowKey = key;
        m_pDatabase->SignInAsCurrentUser();

        CScriptedPlatform platform;
        const Listing listed = RunQuery(platform, ScoreScope::Personal);
        QStringList shown;
        for (const QStringList& row : listed.cells)
            shown << row.value(10);
        QCOMPARE(shown, seconds);
    }

    void groupScopeListsEveryRowInOrder()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        StoreScore(db, u"Zhao"_s, u"0009"_s, Number, u"7"_s, u"30"_s, 91);
        StoreScore(db, u"Li Ming"_s, u"0001"_s, Chinese, u"1"_s, u"60"_s, 50);
        StoreScore(db, u"Adam"_s, u"0003"_s, Symbol, u"2"_s, u"15"_s, 100);

        CScriptedPlatform platform;
        const Listing listed = RunQuery(platform, ScoreScope::Group);
        // Group rows show the stored number but not the class.
        const Rows expected = {
            Listed(u"Zhao"_s, {}, u"0009"_s, Number, u"7"_s, u"30"_s, u"91"_s),
            Listed(u"Li Ming"_s, {}, u"0001"_s, Chinese, u"1"_s, u"60"_s, u"50"_s),
            Listed(u"Adam"_s, {}, u"0003"_s, Symbol, u"2"_s, u"15"_s, u"100"_s)};
        QCOMPARE(listed.cells, expected);
    }

    // The list reads its rows as it shows them; read from the last row up,
    // it holds the rows the whole scan of the table gave, in the same order.
    void listedRowsAreTheScansRows_data() { emptyTableShowsHeadersOnly_data(); }
    void listedRowsAreTheScansRows()
    {
        QFETCH(int, scope);
        CDaoDatabase* db = m_pDatabase->Admin();
        const QStringList owners = {u"Li Ming/0815"_s, u"Li Ming/0816"_s, u"li ming/0815"_s,
                                    u"Li Ming /0815"_s, u"Zhao/0009"_s};
        {
            CDaoTransaction filling(db);
            for (int i = 0; i < 500; ++i) {
                const QString owner = owners[(i * 3 + i / 7) % owners.size()];
                StoreScore(db, owner.section(u'/', 0, 0), owner.section(u'/', 1), Chinese + i % 4,
                           QString::number(i), QString::number(60 + i), 90);
            }
            filling.Commit();
        }
        // What the dialog listed when it read the whole table at once.
        Rows expected;
        CDaoRecordset rs(db);
        QVERIFY(OpenScan(rs, Sql::ScanScores));
        for (; !rs.IsEOF(); rs.MoveNext()) {
            const QString name = VariantToText(rs.GetFieldValue(0));
            const QString number = VariantToText(rs.GetFieldValue(1));
            const bool bPersonal = scope == ScoreScope::Personal;
            if (bPersonal && !CurrentUser.OwnsScore(name, number))
                continue;
            QStringList row =
                bPersonal ? QStringList{CurrentUser.Name, CurrentUser.Class, CurrentUser.StudentNo}
                          : QStringList{name, {}, number};
            const QString kind = VariantToText(rs.GetFieldValue(3));
            row << kind << QString() << kind;
            for (int field = 4; field <= 9; ++field)
                row << VariantToText(rs.GetFieldValue(field));
            expected.append(row);
        }
        Rows listed;
        CScriptedPlatform platform;
        Drive(platform, [&listed](CDialog* dlg) {
            auto* list = dlg->Item<CListCtrl>(1024);
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
        QVERIFY(expected.size() > 64); // more than one span of the list
        QCOMPARE(listed, expected);
    }

    void unknownScopeListsNothing()
    {
        StoreScore(m_pDatabase->Admin(), u"Li Ming"_s, u"0001"_s, English, u"2"_s, u"45"_s, 88);
        CScriptedPlatform platform;
        QVERIFY(RunQuery(platform, 0).cells.isEmpty());
    }

    void failedOpenIsReportedWithEmptyList()
    {
        m_pDatabase->DropTable(u"score"_s);
        CScriptedPlatform platform;
        const Listing listed = RunQuery(platform, ScoreScope::Group);
        QCOMPARE(listed.headers.size(), 12);
        QVERIFY(listed.cells.isEmpty());
        QCOMPARE(platform.boxes.size(), 1);
        QVERIFY2(platform.boxes[0].text.startsWith(u"错误信息:"_s),
                 qPrintable(platform.boxes[0].text));
    }

    void commandSetsScopeAndRunsQuery_data() { emptyTableShowsHeadersOnly_data(); }
    void commandSetsScopeAndRunsQuery()
    {
        QFETCH(int, scope);
        ScoreQueryScope = 0;
        CScriptedPlatform platform;
        OpenScoreQuery(scope);
        QCOMPARE(ScoreQueryScope, scope);
        QCOMPARE(platform.modalRuns, QStringList{u"CScoreQueryDlg"_s});
        QVERIFY(platform.boxes.isEmpty());
    }

    void commandWithoutDatabaseOnlyWarns()
    {
        NoDatabase();
        ScoreQueryScope = 0;
        CScriptedPlatform platform;
        OpenScoreQuery(ScoreScope::Group);
        QCOMPARE(ScoreQueryScope, 0);
        QVERIFY(platform.modalRuns.isEmpty());
        QCOMPARE(platform.boxes.size(), 1);
        QCOMPARE(platform.boxes[0].text, NotConnected);
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestScoreQuery)
#include "tst_scorequery.moc"
