#pragma once

#include <QString>

#include <functional>

class CDaoDatabase;

// Data for the benchmarks, made by the engine itself: one INSERT ... SELECT
// over a generated series per table, so that a million rows take seconds.
namespace BenchData {

// Pupils "user0", "user1", ...: class "class<i % 40>", student number
// 2003000 + i, kind "普通用户"; on a file the password field "pw<i>" (no
// account can log in with it), on a server none.
void AddUsers(CDaoDatabase& db, int nRows);
// English scores. Every tenth row is Li's (student number 2003000); the
// others belong to "user<i % 997>" with student number 2003000 + i.
void AddScores(CDaoDatabase& db, int nRows);
// Logins of "user<i>" with their class and number.
void AddLogins(CDaoDatabase& db, int nRows);
// Rows of a table.
int Count(CDaoDatabase& db, const QString& table);

// Lets the windows' events run until done() holds (the database worker's
// answer arrived), milliseconds at most; false when it never did.
bool WaitFor(const std::function<bool()>& done, int milliseconds = 30000);

} // namespace BenchData
