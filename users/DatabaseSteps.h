#pragma once

#include <functional>
#include <utility>
#include <vector>

class CDaoDatabase;

// Work on a database that its SQL files cannot do: data that only the rooms
// above this one hold or compute. The program assembles its list in one
// place and hands it to whatever creates or upgrades a database; an empty
// list gives the bare schema.
using SchemaStep = std::function<void(CDaoDatabase&)>;

struct CDatabaseSteps
{
    // Rows a new database starts with (the starter library), written after
    // the tables and before the first super user, in the same transaction,
    // with the owner's rights. Never run by an upgrade: an existing
    // database keeps what it holds.
    std::vector<SchemaStep> newDatabase;
    // Work of a schema version, run after its statements in the same
    // transaction, whether the version is made new or reached by upgrade.
    std::vector<std::pair<int, SchemaStep>> versions;
    // Work the administrator's commands do on a lab's server each time,
    // after any upgrade: data of the program's that the server judges by.
    std::vector<SchemaStep> refresh;
};
