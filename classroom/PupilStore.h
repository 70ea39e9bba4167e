#pragma once

#include "users/Pupil.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>

class CDaoDatabase;

// The teacher's changes to the pupils' accounts, each whole or not at all
// (one transaction). Every function throws CDaoException.
namespace PupilStore {

// Whether a pupil other than the one with key exceptKey carries name.
bool IsNameTaken(CDaoDatabase& db, const QString& name, qint64 exceptKey = 0);
// Every pupil's name, for checking many at once.
QSet<QString> PupilNames(CDaoDatabase& db);
// The pupil with this key; nKey is 0 when there is none.
CPupil Find(CDaoDatabase& db, qint64 key);

// Adds the pupil with the password of pupil.strPassword; returns the new
// row's key.
qint64 Add(CDaoDatabase& db, const CPupil& pupil);
// Adds the pupils in one transaction, each with the password of its
// strPassword, which is stored only as the login can check it (a hash in a
// file, the account's own role on a server); returns their keys in order.
// progress(done) is called now and then on the caller's thread (the
// session's worker, for the window). Nothing is added if any of them fails, or if a
// pupil already carries one of their names (the server checks under a lock
// of its own, so that two teachers importing at once cannot both add one).
QList<qint64> AddAll(CDaoDatabase& db, const QList<CPupil>& pupils,
                     const std::function<void(int done)>& progress = {});
// Changes name, class and number of the pupil with key pupil.nKey; the
// score rows stored under the old name and number follow the pupil.
void Update(CDaoDatabase& db, const CPupil& before, const CPupil& after);
// A new password for the pupil: it can be set, never read back.
void SetPassword(CDaoDatabase& db, qint64 key, const QString& password);
// New passwords (strPassword) for the pupils (by nKey), in one transaction.
void SetPasswords(CDaoDatabase& db, const QList<CPupil>& pupils);
void Move(CDaoDatabase& db, const QList<qint64>& keys, const QString& className);
// Deletes the account; with bScores also the pupil's score rows (by name and
// number) and attempts (by key), otherwise those stay.
void Delete(CDaoDatabase& db, const CPupil& pupil, bool bScores);

// A random password a pupil reads off a card and types: eight digits and
// small letters, without the look-alikes 0, 1, i, l and o (about 40 bits).
QString RandomPassword();

} // namespace PupilStore
