#pragma once

#include "platform/DaoSelection.h"

class CDaoDatabase;

// The score rows that are the logged-in ordinary user's own. In a file,
// those stored under the user's name and student number, as the described
// program has it. On a server, the rows the account itself stored, by the
// account's key as the server recorded it (score_owner): a name or number
// is the teacher's to change and decides nothing there, and the rows go
// only through the server's function.
namespace OwnScores {

// Whether the rows are told by the account's key.
bool ByKey(const CDaoDatabase& db);
// The criteria of the user's rows: name and number, or none by key.
CDaoCriteria Criteria(const CDaoDatabase& db);
// Limits a selection of the score table to the user's rows by key.
void Limit(const CDaoDatabase& db, CDaoSelection& selection);
// Deletes, through the server, up to nBatch of the user's rows with keys
// up to keyBound; returns how many went. Throws CDaoException.
int DeleteBatch(CDaoDatabase& db, qint64 keyBound, int nBatch);

} // namespace OwnScores
