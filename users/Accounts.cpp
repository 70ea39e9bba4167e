#include "users/Accounts.h"

#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "users/PasswordHash.h"
#include "users/ServerAccounts.h"

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace Accounts {

bool SignIn(CDaoDatabase& db, bool bSuper, qint64 key, const QString& stored,
            const QString& password)
{
    if (!db.IsPostgres())
        return PasswordHash::Verify(stored, password);
    const ServerAccounts::Kind kind =
        bSuper ? ServerAccounts::Kind::Super : ServerAccounts::Kind::Ordinary;
    const QString role = ServerAccounts::AccountRole(db, kind, key);
    const auto settings = ServerAccounts::SessionSettings(db, kind);
    try {
        db.SignIn(role, ServerAccounts::RolePassword(password), settings);
    } catch (const CDaoException&) {
        // The server says no more than that the login failed. While the
        // session it had still answers, the server is there and the
        // password is wrong; otherwise the server is away.
        QSqlQuery probe(db.Connection());
        if (probe.exec(u"SELECT 1"_s))
            return false;
        throw;
    }
    return true;
}

void SignOut(CDaoDatabase& db)
{
    db.SignOut();
}

bool LogLogin(CDaoDatabase& db, const FieldList& fields)
{
    if (!db.IsPostgres())
        return AppendRow(&db, u"loginhistory"_s, fields);
    QSqlQuery query(db.Connection());
    if (!query.exec(u"SELECT qe_log_login()"_s))
        DaoSql::Throw(query.lastError());
    return true;
}

qint64 Register(CDaoDatabase& db, const QString& name, const QString& className,
                const QString& studentNo, const QString& password, QString* pHistoryError)
{
    const auto text = [](const QString& value) { return value.isNull() ? u""_s : value; };
    if (!db.IsPostgres()) {
        const FieldList row{
            {0, CDaoFieldValue::FromText(name)},
            {1, CDaoFieldValue::FromText(className)},
            {2, CDaoFieldValue::FromText(studentNo)},
            {3, CDaoFieldValue::FromText(StoredPassword(password))},
            {4, CDaoFieldValue::FromText(u"普通用户"_s)},
        };
        qint64 key = 0;
        if (!AppendRow(&db, u"user"_s, row, &key))
            return 0;
        return key;
    }
    qint64 key = 0;
    {
        QSqlQuery query(db.Connection());
        Prepare(query, u"SELECT * FROM qe_register(?, ?, ?, ?)"_s);
        query.addBindValue(text(name));
        query.addBindValue(text(className));
        query.addBindValue(text(studentNo));
        query.addBindValue(ServerAccounts::Verifier(db, password));
        Exec(query);
        NextRow(query);
        key = query.value(0).toLongLong();
        if (pHistoryError)
            *pHistoryError = query.value(1).toString();
    }
    db.SignIn(ServerAccounts::AccountRole(db, ServerAccounts::Kind::Ordinary, key),
              ServerAccounts::RolePassword(password),
              ServerAccounts::SessionSettings(db, ServerAccounts::Kind::Ordinary));
    return key;
}

bool LogRegistration(CDaoDatabase& db, const FieldList& fields, const QString& historyError)
{
    if (!db.IsPostgres())
        return AppendRow(&db, u"loginhistory"_s, fields);
    if (!historyError.isEmpty())
        DaoSql::Throw(historyError);
    return true;
}

void EditOwnAccount(CDaoRecordset& rs, const QString& name, const QString& className,
                    const QString& studentNo, const QString& password, const QString& kindText)
{
    CDaoDatabase& db = *rs.Database();
    if (!db.IsPostgres()) {
        EditCurrent(rs, {{0, CDaoFieldValue::FromText(name)},
                         {1, CDaoFieldValue::FromText(className)},
                         {2, CDaoFieldValue::FromText(studentNo)},
                         {3, CDaoFieldValue::FromText(StoredPassword(password))},
                         {4, CDaoFieldValue::FromText(kindText)}});
        return;
    }
    // The name, class and number are the teacher's on a server; the
    // password is the role's.
    ServerAccounts::SetOwnPassword(db, password);
}

void SetOwnSuperPassword(CDaoRecordset& rs, const QString& password)
{
    CDaoDatabase& db = *rs.Database();
    if (!db.IsPostgres()) {
        EditCurrent(rs, {{1, CDaoFieldValue::FromText(StoredPassword(password))}});
        return;
    }
    ServerAccounts::SetOwnPassword(db, password);
}

qint64 AddSuperUser(CDaoDatabase& db, const QString& name, const QString& password)
{
    if (!db.IsPostgres()) {
        qint64 key = 0;
        if (!AppendRow(&db, u"supperuser"_s,
                       {{0, CDaoFieldValue::FromText(name)},
                        {1, CDaoFieldValue::FromText(StoredPassword(password))}},
                       &key))
            return 0;
        return key;
    }
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT qe_add_super_user(?, ?)"_s);
    query.addBindValue(name.isNull() ? u""_s : name);
    query.addBindValue(ServerAccounts::Verifier(db, password));
    Exec(query);
    NextRow(query);
    return query.value(0).toLongLong();
}

QString StoredPassword(const QString& password)
{
    return PasswordHash::Hash(password);
}

} // namespace Accounts
