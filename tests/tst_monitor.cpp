#include "app/ProgramDatabaseSteps.h"
#include "attempts/LessonAttemptStore.h"
#include "attempts/LiveProgress.h"
#include "attempts/PracticeKind.h"
#include "course/CoursePlan.h"
#include "course/LessonView.h"
#include "exams/ExamStore.h"
#include "monitor/AssignmentEditDlg.h"
#include "monitor/AssignmentReportDlg.h"
#include "monitor/AssignmentStore.h"
#include "monitor/AssignmentsDlg.h"
#include "monitor/MonitorDlg.h"
#include "monitor/MyAssignmentsDlg.h"
#include "monitor/PupilTiles.h"
#include "monitor/TodayDlg.h"
#include "platform/ListCtrl.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/FrameFixture.h"
#include "tests/SettleWorker.h"
#include "tests/TableReader.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/Drill.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Session.h"

#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Class = u"三年级一班"_s;

LiveProgress::CReport Typing(int typed, int correct)
{
    LiveProgress::CReport report;
    report.nActivity = LiveProgress::Practice;
    report.nKind = 112;
    report.strLabel = u"英文练习"_s;
    report.nScreenUnits = 1288;
    report.nTypedUnits = typed;
    report.nCorrectUnits = correct;
    report.nElapsedMs = 60000;
    report.nIdleMs = 500;
    return report;
}

QDateTime September(int day, int hour = 10)
{
    return QDateTime(QDate(2024, 9, day), QTime(hour, 0));
}

// Lessons from to to of 指法 at speed keys a minute and 90 %, passes times
// each, 2 to 6 September.
CAssignment Lessons(int from, int to, double speed, int passes)
{
    CAssignment assignment;
    assignment.strTitle = u"第二周练习"_s;
    assignment.nTask = AssignmentTask::Lessons;
    assignment.strCourse = u"fingering"_s;
    assignment.nLessonFrom = from;
    assignment.nLessonTo = to;
    assignment.dMinSpeed = speed;
    assignment.nMinAccuracy = 90;
    assignment.nPasses = passes;
    assignment.startsOn = QDate(2024, 9, 2);
    assignment.dueOn = QDate(2024, 9, 6);
    return assignment;
}

// "4:5:70:95" is an attempt on 4 September of lesson 5 at 70 keys a minute
// and 95 %; a leading "!" makes it too short to count.
QList<CAssignmentTry> Tries(const QString& written)
{
    QList<CAssignmentTry> tries;
    for (QString one : written.split(u' ', Qt::SkipEmptyParts)) {
        const bool bLongEnough = !one.startsWith(u'!');
        const QStringList parts = one.remove(u'!').split(u':');
        tries.append({September(parts[0].toInt()).addSecs(tries.size()), parts[1].toInt(),
                      parts[2].toDouble(), parts[3].toInt(), bLongEnough});
    }
    return tries;
}

// An English text of the library, "狐狸", of several screens.
CPracticeText AddFoxText(CDaoDatabase& db)
{
    CPracticeText text;
    text.strTitle = u"狐狸"_s;
    text.nKind = PracticeKind::English;
    for (int line = 0; line < 40; ++line)
        text.strBody += u"the quick brown fox jumps over the lazy dog %1\n"_s.arg(line);
    text.nId = TextStore::SaveText(db, text);
    return text;
}

// A screen of the text at 20 WPM and 90 %, once, 2 to 6 September, for the class.
CAssignment OnScreen(const QString& title, const CPracticeText& text, int screen)
{
    CAssignment assignment;
    assignment.strTitle = title;
    assignment.nTask = AssignmentTask::TextScreen;
    assignment.nTextId = text.nId;
    assignment.nScreen = screen;
    assignment.nKind = text.nKind;
    assignment.dMinSpeed = 20;
    assignment.nMinAccuracy = 90;
    assignment.startsOn = QDate(2024, 9, 2);
    assignment.dueOn = QDate(2024, 9, 6);
    assignment.classes = {Class};
    return assignment;
}

// One minute of the text's first screen (of the named file instead, file
// given), typed by the user with correct characters and one mistake in 25,
// stored with its score row; typed without a mistake, it ends at the end of
// the screen.
void StoreTyped(CDaoDatabase* db, qint64 user, const CPracticeText& text, const QDateTime& at,
                int correct, qint64 exam = 0, const QString& file = {})
{
    const int typed = correct + correct / 25;
    CAttempt attempt = TimedAttempt(user, PracticeKind::English, at, 60000, typed, correct);
    attempt.strUserName = u"某"_s;
    attempt.strTextFile = file.isEmpty() ? text.strTitle : file;
    attempt.nEndReason = typed == correct ? EndReason::EndOfScreen : EndReason::Escape;
    attempt.nTextId = file.isEmpty() ? text.nId : 0;
    attempt.nScreen = file.isEmpty() ? 1 : 0;
    attempt.nExamId = exam;
    StoreWithScore(*db, attempt, u"某"_s);
}

} // namespace

// 课堂监控: what the pupils' programs report, the states the teacher sees,
// and who may read or write the reports.
class TestMonitor : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    // The lessons are stored on a server that judges them by the copy the
    // program's steps write there.
    void initTestCase() { CTestDatabase::SetSteps(ProgramDatabaseSteps()); }

    void init()
    {
        CDatabaseSuite::init();
        m_nPupil = AddPupil(u"李华"_s, Class, u"2024001"_s);
        m_nOther = AddPupil(u"王芳"_s, Class, u"2024002"_s);
    }

    // However many reports, one row per pupil, the latest; a login's
    // report takes away the rows of programs silent for a day. On a server
    // the row a pupil's report writes is the pupil's whatever it claims.
    void reportsKeepOneRowPerPupil()
    {
        m_pDatabase->Admin()->Execute(
            u"INSERT INTO live_progress (user_key, user_name, class_name, activity, kind, label, "
            "screen_units, typed_units, correct_units, elapsed_ms, idle_ms, focus_lost, "
            "end_reason, reported_at) VALUES (%1, '王芳', '%2', 1, 112, '', 0, 0, 0, 0, 0, 0, 0, "
            "'2000-01-01 08:00:00.000')"_s.arg(m_nOther)
                .arg(Class));
        QVERIFY(m_pDatabase->SignInAs(m_nPupil));
        CDaoDatabase& pupil = *m_pDatabase->Database();
        for (int typed = 1; typed <= 5; ++typed)
            QVERIFY(!LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, Typing(typed, typed))
                         .bExamStopped);
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT user_key, typed_units FROM live_progress ORDER BY user_key"_s),
                 (QStringList{u"%1|5"_s.arg(m_nPupil), u"%1|0"_s.arg(m_nOther)}));
        LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, LiveProgress::CReport());
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(), u"SELECT user_key, activity FROM live_progress"_s),
            QStringList{u"%1|0"_s.arg(m_nPupil)});
        LiveProgress::Leave(pupil, m_nPupil);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"live_progress"_s), 0);
        if (!pupil.IsPostgres())
            return;
        LiveProgress::Report(pupil, m_nOther, u"王芳"_s, u"别的班"_s, Typing(5, 5));
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(), u"SELECT user_key, class_name FROM live_progress"_s),
            QStringList{u"%1|%2"_s.arg(m_nPupil).arg(Class)});
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"live_progress"_s), 1);
    }

    void statesForAFixedClock_data()
    {
        QTest::addColumn<LiveProgress::CRow>("row");
        QTest::addColumn<int>("silentMs"); // since the report
        QTest::addColumn<QString>("state");
        // A report of the activity, idleMs after its last key.
        const auto report = [](int activity, int idleMs, bool focusLost = false,
                               int endReason = 0) {
            LiveProgress::CRow row;
            row.report.nActivity = activity;
            row.report.nIdleMs = idleMs;
            row.report.bFocusLost = focusLost;
            row.report.nEndReason = endReason;
            row.reportedAt = September(2);
            return row;
        };
        QTest::newRow("logged in, nothing running") << report(0, 0) << 60000 << u"空闲"_s;
        QTest::newRow("typing a practice") << report(1, 400) << 1500 << u"练习中"_s;
        QTest::newRow("typing an exam") << report(2, 400) << 1500 << u"考试中"_s;
        QTest::newRow("typing a lesson") << report(3, 400) << 1500 << u"练习中"_s;
        QTest::newRow("no key for 29.9 s") << report(1, 28000) << 1900 << u"练习中"_s;
        QTest::newRow("no key for 30 s") << report(1, 28000) << 2000 << u"空闲"_s;
        QTest::newRow("silent for 9.9 s") << report(1, 0) << 9900 << u"练习中"_s;
        QTest::newRow("silent for 10 s: offline") << report(2, 0) << 10000 << u"离线"_s;
        QTest::newRow("another program has the keyboard")
            << report(2, 0, true) << 1000 << u"离开窗口"_s;
        QTest::newRow("offline outweighs the focus") << report(2, 0, true) << 12000 << u"离线"_s;
        QTest::newRow("ended, long ago") << report(2, 0, false, 3) << 600000 << u"已完成"_s;
    }
    void statesForAFixedClock()
    {
        QFETCH(LiveProgress::CRow, row);
        QFETCH(int, silentMs);
        QFETCH(QString, state);
        QCOMPARE(LiveProgress::StateText(&row, row.reportedAt.addMSecs(silentMs)), state);
        QCOMPARE(LiveProgress::StateText(nullptr, row.reportedAt), u"未登录"_s);
    }

    // The teacher's grid: every pupil of the class, in class order, the one
    // without a program as 未登录; sorted by a heading. A class of 50 shows
    // whole at one glance: every tile inside the window without scrolling,
    // and the window within the smallest screen of each display size
    // (1024x768 at 125 %, 1920x1080 at 200 %, less the title bar). On PostgreSQL a
    // pupil's report wakes it; elsewhere it reads the class again on its
    // timer.
    void gridShowsTheClass()
    {
        for (int i = 3; i <= 50; ++i)
            m_pDatabase->Insert(
                u"user"_s, {u"学生%1"_s.arg(i), Class, u"20240%1"_s.arg(i, 2, 10, QChar(u'0'))});
        LogInTeacher(*m_pDatabase);
        CDaoDatabase pupil;
        pupil.Open(m_pDatabase->Target());
        QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, &pupil));
        CScriptedPlatform platform;
        QStringList before, after, sorted, tileLines;
        int notices = 0, tiles = 0;
        QRect last, shown;
        QSize dialog;
        bool bListHidden = false;
        Drive<CMonitorDlg>(platform, [&](CMonitorDlg* dlg) {
            SettleWorker(); // the class is read on the worker
            tiles = int(dlg->m_pTiles->Tiles().size());
            last = dlg->m_pTiles->TileRect(tiles - 1);
            shown = dlg->m_pTiles->visibleRegion().boundingRect();
            dialog = dlg->size();
            bListHidden = !dlg->m_listPupils->isVisible();
            before = Lines(dlg->m_listPupils);
            LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, Typing(200, 180));
            if (m_pDatabase->Database()->IsPostgres())
                QTRY_VERIFY_WITH_TIMEOUT(dlg->Notices() > 0, 5000);
            dlg->Reload();
            SettleWorker();
            notices = dlg->Notices();
            after = Lines(dlg->m_listPupils);
            tileLines = {CPupilTiles::SecondLine(dlg->m_pTiles->Tiles().value(0)),
                         CPupilTiles::SecondLine(dlg->m_pTiles->Tiles().value(1))};
            dlg->SortBy(2); // 状态: 练习中 before 未登录
            dlg->SortBy(2);
            sorted = Lines(dlg->m_listPupils);
        });
        CMonitorDlg dlg(CSession::Instance());
        dlg.DoModal();
        QCOMPARE(tiles, 50);
        QVERIFY(bListHidden);
        QVERIFY(shown.contains(last)); // the 50th tile is in sight
        QVERIFY2(dialog.width() <= 819 && dialog.height() <= 510,
                 qPrintable(u"%1x%2"_s.arg(dialog.width()).arg(dialog.height())));
        QCOMPARE(before.size(), 50);
        QVERIFY2(before[0].startsWith(u"2024001|李华|未登录|"_s), qPrintable(before[0]));
        QCOMPARE(after[0], u"2024001|李华|练习中|英文练习|15|36.0 WPM|90|1:00"_s);
        // The tile says what the pupil types and how fast; an idle one its state.
        QCOMPARE(tileLines, (QStringList{u"英文练习 36.0 WPM"_s, u"未登录"_s}));
        QVERIFY2(after[1].startsWith(u"2024002|王芳|未登录|"_s), qPrintable(after[1]));
        // Descending: 未登录 (wei) after 练习中 (lian).
        QVERIFY2(sorted.last().startsWith(u"2024001|李华|练习中"_s), qPrintable(sorted.last()));
        QCOMPARE(notices > 0, m_pDatabase->Database()->IsPostgres());
    }

    // Where a pupil stands, for a fixed set of attempts and a fixed day.
    void assignmentStatus_data()
    {
        QTest::addColumn<QString>("tries");
        QTest::addColumn<int>("today");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("nextLesson");
        QTest::newRow("nothing yet") << "" << 3 << u"未开始"_s << 5;
        QTest::newRow("only before the start day")
            << "1:5:80:99 1:5:80:99" << 3 << u"未开始"_s << 5;
        QTest::newRow("one lesson met twice") << "3:5:70:95 3:5:61:90" << 3 << u"进行中 2/6"_s << 6;
        QTest::newRow("a third pass of a lesson fills no other")
            << "3:5:70:95 3:5:70:95 3:5:70:95" << 3 << u"进行中 2/6"_s << 6;
        QTest::newRow("too slow, too inaccurate, too short")
            << "3:5:59:99 3:5:80:89 !3:5:80:99" << 3 << u"进行中 0/6"_s << 5;
        QTest::newRow("a lesson outside the range")
            << "3:4:80:99 3:8:80:99" << 3 << u"未开始"_s << 5;
        QTest::newRow("every lesson twice, on time")
            << "2:5:60:90 2:5:60:90 3:6:60:90 4:6:60:90 6:7:60:90 6:7:60:90" << 9 << u"已完成"_s
            << 0;
        QTest::newRow("the last pass after the due day is late")
            << "2:5:60:90 2:5:60:90 3:6:60:90 4:6:60:90 6:7:60:90 7:7:60:90" << 9
            << u"已完成(迟交)"_s << 0;
        QTest::newRow("past the due day, unfinished") << "3:5:70:95" << 7 << u"逾期 1/6"_s << 5;
        QTest::newRow("past the due day, never begun") << "" << 7 << u"逾期"_s << 5;
    }
    void assignmentStatus()
    {
        QFETCH(QString, tries);
        QFETCH(int, today);
        QFETCH(QString, status);
        QFETCH(int, nextLesson);
        const CAssignmentStatus judged =
            JudgeAssignment(Lessons(5, 7, 60, 2), Tries(tries), QDate(2024, 9, today));
        QCOMPARE(judged.Text(), status);
        QCOMPARE(std::pair(judged.nNextLesson, judged.nNeeded), std::pair(nextLesson, 6));
    }

    // The teacher's report of a text's screen, a range of lessons and a
    // drill, read from what the pupils typed: the exam's sittings on the
    // same screen, attempts before the start day and another class's
    // pupils do not count; a pupil sees the same of their own attempts.
    void assignmentReportReadsTheAttempts()
    {
        CDaoDatabase* admin = m_pDatabase->Admin();
        const qint64 zhang =
            m_pDatabase->Insert(u"user"_s, {u"张三"_s, Class, u"2024003"_s, u"pw"_s});
        m_pDatabase->Insert(u"user"_s, {u"赵六"_s, Class, u"2024004"_s, u"pw"_s});
        const qint64 qian =
            m_pDatabase->Insert(u"user"_s, {u"钱七"_s, u"别的班"_s, u"2024005"_s, u"pw"_s});
        const CPracticeText text = AddFoxText(*admin);
        CExam exam;
        exam.strTitle = u"期中测验"_s;
        exam.nTextId = text.nId;
        exam.classes = {Class};
        const qint64 examId = ExamStore::SaveExam(*admin, exam);
        // 29 WPM at 96 % over a minute meets 20 WPM and 90 %; 10 WPM does not.
        StoreTyped(admin, m_nPupil, text, September(3), 145);
        StoreTyped(admin, m_nOther, text, September(1), 145); // before the start day
        StoreTyped(admin, m_nOther, text, September(8), 145); // after the due day: late
        StoreTyped(admin, zhang, text, September(3), 50);
        StoreTyped(admin, zhang, text, September(3), 145, examId); // the exam's, not the practice's
        StoreTyped(admin, qian, text, September(3), 145);
        StoreTyped(admin, m_nPupil, text, September(4), 145, 0, Drill::Title);
        CLessonAttempt lesson;
        lesson.nUserKey = m_nPupil;
        lesson.strCourse = u"fingering"_s;
        lesson.nLesson = 1;
        lesson.startedAt = lesson.endedAt = September(3);
        lesson.nElapsedMs = 60000;
        lesson.nKeystrokes = lesson.nCorrectKeys = 40;
        LessonAttemptStore::Store(*admin, lesson);

        LogInTeacher(*m_pDatabase);
        CDaoDatabase& teacher = *m_pDatabase->Database();
        CAssignment onText = OnScreen(u"狐狸一屏"_s, text, 1);
        onText.nId = AssignmentStore::SaveAssignment(teacher, onText);
        CAssignment lessons = Lessons(1, 2, 30, 1);
        lessons.classes = {Class, u"别的班"_s};
        lessons.nId = AssignmentStore::SaveAssignment(teacher, lessons);
        CAssignment drill = OnScreen(u"错字"_s, text, 1);
        drill.nTask = AssignmentTask::Drill;
        drill.nTextId = 0;
        drill.nId = AssignmentStore::SaveAssignment(teacher, drill);
        QCOMPARE(AssignmentStore::AssignmentsOf(teacher, u"别的班"_s).size(), 1);
        const auto stored = AssignmentStore::LoadAssignment(teacher, onText.nId);
        QVERIFY(stored);
        QCOMPARE(stored->TaskText(), u"《狐狸》第 1 屏"_s);

        CScriptedPlatform platform;
        platform.SetDate(QDate(2024, 9, 4));
        const QString xlsx = QDir::current().filePath(u"assignment.xlsx"_s);
        platform.AnswerFiles({xlsx});
        QStringList shown;
        QString summary;
        Drive<CAssignmentReportDlg>(platform, [&](CAssignmentReportDlg* dlg) {
            shown = Lines(dlg->m_listPupils);
            summary = dlg->GetDlgItemText(1004);
            dlg->ClickButton(1011);
        });
        CAssignmentReportDlg report(CSession::Instance(), *stored);
        report.DoModal();
        QCOMPARE(shown, (QStringList{u"2024001|李华|已完成|1/1|1|29.0|96|2024-09-03 10:00"_s,
                                     u"2024002|王芳|已完成(迟交)|1/1|1|29.0|96|2024-09-08 10:00"_s,
                                     u"2024003|张三|进行中 0/1|0/1|1|10.0|96|"_s,
                                     u"2024004|赵六|未开始|0/1|0|||"_s}));
        QCOMPARE(summary, u"已完成 2 人(迟交 1 人),进行中 1 人,未开始 1 人,逾期 0 人。"_s);
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[3][1][1].toString(), u"王芳"_s);
        QCOMPARE(rows[3][5][1].toDouble(), 29.0);

        // The pupil's own view, through the pupil's own login.
        QVERIFY(m_pDatabase->SignInAs(m_nPupil));
        CDaoDatabase& pupil = *m_pDatabase->Database();
        const QDate today(2024, 9, 4);
        QCOMPARE(AssignmentStore::OwnStatus(pupil, onText, m_nPupil, today).Text(), u"已完成"_s);
        const CAssignmentStatus own = AssignmentStore::OwnStatus(pupil, lessons, m_nPupil, today);
        QCOMPARE(std::pair(own.Text(), own.nNextLesson), std::pair(u"进行中 1/2"_s, 2));
        QCOMPARE(AssignmentStore::OwnStatus(pupil, drill, m_nPupil, today).Text(), u"已完成"_s);
        // A text set as work stays in the library while the work names it.
        QCOMPARE(TextStore::AssignmentsUsing(*admin, text.nId), QStringList{u"狐狸一屏"_s});
    }

    // The teacher's way: what is missing or impossible is refused with a
    // reason, then the assignment is stored with its classes and listed. For
    // the pupil, 开始 on it opens its next lesson with the assignment's own
    // targets, which the lesson's result measures against.
    void teacherSetsAnAssignment()
    {
        LogInTeacher(*m_pDatabase);
        CScriptedPlatform platform;
        Rows listed;
        QString unit;
        bool onlyClassTicked = false;
        Drive<CAssignmentsDlg>(platform, [&](CAssignmentsDlg* dlg) {
            Drive<CAssignmentEditDlg>(platform, [&](CAssignmentEditDlg* edit) {
                onlyClassTicked =
                    edit->m_listClasses->GetItemCount() == 1 && edit->m_listClasses->GetCheck(0);
                Press(edit, 1); // no title
                edit->m_editTitle->setText(u"第二周练习"_s);
                edit->m_editFrom->setText(u"7"_s);
                edit->m_editTo->setText(u"5"_s);
                Press(edit, 1); // 7 to 5
                edit->m_editFrom->setText(u"5"_s);
                edit->m_editTo->setText(u"7"_s);
                edit->m_editSpeed->setText(u"60"_s);
                edit->m_editPasses->setText(u"0"_s);
                Press(edit, 1); // no passes
                edit->m_editPasses->setText(u"2"_s);
                edit->m_dateDue->setDate(QDate(2024, 9, 1));
                Press(edit, 1); // due before the start
                edit->m_dateDue->setDate(QDate(2024, 9, 6));
                edit->CheckClasses({});
                Press(edit, 1); // no class
                unit = edit->GetDlgItemText(1010);
                edit->CheckClasses({Class});
                Press(edit, 1);
            });
            ClickAndWait(dlg, 1002);
            listed = ListOf(dlg->m_listAssignments).cells;
        });
        CAssignmentsDlg dlg(CSession::Instance());
        dlg.DoModal();
        QCOMPARE(unit, u"键/分"_s);
        QVERIFY(onlyClassTicked); // the school's one class, ticked from the start
        CompareBoxes(
            platform,
            ErrorBox(u"请输入作业名称!"_s) +
                ErrorBox(u"指法课程共 %1 课,请输入 1 到 %1 之间的课,前一课不大于后一课!"_s.arg(
                    CoursePlan::Course(u"fingering"_s).lessons.size())) +
                ErrorBox(u"达到要求的次数应为 1 到 99!"_s) +
                ErrorBox(u"截止日期不能早于开始日期!"_s) + ErrorBox(u"请至少选择一个班级!"_s));
        QCOMPARE(
            RowLines(listed),
            QStringList{u"第二周练习|指法课程 第 5–7 课|速度 ≥ 60 键/分,正确率 ≥ 90%,每课 2 次|"
                        "9月2日–9月6日|%1"_s.arg(Class)});
        QCOMPARE(AssignmentStore::LoadAssignments(*m_pDatabase->Admin()).value(0).Needed(), 6);
        // Lessons typed by codes are measured in 字 a minute.
        CAssignment words = Lessons(6, 7, 0, 1);
        words.strCourse = CoursePlan::Pinyin;
        QCOMPARE(words.SpeedUnitText(), u"键/分或字/分"_s);
        words.strCourse = CoursePlan::Wubi;
        words.nLessonTo = 1000000;
        QCOMPARE(words.SpeedUnitText(), u"字/分"_s);

        CFrameFixture f;
        LogInThroughTheDialog(f.platform, u"李华"_s, u"pw"_s, [&] {
            Drive<CTodayDlg>(f.platform, [](CTodayDlg* dlg) { dlg->ClickButton(1); });
        });
        const auto* screen = qobject_cast<CLessonView*>(f.view->ShownScreen());
        QVERIFY(screen && screen->Goal());
        QCOMPARE(screen->Session().Lesson().strTitle,
                 CoursePlan::Course(u"fingering"_s).Lesson(5)->strTitle);
        QCOMPARE(std::tuple(screen->Goal()->strTitle, screen->Goal()->dKeysPerMinute,
                            screen->Goal()->nAccuracy, screen->Goal()->nLessonTo),
                 std::tuple(u"第二周练习"_s, 60.0, 90, 7));
        Accounts::SignOut(*f.doc.m_pDB);
    }

    // Right after the login, a pupil with work of the class still to do
    // sees 今日任务: the assignment, the next lesson of the course and the
    // last results; 开始 starts the one chosen. Once it is done, the login
    // shows nothing, and 今日任务 from the menu lists it as done after the
    // lesson.
    void pupilSeesTheAssignmentsAfterLogin()
    {
        CDaoDatabase* admin = m_pDatabase->Admin();
        const CPracticeText text = AddFoxText(*admin);
        const CAssignment onText = OnScreen(u"狐狸第二屏"_s, text, 2);
        AssignmentStore::SaveAssignment(*admin, onText);
        CAssignment elsewhere = OnScreen(u"别的班的作业"_s, text, 2);
        elsewhere.classes = {u"别的班"_s};
        AssignmentStore::SaveAssignment(*admin, elsewhere);

        Rows listed, recent;
        const auto driveToday = [&](CFrameFixture& f, bool bStart) {
            Drive<CTodayDlg>(f.platform, [&listed, &recent, bStart](CTodayDlg* dlg) {
                listed = ListOf(dlg->m_listTasks).cells;
                recent = ListOf(dlg->m_listRecent).cells;
                dlg->ClickButton(bStart ? 1 : 2);
            });
        };
        const QString nextLesson =
            u"课程|指法课程 第 1 课 %1|正确率 90% 速度 20 键/分|下一课"_s.arg(
                CoursePlan::Course(u"fingering"_s).Lesson(1)->strTitle);
        {
            CFrameFixture f;
            LogInThroughTheDialog(f.platform, u"李华"_s, u"pw"_s, [&] { driveToday(f, true); });
            QCOMPARE(
                RowLines(listed),
                (QStringList{u"作业|狐狸第二屏:《狐狸》第 2 屏|速度 ≥ 20 WPM,正确率 ≥ 90%,1 次,"
                             "9月2日–9月6日|未开始"_s,
                             nextLesson}));
            QVERIFY(recent.isEmpty());
            const CPracticeScreen loaded = f.view->LoadedScreen().value();
            QCOMPARE(std::pair(loaded.nTextId, loaded.nScreen), std::pair(text.nId, 2));
            // The screen typed to its end at 150 characters a minute (a third
            // year's pace: faster would be 可疑 on a server) completes the
            // work, and its result says so.
            const QList<QByteArray> cells = ScreenCellBytes(loaded.text, loaded.nKind, 2);
            f.Type(QByteArray(" "));
            f.Type(cells.mid(0, cells.size() - 1).join());
            f.platform.Advance(cells.size() * 400);
            f.frame->Clock().Tick(Platform().CurrentTime());
            f.Type(cells.constLast());
            QVERIFY(f.view->ShowsResult());
            QVERIFY2(f.view->Band().strSecondLine.startsWith(u"作业完成:狐狸第二屏"_s),
                     qPrintable(f.view->Band().strSecondLine));
            Accounts::SignOut(*f.doc.m_pDB);
        }
        CFrameFixture f;
        listed.clear();
        // Every login shows it, the work done or not; 教学 opens it too.
        LogInThroughTheDialog(f.platform, u"李华"_s, u"pw"_s, [&] { driveToday(f, false); });
        QVERIFY(f.platform.modalRuns.contains(u"CTodayDlg"_s) && !listed.isEmpty());
        QVERIFY(!f.view->LoadedScreen());
        listed.clear();
        driveToday(f, false);
        QVERIFY(f.frame->Router().Execute(ID_TEACHING_TODAY));
        QCOMPARE(listed.size(), 2);
        // Late on a server, whose clock is its own and not the suite's.
        QVERIFY(RowLines(listed).last().section(u'|', -1).startsWith(u"已完成"_s));
        QCOMPARE(recent.size(), 1);
        QCOMPARE(recent[0].value(3), u"100%"_s);
        Accounts::SignOut(*f.doc.m_pDB);
    }

private:
    qint64 m_nPupil = 0;
    qint64 m_nOther = 0;
};

QE_TEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
