#include "attempts/LiveProgress.h"
#include "monitor/MonitorDlg.h"
#include "platform/ListCtrl.h"
#include "tests/AttemptRows.h"
#include "tests/DialogDriver.h"
#include "tests/TestDatabase.h"
#include "tests/TestMain.h"
#include "users/CurrentUser.h"

#include <QComboBox>
#include <QSqlError>
#include <QSqlQuery>

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

} // namespace

// 课堂监控: what the pupils' programs report, the states the teacher sees,
// and who may read or write the reports.
class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_pDatabase = std::make_unique<CTestDatabase>();
        m_nPupil = m_pDatabase->Insert(u"user"_s, {u"李华"_s, Class, u"2024001"_s, u"pw"_s});
        m_nOther = m_pDatabase->Insert(u"user"_s, {u"王芳"_s, Class, u"2024002"_s, u"pw"_s});
    }
    void cleanup() { m_pDatabase.reset(); }

    // However many reports, one row per pupil, the latest; a login's
    // report takes away the rows of programs silent for a day.
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
            QVERIFY(!LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, Typing(typed, typed)));
        QCOMPARE(SelectRows(m_pDatabase->Admin(),
                            u"SELECT user_key, typed_units FROM live_progress ORDER BY user_key"_s),
                 (QStringList{u"%1|5"_s.arg(m_nPupil), u"%1|0"_s.arg(m_nOther)}));
        LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, LiveProgress::CReport());
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(), u"SELECT user_key, activity FROM live_progress"_s),
            QStringList{u"%1|0"_s.arg(m_nPupil)});
        LiveProgress::Leave(pupil, m_nPupil);
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"live_progress"_s), 0);
    }

    void statesForAFixedClock_data()
    {
        QTest::addColumn<int>("activity");
        QTest::addColumn<int>("endReason");
        QTest::addColumn<bool>("focusLost");
        QTest::addColumn<int>("idleMs");   // at the report
        QTest::addColumn<int>("silentMs"); // since the report
        QTest::addColumn<QString>("state");
        QTest::newRow("logged in, nothing running") << 0 << 0 << false << 0 << 60000 << u"空闲"_s;
        QTest::newRow("typing a practice") << 1 << 0 << false << 400 << 1500 << u"练习中"_s;
        QTest::newRow("typing an exam") << 2 << 0 << false << 400 << 1500 << u"考试中"_s;
        QTest::newRow("typing a lesson") << 3 << 0 << false << 400 << 1500 << u"练习中"_s;
        QTest::newRow("no key for 29.9 s") << 1 << 0 << false << 28000 << 1900 << u"练习中"_s;
        QTest::newRow("no key for 30 s") << 1 << 0 << false << 28000 << 2000 << u"空闲"_s;
        QTest::newRow("silent for 9.9 s") << 1 << 0 << false << 0 << 9900 << u"练习中"_s;
        QTest::newRow("silent for 10 s: offline") << 2 << 0 << false << 0 << 10000 << u"离线"_s;
        QTest::newRow("another program has the keyboard")
            << 2 << 0 << true << 0 << 1000 << u"离开窗口"_s;
        QTest::newRow("offline outweighs the focus") << 2 << 0 << true << 0 << 12000 << u"离线"_s;
        QTest::newRow("ended, long ago") << 2 << 3 << false << 0 << 600000 << u"已完成"_s;
    }
    void statesForAFixedClock()
    {
        QFETCH(int, activity);
        QFETCH(int, endReason);
        QFETCH(bool, focusLost);
        QFETCH(int, idleMs);
        QFETCH(int, silentMs);
        QFETCH(QString, state);
        LiveProgress::CRow row;
        row.report.nActivity = activity;
        row.report.nEndReason = endReason;
        row.report.bFocusLost = focusLost;
        row.report.nIdleMs = idleMs;
        row.reportedAt = QDateTime(QDate(2024, 9, 2), QTime(10, 0));
        QCOMPARE(LiveProgress::StateText(&row, row.reportedAt.addMSecs(silentMs)), state);
        QCOMPARE(LiveProgress::StateText(nullptr, row.reportedAt), u"未登录"_s);
    }

    // The teacher's grid: every pupil of the class, in class order, the one
    // without a program as 未登录; sorted by a heading. On PostgreSQL a
    // pupil's report wakes it; elsewhere it reads the class again on its
    // timer.
    void gridShowsTheClass()
    {
        m_pDatabase->SignInAsTeacher();
        CurrentUser = CCurrentUser();
        CurrentUser.KindCode = UserKind::Super;
        CDaoDatabase pupil;
        pupil.Open(m_pDatabase->Target());
        QVERIFY(m_pDatabase->SignInAs(m_nPupil, false, &pupil));
        CScriptedPlatform platform;
        Rows before, after, sorted;
        int notices = 0;
        Drive<CMonitorDlg>(platform, [&](CMonitorDlg* dlg) {
            before = ListOf(dlg->m_listPupils).cells;
            LiveProgress::Report(pupil, m_nPupil, u"李华"_s, Class, Typing(200, 180));
            if (m_pDatabase->Database()->IsPostgres())
                QTRY_VERIFY_WITH_TIMEOUT(dlg->Notices() > 0, 5000);
            QVERIFY(dlg->Reload());
            notices = dlg->Notices();
            after = ListOf(dlg->m_listPupils).cells;
            dlg->SortBy(2); // 状态: 练习中 before 未登录
            dlg->SortBy(2);
            sorted = ListOf(dlg->m_listPupils).cells;
        });
        CMonitorDlg dlg;
        dlg.DoModal();
        QCOMPARE(before.size(), 2);
        QCOMPARE(before[0].mid(0, 3), (QStringList{u"2024001"_s, u"李华"_s, u"未登录"_s}));
        QCOMPARE(after[0], (QStringList{u"2024001"_s, u"李华"_s, u"练习中"_s, u"英文练习"_s,
                                        u"15"_s, u"36.0 WPM"_s, u"90"_s, u"1:00"_s}));
        QCOMPARE(after[1].mid(0, 3), (QStringList{u"2024002"_s, u"王芳"_s, u"未登录"_s}));
        QCOMPARE(sorted[0][1], u"王芳"_s); // descending: 未登录 (wei) after 练习中 (lian)
        QCOMPARE(notices > 0, m_pDatabase->Database()->IsPostgres());
        QCOMPARE(CMonitorDlg::PollMs, 5000);
    }

    // A pupil reaches the reports only through the functions, as their own:
    // the table is neither read nor written, no exam is stopped, and the
    // row a report writes is the pupil's whatever it claims.
    void pupilCannotReadOrForgeTheReports()
    {
        if (!m_pDatabase->Database()->IsPostgres())
            QSKIP("the rights of a server's database");
        QVERIFY(m_pDatabase->SignInAs(m_nPupil));
        CDaoDatabase& pupil = *m_pDatabase->Database();
        LiveProgress::Report(pupil, m_nOther, u"王芳"_s, u"别的班"_s, Typing(5, 5));
        QCOMPARE(
            SelectRows(m_pDatabase->Admin(), u"SELECT user_key, class_name FROM live_progress"_s),
            QStringList{u"%1|%2"_s.arg(m_nPupil).arg(Class)});
        QSqlQuery query(pupil.Connection());
        for (const QString& sql :
             {u"SELECT * FROM live_progress"_s,
              u"INSERT INTO live_progress SELECT * FROM live_progress"_s,
              u"UPDATE live_progress SET typed_units = 9999"_s, u"DELETE FROM live_progress"_s,
              u"INSERT INTO exam_stop (exam_id, stopped_at) VALUES (1, LOCALTIMESTAMP)"_s,
              u"SELECT * FROM exam_stop"_s}) {
            QVERIFY2(!query.exec(sql), qPrintable(sql));
            QVERIFY2(query.lastError().nativeErrorCode() == u"42501"_s, qPrintable(sql));
        }
        QCOMPARE(CountRows(m_pDatabase->Admin(), u"live_progress"_s), 1);
    }

private:
    std::unique_ptr<CTestDatabase> m_pDatabase;
    qint64 m_nPupil = 0;
    qint64 m_nOther = 0;
};

QE_TEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
