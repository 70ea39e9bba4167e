#pragma once

#include "platform/DaoSql.h"

#include <QSqlQuery>
#include <QString>

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

// After a loop over next(): a read that stopped on an error throws.
inline void CheckRead(const QSqlQuery& query)
{
    if (query.lastError().isValid())
        DaoSql::Throw(query.lastError());
}

} // namespace CheckedQuery
