#include "platform/Dao.h"

#include "platform/DaoDatabasePrivate.h"
#include "platform/DaoSql.h"

#include <QAtomicInt>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <optional>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {
QString g_strTarget;
QAtomicInt g_nConnections;
int g_nBusyTimeout = 10000;

bool IsPostgresUrl(const QString& target)
{
    return target.startsWith("postgresql://"_L1) || target.startsWith("postgres://"_L1);
}

} // namespace

void CDaoDatabase::Private::ClearStatements()
{
    prepared.clear();
    deletes.clear();
    pControl.reset();
    bWindow = false;
    windowRows.clear();
}

const CDaoTableInfo& CDaoDatabase::Private::Table(const QString& table)
{
    if (!bOpen)
        DaoSql::Throw(u"the database is not open"_s);
    const auto found = tables.constFind(table);
    if (found != tables.constEnd())
        return *found;

    QSqlQuery query(QSqlDatabase::database(connectionName, false));
    query.setForwardOnly(true);
    // Declared types, not stored ones: SQLite hands values back typed by
    // what was stored. On PostgreSQL a domain name stands for its own kind.
    // The catalog is read directly: information_schema takes tens of
    // milliseconds, which fifty programs storing at once would all wait for.
    if (bPostgres)
        query.prepare(u"SELECT a.attname, t.typname FROM pg_attribute a "
                      "JOIN pg_type t ON t.oid = a.atttypid "
                      "WHERE a.attrelid = (SELECT c.oid FROM pg_class c "
                      "JOIN pg_namespace n ON n.oid = c.relnamespace "
                      "WHERE n.nspname = current_schema() AND c.relname = ?) "
                      "AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"_s);
    else
        query.prepare(u"SELECT name, type FROM pragma_table_info(?) ORDER BY cid"_s);
    query.addBindValue(table);
    if (!query.exec())
        DaoSql::Throw(query.lastError());
    CDaoTableInfo info;
    while (query.next()) {
        info.columns.append(query.value(0).toString());
        info.kinds.append(DaoSql::KindOfDeclaredType(query.value(1).toString()));
    }
    query.finish();
    if (info.columns.isEmpty())
        DaoSql::Throw(u"no such table: %1"_s.arg(table));
    if (info.columns.constLast() != DaoSql::KeyColumn)
        DaoSql::Throw(
            u"table %1 has no hidden key %2 as its last column"_s.arg(table, DaoSql::KeyColumn));
    info.kinds.removeLast();
    return *tables.insert(table, info);
}

namespace {

QString NewConnectionName()
{
    return u"qe_dao_%1"_s.arg(g_nConnections.fetchAndAddRelaxed(1));
}

} // namespace

CDaoDatabase::CDaoDatabase() : d(new Private)
{
    d->connectionName = NewConnectionName();
}

CDaoDatabase::~CDaoDatabase()
{
    Close();
    delete d;
}

void CDaoDatabase::Open(const QString& target)
{
    Close();
    if (const std::optional<QSqlError> error =
            OpenDaoConnection(d->connectionName, target, g_nBusyTimeout))
        DaoSql::Throw(*error);
    d->bPostgres = IsPostgresUrl(target);
    d->bOpen = true;
    d->strTarget = target;
    d->strHomeTarget = target;
}

void CDaoDatabase::SignIn(const QString& user, const QString& password,
                          const QList<std::pair<QString, QString>>& settings)
{
    if (!d->bOpen || !d->bPostgres)
        DaoSql::Throw(u"only a server database has accounts to sign in as"_s);
    QUrl url(settings.isEmpty() ? d->strHomeTarget
                                : WithSessionSettings(d->strHomeTarget, settings));
    url.setUserName(user, QUrl::DecodedMode);
    url.setPassword(password, QUrl::DecodedMode);
    SwitchTo(url.toString());
}

void CDaoDatabase::SignOut()
{
    if (!d->bOpen || d->strTarget == d->strHomeTarget)
        return;
    if (d->nTransactionDepth > 0)
        DaoSql::Throw(u"the session cannot change inside a transaction"_s);
    // The account's session ends now; the one before it is opened when it
    // is next used.
    d->ClearStatements();
    {
        QSqlDatabase old = QSqlDatabase::database(d->connectionName, false);
        old.close();
    }
    QSqlDatabase::removeDatabase(d->connectionName);
    d->connectionName = NewConnectionName();
    d->strTarget = d->strHomeTarget;
    d->bPendingHome = true;
    ++d->nGeneration;
}

bool CDaoDatabase::IsSignedIn() const
{
    return d->bOpen && d->strTarget != d->strHomeTarget;
}

QString CDaoDatabase::SessionUser() const
{
    return QUrl(d->strTarget).userName(QUrl::FullyDecoded);
}

void CDaoDatabase::SetSessionPassword(const QString& password)
{
    if (!d->bPostgres)
        return;
    QUrl url(d->strTarget);
    url.setPassword(password, QUrl::DecodedMode);
    d->strTarget = url.toString();
}

void CDaoDatabase::SwitchTo(const QString& target)
{
    if (d->nTransactionDepth > 0)
        DaoSql::Throw(u"the session cannot change inside a transaction"_s);
    // The new session is opened before the old one goes, so that a refused
    // sign-in leaves the database as it was.
    const QString name = NewConnectionName();
    if (const std::optional<QSqlError> error = OpenDaoConnection(name, target, g_nBusyTimeout))
        DaoSql::Throw(*error);
    d->ClearStatements();
    if (QSqlDatabase::contains(d->connectionName)) {
        {
            QSqlDatabase old = QSqlDatabase::database(d->connectionName, false);
            old.close();
        }
        QSqlDatabase::removeDatabase(d->connectionName);
    }
    d->bPendingHome = false;
    d->connectionName = name;
    d->strTarget = target;
    // The tables' columns stay known: the session changes, the database
    // does not. Reading them again made each pupil's first store after the
    // login wait for the server's catalog.
    ++d->nGeneration;
}

void CDaoDatabase::Close()
{
    if (d->bPendingHome) {
        d->bPendingHome = false;
        d->bOpen = false;
        d->tables.clear();
        ++d->nGeneration;
        return;
    }
    if (!QSqlDatabase::contains(d->connectionName))
        return;
    d->ClearStatements();
    {
        QSqlDatabase db = QSqlDatabase::database(d->connectionName, false);
        if (d->nTransactionDepth > 0)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(d->connectionName);
    d->bOpen = false;
    d->nTransactionDepth = 0;
    d->tables.clear();
    ++d->nGeneration;
}

bool CDaoDatabase::IsOpen() const
{
    return d->bOpen;
}

QString CDaoDatabase::Target() const
{
    return d->strTarget;
}

bool CDaoDatabase::IsServerTarget(const QString& target)
{
    return IsPostgresUrl(target);
}

QString CDaoDatabase::DefaultTarget()
{
    if (!g_strTarget.isEmpty())
        return g_strTarget;
    const QString env = qEnvironmentVariable("QE_DATABASE");
    if (!env.isEmpty())
        return env;
    return u"user.mdb"_s;
}

QString CDaoDatabase::WithSessionSettings(const QString& target,
                                          const QList<std::pair<QString, QString>>& settings)
{
    if (!IsPostgresUrl(target))
        return target;
    // libpq's "options": the server's command-line switches for the session.
    QStringList switches;
    for (const auto& [name, value] : settings)
        switches << u"-c %1=%2"_s.arg(name, value);
    QUrl url(target);
    QUrlQuery query(url);
    query.removeAllQueryItems(u"options"_s);
    query.addQueryItem(u"options"_s, switches.join(u' '));
    url.setQuery(query);
    return url.toString();
}

void CDaoDatabase::SetTarget(const QString& target)
{
    g_strTarget = target;
}

void CDaoDatabase::SetBusyTimeout(int milliseconds)
{
    g_nBusyTimeout = milliseconds;
}

void CDaoDatabase::Reconnect() const
{
    if (!d->bOpen || !d->bPostgres)
        return;
    QSqlDatabase db = Connection();
    if (db.isOpen())
        return;
    if (d->bPendingHome && d->pendingError)
        DaoSql::Throw(*d->pendingError);
    // The driver closes a connection whose server went away. Its prepared
    // statements and any transaction went with it.
    const bool bInTransaction = d->nTransactionDepth > 0;
    d->ClearStatements();
    d->nTransactionDepth = 0;
    ++d->nGeneration;
    if (bInTransaction)
        DaoSql::Throw(u"the connection to the database was lost; the changes were not stored"_s);
    if (!db.open())
        DaoSql::Throw(db.lastError());
}

bool CDaoDatabase::Recover() const
{
    if (!d->bOpen || !d->bPostgres)
        return false;
    // A statement prepared before the server went away may fail with the
    // server's last words before the driver sees the connection closed; a
    // plain statement then tells.
    if (Connection().isOpen() && QSqlQuery(Connection()).exec(u"SELECT 1"_s))
        return false;
    if (Connection().isOpen())
        return false;
    if (d->nTransactionDepth > 0) {
        // The transaction is gone; the error goes on, and the next use
        // opens the connection again.
        d->ClearStatements();
        d->nTransactionDepth = 0;
        ++d->nGeneration;
        return false;
    }
    Reconnect();
    return true;
}

int CDaoDatabase::Generation() const
{
    return d->nGeneration;
}

QSqlDatabase CDaoDatabase::Connection() const
{
    if (d->bPendingHome) {
        // A failure leaves no connection: the use that follows fails and
        // reports why, and the next use tries again.
        d->pendingError = OpenDaoConnection(d->connectionName, d->strTarget, g_nBusyTimeout);
        if (!d->pendingError)
            d->bPendingHome = false;
    }
    return QSqlDatabase::database(d->connectionName, false);
}

bool CDaoDatabase::IsPostgres() const
{
    return d->bPostgres;
}

QStringList CDaoDatabase::Columns(const QString& table) const
{
    return Run([&] { return d->Table(table).columns; });
}

QList<CDaoFieldValue::Kind> CDaoDatabase::ColumnKinds(const QString& table) const
{
    return Run([&] { return d->Table(table).kinds; });
}
