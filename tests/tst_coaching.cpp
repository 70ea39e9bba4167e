#include "attempts/PracticeKind.h"
#include "coaching/CoachingCommands.h"
#include "coaching/WeaknessDlg.h"
#include "course/KeyboardView.h"
#include "monitor/TodayDlg.h"
#include "monitor/TodayTasks.h"
#include "platform/ListCtrl.h"
#include "res/CommandIds.h"
#include "res/Resources.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/TableReader.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/Session.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QHelpEvent>
#include <QToolTip>

using namespace Qt::Literals::StringLiterals;

namespace {

// A practice of the pupil an hour before now with the detail of its keys:
// v missed 3 times of 10 and slow, a sure; "th" and "ve" timed; 的 picked
// by a digit, 我们 typed as one word.
CAttempt PracticeWithDetail(qint64 user, const QDateTime& now)
{
    CAttempt attempt = TimedAttempt(user, PracticeKind::English, now.addSecs(-3600), 60000);
    attempt.detail.keys = {{u"a"_s, 10, 10, 0, 250},
                           {u"b"_s, 0, 3, 3, -1},
                           {u"v"_s, 10, 7, 0, 900},
                           {u"th"_s, 4, 4, 0, 200},
                           {u"ve"_s, 4, 4, 0, 700}};
    for (int i = 0; i < 2; ++i) {
        attempt.detail.commits.append({u"的"_s, u"的"_s, u"de1"_s, 3, 900, CCommitUnit::ByDigit});
        attempt.detail.commits.append({u"我们"_s, u"我们"_s, u"women␣"_s, 6, 1200});
    }
    // Typed wrong, it is no cost of 的.
    attempt.detail.commits.append({u"的"_s, u"地"_s, u"di␣"_s, 3, 500});
    return attempt;
}

} // namespace

// Coaching from the keys behind the characters: 我的弱项 for a pupil and
// 班级弱项 for a teacher, from the detail the attempts kept.
class TestCoaching : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    void init()
    {
        CDatabaseSuite::init();
        m_pDatabase->SignInAsTeacher();
    }

    // 我的弱项 and 班级弱项 sum 回改, 键准, 选重 and 打词率 over the Chinese
    // practices, one in doubt left out, and export them in a sheet of
    // their own: 你好 and 世界 by a digit, both of 世界 taken back, then
    // "，" and 世界 again; 23 keys, 2 of them Backspaces.
    void weaknessSumsTheChineseFigures()
    {
        CScriptedPlatform platform;
        const QDateTime now = platform.CurrentDateTime();
        const qint64 pupil =
            m_pDatabase->Insert(u"user"_s, {u"李华"_s, u"一班"_s, u"1"_s, u"pw"_s});
        for (const int minutes : {30, 20}) {
            CAttempt attempt =
                TimedAttempt(pupil, PracticeKind::Chinese, now.addSecs(-60 * minutes), 60000, 5, 5);
            attempt.nKeyPresses = 23;
            attempt.nBackspacePresses = 2;
            attempt.detail.commits = {
                {u"你好"_s, u"你好"_s, u"nihao␣"_s, 6, 900},
                {u"，世"_s, u"世界"_s, u"shijie2"_s, 7, 900, CCommitUnit::ByDigit, 2},
                {u"，"_s, u"，"_s, u"⌫⌫,"_s, 3, 900},
                {u"世界"_s, u"世界"_s, u"shijie␣"_s, 7, 900}};
            StoreWithScore(*m_pDatabase->Admin(), attempt);
        }
        m_pDatabase->Admin()->Execute(
            u"UPDATE attempt SET checked = 2, doubt = 'x' WHERE id = (SELECT max(id) FROM attempt)"_s);
        QString summary, tip;
        QList<CExportTable> tables;
        LogInPupil(pupil, u"李华"_s, u"一班"_s, u"1"_s, m_pDatabase.get());
        Drive<CWeaknessDlg>(platform, [&](CWeaknessDlg* dlg) {
            summary = dlg->GetDlgItemText(1006);
            tip = dlg->GetDlgItem(1006)->toolTip();
            tables = dlg->ExportedTables();
        });
        QVERIFY(CCoachingCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_WEAKNESS));
        QCOMPARE(summary.section(u'\n', 1),
                 u"中文练习:回改 2 (28.6%)   键准 60%   选重 1 (20.0/百字)   打词率 80%"_s);
        QVERIFY2(tip.contains(u"键准:"_s + FigureDefinition(u"键准"_s)), qPrintable(tip));
        QCOMPARE(tables.size(), 4);
        QStringList exported;
        for (const CExportCell& cell : tables.value(3).rows.value(0))
            exported.append(cell.DisplayText());
        QCOMPARE(exported, (QStringList{u"2"_s, u"28.6"_s, u"60"_s, u"1"_s, u"20.0"_s, u"80"_s}));
        // The class's are the same: 李华 is all of 一班.
        CWeaknessFilter filter;
        filter.strClass = u"一班"_s;
        QCOMPARE(Weakness::Read(*m_pDatabase->Admin(), filter).typing.Line(),
                 summary.section(u'\n', 1).mid(5));
    }

    // Typed by 五笔 (four keys for 我, whose 简码 is q and a Space), 我的弱项
    // puts first what would save most keys, and names the shorter code.
    void weaknessNamesTheWubiKeysToSave()
    {
        CScriptedPlatform platform;
        const qint64 pupil = AddPupil(u"李华"_s, u"一班"_s, u"1"_s);
        CAttempt attempt = TimedAttempt(pupil, PracticeKind::Chinese,
                                        platform.CurrentDateTime().addSecs(-600), 60000, 5, 5);
        for (int i = 0; i < 2; ++i)
            attempt.detail.commits.append({u"我们"_s, u"我们"_s, u"trwu"_s, 4, 900});
        for (int i = 0; i < 3; ++i)
            attempt.detail.commits.append({u"我"_s, u"我"_s, u"trnt"_s, 4, 800});
        StoreWithScore(*m_pDatabase->Admin(), attempt);
        QStringList costly;
        LogInPupil(pupil, u"李华"_s, u"一班"_s, u"1"_s, m_pDatabase.get());
        Drive<CWeaknessDlg>(platform,
                            [&](CWeaknessDlg* dlg) { costly = Lines(dlg->m_listCostly); });
        QVERIFY(CCoachingCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_WEAKNESS));
        // 我: (4 - 2) keys, three times; 我们 was typed by its shortest code.
        QCOMPARE(costly, (QStringList{u"我|3|4.0|800 毫秒|trnt|用简码:q 再按空格|6"_s,
                                      u"我们|2|2.0|450 毫秒|trwu||0"_s}));
    }

    // The pupil sees their keys tinted by misses and time with the figures
    // on hover, the slowest pairs, the texts that cost the most keys with a
    // cheaper way, and how often a digit picked the candidate; the teacher
    // sees the same for the class, and another class's pupil is not in it.
    void weaknessOfAPupilAndOfTheClass()
    {
        CScriptedPlatform platform;
        const QDateTime now = platform.CurrentDateTime();
        const qint64 pupil =
            m_pDatabase->Insert(u"user"_s, {u"李华"_s, u"一班"_s, u"1"_s, u"pw"_s});
        const qint64 other =
            m_pDatabase->Insert(u"user"_s, {u"张三"_s, u"二班"_s, u"2"_s, u"pw"_s});
        for (const qint64 user : {pupil, pupil, other})
            StoreWithScore(*m_pDatabase->Admin(), PracticeWithDetail(user, now));
        // An attempt older than the range chosen counts only under 全部.
        StoreWithScore(*m_pDatabase->Admin(), PracticeWithDetail(pupil, now.addDays(-40)));

        struct CShown
        {
            double vHeat = 0, aHeat = 0;
            QString vTip, summary;
            QStringList pairs, costly;
            int exportedRows = 0;
        };
        const auto read = [](CWeaknessDlg* dlg) {
            CShown shown;
            const CKeyboardLayout& layout = dlg->m_pKeyboard->Layout();
            const int v = layout.StrokeFor(u'v').nKey;
            shown.vHeat = dlg->m_pKeyboard->HeatOf(v);
            shown.aHeat = dlg->m_pKeyboard->HeatOf(layout.StrokeFor(u'a').nKey);
            QHelpEvent hover(QEvent::ToolTip, dlg->m_pKeyboard->KeyRect(v).center(), QPoint());
            QCoreApplication::sendEvent(dlg->m_pKeyboard, &hover);
            shown.vTip = QToolTip::text();
            shown.summary = dlg->GetDlgItemText(1006);
            shown.pairs = Lines(dlg->m_listPairs);
            shown.costly = Lines(dlg->m_listCostly);
            for (const CExportTable& table : dlg->ExportedTables())
                shown.exportedRows += int(table.rows.size());
            return shown;
        };

        CShown mine;
        CShown all;
        LogInPupil(pupil, u"李华"_s, u"一班"_s, u"1"_s, m_pDatabase.get());
        Drive<CWeaknessDlg>(platform, [&](CWeaknessDlg* dlg) {
            mine = read(dlg);
            dlg->ChooseItem(1001, 2); // 全部
            SettleWorker();
            all = read(dlg);
        });
        QVERIFY(CCoachingCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_WEAKNESS));
        QVERIFY2(mine.vHeat > 0.8 && mine.aHeat < 0.1,
                 qPrintable(u"%1 %2"_s.arg(mine.vHeat).arg(mine.aHeat)));
        QCOMPARE(mine.vTip, u"v:要打 20 次,打错 6 次(30%),按错成它 0 次,用时 900 毫秒"_s);
        QCOMPARE(mine.pairs, (QStringList{u"ve|8|700 毫秒"_s, u"th|8|200 毫秒"_s}));
        QCOMPARE(
            mine.costly,
            (QStringList{u"的|4|3.0|900 毫秒|de1|常要用数字键选字:和前后的字连成词组一起打|0"_s,
                         u"我们|4|3.0|600 毫秒|women␣|试试只打每个字的声母(简拼),再按空格|0"_s}));
        QCOMPARE(mine.summary,
                 u"最费键的字和词(输入法每出一次字算一次):用数字键选字 4 次,占 40%"_s);
        QVERIFY2(all.vTip.contains(u"要打 30 次"_s), qPrintable(all.vTip));
        // 今日任务 offers a 智能练习 on the weak key, and one on the
        // characters mistyped (的) or typed with many keys (我们, 3 a character).
        const CToday today = LoadToday(*m_pDatabase->Database(), CSession::Instance().Account());
        QCOMPARE(today.tasks.value(today.tasks.size() - 2).Row().value(1),
                 u"智能练习:多练最弱的键 v"_s);
        QCOMPARE(today.tasks.value(today.tasks.size() - 1).Row(),
                 (QStringList{u"练习"_s, u"智能练习:多练最费键的字 的、我、们"_s, u"一屏"_s,
                              u"可以开始"_s}));
        // 我的弱项 opens from 今日任务 too.
        Drive<CTodayDlg>(platform, [](CTodayDlg* dlg) { dlg->ClickButton(1005); });
        Drive<CWeaknessDlg>(platform, [](CWeaknessDlg*) {});
        CTodayDlg(CSession::Instance()).DoModal();
        QCOMPARE(platform.modalRuns.mid(1), (QStringList{u"CTodayDlg"_s, u"CWeaknessDlg"_s}));

        // The teacher's 班级弱项: 一班 holds 李华 alone.
        LogInTeacher(*m_pDatabase);
        CShown classOne;
        const QString xlsx = QDir::current().filePath(u"weak.xlsx"_s);
        platform.AnswerFiles({xlsx});
        Drive<CWeaknessDlg>(platform, [&](CWeaknessDlg* dlg) {
            dlg->ChooseItem(1003, dlg->m_comboClass->findData(u"一班"_s));
            SettleWorker();
            classOne = read(dlg);
            dlg->ClickButton(1008);
        });
        QVERIFY(CCoachingCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_CLASS_WEAKNESS));
        QCOMPARE(classOne.vTip, mine.vTip);
        QCOMPARE(classOne.costly, mine.costly);
        // Three keys, two pairs and two texts, each in a sheet of its own,
        // the keys most missed first, the texts with their cheaper way, read
        // back from the .xlsx written.
        QCOMPARE(classOne.exportedRows, 7);
        const QJsonArray sheets = ReadTable(xlsx)[u"sheets"_s].toArray();
        const QJsonArray keys = sheets[0][u"rows"_s].toArray();
        QCOMPARE(keys[0][0][1].toString(), u"一班班级弱项"_s);
        QCOMPARE(keys[2][0][1].toString(), u"v"_s);
        QCOMPARE(keys[2][2][1].toInt(), 6);
        QCOMPARE(sheets[1][u"rows"_s][2][0][1].toString(), u"ve"_s);
        const QJsonArray costly = sheets[2][u"rows"_s][2].toArray();
        QCOMPARE(costly[0][1].toString() + costly[5][1].toString(),
                 u"的常要用数字键选字:和前后的字连成词组一起打"_s);
        // A pupil has no 班级弱项, whatever way the command comes.
        LogInPupil(pupil, u"李华"_s, u"一班"_s, u"1"_s, m_pDatabase.get());
        QVERIFY(CCoachingCommands(CSession::Instance()).OnCmdMsg(ID_TEACHING_CLASS_WEAKNESS));
        QCOMPARE(platform.modalRuns.size(), 4);
    }
};

QE_TEST_MAIN(TestCoaching)
#include "tst_coaching.moc"
