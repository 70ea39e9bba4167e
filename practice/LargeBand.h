#pragma once

#include "practice/StartCard.h"

#include <QList>
#include <QString>
#include <QStringList>

struct CAttempt;
struct CAttemptSummary;
struct CPracticeScreen;

// The words of the large practice screen: its card before the start, its
// figures while typing and its result at the end.
namespace LargeBand {

// What is about to start: the text and its screen, or the exam with its
// time limit, Backspace and retake rules.
CStartCard Card(const CPracticeScreen& screen, int screenCount);

// The figures of a practice: speed in the kind's unit over speedMs,
// accuracy, 击键 over the time used and that time, or the time left when
// there is a limit (limitSeconds > 0). keyPresses < 0: the platform does
// not show them.
QStringList Figures(int kind, int correct, int typed, qint64 elapsedMs, qint64 speedMs,
                    qint64 keyPresses, int limitSeconds);

// The pupil's best and last of the kind beside this attempt, from the
// stored attempts (newest first, this one among them when stored).
QString Comparison(int kind, const QList<CAttemptSummary>& attempts, bool bThisOneStored);

} // namespace LargeBand
