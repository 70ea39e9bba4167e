#pragma once

#include "users/DatabaseSteps.h"

#include <QString>
#include <QStringList>

class CDaoDatabase;

// Making a new database: the schema with the steps of its versions, the
// rows of the new-database steps and one first super-user account.
// Throws CDaoException when the target cannot be reached or already holds
// the tables (an existing database is never touched).
// On a server it returns the lab machines' address (the lab role and its
// new password).
QString CreateDatabase(const QString& target, const QString& superUser, const QString& password,
                       const CDatabaseSteps& steps);

// The tables (and the schema version) on an open database that has none, in
// one transaction, with the steps of their versions and without the rows of
// a new database: the newest version, or the older one given. On a server it returns the lab
// machines' address once the version that makes the lab role is reached. Throws CDaoException.
QString CreateSchema(CDaoDatabase* db, const CDatabaseSteps& steps, int version = 0);

// "qe --create-database [--super-user NAME --password PW]": creates the
// database of CDaoDatabase::DefaultTarget(), prints the account it made and
// returns the process exit status.
int RunCreateDatabaseCommand(const QStringList& arguments, const CDatabaseSteps& steps);

// "qe [--database URL] --upgrade-database": the administrator's upgrade of
// an older database, a lab's too; prints what it did (and the lab machines'
// address when it made the lab role) and returns the exit status.
int RunUpgradeDatabaseCommand(const QStringList& arguments, const CDatabaseSteps& steps);

// "qe --database OWNER-URL --lab-line NAME": issues the line of the lab
// machine NAME (or gives it again, ending its sessions), prints its
// QE_DATABASE line and returns the exit status.
int RunLabLineCommand(const QStringList& arguments);
