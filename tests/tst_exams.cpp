#include "attempts/ExamSitting.h"
#include "attempts/LiveProgress.h"
#include "attempts/PendingResults.h"
#include "attempts/Progress.h"
#include "exams/CompetitionBoardWnd.h"
#include "exams/CompetitionStore.h"
#include "exams/ExamCommands.h"
#include "exams/ExamEditDlg.h"
#include "exams/ExamResultTable.h"
#include "exams/ExamResultsDlg.h"
#include "exams/ExamsDlg.h"
#include "exams/ExamStore.h"
#include "exams/TakeExamDlg.h"
#include "platform/ListCtrl.h"
#include "practice/LargeBand.h"
#include "res/CommandIds.h"
#include "monitor/TodayDlg.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/FrameFixture.h"
#include "tests/ReadLock.h"
#include "tests/TableReader.h"
#include "tests/TeachingFixture.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/Session.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Class = u"三年级二班"_s;

// Letters over two and a bit screens; exams are set on its second screen.
QByteArray Letters()
{
    QByteArray letters;
    for (int i = 0; letters.size() < 2 * 1288 + 50; ++i)
        letters.append(char('a' + i % 26));
    return letters;
}

QByteArray Screen2(int from, int count)
{
    return Letters().mid(1288 + from, count);
}

qint64 AddText(CDaoDatabase* db)
{
    CPracticeText text;
    text.strTitle = u"字母"_s;
    text.nKind = PracticeKind::English;
    text.strBody = QString::fromLatin1(Letters());
    return TextStore::SaveText(*db, text);
}

qint64 AddExam(CDaoDatabase* db, int minutes, bool bBackspace = true, bool bRetake = false)
{
    CExam exam;
    exam.strTitle = u"期中测验"_s;
    exam.nTextId = AddText(db);
    exam.nScreen = 2;
    exam.nMinutes = minutes;
    exam.bBackspaceAllowed = bBackspace;
    exam.bRetakeAllowed = bRetake;
    exam.bOpen = true;
    exam.classes = {Class};
    return ExamStore::SaveExam(*db, exam);
}

// What the exam's result in place shows (the speed, the line that says
// whether it was stored, the cells named wrong), read before Enter closes
// it; nothing when none shows.
QStringList LookAndClose(CFrameFixture& f)
{
    const CResultSheet& result = f.view->SittingResult();
    if (!result.IsShown())
        return {};
    const QStringList& lines = result.Lines();
    const QStringList shown{lines.value(0).mid(3), lines.last(),
                            QString::number(lines.filter(u"(打成"_s).size())};
    f.Type(QByteArray("\r"));
    return shown;
}

// The results kept on this machine, as the file holds them.
QByteArray KeptFile()
{
    QFile file(PendingResults::FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CExamResultRow FirstResult(CDaoDatabase* db, qint64 exam)
{
    return ExamStore::LoadResults(*db, ExamStore::LoadExam(*db, exam).value()).value(0);
}

} // namespace

// Timed exams: taking one as a pupil, its rules and the faults it must
// hold against (the database away, two copies of one pupil, a closed exam,
// a clock set during it, edited results), its results for the teacher.
class TestExams : public CDatabaseSuite
{
    Q_OBJECT
private slots:
    void initTestCase() { CDaoDatabase::SetBusyTimeout(400); }
    void init()
    {
        CDatabaseSuite::init();
        m_nPupil = AddPupil(u"李华"_s, Class, u"2024001"_s);
    }
    void cleanup()
    {
        CDatabaseSuite::cleanup();
        QFile::remove(PendingResults::FileName());
        QFile::remove(PendingResults::RefusedFileName());
    }

    // The limit ends the exam by itself, without a question, counted on the
    // monotonic clock: the time of day set back or on changes nothing. The
    // screen is blank until the database recorded the start; the result is
    // scored by the database from what was typed.
    void timeLimitEndsTheExamAndStoresOnce()
    {
        CFrameFixture f;
        f.platform.SetTime(QTime(10, 0, 0));
        const qint64 exam = Begin(f, 1);
        QCOMPARE(f.view->LoadedScreen().value().nExamId, exam);
        QCOMPARE(f.TextRow(0), QByteArray(CQeDoc::Columns, ' '));
        QCOMPARE(Count(u"exam_sitting"_s), 0);
        QCOMPARE(f.frame->PaneText(3), u"剩余:1:00"_s);
        f.Type(QByteArray(" "));
        QCOMPARE(f.TextRow(0), Letters().mid(1288, 92));
        QCOMPARE(Sql(u"SELECT user_key, finished FROM exam_sitting"_s), u"%1|0"_s.arg(m_nPupil));
        // Typed as keys, which keep their detail beside the sitting.
        QTest::keyClicks(f.view, QString::fromLatin1(Screen2(0, 10) + "x"));
        // Another program took the keyboard once.
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        f.platform.SetTime(QTime(9, 0, 0)); // an hour back
        Advance(f, 30000);
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);
        f.platform.SetTime(QTime(12, 0, 0)); // hours on
        f.frame->OnTimer(1);
        QVERIFY(f.view->Session().IsRunning());
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);
        f.platform.SetTime(QTime(10, 0, 30)); // put right: the end is on time
        Advance(f, 30000);
        QCOMPARE(f.platform.modalRuns, QStringList{u"CTakeExamDlg"_s});
        const QStringList shown = LookAndClose(f);
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.boxes.value(0).text));
        QCOMPARE(shown.mid(1), (QStringList{u"成绩已保存。"_s, u"1"_s}));
        QCOMPARE(f.view->m_bShowCredits, 1);
        // 10 correct of 11 in 60 s: 0 a second, 90 %.
        QCOMPARE(Sql(u"SELECT name, student_no, score_type, english_speed, seconds, accuracy "
                     "FROM score"_s),
                 u"李华|2024001|英文测试|0|60|90"_s);
        QCOMPARE(Sql(u"SELECT screen, exam_id FROM attempt_text"_s), u"2|%1"_s.arg(exam));
        QCOMPARE(Sql(u"SELECT finished, elapsed_ms, speed_ms, typed_units, correct_units, "
                     "end_reason, focus_losses, late FROM exam_sitting"_s),
                 u"1|60000|60000|11|10|3|1|0"_s);
        QCOMPARE(Sql(u"SELECT position, expected, typed FROM attempt_mistake"_s), u"10|y|x"_s);
        QCOMPARE(Sql(u"SELECT key_name, expected, presses, wrong FROM attempt_key "
                     "WHERE key_name IN ('x', 'y') ORDER BY key_name"_s),
                 u"x|1|2|1 y|1|0|0"_s);
    }

    // The teacher ends a running exam for everybody from 课堂监控: the
    // pupil's program learns it at its next report and ends the sitting as
    // if the time had run out; the result is stored once, and the exam is
    // closed to new sittings until it is opened again.
    void teacherEndsTheExamForEverybody()
    {
        CFrameFixture f;
        const qint64 exam = Begin(f, 5, true, true);
        f.Type(QByteArray(" ") + Screen2(0, 10));
        CLiveReporter& reporter = f.view->Reporter();
        reporter.WaitUntilSent();
        QCOMPARE(Sql(u"SELECT activity, exam_id, screen_units FROM live_progress"_s),
                 u"2|%1|1288"_s.arg(exam));
        m_pDatabase->SignInAsTeacher();
        LiveProgress::StopExam(*m_pDatabase->Database(), exam);
        ExamStore::SetOpen(*m_pDatabase->Database(), exam, false);
        LogIn(f);
        Drive(f.platform, [](CDialog* dlg) { dlg->ClickButton(1); });
        Advance(f, 2000);
        for (int i = 0; i < 2; ++i) {
            reporter.ReportNow();
            reporter.WaitUntilSent();
            QCoreApplication::processEvents(); // the reporter's word reaches the view
        }
        SettleWorker();
        QCOMPARE(f.platform.modalRuns, QStringList{u"CTakeExamDlg"_s});
        QVERIFY(f.view->SittingResult().IsShown() && !reporter.IsRunning());
        QCOMPARE(Sql(u"SELECT finished, end_reason, correct_units FROM exam_sitting"_s),
                 u"1|3|10"_s);
        QCOMPARE(Count(u"score"_s), 1);
        QCOMPARE(Sql(u"SELECT end_reason FROM live_progress"_s), u"3"_s);
        // Opened again, its sittings run their own time.
        ExamStore::SetOpen(*m_pDatabase->Admin(), exam, true);
        QCOMPARE(Count(u"exam_stop"_s), 0);
    }

    // Stopping early earns nothing: the speed is over the time allowed,
    // unless the whole screen was typed before it. Esc asks a question that
    // names the exam, and going on is its default. 100 cells with 43 wrong
    // read 57 % on the result, in the score row, in the teacher's results
    // and in the pupil's attempts. Keys as regular as a machine's are
    // flagged for the teacher; the sitting is stored all the same.
    void stoppingEarlyIsMeasuredOverTheLimit()
    {
        CFrameFixture f;
        const qint64 exam = Begin(f, 1);
        f.Type(QByteArray(" "));
        for (const char key : QByteArray(43, '#') + Screen2(43, 57)) {
            PassSittingTime(f.platform, 30);
            f.view->OnText(QString(QChar::fromLatin1(key)));
        }
        Advance(f, 3000);
        // While typing, the speed is the result's as it stands: over the limit.
        QCOMPARE(f.view->Band().figures.value(0), u"速度 11.4 WPM"_s);
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        QVERIFY(f.view->SittingResult().Lines().contains(u"正确率:57%"_s));
        const QStringList shown = LookAndClose(f);
        CompareBoxes(f.platform, {Box(u"确定要结束考试《期中测验》吗?\n结束后成绩将被保存,"
                                      "这场考试不能再考。"_s,
                                      u"提示!"_s, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2)});
        // 57 correct characters over the minute allowed: 11.4 WPM, not 114.
        QVERIFY2(shown.value(0).startsWith(u"11.4 WPM"_s), qPrintable(shown.value(0)));
        QCOMPARE(Sql(u"SELECT elapsed_ms / 1000, speed_ms, end_reason, flagged, key_median_ms, "
                     "key_spread_ms FROM exam_sitting"_s),
                 u"6|60000|1|1|30|0"_s);
        const CExamResultRow row = FirstResult(m_pDatabase->Admin(), exam);
        // The server may name more: the cells it did not see arrive.
        QVERIFY2(ExamResultTable::Remarks(row).startsWith(u"可疑:"_s) &&
                     ExamResultTable::Remarks(row).endsWith(u"按键间隔整齐得像机器"_s),
                 qPrintable(ExamResultTable::Remarks(row)));
        QCOMPARE(row.nSpeedMs, 60000);
        QCOMPARE(Sql(u"SELECT accuracy FROM score"_s), u"57"_s);
        QCOMPARE(ExamResultTable::Cells(row).value(5).DisplayText(), u"57"_s);
        const CAttemptSummary mine = LoadAttempts(*m_pDatabase->Admin(), m_nPupil).value(0);
        QCOMPARE(Metrics::AccuracyText(mine.nCorrectUnits, mine.nTypedUnits), u"57%"_s);
    }

    // Backspace follows the exam, and a practice loaded afterwards allows
    // it again. Leaving a running exam for another command, or the program,
    // ends it first and stores its result: it never stays running.
    void leavingARunningExamStoresIt_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<bool>("backspace");
        QTest::newRow("another practice; Backspace allowed takes a key back") << 0 << true;
        QTest::newRow("another practice; Backspace refused beeps, changes nothing") << 0 << false;
        QTest::newRow("reset") << 1 << true;
        QTest::newRow("the program closed") << 2 << true;
    }
    void leavingARunningExamStoresIt()
    {
        QFETCH(int, way);
        QFETCH(bool, backspace);
        CFrameFixture f;
        Begin(f, 5, backspace);
        f.Type(QByteArray(" ") + Screen2(0, 3) + "x\b");
        QCOMPARE(TypedCount, backspace ? 3 : 4);
        QCOMPARE(CorrectCount, 3);
        QCOMPARE(f.TypedRow(0).left(4), Screen2(0, 3) + (backspace ? " " : "x"));
        QCOMPARE(f.platform.beeps, backspace ? 0 : 1);
        Drive(f.platform, [](CDialog* dlg) { dlg->ClickButton(1); });
        f.WriteFile(u"english.txt"_s, "abc");
        if (way == 0)
            f.view->OnPracticeEnglish();
        else if (way == 1)
            QVERIFY(f.frame->Router().Execute(ID_PROGRAM_RESET));
        else
            f.frame->close(); // the exit question is answered Yes
        SettleWorker();
        QCOMPARE(f.platform.modalRuns, QStringList{u"CTakeExamDlg"_s});
        QVERIFY2(f.platform.boxes.constLast().text.startsWith(u"考试《期中测验》结束\n"_s),
                 qPrintable(f.platform.boxes.constLast().text));
        QCOMPARE(Sql(u"SELECT finished, typed_units, end_reason FROM exam_sitting"_s),
                 u"1|%1|4"_s.arg(backspace ? 3 : 4));
        QCOMPARE(Count(u"score"_s), 1);
        QCOMPARE(CurrentPracticeKind, int(way == 0 ? PracticeKind::English : PracticeKind::None));
        if (way != 0)
            return;
        f.Type(QByteArray(" ax\b"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(f.platform.beeps, backspace ? 0 : 1);
    }

    void retakeOnlyWhenAllowed_data()
    {
        QTest::addColumn<bool>("retakeAllowed");
        QTest::addColumn<bool>("keptOnThisMachine");
        QTest::newRow("once only: a second sitting is refused") << false << false;
        QTest::newRow("a result kept on this machine counts") << false << true;
        QTest::newRow("retakes allowed") << true << false;
    }
    void retakeOnlyWhenAllowed()
    {
        QFETCH(bool, retakeAllowed);
        QFETCH(bool, keptOnThisMachine);
        CFrameFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 5, true, retakeAllowed);
        if (keptOnThisMachine) {
            // A sitting whose end the database could not take.
            const CSittingStart start = StartSitting(*f.doc.m_pDB, exam, m_nPupil);
            QVERIFY(start.sitting);
            CSittingResult kept;
            kept.strUid = start.sitting->strUid;
            kept.nExamId = exam;
            kept.nUserKey = m_nPupil;
            QVERIFY(PendingResults::Keep(kept));
        } else {
            TakeExam(f);
            f.platform.AnswerBoxes({IDOK});
            Drive(f.platform, [](CDialog* dlg) { dlg->ClickButton(1); });
            f.Type(QByteArray(" ab\x1b"));
            QCOMPARE(Count(u"exam_sitting"_s), 1);
            // An exam sat is no work waiting, even where it may be retaken:
            // 今日任务 does not follow its result.
            QVERIFY(!f.platform.modalRuns.contains(u"CTodayDlg"_s));
        }
        f.platform.boxes.clear();
        f.view->ShowCredits();
        TakeExam(f);
        if (retakeAllowed) {
            QVERIFY(f.platform.boxes.isEmpty());
            QCOMPARE(f.view->LoadedScreen().value().nExamId, exam);
        } else {
            CompareBoxes(f.platform, {Box(u"你已经参加过考试《期中测验》,这场考试不允许重考。"_s,
                                          u"提示"_s, MB_OK | MB_ICONEXCLAMATION)});
            QVERIFY(!f.view->LoadedScreen());
        }
    }

    // The start is recorded or the exam does not start: without the
    // database, or with the exam closed by the teacher after the pupil chose
    // it, nothing is shown, nothing runs, and no sitting exists that a
    // second try could go around.
    void startNeedsTheDatabase_data()
    {
        QTest::addColumn<QString>("away");
        QTest::newRow("not connected") << u"none"_s;
        QTest::newRow("file renamed meanwhile") << u"renamed"_s;
        QTest::newRow("another program holds the file, then a while only") << u"locked"_s;
        QTest::newRow("a closed exam takes no new sitting") << u"closed"_s;
    }
    void startNeedsTheDatabase()
    {
        QFETCH(QString, away);
        if ((away == u"renamed"_s || away == u"locked"_s) && m_pDatabase->IsPostgres())
            QSKIP("a database file's faults");
        CFrameFixture f;
        const qint64 exam = Begin(f, 5);
        std::unique_ptr<CReadLock> writer;
        if (away == u"none"_s)
            NoDatabase();
        else if (away == u"renamed"_s)
            QVERIFY(QFile::rename(u"user.mdb"_s, u"away.mdb"_s));
        else if (away == u"closed"_s)
            ExamStore::SetOpen(*m_pDatabase->Admin(), exam, false);
        else {
            // A writer holds the file past the busy timeout.
            writer = std::make_unique<CReadLock>(u"user.mdb"_s);
            QVERIFY(writer->HoldWrite());
        }
        f.Type(QByteArray(" ") + Screen2(0, 5));
        QVERIFY(!f.view->LoadedScreen());
        QVERIFY(!f.view->Session().IsRunning());
        QCOMPARE(TypedCount, 0);
        QCOMPARE(f.platform.boxes.size(), 1);
        const QString told = f.platform.boxes[0].text;
        QVERIFY2(told.startsWith(u"考试没有开始"_s) || told.startsWith(u"数据库未正确连接"_s),
                 qPrintable(told));
        if (away == u"closed"_s)
            QCOMPARE(told, u"考试没有开始:考试已经关闭。"_s);
        writer.reset();
        if (away == u"renamed"_s)
            QVERIFY(QFile::rename(u"away.mdb"_s, u"user.mdb"_s));
        CSession::Instance().SetDatabaseSource([&f] { return f.doc.m_pDB; });
        QCOMPARE(Count(u"exam_sitting"_s), 0);
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        if (away != u"locked"_s)
            return;
        // Held only for a while, the windows keep painting and the clock
        // ticking; the start goes through once it lets go.
        f.platform.boxes.clear();
        TakeExam(f);
        CReadLock reader(u"user.mdb"_s);
        QVERIFY(reader.Hold());
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
            if (++ticks == 5)
                reader.Release();
        });
        ticker.start(20);
        f.Type(QByteArray(" "));
        ticker.stop();
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.boxes.value(0).text));
        QVERIFY(f.view->Session().IsRunning());
        QCOMPARE(Count(u"exam_sitting"_s), 1);
    }

    // Two copies of the program logged in as one pupil: one sitting runs,
    // the other is refused; a sitting its program left running counts as
    // sat (中断) once its time is over.
    void oneSittingAtATime()
    {
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1);
        CDaoDatabase first, second;
        for (CDaoDatabase* copy : {&first, &second}) {
            copy->Open(m_pDatabase->Target());
            QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, copy));
        }
        CScriptedPlatform platform;
        const CSittingStart one = StartSitting(first, exam, m_nPupil);
        QVERIFY(one.sitting);
        const CSittingStart two = StartSitting(second, exam, m_nPupil);
        QVERIFY(!two.sitting);
        QCOMPARE(two.strRefusal,
                 u"你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。"_s);
        // Asked again under its uid (its answer came too late), the start is
        // the same sitting on its first start's clock.
        PassSittingTime(platform, 5000);
        const CSittingStart again = StartSitting(second, exam, m_nPupil, one.sitting->strUid);
        QVERIFY(again.sitting);
        QCOMPARE(again.sitting->startedAt.msecsTo(one.sitting->startedAt),
                 m_pDatabase->IsPostgres() ? 5000 : 0); // a server's record was moved back
        // The first program is killed; its sitting's time runs out.
        PassSittingTime(platform, 91000);
        const CSittingStart three = StartSitting(second, exam, m_nPupil);
        QVERIFY(!three.sitting);
        QCOMPARE(three.strRefusal, u"你已经参加过这场考试,这场考试不允许重考。"_s);
        const CExamResultRow row = FirstResult(m_pDatabase->Admin(), exam);
        QCOMPARE(std::pair(int(row.state), row.nSittings),
                 std::pair(int(CExamResultRow::Interrupted), 1));
    }

    // 比赛: its screen reaches nobody before the teacher's start, which is
    // ten seconds ahead on the database's clock and set once; every sitting
    // starts at it, so that a pupil who comes late has only the time left,
    // and nobody once its time is over.
    void competitionStartsForEverybodyAtOnce()
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        const qint64 exam = AddExam(db, 1);
        CompetitionStore::Save(*db, exam, {});
        CDaoDatabase pupil;
        pupil.Open(m_pDatabase->Target());
        QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, &pupil));
        CScriptedPlatform platform;
        const CSittingStart early = StartSitting(pupil, exam, m_nPupil);
        QVERIFY(!early.sitting);
        QCOMPARE(early.strRefusal, u"比赛还没有开始。"_s);

        const QDateTime pressed = DatabaseNow(*db);
        const QDateTime starts = CompetitionStore::Start(*db, exam);
        QVERIFY2(pressed.msecsTo(starts) >= 10000 && pressed.msecsTo(starts) < 12000,
                 qPrintable(starts.toString(Qt::ISODateWithMs)));
        QCOMPARE(CompetitionStore::Start(*db, exam), starts);  // pressed again
        QVERIFY(!StartSitting(pupil, exam, m_nPupil).sitting); // still counting down
        // Twenty seconds after the start the pupil comes: the sitting started
        // with everybody's.
        if (m_pDatabase->IsPostgres())
            db->Execute(u"UPDATE competition SET starts_at = LOCALTIMESTAMP(3) - "
                        "interval '20 seconds'"_s);
        else
            platform.Advance(30000);
        const QDateTime started = ExamStore::LoadExam(*db, exam)->competition->startsAt;
        const CSittingStart late = StartSitting(pupil, exam, m_nPupil);
        QVERIFY(late.sitting);
        QCOMPARE(late.sitting->startedAt, started);
        QCOMPARE(late.sitting->nGoneMs / 1000, 20); // of the minute allowed
        // Past its minute nobody starts it any more.
        if (m_pDatabase->IsPostgres())
            db->Execute(u"UPDATE competition SET starts_at = LOCALTIMESTAMP(3) - "
                        "interval '61 seconds'"_s);
        else
            platform.Advance(41000);
        QCOMPARE(StartSitting(pupil, exam, m_nPupil).strRefusal, u"比赛已经结束。"_s);
    }

    // Ranked by the score, then the accuracy, then the time taken; equal in
    // all three, equal places and prizes. A result in doubt keeps its place
    // but wins nothing, and counts for no share.
    void competitionRanksAndGivesPrizes()
    {
        using namespace CompetitionRules;
        QCOMPARE(Score(CCompetitionSettings::CorrectPerMinute, 100, 90, 30000), 180.0);
        QCOMPARE(Score(CCompetitionSettings::NetFivePenalty, 100, 90, 60000), 40.0);
        QCOMPARE(Score(CCompetitionSettings::NetFivePenalty, 100, 10, 60000), 0.0);
        QCOMPARE(Score(CCompetitionSettings::CorrectPerMinute, 10, 10, 0), 0.0);
        QCOMPARE(SharesProblem({50, 50, 10}), u"一、二、三等奖的比例加起来不能超过 100%。"_s);
        QCOMPARE(SharesProblem({10, 20, 30}), QString());

        const QList<CEntry> entries{
            {60, 95, 60000, false}, // A
            {60, 98, 60000, false}, // B
            {60, 98, 50000, false}, // C
            {80, 100, 60000, true}, // D, in doubt
            {40, 90, 60000, false}, // E
            {40, 90, 60000, false}, // F, tied with E
            {10, 90, 60000, false}, // G
        };
        // Six not in doubt: one 一等奖, one 二等奖, two 三等奖 (and the tie).
        QStringList shown;
        for (const CPlace& place : Rank(entries, {10, 20, 30}))
            shown.append(u"%1%2"_s.arg(place.nPlace).arg(PrizeName(place.nPrize)));
        QCOMPARE(shown, (QStringList{u"4三等奖"_s, u"3二等奖"_s, u"2一等奖"_s, u"1"_s, u"5三等奖"_s,
                                     u"5三等奖"_s, u"7"_s}));
        // No 一等奖 asked: the best wins the 二等奖.
        QCOMPARE(Rank(entries, {0, 20, 0}).value(2).nPrize, 2);
    }

    // With the database away at the end, the result is kept on this machine
    // and stored, once, when it is back: scored by the database from what
    // was typed.
    void resultKeptWhileDatabaseAwayStoredOnce()
    {
        CFrameFixture f;
        Begin(f, 5);
        f.Type(QByteArray(" ") + Screen2(0, 20));
        NoDatabase();
        f.platform.AnswerBoxes({IDOK});
        Advance(f, 12000);
        f.Type(QByteArray("\x1b"));
        const QStringList shown = LookAndClose(f);
        QCOMPARE(shown.value(1), u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后会自动保存。"_s);
        QCOMPARE(PendingResults::Load().size(), 1);
        QCOMPARE(Count(u"score"_s), 0);
        const QByteArray kept = KeptFile();
        QVERIFY(!kept.isEmpty());
        // The database is back; then a program that stopped before it
        // emptied the file tries again: nothing is stored twice.
        CSession::Instance().SetDatabaseSource([&f] { return f.doc.m_pDB; });
        for (int i = 0; i < 2; ++i) {
            if (i == 1)
                f.WriteFile(PendingResults::FileName(), kept);
            CExamCommands::StorePendingResults(CSession::Instance());
            QVERIFY(CSession::Instance().Worker().Finish(10000)); // stored on a thread of its own
            QVERIFY(!QFile::exists(PendingResults::FileName()));
            QCOMPARE(Count(u"score"_s), 1);
            QCOMPARE(Count(u"attempt"_s), 1);
        }
        QCOMPARE(Sql(u"SELECT finished, typed_units, correct_units, end_reason, late "
                     "FROM exam_sitting"_s),
                 u"1|20|20|1|0"_s);
    }

    // What a kept result says of its figures counts for nothing: the
    // database scores what was typed. One it cannot score is refused, and
    // the teacher sees why; another pupil's waits for that pupil's login,
    // and one changed on the machine to another account goes back to its
    // own (the teacher sees the try) and is stored at that login.
    // The key presses are kept with the result and shown as 击键 over the
    // exam's time and 码长 per correct character.
    void keptResultIsScoredByTheDatabase_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("outcome"); // stored, refused, waiting
        QTest::newRow("as kept, with its key presses") << QString() << u"stored"_s;
        QTest::newRow("key presses edited by hand") << u"figures"_s << u"stored"_s;
        QTest::newRow("more typed than the screen holds") << u"overlong"_s << u"refused"_s;
        QTest::newRow("a sitting the database never saw") << u"unseen"_s << u"refused"_s;
        QTest::newRow("another pupil's result waits") << u"other"_s << u"waiting"_s;
        QTest::newRow("a result changed to another account") << u"rekeyed"_s << u"given back"_s;
        QTest::newRow("after the time allowed: late, over the limit") << u"late"_s << u"stored"_s;
    }
    void keptResultIsScoredByTheDatabase()
    {
        QFETCH(QString, change);
        QFETCH(QString, outcome);
        CFrameFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1);
        CSittingStart start = StartSitting(*f.doc.m_pDB, exam, m_nPupil);
        QVERIFY(start.sitting);
        CSittingResult result;
        result.strUid = change == u"unseen"_s ? u"made-up"_s : start.sitting->strUid;
        result.nExamId = exam;
        result.nUserKey = change == u"other"_s ? m_nPupil + 100 : m_nPupil;
        for (int i = 0; i < (change == u"overlong"_s ? 1289 : 30); ++i) {
            const QByteArray cell = i == 3 ? QByteArray("x") : Screen2(i, 1);
            result.typedCells.append(QString::fromLatin1(cell.toHex()));
            result.typedTexts.append(QString::fromLatin1(cell));
        }
        result.nEndReason = EndReason::TimeLimit;
        result.nKeyPresses = 87;
        result.nBackspacePresses = 4;
        qint64 flusher = m_nPupil;
        if (change == u"rekeyed"_s) {
            result.nUserKey = flusher = AddPupil(u"王明"_s, Class, u"2024002"_s);
            LogInPupil(flusher, u"王明"_s, Class, u"2024002"_s, m_pDatabase.get(), f.doc.m_pDB);
        }
        QVERIFY(PendingResults::Keep(result));
        if (change == u"figures"_s) {
            QByteArray kept = KeptFile();
            QVERIFY(kept.contains("\"keyPresses\": 87,"));
            kept.replace("\"keyPresses\": 87,", "\"keyPresses\": 100000,");
            CFrameFixture::WriteFile(PendingResults::FileName(), kept);
        }
        PassSittingTime(f.platform, change == u"late"_s ? 150000 : 50000);
        PendingResults::Flush(*f.doc.m_pDB, flusher);

        QCOMPARE(QFile::exists(PendingResults::FileName()),
                 outcome == u"waiting"_s || outcome == u"given back"_s);
        QCOMPARE(QFile::exists(PendingResults::RefusedFileName()), outcome == u"refused"_s);
        QCOMPARE(Count(u"score"_s), outcome == u"stored"_s ? 1 : 0);
        if (outcome == u"stored"_s)
            QCOMPARE(Sql(u"SELECT finished, typed_units, correct_units, speed_ms, late "
                         "FROM exam_sitting"_s),
                     u"1|30|29|60000|%1"_s.arg(change == u"late"_s ? 1 : 0));
        // A server bounds the key presses by its own time, 20 a second; an
        // SQLite file on the pupil's machine is theirs to change anyway.
        if (change == u"figures"_s && m_pDatabase->IsPostgres())
            QCOMPARE(Sql(u"SELECT a.key_presses = 20 * (s.elapsed_ms / 1000 + 1) "
                         "AND s.elapsed_ms >= 50000 FROM attempt a "
                         "JOIN exam_sitting s ON s.attempt_id = a.id"_s),
                     u"true"_s);
        else if (change == u"figures"_s)
            QCOMPARE(Sql(u"SELECT key_presses FROM attempt"_s), u"100000"_s);
        const QStringList refusals =
            SelectRows(m_pDatabase->Admin(), u"SELECT reason FROM exam_refusal"_s);
        // A server refuses a result beyond any screen's size before it does
        // any work, and keeps no trace of it.
        const bool bOversized = change == u"overlong"_s && m_pDatabase->IsPostgres();
        QCOMPARE(refusals.size(),
                 (outcome == u"refused"_s && !bOversized) || outcome == u"given back"_s ? 1 : 0);
        const CExamResultRow row = FirstResult(m_pDatabase->Admin(), exam);
        if (change.isEmpty()) {
            QCOMPARE(Sql(u"SELECT key_presses, backspace_presses FROM attempt"_s), u"87|4"_s);
            const QList<CExportCell> cells = ExamResultTable::Cells(row);
            QCOMPARE(ExamResultTable::Headings(PracticeKind::Chinese).mid(8, 2),
                     (QStringList{u"击键"_s, u"码长"_s}));
            // 87 keys over the 50 s used, not over the minute the speed takes.
            QVERIFY(row.nElapsedMs >= 50000 && row.nElapsedMs < row.nSpeedMs);
            QCOMPARE(cells[8].DisplayText(), QString::number(87000.0 / row.nElapsedMs, 'f', 2));
            // 我的练习记录 shows the same time used, and the speed's own time.
            const CAttemptSummary mine = LoadAttempts(*m_pDatabase->Admin(), m_nPupil).value(0);
            QCOMPARE(mine.UsedMs(), row.nElapsedMs);
            QCOMPARE(mine.nElapsedMs, row.nSpeedMs);
            QCOMPARE(cells[9].DisplayText(), u"3.00"_s); // for 29 correct characters
        } else if (outcome == u"refused"_s && change != u"unseen"_s && !bOversized) {
            // The teacher's results name the refusal.
            QCOMPARE(row.strRefusal, refusals[0]);
            QVERIFY(ExamResultTable::Remarks(row).startsWith(u"未保存:"_s));
        } else if (outcome == u"given back"_s) {
            QCOMPARE(refusals[0], u"本机保存的成绩属于另一个帐户,不能记在这个帐户下"_s);
            QCOMPARE(PendingResults::Load().value(0).nUserKey, m_nPupil);
            LogIn(f);
            PendingResults::Flush(*f.doc.m_pDB, m_nPupil);
            QVERIFY(!QFile::exists(PendingResults::FileName()));
            QCOMPARE(Count(u"score"_s), 1);
        }
    }

    // One row per pupil of the exam's class in each state, those with a
    // result first, and a pupil of another class who sat it; a heading
    // sorts, pupils without figures last; exported as shown.
    void resultsListEveryPupilInEachState()
    {
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        QHash<QString, qint64> keys;
        for (const QString& name :
             {u"安安"_s, u"贝贝"_s, u"陈晨"_s, u"丁丁"_s, u"方方"_s, u"瓜瓜"_s, u"高高"_s}) {
            const QString cls = name == u"方方"_s || name == u"高高"_s ? u"三年级一班"_s : Class;
            keys[name] = m_pDatabase->Insert(u"user"_s, {name, cls, u"No."_s + name});
        }
        // 李华 of init sits nothing either; 瓜瓜's program stopped long ago.
        const qint64 exam = AddExam(db, 1, true, true);
        const QString now = StoredDateTime(QDateTime::currentDateTime());
        const auto sit = [&](const QString& name, const QVariantList& figures) {
            QSqlQuery insert(db->Connection());
            insert.prepare(
                u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, kind, finished, "
                "elapsed_ms, speed_ms, typed_units, correct_units, end_reason, focus_losses, "
                "late) VALUES (?, ?, ?, ?, 112, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
            for (const QVariant& value :
                 QVariantList{QUuid::createUuid().toString(), exam, keys[name],
                              name == u"瓜瓜"_s ? u"2000-01-01 00:00:00.000"_s : now} +
                     figures)
                insert.addBindValue(value);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        };
        const QVariantList running{0, 0, 0, 0, 0, 0, 0, 0};
        sit(u"贝贝"_s, running);
        sit(u"瓜瓜"_s, running);
        sit(u"陈晨"_s, {1, 60000, 60000, 100, 90, EndReason::TimeLimit, 2, 0});
        sit(u"丁丁"_s, {1, 30000, 60000, 50, 50, EndReason::Escape, 0, 0});
        sit(u"丁丁"_s, {1, 45000, 45000, 200, 190, EndReason::EndOfScreen, 0, 0});
        sit(u"方方"_s, {1, 50000, 60000, 80, 60, EndReason::Left, 1, 1});
        // Each row is graded by its own class's rule, else the school's.
        GradeStore::Save(*db, {}, PracticeKind::English, {{{{50, 95}, {15, 90}, {10, 80}}}});
        GradeStore::Save(*db, u"三年级一班"_s, PracticeKind::English,
                         {{{{30, 95}, {20, 90}, {10, 70}}}});

        CScriptedPlatform platform;
        const QString xlsx = QDir::current().filePath(u"results.xlsx"_s);
        const QString csv = QDir::current().filePath(u"results.csv"_s);
        platform.AnswerFiles({xlsx, csv});
        QString summary, heading;
        QStringList shown, bySpeed, byGrade, tips;
        Drive<CExamResultsDlg>(platform, [&](CExamResultsDlg* dlg) {
            summary = dlg->GetDlgItemText(1001);
            heading = ListOf(dlg->m_listResults).headers.last();
            shown = Lines(dlg->m_listResults);
            dlg->SortBy(4);
            bySpeed = Lines(dlg->m_listResults);
            // The status's tip of the first three rows, as shown.
            for (int row = 0; row < 3; ++row)
                tips.append(
                    dlg->m_listResults->model()->index(row, 3).data(Qt::ToolTipRole).toString());
            dlg->SortBy(6);
            dlg->SortBy(6);
            byGrade = Lines(dlg->m_listResults);
            dlg->ClickButton(1011);
            dlg->ClickButton(1012);
        });
        CExamResultsDlg dlg(CSession::Instance(), ExamStore::LoadExam(*db, exam).value());
        dlg.DoModal();
        QCOMPARE(summary, u"期中测验:《字母》第 2 屏,限时 1 分钟,三年级二班。"
                          "已完成 3 人,进行中 1 人,中断 1 人,未开始 2 人。"_s);
        // 一班 before 二班: grades and classes in their order.
        const QStringList expected{
            u"方方|三年级一班|No.方方|补交|12.0|75|及格|50秒|不可用|不可用|中途离开|1|1|补交"_s,
            u"陈晨|三年级二班|No.陈晨|已完成|18.0|90|良好|1分00秒|不可用|不可用|时间到|2|1|"_s,
            u"丁丁|三年级二班|No.丁丁|已完成|50.7|95|优秀|45秒|不可用|不可用|打完一屏|0|2|"_s,
            u"瓜瓜|三年级二班|No.瓜瓜|中断|||||||||1|"_s,
            u"贝贝|三年级二班|No.贝贝|进行中|||||||||1|"_s,
            u"安安|三年级二班|No.安安|未开始||||||||||"_s,
            u"李华|三年级二班|2024001|未开始||||||||||"_s,
        };
        QCOMPARE(heading, u"备注"_s);
        QCOMPARE(shown, expected);
        QCOMPARE(bySpeed.mid(0, 3), expected.mid(0, 3));
        // The best grade first, those without one last.
        QCOMPARE(byGrade.mid(0, 3), (QStringList{expected[2], expected[1], expected[0]}));
        QCOMPARE(tips, (QStringList{u"补交"_s, QString(), QString()}));
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 9);
        // As shown, the best grade first: 丁丁's 190 characters in 45 s.
        QCOMPARE(rows[2][4][1].toDouble(), 50.7);
        QCOMPARE(rows[2][6][1].toString(), u"优秀"_s);
        QCOMPARE(rows[4][6][1].toString(), u"及格"_s);
        QCOMPARE(ReadTable(csv)[u"rows"_s].toArray().size(), 9);
    }

    // Right after the login a pupil with an open exam of the class, not yet
    // sat, finds it first in 今日任务 and may start it from there.
    void openExamIsOfferedAfterLogin_data()
    {
        QTest::addColumn<bool>("sat");
        QTest::addColumn<int>("button");
        QTest::newRow("offered, and started") << false << 1;
        QTest::newRow("offered, and left for later") << false << 2;
        QTest::newRow("sat already: the next lesson") << true << 1;
    }
    void openExamIsOfferedAfterLogin()
    {
        QFETCH(bool, sat);
        QFETCH(int, button);
        CFrameFixture f;
        const qint64 exam = AddExam(m_pDatabase->Admin(), 5);
        if (sat) {
            LogIn(f);
            QVERIFY(StartSitting(*f.doc.m_pDB, exam, m_nPupil).sitting);
            m_pDatabase->SignOut();
            Accounts::SignOut(*f.doc.m_pDB);
        }
        QStringList first;
        LogInThroughTheDialog(f.platform, u"李华"_s, u"pw"_s, [&] {
            Drive<CTodayDlg>(f.platform, [&first, button, sat](CTodayDlg* dlg) {
                first = ListOf(dlg->m_listTasks).cells.value(0);
                dlg->ClickButton(sat ? 2 : button);
            });
        });
        // 今日任务 after every login: the exam first while it is to be sat,
        // else the next lesson.
        QVERIFY(f.platform.modalRuns.contains(u"CTodayDlg"_s));
        QVERIFY(f.platform.boxes.isEmpty());
        QCOMPARE(sat ? first.value(0) + first.value(3) : first.join(u'|'),
                 sat ? u"课程下一课"_s : u"考试|期中测验|限时 5 分钟|可以开始"_s);
        const bool bLoaded = !sat && button == 1;
        QCOMPARE(f.view->LoadedScreen() ? f.view->LoadedScreen()->nExamId : 0, bLoaded ? exam : 0);
    }

    // A pupil who presses the space bar before the teacher's start waits on
    // the card: it says so, then counts down by the database's clock, and
    // the competition starts by itself at its start.
    void competitionCardWaitsForTheStart()
    {
        CFrameFixture f;
        LogIn(f);
        CDaoDatabase* db = m_pDatabase->Admin();
        const qint64 exam = AddExam(db, 1);
        CompetitionStore::Save(*db, exam, {});
        const auto prompt = [&f] { return f.view->Card().strPrompt; };
        TakeExam(f);
        f.Type(QByteArray(" "));
        SettleWorker();
        QCOMPARE(prompt(), u"等待老师开始比赛……"_s);
        QCOMPARE(Count(u"exam_sitting"_s), 0);
        StartCompetitionIn(30500);
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return prompt() == u"比赛 31 秒后开始"_s ||
                                prompt() == u"比赛 30 秒后开始"_s;
                     },
                     5000),
                 qPrintable(prompt()));
        StartCompetitionIn(-1500);
        QVERIFY(QTest::qWaitFor([&] { return f.view->Session().IsRunning(); }, 5000));
        QCOMPARE(Count(u"exam_sitting"_s), 1);
        QCOMPARE(prompt(), u"按空格键开始"_s);
    }

    // A competition's card states how it is scored; a pupil who comes late
    // starts with the time that is left, on the screen and on its clock.
    void lateCompetitorHasTheTimeLeft()
    {
        CFrameFixture f;
        LogIn(f);
        CDaoDatabase* db = m_pDatabase->Admin();
        const qint64 exam = AddExam(db, 1);
        CompetitionStore::Save(*db, exam, {});
        StartCompetitionIn(-20000);
        TakeExam(f);
        // Its card states how it is scored before it starts.
        const QStringList card = LargeBand::Card(f.view->LoadedScreen().value(), 1).lines;
        QCOMPARE(card.mid(0, 2),
                 (QStringList{u"比赛:期中测验"_s,
                              u"成绩 = 打对的字数 ÷ 分钟数;成绩相同的比正确率,再比用时。"_s}));
        f.Type(QByteArray(" "));
        QVERIFY(f.view->Session().IsRunning());
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:40"_s);
        QCOMPARE(f.view->Band().figures.value(3), u"剩余 0:40"_s);
    }

    // A teacher makes an exam a competition (比赛) in its editor, starts it
    // from the list, and reads the results ranked by its rule, with the
    // places, scores and prizes, as exported.
    void teacherRunsACompetition()
    {
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        const qint64 exam = AddExam(db, 1);
        QHash<QString, qint64> keys;
        for (const QString& name : {u"安安"_s, u"贝贝"_s, u"陈晨"_s})
            keys[name] = m_pDatabase->Insert(u"user"_s, {name, Class, u"No."_s + name});
        LogInTeacher(*m_pDatabase);
        CScriptedPlatform platform;
        platform.AnswerBoxes({IDOK, IDYES});
        QStringList states;
        Drive<CExamsDlg>(platform, [&](CExamsDlg* dlg) {
            Drive<CExamEditDlg>(platform, [&](CExamEditDlg* edit) {
                edit->ClickButton(1009);
                edit->ChooseItem(1010, CCompetitionSettings::NetFivePenalty);
                Fill(edit, {{1011, u"60"_s}, {1012, u"50"_s}, {1013, u"0"_s}});
                Press(edit, 1); // refused: more than everybody
                Fill(edit, {{1012, u"0"_s}});
                Press(edit, 1);
            });
            dlg->m_listExams->setCurrentIndex(dlg->m_listExams->model()->index(0, 0));
            ClickAndWait(dlg, 1003);
            states.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
            ClickAndWait(dlg, 1007);
            states.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
        });
        CExamsDlg(CSession::Instance()).DoModal();
        QCOMPARE(platform.boxes.value(0).text, u"一、二、三等奖的比例加起来不能超过 100%。"_s);
        QVERIFY(platform.boxes.value(1).text.startsWith(u"确定现在开始比赛《期中测验》吗?"_s));
        // A database file is one machine's, and the teacher is told so.
        QCOMPARE(platform.boxes.value(1).text.endsWith(u"比赛只能在这台电脑上进行。"_s),
                 !m_pDatabase->IsPostgres());
        QCOMPARE(states, (QStringList{u"比赛未开始"_s, u"比赛已开始,打开"_s}));
        const CExam stored = ExamStore::LoadExam(*db, exam).value();
        QVERIFY(stored.competition && stored.competition->startsAt.isValid());
        QCOMPARE(stored.competition->nScoring, int(CCompetitionSettings::NetFivePenalty));
        QVERIFY(!stored.bRetakeAllowed);

        // 100 typed, 90 right in a minute: 40 net; 50 right of 50: 50 net
        // in 45 s is 66.7; 贝贝 sits nothing.
        for (const auto& [name, figures] : {std::pair{u"安安"_s, QVariantList{60000, 100, 90}},
                                            std::pair{u"陈晨"_s, QVariantList{45000, 50, 50}}}) {
            QSqlQuery insert(db->Connection());
            insert.prepare(u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, kind, "
                           "finished, elapsed_ms, speed_ms, typed_units, correct_units, "
                           "end_reason, focus_losses, late) VALUES (?, ?, ?, ?, 112, 1, ?, ?, ?, "
                           "?, 1, 0, 0)"_s);
            for (const QVariant& value :
                 QVariantList{name, exam, keys[name], StoredDateTime(stored.competition->startsAt),
                              figures[0], figures[0], figures[1], figures[2]})
                insert.addBindValue(value);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        }
        const QString csv = QDir::current().filePath(u"competition.csv"_s);
        const QString pdf = QDir::current().filePath(u"certificates.pdf"_s);
        platform.AnswerFiles({csv, pdf});
        QStringList headings, shown;
        QString winners;
        Drive<CExamResultsDlg>(platform, [&](CExamResultsDlg* dlg) {
            headings = ListOf(dlg->m_listResults).headers.mid(4, 3);
            shown = Lines(dlg->m_listResults);
            dlg->ClickButton(1012);
            // 奖状, under the school's name, which is kept.
            Drive<CDialog>(platform, [&](CDialog* certificates) {
                winners = certificates->GetDlgItemText(1001);
                Fill(certificates, {{1002, u"  "_s}});
                Press(certificates, 1003); // refused: no school
                Fill(certificates, {{1002, u"实验小学"_s}});
                Press(certificates, 1003);
            });
            dlg->ClickButton(1015);
        });
        CExamResultsDlg(CSession::Instance(), stored).DoModal();
        QCOMPARE(headings, (QStringList{u"名次"_s, u"成绩(错一罚五)"_s, u"奖项"_s}));
        QCOMPARE(shown.value(0).section(u'|', 0, 6),
                 u"陈晨|三年级二班|No.陈晨|已完成|1|66.7|一等奖"_s);
        QCOMPARE(shown.value(1).section(u'|', 0, 6), u"安安|三年级二班|No.安安|已完成|2|40.0|"_s);
        QCOMPARE(shown.value(2).section(u'|', 0, 6), u"贝贝|三年级二班|No.贝贝|未开始|||"_s);
        const QJsonArray rows = ReadTable(csv)[u"rows"_s].toArray();
        QVERIFY2(rows[0][0].toString().startsWith(u"期中测验 比赛成绩("_s) &&
                     rows[0][0].toString().endsWith(u",计分:错一罚五)"_s),
                 qPrintable(rows[0][0].toString()));
        QCOMPARE(rows[2][6].toString(), u"一等奖"_s);

        // One winner of two by a share of 60 %: one landscape page.
        QCOMPARE(winners, u"比赛《期中测验》的 1 名得奖学生,每人一页。"_s);
        QCOMPARE(platform.boxes.value(3).text, u"请输入学校名称,它印在每张奖状上。"_s);
        QCOMPARE(CompetitionStore::LoadSchoolName(*db), u"实验小学"_s);
        QCOMPARE(PdfPages(pdf), 1);
        QCOMPARE(PdfPageSize(pdf), u"842 x 595 pts (A4)"_s); // wider than high
        const QString page = PdfPageTexts(pdf).value(0);
        for (const QString& words : {u"陈晨 同学(三年级二班)"_s, u"实验小学“期中测验”"_s,
                                     u"66.7 个字符/分(错一罚五)"_s, u"一等奖"_s})
            QVERIFY2(page.contains(words), qPrintable(page));
        QVERIFY(!page.contains(u"安安"_s));
    }

    // 比赛大屏: while the competition runs each pupil is ranked on what the
    // program reported, or on the server's result once stored (a result in
    // doubt shown as such); the teacher ends it for everybody from the
    // board, and once every result is in the final ranking is the
    // server's, with its prizes. The type is a thirtieth of the height.
    void boardRanksLiveThenTheServersFinal()
    {
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        const qint64 exam = AddExam(db, 1);
        CompetitionStore::Save(*db, exam, {});
        QHash<QString, qint64> keys;
        for (const QString& name : {u"安安"_s, u"贝贝"_s, u"陈晨"_s})
            keys[name] = m_pDatabase->Insert(u"user"_s, {name, Class, u"No."_s + name});
        CScriptedPlatform platform; // the clock of a database file
        StartCompetitionIn(-5000);
        const QDateTime startsAt = ExamStore::LoadExam(*db, exam)->competition->startsAt;
        // A pupil's row of table replaced by the statement's.
        const auto put = [&](const QString& table, const QString& name, const QString& sql,
                             const QVariantList& values) {
            QSqlQuery row(db->Connection());
            row.prepare(u"DELETE FROM %1 WHERE user_key = ?"_s.arg(table));
            row.addBindValue(keys[name]);
            QVERIFY(row.exec() && row.prepare(sql));
            for (const QVariant& value : values)
                row.addBindValue(value);
            QVERIFY2(row.exec(), qPrintable(row.lastError().text()));
        };
        // What the programs report: typed, right, ended.
        const auto report = [&](const QString& name, int typed, int correct, int ended) {
            put(u"live_progress"_s, name,
                u"INSERT INTO live_progress VALUES (?, ?, ?, 2, 112, ?, '期中测验', 200, ?, ?, "
                "30000, 0, 0, ?, ?)"_s,
                {keys[name], name, Class, exam, typed, correct, ended,
                 StoredDateTime(DatabaseNow(*db))});
        };
        // A sitting begun (finished 0), or its result stored (1).
        const auto sitting = [&](const QString& name, int finished, int typed, int correct,
                                 bool bFlagged) {
            put(u"exam_sitting"_s, name,
                u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, kind, finished, "
                "elapsed_ms, speed_ms, typed_units, correct_units, end_reason, focus_losses, "
                "late, flagged) VALUES (?, ?, ?, ?, 112, ?, 60000, 60000, ?, ?, 1, 0, 0, ?)"_s,
                {name, exam, keys[name], StoredDateTime(startsAt), finished, typed, correct,
                 bFlagged ? 1 : 0});
        };
        sitting(u"安安"_s, 0, 0, 0, false);
        sitting(u"贝贝"_s, 0, 0, 0, false);
        report(u"安安"_s, 40, 38, 0);
        report(u"贝贝"_s, 60, 60, 0);
        sitting(u"陈晨"_s, 1, 50, 50, true);
        LogInTeacher(*m_pDatabase);
        const auto shown = [](const CCompetitionBoardWnd* board) {
            QStringList lines;
            for (const CompetitionBoard::CLine& line : board->PageLines())
                lines.append(u"%1 %2 %3% %4 %5 %6"_s.arg(line.nPlace)
                                 .arg(line.strName)
                                 .arg(line.nProgress)
                                 .arg(line.strSpeed, line.strAccuracy, line.strState));
            return lines;
        };
        QPointer<CCompetitionBoardWnd> board;
        Drive<CExamsDlg>(platform, [&](CExamsDlg* dlg) {
            dlg->m_listExams->setCurrentIndex(dlg->m_listExams->model()->index(0, 0));
            dlg->ClickButton(1008);
            board = dlg->Board();
        });
        CExamsDlg(CSession::Instance()).DoModal();
        // The list made way: no modal loop keeps the keys from the board.
        QCOMPARE(platform.unfinishedDialogs, 0);
        QVERIFY(board && board->isFullScreen() && QApplication::activeModalWidget() == nullptr);
        QVERIFY(QTest::qWaitFor([&] { return board->Reads() > 0; }, 5000));
        const QStringList running = shown(board);
        const QString runningStatus = board->Board().strStatus;
        // A report changes the ranking at the next read, within a second.
        report(u"安安"_s, 80, 79, 0);
        QVERIFY(QTest::qWaitFor([&] { return shown(board).value(0).contains(u"安安"_s); }, 3000));
        // 结束比赛 from the board's menu.
        platform.AnswerBoxes({IDYES});
        platform.DrivePopup([](QMenu* menu) { menu->actions().value(0)->trigger(); });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20), QPoint(20, 20));
        QApplication::sendEvent(board, &click);
        QVERIFY(QTest::qWaitFor([&] { return !board->Board().strStatus.startsWith(u"比赛中"_s); },
                                5000));
        const QString endedStatus = board->Board().strStatus;
        const QStringList waiting = shown(board);
        // The programs end; 安安's result is in, 贝贝's is on its way: not
        // final yet.
        report(u"安安"_s, 100, 90, 1);
        report(u"贝贝"_s, 100, 96, 1);
        sitting(u"安安"_s, 1, 100, 90, false);
        const int reads = board->Reads();
        QVERIFY(QTest::qWaitFor([&] { return board->Reads() > reads + 1; }, 5000));
        QCOMPARE(board->Board().strStatus, u"比赛结束,等待成绩……"_s);
        QCOMPARE(shown(board).value(2), u"0 贝贝 0%   交卷中"_s);
        // 贝贝's comes in: 贝贝 typed more right than 安安.
        sitting(u"贝贝"_s, 1, 100, 96, false);
        QVERIFY2(QTest::qWaitFor([&] { return board->Board().bFinal; }, 5000),
                 qPrintable(shown(board).join(u'/') + board->Board().strStatus));
        const QStringList final = shown(board);
        QTest::keyClick(board, Qt::Key_Escape);
        QVERIFY(QTest::qWaitFor([&] { return board.isNull(); }, 2000));
        QCOMPARE(
            running,
            (QStringList{u"1 贝贝 30% 24.0 WPM 100% 比赛中"_s, u"2 安安 20% 15.2 WPM 95% 比赛中"_s,
                         u"3 陈晨 25% 10.0 WPM 100% 可疑"_s, u"0 李华 0% "_s + u"  未开始"_s}));
        QVERIFY2(runningStatus.startsWith(u"比赛中,剩余 0:5"_s), qPrintable(runningStatus));
        QCOMPARE(endedStatus, u"比赛结束,等待成绩……"_s);
        QCOMPARE(waiting.value(0), u"1 安安 40% 31.6 WPM 98% 比赛中"_s);
        QVERIFY(ExamStore::LoadExam(*db, exam)->bOpen == false);
        QCOMPARE(
            final,
            (QStringList{u"1 贝贝 50% 19.2 WPM 96% 一等奖"_s, u"2 安安 50% 18.0 WPM 90% 二等奖"_s,
                         u"3 陈晨 25% 10.0 WPM 100% 可疑"_s, u"0 李华 0% "_s + u"  未开始"_s}));
        for (const int height : {768, 1080}) {
            const CBoardLayout layout = CBoardLayout::At(QSize(height * 4 / 3, height));
            QVERIFY(layout.nGlyphPixels * 30 >= height);
            QVERIFY(layout.nTop + (layout.nRows + 1) * layout.nRowHeight <= height);
            QVERIFY(layout.nRows >= 10);
        }
    }

    // The teacher's way: a new exam refuses what is missing; its classes
    // are ticked, one check box each: pointing at a class ticks or chooses
    // nothing, a click on its box ticks it. It is stored with its classes
    // and its screen, opened as it is saved or later, and closed.
    void examClassesAreTickedNotPointedAt_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("saved closed") << false;
        QTest::newRow("opened as it is saved") << true;
    }
    void examClassesAreTickedNotPointedAt()
    {
        QFETCH(bool, open);
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Database();
        const QStringList classes{u"三年级一班"_s, Class, u"三年级三班"_s};
        for (int i = 0; i < classes.size(); ++i)
            m_pDatabase->Insert(u"user"_s, {u"学生%1"_s.arg(i), classes[i], QString::number(i)});
        AddText(m_pDatabase->Admin());
        LogInTeacher(*m_pDatabase);
        CScriptedPlatform platform;
        QStringList chosenByPointing, ticked, statesShown;
        QString second;
        bool startsOpen = false;
        Drive<CExamsDlg>(platform, [&](CExamsDlg* dlg) {
            Drive<CExamEditDlg>(platform, [&](CExamEditDlg* edit) {
                CListCtrl* list = edit->m_listClasses;
                second = list->GetItemText(1, 0);
                startsOpen = edit->m_checkOpen->isChecked();
                edit->m_editTitle->setText(u"期末测验"_s);
                edit->m_editMinutes->setText(u"0"_s);
                Press(edit, 1); // refused: no minutes
                edit->m_editMinutes->setText(u"3"_s);
                Press(edit, 1); // refused: no class
                for (int row = 0; row < list->GetItemCount(); ++row)
                    QTest::mouseMove(list->viewport(),
                                     list->visualRect(list->model()->index(row, 0)).center());
                for (int row = 0; row < list->GetItemCount(); ++row)
                    if (list->GetCheck(row) || list->selectionModel()->isRowSelected(row, {}))
                        chosenByPointing.append(list->GetItemText(row, 0));
                // The check box stands at the row's left end.
                const QRect row = list->visualRect(list->model()->index(1, 0));
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  QPoint(row.left() + row.height() / 2, row.center().y()));
                for (int i = 0; i < list->GetItemCount(); ++i)
                    if (list->GetCheck(i))
                        ticked.append(list->GetItemText(i, 0));
                edit->m_comboScreen->setCurrentIndex(1);
                edit->m_comboBackspace->setCurrentIndex(1);
                edit->m_checkOpen->setChecked(open);
                Press(edit, 1);
            });
            ClickAndWait(dlg, 1002);
            dlg->m_listExams->setCurrentIndex(dlg->m_listExams->model()->index(0, 0));
            for (int i = 0; i < 3; ++i) {
                statesShown.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
                ClickAndWait(dlg, 1004);
            }
        });
        CExamsDlg dlg(CSession::Instance());
        dlg.DoModal();
        CompareBoxes(platform, ErrorBox(u"限时应为 1 到 600 分钟!"_s) +
                                   ErrorBox(u"请至少选择一个参加考试的班级!"_s));
        // Of three classes none is ticked for the teacher; a new exam is to
        // be opened as it is saved unless the teacher unticks that.
        QCOMPARE(chosenByPointing, QStringList());
        QVERIFY(startsOpen);
        QCOMPARE(ticked, QStringList{second});
        QCOMPARE(statesShown.join(u' '), open ? u"打开 关闭 打开"_s : u"关闭 打开 关闭"_s);
        const CExam exam = ExamStore::LoadExams(*db).value(0);
        QCOMPARE(std::tuple(exam.strTitle, exam.nScreen, exam.nMinutes, exam.bBackspaceAllowed,
                            exam.classes, exam.bOpen),
                 std::tuple(u"期末测验"_s, 2, 3, false, ticked, !open));
        QCOMPARE(ExamStore::OpenExamsOf(*db, second).size(), open ? 0 : 1);
        // The exam keeps the screen it is scored against.
        QCOMPARE(Sql(u"SELECT substr(screen_cells, 1, 5) FROM exam"_s),
                 u"%1,%2"_s.arg(QString::fromLatin1(Screen2(0, 1).toHex()),
                                QString::fromLatin1(Screen2(1, 1).toHex())));
    }

private:
    // 李华 logged in; the document's session runs as her account.
    void LogIn(CFrameFixture& f)
    {
        LogInPupil(m_nPupil, u"李华"_s, Class, u"2024001"_s, m_pDatabase.get(), f.doc.m_pDB);
    }

    // 参加考试 with the first open exam chosen.
    void TakeExam(CFrameFixture& f)
    {
        Drive<CTakeExamDlg>(f.platform, [](CTakeExamDlg* dlg) { dlg->ClickButton(1); });
        QVERIFY(f.frame->Router().Execute(ID_TEACHING_TAKE_EXAM));
    }

    // 李华 logged in chooses a new exam of her class.
    qint64 Begin(CFrameFixture& f, int minutes, bool bBackspace = true, bool bRetake = false)
    {
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), minutes, bBackspace, bRetake);
        TakeExam(f);
        return exam;
    }

    // The rows the owner reads, "a|b" each, joined by spaces.
    QString Sql(const QString& q) const { return SelectRows(m_pDatabase->Admin(), q).join(u' '); }
    int Count(const QString& table) const { return CountRows(m_pDatabase->Admin(), table); }

    // Time passes for the program's clocks and for the database's: a
    // server's own clock cannot be set, so its sittings begin that much
    // earlier instead.
    void Advance(CFrameFixture& f, qint64 ms)
    {
        PassSittingTime(f.platform, ms);
        f.frame->OnTimer(1);
        SettleWorker();
    }
    // The competition starts ms from now on the database's clock (before
    // now for a negative ms).
    void StartCompetitionIn(qint64 ms)
    {
        CDaoDatabase* db = m_pDatabase->Admin();
        QSqlQuery started(db->Connection());
        started.prepare(u"UPDATE competition SET starts_at = ?"_s);
        started.addBindValue(StoredDateTime(DatabaseNow(*db).addMSecs(ms)));
        QVERIFY2(started.exec(), qPrintable(started.lastError().text()));
    }
    void PassSittingTime(CScriptedPlatform& platform, qint64 ms)
    {
        platform.Advance(ms);
        if (!m_pDatabase->IsPostgres())
            return;
        QSqlQuery shift(m_pDatabase->Admin()->Connection());
        shift.prepare(
            u"UPDATE exam_sitting SET started_at = started_at - make_interval(secs => ?)"_s);
        shift.addBindValue(double(ms) / 1000);
        QVERIFY2(shift.exec(), qPrintable(shift.lastError().text()));
    }

    qint64 m_nPupil = 0;
};

QE_TEST_MAIN(TestExams)
#include "tst_exams.moc"
