#pragma once

class CDaoDatabase;

// The indexes of the lookups by name (data/indexes-<engine>.sql): made with
// a new database, and added to an existing one when the program opens it.
// Results never depend on them, only the time a lookup takes.

// Runs the statements that make the indexes, inside the caller's
// transaction. Throws CDaoException.
void CreateIndexes(CDaoDatabase& db);

// Adds the indexes an existing database lacks, in one transaction; of two
// programs opening it at once, the second waits and then finds them made.
// Throws CDaoException with a Chinese message; the database is then as it
// was.
void EnsureIndexes(CDaoDatabase& db);
