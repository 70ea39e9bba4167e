#include "attempts/AttemptStore.h"
#include "classroom/ClassroomCommands.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ClassChartDlg.h"
#include "reports/ClassReportDlg.h"
#include "reports/ClassReportModel.h"
#include "reports/ProgressDlg.h"
#include "reports/ReportCommands.h"
#include "reports/ReportRange.h"
#include "res/CommandIds.h"
#include "tests/DialogDriver.h"
#include "tests/TableReader.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QHeaderView>
#include <QLabel>
#include <QChart>
#include <QChartView>
#include <QTreeView>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

QDateTime At(int month, int day, const QTime& time)
{
    return QDateTime(QDate(2024, month, day), time);
}

void Store(CDaoDatabase* db, qint64 user, const QString& name, const QString& number, int kind,
           const QDateTime& at, qint64 ms, int typed, int correct,
           int endReason = EndReason::Escape)
{
    CAttempt attempt;
    attempt.nEndReason = endReason;
    attempt.nUserKey = user;
    attempt.strUserName = name;
    attempt.strStudentNo = number;
    attempt.nKind = kind;
    attempt.startedAt = at;
    attempt.endedAt = at.addMSecs(ms);
    attempt.nElapsedMs = ms;
    attempt.nTypedUnits = typed;
    attempt.nCorrectUnits = correct;
    QVERIFY(AppendScoreWithAttempt(db,
                                   {{0, CDaoFieldValue::FromText(name)},
                                    {1, CDaoFieldValue::FromText(number)},
                                    {9, CDaoFieldValue::FromInt16(0)}},
                                   &attempt));
}

// The rows of the report as shown.
Rows Shown(const CClassReportDlg* dlg)
{
    Rows rows;
    const QAbstractItemModel* model = dlg->m_pList->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells.append(model->index(r, c).data().toString());
        rows.append(cells);
    }
    return rows;
}

const QString ClassA = u"三年级二班"_s;
const QString ClassB = u"五年级一班"_s;

} // namespace

// The class report's command and the classroom's, as the main frame routes them.
struct CTeacherCommands
{
    CReportCommands reports;
    CClassroomCommands classroom;

    ICommandTarget& For(int id)
    {
        if (reports.HasCommandHandler(id))
            return reports;
        return classroom;
    }
};

class TestClassReport : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        // The class report is a teacher's.
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        const auto pupil = [this](const QString& name, const QString& cls, const QString& no) {
            return m_pDatabase->Insert(u"user"_s, {name, cls, no, u"pw"_s, u"普通用户"_s});
        };
        const qint64 fang = pupil(u"王芳"_s, ClassA, u"003"_s);
        const qint64 ming = pupil(u"李明"_s, ClassA, u"001"_s);
        pupil(u"张伟"_s, ClassA, u"002"_s); // never practised
        // A namesake in another class, with the same student number.
        const qint64 namesake = pupil(u"王芳"_s, ClassB, u"003"_s);
        // Chinese, in September: 25, 30 and 20 字/分, the last at the very end
        // of the range; one in October and one of English fall outside.
        Store(db, fang, u"王芳"_s, u"003"_s, 111, At(9, 2, {9, 0}), 60000, 30, 25);
        Store(db, fang, u"王芳"_s, u"003"_s, 111, At(9, 9, {10, 0}), 90000, 50, 45);
        Store(db, fang, u"王芳"_s, u"003"_s, 111, At(9, 30, {23, 59, 59, 999}), 60000, 20, 20);
        Store(db, fang, u"王芳"_s, u"003"_s, 111, At(10, 1, {0, 0}), 60000, 90, 90);
        Store(db, fang, u"王芳"_s, u"003"_s, 112, At(9, 3, {9, 0}), 60000, 100, 100);
        // 80 字/分 at the first moment of the range.
        Store(db, ming, u"李明"_s, u"001"_s, 111, At(9, 1, {0, 0}), 30000, 40, 40);
        Store(db, namesake, u"王芳"_s, u"003"_s, 111, At(9, 5, {9, 0}), 60000, 100, 100);
        m_nFang = fang;
    }
    void cleanup() { m_pDatabase.reset(); }

    void figuresOfAKnownSetOfAttempts()
    {
        CScriptedPlatform platform;
        platform.SetDate(QDate(2024, 10, 8));
        const QString xlsx = QDir::current().filePath(u"report.xlsx"_s);
        const QString csv = QDir::current().filePath(u"report.csv"_s);
        const QString pdf = QDir::current().filePath(u"report.pdf"_s);
        const QString printed = QDir::current().filePath(u"printed.pdf"_s);
        platform.AnswerFiles({xlsx, csv, pdf});
        platform.AnswerPrints({printed});
        QStringList classes;
        Rows byNumber, byBestDescending, other;
        QString summary, title;
        Listing pupilsRecord;
        QString recordCaption;
        QList<QPointF> weeks;
        QStringList bandLabels;
        QList<int> bandCounts;
        QString idleTitle;
        Drive<CClassReportDlg>(platform, [&](CClassReportDlg* dlg) {
            for (int i = 0; i < dlg->m_comboClass->count(); ++i)
                classes.append(dlg->m_comboClass->itemText(i));
            dlg->m_dateFrom->setDate(QDate(2024, 9, 1));
            dlg->m_dateTo->setDate(QDate(2024, 9, 30));
            dlg->ChooseItem(1003, ReportRange::Custom);
            byNumber = Shown(dlg);
            summary = dlg->m_wndSummary->text();
            title = dlg->m_pModel->Title();
            // A click on the header of 最快速度, twice: descending.
            dlg->m_pList->header()->setSortIndicator(CClassReportModel::BestSpeed,
                                                     Qt::DescendingOrder);
            byBestDescending = Shown(dlg);
            dlg->ClickButton(1011);
            dlg->ClickButton(1012);
            dlg->ClickButton(1014);
            dlg->ClickButton(1013);
            // A double-click on 王芳, now second.
            Drive<CProgressDlg>(platform, [&](CProgressDlg* record) {
                recordCaption = record->windowTitle();
                pupilsRecord = ListOf(record->m_listAttempts);
            });
            const QRect cell = dlg->m_pList->visualRect(dlg->m_pList->model()->index(1, 0));
            QTest::mouseClick(dlg->m_pList->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(dlg->m_pList->viewport(), Qt::LeftButton, {}, cell.center());
            Drive<CClassChartDlg>(platform, [&](CClassChartDlg* chart) {
                weeks = chart->WeekPoints();
                bandLabels = chart->BandLabels();
                bandCounts = chart->BandCounts();
                idleTitle = chart->m_pBands->chart()->title();
            });
            dlg->ClickButton(1010);
            dlg->ChooseItem(1001, 1);
            other = Shown(dlg);
        });
        CClassReportDlg dlg;
        dlg.DoModal();
        QCOMPARE(platform.unfinishedDialogs, 0);

        QCOMPARE(classes, (QStringList{ClassA, ClassB}));
        QCOMPARE(title, u"三年级二班 中文练习成绩(2024-09-01 至 2024-09-30)"_s);
        // In student-number order; 张伟 did not practise; 王芳's figures are
        // her own, not her namesake's, and only September's Chinese ones,
        // weighted by time: 90 characters in 3分30秒 and 90 of 100 right.
        const Rows expected{
            {u"李明"_s, u"001"_s, u"1"_s, u"80.0"_s, u"80.0"_s, u"80.0"_s, u"100.0"_s, u"30秒"_s,
             u"不可用"_s, u"不可用"_s},
            {u"张伟"_s, u"002"_s, u"0"_s, {}, {}, {}, {}, {}, {}, {}},
            {u"王芳"_s, u"003"_s, u"3"_s, u"30.0"_s, u"20.0"_s, u"25.7"_s, u"90.0"_s, u"3分30秒"_s,
             u"不可用"_s, u"不可用"_s},
        };
        QCOMPARE(byNumber, expected);
        QVERIFY2(summary.contains(u"共 3 名学生,2 人练习过,1 人没有练习"_s), qPrintable(summary));
        QCOMPARE(byBestDescending, (Rows{expected[0], expected[2], expected[1]}));
        QCOMPARE(other, (Rows{{u"王芳"_s, u"003"_s, u"1"_s, u"100.0"_s, u"100.0"_s, u"100.0"_s,
                               u"100.0"_s, u"1分00秒"_s, u"不可用"_s, u"不可用"_s}}));

        // Exported as shown: sorted by the best speed, numbers as numbers.
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0][0][1].toString(), title);
        QCOMPARE(rows[1][3][1].toString(), u"最快速度(字/分)"_s);
        QCOMPARE(rows[2].toArray(),
                 (QJsonArray{QJsonArray{u"s"_s, u"李明"_s}, QJsonArray{u"s"_s, u"001"_s},
                             QJsonArray{u"n"_s, 1, u"0"_s}, QJsonArray{u"n"_s, 80, u"0.0"_s},
                             QJsonArray{u"n"_s, 80, u"0.0"_s}, QJsonArray{u"n"_s, 80, u"0.0"_s},
                             QJsonArray{u"n"_s, 100, u"0.0"_s}, QJsonArray{u"t"_s, 30},
                             QJsonArray{u"s"_s, u"不可用"_s}, QJsonArray{u"s"_s, u"不可用"_s}}));
        QCOMPARE(rows[3][0][1].toString(), u"王芳"_s);
        QCOMPARE(rows[3][5][2].toString(), u"0.0"_s);
        QCOMPARE(qRound(rows[3][5][1].toDouble() * 1000), 25714);
        QCOMPARE(rows[3][6][1].toDouble(), 90.0);
        QCOMPARE(rows[3][7].toArray(), (QJsonArray{u"t"_s, 210}));
        QCOMPARE(
            rows[4].toArray(),
            (QJsonArray{QJsonArray{u"s"_s, u"张伟"_s}, QJsonArray{u"s"_s, u"002"_s},
                        QJsonArray{u"n"_s, 0, u"0"_s}, QJsonArray{u"-"_s, {}},
                        QJsonArray{u"-"_s, {}}, QJsonArray{u"-"_s, {}}, QJsonArray{u"-"_s, {}},
                        QJsonArray{u"-"_s, {}}, QJsonArray{u"-"_s, {}}, QJsonArray{u"-"_s, {}}}));
        const QJsonArray csvRows = ReadTable(csv)[u"rows"_s].toArray();
        QCOMPARE(csvRows.size(), 5);
        QCOMPARE(csvRows[3].toArray(),
                 (QJsonArray{u"王芳"_s, u"003"_s, u"3"_s, u"30.0"_s, u"20.0"_s, u"25.7"_s,
                             u"90.0"_s, u"0:03:30"_s, u"不可用"_s, u"不可用"_s}));
        QCOMPARE(PdfPages(pdf), 1);
        QCOMPARE(PdfPages(printed), 1);
        QVERIFY(PdfPageTexts(pdf).value(0).contains(u"王芳"_s));
        QCOMPARE(platform.boxes.size(), 3); // "已导出到 …" after each file

        // The double-click opens 王芳's own record, read-only: all her five
        // attempts, none of her namesake's.
        QCOMPARE(recordCaption, u"王芳的练习记录"_s);
        QCOMPARE(pupilsRecord.cells.size(), 5);

        // Weeks from Monday: 1 September is a Sunday (李明, 80); then 王芳's
        // 25, 30 and 20. Best speeds 80 and 30 in bands of 10; one pupil idle.
        const auto monday = [](int month, int day) {
            return double(QDate(2024, month, day).startOfDay().toMSecsSinceEpoch());
        };
        QCOMPARE(
            weeks,
            (QList<QPointF>{
                {monday(8, 26), 80}, {monday(9, 2), 25}, {monday(9, 9), 30}, {monday(9, 30), 20}}));
        QCOMPARE(bandLabels.size(), 9);
        QCOMPARE(bandLabels.first(), u"0"_s);
        QCOMPARE(bandLabels.last(), u"80"_s);
        QCOMPARE(bandCounts, (QList<int>{0, 0, 0, 1, 0, 0, 0, 0, 1}));
        QCOMPARE(idleTitle, u"没有练习:1 人"_s);
    }

    void rangesOfDays_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("this week starts on Monday")
            << int(ReportRange::ThisWeek) << QDate(2024, 9, 8) << QDate(2024, 9, 2)
            << QDate(2024, 9, 8);
        QTest::newRow("this month") << int(ReportRange::ThisMonth) << QDate(2024, 2, 29)
                                    << QDate(2024, 2, 1) << QDate(2024, 2, 29);
        QTest::newRow("autumn term in January") << int(ReportRange::ThisTerm) << QDate(2025, 1, 10)
                                                << QDate(2024, 9, 1) << QDate(2025, 1, 10);
        QTest::newRow("spring term") << int(ReportRange::ThisTerm) << QDate(2025, 6, 30)
                                     << QDate(2025, 2, 1) << QDate(2025, 6, 30);
        QTest::newRow("all days") << int(ReportRange::All) << QDate(2025, 6, 30) << QDate()
                                  << QDate();
    }
    // The report's best speed follows the rule of 我的练习记录: an attempt
    // counts when it lasted 30 s or typed its whole screen, however short.
    void bestCountsAWholeScreenOfAnyLength()
    {
        const QString cls = u"六年级一班"_s;
        const qint64 min = m_pDatabase->Insert(u"user"_s, {u"赵敏"_s, cls, u"009"_s, u"pw"_s});
        CDaoDatabase* db = m_pDatabase->Admin();
        // 120 字/分 over a whole screen in 20 s; 180 over 10 s left with Esc;
        // 30 over a minute.
        Store(db, min, u"赵敏"_s, u"009"_s, 111, At(9, 2, {9, 0}), 20000, 40, 40,
              EndReason::EndOfScreen);
        Store(db, min, u"赵敏"_s, u"009"_s, 111, At(9, 3, {9, 0}), 10000, 30, 30);
        Store(db, min, u"赵敏"_s, u"009"_s, 111, At(9, 4, {9, 0}), 60000, 30, 30);
        const CClassReport report = LoadClassReport(*m_pDatabase->Database(), cls, 111, {});
        QCOMPARE(report.pupils.size(), 1);
        QCOMPARE(report.pupils[0].figures.dBestSpeed, 120.0);
    }

    void rangesOfDays()
    {
        QFETCH(int, preset);
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        const CDayRange range = ReportRange::Of(preset, today);
        QCOMPARE(range.from, from);
        QCOMPARE(range.to, to);
    }

    void commandsForATeacherOnly_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("super user") << int(UserKind::Super) << true;
        QTest::newRow("ordinary user") << int(UserKind::Ordinary) << false;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << false;
    }
    void commandsForATeacherOnly()
    {
        QFETCH(int, kindCode);
        QFETCH(bool, enabled);
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = kindCode;
        CTeacherCommands commands;
        for (const int id : {ID_TEACHING_CLASS_REPORT, ID_TEACHING_CLASS_LIST,
                             ID_TEACHING_IMPORT_PUPILS, ID_TEACHING_LOGIN_CARDS}) {
            CCmdUI state(id);
            QVERIFY(commands.For(id).OnUpdateCmdUI(state));
            QCOMPARE(state.m_bEnabled, enabled);
        }
    }

    void commandsGuardTheDatabase()
    {
        CScriptedPlatform platform;
        NoDatabase();
        CTeacherCommands commands;
        for (const int id : {ID_TEACHING_CLASS_REPORT, ID_TEACHING_CLASS_LIST,
                             ID_TEACHING_IMPORT_PUPILS, ID_TEACHING_LOGIN_CARDS})
            QVERIFY(commands.For(id).OnCmdMsg(id));
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(platform.fileChoosers.isEmpty());
        CompareBoxes(platform, Rows(4, Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)));
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
    qint64 m_nFang = 0;
};

QE_TEST_MAIN(TestClassReport)
#include "tst_classreport.moc"
