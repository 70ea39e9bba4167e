// Times the patterns the dialogs use over a large score table: filling it,
// opening a scan, a full scan that compares every name, and a deletion pass.
// SQLite always; PostgreSQL too when QE_BENCH_POSTGRES names a cluster
// (postgresql://user@host:port/db), on which a scratch database is made.
#include "platform/DaoTransaction.h"
#include "users/Database.h"
#include "users/DatabaseSetup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int RowCount = 100000;

void Report(const QString& engine, const QString& step, qint64 ms)
{
    QTextStream(stdout) << u"%1  %2  %3 ms\n"_s.arg(engine, -10).arg(step, -34).arg(ms, 6);
}

void Run(const QString& engine, const QString& target)
{
    CreateDatabase(target, u"admin"_s, u"admin"_s, {});
    CDaoDatabase db;
    db.Open(target);
    QElapsedTimer timer;

    timer.start();
    {
        CDaoTransaction transaction(db, CDaoTransaction::OnThrow::KeepDone);
        CDaoTableDef tableDef(&db);
        tableDef.Open(u"score"_s);
        CDaoRecordset rs(&db);
        rs.Open(&tableDef, dbOpenDynaset, dbAppendOnly | dbInconsistent);
        for (int i = 0; i < RowCount; ++i) {
            rs.AddNew();
            rs.SetFieldValue(0, u"user%1"_s.arg(i % 500));
            rs.SetFieldValue(1, u"2003%1"_s.arg(i % 500, 3, 10, QChar(u'0')));
            rs.SetFieldValue(3, u"英文测试"_s);
            rs.SetFieldValue(5, QString::number(i % 7));
            rs.SetFieldValue(8, QString::number(60 + i % 100));
            rs.SetFieldValue(9, CDaoFieldValue::FromInt16(qint16(i % 101)));
            rs.Update();
        }
        transaction.Commit();
    }
    Report(engine, u"fill 100000 rows (one transaction)"_s, timer.elapsed());

    CDaoRecordset rs(&db);
    timer.start();
    rs.Open(dbOpenDynaset, Sql::ScanScores);
    Report(engine, u"open the scan"_s, timer.elapsed());

    timer.start();
    const bool bFound = SeekNext(rs, 0, u"nobody"_s);
    Report(engine, u"full scan comparing every name"_s, timer.elapsed());
    if (bFound)
        throw CDaoException(u"found a name that is not there"_s);

    timer.start();
    const int nDeleted = DeleteRows(rs, [](CDaoRecordset&) { return true; });
    Report(engine, u"delete pass over every row"_s, timer.elapsed());
    if (nDeleted != RowCount)
        throw CDaoException(u"deleted %1 rows of %2"_s.arg(nDeleted).arg(RowCount));
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    try {
        QTemporaryDir dir;
        Run(u"sqlite"_s, dir.filePath(u"user.mdb"_s));

        const QString cluster = qEnvironmentVariable("QE_BENCH_POSTGRES");
        if (cluster.isEmpty()) {
            QTextStream(stdout) << "postgresql: set QE_BENCH_POSTGRES to time it\n";
            return 0;
        }
        const QString name = u"qe_bench_%1"_s.arg(QCoreApplication::applicationPid());
        CDaoDatabase admin;
        admin.Open(cluster);
        admin.Execute(u"CREATE DATABASE %1"_s.arg(name));
        QUrl url(cluster);
        url.setPath(u'/' + name);
        try {
            Run(u"postgresql"_s, url.toString());
        } catch (const CDaoException&) {
            admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
            throw;
        }
        admin.Execute(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(name));
    } catch (const CDaoException& e) {
        QTextStream(stderr) << u"bench_dao: %1\n"_s.arg(e.GetErrorMessage());
        return 1;
    }
    return 0;
}
