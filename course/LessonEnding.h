#pragma once

#include "attempts/LessonAttempt.h"
#include "attempts/LiveProgress.h"
#include "course/CoursePlan.h"
#include "course/CourseStore.h"
#include "platform/KeyPressCounter.h"

#include <QDateTime>

class QWidget;

// What every lesson screen does at the end of a lesson, whatever it
// counts: the attempt of the user logged in, kept for a pupil's own
// account, and its result; and what the live view is told meanwhile.
namespace LessonEnding {

// The current user's attempt at a lesson, ending now: its time, and the
// keys pressed since keysAtStart where they are counted. The figures of
// the typing are the caller's.
CLessonAttempt NewAttempt(const CCourse& course, int lesson, qint64 elapsedMs,
                          const QDateTime& startedAt, const CKeyCounts& keysAtStart);
// Keeps the attempt when it is a pupil's own; a database error is shown,
// and then the next lesson does not open.
CLessonRecord Keep(const CCourse& course, const CLessonAttempt& attempt);
// Shows the result; returns the pupil's choice (CLessonResultDlg::Next,
// ::Again, or leaving).
int ShowResult(const CCourse& course, const CLessonRecord& record, QWidget* parent);
// The live view's report of a lesson running (endReason 0) or ended.
LiveProgress::CReport Report(const CCourse& course, int lesson, int screenUnits, int typedUnits,
                             int correctUnits, qint64 elapsedMs, qint64 idleMs, int endReason);

} // namespace LessonEnding
