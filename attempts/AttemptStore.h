#pragma once

#include "attempts/Attempt.h"
#include "users/Database.h"

class CDaoDatabase;

// Storing a practice in full, beside the score row it belongs to.

// Stores attempt as belonging to the score row with the hidden key
// scoreKey: the attempt, one row per mistyped cell and the text it was typed
// on. Returns the attempt's id. Throws CDaoException.
qint64 StoreAttempt(CDaoDatabase& db, qint64 scoreKey, const CAttempt& attempt);

// A pupil's practice or lesson begins on the server's clock (a server
// session of a pupil's account; nothing otherwise). Throws CDaoException.
void BeginOnServer(CDaoDatabase& db);

// Stores the detail of the keys behind the attempt attemptId of the user
// userKey (on a server, through its function, as the pupil's own and just
// stored). Throws CDaoException.
void StoreDetail(CDaoDatabase& db, qint64 attemptId, qint64 userKey, const CKeyDetail& detail);

// The same for the keys of the lesson lessonAttemptId. Throws CDaoException.
void StoreLessonKeys(CDaoDatabase& db, qint64 lessonAttemptId, qint64 userKey,
                     const QList<CKeyFigures>& keys);

// Appends the score row and, when pAttempt is given, its attempt, in one
// transaction: both are stored or neither; any failure rolls back and goes
// on as CDaoException. A pupil's session on a server asks the server's
// function instead, which counts the attempt's cells, takes the seconds of
// field 8 and stores both rows itself, or refuses (CDaoException::IsRefusal)
// what no person could have typed. The store of the windows is
// CResultStore::StorePractice, which calls this on its worker.
void StoreScoreWithAttempt(CDaoDatabase& db, const FieldList& scoreFields,
                           const CAttempt* pAttempt);

// The stored form of the attempts' times of day.
QString StoredDateTime(const QDateTime& time);
QDateTime ParseStoredDateTime(const QVariant& stored);

// A count that may be unknown (-1, such as the key presses where the
// platform does not show them) as it is stored: NULL when unknown.
QVariant KnownCount(int count);
int CountOrUnknown(const QVariant& stored);
