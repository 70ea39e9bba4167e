#include "attempts/LiveReporter.h"
#include "attempts/PendingResults.h"
#include "attempts/ResultStore.h"
#include "classroom/ClassListDlg.h"
#include "classroom/LoginCardsDlg.h"
#include "course/CourseClassDlg.h"
#include "course/ThresholdDlg.h"
#include "exams/ExamCommands.h"
#include "exams/ExamRunner.h"
#include "exams/ExamStore.h"
#include "exams/ExamsDlg.h"
#include "monitor/AssignmentsDlg.h"
#include "monitor/MonitorCommands.h"
#include "platform/DaoOffThread.h"
#include "platform/DaoWorker.h"
#include "platform/Dialog.h"
#include "platform/ScriptedPlatform.h"
#include "reports/DoubtsDlg.h"
#include "tests/AttemptRows.h"
#include "tests/FrozenServer.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "texts/TextLibraryDlg.h"
#include "texts/TextStore.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QFile>

#include <atomic>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// A pupil's program on a lab's server that stops answering (stopped by
// SIGSTOP, a cable pulled): nothing the pupil does waits for it. Each call
// below returns while the server is frozen (a wait would hang the suite),
// and what could not be sent goes once the server is back.
class TestFrozen : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        if (qEnvironmentVariable("QE_TEST_ENGINE") != "postgresql"_L1)
            QSKIP("a server that stops answering");
        m_pDatabase = std::make_unique<CTestDatabase>();
        m_pServer = std::make_unique<CFrozenServer>(m_pDatabase->Target());
        m_pPupil = std::make_unique<CDaoDatabase>();
        m_pPupil->Open(m_pServer->Relayed(m_pDatabase->Target()));
        const qint64 key =
            m_pDatabase->Insert(u"user"_s, {u"李华"_s, u"一班"_s, u"001"_s, u"pw"_s});
        CurrentUser = {u"李华"_s,     u"一班"_s,          u"001"_s, u"pw"_s,
                       u"普通用户"_s, UserKind::Ordinary, key};
        QVERIFY(m_pDatabase->SignInAs(key, u"pw"_s, false, m_pPupil.get()));
        CDaoDatabase* pupil = m_pPupil.get();
        CSession::Instance().SetDatabaseSource([pupil] { return pupil; });
        OffThread::SetTimeoutMs(500);
    }
    void cleanup()
    {
        if (m_pServer)
            m_pServer->Thaw();
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);
        QVERIFY(CSession::Instance().Worker().Finish(20000));
        OffThread::SetTimeoutMs(15000);
        m_pPupil.reset();
        m_pServer.reset();
        m_pDatabase.reset();
        QFile::remove(PendingResults::FileName());
    }

    // The log-off and the exit: the live view's row goes on a thread of its
    // own, signing out waits for nothing, and the row goes once the server
    // answers again.
    void logOffLeavesTheRowForLater()
    {
        CMonitorCommands commands(CSession::Instance());
        CSession::Instance().LogIn();
        QTRY_COMPARE(Live(), 1);
        m_pServer->Freeze();
        CSession::Instance().LogOff();
        m_pPupil->SignOut();
        QVERIFY(!CSession::Instance().Worker().Finish(100));
        m_pServer->Thaw();
        QVERIFY(CSession::Instance().Worker().Finish(20000));
        QCOMPARE(Live(), 0);
    }

    // A practice's reports: the reporter goes at once, its thread is left
    // to the server and ends when the server answers.
    void reporterGoesWithoutItsReport()
    {
        auto reporter = std::make_unique<CLiveReporter>(CSession::Instance());
        m_pServer->Freeze();
        reporter->Start([] { return LiveProgress::CReport(); });
        reporter.reset();
        QCOMPARE(OffThread::Abandoned(), 1);
        m_pServer->Thaw();
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);
    }

    // An exam does not start without the server's word, and says so; its
    // result is kept on the machine when the server does not take it, and
    // stored once from there, however late the server's answer comes.
    void examWaitsForNoServer()
    {
        const qint64 exam = AddExam();
        CScriptedPlatform platform;
        CExamRunner runner(CSession::Instance());
        QObject screen;
        const auto begin = [&runner, &screen, exam] {
            std::optional<std::optional<CExamSitting>> begun;
            runner.BeginSitting(&screen, exam, [&begun](auto sitting) { begun = sitting; });
            (void)QTest::qWaitFor([&begun] { return begun.has_value(); }, 20000);
            return begun.value_or(std::nullopt);
        };
        m_pServer->Freeze();
        QVERIFY(!begin());
        QVERIFY2(platform.boxes.value(0).text.contains(OffThread::NoAnswerMessage()),
                 qPrintable(platform.boxes.value(0).text));
        m_pServer->Thaw();
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);

        platform.boxes.clear();
        const std::optional<CExamSitting> sitting = begin();
        QVERIFY(sitting);
        CSittingResult result{.strUid = sitting->strUid, .nExamId = exam, .nEndReason = 1};
        result.nUserKey = CurrentUser.RowKey;
        result.typedCells = sitting->screenCells.mid(0, 10);
        result.typedTexts = sitting->screenTexts.mid(0, 10);
        m_pServer->Freeze();
        CSittingShown shown;
        runner.EndSitting(&screen, *sitting, result,
                          [&shown](const CSittingShown& answer) { shown = answer; });
        // Kept before any answer: a program closed now loses nothing.
        QCOMPARE(PendingResults::Load().size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!shown.lines.isEmpty(), 20000);
        QCOMPARE(shown.lines.value(shown.lines.size() - 1),
                 u"数据库暂时无法连接,成绩已暂存在本机,数据库恢复后会自动保存。"_s);
        QCOMPARE(PendingResults::Load().size(), 1);
        CExamCommands::StorePendingResults(CSession::Instance()); // the minute's store, frozen too
        m_pServer->Thaw();
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);
        QVERIFY(CSession::Instance().Worker().Finish(20000));
        CExamCommands::StorePendingResults(CSession::Instance());
        QVERIFY(CSession::Instance().Worker().Finish(20000));
        QVERIFY(!QFile::exists(PendingResults::FileName()));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
    }

    // A practice's result dialog: OK gives up after the timeout with the
    // reason, and the store left to the server is done once it answers, so
    // a second OK is refused rather than counted twice.
    void practiceStoreGivesUp()
    {
        CAttempt attempt{.nKind = 112, .nElapsedMs = 10000, .nEndReason = 1};
        attempt.screenCells = attempt.typedCells = QStringList(10, u"61"_s);
        attempt.screenTexts = attempt.typedTexts = QStringList(10, u"a"_s);
        const FieldList fields{{8, CDaoFieldValue::FromText(u"10"_s)},
                               {9, CDaoFieldValue::FromInt16(100)}};
        QObject dialog;
        // The store's answer: "stored", or the failure's state and message.
        const auto store = [&dialog, &fields, &attempt] {
            std::optional<QString> answer;
            CResultStore(CSession::Instance())
                .StorePractice(
                    &dialog, fields, &attempt, [&answer] { answer = u"stored"_s; },
                    [&answer](const CDaoException& e) {
                        answer = e.State() + u' ' + e.GetErrorMessage();
                    });
            (void)QTest::qWaitFor([&answer] { return answer.has_value(); }, 20000);
            return answer.value_or(u"no answer at all"_s);
        };
        m_pServer->Freeze();
        QCOMPARE(store(), u' ' + OffThread::NoAnswerMessage());
        m_pServer->Thaw();
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
        QVERIFY(store().startsWith(u"QE201 "_s));
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"score"_s), 1);
    }

    // The worker's queue behind a frozen server: each question is answered
    // in time with the failure; the one that was running ends once the
    // server answers, unheard, and the one given up before it began never
    // runs; an answer for a window that closed meanwhile reaches nobody.
    void givenUpQuestionsDoNotRunLater()
    {
        CDaoWorker worker;
        const QString target = m_pPupil->Target();
        QStringList heard;
        std::atomic<int> ran{0};
        const auto ask = [&](QObject* context) {
            worker.Ask(
                target, context,
                [&ran](CDaoDatabase& own) {
                    own.Execute(u"SELECT 1"_s);
                    ++ran;
                },
                [&heard] { heard.append(u"done"_s); },
                [&heard](const CDaoException& e) { heard.append(e.GetErrorMessage()); });
        };
        QObject window;
        m_pServer->Freeze();
        ask(&window);
        ask(&window);
        QTRY_COMPARE_WITH_TIMEOUT(heard.size(), 2, 5000);
        QCOMPARE(heard, QStringList(2, OffThread::NoAnswerMessage()));
        m_pServer->Thaw();
        QVERIFY(worker.Finish(20000));
        QTRY_COMPARE_WITH_TIMEOUT(OffThread::Abandoned(), 0, 20000);
        QCOMPARE(ran.load(), 1);

        heard.clear();
        auto closing = std::make_unique<QObject>();
        ask(closing.get());
        QVERIFY(worker.Wait(20000));
        closing.reset();
        ask(&window);
        QTRY_COMPARE_WITH_TIMEOUT(heard, QStringList{u"done"_s}, 20000);
        QCOMPARE(ran.load(), 3);
    }

    // The teacher's windows behind a frozen server: each opens at once and
    // waits with OK and Cancel greyed, then closes with the failure once
    // the answer is given up. Reading on the window's thread, none would
    // have opened before the server answered again.
    void teachersWindowsWaitForNoServer()
    {
        const CSession& session = CSession::Instance();
        const QList<std::function<void()>> windows = {
            [&session] { CClassListDlg(session).DoModal(); },
            [&session] { CLoginCardsDlg(session).DoModal(); },
            [&session] { CExamsDlg(session).DoModal(); },
            [&session] { CAssignmentsDlg(session).DoModal(); },
            [&session] { CTextLibraryDlg(session).DoModal(); },
            [&session] { CCourseClassDlg(session).DoModal(); },
            [&session] { CThresholdDlg(session).DoModal(); },
            [&session] { CDoubtsDlg(session).DoModal(); },
        };
        m_pServer->Freeze();
        for (const std::function<void()>& open : windows) {
            CScriptedPlatform platform;
            bool bWaitedOpen = false;
            bool bClosed = false;
            platform.DriveDialog([&](QDialog* dialog) {
                auto* dlg = static_cast<CDialog*>(dialog);
                bWaitedOpen = dlg->isVisible() && dlg->IsWaiting() &&
                              !dlg->GetDlgItem(CDialog::IDCANCEL_RESULT)->isEnabled();
                bClosed = QTest::qWaitFor([dlg] { return dlg->IsEnded(); }, 20000);
            });
            open();
            QVERIFY2(bWaitedOpen, qPrintable(platform.modalRuns.value(0)));
            QVERIFY2(bClosed, qPrintable(platform.modalRuns.value(0)));
            QVERIFY2(platform.boxes.size() == 1, qPrintable(platform.modalRuns.value(0)));
            QVERIFY2(platform.boxes[0].text.contains(OffThread::NoAnswerMessage()),
                     qPrintable(platform.boxes[0].text));
        }
    }

private:
    int Live() const { return CountRows(m_pDatabase->Admin(), u"live_progress"_s); }

    qint64 AddExam()
    {
        CDaoDatabase& db = *m_pDatabase->Admin();
        CExam exam{.strTitle = u"测验"_s, .nMinutes = 1, .bOpen = true, .classes = {u"一班"_s}};
        exam.nTextId = TextStore::SaveText(
            db, {.strTitle = u"字母"_s, .nKind = 112, .strBody = u"abcdefghijklmnopqrstuvwxyz"_s});
        return ExamStore::SaveExam(db, exam);
    }

    std::unique_ptr<CTestDatabase> m_pDatabase;
    std::unique_ptr<CFrozenServer> m_pServer;
    std::unique_ptr<CDaoDatabase> m_pPupil;
};

QE_TEST_MAIN(TestFrozen)
#include "tst_frozen.moc"
