#include "users/SchemaIndexes.h"

#include "platform/Dao.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList IndexStatements(bool bPostgres)
{
    const QString name =
        u":/schema/indexes-%1.sql"_s.arg(bPostgres ? u"postgresql"_s : u"sqlite"_s);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw CDaoException(u"the indexes %1 are missing from the program"_s.arg(name));
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QRegularExpression(u"--[^\n]*"_s));
    QStringList statements;
    for (const QString& statement : text.split(u';')) {
        if (!statement.trimmed().isEmpty())
            statements.append(statement.trimmed());
    }
    return statements;
}

// The index names the statements make.
QStringList IndexNames(const QStringList& statements)
{
    static const QRegularExpression name(u"INDEX\\s+IF\\s+NOT\\s+EXISTS\\s+(\\w+)"_s);
    QStringList names;
    for (const QString& statement : statements)
        names.append(name.match(statement).captured(1));
    return names;
}

void Exec(QSqlQuery& query, const QString& sql)
{
    if (!query.exec(sql)) {
        const QSqlError error = query.lastError();
        throw CDaoException(error.databaseText().trimmed().isEmpty()
                                ? error.text()
                                : error.databaseText().trimmed());
    }
}

bool HasAllIndexes(CDaoDatabase& db, const QStringList& names)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Exec(query, db.IsPostgres() ? u"SELECT indexname FROM pg_indexes "
                                  "WHERE schemaname = current_schema()"_s
                                : u"SELECT name FROM sqlite_master WHERE type = 'index'"_s);
    QStringList present;
    while (query.next())
        present.append(query.value(0).toString());
    for (const QString& name : names) {
        if (!present.contains(name))
            return false;
    }
    return true;
}

} // namespace

void CreateIndexes(CDaoDatabase& db)
{
    for (const QString& statement : IndexStatements(db.IsPostgres()))
        db.Execute(statement);
}

void EnsureIndexes(CDaoDatabase& db)
{
    try {
        const QStringList statements = IndexStatements(db.IsPostgres());
        if (HasAllIndexes(db, IndexNames(statements)))
            return;
        QSqlQuery query(db.Connection());
        // SQLite takes the write lock at once; PostgreSQL locks the version
        // table, so that a second program waits here instead of failing on
        // an index the first one is making.
        Exec(query, db.IsPostgres() ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s);
        try {
            if (db.IsPostgres()) {
                // A transaction left open elsewhere does not hold the start.
                Exec(query, u"SET LOCAL lock_timeout = '5s'"_s);
                Exec(query, u"LOCK TABLE schema_version IN SHARE ROW EXCLUSIVE MODE"_s);
            }
            for (const QString& statement : statements)
                Exec(query, statement);
            Exec(query, u"COMMIT"_s);
        } catch (const CDaoException&) {
            query.exec(u"ROLLBACK"_s);
            throw;
        }
    } catch (const CDaoException& e) {
        throw CDaoException(u"无法为数据库建立查找用的索引,数据库保持原样,未作任何改动。"
                            "本程序将在没有数据库的情况下运行。\n%1"_s.arg(e.GetErrorMessage()));
    }
}
