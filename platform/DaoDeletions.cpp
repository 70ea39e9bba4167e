#include "platform/DaoDatabasePrivate.h"

#include "platform/DaoSql.h"

#include <QSqlError>

using namespace Qt::Literals::StringLiterals;

QSqlQuery& CDaoDatabase::Private::DeleteQuery(const QString& table)
{
    auto& query = deletes[table];
    if (!query) {
        auto prepared = std::make_unique<QSqlQuery>(QSqlDatabase::database(connectionName, false));
        if (!prepared->prepare(u"DELETE FROM %1 WHERE %2 = ?"_s.arg(
                DaoSql::QuoteIdentifier(table), DaoSql::QuoteIdentifier(DaoSql::KeyColumn))))
            DaoSql::Throw(prepared->lastError());
        query = std::move(prepared);
    }
    return *query;
}

void CDaoDatabase::Private::Control(const QString& sql)
{
    if (!pControl)
        pControl = std::make_unique<QSqlQuery>(QSqlDatabase::database(connectionName, false));
    if (!pControl->exec(sql))
        DaoSql::Throw(pControl->lastError());
}

// On PostgreSQL a failed statement spoils the whole transaction, yet a pass
// that fails part-way must keep the rows it already deleted. The deletions
// of a transaction therefore run in windows of up to WindowRows rows behind
// a savepoint: when one fails, the window is rolled back, its earlier rows
// are deleted again and the error goes on with the transaction intact. One
// savepoint per window instead of per row keeps a pass at one round trip a
// row. Any other write ends the window first, so that it is never undone.
void CDaoDatabase::DeleteRow(const QString& table, qint64 key)
{
    Run([&] { DeleteOneRow(table, key); });
}

void CDaoDatabase::DeleteOneRow(const QString& table, qint64 key)
{
    constexpr int WindowRows = 1000;
    QSqlQuery& query = d->DeleteQuery(table);
    const bool bGuarded = d->bPostgres && d->nTransactionDepth > 0;
    if (bGuarded && d->bWindow && d->windowRows.size() >= WindowRows)
        EndDeleteWindow();
    if (bGuarded && !d->bWindow) {
        d->Control(u"SAVEPOINT qe_deletions"_s);
        d->bWindow = true;
    }
    query.bindValue(0, key);
    if (query.exec()) {
        if (bGuarded)
            d->windowRows.append({table, key});
        return;
    }
    const QSqlError error = query.lastError();
    if (bGuarded) {
        const auto rows = std::exchange(d->windowRows, {});
        d->bWindow = false;
        d->Control(u"ROLLBACK TO SAVEPOINT qe_deletions"_s);
        for (const auto& [rowTable, rowKey] : rows) {
            QSqlQuery& again = d->DeleteQuery(rowTable);
            again.bindValue(0, rowKey);
            if (!again.exec())
                DaoSql::Throw(again.lastError());
        }
        d->Control(u"RELEASE SAVEPOINT qe_deletions"_s);
    }
    DaoSql::Throw(error);
}

void CDaoDatabase::EndDeleteWindow()
{
    if (!d->bWindow)
        return;
    d->bWindow = false;
    d->windowRows.clear();
    d->Control(u"RELEASE SAVEPOINT qe_deletions"_s);
}
