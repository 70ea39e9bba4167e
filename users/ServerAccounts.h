#pragma once

#include <QString>
#include <QtGlobal>

class CDaoDatabase;

// The accounts of a server database (PostgreSQL): every QE account is a
// login role of its own, named after the database's role prefix and the
// account's key ("<prefix>_u_17" for the user row 17, "<prefix>_s_2" for the
// super user 2), whose password the server keeps as a SCRAM verifier. The
// lab machines connect as "<prefix>_lab". See data/upgrade-6-postgresql.sql
// for the rights of each.
namespace ServerAccounts {

enum class Kind { Ordinary, Super };

// What the role's password is for a QE password: the same, behind "qe:", so
// that the empty password a pupil may have is a password the server takes.
QString RolePassword(const QString& password);
// The SCRAM-SHA-256 verifier of a QE password, made by libpq on the
// session's own connection; the password itself never reaches the server.
// Throws CDaoException.
QString Verifier(CDaoDatabase& db, const QString& password);

// The database's role prefix. Throws CDaoException.
QString RolePrefix(CDaoDatabase& db);
QString AccountRole(CDaoDatabase& db, Kind kind, qint64 key);
QString LabRole(CDaoDatabase& db);

// Gives the lab role a new random password and the right to log in;
// returns the address the lab machines use, with that password. Run by the
// schema's owner. Throws CDaoException.
QString RenewLabPassword(CDaoDatabase& db);

// The conversion of a database of version 5: each account's password
// becomes its role's, then the password fields are emptied. Run by the
// schema's owner inside the upgrade's transaction. Throws CDaoException.
void ConvertAccounts(CDaoDatabase& db);

// Whether pupils may register themselves (新建用户): on a server while a
// teacher allows it, in a file always. Throws CDaoException.
bool IsRegistrationOpen(CDaoDatabase& db);
// A teacher's session opens or closes registration. Throws CDaoException.
void SetRegistrationOpen(CDaoDatabase& db, bool bOpen);

// Whether the session runs as a pupil's own account on a server: such a
// session writes nothing but through the server's functions.
bool IsPupilSession(const CDaoDatabase& db);

// Sets the signed-in account's own password. Throws CDaoException.
void SetOwnPassword(CDaoDatabase& db, const QString& password);

} // namespace ServerAccounts
