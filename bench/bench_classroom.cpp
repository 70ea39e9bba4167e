#include "bench/BenchClassroom.h"
#include "bench/BenchData.h"
#include "bench/BenchFloor.h"

#include "app/ProgramDatabaseSteps.h"
#include "attempts/AttemptStore.h"
#include "attempts/ClassReport.h"
#include "attempts/PracticeTime.h"
#include "classroom/ClassListFile.h"
#include "classroom/ImportPlan.h"
#include "classroom/PupilStore.h"
#include "coaching/Weakness.h"
#include "documents/TableExport.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ClassReportDlg.h"
#include "reports/ClassReportModel.h"
#include "reports/ReportRange.h"
#include "users/Accounts.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"
#include "users/ServerAccounts.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTreeView>
#include <QUrl>
#include <QWindow>
#include <QtConcurrent>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Pupils = 2000;
constexpr int Attempts = 1000000;
constexpr int ImportedPupils = 1000;
const QString ReportedClass = u"班级1"_s;
const QString ImportedClass = u"新生班"_s;

// Pupil k (key k) is 学生k of class 班级((k-1)/50+1); attempt i is pupil
// 1 + i % 2000's, of the four kinds in turn, 30 seconds after the one
// before, through 2024.
const QString SqliteFill[] = {
    uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {pupils})
        INSERT INTO "user" (name, class, student_no, password, kind)
        SELECT '学生' || i, '班级' || ((i - 1) / 50 + 1), printf('%06d', i), '123456', '普通用户'
        FROM n)"_s,
    uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {attempts})
        INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy)
        SELECT '学生' || (1 + i % {pupils}), printf('%06d', 1 + i % {pupils}), '中文测试', i % 60, 60, 90
        FROM n)"_s,
    uR"(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < {attempts})
        INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind,
            text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
            backspaces, end_reason)
        SELECT i, 1 + i % {pupils}, 'pupil', 'class', '1', 111 + (i / {pupils}) % 4, 'chinese.txt', 'hash',
            strftime('%Y-%m-%d %H:%M:%f', '2024-01-01', '+' || (i * 30) || ' seconds'),
            strftime('%Y-%m-%d %H:%M:%f', '2024-01-01', '+' || (i * 30 + 25) || ' seconds'),
            20000 + i % 60000, 40 + i % 50, 30 + i % 40, i % 7, 1 FROM n)"_s,
    // One key row an attempt: 1,000,000 for 班级弱项.
    uR"(INSERT INTO attempt_key (attempt_id, user_key, key_name, expected, presses, wrong,
            median_ms)
        SELECT id, user_key, char(97 + id % 26), 20, 19, 1, 200 + id % 500 FROM attempt)"_s,
};

const QString PostgresFill[] = {
    // On a server a password is the account's own, never in the row.
    uR"(INSERT INTO "user" (name, class, student_no, password, kind)
        SELECT '学生' || i, '班级' || ((i - 1) / 50 + 1), lpad(i::text, 6, '0'), NULL,
            '普通用户' FROM generate_series(1, {pupils}) i)"_s,
    uR"(INSERT INTO score (name, student_no, score_type, chinese_speed, seconds, accuracy)
        SELECT '学生' || (1 + i % {pupils}), lpad((1 + i % {pupils})::text, 6, '0'), '中文测试', i % 60, 60, 90
        FROM generate_series(1, {attempts}) i)"_s,
    uR"(INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, kind,
            text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, correct_units,
            backspaces, end_reason)
        SELECT i, 1 + i % {pupils}, 'pupil', 'class', '1', 111 + (i / {pupils}) % 4, 'chinese.txt', 'hash',
            timestamp '2024-01-01' + i * interval '30 seconds',
            timestamp '2024-01-01' + (i * 30 + 25) * interval '1 second',
            20000 + i % 60000, 40 + i % 50, 30 + i % 40, i % 7, 1
        FROM generate_series(1, {attempts}) i)"_s,
    uR"(INSERT INTO attempt_key (attempt_id, user_key, key_name, expected, presses, wrong,
            median_ms)
        SELECT id, user_key, chr(97 + (id % 26)::int), 20, 19, 1, 200 + id % 500 FROM attempt)"_s,
    u"VACUUM ANALYZE"_s,
};

// The statement with its counts ({attempts}, {pupils}) filled in.
QString Filled(QString sql)
{
    return sql.replace(u"{attempts}"_s, QString::number(Attempts))
        .replace(u"{pupils}"_s, QString::number(Pupils));
}

class CSchool
{
public:
    CSchool(QString engine, QString target)
        : m_strEngine(std::move(engine)), m_strTarget(std::move(target))
    {
    }

    const QString& Engine() const { return m_strEngine; }
    CDaoDatabase* Activate()
    {
        if (!m_db.IsOpen())
            Fill();
        CDaoDatabase* db = &m_db;
        CSession::Instance().SetDatabaseSource([db] { return db; });
        return db;
    }
    void Close() { m_db.Close(); }

private:
    void Fill()
    {
        CreateDatabase(m_strTarget, u"admin"_s, u"admin"_s, ProgramDatabaseSteps());
        m_db.Open(m_strTarget);
        QElapsedTimer timer;
        timer.start();
        if (m_db.IsPostgres()) {
            for (const QString& sql : PostgresFill)
                m_db.Execute(Filled(sql));
        } else {
            CDaoTransaction transaction(m_db, CDaoTransaction::OnThrow::KeepDone);
            for (const QString& sql : SqliteFill)
                m_db.Execute(Filled(sql));
            transaction.Commit();
        }
        std::fprintf(stderr, "qe_bench: %s: 2,000 pupils and 1,000,000 attempts made in %.1f s\n",
                     qPrintable(m_strEngine), timer.nsecsElapsed() / 1e9);
    }

    QString m_strEngine;
    QString m_strTarget;
    CDaoDatabase m_db;
};

std::vector<std::unique_ptr<CSchool>> g_schools;
QString g_strCluster;
QStringList g_postgresNames;
QString g_strWorkDir;

void BM_ClassReport(benchmark::State& state, CSchool* school, CScriptedPlatform* platform)
{
    try {
        school->Activate();
        int rows = 0;
        int attempts = 0;
        for (auto _ : state) {
            QElapsedTimer timer;
            platform->DriveDialog([&](QDialog* dialog) {
                auto* dlg = static_cast<CClassReportDlg*>(dialog);
                dlg->ChooseItem(1003, ReportRange::All);
                // The report comes from the session's worker.
                BenchData::WaitFor([dlg] { return !dlg->IsWaiting(); });
                for (int i = 0; i < 1000 && !dialog->windowHandle()->isExposed(); ++i)
                    QCoreApplication::processEvents();
                dialog->repaint();
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
                rows = dlg->m_pModel->rowCount();
                attempts = 0;
                for (const CPupilFigures& pupil : dlg->m_pModel->Report().pupils)
                    attempts += pupil.figures.nCount;
                dialog->reject();
            });
            timer.start();
            CClassReportDlg dlg(CSession::Instance());
            dlg.DoModal();
        }
        if (rows != 50 || attempts != Attempts / 4 / (Pupils / 50))
            state.SkipWithError("the report listed a wrong number of pupils or attempts");
        state.counters["pupils"] = rows;
        state.counters["attempts"] = attempts;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

void BM_ClassExport(benchmark::State& state, CSchool* school, ExportFormat format)
{
    try {
        CDaoDatabase* db = school->Activate();
        CClassReportModel model;
        model.SetReport(LoadClassReport(*db, ReportedClass, 111, {}));
        const QString path = QDir(g_strWorkDir).filePath(u"export"_s);
        for (auto _ : state) {
            const QString error = WriteTables({model.ExportTable()}, format, path);
            if (!error.isEmpty())
                state.SkipWithError(qPrintable(error));
        }
        state.counters["bytes"] = double(QFile(path).size());
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

void BM_ImportPupils(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        const QString path = QDir(g_strWorkDir).filePath(u"新生.csv"_s);
        int round = 0;
        int added = 0;
        for (auto _ : state) {
            state.PauseTiming();
            QStringList lines{u"姓名,班级,学号,密码"_s};
            for (int i = 0; i < ImportedPupils; ++i)
                lines.append(
                    u"新生%1_%2,%3,%4,"_s.arg(round).arg(i).arg(ImportedClass).arg(900000 + i));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                state.SkipWithError("cannot write the class list");
            file.write("\xEF\xBB\xBF" + lines.join(u"\r\n"_s).toUtf8());
            file.close();
            ++round;
            state.ResumeTiming();

            const CClassListFile list = ReadClassList(path);
            const QList<CImportRow> plan =
                PlanImport(list.rows, PupilStore::PupilNames(*db), &PupilStore::RandomPassword);
            QList<CPupil> pupils;
            for (const CImportRow& row : plan) {
                if (row.IsAccepted())
                    pupils.append(row.pupil);
            }
            PupilStore::AddAll(*db, pupils);
            added = int(pupils.size());

            state.PauseTiming();
            QSqlQuery remove(db->Connection());
            remove.prepare(u"DELETE FROM \"user\" WHERE class = ?"_s);
            remove.addBindValue(ImportedClass);
            if (!remove.exec())
                state.SkipWithError("cannot remove the imported pupils");
            state.ResumeTiming();
        }
        if (added != ImportedPupils)
            state.SkipWithError("a wrong number of pupils was added");
        state.counters["pupils_added"] = added;
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The floor of the report: the Chinese attempts of the class's pupils
// selected and every value read, once.
void BM_ClassReportFloor(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        int rows = 0;
        for (auto _ : state)
            rows = BenchFloor::ReadAll(*db,
                                       u"SELECT a.* FROM attempt a JOIN \"user\" u ON "
                                       "u.qe_key = a.user_key WHERE u.class = ? AND a.kind = 111"_s,
                                       {ReportedClass});
        if (rows != Attempts / 4 / (Pupils / 50))
            state.SkipWithError("the floor read a wrong number of attempts");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// 班级弱项 of one class over all days: the 25,000 key rows of its 50
// pupils among 1,000,000, summed by key.
void BM_ClassWeakness(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        CWeaknessFilter filter;
        filter.strClass = ReportedClass;
        int expected = 0;
        for (auto _ : state) {
            expected = 0;
            for (const CKeyFigures& key : Weakness::Read(*db, filter).keys)
                expected += key.nExpected;
        }
        if (expected != 20 * Attempts / (Pupils / 50))
            state.SkipWithError("the figures summed a wrong number of keys");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// Its floor: the class's key rows read.
void BM_ClassWeaknessFloor(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        int rows = 0;
        for (auto _ : state)
            rows = BenchFloor::ReadAll(*db,
                                       u"SELECT k.* FROM \"user\" u CROSS JOIN attempt_key k "
                                       "WHERE k.user_key = u.qe_key AND u.class = ?"_s,
                                       {ReportedClass});
        if (rows != Attempts / (Pupils / 50))
            state.SkipWithError("the floor read a wrong number of key rows");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// 练习时间: the class's week (a week of March 2024, some 500 attempts of
// its 50 pupils among the 1,000,000 with their key rows), per pupil.
const QDate ReportedMonday(2024, 3, 4);

void BM_PracticeWeek(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        qint64 ms = 0;
        for (auto _ : state) {
            ms = 0;
            for (const CPracticeWeek& week :
                 PracticeTime::LoadWeek(*db, ReportedClass, ReportedMonday))
                ms += week.nMs;
        }
        if (ms <= 0)
            state.SkipWithError("the week held no practice");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// Its floor: the class's pupils, and the same columns of their attempts
// and lessons that week.
void BM_PracticeWeekFloor(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        const QVariantList range{ReportedClass, StoredDateTime(ReportedMonday.startOfDay()),
                                 StoredDateTime(ReportedMonday.addDays(7).startOfDay())};
        int rows = 0;
        for (auto _ : state) {
            BenchFloor::ReadAll(*db,
                                u"SELECT qe_key, name, class, student_no FROM \"user\" "
                                "WHERE class = ?"_s,
                                {ReportedClass});
            rows = BenchFloor::ReadAll(
                *db,
                u"SELECT a.user_key, a.started_at, a.elapsed_ms, a.kind, a.correct_units, "
                "a.typed_units, a.backspaces, a.key_presses, a.backspace_presses, a.commit_count, "
                "a.commit_deleted, a.commit_deleted_keys, a.commit_picks, a.commit_word_chars "
                "FROM \"user\" u CROSS JOIN attempt a WHERE a.user_key = u.qe_key AND u.class = ? "
                "AND a.started_at >= ? AND a.started_at < ?"_s,
                range);
            BenchFloor::ReadAll(*db,
                                u"SELECT l.user_key, l.started_at, l.elapsed_ms, l.correct_keys, "
                                "l.keystrokes, l.backspaces, l.key_presses, l.backspace_presses "
                                "FROM \"user\" u CROSS JOIN lesson_attempt l "
                                "WHERE l.user_key = u.qe_key AND u.class = ? "
                                "AND l.started_at >= ? AND l.started_at < ?"_s,
                                range);
        }
        if (rows < 400)
            state.SkipWithError("the floor read too few attempts");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

// The floor of the import: the same passwords made into the forms the
// engine keeps (hashed on every core on a file, the server's verifiers on a
// server, as the import makes them) and the rows added by one INSERT of
// many rows in one transaction; on a server, where an account is a login
// role, the roles made first by one batch of statements.
void BM_ImportFloor(benchmark::State& state, CSchool* school)
{
    try {
        CDaoDatabase* db = school->Activate();
        int added = 0;
        for (auto _ : state) {
            QStringList passwords;
            for (int i = 0; i < ImportedPupils; ++i)
                passwords.append(PupilStore::RandomPassword());
            QStringList stored;
            if (db->IsPostgres()) {
                for (const QString& password : std::as_const(passwords))
                    stored.append(ServerAccounts::Verifier(*db, password));
            } else {
                stored = QtConcurrent::blockingMapped(passwords, &Accounts::StoredPassword);
            }
            QStringList rows;
            QVariantList values;
            for (int i = 0; i < ImportedPupils; ++i) {
                rows.append(u"(?, ?, ?, ?, '普通用户')"_s);
                values << u"新生底%1"_s.arg(i) << ImportedClass << QString::number(900000 + i)
                       << (db->IsPostgres() ? QVariant() : QVariant(stored[i]));
            }
            QStringList roles;
            const QString prefix = db->IsPostgres() ? ServerAccounts::RolePrefix(*db) : QString();
            for (int i = 0; db->IsPostgres() && i < ImportedPupils; ++i)
                roles.append(
                    u"CREATE ROLE %1_floor_%2 LOGIN PASSWORD '%3' IN ROLE %1_pupil"_s.arg(prefix)
                        .arg(i)
                        .arg(stored[i]));
            QSqlDatabase connection = db->Connection();
            connection.transaction();
            QSqlQuery accounts(connection);
            if (!roles.isEmpty() && !accounts.exec(roles.join(u"; "_s)))
                throw CDaoException(accounts.lastError().text());
            connection.commit();
            added = BenchFloor::InOneTransaction(
                *db,
                u"INSERT INTO \"user\" (name, class, student_no, password, kind) VALUES "_s +
                    rows.join(u", "_s),
                values);
            state.PauseTiming();
            QSqlQuery remove(connection);
            remove.prepare(u"DELETE FROM \"user\" WHERE class = ?"_s);
            remove.addBindValue(ImportedClass);
            if (!remove.exec())
                state.SkipWithError("cannot remove the floor's pupils");
            for (QString& role : roles)
                role = u"DROP ROLE "_s + role.section(u' ', 2, 2);
            if (!roles.isEmpty() && !accounts.exec(roles.join(u"; "_s)))
                state.SkipWithError("cannot drop the floor's roles");
            state.ResumeTiming();
        }
        if (added != ImportedPupils)
            state.SkipWithError("the floor added a wrong number of pupils");
    } catch (const CDaoException& e) {
        state.SkipWithError(e.what());
    }
}

QString OnCluster(const QString& purpose)
{
    const QString name = u"qe_bench_%1_%2"_s.arg(purpose).arg(QCoreApplication::applicationPid());
    CDaoDatabase admin;
    admin.Open(g_strCluster);
    admin.Execute(u"CREATE DATABASE %1"_s.arg(name));
    g_postgresNames.append(name);
    QUrl url(g_strCluster);
    url.setPath(u'/' + name);
    return url.toString();
}

} // namespace

void RegisterClassroomBenchmarks(const QString& workDir, const QString& postgresCluster,
                                 CScriptedPlatform* platform)
{
    g_strWorkDir = workDir;
    g_strCluster = postgresCluster;
    platform->SetDate(QDate(2024, 12, 31));
    g_schools.push_back(
        std::make_unique<CSchool>(u"sqlite"_s, QDir(workDir).filePath(u"school.mdb"_s)));
    if (!postgresCluster.isEmpty())
        g_schools.push_back(std::make_unique<CSchool>(u"postgresql"_s, OnCluster(u"school"_s)));
    for (const auto& school : g_schools) {
        const std::string engine = school->Engine().toStdString();
        benchmark::RegisterBenchmark(("ClassReport/" + engine).c_str(), BM_ClassReport,
                                     school.get(), platform)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("Floor/ClassReport/" + engine).c_str(), BM_ClassReportFloor,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("ClassWeakness/" + engine).c_str(), BM_ClassWeakness,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("Floor/ClassWeakness/" + engine).c_str(),
                                     BM_ClassWeaknessFloor, school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("PracticeWeek/" + engine).c_str(), BM_PracticeWeek,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("Floor/PracticeWeek/" + engine).c_str(), BM_PracticeWeekFloor,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5);
        benchmark::RegisterBenchmark(("ImportPupils/" + engine).c_str(), BM_ImportPupils,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
        benchmark::RegisterBenchmark(("Floor/ImportPupils/" + engine).c_str(), BM_ImportFloor,
                                     school.get())
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    const auto formats = {std::pair{"xlsx", ExportFormat::Xlsx},
                          std::pair{"csv", ExportFormat::Csv}, std::pair{"pdf", ExportFormat::Pdf}};
    for (const auto& [name, format] : formats) {
        benchmark::RegisterBenchmark((std::string("ClassExport/") + name).c_str(), BM_ClassExport,
                                     g_schools.front().get(), format)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
}

void DropClassroomBenchmarks()
{
    for (const auto& school : g_schools)
        school->Close();
    g_schools.clear();
    for (const QString& name : std::as_const(g_postgresNames)) {
        try {
            CDaoDatabase admin;
            admin.Open(g_strCluster);
            admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
        } catch (const CDaoException& e) {
            std::fprintf(stderr, "qe_bench: %s\n", e.what());
        }
    }
}
