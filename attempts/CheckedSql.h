#pragma once

#include "platform/DaoException.h"

#include <QSqlError>
#include <QSqlQuery>

// Checked use of a prepared query: every failure throws CDaoException with
// the engine's own text.
namespace CheckedSql {

[[noreturn]] inline void Throw(const QSqlQuery& query)
{
    const QSqlError error = query.lastError();
    const QString text = error.databaseText().trimmed();
    throw CDaoException(text.isEmpty() ? error.text() : text);
}

inline void Prepare(QSqlQuery& query, const QString& sql)
{
    if (!query.prepare(sql))
        Throw(query);
}

inline void Exec(QSqlQuery& query)
{
    if (!query.exec())
        Throw(query);
}

// Runs a prepared query forward only, ready for next().
inline void Select(QSqlQuery& query, const QString& sql)
{
    query.setForwardOnly(true);
    Prepare(query, sql);
}

// After the last next(): a read that stopped on an error throws.
inline void CheckRead(const QSqlQuery& query)
{
    if (query.lastError().isValid())
        Throw(query);
}

} // namespace CheckedSql
