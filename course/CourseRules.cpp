#include "course/CourseRules.h"

#include "attempts/Metrics.h"

#include <cmath>

namespace CourseRules {

CLessonTargets Targets(const CLesson& lesson, const CClassThresholds& thresholds)
{
    CLessonTargets targets = lesson.targets;
    if (thresholds.nAccuracy > 0)
        targets.nAccuracy = thresholds.nAccuracy;
    targets.nSpeed = int(std::lround(lesson.targets.nSpeed * thresholds.nSpeedPercent / 100.0));
    return targets;
}

bool Passes(const CLessonTargets& targets, int accuracy, double keysPerMinute)
{
    return Metrics::MeetsTarget(keysPerMinute, accuracy, targets.nSpeed, targets.nAccuracy);
}

int Stars(const CCourse& course, const CLessonTargets& targets, int accuracy, double keysPerMinute)
{
    return Metrics::LessonStars(accuracy, keysPerMinute, targets.nAccuracy, targets.nSpeed,
                                course.twoStars, course.threeStars);
}

QList<CLessonProgress> Progress(const CCourse& course, const QList<CLessonAttempt>& attempts,
                                const CClassThresholds& thresholds)
{
    QList<CLessonProgress> progress(course.lessons.size());
    for (const CLessonAttempt& attempt : attempts) {
        const CLesson* lesson = course.Lesson(attempt.nLesson);
        if (!lesson)
            continue;
        CLessonProgress& entry = progress[attempt.nLesson - 1];
        const CLessonTargets targets = Targets(*lesson, thresholds);
        const int stars = qMax(attempt.nStars,
                               Stars(course, targets, attempt.Accuracy(), attempt.KeysPerMinute()));
        ++entry.nAttempts;
        entry.nBestStars = qMax(entry.nBestStars, stars);
        entry.bPassed = entry.bPassed || attempt.bPassed || stars > 0;
        if (!entry.lastAt.isValid() || attempt.startedAt > entry.lastAt)
            entry.lastAt = attempt.startedAt;
    }
    return progress;
}

bool IsOpen(int lesson, const QList<CLessonProgress>& progress, const CClassThresholds& thresholds)
{
    if (lesson < 1 || lesson > progress.size())
        return false;
    return lesson == 1 || thresholds.bAllOpen || progress[lesson - 2].bPassed;
}

int Reached(const QList<CLessonProgress>& progress)
{
    // The lesson after the last one passed: in a class with every lesson
    // open a pupil may pass lesson 7 before lesson 1.
    int reached = progress.isEmpty() ? 0 : 1;
    for (int lesson = 1; lesson <= progress.size(); ++lesson) {
        if (progress[lesson - 1].bPassed)
            reached = qMin(lesson + 1, int(progress.size()));
    }
    return reached;
}

} // namespace CourseRules
