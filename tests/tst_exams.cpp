#include "attempts/ExamSitting.h"
#include "attempts/LiveProgress.h"
#include "attempts/PendingResults.h"
#include "exams/ExamCommands.h"
#include "exams/ExamEditDlg.h"
#include "exams/ExamResultDlg.h"
#include "exams/ExamResultTable.h"
#include "exams/ExamResultsDlg.h"
#include "exams/ExamsDlg.h"
#include "exams/ExamStore.h"
#include "exams/TakeExamDlg.h"
#include "platform/ListCtrl.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/ReadLock.h"
#include "tests/TableReader.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/LoginDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
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

qint64 AddExam(CDaoDatabase* db, int minutes, bool bBackspace, bool bRetake,
               const QStringList& classes = {Class})
{
    CExam exam;
    exam.strTitle = u"期中测验"_s;
    exam.nTextId = AddText(db);
    exam.nScreen = 2;
    exam.nMinutes = minutes;
    exam.bBackspaceAllowed = bBackspace;
    exam.bRetakeAllowed = bRetake;
    exam.bOpen = true;
    exam.classes = classes;
    return ExamStore::SaveExam(*db, exam);
}

// 参加考试 with the first open exam chosen.
void TakeExam(CPracticeFixture& f)
{
    Drive<CTakeExamDlg>(f.platform, [](CTakeExamDlg* dlg) { dlg->ClickButton(1); });
    QVERIFY(f.frame->Router().Execute(ID_TEACHING_TAKE_EXAM));
}

// What the exam's own result window showed.
struct ExamResultShown
{
    bool bShown = false;
    QString strSpeed;
    QString strTime;
    QString strStorage;
    int nMistakes = -1;
};

CScriptedPlatform::DialogDriver LookAndOk(ExamResultShown& shown)
{
    return [&shown](QDialog* dialog) {
        auto* dlg = static_cast<CDialog*>(dialog);
        shown.bShown = true;
        shown.strSpeed = dlg->GetDlgItemText(1002);
        shown.strTime = dlg->GetDlgItemText(1004);
        shown.strStorage = dlg->GetDlgItemText(1007);
        shown.nMistakes = dlg->Item<CListCtrl>(1006)->GetItemCount();
        dlg->ClickButton(1);
    };
}

} // namespace

// Timed exams: taking one as a pupil, its rules and the faults it must
// hold against (the database away, two copies of one pupil, a closed exam,
// a clock set during it, edited results), its results for the teacher.
class TestExams : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { CDaoDatabase::SetBusyTimeout(400); }
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CDaoDatabase::SetTarget(m_pDatabase->Target());
        m_nPupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s, u"pw"_s});
    }
    void cleanup()
    {
        CDaoDatabase::SetTarget(QString());
        m_pDatabase.reset();
        QFile::remove(PendingResults::FileName());
        QFile::remove(PendingResults::RefusedFileName());
    }

    // The limit ends the exam by itself, without a question. The screen is
    // blank until the database recorded the start; the result is scored by
    // the database from what was typed and shown in the exam's window.
    void timeLimitEndsTheExamAndStoresOnce()
    {
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1, true, false);
        TakeExam(f);
        QCOMPARE(f.view->LoadedScreen().value().nExamId, exam);
        QCOMPARE(f.TextRow(0), QByteArray(CQeDoc::Columns, ' '));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_sitting"_s), 0);
        QCOMPARE(f.frame->PaneText(3), u"剩余:1:00"_s);

        f.Type(QByteArray(" "));
        QCOMPARE(f.TextRow(0), Letters().mid(1288, 92));
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT user_key, finished FROM exam_sitting"_s),
                 QStringList{u"%1|0"_s.arg(m_nPupil)});
        f.Type(Screen2(0, 10) + "x");
        // Another program took the keyboard once.
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        Advance(f, 30000);
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);

        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        Advance(f, 30000);
        QCOMPARE(f.platform.modalRuns, (QStringList{u"CTakeExamDlg"_s, u"CExamResultDlg"_s}));
        QVERIFY2(f.platform.boxes.isEmpty(), qPrintable(f.platform.boxes.value(0).text));
        QCOMPARE(shown.strStorage, u"成绩已保存。"_s);
        QCOMPARE(shown.nMistakes, 1);
        QCOMPARE(f.view->m_bShowCredits, 1);

        const QList<QStringList> scores = m_pDatabase->Rows(u"score"_s);
        QCOMPARE(scores.size(), 1);
        // 10 correct of 11 in 60 s: 0 a second, 90 %.
        QCOMPARE(scores[0].mid(0, 2), (QStringList{u"李华"_s, u"2024001"_s}));
        QCOMPARE(scores[0][3], u"英文测试"_s);
        QCOMPARE(scores[0][5], u"0"_s);
        QCOMPARE(scores[0][8], u"60"_s);
        QCOMPARE(scores[0][9], u"90"_s);
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT screen, exam_id FROM attempt_text"_s),
                 QStringList{u"2|%1"_s.arg(exam)});
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT finished, elapsed_ms, speed_ms, typed_units, correct_units, "
                            "end_reason, focus_losses, late FROM exam_sitting"_s),
                 QStringList{u"1|60000|60000|11|10|3|1|0"_s});
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT position, expected, typed FROM attempt_mistake"_s),
                 QStringList{u"10|y|x"_s});
    }

    // The teacher ends a running exam for everybody from 课堂监控: the
    // pupil's program learns it at its next report and ends the sitting as
    // if the time had run out; the result is stored once, and the exam is
    // closed to new sittings until it is opened again.
    void teacherEndsTheExamForEverybody()
    {
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 5, true, true);
        TakeExam(f);
        f.Type(QByteArray(" "));
        f.Type(Screen2(0, 10));
        CLiveReporter& reporter = f.view->Reporter();
        QVERIFY(reporter.IsRunning());
        reporter.WaitUntilSent();
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT activity, exam_id, screen_units FROM live_progress"_s),
                 QStringList{u"2|%1|1288"_s.arg(exam)});

        m_pDatabase->SignInAsTeacher();
        LiveProgress::StopExam(*m_pDatabase->Database(), exam);
        ExamStore::SetOpen(*m_pDatabase->Database(), exam, false);
        LogIn(f);
        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        Advance(f, 2000);
        reporter.ReportNow();
        reporter.WaitUntilSent();
        QCoreApplication::processEvents(); // the reporter's word reaches the view
        QCOMPARE(f.platform.modalRuns, (QStringList{u"CTakeExamDlg"_s, u"CExamResultDlg"_s}));
        QVERIFY(!reporter.IsRunning());
        reporter.ReportNow();
        reporter.WaitUntilSent();
        QCoreApplication::processEvents();
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT finished, end_reason, correct_units FROM exam_sitting"_s),
                 QStringList{u"1|3|10"_s});
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT end_reason FROM live_progress"_s),
                 QStringList{u"3"_s});
        // Opened again, its sittings run their own time.
        ExamStore::SetOpen(*m_pDatabase->Admin(), exam, true);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_stop"_s), 0);
    }

    // Stopping early earns nothing: the speed is over the time allowed,
    // unless the whole screen was typed before it. Esc asks a question that
    // names the exam, and going on is its default.
    void stoppingEarlyIsMeasuredOverTheLimit()
    {
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 1, true, false);
        TakeExam(f);
        f.Type(QByteArray(" ") + Screen2(0, 18));
        Advance(f, 6000);
        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        f.platform.AnswerBoxes({IDOK});
        f.Type(QByteArray("\x1b"));
        CompareBoxes(f.platform, {Box(u"确定要结束考试《期中测验》吗?\n结束后成绩将被保存,"
                                      "这场考试不能再考。"_s,
                                      u"提示!"_s, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2)});
        QVERIFY(shown.bShown);
        // 18 correct characters over the minute allowed: 3.6 WPM, not 36.
        QVERIFY2(shown.strSpeed.startsWith(u"3.6 WPM"_s), qPrintable(shown.strSpeed));
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT elapsed_ms / 1000, speed_ms, end_reason FROM exam_sitting"_s),
                 QStringList{u"6|60000|1"_s});
        const CExam exam = ExamStore::LoadExams(*m_pDatabase->Admin()).value(0);
        const CExamResultRow row = ExamStore::LoadResults(*m_pDatabase->Admin(), exam).value(0);
        QCOMPARE(row.nSpeedMs, 60000);
    }

    void backspaceFollowsTheExam_data()
    {
        QTest::addColumn<bool>("allowed");
        QTest::newRow("Backspace allowed takes a key back") << true;
        QTest::newRow("Backspace refused beeps and changes nothing") << false;
    }
    void backspaceFollowsTheExam()
    {
        QFETCH(bool, allowed);
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 5, allowed, false);
        TakeExam(f);
        f.Type(QByteArray(" ") + Screen2(0, 3) + "x");
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, allowed ? 3 : 4);
        QCOMPARE(CorrectCount, 3);
        QCOMPARE(f.TypedRow(0).left(4),
                 Screen2(0, 3) + (allowed ? QByteArray(" ") : QByteArray("x")));
        QCOMPARE(f.platform.beeps, allowed ? 0 : 1);
        // A practice loaded afterwards allows it again.
        f.WriteFile(u"english.txt"_s, "abc");
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.view->OnPracticeEnglish();
        f.Type(QByteArray(" ax\b"));
        QCOMPARE(TypedCount, 1);
        QCOMPARE(f.platform.beeps, allowed ? 0 : 1);
    }

    // Leaving a running exam for another command, or the program, ends it
    // first and stores its result: it never stays running.
    void leavingARunningExamStoresIt_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("another practice") << 0;
        QTest::newRow("reset") << 1;
        QTest::newRow("the program closed") << 2;
    }
    void leavingARunningExamStoresIt()
    {
        QFETCH(int, way);
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 5, true, false);
        TakeExam(f);
        f.Type(QByteArray(" ") + Screen2(0, 5));
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.WriteFile(u"english.txt"_s, "abc");
        if (way == 0)
            f.view->OnPracticeEnglish();
        else if (way == 1)
            QVERIFY(f.frame->Router().Execute(ID_PROGRAM_RESET));
        else
            f.frame->close(); // the exit question is answered Yes
        QCOMPARE(f.platform.modalRuns, (QStringList{u"CTakeExamDlg"_s, u"CExamResultDlg"_s}));
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT finished, typed_units, end_reason FROM exam_sitting"_s),
                 QStringList{u"1|5|4"_s});
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
        QCOMPARE(CurrentPracticeKind,
                 way == 0 ? int(PracticeKind::English) : int(PracticeKind::None));
    }

    void retakeOnlyWhenAllowed_data()
    {
        QTest::addColumn<bool>("retakeAllowed");
        QTest::addColumn<bool>("keptOnThisMachine");
        QTest::addColumn<bool>("takenAgain");
        QTest::newRow("once only: a second sitting is refused") << false << false << false;
        QTest::newRow("a result kept on this machine counts") << false << true << false;
        QTest::newRow("retakes allowed") << true << false << true;
    }
    void retakeOnlyWhenAllowed()
    {
        QFETCH(bool, retakeAllowed);
        QFETCH(bool, keptOnThisMachine);
        QFETCH(bool, takenAgain);
        CPracticeFixture f;
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
            f.platform.DriveDialog(
                [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
            f.Type(QByteArray(" ab\x1b"));
            QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_sitting"_s), 1);
        }
        f.platform.boxes.clear();
        f.view->ShowCredits();

        Drive<CTakeExamDlg>(f.platform, [](CTakeExamDlg* dlg) { dlg->ClickButton(1); });
        QVERIFY(f.frame->Router().Execute(ID_TEACHING_TAKE_EXAM));
        if (takenAgain) {
            QVERIFY(f.platform.boxes.isEmpty());
            QCOMPARE(f.view->LoadedScreen().value().nExamId, exam);
        } else {
            CompareBoxes(f.platform, {Box(u"你已经参加过考试《期中测验》,这场考试不允许重考。"_s,
                                          u"提示"_s, MB_OK | MB_ICONEXCLAMATION)});
            QVERIFY(!f.view->LoadedScreen());
        }
    }

    // The start is recorded or the exam does not start: without the
    // database nothing is shown, nothing runs, and no sitting exists that a
    // second try could go around.
    void startNeedsTheDatabase_data()
    {
        QTest::addColumn<QString>("away");
        QTest::newRow("not connected") << u"none"_s;
        QTest::newRow("file renamed meanwhile") << u"renamed"_s;
        QTest::newRow("another program holds the file") << u"locked"_s;
    }
    void startNeedsTheDatabase()
    {
        QFETCH(QString, away);
        if (away != u"none"_s && m_pDatabase->IsPostgres())
            QSKIP("a database file's faults");
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 5, true, false);
        TakeExam(f);
        std::unique_ptr<CReadLock> writer;
        if (away == u"none"_s)
            NoDatabase();
        else if (away == u"renamed"_s)
            QVERIFY(QFile::rename(u"user.mdb"_s, u"away.mdb"_s));
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
        QVERIFY2(f.platform.boxes[0].text.startsWith(u"考试没有开始"_s) ||
                     f.platform.boxes[0].text.startsWith(u"数据库未正确连接"_s),
                 qPrintable(f.platform.boxes[0].text));
        writer.reset();
        if (away == u"renamed"_s)
            QVERIFY(QFile::rename(u"away.mdb"_s, u"user.mdb"_s));
        SetActiveDatabaseSource([&f] { return f.doc.m_pDB; });
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_sitting"_s), 0);
        QVERIFY(!QFile::exists(PendingResults::FileName()));
    }

    // Two copies of the program logged in as one pupil: one sitting runs,
    // the other is refused; a sitting its program left running counts as
    // sat (中断) once its time is over.
    void oneSittingAtATime()
    {
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1, true, false);
        CDaoDatabase first;
        CDaoDatabase second;
        first.Open(m_pDatabase->Target());
        second.Open(m_pDatabase->Target());
        QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, &first));
        QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, &second));
        CScriptedPlatform platform;
        const CSittingStart one = StartSitting(first, exam, m_nPupil);
        QVERIFY(one.sitting);
        const CSittingStart two = StartSitting(second, exam, m_nPupil);
        QVERIFY(!two.sitting);
        QCOMPARE(two.strRefusal,
                 u"你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。"_s);
        // The first program is killed; its sitting's time runs out.
        PassSittingTime(platform, 91000);
        const CSittingStart three = StartSitting(second, exam, m_nPupil);
        QVERIFY(!three.sitting);
        QCOMPARE(three.strRefusal, u"你已经参加过这场考试,这场考试不允许重考。"_s);
        const CExamResultRow row =
            ExamStore::LoadResults(*m_pDatabase->Admin(),
                                   ExamStore::LoadExam(*m_pDatabase->Admin(), exam).value())
                .value(0);
        QCOMPARE(row.state, CExamResultRow::Interrupted);
        QCOMPARE(row.nSittings, 1);
    }

    // An exam the teacher closed after the pupil chose it, before the space
    // bar, takes no sitting.
    void closedExamTakesNoNewSitting()
    {
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 5, true, false);
        TakeExam(f);
        ExamStore::SetOpen(*m_pDatabase->Admin(), exam, false);
        f.Type(QByteArray(" ") + Screen2(0, 3));
        CompareBoxes(f.platform, {Box(u"考试没有开始:考试已经关闭。"_s, u"提示"_s,
                                      MB_OK | MB_ICONEXCLAMATION)});
        QVERIFY(!f.view->Session().IsRunning());
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_sitting"_s), 0);
    }

    // The limit counts on the monotonic clock: the time of day set back or
    // on during the exam changes nothing.
    void clockSetDuringAnExamChangesNothing()
    {
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 1, true, false);
        TakeExam(f);
        f.platform.SetTime(QTime(10, 0, 0));
        f.Type(QByteArray(" ") + Screen2(0, 4));
        f.platform.SetTime(QTime(9, 0, 0)); // an hour back
        Advance(f, 30000);
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);
        f.platform.SetTime(QTime(12, 0, 0)); // hours on
        f.frame->OnTimer(1);
        QVERIFY(f.view->Session().IsRunning());
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);
        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        Advance(f, 30000);
        QVERIFY(shown.bShown);
        QVERIFY(!f.view->Session().IsRunning());
    }

    // While another program holds the file at the start, the windows keep
    // painting and the clock ticking; the start goes through once it lets go.
    void databaseHeldAtTheStartFreezesNothing()
    {
        if (m_pDatabase->IsPostgres())
            QSKIP("a database file's lock");
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 5, true, false);
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
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"exam_sitting"_s), 1);
    }

    // With the database away at the end, the result is kept on this machine
    // and stored, once, when it is back: scored by the database from what
    // was typed.
    void resultKeptWhileDatabaseAwayStoredOnce()
    {
        CPracticeFixture f;
        LogIn(f);
        AddExam(m_pDatabase->Admin(), 5, true, false);
        TakeExam(f);
        f.Type(QByteArray(" ") + Screen2(0, 20));
        NoDatabase();
        ExamResultShown shown;
        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog(LookAndOk(shown));
        Advance(f, 12000);
        f.Type(QByteArray("\x1b"));
        QCOMPARE(shown.strStorage,
                 u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后会自动保存。"_s);
        QCOMPARE(PendingResults::Load().size(), 1);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 0);

        // The database is back.
        QFile file(PendingResults::FileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray kept = file.readAll();
        file.close();
        SetActiveDatabaseSource([&f] { return f.doc.m_pDB; });
        CExamCommands::StorePendingResults();
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT finished, typed_units, correct_units, "
                                                  "end_reason, late FROM exam_sitting"_s),
                 QStringList{u"1|20|20|1|0"_s});

        // A program that stopped before it emptied the file tries again:
        // nothing is stored twice.
        f.WriteFile(PendingResults::FileName(), kept);
        CExamCommands::StorePendingResults();
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"attempt"_s), 1);
    }

    // What a kept result says of its figures counts for nothing: the
    // database scores what was typed. One it cannot score is refused, and
    // the teacher sees why; another pupil's waits for that pupil's login.
    // An exam's key presses are kept with its result and shown as 击键 over
    // the exam's time and 码长 per correct character; the pupil cannot
    // change them afterwards, by the function or by hand.
    void examKeepsItsKeyPresses()
    {
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1, true, false);
        const CSittingStart start = StartSitting(*f.doc.m_pDB, exam, m_nPupil);
        QVERIFY(start.sitting);
        CSittingResult result;
        result.strUid = start.sitting->strUid;
        result.nExamId = exam;
        result.nUserKey = m_nPupil;
        for (int i = 0; i < 30; ++i) {
            const QByteArray cell = i == 3 ? QByteArray("x") : Screen2(i, 1);
            result.typedCells.append(QString::fromLatin1(cell.toHex()));
            result.typedTexts.append(QString::fromLatin1(cell));
        }
        result.nEndReason = EndReason::TimeLimit;
        result.nKeyPresses = 87;
        result.nBackspacePresses = 4;
        PassSittingTime(f.platform, 61000);
        QCOMPARE(FinishSitting(*f.doc.m_pDB, result).kind, CSittingOutcome::Stored);
        if (f.doc.m_pDB->IsPostgres()) {
            QSqlQuery query(f.doc.m_pDB->Connection());
            QVERIFY(query.exec(u"SELECT qe_sitting_key_presses('%1', 1, 0)"_s.arg(result.strUid)));
            QVERIFY(!query.exec(u"UPDATE attempt SET key_presses = 1"_s));
        }
        CDaoDatabase* owner = m_pDatabase->Admin();
        QCOMPARE(SelectRows(owner, u"SELECT key_presses, backspace_presses FROM attempt"_s),
                 QStringList{u"87|4"_s});
        const CExamResultRow row =
            ExamStore::LoadResults(*owner, ExamStore::LoadExam(*owner, exam).value()).value(0);
        const QList<CExportCell> cells = ExamResultTable::Cells(row);
        QCOMPARE(ExamResultTable::Headings(PracticeKind::Chinese).mid(7, 2),
                 (QStringList{u"击键"_s, u"码长"_s}));
        QCOMPARE(cells[7].DisplayText(), u"1.45"_s); // 87 keys over the minute
        QCOMPARE(cells[8].DisplayText(), u"3.00"_s); // for 29 correct characters
    }

    void keptResultIsScoredByTheDatabase_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("outcome"); // stored, refused, waiting
        QTest::newRow("as kept") << QString() << u"stored"_s;
        QTest::newRow("figures added by hand are ignored") << u"figures"_s << u"stored"_s;
        QTest::newRow("more typed than the screen holds") << u"overlong"_s << u"refused"_s;
        QTest::newRow("a sitting the database never saw") << u"unseen"_s << u"refused"_s;
        QTest::newRow("another pupil's result waits") << u"other"_s << u"waiting"_s;
        QTest::newRow("after the time allowed: late, over the limit") << u"late"_s << u"stored"_s;
    }
    void keptResultIsScoredByTheDatabase()
    {
        QFETCH(QString, change);
        QFETCH(QString, outcome);
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1, true, false);
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
        QVERIFY(PendingResults::Keep(result));
        if (change == u"figures"_s) {
            QFile file(PendingResults::FileName());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QJsonObject top = QJsonDocument::fromJson(file.readAll()).object();
            file.close();
            QJsonArray results = top.value(u"results"_s).toArray();
            QJsonObject kept = results.at(0).toObject();
            kept.insert(u"correct"_s, 30);
            kept.insert(u"elapsedMs"_s, u"1000"_s);
            results.replace(0, kept);
            top.insert(u"results"_s, results);
            CPracticeFixture::WriteFile(PendingResults::FileName(), QJsonDocument(top).toJson());
        }
        PassSittingTime(f.platform, change == u"late"_s ? 150000 : 50000);
        PendingResults::Flush(*f.doc.m_pDB, m_nPupil);

        CDaoDatabase* owner = m_pDatabase->Admin();
        QCOMPARE(QFile::exists(PendingResults::FileName()), outcome == u"waiting"_s);
        QCOMPARE(QFile::exists(PendingResults::RefusedFileName()), outcome == u"refused"_s);
        QCOMPARE(CountRows(owner, u"score"_s), outcome == u"stored"_s ? 1 : 0);
        if (outcome == u"stored"_s)
            QCOMPARE(SelectRows(owner, u"SELECT finished, typed_units, correct_units, speed_ms, "
                                       "late FROM exam_sitting"_s),
                     QStringList{u"1|30|29|60000|%1"_s.arg(change == u"late"_s ? 1 : 0)});
        const QStringList refusals = SelectRows(owner, u"SELECT reason FROM exam_refusal"_s);
        QCOMPARE(refusals.size(), outcome == u"refused"_s ? 1 : 0);
        if (outcome != u"refused"_s || change == u"unseen"_s)
            return;
        // The teacher's results name the refusal.
        const CExam shown = ExamStore::LoadExam(*owner, exam).value();
        const CExamResultRow row = ExamStore::LoadResults(*owner, shown).value(0);
        QCOMPARE(row.strRefusal, refusals[0]);
        QVERIFY(ExamResultTable::Remarks(row).startsWith(u"未保存:"_s));
    }

    // A sitting faster than a person types, or with machine-regular keys, is
    // flagged for the teacher; it is stored all the same.
    void machineRegularTypingIsFlagged()
    {
        CPracticeFixture f;
        LogIn(f);
        const qint64 exam = AddExam(m_pDatabase->Admin(), 1, true, false);
        TakeExam(f);
        f.Type(QByteArray(" "));
        for (const char key : Screen2(0, 60)) {
            f.platform.Advance(30);
            f.view->OnText(QString(QChar::fromLatin1(key)));
        }
        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        Advance(f, 60000);
        QVERIFY(shown.bShown);
        CDaoDatabase* owner = m_pDatabase->Admin();
        QCOMPARE(SelectRows(owner, u"SELECT flagged, key_median_ms, key_spread_ms, correct_units "
                                   "FROM exam_sitting"_s),
                 QStringList{u"1|30|0|60"_s});
        const CExamResultRow row =
            ExamStore::LoadResults(*owner, ExamStore::LoadExam(*owner, exam).value()).value(0);
        QVERIFY(row.bFlagged);
        QVERIFY(ExamResultTable::Remarks(row).contains(u"可疑"_s));
    }

    // One row per pupil of the exam's class in each state, those with a
    // result first, and a pupil of another class who sat it; a heading
    // sorts, pupils without figures last; exported as shown.
    void resultsListEveryPupilInEachState()
    {
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Admin();
        const auto add = [this](const QString& name, const QString& className) {
            return m_pDatabase->Insert(u"user"_s, {name, className, u"No."_s + name});
        };
        add(u"安安"_s, Class);
        const qint64 beibei = add(u"贝贝"_s, Class);
        const qint64 chenchen = add(u"陈晨"_s, Class);
        const qint64 dingding = add(u"丁丁"_s, Class);
        const qint64 fangfang = add(u"方方"_s, u"三年级一班"_s);
        const qint64 guagua = add(u"瓜瓜"_s, Class);
        add(u"高高"_s, u"三年级一班"_s);
        // 李华 of init sits nothing either.
        const qint64 exam = AddExam(db, 1, true, true);
        const QString now = StoredDateTime(QDateTime::currentDateTime());
        const auto sit = [&](qint64 user, int finished, qint64 used, qint64 speed, int typed,
                             int correct, int reason, int focus, int late) {
            QSqlQuery insert(db->Connection());
            insert.prepare(
                u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, "
                "finished, kind, elapsed_ms, speed_ms, typed_units, correct_units, "
                "end_reason, focus_losses, late) VALUES (?, ?, ?, ?, ?, 112, ?, ?, ?, ?, "
                "?, ?, ?)"_s);
            for (const QVariant& value :
                 QVariantList{QUuid::createUuid().toString(), exam, user,
                              finished == 0 && user == guagua ? u"2000-01-01 00:00:00.000"_s : now,
                              finished, used, speed, typed, correct, reason, focus, late})
                insert.addBindValue(value);
            QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));
        };
        sit(beibei, 0, 0, 0, 0, 0, 0, 0, 0);
        sit(guagua, 0, 0, 0, 0, 0, 0, 0, 0); // its program stopped long ago
        sit(chenchen, 1, 60000, 60000, 100, 90, EndReason::TimeLimit, 2, 0);
        sit(dingding, 1, 30000, 60000, 50, 50, EndReason::Escape, 0, 0);
        sit(dingding, 1, 45000, 45000, 200, 190, EndReason::EndOfScreen, 0, 0);
        sit(fangfang, 1, 50000, 60000, 80, 60, EndReason::Left, 1, 1);

        CScriptedPlatform platform;
        const QString xlsx = QDir::current().filePath(u"results.xlsx"_s);
        const QString csv = QDir::current().filePath(u"results.csv"_s);
        platform.AnswerFiles({xlsx, csv});
        QString summary;
        QStringList headings;
        Rows shown, bySpeed;
        Drive<CExamResultsDlg>(platform, [&](CExamResultsDlg* dlg) {
            summary = dlg->GetDlgItemText(1001);
            headings = ListOf(dlg->m_listResults).headers;
            shown = ListOf(dlg->m_listResults).cells;
            dlg->SortBy(4);
            bySpeed = ListOf(dlg->m_listResults).cells;
            dlg->ClickButton(1011);
            dlg->ClickButton(1012);
        });
        CExamResultsDlg dlg(ExamStore::LoadExam(*db, exam).value());
        dlg.DoModal();
        QCOMPARE(summary, u"期中测验:《字母》第 2 屏,限时 1 分钟,三年级二班。"
                          "已完成 3 人,进行中 1 人,中断 1 人,未开始 2 人。"_s);
        const Rows expected = {
            {u"陈晨"_s,
             Class,
             u"No.陈晨"_s,
             u"已完成"_s,
             u"18.0"_s,
             u"90"_s,
             u"1分00秒"_s,
             u"不可用"_s,
             u"不可用"_s,
             u"时间到"_s,
             u"2"_s,
             u"1"_s,
             {}},
            {u"丁丁"_s,
             Class,
             u"No.丁丁"_s,
             u"已完成"_s,
             u"50.7"_s,
             u"95"_s,
             u"45秒"_s,
             u"不可用"_s,
             u"不可用"_s,
             u"打完一屏"_s,
             u"0"_s,
             u"2"_s,
             {}},
            {u"方方"_s, u"三年级一班"_s, u"No.方方"_s, u"已完成"_s, u"12.0"_s, u"75"_s, u"50秒"_s,
             u"不可用"_s, u"不可用"_s, u"中途离开"_s, u"1"_s, u"1"_s, u"补交"_s},
            {u"瓜瓜"_s, Class, u"No.瓜瓜"_s, u"中断"_s, {}, {}, {}, {}, {}, {}, {}, u"1"_s, {}},
            {u"贝贝"_s, Class, u"No.贝贝"_s, u"进行中"_s, {}, {}, {}, {}, {}, {}, {}, u"1"_s, {}},
            {u"安安"_s, Class, u"No.安安"_s, u"未开始"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}},
            {u"李华"_s, Class, u"2024001"_s, u"未开始"_s, {}, {}, {}, {}, {}, {}, {}, {}, {}},
        };
        QCOMPARE(shown, expected);
        QCOMPARE(bySpeed.mid(0, 3), (Rows{expected[2], expected[0], expected[1]}));
        QCOMPARE(headings.last(), u"备注"_s);
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 9);
        QCOMPARE(rows[2][0][1].toString(), u"方方"_s);
        QCOMPARE(rows[2][4][1].toDouble(), 60 * 60000.0 / 60000 / 5);
        QCOMPARE(rows[2][12][1].toString(), u"补交"_s);
        QCOMPARE(ReadTable(csv)[u"rows"_s].toArray().size(), 9);
    }

    // Right after the login a pupil with an open exam of the class, not yet
    // sat, is told so and may start it from there.
    void openExamIsOfferedAfterLogin_data()
    {
        QTest::addColumn<bool>("sat");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("offered");
        QTest::newRow("offered, and started") << false << int(IDYES) << true;
        QTest::newRow("offered, and left for later") << false << int(IDNO) << true;
        QTest::newRow("sat already: nothing") << true << int(IDYES) << false;
    }
    void openExamIsOfferedAfterLogin()
    {
        QFETCH(bool, sat);
        QFETCH(int, answer);
        QFETCH(bool, offered);
        CPracticeFixture f;
        const qint64 exam = AddExam(m_pDatabase->Admin(), 5, true, false);
        if (sat) {
            LogIn(f);
            QVERIFY(StartSitting(*f.doc.m_pDB, exam, m_nPupil).sitting);
            m_pDatabase->SignOut();
            Accounts::SignOut(*f.doc.m_pDB);
        }
        CurrentUser = CCurrentUser();
        f.platform.AnswerBoxes({answer});
        Drive<CLoginDlg>(f.platform, [](CLoginDlg* dlg) {
            dlg->Item<QComboBox>(1005)->setEditText(u"李华"_s);
            dlg->Item<QLineEdit>(1025)->setText(u"pw"_s);
            dlg->ClickButton(1);
        });
        CLoginDlg login;
        QCOMPARE(login.DoModal(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(f.platform.boxes.size(), offered ? 1 : 0);
        if (offered)
            QVERIFY2(
                f.platform.boxes[0].text.startsWith(
                    u"%1有一场正在进行的考试《期中测验》(限时 5 分钟)。现在开始吗?"_s.arg(Class)),
                qPrintable(f.platform.boxes[0].text));
        const bool bLoaded = offered && answer == IDYES;
        QCOMPARE(f.view->LoadedScreen().has_value(), bLoaded);
        if (bLoaded)
            QCOMPARE(f.view->LoadedScreen()->nExamId, exam);
    }

    // The teacher's way: a new exam refuses what is missing, is stored with
    // its classes and its screen, then opened for the pupils and closed.
    void teacherCreatesOpensAndClosesAnExam()
    {
        m_pDatabase->SignInAsTeacher();
        CDaoDatabase* db = m_pDatabase->Database();
        m_pDatabase->Insert(u"user"_s, {u"王芳"_s, u"三年级一班"_s, u"2"_s});
        AddText(m_pDatabase->Admin());
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Super;
        CScriptedPlatform platform;
        QStringList classesOffered, statesShown;
        Drive<CExamsDlg>(platform, [&](CExamsDlg* dlg) {
            Drive<CExamEditDlg>(platform, [&](CExamEditDlg* edit) {
                for (int row = 0; row < edit->m_listClasses->GetItemCount(); ++row)
                    classesOffered.append(edit->m_listClasses->GetItemText(row, 0));
                edit->m_editTitle->setText(u"期末测验"_s);
                edit->m_editMinutes->setText(u"0"_s);
                Press(edit, 1); // refused: no minutes
                edit->m_editMinutes->setText(u"3"_s);
                Press(edit, 1); // refused: no class
                edit->m_comboScreen->setCurrentIndex(1);
                edit->m_comboBackspace->setCurrentIndex(1);
                edit->CheckClasses({Class});
                Press(edit, 1);
            });
            dlg->ClickButton(1002);
            statesShown.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
            dlg->m_listExams->setCurrentIndex(dlg->m_listExams->model()->index(0, 0));
            dlg->ClickButton(1004);
            statesShown.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
            dlg->ClickButton(1004);
            statesShown.append(ListOf(dlg->m_listExams).cells.value(0).value(5));
            dlg->ClickButton(1004);
        });
        CExamsDlg dlg;
        dlg.DoModal();
        QCOMPARE(classesOffered.size(), 2);
        QVERIFY(classesOffered.contains(Class));
        CompareBoxes(
            platform,
            {Box(u"限时应为 1 到 600 分钟!"_s, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION),
             Box(u"请至少选择一个参加考试的班级!"_s, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION)});
        QCOMPARE(statesShown, (QStringList{u"关闭"_s, u"打开"_s, u"关闭"_s}));
        const CExam exam = ExamStore::LoadExams(*db).value(0);
        QCOMPARE(exam.strTitle, u"期末测验"_s);
        QCOMPARE(exam.nScreen, 2);
        QCOMPARE(exam.nMinutes, 3);
        QVERIFY(!exam.bBackspaceAllowed);
        QVERIFY(exam.bOpen);
        QCOMPARE(exam.classes, QStringList{Class});
        // The exam keeps the screen it is scored against.
        QCOMPARE(SelectRows(m_pDatabase->Admin(), u"SELECT substr(screen_cells, 1, 5) FROM exam"_s),
                 QStringList{u"%1,%2"_s.arg(QString::fromLatin1(Screen2(0, 1).toHex()),
                                            QString::fromLatin1(Screen2(1, 1).toHex()))});
    }

    // The classes are ticked, one check box each: pointing at a class ticks
    // or chooses nothing, a click on its box ticks it, and the exam may be
    // opened as it is saved.
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
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Super;
        CScriptedPlatform platform;
        QStringList chosenByPointing, ticked;
        QString second;
        Drive<CExamEditDlg>(platform, [&](CExamEditDlg* edit) {
            CListCtrl* list = edit->m_listClasses;
            second = list->GetItemText(1, 0);
            for (int row = 0; row < list->GetItemCount(); ++row)
                QTest::mouseMove(list->viewport(),
                                 list->visualRect(list->model()->index(row, 0)).center());
            for (int row = 0; row < list->GetItemCount(); ++row) {
                if (list->GetCheck(row) || list->selectionModel()->isRowSelected(row, {}))
                    chosenByPointing.append(list->GetItemText(row, 0));
            }
            // The check box stands at the row's left end.
            const QRect row = list->visualRect(list->model()->index(1, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              QPoint(row.left() + row.height() / 2, row.center().y()));
            for (int i = 0; i < list->GetItemCount(); ++i) {
                if (list->GetCheck(i))
                    ticked.append(list->GetItemText(i, 0));
            }
            edit->m_editTitle->setText(u"期末测验"_s);
            edit->m_checkOpen->setChecked(open);
            Press(edit, 1);
        });
        CExamEditDlg edit{CExam()};
        QCOMPARE(edit.DoModal(), 1);
        QCOMPARE(chosenByPointing, QStringList());
        QCOMPARE(ticked, QStringList{second});
        const CExam exam = ExamStore::LoadExams(*db).value(0);
        QCOMPARE(exam.classes, ticked);
        QCOMPARE(exam.bOpen, open);
        QCOMPARE(ExamStore::OpenExamsOf(*db, second).size(), open ? 1 : 0);
    }

private:
    // 李华 logged in; the document's session runs as her account.
    void LogIn(CPracticeFixture& f)
    {
        CurrentUser = CCurrentUser();
        CurrentUser.Name = u"李华"_s;
        CurrentUser.Class = Class;
        CurrentUser.StudentNo = u"2024001"_s;
        CurrentUser.KindCode = UserKind::Ordinary;
        CurrentUser.KindText = u"普通用户"_s;
        CurrentUser.RowKey = m_nPupil;
        m_pDatabase->SignInAsCurrentUser(f.doc.m_pDB);
    }

    // Time passes for the program's clocks and for the database's: a
    // server's own clock cannot be set, so its sittings begin that much
    // earlier instead.
    void Advance(CPracticeFixture& f, qint64 ms)
    {
        PassSittingTime(f.platform, ms);
        f.frame->OnTimer(1);
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

    std::unique_ptr<CTestDatabase> m_pDatabase;
    qint64 m_nPupil = 0;
};

QE_TEST_MAIN(TestExams)
#include "tst_exams.moc"
