#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <utility>

class CDaoDatabase;

// The accounts of a server database (PostgreSQL): every QE account is a
// login role of its own, named after the database's role prefix and the
// account's key ("<prefix>_u_17" for the user row 17, "<prefix>_s_2" for the
// super user 2), whose password the server keeps as a SCRAM verifier. The
// lab machines connect each with a line of its own, "<prefix>_lab_<name>",
// a member of "<prefix>_lab". See data/upgrade-6-postgresql.sql for the
// rights of each, data/upgrade-17-postgresql.sql for the lines.
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

// Issues the line of one lab machine (name: small letters, digits and "-")
// or gives it again: a new password, its settings reset, its sessions
// ended. Returns the address the machine uses. Run by the owner. Throws
// CDaoException.
QString IssueLabLine(CDaoDatabase& db, const QString& name);
// Where a lab machine keeps the server's CA certificate, unless the owner's
// address names another (sslrootcert).
inline const QString LabCertificatePath = QStringLiteral("/etc/qe/root.crt");
// A lab machine's address made from the owner's: TLS with the server's
// certificate checked against that CA and its name (verify-full), and the
// SCRAM login bound to the TLS channel, so that neither a listener nor a
// relay on the lab's network reads or takes a session. An owner's address
// with sslmode=disable stays plain: a single machine without a network.
QString WithTls(const QString& target);
// Ends the sessions on the database of the lab's machines and its pupils
// (not the teachers' nor the owner's) and returns how many ended. Run by
// the owner. Throws CDaoException.
int EndLabSessions(CDaoDatabase& db);

// The machines' lines of a lab, as a teacher reads them.
struct CLabLine
{
    QString strName;
    QDateTime issuedAt;
    int nConnections = 0; // the line's sessions now
};
// Every line issued, by name. Throws CDaoException.
QList<CLabLine> LabLines(CDaoDatabase& db);
// Whether the session reaches the server over TLS. Throws CDaoException.
bool IsEncrypted(CDaoDatabase& db);

// The settings the program's sessions start with, above whatever a role
// keeps for itself: a pupil may change their own role's and their
// machine's line's (ALTER ROLE … SET), which then reaches their psql alone.
// The timeouts of the kind of account, as lab_config has them, read on the
// session before it signs in. Throws CDaoException.
QList<std::pair<QString, QString>> SessionSettings(CDaoDatabase& db, Kind kind);
// The lab line's own, before any account: the pupils' defaults.
QList<std::pair<QString, QString>> LabLineSettings();

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
