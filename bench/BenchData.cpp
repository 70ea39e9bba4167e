#include "bench/BenchData.h"

#include "platform/Dao.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace BenchData {

namespace {
// Runs INSERT INTO table (columns) SELECT values over i = 0 .. nRows - 1.
void Generate(CDaoDatabase& db, const QString& table, const QString& columns, const QString& values,
              int nRows)
{
    if (nRows <= 0)
        return;
    const QString series =
        db.IsPostgres() ? u"INSERT INTO %1 (%2) SELECT %3 FROM generate_series(0, ? - 1) AS n(i)"_s
                        : u"INSERT INTO %1 (%2) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL "
                          "SELECT i + 1 FROM n WHERE i + 1 < ?) SELECT %3 FROM n"_s;
    QSqlQuery query(db.Connection());
    if (!query.prepare(series.arg(table, columns, values)))
        throw CDaoException(query.lastError().text());
    query.addBindValue(nRows);
    if (!query.exec())
        throw CDaoException(query.lastError().text());
}

QString Text(CDaoDatabase& db, const QString& expression)
{
    return db.IsPostgres() ? u"(%1)::text"_s.arg(expression)
                           : u"CAST(%1 AS TEXT)"_s.arg(expression);
}
} // namespace

void AddUsers(CDaoDatabase& db, int nRows)
{
    // On a server a password is the account's own, never in the row.
    Generate(db, u"\"user\""_s, u"name, class, student_no, password, kind"_s,
             u"'user' || i, 'class' || (i % 40), %1, %2, '普通用户'"_s.arg(
                 Text(db, u"2003000 + i"_s), db.IsPostgres() ? u"NULL"_s : u"'pw' || i"_s),
             nRows);
}

void AddScores(CDaoDatabase& db, int nRows)
{
    Generate(db, u"score"_s, u"name, student_no, score_type, english_speed, seconds, accuracy"_s,
             u"CASE WHEN i % 10 = 0 THEN 'Li' ELSE 'user' || (i % 997) END, "
             "CASE WHEN i % 10 = 0 THEN '2003000' ELSE %1 END, '英文测试', i % 97, "
             "60 + i % 300, i % 101"_s.arg(Text(db, u"2003000 + i"_s)),
             nRows);
}

void AddLogins(CDaoDatabase& db, int nRows)
{
    Generate(db, u"loginhistory"_s, u"name, class, student_no, kind, event"_s,
             u"'user' || i, 'class' || (i % 40), %1, '普通用户', '用户登录'"_s.arg(
                 Text(db, u"2003000 + i"_s)),
             nRows);
}

int Count(CDaoDatabase& db, const QString& table)
{
    QSqlQuery query(db.Connection());
    if (!query.exec(u"SELECT count(*) FROM %1"_s.arg(table)) || !query.next())
        throw CDaoException(query.lastError().text());
    return query.value(0).toInt();
}

bool WaitFor(const std::function<bool()>& done, int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

} // namespace BenchData
