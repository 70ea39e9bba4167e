#pragma once

#include <QString>

// The database engines report in English. For the failures a lab meets
// most (file missing, not a database, locked, read-only, server unreachable,
// login refused) a Chinese explanation goes first, on a line of its own, and
// the engine's text follows; any other message stays as the engine gave it.
QString ExplainDaoError(const QString& engineText);
