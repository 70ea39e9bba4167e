#pragma once

#include "users/DatabaseSteps.h"

#include <QStringList>
#include <QStringView>

class CDaoDatabase;

// The numbered versions of the database schema. Version 1 is the schema of
// data/schema-<engine>.sql; each later version N is the upgrade
// data/upgrade-N-<engine>.sql, one file per engine, compiled into the
// program. Adding a version is adding its two files. The table
// schema_version holds one row per version that has been applied.

// The highest version the program knows.
int NewestSchemaVersion();

// The statements of one version for the engine, in order: its file, then
// the continuations a long migration is split into (upgrade-11.2-…, -11.3-…). Throws
// CDaoException when the program carries no such file.
QStringList SchemaStatements(bool bPostgres, int version);

// The version recorded in an open database. Throws CDaoException (with a
// Chinese message) when it cannot be read.
int ReadSchemaVersion(CDaoDatabase& db);

// The statements of a schema file's text, split where they end.
QStringList SplitStatements(const QString& text);

// Runs the refresh steps and applies the lab's limits to its roles, in one
// transaction. A server at the newest version only. Throws CDaoException.
void RefreshLab(CDaoDatabase& db, const CDatabaseSteps& steps);

// The version at which the passwords leave the tables (a server's accounts
// become roles), and the one at which each lab machine has a line of its own.
inline constexpr int AccountsVersion = 6;
inline constexpr int LabLinesVersion = 17;
// The line a new or upgraded lab's first machine gets.
inline constexpr QStringView FirstLabLine = u"pc01";

// Runs one version's statements and steps inside the caller's transaction.
// At the version where the passwords leave the tables it converts them (a
// file's hashed, a server's accounts made roles) and, on a server, gives the
// lab role a new password; at the version of the machines' own lines it
// issues the first one. The lab's address is returned. Throws CDaoException.
QString ApplySchemaVersion(CDaoDatabase& db, int version, const CDatabaseSteps& steps);

// Who upgrades: the program as it opens its database, or the administrator's
// command (qe --upgrade-database).
enum class UpgradeBy { Program, Administrator };

// Brings an open database to the newest version: every pending upgrade in
// one transaction, so that a failure leaves the database as it was. A
// database newer than the program is refused and left as it is; so is an
// older server database that the program itself opens: only the
// administrator's command upgrades a lab's database. Returns the lab
// machines' address when the upgrade issued a lab line. Throws
// CDaoException with a Chinese message that says what happened.
QString UpgradeSchema(CDaoDatabase& db, const CDatabaseSteps& steps,
                      UpgradeBy by = UpgradeBy::Program);
