#include "attempts/AttemptStore.h"
#include "attempts/DailyGoal.h"
#include "attempts/LessonAttemptStore.h"
#include "attempts/PracticeKind.h"
#include "attempts/Titles.h"
#include "classroom/ClassroomCommands.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ClassChartDlg.h"
#include "reports/ClassReportDlg.h"
#include "reports/ClassReportModel.h"
#include "reports/DailyGoalDlg.h"
#include "reports/DoubtsDlg.h"
#include "reports/GradeRulesDlg.h"
#include "reports/PracticeCalendarDlg.h"
#include "reports/PracticeTimeDlg.h"
#include "reports/ProgressChart.h"
#include "reports/ProgressDlg.h"
#include "reports/ReportCommands.h"
#include "reports/ReportRange.h"
#include "res/CommandIds.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/LoginFixture.h"
#include "tests/TableReader.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/Session.h"

#include <QCalendarWidget>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QTextCharFormat>
#include <QTreeView>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassA = u"三年级二班"_s;
const QString ClassB = u"五年级一班"_s;
constexpr qint64 Pupil = 7;
constexpr qint64 OtherPupil = 8;

QDateTime At(int month, int day, const QTime& time)
{
    return QDateTime(QDate(2024, month, day), time);
}

QDateTime Sept(int day, int hour)
{
    return QDateTime(QDate(2024, 9, day), QTime(hour, 0));
}

// An attempt and its score row, of a pupil named or (name empty) not.
void Store(CDaoDatabase* db, qint64 user, int kind, const QDateTime& at, qint64 ms, int typed,
           int correct, const QList<CMistake>& mistakes = {}, const QString& name = {},
           const QString& number = {}, int endReason = EndReason::Escape)
{
    CAttempt attempt = TimedAttempt(user, kind, at, ms, typed, correct);
    attempt.nEndReason = endReason;
    attempt.strUserName = name;
    attempt.strStudentNo = number;
    attempt.mistakes = mistakes;
    StoreWithScore(*db, attempt, name, name.isEmpty() ? QString() : number);
}

// The rows of the class report as shown, "a|b|…" each.
QStringList Shown(const CClassReportDlg* dlg)
{
    SettleWorker(); // the report is read on the worker
    Rows rows;
    const QAbstractItemModel* model = dlg->m_pList->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells.append(model->index(r, c).data().toString());
        rows.append(cells);
    }
    return RowLines(rows);
}

QString Json(const QJsonValue& value)
{
    return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
}

// What 我的练习记录 showed for one kind.
struct KindShown
{
    QString figures;
    Rows mistakes;
    QList<QPointF> speeds;
    QList<QPointF> accuracies;
};

// The kind of the item chosen (0 中文, 1 英文, 2 数字, 3 符号), as shown.
KindShown Capture(CProgressDlg* dlg, int item)
{
    dlg->ChooseItem(1002, item);
    SettleWorker(); // the kind's mistakes are read on the worker
    return {dlg->m_wndFigures->text(), ListOf(dlg->m_listMistakes).cells,
            dlg->m_pChart->SpeedPoints(), dlg->m_pChart->AccuracyPoints()};
}

QPointF Point(const QDateTime& when, double value)
{
    return {double(when.toMSecsSinceEpoch()), value};
}

// The attempts of 我的练习记录's figures, stored in an order not theirs.
void StoreKnown(CDaoDatabase* db)
{
    Store(db, Pupil, 111, Sept(3, 9), 90000, 50, 45,
          {{1, u"的"_s, u"地"_s}, {4, u"了"_s, u"啦"_s}, {6, u"是"_s, u"事"_s}});
    Store(db, Pupil, 111, Sept(2, 9), 60000, 30, 25,
          {{2, u"的"_s, u"地"_s}, {5, u"的"_s, u"得"_s}, {9, u"是"_s, u"事"_s}});
    Store(db, OtherPupil, 111, Sept(5, 9), 30000, 40, 40, {{0, u"的"_s, u"滴"_s}});
    Store(db, Pupil, 112, Sept(2, 10), 30000, 100, 95, {{0, u"T"_s, u"t"_s}, {10, u" "_s, u"x"_s}});
    // Symbols a to y mistyped 1 to 25 times (as ';' each time).
    QList<CMistake> symbols;
    for (int k = 0; k < 25; ++k)
        for (int n = 0; n <= k; ++n)
            symbols.append({int(symbols.size()), QString(QChar(u'a' + k)), u";"_s});
    Store(db, Pupil, 114, Sept(1, 9), 120000, 400, 75, symbols);
    Store(db, Pupil, 111, Sept(4, 8), 0, 0, 0);
}

} // namespace

// What the figures say: the teacher's class report with its chart and
// exports, and a pupil's own record (我的练习记录).
class TestReports : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    void classReportOfAKnownSetOfAttempts()
    {
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
        Store(db, fang, 111, At(9, 2, {9, 0}), 60000, 30, 25, {}, u"王芳"_s, u"003"_s);
        {
            // Her second through an input method whose keys were seen: 15
            // words of two and 20 single characters standing, one more taken
            // back, two picked by a digit; 150 keys, 5 of them Backspaces.
            CAttempt typed = TimedAttempt(fang, 111, At(9, 9, {10, 0}), 90000, 50, 45);
            typed.strUserName = u"王芳"_s;
            typed.strStudentNo = u"003"_s;
            typed.nKeyPresses = 150;
            typed.nBackspacePresses = 5;
            for (int i = 0; i < 36; ++i) {
                CCommitUnit& unit = typed.detail.commits.emplace_back();
                unit.strCommitted = unit.strExpected = i < 15 ? u"我们"_s : u"的"_s;
                unit.nKeyCount = i < 15 ? 6 : 3;
                unit.nPicked = i < 2 ? CCommitUnit::ByDigit : CCommitUnit::First;
                unit.nDeleted = i == 35 ? 1 : 0;
            }
            StoreWithScore(*db, typed, u"王芳"_s, u"003"_s);
        }
        Store(db, fang, 111, At(9, 30, {23, 59, 59, 999}), 60000, 20, 20, {}, u"王芳"_s, u"003"_s);
        Store(db, fang, 111, At(10, 1, {0, 0}), 60000, 90, 90, {}, u"王芳"_s, u"003"_s);
        Store(db, fang, 112, At(9, 3, {9, 0}), 60000, 100, 100, {}, u"王芳"_s, u"003"_s);
        // 80 字/分 at the first moment of the range.
        Store(db, ming, 111, At(9, 1, {0, 0}), 30000, 40, 40, {}, u"李明"_s, u"001"_s);
        Store(db, namesake, 111, At(9, 5, {9, 0}), 60000, 100, 100, {}, u"王芳"_s, u"003"_s);
        // Beside her 赵敏: 120 字/分 over a whole screen in 20 s, 180 over 10 s
        // left with Esc, 30 over a minute; and 钱多, only the 180 over 10 s.
        const qint64 min = pupil(u"赵敏"_s, ClassB, u"009"_s);
        const qint64 qian = pupil(u"钱多"_s, ClassB, u"010"_s);
        Store(db, min, 111, At(9, 2, {9, 0}), 20000, 40, 40, {}, u"赵敏"_s, u"009"_s,
              EndReason::EndOfScreen);
        Store(db, min, 111, At(9, 3, {9, 0}), 10000, 30, 30, {}, u"赵敏"_s, u"009"_s);
        Store(db, min, 111, At(9, 4, {9, 0}), 60000, 30, 30, {}, u"赵敏"_s, u"009"_s);
        Store(db, qian, 111, At(9, 3, {9, 0}), 10000, 30, 30, {}, u"钱多"_s, u"010"_s);
        // A server kept her whole screen in doubt (可疑): it counts for no
        // figure until a teacher confirms it.
        db->Execute(u"UPDATE attempt SET checked = 2, doubt = 'x' WHERE user_key = %1 "
                    "AND elapsed_ms = 20000"_s.arg(min));

        CScriptedPlatform platform;
        platform.SetDate(QDate(2024, 10, 8));
        const QString xlsx = QDir::current().filePath(u"report.xlsx"_s);
        const QString csv = QDir::current().filePath(u"report.csv"_s);
        const QString pdf = QDir::current().filePath(u"report.pdf"_s);
        const QString printed = QDir::current().filePath(u"printed.pdf"_s);
        platform.AnswerFiles({xlsx, csv, pdf});
        platform.AnswerPrints({printed});
        QStringList classes, byNumber, byBestDescending, other, bandLabels;
        QString summary, title, recordCaption, idleTitle;
        Listing pupilsRecord;
        QList<QPointF> weeks;
        QList<int> bandCounts;
        Drive<CClassReportDlg>(platform, [&](CClassReportDlg* dlg) {
            classes = Items(dlg->m_comboClass);
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
        CClassReportDlg dlg(CSession::Instance());
        dlg.DoModal();
        // Opened again, it shows the class and kind looked at last.
        QString reopenedOn;
        Drive<CClassReportDlg>(platform, [&](CClassReportDlg* again) {
            reopenedOn = again->m_comboClass->currentText() + again->m_comboKind->currentText();
        });
        CClassReportDlg again(CSession::Instance());
        again.DoModal();
        QCOMPARE(reopenedOn, classes.value(1) + u"中文"_s);
        QCOMPARE(platform.unfinishedDialogs, 0);
        // 我的练习记录 shows the dash too, and why.
        QString figures;
        Drive<CProgressDlg>(platform,
                            [&](CProgressDlg* record) { figures = record->GetDlgItemText(1003); });
        CProgressDlg(CSession::Instance(), qian, QString()).DoModal();
        QCOMPARE(figures, u"共 1 次   最快 —   平均 —   最高正确率 —   平均正确率 —   击键 —   "
                          "码长 — (练满30秒的练习才计入)"_s);

        QCOMPARE(classes, (QStringList{ClassA, ClassB}));
        QCOMPARE(title, u"三年级二班 中文练习成绩(2024-09-01 至 2024-09-30)"_s);
        // In student-number order; 张伟 did not practise; 王芳's figures are
        // her own, not her namesake's, and only September's Chinese ones,
        // weighted by time: 90 characters in 3分30秒 and 90 of 100 right.
        // By the program's rule 李明's 80 at 100% is 优秀; 王芳's best grade
        // is her 30 at 90%, 及格, not her 25 at 83%.
        // Her keys are known for her second: 击键 150 over 90 s, 码长 150 over
        // 45; 回改 1 of 100 typed; 键准 (150 - 5 - 3) / 150; 选重 2 and 打词率
        // 30 of the 50 typed with commits.
        const QStringList expected{
            u"李明|001|1|80.0|80.0|80.0|100|优秀|30秒|不可用|不可用||0.0|不可用||"_s,
            u"张伟|002|0|||||||||||||"_s,
            u"王芳|003|3|30.0|20.0|25.7|90|及格|3分30秒|1.67|3.33||1.0|94|4.0|60"_s,
        };
        QCOMPARE(byNumber, expected);
        QVERIFY2(summary.contains(u"共 3 名学生,2 人练习过,1 人没有练习"_s), qPrintable(summary));
        QCOMPARE(byBestDescending, (QStringList{expected[0], expected[2], expected[1]}));
        // Class B, still by the best speed. The best follows the rule of
        // 我的练习记录: an attempt counts when it lasted 30 s or typed its
        // whole screen, however short, and is not in doubt. With none that
        // counts there is no best and no average: a dash. A server doubts
        // the 180 over 10 s too: above 160, the speed of a class it cannot
        // place in a school year.
        const bool bServer = m_pDatabase->IsPostgres();
        QCOMPARE(
            other,
            (QStringList{
                u"王芳|003|1|100.0|100.0|100.0|100|优秀|1分00秒|不可用|不可用||0.0|不可用||"_s,
                u"赵敏|009|3|30.0|30.0|30.0|100|及格|1分30秒|不可用|不可用|%1|0.0|不可用||"_s.arg(
                    bServer ? 2 : 1),
                u"钱多|010|1|—|180.0|—|—|—|10秒|—|—|%1|0.0|不可用||"_s.arg(bServer ? u"1"_s
                                                                                   : QString())}));

        // Exported as shown: sorted by the best speed, numbers as numbers.
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0][0][1].toString(), title);
        QCOMPARE(Json(rows[2]),
                 uR"([["s","李明"],["s","001"],["n",1,"0"],["n",80,"0.0"],)"
                 uR"(["n",80,"0.0"],["n",80,"0.0"],["n",100,"0"],["s","优秀"],["t",30],)"
                 uR"(["s","不可用"],["s","不可用"],["-",null],["n",0,"0.0"],["s","不可用"],)"
                 uR"(["-",null],["-",null]])"_s);
        QCOMPARE(rows[3][5][1].toDouble(), 25.7); // as shown, not 25.714…
        QCOMPARE(Json(rows[4]), uR"([["s","张伟"],["s","002"],["n",0,"0"],["-",null],)"
                                uR"(["-",null],["-",null],["-",null],["-",null],["-",null],)"
                                uR"(["-",null],["-",null],["-",null],["-",null],["-",null],)"
                                uR"(["-",null],["-",null]])"_s);
        const QJsonArray csvRows = ReadTable(csv)[u"rows"_s].toArray();
        QCOMPARE(csvRows.size(), 5);
        QCOMPARE(
            Json(csvRows[3]),
            uR"(["王芳","003","3","30.0","20.0","25.7","90","及格","0:03:30","1.67","3.33","",)"
            uR"("1.0","94","4.0","60"])"_s);
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
        QCOMPARE(bandLabels.join(u' '), u"0 10 20 30 40 50 60 70 80"_s);
        QCOMPARE(bandCounts, (QList<int>{0, 0, 0, 1, 0, 0, 0, 0, 1}));
        QCOMPARE(idleTitle, u"没有练习:1 人"_s);
    }

    // On a server, a result faster than its class plausibly types is 可疑:
    // marked in 成绩查詢 and listed in 可疑成绩 until the teacher confirms it;
    // the teacher sets a class's plausible speed there, within its bounds.
    void resultsInDoubtWaitForTheTeacher()
    {
        if (!m_pDatabase->IsPostgres())
            QSKIP("a database file doubts nothing");
        m_pDatabase->SignInAsTeacher();
        const QString cls = u"一年级一班"_s;
        const qint64 liu =
            m_pDatabase->Insert(u"user"_s, {u"刘洋"_s, cls, u"011"_s, u"pw"_s, u"普通用户"_s});
        // 40 字 in 20 s: 120 a minute, above a first year's 30.
        CAttempt fast = TimedAttempt(liu, 111, At(9, 2, {9, 0}), 20000, 40, 40);
        fast.strClass = cls;
        fast.strUserName = u"刘洋"_s;
        StoreScoreWithAttempt(*m_pDatabase->Admin(),
                              {{0, CDaoFieldValue::FromText(u"刘洋"_s)},
                               {3, CDaoFieldValue::FromText(u"中文测试"_s)}},
                              &fast);
        CScriptedPlatform platform;
        const auto scoreType = [&platform] {
            QString shown;
            Drive<CScoreQueryDlg>(platform, [&](CScoreQueryDlg* dlg) {
                shown = ListOf(dlg->m_listScore).cells.value(0).value(5);
            });
            OpenScoreQuery(ScoreScope::Group);
            return shown;
        };
        QCOMPARE(scoreType(), u"中文测试 可疑"_s);

        platform.AnswerBoxes({IDYES, IDOK});
        Rows before, after;
        QString defaults, set;
        Drive<CDoubtsDlg>(platform, [&](CDoubtsDlg* dlg) {
            before = ListOf(dlg->m_listResults).cells;
            dlg->m_listResults->selectRow(0);
            ClickAndWait(dlg, 1002);
            after = ListOf(dlg->m_listResults).cells;
            ChooseAndWait(dlg, 1003, dlg->m_comboClass->findData(cls));
            defaults = dlg->GetDlgItemText(1004) + u' ' + dlg->m_editChinese->text() + u' ' +
                       dlg->m_editOthers->text();
            for (const QString& chinese : {u"5"_s, u"60"_s}) {
                dlg->m_editChinese->setText(chinese);
                ClickAndWait(dlg, 1007);
            }
            set = dlg->GetDlgItemText(1004) + u' ' + dlg->m_editChinese->text();
        });
        OpenDoubts(CSession::Instance());
        QCOMPARE(RowLines(before), (QStringList{u"2024-09-02 09:00:00|刘洋|一年级一班|中文练习|"
                                                "120.0 字/分|100%|每分钟120字,超过本班的可信速度"
                                                "(每分钟30字)"_s}));
        QVERIFY(after.isEmpty());
        QCOMPARE(defaults, u"一年级;按年级的默认速度 30 120"_s);
        QCOMPARE(set, u"一年级;老师设定的速度 60"_s);
        QCOMPARE(platform.boxes.value(1).text, u"中文的可信速度应为 10 到 400 之间的数。"_s);
        // Confirmed, it is marked no more.
        QCOMPARE(scoreType(), u"中文测试"_s);
    }

    // 练习时间: a pupil's week is the time of every practice and lesson
    // (results in doubt left out), the days, and the sessions (practices
    // less than ten minutes apart are one) with the median's length; the
    // pupils who did not practise come first, and the export says the week.
    void practiceTimeOfAWeekPutsTheIdleFirst()
    {
        const auto at = [](int day, int hour, int minute) {
            return QDateTime(QDate(2024, 9, day), QTime(hour, minute));
        };
        const auto minutes = [](qint64 m) { return m * 60000; };
        // Monday 8:00-8:10 and 8:12-8:17 are one 17-minute session; then 4
        // minutes on Tuesday and two 6-minute ones on Wednesday, 24 apart.
        const QList<CPracticeSpan> spans{{at(4, 9, 30), minutes(6)},
                                         {at(2, 8, 0), minutes(10)},
                                         {at(3, 15, 0), minutes(4)},
                                         {at(2, 8, 12), minutes(5)},
                                         {at(4, 9, 0), minutes(6)}};
        const CPracticeWeek week = PracticeTime::Of({}, spans);
        QCOMPARE(std::tuple(week.nMs, week.nDays, week.nSessions, week.nMedianSessionMs),
                 std::tuple(minutes(31), 3, 4, minutes(6)));
        QCOMPARE(PracticeTime::Of({}, {}).nSessions, 0);

        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        const auto pupil = [this](const QString& name, const QString& no) {
            return m_pDatabase->Insert(u"user"_s, {name, ClassA, no, u"pw"_s, u"普通用户"_s});
        };
        const qint64 fang = pupil(u"王芳"_s, u"003"_s);
        const qint64 ming = pupil(u"李明"_s, u"001"_s);
        pupil(u"张伟"_s, u"002"_s); // nothing this week
        Store(db, fang, 111, at(2, 8, 0), minutes(10), 30, 30, {}, u"王芳"_s, u"003"_s);
        Store(db, fang, 112, at(8, 20, 0), minutes(5), 30, 30, {}, u"王芳"_s, u"003"_s);
        Store(db, fang, 111, at(9, 8, 0), minutes(30), 30, 30, {}, u"王芳"_s,
              u"003"_s); // next week
        Store(db, ming, 111, at(3, 8, 0), minutes(20), 30, 30, {}, u"李明"_s, u"001"_s);
        db->Execute(u"UPDATE attempt SET checked = 2, doubt = 'x' WHERE user_key = %1"_s.arg(ming));
        CLessonAttempt lesson;
        lesson.nUserKey = ming;
        lesson.strCourse = u"fingering"_s;
        lesson.nLesson = 1;
        lesson.startedAt = lesson.endedAt = at(5, 10, 0);
        lesson.nElapsedMs = minutes(3);
        LessonAttemptStore::Store(*db, lesson);

        LogInTeacher(*m_pDatabase);
        CScriptedPlatform platform;
        platform.SetDate(QDate(2024, 9, 5));
        const QString csv = QDir::current().filePath(u"time.csv"_s);
        platform.AnswerFiles({csv});
        QStringList shown;
        Drive<CPracticeTimeDlg>(platform, [&](CPracticeTimeDlg* dlg) {
            SettleWorker();
            shown = Lines(dlg->m_listPupils);
            dlg->ClickButton(1012);
        });
        QVERIFY(CReportCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_PRACTICE_TIME));
        QCOMPARE(shown, (QStringList{u"002|张伟|0.0|0|0|0.0"_s, u"001|李明|3.0|1|1|3.0"_s,
                                     u"003|王芳|15.0|2|2|7.5"_s}));
        const QJsonArray rows = ReadTable(csv)[u"rows"_s].toArray();
        QCOMPARE(rows[0][0].toString(), u"三年级二班 练习时间(2024-09-02 至 2024-09-08)"_s);
        QCOMPARE(rows[4][2].toString(), u"15.0"_s);
    }

    // 等级: a result meets a grade when its speed and its accuracy both
    // reach it, and a pupil's best grade is that of the attempts that
    // count. A class without its own rule follows the school's, the school
    // without one the program's; 等级标准 keeps what a teacher sets there
    // and refuses a rule out of order.
    void gradesFollowTheClassThenTheSchool()
    {
        const CGradeRule chinese = Grades::Default(PracticeKind::Chinese);
        QCOMPARE(Grades::Of(chinese, 50, 95), Grade::Excellent);
        QCOMPARE(Grades::Of(chinese, 49.9, 100), Grade::Good);
        QCOMPARE(Grades::Of(chinese, 200, 89), Grade::Pass);
        QCOMPARE(Grades::Of(chinese, 200, 84), Grade::Fail);
        const auto attempt = [](qint64 ms, int correct, bool bInDoubt) {
            CAttemptSummary a;
            a.nKind = PracticeKind::Chinese;
            a.nElapsedMs = ms;
            a.nTypedUnits = a.nCorrectUnits = correct;
            a.bInDoubt = bInDoubt;
            return a;
        };
        // 60 字/分 in doubt and 120 over 10 s count for nothing; 30 over a
        // minute is 及格.
        const QList<CAttemptSummary> tries{attempt(60000, 60, true), attempt(10000, 20, false)};
        QCOMPARE(Grades::Best(chinese, tries), std::nullopt);
        QCOMPARE(Grades::Best(chinese, tries + QList{attempt(60000, 30, false)}), Grade::Pass);

        m_pDatabase->SignInAsTeacher();
        m_pDatabase->Insert(u"user"_s, {u"李明"_s, ClassA, u"001"_s, u"pw"_s, u"普通用户"_s});
        CScriptedPlatform platform;
        const QList<int> edits{1005, 1006, 1007, 1008, 1009, 1010};
        const auto shown = [&edits](CGradeRulesDlg* dlg) {
            QStringList texts{dlg->GetDlgItemText(1003)};
            for (int id : edits)
                texts.append(dlg->GetDlgItemText(id));
            return texts.join(u' ');
        };
        const auto stored = [this] {
            return SelectRows(m_pDatabase->Admin(),
                              u"SELECT class_name, kind, excellent_speed, pass_speed, "
                              "pass_accuracy FROM grade_rule ORDER BY class_name, kind"_s);
        };
        QString schoolDefault, english, classFollows, classOwn, afterDefault;
        bool bRefusedStaysOpen = false;
        // The school's Chinese rule.
        Drive<CGradeRulesDlg>(platform, [&](CGradeRulesDlg* dlg) {
            schoolDefault = shown(dlg);
            ChooseAndWait(dlg, 1002, 1);
            english = dlg->GetDlgItemText(1004) + u' ' + shown(dlg);
            ChooseAndWait(dlg, 1002, 0);
            Fill(dlg, Edits(edits, {u"60"_s, u"95"_s, u"40"_s, u"90"_s, u"25"_s, u"85"_s}));
            Press(dlg, 1);
        });
        CGradeRulesDlg(CSession::Instance()).DoModal();
        QCOMPARE(schoolDefault, u"全校用程序的默认标准。 50 95 35 90 20 85"_s);
        QCOMPARE(english, u"速度至少(WPM) 全校用程序的默认标准。 40 95 30 90 20 85"_s);
        QCOMPARE(stored(), (QStringList{u"|111|60|25|85"_s}));
        // The class's own: first out of order, then kept.
        Drive<CGradeRulesDlg>(platform, [&](CGradeRulesDlg* dlg) {
            ChooseAndWait(dlg, 1001, dlg->m_comboClass->findData(ClassA));
            classFollows = shown(dlg);
            Fill(dlg, Edits(edits, {u"30"_s, u"95"_s, u"20"_s, u"90"_s, u"25"_s, u"80"_s}));
            bRefusedStaysOpen = Press(dlg, 1);
            Fill(dlg, Edits(edits, {u"30"_s, u"95"_s, u"20"_s, u"90"_s, u"10"_s, u"80"_s}));
            Press(dlg, 1);
        });
        CGradeRulesDlg(CSession::Instance()).DoModal();
        QCOMPARE(classFollows, u"本班用全校的标准。 60 95 40 90 25 85"_s);
        QVERIFY(bRefusedStaysOpen);
        QCOMPARE(platform.boxes.value(0).text, u"及格的要求不能高于良好的要求。"_s);
        QCOMPARE(stored(), (QStringList{u"|111|60|25|85"_s, ClassA + u"|111|30|10|80"_s}));
        QCOMPARE(GradeStore::Load(*m_pDatabase->Admin()).For(u"五年级二班"_s, 111).bars[2].nSpeed,
                 25);
        // 恢复默认 shows the school's rule again; kept, the class follows it.
        Drive<CGradeRulesDlg>(platform, [&](CGradeRulesDlg* dlg) {
            ChooseAndWait(dlg, 1001, dlg->m_comboClass->findData(ClassA));
            classOwn = shown(dlg);
            dlg->ClickButton(1011);
            afterDefault = shown(dlg);
            Press(dlg, 1);
        });
        CGradeRulesDlg(CSession::Instance()).DoModal();
        QCOMPARE(classOwn, u"本班有自己的标准。 30 95 20 90 10 80"_s);
        QCOMPARE(afterDefault, u"本班有自己的标准。 60 95 40 90 25 85"_s);
        QCOMPARE(stored(), (QStringList{u"|111|60|25|85"_s}));
        QCOMPARE(platform.unfinishedDialogs, 0);
    }

    // 练习日历: the pupil's days tinted by the minutes practised, this week's
    // minutes and days, the days in a row (not broken before today is
    // over), and the weeks of the range with each kind's speed.
    void calendarTintsTheDaysAndCountsTheRow()
    {
        const QMap<QDate, qint64> byDay{{QDate(2024, 9, 2), 1}, {QDate(2024, 9, 3), 1}};
        QCOMPARE(PracticeTime::DaysInARow(byDay, QDate(2024, 9, 3)), 2);
        QCOMPARE(PracticeTime::DaysInARow(byDay, QDate(2024, 9, 4)), 2); // today not over
        QCOMPARE(PracticeTime::DaysInARow(byDay, QDate(2024, 9, 5)), 0);

        CDaoDatabase* db = m_pDatabase->Admin();
        Store(db, Pupil, 111, Sept(2, 9), 60000, 30, 30);
        Store(db, Pupil, 112, Sept(3, 9), 60000, 190, 190);
        Store(db, Pupil, 111, Sept(4, 9), 1800000, 900, 900);
        Store(db, Pupil, 111, At(8, 28, {9, 0}), 900000, 450, 450);
        Store(db, OtherPupil, 111, Sept(4, 10), 600000, 300, 300); // not hers
        // The first one's keys were seen: 40, 2 Backspaces taking 2 back, so
        // 键准 (40 - 2 - 2) / 40 for its week; the week before shows none.
        db->Execute(u"UPDATE attempt SET key_presses = 40, backspace_presses = 2, backspaces = 2 "
                    "WHERE elapsed_ms = 60000 AND kind = 111"_s);
        LogInPupil(Pupil, {}, {}, {}, m_pDatabase.get());
        CScriptedPlatform platform;
        platform.SetDate(QDate(2024, 9, 5));
        QString summary;
        QStringList term, all;
        QList<QColor> tints;
        Drive<CPracticeCalendarDlg>(platform, [&](CPracticeCalendarDlg* dlg) {
            SettleWorker();
            summary = dlg->GetDlgItemText(1002);
            for (const QDate day :
                 {QDate(2024, 9, 2), QDate(2024, 9, 4), QDate(2024, 8, 28), QDate(2024, 9, 5)})
                tints.append(dlg->m_pCalendar->dateTextFormat(day).background().color());
            term = Lines(dlg->m_listWeeks);
            dlg->m_comboRange->setCurrentIndex(3);
            dlg->OnCommand(1003);
            all = Lines(dlg->m_listWeeks);
        });
        QVERIFY(CReportCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_CALENDAR));
        // Her 30 字/分 at 键准 90% is 熟练; the English 38 WPM showed no keys.
        QCOMPARE(summary, u"本周(周一起)练习了 32.0 分钟,3 天。\n已经连续练习 3 天。\n"
                          "称号(速度和键准都要达到):\n"
                          "中文:熟练。下一个是“快手”:50 字/分,键准 80%。\n"
                          "英文:还没有称号。下一个是“入门”:10 WPM,键准 60%。"_s);
        // Speed bought with mistakes earns the rung its 键准 allows: 130
        // at 65% is 入门, 40 at 75% 熟练; keys not seen earn nothing.
        QCOMPARE(Titles::Reached(111, {{111, 130, 65}, {111, 40, 75}}), 1);
        QCOMPARE(Titles::Reached(111, {{111, 130, 65}}), 0);
        QCOMPARE(Titles::Reached(111, {{111, 130, -1}, {112, 90, 99}}), -1);
        using Dlg = CPracticeCalendarDlg;
        QCOMPARE(tints, (QList<QColor>{Dlg::Tint(60000), Dlg::Tint(1800000), Dlg::Tint(900000),
                                       QTextCharFormat().background().color()}));
        QVERIFY(Dlg::Tint(60000) != Dlg::Tint(900000) && Dlg::Tint(900000) != Dlg::Tint(1800000));
        QCOMPARE(term, QStringList{u"2024-09-02|32.0|3|30.0|38.0|||90%"_s});
        QCOMPARE(all, (QStringList{u"2024-08-26|15.0|1|30.0||||不可用"_s, term.value(0)}));
    }

    // 每日目标: a day meets it with its minutes and the accuracy over what
    // was typed; the days in a row count back from today once met, else
    // from yesterday. A teacher sets it for the school or a class, and a
    // class's goal equal to the school's is not kept.
    void dailyGoalCountsTheDaysMetInARow()
    {
        const CDailyGoal goal; // 15 minutes, 90 %
        const auto day = [](qint64 minutes, int typed, int correct) {
            return QList<CPracticeSpan>{{Sept(2, 9), minutes * 60000, 111, correct, typed}};
        };
        QVERIFY(DailyGoal::Met(goal, day(15, 100, 90)));
        QVERIFY(!DailyGoal::Met(goal, day(14, 100, 100)));
        QVERIFY(!DailyGoal::Met(goal, day(20, 100, 89)));
        QVERIFY(DailyGoal::Met(goal, day(15, 0, 0))); // nothing typed: no accuracy to miss

        CDaoDatabase* db = m_pDatabase->Admin();
        m_pDatabase->Insert(u"user"_s, {u"李明"_s, ClassA, u"001"_s, u"pw"_s, u"普通用户"_s});
        Store(db, Pupil, 111, Sept(2, 9), 1200000, 100, 95);
        Store(db, Pupil, 111, Sept(3, 9), 960000, 100, 80); // the accuracy missed
        Store(db, Pupil, 112, Sept(4, 9), 900000, 100, 92);
        Store(db, Pupil, 111, Sept(5, 9), 300000, 50, 50);
        const QDate today(2024, 9, 5);
        QCOMPARE(DailyGoal::LoadProgress(*db, Pupil, ClassA, today).Text(),
                 u"今日目标:练习 15 分钟,正确率不低于 90%。今天已练 5.0 分钟,正确率 100%。"
                 "已连续 1 天达到目标。"_s);

        m_pDatabase->SignInAsTeacher();
        LogInTeacher(*m_pDatabase);
        CScriptedPlatform platform;
        QStringList sources;
        const auto set = [&](int classIndex, const QString& minutes, const QString& accuracy) {
            Drive<CDailyGoalDlg>(platform, [&](CDailyGoalDlg* dlg) {
                dlg->m_comboClass->setCurrentIndex(classIndex);
                dlg->OnCommand(1001);
                sources.append(dlg->GetDlgItemText(1002));
                if (minutes.isEmpty())
                    dlg->ClickButton(1005); // 恢复默认
                else
                    Fill(dlg, {{1003, minutes}, {1004, accuracy}});
                Press(dlg, 1);
            });
            QVERIFY(CReportCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_DAILY_GOAL));
        };
        set(0, u"20"_s, u"85"_s); // the school's
        set(1, u"5"_s, u"90"_s);  // 三年级二班's own
        const QString goals = SelectRows(db, u"SELECT * FROM daily_goal ORDER BY 1"_s).join(u' ');
        QCOMPARE(DailyGoal::LoadProgress(*db, Pupil, ClassA, today).Text(),
                 u"今日目标:练习 5 分钟,正确率不低于 90%。今天已练 5.0 分钟,正确率 100%,"
                 "目标达到了!已连续 2 天达到目标。"_s);
        platform.AnswerBoxes({IDOK});
        set(1, u"0"_s, u"90"_s); // refused, then cancelled
        set(1, {}, {});          // back to the school's
        QCOMPARE(sources, (QStringList{u"全校用程序的默认目标。"_s, u"本班用全校的目标。"_s,
                                       u"本班有自己的目标。"_s, u"本班有自己的目标。"_s}));
        QCOMPARE(goals, u"|20|85 三年级二班|5|90"_s);
        QCOMPARE(platform.boxes.value(0).text, u"每天练习的分钟数应为 1 到 240。"_s);
        QCOMPARE(SelectRows(db, u"SELECT * FROM daily_goal"_s), QStringList{u"|20|85"_s});
    }

    void rangesOfDays_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("days"); // today, then the range's first and last day
        const auto row = [](const char* name, int preset, const char* days) {
            QTest::newRow(name) << preset << days;
        };
        row("this week, from Monday", ReportRange::ThisWeek, "2024-09-08 2024-09-02 2024-09-08");
        row("this month", ReportRange::ThisMonth, "2024-02-29 2024-02-01 2024-02-29");
        row("autumn term in January", ReportRange::ThisTerm, "2025-01-10 2024-09-01 2025-01-10");
        row("spring term", ReportRange::ThisTerm, "2025-06-30 2025-02-01 2025-06-30");
        row("all days", ReportRange::All, "2025-06-30");
    }
    void rangesOfDays()
    {
        QFETCH(int, preset);
        QFETCH(QString, days);
        QList<QDate> day; // null where days names none
        for (int i = 0; i < 3; ++i)
            day.append(QDate::fromString(days.section(u' ', i, i), Qt::ISODate));
        const CDayRange range = ReportRange::Of(preset, day[0]);
        QCOMPARE(std::pair(range.from, range.to), std::pair(day[1], day[2]));
    }

    void ownRecordOfAKnownSetOfAttempts()
    {
        StoreKnown(m_pDatabase->Admin());
        LogInPupil(Pupil, {}, {}, {}, m_pDatabase.get());
        CScriptedPlatform platform;
        Listing attempts;
        int initialKind = 0;
        KindShown chinese, english, digits, symbols;
        QString copied, caption;
        Drive<CProgressDlg>(platform, [&](CProgressDlg* dlg) {
            caption = dlg->windowTitle();
            attempts = ListOf(dlg->m_listAttempts);
            initialKind = dlg->ShownKind();
            chinese = Capture(dlg, 0);
            english = Capture(dlg, 1);
            digits = Capture(dlg, 2);
            symbols = Capture(dlg, 3);
            dlg->m_listAttempts->setCurrentIndex(dlg->m_listAttempts->model()->index(1, 0));
            QTest::keySequence(dlg->m_listAttempts, QKeySequence::Copy);
            copied = QGuiApplication::clipboard()->text();
        });
        // The command opens the record on the logged-in pupil's own key.
        QVERIFY(CReportCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_MY_PROGRESS));
        QCOMPARE(caption, u"我的练习记录"_s);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(attempts.headers.mid(0, 5).join(u'|'), u"日期时间|类型|速度|正确率|用时"_s);
        // Newest first; only this pupil's. (The key press columns have a
        // suite of their own.)
        QStringList firstColumns;
        for (const QStringList& row : std::as_const(attempts.cells))
            firstColumns.append(row.mid(0, 5).join(u'|'));
        QCOMPARE(firstColumns, (QStringList{u"2024-09-04 08:00:00|中文|0.0 字/分|—|0秒"_s,
                                            u"2024-09-03 09:00:00|中文|30.0 字/分|90%|1分30秒"_s,
                                            u"2024-09-02 10:00:00|英文|38.0 WPM|95%|30秒"_s,
                                            u"2024-09-02 09:00:00|中文|25.0 字/分|83%|1分00秒"_s,
                                            u"2024-09-01 09:00:00|符号|37.5 CPM|18%|2分00秒"_s}));
        QCOMPARE(copied,
                 u"2024-09-03 09:00:00\t中文\t30.0 字/分\t90%\t1分30秒\t不可用\t不可用\t0\t\t"
                 "不可用\t\t"_s);

        // The kind practised last comes first: Chinese. Speeds 0, 30, 25;
        // accuracies 0, 90, 83.
        QCOMPARE(initialKind, 111);
        QCOMPARE(chinese.figures, u"共 3 次   最快 30.0 字/分   平均 28.0 字/分   最高正确率 90%   "
                                  "平均正确率 87%   击键 不可用   码长 不可用"_s);
        QCOMPARE(RowLines(chinese.mistakes),
                 (QStringList{u"的|3|地×2  得×1"_s, u"是|2|事×2"_s, u"了|1|啦×1"_s}));
        QCOMPARE(chinese.speeds, (QList<QPointF>{Point(Sept(2, 9), 25), Point(Sept(3, 9), 30),
                                                 Point(Sept(4, 8), 0)}));
        QCOMPARE(chinese.accuracies, (QList<QPointF>{Point(Sept(2, 9), 83), Point(Sept(3, 9), 90),
                                                     Point(Sept(4, 8), 0)}));
        QCOMPARE(english.figures, u"共 1 次   最快 38.0 WPM   平均 38.0 WPM   最高正确率 95%   "
                                  "平均正确率 95%   击键 不可用   码长 不可用"_s);
        QCOMPARE(RowLines(english.mistakes), (QStringList{u"␣|1|x×1"_s, u"T|1|t×1"_s}));
        QCOMPARE(english.speeds, QList<QPointF>{Point(Sept(2, 10), 38)});
        QCOMPARE(digits.figures, u"还没有数字练习的记录。"_s);
        QVERIFY(digits.mistakes.isEmpty() && digits.speeds.isEmpty());
        // 25 symbols mistyped 1 to 25 times: the 20 most, most first.
        QCOMPARE(symbols.mistakes.size(), 20);
        QCOMPARE(symbols.mistakes.first().join(u'|'), u"y|25|;×25"_s);
        QCOMPARE(symbols.mistakes.last().join(u'|'), u"f|6|;×6"_s);
    }

    // The class report and the class lists are a teacher's; 我的练习记录 an
    // ordinary user's. Without the database each command only warns.
    void commandsFollowTheUserKind_data()
    {
        QTest::addColumn<int>("kindCode");
        QTest::addColumn<bool>("teacher");
        QTest::addColumn<bool>("pupil");
        QTest::newRow("super user") << int(UserKind::Super) << true << false;
        QTest::newRow("ordinary user") << int(UserKind::Ordinary) << false << true;
        QTest::newRow("anonymous user") << int(UserKind::Anonymous) << false << false;
        QTest::newRow("before login") << 0 << false << false;
    }
    void commandsFollowTheUserKind()
    {
        QFETCH(int, kindCode);
        QFETCH(bool, teacher);
        QFETCH(bool, pupil);
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = kindCode;
        CScriptedPlatform platform;
        NoDatabase();
        // The teaching commands as the main frame routes them.
        CReportCommands reports(CSession::Instance());
        CClassroomCommands classroom(CSession::Instance());
        for (const int id :
             {ID_TEACHING_CLASS_REPORT, ID_TEACHING_CLASS_LIST, ID_TEACHING_IMPORT_PUPILS,
              ID_TEACHING_LOGIN_CARDS, ID_TEACHING_MY_PROGRESS}) {
            ICommandTarget& commands = reports.HasCommandHandler(id)
                                           ? static_cast<ICommandTarget&>(reports)
                                           : static_cast<ICommandTarget&>(classroom);
            CCmdUI state(id);
            QVERIFY(commands.OnUpdateCmdUI(state));
            QCOMPARE(state.m_bEnabled, id == ID_TEACHING_MY_PROGRESS ? pupil : teacher);
            QVERIFY(commands.OnCmdMsg(id));
        }
        QVERIFY(platform.modalRuns.isEmpty());
        QVERIFY(platform.fileChoosers.isEmpty());
        CompareBoxes(platform, Rows(5, Box(NotConnected, u"qe"_s, MB_OK | MB_ICONEXCLAMATION)));
    }
};

QE_TEST_MAIN(TestReports)
#include "tst_reports.moc"
