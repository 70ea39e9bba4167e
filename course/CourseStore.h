#pragma once

#include "attempts/Metrics.h"
#include "course/CourseRules.h"
#include "users/Pupil.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class CDaoDatabase;
struct CDatabaseSteps;

// The course's own rows beside the lessons typed (attempts/
// LessonAttemptStore): a class's thresholds, and a class's standing read
// by the pupils' keys. All throw CDaoException.

// A finished lesson as it was judged and kept: its stars and passing
// against the class's thresholds, whether it was stored (only for a pupil
// logged in to an account of their own) and whether the next lesson is open.
// An assignment's own targets for the lessons it sets: a lesson started
// from it shows and judges them instead of the course's (the course's
// stars and unlocking stay the course's).
struct CLessonGoal
{
    QString strTitle;
    int nLessonFrom = 0;
    int nLessonTo = 0;
    double dKeysPerMinute = 0; // keys typed right a minute
    int nAccuracy = 0;         // per cent of the keys typed

    bool Covers(int lesson) const { return lesson >= nLessonFrom && lesson <= nLessonTo; }
    // As the assignment judges a lesson's try.
    bool IsMet(const CLessonAttempt& attempt) const
    {
        return Metrics::MeetsTarget(attempt.KeysPerMinute(), attempt.Accuracy(), dKeysPerMinute,
                                    nAccuracy);
    }
};

struct CLessonRecord
{
    CLessonAttempt attempt;
    CLessonTargets targets;
    std::optional<CLessonGoal> goal; // the assignment the lesson was started from
    bool bStored = false;
    bool bNextOpen = false;
    bool bLastLesson = false;
    // A lesson typed by codes: the items still weak at its end, and those
    // typed with a longer code than their shortest.
    QStringList weakItems;
    QStringList longerCodes;
    // The 码长 of typing the words of a 词组 lesson one character at a
    // time (each character's pinyin and Space), to compare; 0 for none.
    double dCharacterByCharacter = 0;
};

namespace CourseStore {

// The class's thresholds; the defaults when its teacher set none.
CClassThresholds LoadThresholds(CDaoDatabase& db, const QString& className);
void SaveThresholds(CDaoDatabase& db, const QString& className, const CClassThresholds& thresholds);

// One pupil's standing in a course, as the teacher's view lists it.
struct CPupilCourse
{
    CPupil pupil;
    int nReached = 0; // CourseRules::Reached
    int nPassed = 0;  // lessons passed
    int nStars = 0;   // the best stars of every lesson, added up
    int nAttempts = 0;
    QDateTime lastAt; // invalid when the pupil typed no lesson yet
};

// Judges attempt (setting its stars and passing), keeps it for a logged-in
// pupil and tells whether the next lesson is open. Without db, or for
// anyone without an account of their own, nothing is stored and every
// lesson stays open to try.
CLessonRecord RecordLesson(CDaoDatabase* db, const CCourse& course, const CLessonAttempt& attempt,
                           bool bOwnAccount);

// Every pupil of the class in student-number order, those who typed no
// lesson included.
QList<CPupilCourse> LoadClassProgress(CDaoDatabase& db, const QString& className,
                                      const CCourse& course);

// A lab's server judges the lessons its pupils store by the lessons the
// program has (their keys and targets, the course's star levels): the
// owner's setup commands write them there. Nothing to do in a file.
// Throws CDaoException.
void WriteServerLessons(CDaoDatabase& db);

// Adds to steps where the server's copy of the lessons is written: when
// version 11 makes its tables, again with their units at 13, and at every
// administrator's refresh.
void AddServerLessonSteps(CDatabaseSteps& steps);

} // namespace CourseStore
