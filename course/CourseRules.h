#pragma once

#include "attempts/LessonAttempt.h"
#include "course/CoursePlan.h"

#include <QDateTime>
#include <QList>

// What a lesson asks of a class, its stars, and which lessons are open.

// A class's own thresholds, set by its teacher: nAccuracy 0 keeps each
// lesson's own accuracy target, the speed asked is nSpeedPercent of each
// lesson's, and bAllOpen opens every lesson.
struct CClassThresholds
{
    int nAccuracy = 0;
    int nSpeedPercent = 100;
    bool bAllOpen = false;

    bool operator==(const CClassThresholds&) const = default;
};

// A pupil's standing in one lesson.
struct CLessonProgress
{
    int nAttempts = 0;
    int nBestStars = 0;
    bool bPassed = false;
    QDateTime lastAt;
};

namespace CourseRules {

// The limits a teacher may set, so that a slip of the keyboard cannot close
// the course or open it by a target of nothing.
constexpr int MinAccuracy = 50;
constexpr int MaxAccuracy = 100;
constexpr int MinSpeedPercent = 25;
constexpr int MaxSpeedPercent = 300;

CLessonTargets Targets(const CLesson& lesson, const CClassThresholds& thresholds);
bool Passes(const CLessonTargets& targets, int accuracy, double keysPerMinute);
// 0 when the targets were not reached; 1 at the targets, 2 and 3 at the
// course's higher levels (never below the targets).
int Stars(const CCourse& course, const CLessonTargets& targets, int accuracy, double keysPerMinute);

// Each lesson's standing from the pupil's attempts: a lesson is passed when
// one attempt passed when it was typed or reaches today's targets.
QList<CLessonProgress> Progress(const CCourse& course, const QList<CLessonAttempt>& attempts,
                                const CClassThresholds& thresholds);
// Lesson 1 is always open; lesson n when lesson n - 1 is passed, or when the
// class has every lesson open.
bool IsOpen(int lesson, const QList<CLessonProgress>& progress, const CClassThresholds& thresholds);
// Where the pupil has got to: the lesson after the last one passed (the
// last lesson when it is passed, lesson 1 when none is), also in a class
// with every lesson open.
int Reached(const QList<CLessonProgress>& progress);

} // namespace CourseRules
