#include "users/SchemaUpgrade.h"

#include "platform/Dao.h"
#include "platform/DaoErrorText.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace {

QString SchemaFile(bool bPostgres, int version)
{
    const QString engine = bPostgres ? u"postgresql"_s : u"sqlite"_s;
    if (version == 1)
        return u":/schema/schema-%1.sql"_s.arg(engine);
    return u":/schema/upgrade-%1-%2.sql"_s.arg(version).arg(engine);
}

void Exec(QSqlQuery& query, const QString& sql)
{
    if (!query.exec(sql))
        throw CDaoException(query.lastError().databaseText().trimmed().isEmpty()
                                ? query.lastError().text()
                                : query.lastError().databaseText().trimmed());
}

// The upgrade's transaction; it rolls back unless committed. On SQLite it
// takes the write lock at once and on PostgreSQL it locks schema_version,
// so that of two programs opening one old database at the same moment the
// second waits and then finds it upgraded.
class CUpgradeTransaction
{
public:
    CUpgradeTransaction(const QSqlDatabase& connection, bool bPostgres) : m_query(connection)
    {
        Exec(m_query, bPostgres ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s);
        m_bOpen = true;
        if (bPostgres)
            Exec(m_query, u"LOCK TABLE schema_version IN SHARE ROW EXCLUSIVE MODE"_s);
    }
    ~CUpgradeTransaction()
    {
        if (m_bOpen)
            m_query.exec(u"ROLLBACK"_s);
    }
    CUpgradeTransaction(const CUpgradeTransaction&) = delete;
    CUpgradeTransaction& operator=(const CUpgradeTransaction&) = delete;

    void Commit()
    {
        Exec(m_query, u"COMMIT"_s);
        m_bOpen = false;
    }

private:
    QSqlQuery m_query;
    bool m_bOpen = false;
};

CDaoException NewerThanProgram(int version, int newest)
{
    return CDaoException(u"数据库的版本是 %1，而本程序只认识到版本 %2，请使用更新的 QE 程序。"
                         "数据库未作任何改动，本程序将在没有数据库的情况下运行。"_s.arg(version)
                             .arg(newest));
}

} // namespace

int NewestSchemaVersion()
{
    static const int newest = [] {
        int version = 1;
        while (QFile::exists(SchemaFile(false, version + 1)))
            ++version;
        return version;
    }();
    return newest;
}

QStringList SchemaStatements(bool bPostgres, int version)
{
    const QString name = SchemaFile(bPostgres, version);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        throw CDaoException(u"the schema %1 is missing from the program"_s.arg(name));
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QRegularExpression(u"--[^\n]*"_s));
    QStringList statements;
    for (const QString& statement : text.split(u';')) {
        if (!statement.trimmed().isEmpty())
            statements.append(statement.trimmed());
    }
    return statements;
}

int ReadSchemaVersion(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    bool ok = query.exec(u"SELECT MAX(version) FROM schema_version"_s) && query.next();
    const QVariant version = ok ? query.value(0) : QVariant();
    const int number = version.toInt(&ok);
    if (!ok || version.isNull() || number < 1)
        throw CDaoException(
            u"数据库中没有可读的版本记录(schema_version)，无法确定它是本程序的"
            "哪个版本建立的。数据库未作任何改动，本程序将在没有数据库的情况下运行。"_s);
    return number;
}

void UpgradeSchema(CDaoDatabase& db)
{
    const int newest = NewestSchemaVersion();
    int version = ReadSchemaVersion(db);
    if (version == newest)
        return;
    if (version > newest)
        throw NewerThanProgram(version, newest);

    const int from = version;
    try {
        CUpgradeTransaction transaction(db.Connection(), db.IsPostgres());
        // Read again under the lock: another program may have upgraded it.
        version = ReadSchemaVersion(db);
        if (version < newest) {
            QSqlQuery query(db.Connection());
            for (int next = version + 1; next <= newest; ++next) {
                for (const QString& statement : SchemaStatements(db.IsPostgres(), next))
                    Exec(query, statement);
                if (!query.prepare(u"INSERT INTO schema_version (version) VALUES (?)"_s))
                    throw CDaoException(query.lastError().text());
                query.addBindValue(next);
                if (!query.exec())
                    throw CDaoException(query.lastError().text());
            }
            query.finish();
            transaction.Commit();
        }
    } catch (const CDaoException& e) {
        throw CDaoException(
            u"数据库从版本 %1 升级到版本 %2 时出错，升级已撤销，数据库保持原样，"
            "未作任何改动。本程序将在没有数据库的情况下运行。\n错误信息:%3"_s.arg(from)
                .arg(newest)
                .arg(ExplainDaoError(e.GetErrorMessage())));
    }
    if (version > newest)
        throw NewerThanProgram(version, newest);
}
