#pragma once

#include "attempts/Attempt.h"
#include "users/Database.h"

#include <QDateTime>
#include <QString>

class CDaoDatabase;

// One pupil's sitting of an exam, as the pupil's program knows it. The uid
// is made when the exam is loaded and names the sitting everywhere, so that
// its result is stored exactly once however often the store is tried. The
// seal key, random as well, goes to the database with the sitting's start
// and nowhere else: it seals a result kept on the machine (PendingResults).
struct CExamSitting
{
    QString strUid;
    QString strSealKey;
    qint64 nExamId = 0;
    qint64 nUserKey = 0;
    QDateTime startedAt;
    int nFocusLosses = 0; // how often the program lost the focus while it ran

    // A new sitting of exam by the user with key userKey.
    static CExamSitting Begin(qint64 examId, qint64 userKey);
};

// Notes in the database that the pupil started the sitting (it shows as
// running). Throws CDaoException.
void RecordSittingStart(CDaoDatabase& db, const CExamSitting& sitting);

// The seal key stored with the sitting of this uid; empty when the sitting
// is not in the database or has none. Throws CDaoException.
QString SittingSealKey(CDaoDatabase& db, const QString& uid);

// How many sittings of the exam the user with key userKey has begun.
// Throws CDaoException.
int CountSittings(CDaoDatabase& db, qint64 examId, qint64 userKey);

// Stores a finished sitting: the score row (as AppendRow does), the attempt
// and the sitting's figures, in one transaction. A sitting whose result is
// already stored is left as it is and nothing else is stored: false. True
// when this call stored it. Throws CDaoException, with nothing stored.
bool StoreSittingResult(CDaoDatabase& db, const FieldList& scoreFields, const CAttempt& attempt,
                        const CExamSitting& sitting);
