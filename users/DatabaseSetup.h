#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CDaoDatabase;

// Rows of the program's that a new database starts with (the starter
// library), written by CreateDatabase after the tables and before the first
// super user, in the same transaction, with the owner's rights. Never run
// by an upgrade: an existing database keeps what it holds. Registered by
// the program before it creates a database.
void AddNewDatabaseStep(std::function<void(CDaoDatabase&)> step);

// Making a new database: the schema, the rows of the new-database steps and
// one first super-user account.
// Throws CDaoException when the target cannot be reached or already holds
// the tables (an existing database is never touched).
// On a server it returns the lab machines' address (the lab role and its
// new password).
QString CreateDatabase(const QString& target, const QString& superUser, const QString& password);

// The tables (and the schema version) on an open database that has none, in
// one transaction, without any rows: the newest version, or the older one
// given. On a server it returns the lab machines' address once the version
// that makes the lab role is reached. Throws CDaoException.
QString CreateSchema(CDaoDatabase* db, int version = 0);

// "qe --create-database [--super-user NAME --password PW]": creates the
// database of CDaoDatabase::DefaultTarget(), prints the account it made and
// returns the process exit status.
int RunCreateDatabaseCommand(const QStringList& arguments);

// "qe [--database URL] --upgrade-database": the administrator's upgrade of
// an older database, a lab's too; prints what it did (and the lab machines'
// address when it made the lab role) and returns the exit status.
int RunUpgradeDatabaseCommand(const QStringList& arguments);

// "qe --database OWNER-URL --lab-line NAME": issues the line of the lab
// machine NAME (or gives it again, ending its sessions), prints its
// QE_DATABASE line and returns the exit status.
int RunLabLineCommand(const QStringList& arguments);
