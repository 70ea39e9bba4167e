#pragma once

#include <QStringList>

class CDaoDatabase;

// The numbered versions of the database schema. Version 1 is the schema of
// data/schema-<engine>.sql; each later version N is the upgrade
// data/upgrade-N-<engine>.sql, one file per engine, compiled into the
// program. Adding a version is adding its two files. The table
// schema_version holds one row per version that has been applied.

// The highest version the program knows.
int NewestSchemaVersion();

// The statements of one version for the engine, in order. Throws
// CDaoException when the program carries no such file.
QStringList SchemaStatements(bool bPostgres, int version);

// The version recorded in an open database. Throws CDaoException (with a
// Chinese message) when it cannot be read.
int ReadSchemaVersion(CDaoDatabase& db);

// Brings an open database to the newest version: every pending upgrade in
// one transaction, so that a failure leaves the database as it was. A
// database newer than the program is refused and left as it is. Throws
// CDaoException with a Chinese message that says what happened.
void UpgradeSchema(CDaoDatabase& db);
