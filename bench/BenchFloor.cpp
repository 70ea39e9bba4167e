#include "bench/BenchFloor.h"

#include "platform/Dao.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <limits>

namespace BenchFloor {

namespace {

QSqlQuery Run(CDaoDatabase& db, const QString& sql, const QVariantList& values, bool forwardOnly)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(sql))
        throw CDaoException(query.lastError().text());
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw CDaoException(query.lastError().text());
    return query;
}

} // namespace

int ReadAll(CDaoDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query = Run(db, sql, values, true);
    const int columns = query.record().count();
    int rows = 0;
    int taken = 0;
    while (query.next()) {
        for (int c = 0; c < columns; ++c)
            taken += query.value(c).isValid() ? 1 : 0;
        ++rows;
    }
    // Each value is taken from the engine, as a window takes it.
    return taken >= 0 ? rows : -1;
}

int InOneTransaction(CDaoDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlDatabase connection = db.Connection();
    if (!connection.transaction())
        throw CDaoException(connection.lastError().text());
    QSqlQuery query = Run(db, sql, values, true);
    const int affected = query.numRowsAffected();
    if (!connection.commit())
        throw CDaoException(connection.lastError().text());
    return affected;
}

double BestMs(const std::function<void()>& work, int runs)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace BenchFloor
