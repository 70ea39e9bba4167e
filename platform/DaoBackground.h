#pragma once

#include "platform/Dao.h"

#include <QString>

#include <functional>

// Database work that no window waits for: the live view's row of a login and
// a log-off, the results kept on the machine stored when the database is
// back. One thread does the jobs in order, on a connection of its own to
// each job's target (the same database, as the same account; a server's
// kept between jobs); a job that fails is dropped, and the connection
// opened again for the next.
namespace DaoBackground {

void Post(const QString& target, std::function<void(CDaoDatabase& own)> job);

// Waits at most milliseconds until the jobs posted so far are done (a job
// that must follow them, on another connection); true when they are.
bool Wait(int milliseconds);

// Waits at most milliseconds for the jobs posted so far; true when all are
// done. A job still running then waits for a server that does not answer:
// it is left to the end of the program (OffThread::Abandoned counts it).
bool Finish(int milliseconds);

} // namespace DaoBackground
