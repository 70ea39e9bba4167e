#pragma once

#include <QString>
#include <QStringList>

class CDaoDatabase;

// Making a new database: the schema and one first super-user account.
// Throws CDaoException when the target cannot be reached or already holds
// the tables (an existing database is never touched).
void CreateDatabase(const QString& target, const QString& superUser, const QString& password);

// The tables (and the schema version) on an open database that has none, in
// one transaction, without any rows: the newest version, or the older one
// given. Throws CDaoException.
void CreateSchema(CDaoDatabase* db, int version = 0);

// "qe --create-database [--super-user NAME --password PW]": creates the
// database of CDaoDatabase::DefaultTarget(), prints the account it made and
// returns the process exit status.
int RunCreateDatabaseCommand(const QStringList& arguments);
