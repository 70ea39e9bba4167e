#include "bench/BenchProgress.h"
#include "bench/BenchData.h"
#include "bench/BenchFloor.h"

#include "app/ProgramDatabaseSteps.h"
#include "attempts/PracticeTime.h"
#include "coaching/Weakness.h"
#include "platform/DaoTransaction.h"
#include "platform/ListCtrl.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ProgressDlg.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every hundredth attempt is the pupil's (all Chinese, so that one kind
// holds all 10,000); the others belong to 9,973 other pupils and kinds.
const QString SqliteFill[] = {
    uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)
        INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy)
        SELECT 'pupil' || (i % 9973), 2024000 + i % 9973, '中文测试', i % 60, 60, 90 FROM n)"_s,
    uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)
        INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind,
            text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
            backspaces, end_reason)
        SELECT i, CASE WHEN i % 100 = 0 THEN 1 ELSE 2 + i % 9973 END, 'pupil', 'class', '1',
            CASE WHEN i % 100 = 0 THEN 111 ELSE 111 + i % 4 END, 'chinese.txt', 'hash',
            strftime('%Y-%m-%d %H:%M:%f', '2024-01-01', '+' || (i * 30) || ' seconds'),
            strftime('%Y-%m-%d %H:%M:%f', '2024-01-01', '+' || (i * 30 + 25) || ' seconds'),
            20000 + i % 60000, 40 + i % 50, 30 + i % 40, i % 7, 1 FROM n)"_s,
    uR"(WITH RECURSIVE p(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM p WHERE k < 4)
        INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
        SELECT a.id, p.k * 7, a.user_key, a.kind, char(19968 + (a.id * 7 + p.k) % 300),
            char(19968 + (a.id + p.k * 13) % 50) FROM attempt a, p)"_s,
    // The keys of the pupil's latest 1,000 attempts, 26 letters each.
    uR"(WITH RECURSIVE c(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM c WHERE j < 25)
        INSERT INTO attempt_key (attempt_id, user_key, key_name, expected, presses, wrong,
            median_ms)
        SELECT a.id, a.user_key, char(97 + c.j), 20 + (a.id + c.j) % 10,
            20 + (a.id + c.j) % 10 - (a.id + c.j) % 3, 0, 200 + (a.id * 7 + c.j * 13) % 600
        FROM attempt a, c WHERE a.user_key = 1 AND a.id > %1 - 100000)"_s,
};

const QString PostgresFill[] = {
    uR"(INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy)
        SELECT 'pupil' || (i % 9973), 2024000 + i % 9973, '中文测试', i % 60, 60, 90
        FROM generate_series(1, %1) i)"_s,
    uR"(INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind,
            text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
            backspaces, end_reason)
        SELECT i, CASE WHEN i % 100 = 0 THEN 1 ELSE 2 + i % 9973 END, 'pupil', 'class', '1',
            CASE WHEN i % 100 = 0 THEN 111 ELSE 111 + i % 4 END, 'chinese.txt', 'hash',
            timestamp '2024-01-01' + i * interval '30 seconds',
            timestamp '2024-01-01' + (i * 30 + 25) * interval '1 second',
            20000 + i % 60000, 40 + i % 50, 30 + i % 40, i % 7, 1
        FROM generate_series(1, %1) i)"_s,
    uR"(INSERT INTO attempt_mistake (attempt_id, position, user_key, kind, expected, typed)
        SELECT a.id, k * 7, a.user_key, a.kind, chr(19968 + ((a.id * 7 + k) % 300)::int),
            chr(19968 + ((a.id + k * 13) % 50)::int)
        FROM attempt a, generate_series(0, 4) k)"_s,
    uR"(INSERT INTO attempt_key (attempt_id, user_key, key_name, expected, presses, wrong,
            median_ms)
        SELECT a.id, a.user_key, chr(97 + j), 20 + (a.id + j) % 10,
            20 + (a.id + j) % 10 - (a.id + j) % 3, 0, 200 + (a.id * 7 + j * 13) % 600
        FROM attempt a, generate_series(0, 25) j WHERE a.user_key = 1 AND a.id > %1 - 100000)"_s,
    // What the server's autovacuum does after a bulk load: statistics, and
    // the visibility map that lets a pupil's rows be read from the indexes.
    u"VACUUM ANALYZE"_s,
};

void BM_ProgressOpen(benchmark::State& state, CProgressDatabase* db, CScriptedPlatform* platform)
{
    try {
        db->Activate();
        int listed = 0;
        for (auto _ : state) {
            QElapsedTimer timer;
            platform->DriveDialog([&](QDialog* dialog) {
                // The attempts come from the session's worker.
                auto* progress = static_cast<CProgressDlg*>(dialog);
                BenchData::WaitFor([progress] { return !progress->IsWaiting(); });
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dialog->repaint();
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                listed = progress->m_listAttempts->GetItemCount();
                dialog->reject();
            });
            timer.start();
            CProgressDlg dlg(CSession::Instance(), CProgressDatabase::PupilKey);
            dlg.DoModal();
        }
        if (listed != CProgressDatabase::PupilAttempts)
            state.SkipWithError("the window listed a wrong number of attempts");
        state.counters["attempts_listed"] = listed;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The floor of the window: the pupil's attempts and mistakes selected and
// every value read.
void BM_ProgressFloor(benchmark::State& state, CProgressDatabase* db)
{
    try {
        db->Activate();
        CDaoDatabase& connection = *ActiveDatabase();
        int attempts = 0;
        for (auto _ : state) {
            attempts =
                BenchFloor::ReadAll(connection, u"SELECT * FROM attempt WHERE user_key = ?"_s,
                                    {CProgressDatabase::PupilKey});
            BenchFloor::ReadAll(connection, u"SELECT * FROM attempt_mistake WHERE user_key = ?"_s,
                                {CProgressDatabase::PupilKey});
        }
        if (attempts != CProgressDatabase::PupilAttempts)
            state.SkipWithError("the floor read a wrong number of attempts");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// 我的弱项's figures of the pupil over all their attempts (1,000 with keys).
void BM_WeaknessRead(benchmark::State& state, CProgressDatabase* db)
{
    try {
        db->Activate();
        CWeaknessFilter filter;
        filter.nUserKey = CProgressDatabase::PupilKey;
        int keys = 0;
        for (auto _ : state)
            keys = int(Weakness::Read(*ActiveDatabase(), filter).keys.size());
        if (keys != 26)
            state.SkipWithError("the figures hold a wrong number of keys");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// Its floor: the pupil's key rows read.
void BM_WeaknessFloor(benchmark::State& state, CProgressDatabase* db)
{
    try {
        db->Activate();
        int rows = 0;
        for (auto _ : state)
            rows = BenchFloor::ReadAll(*ActiveDatabase(),
                                       u"SELECT * FROM attempt_key WHERE user_key = ?"_s,
                                       {CProgressDatabase::PupilKey});
        if (rows != 26 * 1000)
            state.SkipWithError("the floor read a wrong number of rows");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// 练习日历's read: the pupil's year of 10,000 attempts, by day and by week,
// and the days in a row.
void BM_CalendarRead(benchmark::State& state, CProgressDatabase* db)
{
    try {
        db->Activate();
        int weeks = 0;
        for (auto _ : state) {
            const QList<CPracticeSpan> spans =
                PracticeTime::LoadPupil(*ActiveDatabase(), CProgressDatabase::PupilKey, {});
            const QMap<QDate, qint64> byDay = PracticeTime::ByDay(spans);
            weeks = int(PracticeTime::Weeks(spans).size());
            benchmark::DoNotOptimize(PracticeTime::DaysInARow(byDay, byDay.lastKey()));
        }
        if (weeks < 50)
            state.SkipWithError("the calendar holds too few weeks");
        state.counters["weeks"] = weeks;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// Its floor: the columns it reads of the pupil's attempts and lessons.
void BM_CalendarFloor(benchmark::State& state, CProgressDatabase* db)
{
    try {
        db->Activate();
        int rows = 0;
        for (auto _ : state) {
            rows = BenchFloor::ReadAll(*ActiveDatabase(),
                                       u"SELECT started_at, elapsed_ms, kind, correct_units, "
                                       "typed_units, backspaces, key_presses, backspace_presses, "
                                       "commit_count, commit_deleted, commit_deleted_keys, "
                                       "commit_picks, commit_word_chars "
                                       "FROM attempt WHERE user_key = ?"_s,
                                       {CProgressDatabase::PupilKey});
            BenchFloor::ReadAll(*ActiveDatabase(),
                                u"SELECT started_at, elapsed_ms, correct_keys, keystrokes, "
                                "backspaces, key_presses, backspace_presses "
                                "FROM lesson_attempt WHERE user_key = ?"_s,
                                {CProgressDatabase::PupilKey});
        }
        if (rows != CProgressDatabase::PupilAttempts)
            state.SkipWithError("the floor read a wrong number of attempts");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

} // namespace

CProgressDatabase::CProgressDatabase(QString engine, QString target)
    : m_strEngine(std::move(engine)), m_strTarget(std::move(target))
{
}

void CProgressDatabase::Activate()
{
    if (!m_db.IsOpen())
        Fill();
    CDaoDatabase* db = &m_db;
    CSession::Instance().SetDatabaseSource([db] { return db; });
}

void CProgressDatabase::Fill()
{
    CreateDatabase(m_strTarget, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
    m_db.Open(m_strTarget);
    QElapsedTimer timer;
    timer.start();
    if (m_db.IsPostgres()) {
        for (const QString& sql : PostgresFill)
            m_db.Execute(sql.contains(u"%1"_s) ? sql.arg(AttemptCount) : sql);
    } else {
        CDaoTransaction transaction(m_db, CDaoTransaction::OnThrow::KeepDone);
        for (const QString& sql : SqliteFill)
            m_db.Execute(sql.contains(u"%1"_s) ? sql.arg(AttemptCount) : sql);
        transaction.Commit();
    }
    std::fprintf(stderr, "qe_bench: %s: 1,000,000 attempts made in %.1f s\n",
                 qPrintable(m_strEngine), timer.nsecsElapsed() / 1e9);
}

void RegisterProgressBenchmark(CProgressDatabase* db, CScriptedPlatform* platform)
{
    benchmark::RegisterBenchmark(("ProgressOpen/" + db->Engine().toStdString()).c_str(),
                                 BM_ProgressOpen, db, platform)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RegisterBenchmark(("Floor/ProgressOpen/" + db->Engine().toStdString()).c_str(),
                                 BM_ProgressFloor, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RegisterBenchmark(("CalendarRead/" + db->Engine().toStdString()).c_str(),
                                 BM_CalendarRead, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RegisterBenchmark(("Floor/CalendarRead/" + db->Engine().toStdString()).c_str(),
                                 BM_CalendarFloor, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RegisterBenchmark(("WeaknessRead/" + db->Engine().toStdString()).c_str(),
                                 BM_WeaknessRead, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5);
    benchmark::RegisterBenchmark(("Floor/WeaknessRead/" + db->Engine().toStdString()).c_str(),
                                 BM_WeaknessFloor, db)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(5);
}
