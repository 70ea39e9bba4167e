#pragma once

#include "attempts/ExamSitting.h"

#include <QList>
#include <QString>
#include <QStringList>

class CDaoDatabase;

// Exam results kept on the pupil's machine while the database is away, in a
// small file in the working directory, until they are stored. The file
// holds what was typed, not figures: the database scores a kept result as
// it scores any other, so that editing the file gains nothing. The file is
// replaced whole (never left half written) and locked against a second
// program in the same directory; each result is stored once, by its
// sitting's uid, however often the storing is tried. A result the database
// refuses is set aside, unstored, in a second file, and the database keeps
// the refusal for the teacher.
namespace PendingResults {

// The file's name in the working directory.
QString FileName();
// The file of the results set aside.
QString RefusedFileName();

// Adds result to the file. False, with the reason in Chinese in *error,
// when it cannot be written.
bool Keep(const CSittingResult& result, QString* error = nullptr);

// Takes the result of the sitting with that uid out of the file: the
// database decided on it. A file that cannot be changed keeps it, and
// storing it again finds it stored. Safe on any thread.
void Forget(const QString& uid);

// The results kept; an unreadable file gives none and the reason in *error.
QList<CSittingResult> Load(QString* error = nullptr);

// Whether a result of exam by the user with key userKey is kept.
bool HasSitting(qint64 examId, qint64 userKey);

// Stores the kept results of the pupil with key userKey in order (the
// others' wait for their own login); each one stored (or found stored
// before, or refused) leaves the file; one whose sitting is another
// account's goes back to that account (its refusal kept for the teacher). Stops at the first that
// cannot be stored (the database is still away) and keeps it and the rest. Returns how many left
// the file; the reasons of those refused go to *pRefusals. Nothing is shown. Safe on any thread.
int Flush(CDaoDatabase& db, qint64 userKey, QStringList* pRefusals = nullptr);

} // namespace PendingResults
