#pragma once

#include "platform/Dao.h"
#include "platform/DaoSql.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// Statements of our own with bound values, every call checked: a failure
// throws CDaoException with the engine's message.
namespace CheckedQuery {

inline void Prepare(QSqlQuery& query, const QString& sql)
{
    if (!query.prepare(sql))
        DaoSql::Throw(query.lastError());
}

inline void Exec(QSqlQuery& query)
{
    if (!query.exec())
        DaoSql::Throw(query.lastError());
}

// Prepares a query that is read forward only.
inline void Select(QSqlQuery& query, const QString& sql)
{
    query.setForwardOnly(true);
    Prepare(query, sql);
}

// Moves to the row a statement must give (a count, a RETURNING clause);
// throws when there is none.
inline void NextRow(QSqlQuery& query)
{
    if (query.next())
        return;
    if (query.lastError().isValid())
        DaoSql::Throw(query.lastError());
    DaoSql::Throw(QStringLiteral("the statement gave no row"));
}

// After a loop over next(): a read that stopped on an error throws.
inline void CheckRead(const QSqlQuery& query)
{
    if (query.lastError().isValid())
        DaoSql::Throw(query.lastError());
}

// Prepares sql on the database's connection, binds values in order and
// runs it.
inline void Run(CDaoDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db.Connection());
    Prepare(query, sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    Exec(query);
}

} // namespace CheckedQuery
