#include "attempts/ExamSitting.h"
#include "attempts/PendingResults.h"
#include "exams/ExamCommands.h"
#include "exams/ExamEditDlg.h"
#include "exams/ExamResultsDlg.h"
#include "exams/ExamsDlg.h"
#include "exams/ExamStore.h"
#include "exams/TakeExamDlg.h"
#include "platform/ListCtrl.h"
#include "practice/ResultDlg.h"
#include "res/CommandIds.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/PracticeFixture.h"
#include "tests/TableReader.h"
#include "tests/TestCluster.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextStore.h"
#include "users/DatabaseSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>

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

void LogIn(qint64 key, const QString& name, const QString& className = Class)
{
    CurrentUser = CCurrentUser();
    CurrentUser.Name = name;
    CurrentUser.Class = className;
    CurrentUser.StudentNo = u"2024%1"_s.arg(key);
    CurrentUser.KindCode = UserKind::Ordinary;
    CurrentUser.KindText = u"普通用户"_s;
    CurrentUser.RowKey = key;
}

// 参加考试 with the first open exam chosen.
void TakeExam(CPracticeFixture& f)
{
    Drive<CTakeExamDlg>(f.platform, [](CTakeExamDlg* dlg) { dlg->ClickButton(1); });
    QVERIFY(f.frame->Router().Execute(ID_TEACHING_TAKE_EXAM));
}

// What the result dialog of an exam showed.
struct ExamResultShown
{
    bool bCancelVisible = true;
    QString strText;
};

CScriptedPlatform::DialogDriver LookAndOk(ExamResultShown& shown)
{
    return [&shown](QDialog* dialog) {
        auto* dlg = static_cast<CDialog*>(dialog);
        shown.bCancelVisible = dlg->GetDlgItem(2)->isVisible();
        shown.strText = dlg->GetDlgItemText(1005);
        dlg->ClickButton(1);
    };
}

CAttempt Finished(qint64 user, qint64 exam, qint64 ms, int typed, int correct, int reason)
{
    CAttempt attempt;
    attempt.nUserKey = user;
    attempt.nKind = PracticeKind::English;
    attempt.startedAt = QDateTime(QDate(2024, 9, 2), QTime(9, 0));
    attempt.endedAt = attempt.startedAt.addMSecs(ms);
    attempt.nElapsedMs = ms;
    attempt.nTypedUnits = typed;
    attempt.nCorrectUnits = correct;
    attempt.nEndReason = reason;
    attempt.nExamId = exam;
    attempt.nScreen = 2;
    return attempt;
}

const FieldList ScoreRow = {{0, CDaoFieldValue::FromText(u"x"_s)},
                            {9, CDaoFieldValue::FromInt16(90)}};

} // namespace

// Timed exams: taking one as a pupil, its rules, its results for the
// teacher, and results kept while the database is away.
class TestExams : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        CDaoDatabase::SetTarget(m_pDatabase->Target());
    }
    void cleanup()
    {
        CDaoDatabase::SetTarget(QString());
        m_pDatabase.reset();
        QFile::remove(PendingResults::FileName());
        QFile::remove(PendingResults::RefusedFileName());
    }

    // The limit ends the exam by itself, without a question, and its result
    // is stored at once, without a Cancel: a score row and the attempt with
    // the exam, once.
    void timeLimitEndsTheExamAndStoresOnce()
    {
        CPracticeFixture f;
        CDaoDatabase* db = f.doc.m_pDB;
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        const qint64 exam = AddExam(db, 1, true, false);
        LogIn(pupil, u"李华"_s);
        TakeExam(f);
        QCOMPARE(f.view->LoadedScreen().value().nExamId, exam);
        QCOMPARE(f.TextRow(0), Letters().mid(1288, 92));
        QCOMPARE(f.frame->PaneText(3), u"剩余:1:00"_s);

        f.Type(QByteArray(" ") + Letters().mid(1288, 10) + "x");
        // The teacher sees the pupil running.
        QCOMPARE(SelectRows(db, u"SELECT user_key, finished FROM exam_sitting"_s),
                 QStringList{u"%1|0"_s.arg(pupil)});
        // Another program took the keyboard once.
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        f.platform.Advance(30000);
        f.frame->OnTimer(1);
        QCOMPARE(f.frame->PaneText(3), u"剩余:0:30"_s);
        QCOMPARE(f.platform.modalRuns, QStringList{u"CTakeExamDlg"_s});

        ExamResultShown shown;
        f.platform.DriveDialog(LookAndOk(shown));
        f.platform.Advance(30000);
        f.frame->OnTimer(1);
        QCOMPARE(f.platform.modalRuns, (QStringList{u"CTakeExamDlg"_s, u"CResultDlg"_s}));
        QVERIFY(f.platform.boxes.isEmpty());
        QVERIFY(!shown.bCancelVisible);
        QCOMPARE(shown.strText, u"考试结束,成绩已保存。"_s);
        QCOMPARE(f.view->m_bShowCredits, 1);
        f.platform.Advance(1000);
        f.frame->OnTimer(1);

        QCOMPARE(f.platform.modalRuns.size(), 2);
        const QList<QStringList> scores = m_pDatabase->Rows(u"score"_s);
        QCOMPARE(scores.size(), 1);
        // 10 correct of 11 in 60 s: 0 a second, 90 %.
        QCOMPARE(scores[0][3], u"英文测试"_s);
        QCOMPARE(scores[0][5], u"0"_s);
        QCOMPARE(scores[0][8], u"60"_s);
        QCOMPARE(scores[0][9], u"90"_s);
        const QStringList attempts = StoredAttempts(db);
        QVERIFY2(attempts.value(0).endsWith(u"|60000|11|10|0|3"_s), qPrintable(attempts.value(0)));
        QCOMPARE(SelectRows(db, u"SELECT screen, exam_id FROM attempt_text"_s),
                 QStringList{u"2|%1"_s.arg(exam)});
        QCOMPARE(SelectRows(db,
                            u"SELECT finished, elapsed_ms, typed_units, correct_units, end_reason, "
                            "focus_losses FROM exam_sitting"_s),
                 QStringList{u"1|60000|11|10|3|1"_s});
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
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        AddExam(f.doc.m_pDB, 5, allowed, false);
        LogIn(pupil, u"李华"_s);
        TakeExam(f);
        f.Type(QByteArray(" ") + Letters().mid(1288, 3) + "x");
        f.Type(QByteArray("\b"));
        QCOMPARE(TypedCount, allowed ? 3 : 4);
        QCOMPARE(CorrectCount, 3);
        QCOMPARE(CurrentColumn, allowed ? 3 : 4);
        QCOMPARE(f.TypedRow(0).left(4),
                 Letters().mid(1288, 3) + (allowed ? QByteArray(" ") : QByteArray("x")));
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
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        AddExam(f.doc.m_pDB, 5, true, false);
        LogIn(pupil, u"李华"_s);
        TakeExam(f);
        f.Type(QByteArray(" ") + Letters().mid(1288, 5));
        f.platform.DriveDialog(
            [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
        f.WriteFile(u"english.txt"_s, "abc");
        if (way == 0)
            f.view->OnPracticeEnglish();
        else if (way == 1)
            QVERIFY(f.frame->Router().Execute(ID_PROGRAM_RESET));
        else
            f.frame->close(); // the exit question is answered Yes
        QCOMPARE(f.platform.modalRuns, (QStringList{u"CTakeExamDlg"_s, u"CResultDlg"_s}));
        QCOMPARE(SelectRows(f.doc.m_pDB, u"SELECT finished, typed_units, end_reason "
                                         "FROM exam_sitting"_s),
                 QStringList{u"1|5|4"_s});
        QCOMPARE(CountRows(f.doc.m_pDB, u"score"_s), 1);
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
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        const qint64 exam = AddExam(f.doc.m_pDB, 5, true, retakeAllowed);
        LogIn(pupil, u"李华"_s);
        if (keptOnThisMachine) {
            const CExamSitting sitting = CExamSitting::Begin(exam, pupil);
            RecordSittingStart(*f.doc.m_pDB, sitting);
            QVERIFY(
                PendingResults::Keep({ScoreRow, Finished(pupil, exam, 1000, 1, 1, 1), sitting}));
        } else {
            TakeExam(f);
            f.platform.AnswerBoxes({IDOK});
            f.platform.DriveDialog(
                [](QDialog* dialog) { static_cast<CDialog*>(dialog)->ClickButton(1); });
            f.Type(QByteArray(" ab\x1b"));
            QCOMPARE(CountRows(f.doc.m_pDB, u"exam_sitting"_s), 1);
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
            QCOMPARE(f.view->m_bShowCredits, 1);
        }
    }

    // One row per pupil of the exam's class in each state, and a pupil of
    // another class who sat it; a heading sorts, pupils without figures
    // last.
    void resultsListEveryPupilInEachState()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        const auto add = [this](const QString& name, const QString& className) {
            return m_pDatabase->Insert(u"user"_s, {name, className, u"No."_s + name});
        };
        const qint64 anan = add(u"安安"_s, Class);
        const qint64 beibei = add(u"贝贝"_s, Class);
        const qint64 chenchen = add(u"陈晨"_s, Class);
        const qint64 dingding = add(u"丁丁"_s, Class);
        const qint64 fangfang = add(u"方方"_s, u"三年级一班"_s);
        add(u"高高"_s, u"三年级一班"_s);
        Q_UNUSED(anan);
        const qint64 exam = AddExam(db, 1, true, true);
        const auto sit = [db, exam](qint64 user, qint64 ms, int typed, int correct, int reason,
                                    int focus) {
            CExamSitting sitting = CExamSitting::Begin(exam, user);
            sitting.nFocusLosses = focus;
            QVERIFY(StoreSittingResult(*db, ScoreRow,
                                       Finished(user, exam, ms, typed, correct, reason), sitting));
        };
        RecordSittingStart(*db, CExamSitting::Begin(exam, beibei));
        sit(chenchen, 60000, 100, 90, EndReason::TimeLimit, 2);
        sit(dingding, 30000, 50, 50, EndReason::Escape, 0);
        sit(dingding, 45000, 200, 190, EndReason::EndOfScreen, 0);
        sit(fangfang, 50000, 80, 60, EndReason::Left, 1);

        CScriptedPlatform platform;
        const QString xlsx = QDir::current().filePath(u"results.xlsx"_s);
        const QString csv = QDir::current().filePath(u"results.csv"_s);
        const QString pdf = QDir::current().filePath(u"results.pdf"_s);
        platform.AnswerFiles({xlsx, csv, pdf});
        QString summary;
        QStringList headings;
        Rows shown, bySpeed, bySpeedDown, byName;
        Drive<CExamResultsDlg>(platform, [&](CExamResultsDlg* dlg) {
            summary = dlg->GetDlgItemText(1001);
            headings = ListOf(dlg->m_listResults).headers;
            shown = ListOf(dlg->m_listResults).cells;
            dlg->SortBy(4);
            bySpeed = ListOf(dlg->m_listResults).cells;
            dlg->SortBy(4);
            bySpeedDown = ListOf(dlg->m_listResults).cells;
            // Exported as shown: by speed, fastest first.
            dlg->ClickButton(1011);
            dlg->ClickButton(1012);
            dlg->ClickButton(1014);
            dlg->SortBy(0);
            byName = ListOf(dlg->m_listResults).cells;
        });
        CExamResultsDlg dlg(ExamStore::LoadExam(*db, exam).value());
        dlg.DoModal();
        QCOMPARE(summary, u"期中测验:《字母》第 2 屏,限时 1 分钟,三年级二班。"
                          "已完成 3 人,进行中 1 人,未开始 1 人。"_s);
        // By class and name, in pinyin order.
        const Rows expected = {
            {u"安安"_s, Class, u"No.安安"_s, u"未开始"_s, {}, {}, {}, {}, {}, {}},
            {u"贝贝"_s, Class, u"No.贝贝"_s, u"进行中"_s, {}, {}, {}, {}, {}, u"1"_s},
            {u"陈晨"_s, Class, u"No.陈晨"_s, u"已完成"_s, u"18.0"_s, u"90"_s, u"1分00秒"_s,
             u"时间到"_s, u"2"_s, u"1"_s},
            {u"丁丁"_s, Class, u"No.丁丁"_s, u"已完成"_s, u"50.7"_s, u"95"_s, u"45秒"_s,
             u"打完一屏"_s, u"0"_s, u"2"_s},
            {u"方方"_s, u"三年级一班"_s, u"No.方方"_s, u"已完成"_s, u"14.4"_s, u"75"_s, u"50秒"_s,
             u"中途离开"_s, u"1"_s, u"1"_s},
        };
        QCOMPARE(shown, expected);
        QCOMPARE(bySpeed, (Rows{expected[4], expected[2], expected[3], expected[0], expected[1]}));
        QCOMPARE(bySpeedDown,
                 (Rows{expected[3], expected[2], expected[4], expected[0], expected[1]}));
        QCOMPARE(byName, (Rows{expected[0], expected[1], expected[2], expected[3], expected[4]}));
        QCOMPARE(headings,
                 (QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"状态"_s, u"速度(WPM)"_s,
                              u"正确率(%)"_s, u"用时"_s, u"结束方式"_s, u"离开窗口"_s, u"次数"_s}));

        // The files, read back by real readers: a title row, the headings,
        // then the pupils as shown, numbers as numbers.
        const QJsonArray rows = ReadTable(xlsx)[u"sheets"_s][0][u"rows"_s].toArray();
        QCOMPARE(rows.size(), 7);
        QCOMPARE(rows[0][0][1].toString(),
                 u"期中测验 考试成绩(《字母》第 2 屏,限时 1 分钟,三年级二班)"_s);
        QCOMPARE(rows[1][4][1].toString(), u"速度(WPM)"_s);
        QCOMPARE(rows[2][0][1].toString(), u"丁丁"_s);
        QCOMPARE(rows[2][4][1].toDouble(), 190 * 60000.0 / 45000 / 5);
        QCOMPARE(rows[2][5].toArray(), (QJsonArray{u"n"_s, 95, u"0"_s}));
        QCOMPARE(rows[2][6].toArray(), (QJsonArray{u"t"_s, 45}));
        QCOMPARE(rows[2][9].toArray(), (QJsonArray{u"n"_s, 2, u"0"_s}));
        QCOMPARE(rows[5][0][1].toString(), u"安安"_s);
        QCOMPARE(rows[5][4].toArray(), (QJsonArray{u"-"_s, {}}));
        const QJsonArray csvRows = ReadTable(csv)[u"rows"_s].toArray();
        QCOMPARE(csvRows.size(), 7);
        QCOMPARE(csvRows[3].toArray(),
                 (QJsonArray{u"陈晨"_s, Class, u"No.陈晨"_s, u"已完成"_s, u"18.0"_s, u"90"_s,
                             u"0:01:00"_s, u"时间到"_s, u"2"_s, u"1"_s}));
        QCOMPARE(PdfPages(pdf), 1);
        QVERIFY(PdfPageTexts(pdf).value(0).contains(u"陈晨"_s));
    }

    // A result the database cannot take is kept on this machine and stored
    // when the database is back, once, even when the store is tried again.
    void resultKeptWhileDatabaseAwayStoredOnce()
    {
        CPracticeFixture f;
        CDaoDatabase* db = f.doc.m_pDB;
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        AddExam(db, 5, true, false);
        LogIn(pupil, u"李华"_s);
        TakeExam(f);
        f.Type(QByteArray(" ") + Letters().mid(1288, 20));
        NoDatabase();
        ExamResultShown shown;
        f.platform.AnswerBoxes({IDOK});
        f.platform.DriveDialog(LookAndOk(shown));
        f.platform.Advance(12000);
        f.Type(QByteArray("\x1b"));
        QVERIFY(!shown.bCancelVisible);
        QCOMPARE(shown.strText, u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后自动保存。"_s);
        QCOMPARE(PendingResults::Load().size(), 1);
        QCOMPARE(CountRows(db, u"score"_s), 0);
        QCOMPARE(SelectRows(db, u"SELECT finished FROM exam_sitting"_s), QStringList{u"0"_s});

        // The database is back.
        QFile file(PendingResults::FileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray kept = file.readAll();
        file.close();
        SetActiveDatabaseSource([db] { return db; });
        CExamCommands::StorePendingResults();
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(db, u"score"_s), 1);
        QCOMPARE(SelectRows(db, u"SELECT finished, typed_units, correct_units, end_reason "
                                "FROM exam_sitting"_s),
                 QStringList{u"1|20|20|1"_s});
        const QStringList attempts = StoredAttempts(db);
        QVERIFY2(attempts.value(0).contains(u"|12000|20|20|0|1"_s), qPrintable(attempts.value(0)));

        // A program that stopped before it emptied the file tries again:
        // nothing is stored twice.
        f.WriteFile(PendingResults::FileName(), kept);
        CExamCommands::StorePendingResults();
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(db, u"score"_s), 1);
        QCOMPARE(CountRows(db, u"attempt"_s), 1);
        QVERIFY(f.platform.boxes.size() == 1); // the end question only
    }

    // The same with a PostgreSQL server that stops while the pupil types.
    void serverAwayKeepsTheResultUntilItIsBack()
    {
        if (!m_pDatabase->IsPostgres())
            QSKIP("a server of its own for the PostgreSQL run");
        CTestCluster cluster;
        QVERIFY2(cluster.IsRunning(), qPrintable(cluster.Log()));
        CDaoDatabase db;
        db.Open(cluster.Target());
        CreateSchema(&db);
        SetActiveDatabaseSource([&db] { return &db; });
        const qint64 exam = AddExam(&db, 5, true, false);
        LogIn(1, u"李华"_s);
        CurrentPracticeKind = PracticeKind::English;
        TypedCount = 40;
        CorrectCount = 30;
        ElapsedSeconds = 60;
        const CAttempt attempt = Finished(1, exam, 60000, 40, 30, EndReason::TimeLimit);
        const CExamSitting sitting = CExamSitting::Begin(exam, 1);
        RecordSittingStart(db, sitting);
        CScriptedPlatform platform;
        ExamResultShown shown;
        platform.DriveDialog(LookAndOk(shown));
        QVERIFY(cluster.Stop());
        CResultDlg dlg;
        dlg.m_pAttempt = &attempt;
        dlg.m_pSitting = &sitting;
        QCOMPARE(dlg.DoModal(), int(IDOK));
        QCOMPARE(shown.strText, u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后自动保存。"_s);
        QVERIFY(platform.boxes.isEmpty());
        QCOMPARE(PendingResults::Flush(db), 0); // still away
        QVERIFY2(cluster.Start(), qPrintable(cluster.Log()));
        QCOMPARE(PendingResults::Flush(db), 1);
        QCOMPARE(PendingResults::Flush(db), 0);
        QCOMPARE(SelectRows(&db, u"SELECT s.name, s.seconds, s.accuracy, e.finished, e.end_reason "
                                 "FROM score s, exam_sitting e"_s),
                 QStringList{u"李华|60|75|1|3"_s});
        SetActiveDatabaseSource({});
    }

    // A kept result is stored only as the program that kept it wrote it, for
    // a sitting the database saw begin: one edited or made up on the machine
    // is set aside in a file of its own, and the sitting stays unfinished.
    void keptResultStoredOnlyWithItsSeal_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("stored");
        QTest::newRow("as kept") << QString() << true;
        QTest::newRow("more correct characters") << u"correct"_s << false;
        QTest::newRow("a shorter time") << u"elapsedMs"_s << false;
        QTest::newRow("another pupil's sitting") << u"userKey"_s << false;
        QTest::newRow("seal taken away") << u"seal"_s << false;
        QTest::newRow("sealed with a key of one's own") << u"key"_s << false;
        QTest::newRow("a sitting the database never saw") << u"unseen"_s << false;
    }
    void keptResultStoredOnlyWithItsSeal()
    {
        QFETCH(QString, change);
        QFETCH(bool, stored);
        CDaoDatabase* db = m_pDatabase->Database();
        const qint64 pupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s});
        const qint64 other = m_pDatabase->Insert(u"user"_s, {u"王明"_s, Class, u"2024002"_s});
        const qint64 exam = AddExam(db, 5, true, false);
        CExamSitting sitting = CExamSitting::Begin(exam, pupil);
        if (change != u"unseen"_s)
            RecordSittingStart(*db, sitting);
        if (change == u"key"_s)
            sitting.strSealKey = u"00112233445566778899aabbccddeeff"_s;
        QVERIFY(PendingResults::Keep(
            {ScoreRow, Finished(pupil, exam, 60000, 40, 30, EndReason::TimeLimit), sitting}));

        QFile file(PendingResults::FileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QJsonObject top = QJsonDocument::fromJson(file.readAll()).object();
        file.close();
        QJsonArray results = top.value(u"results"_s).toArray();
        QJsonObject result = results.at(0).toObject();
        QVERIFY(!result.value(u"seal"_s).toString().isEmpty());
        QVERIFY(!QJsonDocument(top).toJson().contains(sitting.strSealKey.toLatin1()));
        QJsonObject attempt = result.value(u"attempt"_s).toObject();
        QJsonObject sat = result.value(u"sitting"_s).toObject();
        if (change == u"correct"_s)
            attempt.insert(u"correct"_s, 40);
        else if (change == u"elapsedMs"_s)
            attempt.insert(u"elapsedMs"_s, u"30000"_s);
        else if (change == u"userKey"_s)
            sat.insert(u"userKey"_s, QString::number(other));
        else if (change == u"seal"_s)
            result.remove(u"seal"_s);
        result.insert(u"attempt"_s, attempt);
        result.insert(u"sitting"_s, sat);
        results.replace(0, result);
        top.insert(u"results"_s, results);
        CPracticeFixture::WriteFile(PendingResults::FileName(), QJsonDocument(top).toJson());

        QCOMPARE(PendingResults::Flush(*db), 1);
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(db, u"score"_s), stored ? 1 : 0);
        QCOMPARE(CountRows(db, u"attempt"_s), stored ? 1 : 0);
        if (stored)
            QCOMPARE(SelectRows(db, u"SELECT user_key, finished, correct_units, elapsed_ms "
                                    "FROM exam_sitting"_s),
                     QStringList{u"%1|1|30|60000"_s.arg(pupil)});
        else
            QCOMPARE(SelectRows(db, u"SELECT finished FROM exam_sitting"_s),
                     change == u"unseen"_s ? QStringList() : QStringList{u"0"_s});
        QCOMPARE(QFile::exists(PendingResults::RefusedFileName()), !stored);
    }

    // The teacher's way: a new exam refuses what is missing, is stored with
    // its classes, then opened for the pupils and closed again.
    void teacherCreatesOpensAndClosesAnExam()
    {
        CDaoDatabase* db = m_pDatabase->Database();
        m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"1"_s});
        m_pDatabase->Insert(u"user"_s, {u"王芳"_s, u"三年级一班"_s, u"2"_s});
        AddText(db);
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
        QVERIFY(!exam.bRetakeAllowed);
        QVERIFY(exam.bOpen);
        QCOMPARE(exam.classes, QStringList{Class});
        QCOMPARE(ExamStore::OpenExamsOf(*db, Class).size(), 1);
        QCOMPARE(ExamStore::OpenExamsOf(*db, u"三年级一班"_s).size(), 0);
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
        CDaoDatabase* db = m_pDatabase->Database();
        const QStringList classes{u"三年级一班"_s, Class, u"三年级三班"_s};
        for (int i = 0; i < classes.size(); ++i)
            m_pDatabase->Insert(u"user"_s, {u"学生%1"_s.arg(i), classes[i], QString::number(i)});
        AddText(db);
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
    std::unique_ptr<CTestDatabase> m_pDatabase;
};

QE_TEST_MAIN(TestExams)
#include "tst_exams.moc"
