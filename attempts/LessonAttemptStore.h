#pragma once

#include "attempts/LessonAttempt.h"
#include "attempts/Progress.h"

#include <QList>
#include <QString>

class CDaoDatabase;

// The lessons of the typing course a pupil finished, kept apart from the
// score table and its attempts; every statement names the pupil by the key
// of their user row. All throw CDaoException.
namespace LessonAttemptStore {

// Stores attempt with its misses in one transaction; returns its id. A
// pupil's session on a server asks the server, which takes the lesson's
// keys, stars and whether it passed from its own rules and the times from
// its clock: attempt receives the stars and the pass it stored.
qint64 Store(CDaoDatabase& db, CLessonAttempt& attempt);

// The lessons of course the pupil finished, oldest first, without misses.
QList<CLessonAttempt> Load(CDaoDatabase& db, qint64 userKey, const QString& course);

// The lessons of every course for 我的练习记录, newest first, as attempts of
// the kind PracticeKind::Lesson whose label names the course and lesson.
QList<CAttemptSummary> Summaries(CDaoDatabase& db, qint64 userKey);

// The keys the pupil missed most over all lessons, as TopMistakes counts
// the cells of the practices.
QList<CMistakeCount> TopMisses(CDaoDatabase& db, qint64 userKey, int limit = 20);

// The lessons finished by the pupils of a class, read by the pupils' keys:
// each pupil's rows of course, oldest first.
QList<CLessonAttempt> LoadClass(CDaoDatabase& db, const QString& className, const QString& course);

} // namespace LessonAttemptStore
