// A lab sitting an exam while its server stalls: the server must not take
// its own silence for the pupils'.
//   qe_bench_stall TARGET PUPILS FREEZE_S
//       makes a database of its own on the cluster of TARGET (a
//       postgresql:// address of the cluster's superuser, on this machine,
//       whose processes this program may stop)
//       with PUPILS pupils of 初一(1)班 and an open two-minute exam; every
//       pupil sits it on a thread and a session of their own, typing 200
//       characters a minute (within the class's plausible speed) and
//       reporting the typed cells every 3 s as the program does. 30 s after
//       the start every process of the server is stopped (SIGSTOP) for
//       FREEZE_S seconds; after 100 s each pupil hands in the result.
//       Prints one line "stall key=value ...": how many results were
//       stored, lost, doubled and flagged (可疑), and the reasons.
#include "exams/ExamStore.h"
#include "platform/Dao.h"
#include "texts/TextStore.h"
#include "users/DatabaseSetup.h"
#include "users/ServerAccounts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ClassName = u"初一(1)班"_s;
constexpr int ReportEveryMs = 3000;
constexpr int CellsPerMinute = 200;
constexpr int FreezeAfterMs = 30000;
constexpr int HandInAfterMs = 100000;

QString Password(int pupil)
{
    return u"pw%1"_s.arg(pupil);
}

// "ARRAY['61','62']::text[]" of the cells from..to of a list.
QString Array(const QStringList& values, qsizetype from, qsizetype to)
{
    QStringList quoted;
    for (qsizetype i = from; i < to; ++i)
        quoted << u"'%1'"_s.arg(QString(values[i]).replace(u'\'', u"''"_s));
    return u"ARRAY[%1]::text[]"_s.arg(quoted.join(u','));
}

// Every process of the server whose postmaster is pid, the postmaster too.
std::vector<pid_t> ServerProcesses(pid_t postmaster)
{
    std::vector<pid_t> pids{postmaster};
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        bool bNumber = false;
        const pid_t pid = pid_t(entry.toInt(&bNumber));
        if (!bNumber)
            continue;
        QFile stat(u"/proc/%1/stat"_s.arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces.
        const QString text = QString::fromLatin1(stat.readAll());
        const QStringList after = text.mid(text.lastIndexOf(u')') + 2).split(u' ');
        if (after.value(1).toInt() == postmaster)
            pids.push_back(pid);
    }
    return pids;
}

void Signal(const std::vector<pid_t>& pids, int signal)
{
    for (const pid_t pid : pids)
        ::kill(pid, signal);
}

struct CPupil
{
    qint64 nKey = 0;
    QString strAddress;
    QString strUid;
    QString strError;
};

// One pupil's sitting, on the calling thread: start, reports, result.
void Sit(CPupil& pupil, qint64 exam, const QStringList& cells, const QStringList& texts,
         const QElapsedTimer& clock)
{
    CDaoDatabase db;
    try {
        db.Open(pupil.strAddress);
        const auto run = [&db](const QString& sql) {
            QSqlQuery query(db.Connection());
            if (!query.exec(sql))
                throw CDaoException(query.lastError().text());
            query.next();
            return query.value(0);
        };
        run(u"SELECT started_at FROM qe_start_sitting(%1, '%2')"_s.arg(exam).arg(pupil.strUid));
        const qint64 begun = clock.elapsed();
        qsizetype sent = 0;
        qint64 next = begun + ReportEveryMs;
        while (next < begun + HandInAfterMs) {
            QThread::msleep(ulong(qMax<qint64>(next - clock.elapsed(), 0)));
            const qsizetype typed =
                qMin<qsizetype>(cells.size(), (clock.elapsed() - begun) * CellsPerMinute / 60000);
            if (typed > sent) {
                run(u"SELECT qe_sitting_report('%1', %2, %3, %4)"_s.arg(pupil.strUid)
                        .arg(sent)
                        .arg(Array(cells, sent, typed), Array(texts, sent, typed)));
                sent = typed;
            }
            next += ReportEveryMs;
        }
        // Esc, with a person's rhythm of keys: a median of 300 ms, a spread of 120.
        run(u"SELECT outcome FROM qe_finish_sitting('%1', %2, %3, 0, 1, 0, 300, 120, %4, 0)"_s
                .arg(pupil.strUid, Array(cells, 0, sent), Array(texts, 0, sent))
                .arg(sent));
    } catch (const CDaoException& e) {
        pupil.strError = e.GetErrorMessage(200);
    }
}

int Stall(QString target, int pupils, int freezeSeconds)
{
    const QString name = u"qe_stall_%1"_s.arg(QCoreApplication::applicationPid());
    CDaoDatabase server;
    server.Open(target);
    server.Execute(u"CREATE DATABASE %1"_s.arg(name));
    QSqlQuery where(server.Connection());
    where.exec(u"SHOW data_directory"_s);
    where.next();
    QFile pidFile(where.value(0).toString() + u"/postmaster.pid"_s);
    pidFile.open(QIODevice::ReadOnly);
    const pid_t postmaster = pid_t(QString::fromLatin1(pidFile.readLine()).trimmed().toInt());
    QUrl url(target);
    url.setPath(u'/' + name);
    target = url.toString();

    int status = 0;
    try {
        CreateDatabase(target, u"admin"_s, u"admin"_s, {});
        CDaoDatabase owner;
        owner.Open(target);
        const QString prefix = ServerAccounts::RolePrefix(owner);
        std::vector<CPupil> sitting(static_cast<size_t>(pupils));
        for (int i = 0; i < pupils; ++i) {
            QSqlQuery add(owner.Connection());
            add.prepare(u"SELECT * FROM qe_add_pupils(ARRAY[?], ARRAY[?], ARRAY[?], ARRAY[?])"_s);
            add.addBindValue(u"学生%1"_s.arg(i));
            add.addBindValue(ClassName);
            add.addBindValue(u"%1"_s.arg(2025000 + i));
            add.addBindValue(ServerAccounts::Verifier(owner, Password(i)));
            if (!add.exec() || !add.next())
                throw CDaoException(add.lastError().text());
            CPupil& pupil = sitting[size_t(i)];
            pupil.nKey = add.value(0).toLongLong();
            // As the pupil's own role, on the cluster's own terms (no TLS here).
            QUrl address(target);
            address.setUserName(u"%1_u_%2"_s.arg(prefix).arg(pupil.nKey));
            address.setPassword(ServerAccounts::RolePassword(Password(i)));
            pupil.strAddress = address.toString();
            pupil.strUid = u"stall-%1"_s.arg(i);
        }
        CPracticeText text{
            0, u"字母"_s, 112, u"the quick brown fox jumps over the lazy dog "_s.repeated(40), {}};
        CExam exam;
        std::tie(exam.strTitle, exam.nTextId, exam.nMinutes, exam.bOpen, exam.classes) = std::tuple(
            u"测验"_s, TextStore::SaveText(owner, text), 2, true, QStringList{ClassName});
        exam.nId = ExamStore::SaveExam(owner, exam);
        QSqlQuery screen(owner.Connection());
        screen.exec(u"SELECT screen_cells, screen_texts FROM exam WHERE id = %1"_s.arg(exam.nId));
        screen.next();
        const QStringList cells = screen.value(0).toString().split(u',');
        QStringList texts;
        for (const QJsonValue& value :
             QJsonDocument::fromJson(screen.value(1).toByteArray()).array())
            texts << value.toString();

        QElapsedTimer clock;
        clock.start();
        std::vector<std::thread> threads;
        for (CPupil& pupil : sitting)
            threads.emplace_back(Sit, std::ref(pupil), exam.nId, cells, texts, std::cref(clock));
        QThread::msleep(FreezeAfterMs);
        const std::vector<pid_t> pids = ServerProcesses(postmaster);
        Signal(pids, SIGSTOP);
        QThread::sleep(ulong(freezeSeconds));
        Signal(pids, SIGCONT);
        for (std::thread& thread : threads)
            thread.join();

        QSqlQuery outcome(owner.Connection());
        outcome.exec(u"SELECT count(*) FILTER (WHERE s.finished = 1), "
                     "count(*) FILTER (WHERE s.finished <> 1), "
                     "count(*) FILTER (WHERE s.flagged = 1), "
                     "(SELECT count(*) FROM attempt) - count(*) FILTER (WHERE s.finished = 1), "
                     "coalesce(string_agg(DISTINCT s.flag_reason, ';'), '') "
                     "FROM exam_sitting s WHERE s.exam_id = %1"_s.arg(exam.nId));
        outcome.next();
        int errors = 0;
        QString firstError;
        for (const CPupil& pupil : sitting) {
            if (!pupil.strError.isEmpty()) {
                ++errors;
                firstError = pupil.strError;
            }
        }
        std::printf("stall pupils=%d freeze_s=%d stored=%d lost=%d flagged=%d doubled=%d "
                    "errors=%d reasons=\"%s\" error=\"%s\"\n",
                    pupils, freezeSeconds, outcome.value(0).toInt(), outcome.value(1).toInt(),
                    outcome.value(2).toInt(), outcome.value(3).toInt(), errors,
                    qPrintable(outcome.value(4).toString()), qPrintable(firstError));
    } catch (const CDaoException& e) {
        std::fprintf(stderr, "stall: %s\n", qPrintable(e.GetErrorMessage(500)));
        status = 1;
    }
    server.Execute(u"DROP DATABASE %1 WITH (FORCE)"_s.arg(name));
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qe_bench_stall TARGET PUPILS FREEZE_S\n");
        return 2;
    }
    return Stall(args[1], args[2].toInt(), args[3].toInt());
}
