#pragma once

#include "users/Database.h"

#include <QString>

class CDaoDatabase;
class CDaoRecordset;

// The accounts' credentials, on both engines, so that no password can be
// read back anywhere. In a file (SQLite) an account's password field holds a
// salted Argon2id hash (PasswordHash). On a server (PostgreSQL) the field
// stays empty: every account is a login role of its own, the server checks
// its password, and the program's session runs as the account once it is
// logged in, so that the server grants exactly that account's rights
// (ServerAccounts). Every function throws CDaoException when the database
// fails.
namespace Accounts {

// Whether password is the account's (the user row, or with bSuper the
// supperuser row, with key; stored is its password field as read). On a
// server the session then runs as that account; a wrong password leaves it
// as it was.
bool SignIn(CDaoDatabase& db, bool bSuper, qint64 key, const QString& stored,
            const QString& password);
// Back to the session before any login (the lab's, on a server).
void SignOut(CDaoDatabase& db);

// The login of the signed-in account in loginhistory: on a file the row of
// fields (as the login writes it), on a server the server writes the same
// row from the account's own. False when the table cannot be opened
// (reported).
bool LogLogin(CDaoDatabase& db, const FieldList& fields);

// A new ordinary account (registration); returns its row's key, 0 when the
// table cannot be opened (reported). On a server the server writes its
// "创建用户" row (a failure to is kept in *pHistoryError) and the session runs
// as the new account; on a file the caller appends that row.
qint64 Register(CDaoDatabase& db, const QString& name, const QString& className,
                const QString& studentNo, const QString& password, QString* pHistoryError);
// The "创建用户" row: appended on a file; on a server the failure to write
// it that Register kept is thrown now, so that it shows where the file's
// would. False when the table cannot be opened (reported).
bool LogRegistration(CDaoDatabase& db, const FieldList& fields, const QString& historyError);

// The signed-in user's own account (the record set on its row): name, class,
// number and password, and the kind text the row keeps; on a server the
// password alone (the rest is the teacher's).
void EditOwnAccount(CDaoRecordset& rs, const QString& name, const QString& className,
                    const QString& studentNo, const QString& password, const QString& kindText);
// The signed-in super user's own password (the record set on its row).
void SetOwnSuperPassword(CDaoRecordset& rs, const QString& password);
// A new super user; returns its row's key.
qint64 AddSuperUser(CDaoDatabase& db, const QString& name, const QString& password);

// What a password field holds in a file for password.
QString StoredPassword(const QString& password);

} // namespace Accounts
