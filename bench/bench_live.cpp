// The live view of a lab and the assignments' status, on the engines.
//   qe_bench_live CLUSTER [exam|competition]
//       CLUSTER: a PostgreSQL cluster's address, on which databases of the
//       run's own are made (empty: the SQLite rows alone); "exam": the
//       exam at the bell alone; "competition": the competition alone.
// Prints one line per figure, "live ...", "exam ...", "competition ..." and
// "assignment ...":
//  - 50 pupils' programs, each on a thread and a connection of its own and
//    signed in as its pupil, report every 2 s through qe_report_progress;
//    the teacher's side (signed in as a teacher) reads the class as
//    课堂监控 does: woken by NOTIFY (a burst coalesced for 200 ms), then by
//    its 5 s poll alone. The latency of a report is from its send until a
//    read shows it. The server's time and WAL per report come from
//    pg_stat_user_functions and the WAL position.
//  - An exam at the bell: the 50 start a 2-minute exam at once and type it
//    at 300 keys a minute, their reports carrying the cells every 2 s as
//    the program's do, then finish; each report and result is timed beside
//    a bare function call of the same arguments (the floor), with the
//    server's time and WAL per report, its time per result (a session's
//    only one, its functions compiled and planned for it) and the sittings
//    stored counted.
//  - A competition of four labs: 200 pupils wait on its card, asking as
//    the program asks, until the teacher's 开始比赛; the time from the
//    press until each program learnt the start and until each started
//    (less the ten seconds' countdown), and the spread of the starts; the
//    board of the 200 read each second while they type, beside one bare
//    read of the same rows; the results stored, none lost or twice.
//  - The status of a class of 50 in an assignment on a text's screen and
//    in one on a range of lessons, over 1,000,000 attempts and 1,000,000
//    lessons of 1,000 pupils, as the teacher's report reads it.
#include "app/ProgramDatabaseSteps.h"
#include "attempts/ExamSitting.h"
#include "attempts/LiveProgress.h"
#include "bench/BenchData.h"
#include "bench/BenchFloor.h"
#include "exams/CompetitionBoard.h"
#include "exams/CompetitionStore.h"
#include "exams/ExamStore.h"
#include "monitor/AssignmentStore.h"
#include "monitor/MonitorDlg.h"
#include "platform/Dao.h"
#include "platform/DaoSql.h"
#include "platform/ScriptedPlatform.h"
#include "texts/TextStore.h"
#include "users/Accounts.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/ServerAccounts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int Pupils = 50;
constexpr int ReportMs = 2000;
constexpr int PhaseSeconds = 40;
const QString LabClass = u"机房"_s;

double Percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

QString NewDatabase(const QString& cluster, const QString& purpose)
{
    const QString name = u"qe_bench_%1_%2"_s.arg(purpose).arg(QCoreApplication::applicationPid());
    CDaoDatabase admin;
    admin.Open(cluster);
    admin.Execute(u"CREATE DATABASE %1"_s.arg(name));
    QUrl url(cluster);
    url.setPath(u'/' + name);
    return url.toString();
}

void DropDatabase(const QString& cluster, const QString& target)
{
    CDaoDatabase admin;
    admin.Open(cluster);
    admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(QUrl(target).path().mid(1)));
}

QVariant Scalar(CDaoDatabase& db, const QString& sql)
{
    QSqlQuery query(db.Connection());
    if (!query.exec(sql) || !query.next())
        throw CDaoException(query.lastError().text());
    return query.value(0);
}

// An account's key and stored password field.
std::pair<qint64, QString> Account(CDaoDatabase& db, const QString& table, const QString& name)
{
    QSqlQuery query(db.Connection());
    query.prepare(u"SELECT qe_key, password FROM %1 WHERE name = ?"_s.arg(table));
    query.addBindValue(name);
    if (!query.exec() || !query.next())
        throw CDaoException(u"no account %1"_s.arg(name));
    return {query.value(0).toLongLong(), query.value(1).toString()};
}

// --- the live view ------------------------------------------------------------

struct CSent
{
    std::mutex mutex;
    std::vector<std::vector<Clock::time_point>> at; // per pupil, per report number
    std::vector<double> roundTripMs;
};

void Pupil(const QString& target, int id, qint64 key, const QString& stored,
           std::atomic<bool>& stop, CSent& sent)
{
    CDaoDatabase db;
    db.Open(target);
    if (!Accounts::SignIn(db, false, key, stored, u"pw%1"_s.arg(id)))
        throw CDaoException(u"pupil %1 was refused"_s.arg(id));
    // The programs of a lab do not report in step.
    std::this_thread::sleep_for(std::chrono::milliseconds(id * ReportMs / Pupils));
    LiveProgress::CReport report;
    report.nActivity = LiveProgress::Practice;
    report.nKind = 112;
    report.strLabel = u"英文练习"_s;
    report.nScreenUnits = 1288;
    auto next = Clock::now();
    for (int number = 1; !stop; ++number) {
        report.nTypedUnits = report.nCorrectUnits = number;
        report.nElapsedMs = qint64(number) * ReportMs;
        const auto before = Clock::now();
        {
            std::lock_guard lock(sent.mutex);
            sent.at[id].push_back(before);
        }
        LiveProgress::Report(db, key, u"live%1"_s.arg(id), LabClass, report);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
        {
            std::lock_guard lock(sent.mutex);
            sent.roundTripMs.push_back(ms);
        }
        next += std::chrono::milliseconds(ReportMs);
        std::this_thread::sleep_until(next);
    }
    LiveProgress::Leave(db, key);
}

// The teacher's reads: each shows the reports sent since the last one.
class CTeacher : public QObject
{
public:
    CTeacher(CDaoDatabase& db, CSent& sent, const QHash<qint64, int>& pupilOfKey)
        : m_db(db), m_sent(sent), m_pupilOfKey(pupilOfKey), m_seen(Pupils, 0)
    {
    }

    void Read()
    {
        const QList<LiveProgress::CRow> rows = LiveProgress::LoadClass(m_db, LabClass);
        const auto now = Clock::now();
        std::lock_guard lock(m_sent.mutex);
        for (const LiveProgress::CRow& row : rows) {
            const int pupil = m_pupilOfKey.value(row.nUserKey, -1);
            if (pupil < 0)
                continue;
            const int number = row.report.nTypedUnits;
            for (int shown = m_seen[pupil] + 1; shown <= number; ++shown) {
                if (m_bMeasuring && shown - 1 < int(m_sent.at[pupil].size()))
                    m_latencyMs.push_back(
                        std::chrono::duration<double, std::milli>(now - m_sent.at[pupil][shown - 1])
                            .count());
            }
            m_seen[pupil] = std::max(m_seen[pupil], number);
        }
    }
    void Measure(bool on)
    {
        m_bMeasuring = on;
        if (on)
            m_latencyMs.clear();
    }
    const std::vector<double>& Latencies() const { return m_latencyMs; }

private:
    CDaoDatabase& m_db;
    CSent& m_sent;
    QHash<qint64, int> m_pupilOfKey;
    std::vector<int> m_seen;
    std::vector<double> m_latencyMs;
    bool m_bMeasuring = false;
};

void RunFor(int seconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

// The pupils register as the program registers them: on a server each
// gets an account of its own, while a teacher allows registration into a
// class a teacher made. Pupil id is "live<id>" of classes[id % count].
void RegisterPupils(CDaoDatabase& owner, int pupils = Pupils,
                    const QStringList& classes = {LabClass})
{
    owner.Execute(u"UPDATE lab_config SET registration_open = 1"_s);
    for (const QString& name : classes)
        owner.Execute(u"INSERT INTO course_class VALUES ('%1', 0, 100, 0)"_s.arg(name));
    for (int id = 0; id < pupils; ++id) {
        QString historyError;
        if (Accounts::Register(owner, u"live%1"_s.arg(id), classes[id % classes.size()],
                               QString::number(2003000 + id), u"pw%1"_s.arg(id),
                               &historyError) == 0)
            throw CDaoException(u"pupil %1 was not registered"_s.arg(id));
        Accounts::SignOut(owner);
    }
}

// A database of the run's own, opened as its owner, with the lab's pupils
// (or those of several labs) registered; the server counts the time of its
// functions.
QString LabDatabase(const QString& cluster, const QString& label, CDaoDatabase& owner,
                    int pupils = Pupils, const QStringList& classes = {LabClass})
{
    const QString target = NewDatabase(cluster, label);
    CreateDatabase(target, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
    owner.Open(target);
    RegisterPupils(owner, pupils, classes);
    owner.Execute(
        u"ALTER DATABASE %1 SET track_functions = 'pl'"_s.arg(QUrl(target).path().mid(1)));
    return target;
}

// The teacher's session on the lab's database: the super user admin.
void OpenAsTeacher(CDaoDatabase& owner, const QString& target, CDaoDatabase& teacher)
{
    teacher.Open(target);
    const auto [adminKey, adminStored] = Account(owner, u"supperuser"_s, u"admin"_s);
    if (!Accounts::SignIn(teacher, true, adminKey, adminStored, u"admin"_s))
        throw CDaoException(u"the teacher was refused"_s);
}

void LiveView(const QString& cluster)
{
    CDaoDatabase owner;
    const QString target = LabDatabase(cluster, u"live"_s, owner);
    QHash<qint64, int> pupilOfKey;
    std::vector<std::pair<qint64, QString>> accounts;
    for (int id = 0; id < Pupils; ++id) {
        accounts.push_back(Account(owner, u"\"user\""_s, u"live%1"_s.arg(id)));
        pupilOfKey.insert(accounts.back().first, id);
    }
    CDaoDatabase teacherDb;
    OpenAsTeacher(owner, target, teacherDb);

    CSent sent;
    sent.at.resize(Pupils);
    CTeacher teacher(teacherDb, sent, pupilOfKey);
    std::atomic<bool> stop = false;
    std::vector<std::thread> threads;
    for (int id = 0; id < Pupils; ++id)
        threads.emplace_back([&, id] {
            try {
                Pupil(target, id, accounts[id].first, accounts[id].second, stop, sent);
            } catch (const CDaoException& e) {
                std::fprintf(stderr, "qe_bench_live: %s\n", e.what());
            }
        });
    RunFor(ReportMs / 1000 + 1); // every program has logged in and reported

    // Woken by the notices, a burst read once after 200 ms, as the window does.
    QSqlDriver* driver = teacherDb.Connection().driver();
    QTimer woken;
    woken.setSingleShot(true);
    woken.setInterval(200);
    QObject::connect(&woken, &QTimer::timeout, &teacher, [&teacher] { teacher.Read(); });
    QObject::connect(driver, &QSqlDriver::notification, &teacher, [&woken](const QString& channel) {
        if (channel == u"qe_live" && !woken.isActive())
            woken.start();
    });
    if (!driver->subscribeToNotification(u"qe_live"_s))
        throw CDaoException(u"LISTEN qe_live failed"_s);
    teacher.Read();
    const qint64 walBefore =
        Scalar(owner, u"SELECT pg_current_wal_lsn() - '0/0'::pg_lsn"_s).toLongLong();
    size_t reportsBefore = 0;
    {
        std::lock_guard lock(sent.mutex);
        reportsBefore = sent.roundTripMs.size();
    }
    teacher.Measure(true);
    RunFor(PhaseSeconds);
    teacher.Measure(false);
    const qint64 walAfter =
        Scalar(owner, u"SELECT pg_current_wal_lsn() - '0/0'::pg_lsn"_s).toLongLong();
    std::vector<double> roundTrips;
    {
        std::lock_guard lock(sent.mutex);
        roundTrips.assign(sent.roundTripMs.begin() + qsizetype(reportsBefore),
                          sent.roundTripMs.end());
    }
    const std::vector<double> notified = teacher.Latencies();
    // The floor, under the same load: a bare notice from another session
    // until it arrives, then one read of the class, plus the 200 ms the
    // window waits to take a burst of notices at once.
    std::vector<double> floors;
    bool bArrived = false;
    QObject::connect(driver, &QSqlDriver::notification, &teacher,
                     [&bArrived](const QString& channel) { bArrived |= channel == u"qe_floor"; });
    if (!driver->subscribeToNotification(u"qe_floor"_s))
        throw CDaoException(u"LISTEN qe_floor failed"_s);
    for (int i = 0; i < 20; ++i) {
        bArrived = false;
        const auto sentAt = Clock::now();
        owner.Execute(u"NOTIFY qe_floor"_s);
        QElapsedTimer waited;
        waited.start();
        while (!bArrived && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        teacher.Read();
        floors.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count() +
                         200);
        RunFor(0);
    }
    driver->unsubscribeFromNotification(u"qe_floor"_s);
    driver->unsubscribeFromNotification(u"qe_live"_s);
    QObject::disconnect(driver, &QSqlDriver::notification, &teacher, nullptr);

    // The poll alone, as where no notice arrives.
    QTimer poll;
    poll.setInterval(CMonitorDlg::PollMs);
    QObject::connect(&poll, &QTimer::timeout, &teacher, [&teacher] { teacher.Read(); });
    teacher.Read();
    poll.start();
    teacher.Measure(true);
    RunFor(PhaseSeconds);
    teacher.Measure(false);
    const std::vector<double> polled = teacher.Latencies();
    poll.stop();

    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    RunFor(1); // the sessions' statistics reach the server
    QSqlQuery stats(owner.Connection());
    double serverUs = -1;
    if (stats.exec(u"SELECT total_time / NULLIF(calls, 0) * 1000 FROM pg_stat_user_functions "
                   "WHERE funcname = 'qe_report_progress'"_s) &&
        stats.next())
        serverUs = stats.value(0).toDouble();
    const double wal =
        roundTrips.empty() ? -1 : double(walAfter - walBefore) / double(roundTrips.size());
    const int rows = Scalar(owner, u"SELECT count(*) FROM live_progress"_s).toInt();
    std::printf("live mode=notify pupils=%d reports=%zu p50_ms=%.0f p95_ms=%.0f max_ms=%.0f "
                "floor_p95_ms=%.0f\n",
                Pupils, notified.size(), Percentile(notified, 0.5), Percentile(notified, 0.95),
                Percentile(notified, 1.0), Percentile(floors, 0.95));
    std::printf("live mode=poll pupils=%d reports=%zu p50_ms=%.0f p95_ms=%.0f max_ms=%.0f\n",
                Pupils, polled.size(), Percentile(polled, 0.5), Percentile(polled, 0.95),
                Percentile(polled, 1.0));
    std::printf("live report_p50_ms=%.2f report_p95_ms=%.2f server_us=%.0f wal_bytes=%.0f "
                "rows_left=%d\n",
                Percentile(roundTrips, 0.5), Percentile(roundTrips, 0.95), serverUs, wal, rows);
    std::fflush(stdout);
    teacherDb.Close();
    owner.Close();
    DropDatabase(cluster, target);
}

// --- an exam at the bell, its cells streamed ------------------------------------------

constexpr int StreamReports = 10;  // 20 s of typing
constexpr int CellsPerReport = 10; // 300 keys a minute
constexpr int RowCells = 92;

struct CExamTimes
{
    std::mutex mutex;
    std::vector<double> firstReports, reports, reportFloors, finishes, finishFloors;
};

double TimedMs(const std::function<void()>& work)
{
    const auto before = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - before).count();
}

// The floors: bare functions of the same arguments as a report and a
// result, which do nothing, for the pupils to call.
void MakeFloors(CDaoDatabase& owner)
{
    owner.Execute(u"CREATE FUNCTION bench_report_floor(integer, integer, bigint, text, integer, "
                  "integer, integer, bigint, bigint, integer, integer, text, integer, text[], "
                  "text[]) RETURNS integer LANGUAGE sql AS 'SELECT 1'"_s);
    owner.Execute(u"CREATE FUNCTION bench_finish_floor(text, text[], text[], integer, integer, "
                  "integer, integer, integer, integer, integer) RETURNS integer LANGUAGE sql "
                  "AS 'SELECT 1'"_s);
    owner.Execute(u"GRANT EXECUTE ON FUNCTION bench_report_floor, bench_finish_floor TO %1"_s.arg(
        ServerAccounts::RolePrefix(owner) + u"_pupil"_s));
}

void Floor(CDaoDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery& call = db.Prepared(sql);
    for (int i = 0; i < values.size(); ++i)
        call.bindValue(i, values[i]);
    if (!call.exec() || !call.next())
        throw CDaoException(call.lastError().text());
    call.finish();
}

// A pupil's program types its sitting at 300 keys a minute, reporting
// with the cells every 2 s, and finishes; the reports and the result are
// timed beside their floors.
void TypeAndFinish(CDaoDatabase& db, int id, int pupils, const std::pair<qint64, QString>& account,
                   qint64 exam, const CExamSitting& sitting, CExamTimes& times)
{
    // The programs of a lab do not report in step.
    std::this_thread::sleep_for(std::chrono::milliseconds(id * ReportMs / pupils));
    auto next = Clock::now();
    int seen = 0;
    for (int number = 1; number <= StreamReports; ++number) {
        next += std::chrono::milliseconds(ReportMs);
        std::this_thread::sleep_until(next);
        LiveProgress::CReport report;
        report.nActivity = LiveProgress::Exam;
        report.nKind = 112;
        report.nExamId = exam;
        report.strLabel = sitting.strTitle;
        report.nScreenUnits = int(sitting.screenCells.size());
        report.nTypedUnits = report.nCorrectUnits = number * CellsPerReport;
        report.nElapsedMs = qint64(number) * ReportMs;
        report.strSittingUid = sitting.strUid;
        report.sittingCells = sitting.screenCells.mid(0, number * CellsPerReport);
        report.sittingTexts = sitting.screenTexts.mid(0, number * CellsPerReport);
        report.nRowCells = RowCells;
        const int from = seen / RowCells * RowCells;
        const double ms = TimedMs([&] {
            seen = LiveProgress::Report(db, account.first, {}, {}, report, from).nSeenCells;
        });
        const double floorMs = TimedMs([&] {
            Floor(db,
                  u"SELECT bench_report_floor(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                  "?::text[], ?::text[])"_s,
                  {report.nActivity, report.nKind, exam, report.strLabel, report.nScreenUnits,
                   report.nTypedUnits, report.nCorrectUnits, report.nElapsedMs, 0, 0, 0,
                   sitting.strUid, from, DaoSql::TextArrayLiteral(report.sittingCells.mid(from)),
                   DaoSql::TextArrayLiteral(report.sittingTexts.mid(from))});
        });
        // A session's first report compiles the server's functions for it:
        // kept apart, the rest are the reports of a running exam.
        std::lock_guard lock(times.mutex);
        if (number == 1) {
            times.firstReports.push_back(ms);
            continue;
        }
        times.reports.push_back(ms);
        times.reportFloors.push_back(floorMs);
    }
    CSittingResult result;
    result.strUid = sitting.strUid;
    result.nExamId = exam;
    result.nUserKey = account.first;
    result.typedCells = sitting.screenCells.mid(0, StreamReports * CellsPerReport);
    result.typedTexts = sitting.screenTexts.mid(0, StreamReports * CellsPerReport);
    result.nEndReason = 1;
    const double ms = TimedMs([&] {
        if (FinishSitting(db, result).kind != CSittingOutcome::Stored)
            throw CDaoException(u"pupil %1's result was not stored"_s.arg(id));
    });
    const double floorMs = TimedMs([&] {
        Floor(db, u"SELECT bench_finish_floor(?, ?::text[], ?::text[], ?, ?, ?, ?, ?, ?, ?)"_s,
              {result.strUid, DaoSql::TextArrayLiteral(result.typedCells),
               DaoSql::TextArrayLiteral(result.typedTexts), 0, 1, 0, 0, 0, -1, -1});
    });
    std::lock_guard lock(times.mutex);
    times.finishes.push_back(ms);
    times.finishFloors.push_back(floorMs);
}

void ExamPupil(const QString& target, int id, const std::pair<qint64, QString>& account,
               qint64 exam, Clock::time_point bell, CExamTimes& times)
{
    CDaoDatabase db;
    db.Open(target);
    if (!Accounts::SignIn(db, false, account.first, account.second, u"pw%1"_s.arg(id)))
        throw CDaoException(u"pupil %1 was refused"_s.arg(id));
    std::this_thread::sleep_until(bell);
    const CSittingStart start = StartSitting(db, exam, account.first);
    if (!start.sitting)
        throw CDaoException(start.strRefusal);
    TypeAndFinish(db, id, Pupils, account, exam, *start.sitting, times);
}

// The pupils with a finished sitting of the exam, and its results stored
// (one each, when none is doubled).
std::pair<int, int> StoredResults(CDaoDatabase& owner, qint64 exam)
{
    return {
        Scalar(owner, u"SELECT count(DISTINCT user_key) FROM exam_sitting "
                      "WHERE finished = 1 AND exam_id = %1"_s.arg(exam))
            .toInt(),
        Scalar(owner, u"SELECT count(*) FROM attempt_text WHERE exam_id = %1"_s.arg(exam)).toInt()};
}

// A 2-minute exam of classes on an English text of 1,400 letters, open.
CExam LabExam(CDaoDatabase& owner, const QStringList& classes,
              std::optional<CCompetitionSettings> competition = std::nullopt)
{
    CPracticeText text;
    text.strTitle = u"期中"_s;
    text.nKind = 112;
    for (int i = 0; i < 1400; ++i)
        text.strBody.append(QChar(u'a' + i % 26));
    CExam exam;
    exam.strTitle = u"期中"_s;
    exam.nTextId = TextStore::SaveText(owner, text);
    exam.nMinutes = 2;
    exam.bOpen = true;
    exam.classes = classes;
    exam.competition = std::move(competition);
    exam.nId = ExamStore::SaveExam(owner, exam);
    return exam;
}

// 50 pupils start a 2-minute exam at one bell, type it at 300 keys a
// minute, the program's reports carrying the cells every 2 s, and finish;
// each report and each result is timed beside a bare call of its size.
void ExamAtTheBell(const QString& cluster)
{
    CDaoDatabase owner;
    const QString target = LabDatabase(cluster, u"exam"_s, owner);
    MakeFloors(owner);
    const CExam exam = LabExam(owner, {LabClass});
    std::vector<std::pair<qint64, QString>> accounts;
    for (int id = 0; id < Pupils; ++id)
        accounts.push_back(Account(owner, u"\"user\""_s, u"live%1"_s.arg(id)));

    CExamTimes times;
    const qint64 walBefore =
        Scalar(owner, u"SELECT pg_current_wal_lsn() - '0/0'::pg_lsn"_s).toLongLong();
    const auto bell = Clock::now() + std::chrono::seconds(3);
    std::vector<std::thread> threads;
    std::atomic<int> failed = 0;
    for (int id = 0; id < Pupils; ++id)
        threads.emplace_back([&, id] {
            try {
                ExamPupil(target, id, accounts[id], exam.nId, bell, times);
            } catch (const CDaoException& e) {
                ++failed;
                std::fprintf(stderr, "qe_bench_live: %s\n", e.what());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    const qint64 walAfter =
        Scalar(owner, u"SELECT pg_current_wal_lsn() - '0/0'::pg_lsn"_s).toLongLong();
    RunFor(1); // the sessions' statistics reach the server
    const double serverUs =
        Scalar(owner, u"SELECT coalesce(sum(total_time) / NULLIF(sum(calls), 0) * 1000, -1) "
                      "FROM pg_stat_user_functions WHERE funcname = 'qe_sitting_report'"_s)
            .toDouble();
    const double finishUs =
        Scalar(owner, u"SELECT coalesce(sum(total_time) / NULLIF(sum(calls), 0) * 1000, -1) "
                      "FROM pg_stat_user_functions WHERE funcname = 'qe_finish_sitting'"_s)
            .toDouble();
    const auto [stored, rows] = StoredResults(owner, exam.nId);
    const int flagged =
        Scalar(owner, u"SELECT count(*) FROM exam_sitting WHERE flagged = 1"_s).toInt();
    const int typed = Scalar(owner, u"SELECT coalesce(min(typed_units), 0) FROM exam_sitting "
                                    "WHERE exam_id = %1"_s.arg(exam.nId))
                          .toInt();
    // The exam's WAL (its starts and results too) over its reports.
    const size_t reports = times.reports.size() + times.firstReports.size();
    const double wal = reports == 0 ? -1 : double(walAfter - walBefore) / double(reports);
    std::printf("exam pupils=%d failed=%d reports=%zu report_p99_ms=%.2f report_floor_p99_ms=%.2f "
                "first_report_max_ms=%.2f finish_p99_ms=%.2f finish_floor_p99_ms=%.2f "
                "server_us=%.0f finish_server_us=%.0f wal_bytes=%.0f lost=%d doubled=%d "
                "flagged=%d typed_min=%d\n",
                Pupils, failed.load(), reports, Percentile(times.reports, 0.99),
                Percentile(times.reportFloors, 0.99), Percentile(times.firstReports, 1.0),
                Percentile(times.finishes, 0.99), Percentile(times.finishFloors, 0.99), serverUs,
                finishUs, wal, Pupils - stored, std::max(rows - stored, 0), flagged, typed);
    std::fflush(stdout);
    owner.Close();
    DropDatabase(cluster, target);
}

// --- a competition of four labs -------------------------------------------------------

constexpr int Competitors = 200;
const QStringList Labs = {u"机房一"_s, u"机房二"_s, u"机房三"_s, u"机房四"_s};

struct CStartTimes
{
    std::mutex mutex;
    std::vector<Clock::time_point> told;    // when a program learnt the start
    std::vector<Clock::time_point> started; // when its sitting started
};

// A waiting program, as the card waits: it asks for its sitting, and while
// the competition has not started asks again when NextStartAskMs says.
void Competitor(const QString& target, int id, const std::pair<qint64, QString>& account,
                qint64 exam, std::counting_semaphore<>& logins, std::atomic<int>& waiting,
                CStartTimes& starts, CExamTimes& times)
{
    CDaoDatabase db;
    // The pupils log in over the minutes before; a few at a time here.
    logins.acquire();
    db.Open(target);
    const bool bSignedIn =
        Accounts::SignIn(db, false, account.first, account.second, u"pw%1"_s.arg(id));
    logins.release();
    if (!bSignedIn)
        throw CDaoException(u"pupil %1 was refused"_s.arg(id));
    bool bTold = false;
    bool bCounted = false;
    for (;;) {
        const CSittingStart start = StartSitting(db, exam, account.first);
        if (start.sitting) {
            {
                std::lock_guard lock(starts.mutex);
                starts.started.push_back(Clock::now());
            }
            TypeAndFinish(db, id, Competitors, account, exam, *start.sitting, times);
            return;
        }
        if (!start.waitMs)
            throw CDaoException(start.strRefusal);
        if (!bCounted) {
            bCounted = true;
            ++waiting;
        }
        if (*start.waitMs >= 0 && !bTold) {
            bTold = true;
            std::lock_guard lock(starts.mutex);
            starts.told.push_back(Clock::now());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(NextStartAskMs(*start.waitMs)));
    }
}

// 200 pupils of four labs wait on a competition's card; the teacher
// presses 开始比赛. Timed: from the press until each program learnt the
// start and until each started (less the ten seconds' countdown, which is
// meant), and the spread of the starts; then the board of the 200 read
// each second while they type, beside its floor; then the rows stored.
void CompetitionOfFourLabs(const QString& cluster)
{
    CDaoDatabase owner;
    const QString target = LabDatabase(cluster, u"competition"_s, owner, Competitors, Labs);
    MakeFloors(owner);
    const CExam exam = LabExam(owner, Labs, CCompetitionSettings());
    std::vector<std::pair<qint64, QString>> accounts;
    for (int id = 0; id < Competitors; ++id)
        accounts.push_back(Account(owner, u"\"user\""_s, u"live%1"_s.arg(id)));
    CDaoDatabase teacher;
    OpenAsTeacher(owner, target, teacher);

    CStartTimes starts;
    CExamTimes times;
    std::counting_semaphore<> logins(8);
    std::atomic<int> waiting = 0;
    std::atomic<int> failed = 0;
    std::vector<std::thread> threads;
    for (int id = 0; id < Competitors; ++id)
        threads.emplace_back([&, id] {
            try {
                Competitor(target, id, accounts[id], exam.nId, logins, waiting, starts, times);
            } catch (const CDaoException& e) {
                ++failed;
                std::fprintf(stderr, "qe_bench_live: %s\n", e.what());
            }
        });
    while (waiting + failed < Competitors)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Every program waits, asking each second; then the press.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto pressed = Clock::now();
    CompetitionStore::Start(teacher, exam.nId);

    // The board while they type, and its floor: the same rows and columns,
    // each table read once by a statement prepared beforehand, and every
    // value taken.
    std::vector<double> boards, floors;
    const QStringList floorSql{
        u"SELECT e.id, e.title, e.text_id, e.screen, e.minutes, e.backspace_allowed, "
        "e.retake_allowed, e.is_open, e.created_at, e.kind, c.scoring, c.first_share, "
        "c.second_share, c.third_share, c.starts_at FROM exam e LEFT JOIN competition c "
        "ON c.exam_id = e.id WHERE e.id = ?"_s,
        u"SELECT class_name FROM exam_class WHERE exam_id = ?"_s,
        u"SELECT qe_key, name, class, student_no FROM \"user\" WHERE class IN "
        "(SELECT class_name FROM exam_class WHERE exam_id = ?)"_s,
        u"SELECT s.user_key, s.finished, s.kind, s.elapsed_ms, s.typed_units, "
        "s.correct_units, s.end_reason, s.focus_losses, s.started_at, s.speed_ms, s.late, "
        "s.flagged, a.key_presses, s.flag_reason FROM exam_sitting s LEFT JOIN attempt a "
        "ON a.id = s.attempt_id WHERE s.exam_id = ?"_s,
        u"SELECT user_key, reason FROM exam_refusal WHERE exam_id = ?"_s,
        u"SELECT * FROM grade_rule"_s,
        u"SELECT LOCALTIMESTAMP(3), user_key, user_name, activity, kind, exam_id, label, "
        "screen_units, typed_units, correct_units, elapsed_ms, idle_ms, focus_lost, end_reason, "
        "reported_at FROM live_progress WHERE exam_id = ?"_s,
    };
    // The columns are counted once: Qt's record() asks the server.
    std::vector<std::pair<std::unique_ptr<QSqlQuery>, int>> bare;
    for (const QString& sql : floorSql) {
        auto query = std::make_unique<QSqlQuery>(teacher.Connection());
        query->setForwardOnly(true);
        if (!query->prepare(sql))
            throw CDaoException(query->lastError().text());
        if (sql.contains(u'?'))
            query->addBindValue(exam.nId);
        if (!query->exec())
            throw CDaoException(query->lastError().text());
        const int columns = query->record().count();
        query->finish();
        bare.emplace_back(std::move(query), columns);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(CompetitionRules::CountdownMs + 2000));
    int shown = 0;
    for (int i = 0; i < 15; ++i) {
        boards.push_back(TimedMs([&] {
            shown =
                int(CompetitionBoard::Make(CompetitionBoard::Read(teacher, exam.nId)).lines.size());
        }));
        floors.push_back(TimedMs([&] {
            for (const auto& [query, columns] : bare) {
                if (query->lastQuery().contains(u'?'))
                    query->addBindValue(exam.nId);
                if (!query->exec())
                    throw CDaoException(query->lastError().text());
                while (query->next())
                    for (int i = 0; i < columns; ++i)
                        query->value(i);
                query->finish();
            }
        }));
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    bare.clear();
    for (std::thread& thread : threads)
        thread.join();

    std::vector<double> told, started;
    for (const Clock::time_point at : starts.told)
        told.push_back(std::chrono::duration<double, std::milli>(at - pressed).count());
    for (const Clock::time_point at : starts.started)
        started.push_back(std::chrono::duration<double, std::milli>(at - pressed).count() -
                          double(CompetitionRules::CountdownMs));
    const auto [stored, rows] = StoredResults(owner, exam.nId);
    const int sittings =
        Scalar(owner, u"SELECT count(*) FROM exam_sitting WHERE exam_id = %1"_s.arg(exam.nId))
            .toInt();
    const double spread =
        started.empty() ? -1 : Percentile(started, 1.0) - Percentile(started, 0.0);
    std::printf("competition pupils=%d labs=%lld failed=%d told_p99_ms=%.0f start_p99_ms=%.0f "
                "start_spread_ms=%.0f board_lines=%d board_p95_ms=%.2f board_floor_p95_ms=%.2f "
                "lost=%d doubled=%d\n",
                Competitors, Labs.size(), failed.load(), Percentile(told, 0.99),
                Percentile(started, 0.99), spread, shown, Percentile(boards, 0.95),
                Percentile(floors, 0.95), Competitors - stored,
                std::max(rows - stored, 0) + std::max(sittings - stored, 0));
    std::fflush(stdout);
    teacher.Close();
    owner.Close();
    DropDatabase(cluster, target);
}

// --- the assignments' status ------------------------------------------------------

void Generate(CDaoDatabase& db, const QString& sql, int rows)
{
    const QString series = db.IsPostgres()
                               ? u"%1 FROM generate_series(0, %2 - 1) AS n(i)"_s
                               : u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                 "WHERE i + 1 < %2) %1 FROM n"_s;
    // SQLite wants its WITH between INSERT INTO ... (columns) and the SELECT.
    const qsizetype select = db.IsPostgres() ? 0 : sql.indexOf(u"SELECT"_s);
    db.Execute(sql.left(select) + series.arg(sql.mid(select)).arg(rows));
}

void AssignmentStatus(const QString& engine, const QString& target, int attempts)
{
    CreateDatabase(target, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
    CDaoDatabase db;
    db.Open(target);
    const bool pg = db.IsPostgres();
    constexpr int School = 1000;
    // 20 classes of 50; on a server a pupil's password is the account's own,
    // never in the row.
    Generate(db,
             u"INSERT INTO \"user\" (name, class, student_no, kind) SELECT 'p' || i, "
             "'class' || (i % 20), 'n' || i, '普通用户'"_s,
             School);
    for (int text = 0; text < 20; ++text)
        db.Execute(u"INSERT INTO practice_text (title, kind, body, updated_at) VALUES "
                   "('text%1', 112, 'the quick brown fox', '2024-09-01 08:00:00.000')"_s.arg(text));
    BenchData::AddScores(db, attempts);
    // Attempt i is pupil i % 1000's; its block b = i / 1000 sets its day, its
    // text and screen (or lesson) and its figures, so that every pupil has
    // some of each.
    const QString day =
        pg ? u"(TIMESTAMP '2024-09-02 08:00:00' + (i / 1000 % 30) * INTERVAL '1 day')"_s
           : u"datetime('2024-09-02 08:00:00', '+' || (i / 1000 % 30) || ' days')"_s;
    const QString spread = u"(i / 1000 + i / 100000 * 17)"_s;
    const QString firstUser = u"(SELECT min(qe_key) FROM \"user\")"_s;
    Generate(
        db,
        u"INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind, "
        "text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, "
        "correct_units, backspaces, end_reason, checked) SELECT (SELECT min(qe_key) FROM score) "
        "+ i, %1 + i % %2, 'p', 'c', 'n', 112, 'text', '', %3, %3, 60000, 200, 150 + %4 % 50, "
        "0, 1, 1"_s.arg(firstUser)
            .arg(School)
            .arg(day, spread),
        attempts);
    db.Execute(u"INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id) SELECT a.id, "
               "(SELECT min(id) FROM practice_text) + (a.id - f.first) / 1000 % 20, "
               "1 + (a.id - f.first) / 20000 % 5, NULL "
               "FROM attempt a CROSS JOIN (SELECT min(id) AS first FROM attempt) f"_s);
    Generate(db,
             u"INSERT INTO lesson_attempt (user_key, user_name, class_name, student_no, kind, "
             "course, lesson, started_at, ended_at, elapsed_ms, keystrokes, correct_keys, errors, "
             "backspaces, stars, passed, checked) SELECT %1 + i % %2, 'p', 'c', 'n', 116, "
             "'fingering', 1 + i / 30000 % 30, %3, %3, 60000, 100, 60 + %4 % 40, 0, 0, 1, 1, 1"_s
                 .arg(firstUser)
                 .arg(School)
                 .arg(day, spread),
             attempts);
    db.Execute(pg ? u"VACUUM ANALYZE"_s : u"ANALYZE"_s);
    if (pg) {
        const auto [key, stored] = Account(db, u"supperuser"_s, u"admin"_s);
        if (!Accounts::SignIn(db, true, key, stored, u"admin"_s))
            throw CDaoException(u"the teacher was refused"_s);
    }

    CAssignment onText;
    onText.nTask = AssignmentTask::TextScreen;
    onText.nTextId = Scalar(db, u"SELECT min(id) FROM practice_text"_s).toLongLong();
    onText.nScreen = 1;
    onText.nKind = 112;
    onText.dMinSpeed = 30;
    onText.nMinAccuracy = 90;
    onText.nPasses = 2;
    onText.startsOn = QDate(2024, 9, 9);
    onText.dueOn = QDate(2024, 9, 20);
    CAssignment lessons = onText;
    lessons.nTask = AssignmentTask::Lessons;
    lessons.strCourse = u"fingering"_s;
    lessons.nLessonFrom = 5;
    lessons.nLessonTo = 7;
    lessons.dMinSpeed = 80;
    const QDate today(2024, 9, 15);
    for (const auto& [name, assignment] :
         {std::pair{u"text_screen"_s, onText}, std::pair{u"lessons"_s, lessons}}) {
        std::vector<double> ms;
        int done = 0;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            const QList<CAssignmentRow> rows =
                AssignmentStore::LoadReport(db, assignment, u"class7"_s, today);
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            done = int(std::count_if(rows.begin(), rows.end(), [](const CAssignmentRow& row) {
                return row.status.state == CAssignmentStatus::Completed;
            }));
            if (rows.size() != 50)
                throw CDaoException(u"the class has %1 pupils"_s.arg(rows.size()));
        }
        // The floor: the attempts the status is made of, selected and read.
        const QString floorSql =
            assignment.nTask == AssignmentTask::Lessons
                ? u"SELECT l.* FROM lesson_attempt l JOIN \"user\" u ON u.qe_key = l.user_key "
                  "WHERE u.class = ? AND l.course = ? AND l.lesson BETWEEN ? AND ? "
                  "AND l.started_at >= ?"_s
                : u"SELECT a.* FROM attempt a JOIN \"user\" u ON u.qe_key = a.user_key "
                  "JOIN attempt_text t ON t.attempt_id = a.id WHERE u.class = ? AND a.kind = ? "
                  "AND t.text_id = ? AND t.screen = ? AND a.started_at >= ?"_s;
        const QVariantList floorValues =
            assignment.nTask == AssignmentTask::Lessons
                ? QVariantList{u"class7"_s, assignment.strCourse, assignment.nLessonFrom,
                               assignment.nLessonTo, u"2024-09-09"_s}
                : QVariantList{u"class7"_s, assignment.nKind, assignment.nTextId,
                               assignment.nScreen, u"2024-09-09"_s};
        std::vector<double> floorMs;
        for (int run = 0; run < 5; ++run)
            floorMs.push_back(
                BenchFloor::BestMs([&] { BenchFloor::ReadAll(db, floorSql, floorValues); }, 1));
        std::printf("assignment engine=%s task=%s attempts=%d pupils=50 done=%d median_ms=%.1f "
                    "max_ms=%.1f floor_ms=%.1f\n",
                    qPrintable(engine), qPrintable(name), attempts, done, Percentile(ms, 0.5),
                    Percentile(ms, 1.0), Percentile(floorMs, 0.5));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const QString cluster = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 2;
    CScriptedPlatform platform;
    constexpr int Attempts = 1000000;
    try {
        if (argc > 2 && std::strcmp(argv[2], "exam") == 0) {
            ExamAtTheBell(cluster);
            return 0;
        }
        if (argc > 2 && std::strcmp(argv[2], "competition") == 0) {
            CompetitionOfFourLabs(cluster);
            return 0;
        }
        AssignmentStatus(u"sqlite"_s, work.filePath(u"assignments.mdb"_s), Attempts);
        if (!cluster.isEmpty()) {
            const QString target = NewDatabase(cluster, u"assignments"_s);
            AssignmentStatus(u"postgresql"_s, target, Attempts);
            DropDatabase(cluster, target);
            LiveView(cluster);
            ExamAtTheBell(cluster);
            CompetitionOfFourLabs(cluster);
        }
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "qe_bench_live: %s\n", e.what());
        return 1;
    }
    return 0;
}
