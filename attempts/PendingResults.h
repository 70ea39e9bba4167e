#pragma once

#include "attempts/Attempt.h"
#include "attempts/ExamSitting.h"
#include "users/Database.h"

#include <QList>
#include <QString>

class CDaoDatabase;

// An exam result that could not be stored: the score row's fields, the
// attempt and the sitting, all that storing it needs, and its seal (made by
// Keep with the sitting's seal key, which the file never holds).
struct CPendingResult
{
    FieldList scoreFields;
    CAttempt attempt;
    CExamSitting sitting;
    QString strSeal = {}; // empty until kept
};

// Exam results kept on the pupil's machine while the database is away, in a
// small file in the working directory, until they are stored. The file is
// replaced whole (never left half written) and locked against a second
// program in the same directory; each result is stored once, by its
// sitting's uid, however often the storing is tried. A result is stored
// only when its seal matches the seal key the database holds for its
// sitting; one edited or made up on the machine is set aside, unstored, in
// a second file.
namespace PendingResults {

// The file's name in the working directory.
QString FileName();
// The file of the results set aside.
QString RefusedFileName();

// Seals result with its sitting's key and adds it to the file. False, with the reason in *error,
// when it cannot be written.
bool Keep(const CPendingResult& result, QString* error = nullptr);

// The results kept; an unreadable file gives none and the reason in *error.
QList<CPendingResult> Load(QString* error = nullptr);

// Whether a result of exam by the user with key userKey is kept.
bool HasSitting(qint64 examId, qint64 userKey);

// Stores the kept results in order; each one stored (or found stored
// before, or set aside for a seal that does not match) leaves the file. Stops at the first that
// cannot be stored (the database is still away) and keeps it and the rest. Returns how many left
// the file. Nothing is shown.
int Flush(CDaoDatabase& db);

} // namespace PendingResults
