#include "users/ServerAccounts.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "users/PasswordHash.h"

#include <QLibrary>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QUrl>
#include <QUrlQuery>

#include <libpq-fe.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace ServerAccounts {

namespace {

// A lab machine's password is nobody's to type: it stands in the machine's
// environment as it is, without "qe:".
QString LabPassword()
{
    return PasswordHash::RandomPassword(
        20, u"abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789"_s);
}

PGconn* Handle(CDaoDatabase& db)
{
    // The driver hands its libpq connection out as a QVariant of its own
    // "pg_conn*" type (libpq's struct); the pointer is read from its data.
    const QVariant handle = db.Connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// A verifier goes into a statement that takes no parameters (CREATE ROLE,
// ALTER ROLE); it is ours and has only base64 letters and "$:", and is
// quoted all the same.
QString Quoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', u"''"_s);
    return u'\'' + quoted + u'\'';
}

// libpq is loaded by Qt's PostgreSQL driver once a server database is open;
// its three functions are looked up there instead of linked, so that the
// program starts without libpq and the dozen libraries it brings.
struct LibPq
{
    decltype(&PQencryptPasswordConn) encryptPasswordConn = nullptr;
    decltype(&PQerrorMessage) errorMessage = nullptr;
    decltype(&PQfreemem) freemem = nullptr;
};

const LibPq& Pq()
{
    static const LibPq functions = [] {
        QLibrary library(u"pq"_s, 5);
        LibPq found;
        found.encryptPasswordConn = reinterpret_cast<decltype(found.encryptPasswordConn)>(
            library.resolve("PQencryptPasswordConn"));
        found.errorMessage =
            reinterpret_cast<decltype(found.errorMessage)>(library.resolve("PQerrorMessage"));
        found.freemem = reinterpret_cast<decltype(found.freemem)>(library.resolve("PQfreemem"));
        return found;
    }();
    return functions;
}

// The verifier of a role's password as the server keeps it.
QString SecretVerifier(CDaoDatabase& db, const QString& secret)
{
    PGconn* conn = Handle(db);
    if (!conn)
        DaoSql::Throw(u"passwords of a server database need its connection"_s);
    const LibPq& pq = Pq();
    if (!pq.encryptPasswordConn || !pq.errorMessage || !pq.freemem)
        DaoSql::Throw(u"libpq.so.5 is missing: passwords of a server database need it"_s);
    const QByteArray utf8 = secret.toUtf8();
    char* verifier = pq.encryptPasswordConn(conn, utf8.constData(), "", "scram-sha-256");
    if (!verifier)
        DaoSql::Throw(QString::fromLocal8Bit(pq.errorMessage(conn)).trimmed());
    const QString text = QString::fromLatin1(verifier);
    pq.freemem(verifier);
    return text;
}

// Statements of our own without parameters (the server prepares no ALTER
// ROLE), run as they are.
void Run(CDaoDatabase& db, const QString& sql)
{
    QSqlQuery query(db.Connection());
    if (!query.exec(sql))
        DaoSql::Throw(query.lastError());
}

} // namespace

QString RolePassword(const QString& password)
{
    return u"qe:"_s + password;
}

QString Verifier(CDaoDatabase& db, const QString& password)
{
    return SecretVerifier(db, RolePassword(password));
}

QString RolePrefix(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT role_prefix FROM lab_config"_s);
    Exec(query);
    NextRow(query);
    return query.value(0).toString();
}

QString AccountRole(CDaoDatabase& db, Kind kind, qint64 key)
{
    return u"%1_%2_%3"_s.arg(RolePrefix(db), kind == Kind::Ordinary ? u"u"_s : u"s"_s).arg(key);
}

QString LabRole(CDaoDatabase& db)
{
    return RolePrefix(db) + u"_lab"_s;
}

QString RenewLabPassword(CDaoDatabase& db)
{
    const QString password = LabPassword();
    const QString role = LabRole(db);
    Run(db, u"ALTER ROLE %1 LOGIN PASSWORD %2"_s.arg(DaoSql::QuoteIdentifier(role),
                                                     Quoted(SecretVerifier(db, password))));
    QUrl url(db.Target());
    url.setUserName(role, QUrl::DecodedMode);
    url.setPassword(password, QUrl::DecodedMode);
    return url.toString();
}

namespace {

// The sessions of role on this database end. pg_terminate_backend asks for
// the role's privileges, which the owner takes for the moment (it made the
// role, and CREATEROLE may grant it); each end is waited for up to 5 s.
int EndSessionsOf(CDaoDatabase& db, const QString& role)
{
    const QString quoted = DaoSql::QuoteIdentifier(role);
    Run(db, u"GRANT %1 TO CURRENT_USER"_s.arg(quoted));
    QSqlQuery end(db.Connection());
    Prepare(end, u"SELECT count(*) FILTER (WHERE pg_terminate_backend(pid, 5000)) "
                 "FROM pg_stat_activity WHERE usename = ? AND datname = current_database() "
                 "AND pid <> pg_backend_pid()"_s);
    end.addBindValue(role);
    Exec(end);
    NextRow(end);
    const int ended = end.value(0).toInt();
    end.finish();
    Run(db, u"REVOKE %1 FROM CURRENT_USER"_s.arg(quoted));
    return ended;
}

QStringList RolesWithSessions(CDaoDatabase& db, const QString& condition, const QString& value)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT DISTINCT usename::text FROM pg_stat_activity, lab_config c "
                  "WHERE datname = current_database() AND pid <> pg_backend_pid() AND (%1)"_s.arg(
                      condition));
    if (!value.isNull())
        query.addBindValue(value);
    Exec(query);
    QStringList roles;
    while (query.next())
        roles << query.value(0).toString();
    CheckRead(query);
    return roles;
}

} // namespace

QString IssueLabLine(CDaoDatabase& db, const QString& name)
{
    const QString password = LabPassword();
    QSqlQuery issue(db.Connection());
    Prepare(issue, u"SELECT qe_issue_lab_line(?, ?)"_s);
    issue.addBindValue(name.trimmed().toLower());
    issue.addBindValue(SecretVerifier(db, password));
    Exec(issue);
    NextRow(issue);
    const QString role = issue.value(0).toString();
    issue.finish();
    // The sessions through the old password end with it.
    if (!RolesWithSessions(db, u"usename = ?"_s, role).isEmpty())
        EndSessionsOf(db, role);
    QUrl url(WithTls(db.Target()));
    url.setUserName(role, QUrl::DecodedMode);
    url.setPassword(password, QUrl::DecodedMode);
    return url.toString();
}

QString WithTls(const QString& target)
{
    QUrl url(target);
    QUrlQuery query(url);
    if (query.queryItemValue(u"sslmode"_s) == "disable"_L1)
        return target;
    const QString certificate = query.queryItemValue(u"sslrootcert"_s, QUrl::FullyDecoded);
    for (const QString& key : {u"sslmode"_s, u"channel_binding"_s, u"sslrootcert"_s})
        query.removeAllQueryItems(key);
    query.addQueryItem(u"sslmode"_s, u"verify-full"_s);
    query.addQueryItem(u"channel_binding"_s, u"require"_s);
    query.addQueryItem(u"sslrootcert"_s, certificate.isEmpty() ? LabCertificatePath : certificate);
    url.setQuery(query);
    return url.toString();
}

int EndLabSessions(CDaoDatabase& db)
{
    int ended = 0;
    const QStringList roles =
        RolesWithSessions(db,
                          u"usename = c.role_prefix || '_lab' "
                          "OR left(usename, length(c.role_prefix) + 5) = c.role_prefix || '_lab_' "
                          "OR (left(usename, length(c.role_prefix) + 3) = c.role_prefix || '_u_' "
                          "AND substr(usename, length(c.role_prefix) + 4) ~ '^[0-9]+$')"_s,
                          {});
    for (const QString& role : roles)
        ended += EndSessionsOf(db, role);
    return ended;
}

QList<CLabLine> LabLines(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT l.name, l.issued_at, (SELECT count(*) FROM pg_stat_activity a "
                  "WHERE a.usename = qe_role('lab_' || l.name)) FROM lab_line l ORDER BY l.name"_s);
    Exec(query);
    QList<CLabLine> lines;
    while (query.next())
        lines.append(
            {query.value(0).toString(), query.value(1).toDateTime(), query.value(2).toInt()});
    CheckRead(query);
    return lines;
}

bool IsEncrypted(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_s);
    Exec(query);
    NextRow(query);
    return query.value(0).toBool();
}

QList<std::pair<QString, QString>> SessionSettings(CDaoDatabase& db, Kind kind)
{
    const bool bPupil = kind == Kind::Ordinary;
    QList<std::pair<QString, QString>> settings =
        bPupil ? LabLineSettings()
               : QList<std::pair<QString, QString>>{
                     {u"lock_timeout"_s, u"10s"_s},
                     {u"statement_timeout"_s, u"10min"_s},
                     {u"idle_in_transaction_session_timeout"_s, u"10min"_s}};
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT %1_lock_timeout, %1_statement_timeout, %1_idle_timeout "
                  "FROM lab_config"_s.arg(bPupil ? u"pupil"_s : u"teacher"_s));
    Exec(query);
    NextRow(query);
    // A value the server would refuse would refuse the login: the default stays.
    static const QRegularExpression duration(u"^[0-9]{1,9}(ms|s|min|h)?$"_s);
    for (int i = 0; i < settings.size(); ++i) {
        const QString value = query.value(i).toString().trimmed();
        if (duration.match(value).hasMatch())
            settings[i].second = value;
    }
    return settings;
}

QList<std::pair<QString, QString>> LabLineSettings()
{
    return {{u"lock_timeout"_s, u"5s"_s},
            {u"statement_timeout"_s, u"30s"_s},
            {u"idle_in_transaction_session_timeout"_s, u"60s"_s}};
}

void ConvertAccounts(CDaoDatabase& db)
{
    struct Account
    {
        QString kind;
        qint64 key;
        QString password;
    };
    std::vector<Account> accounts;
    for (const auto& [kind, table] :
         {std::pair{u"u"_s, u"\"user\""_s}, std::pair{u"s"_s, u"supperuser"_s}}) {
        QSqlQuery query(db.Connection());
        Select(query,
               u"SELECT qe_key, COALESCE(password, '') FROM %1 ORDER BY qe_key"_s.arg(table));
        Exec(query);
        while (query.next())
            accounts.push_back({kind, query.value(0).toLongLong(), query.value(1).toString()});
        CheckRead(query);
    }
    QSqlQuery create(db.Connection());
    Prepare(create, u"SELECT qe_create_account_role(?, ?, ?)"_s);
    for (const Account& account : accounts) {
        create.bindValue(0, account.kind);
        create.bindValue(1, account.key);
        create.bindValue(2, Verifier(db, account.password));
        Exec(create);
        create.finish();
    }
    Run(db, u"UPDATE \"user\" SET password = NULL"_s);
    Run(db, u"UPDATE supperuser SET password = NULL"_s);
    Run(db, u"ALTER TABLE \"user\" VALIDATE CONSTRAINT user_keeps_no_password"_s);
    Run(db, u"ALTER TABLE supperuser VALIDATE CONSTRAINT supperuser_keeps_no_password"_s);
}

bool IsRegistrationOpen(CDaoDatabase& db)
{
    if (!db.IsPostgres())
        return true;
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT registration_open FROM lab_config"_s);
    Exec(query);
    NextRow(query);
    return query.value(0).toInt() != 0;
}

void SetRegistrationOpen(CDaoDatabase& db, bool bOpen)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT qe_set_registration(?)"_s);
    query.addBindValue(bOpen);
    Exec(query);
}

bool IsPupilSession(const CDaoDatabase& db)
{
    static const QRegularExpression account(u"_u_[0-9]+$"_s);
    return db.IsPostgres() && account.match(db.SessionUser()).hasMatch();
}

void SetOwnPassword(CDaoDatabase& db, const QString& password)
{
    Run(db, u"ALTER ROLE CURRENT_USER PASSWORD %1"_s.arg(Quoted(Verifier(db, password))));
    db.SetSessionPassword(RolePassword(password));
}

} // namespace ServerAccounts
