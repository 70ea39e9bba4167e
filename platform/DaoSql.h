#pragma once

#include "platform/Dao.h"

#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

// Helpers shared by the classes of the database layer.
namespace DaoSql {

// The name of the hidden key, the last column of every table.
inline const QString KeyColumn = QStringLiteral("qe_key");

QString QuoteIdentifier(const QString& name);
// The value kind of a column from its declared type (SQLite or PostgreSQL).
CDaoFieldValue::Kind KindOfDeclaredType(const QString& declared);
// A stored value as a field value of its column's kind.
CDaoFieldValue FromStored(CDaoFieldValue::Kind kind, const QVariant& stored);
// What to bind for a value written into a column of the given kind.
QVariant ToBound(CDaoFieldValue::Kind kind, const CDaoFieldValue& value);

// A PostgreSQL text array as the text a bound value casts from
// (?::text[]): every element quoted, so that commas, braces and quotes in
// the texts stay theirs.
QString TextArrayLiteral(const QStringList& texts);

[[noreturn]] void Throw(const QSqlError& error);
[[noreturn]] void Throw(const QString& message);

} // namespace DaoSql
