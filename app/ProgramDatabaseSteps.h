#pragma once

#include "users/DatabaseSteps.h"

// Everything the program adds to its SQL when it makes or upgrades a
// database, listed in one place: what each room needs written there.
CDatabaseSteps ProgramDatabaseSteps();
