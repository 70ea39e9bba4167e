#include "course/CourseStore.h"

#include "attempts/ClassReport.h"
#include "attempts/LessonAttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "users/DatabaseSteps.h"

#include <QHash>
#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace CourseStore {

CClassThresholds LoadThresholds(CDaoDatabase& db, const QString& className)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT accuracy, speed_percent, all_open FROM course_class "
                  "WHERE class_name = ?"_s);
    query.addBindValue(className);
    Exec(query);
    CClassThresholds thresholds;
    if (query.next()) {
        thresholds.nAccuracy = query.value(0).toInt();
        thresholds.nSpeedPercent = query.value(1).toInt();
        thresholds.bAllOpen = query.value(2).toInt() != 0;
    }
    CheckRead(query);
    return thresholds;
}

void SaveThresholds(CDaoDatabase& db, const QString& className, const CClassThresholds& thresholds)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"INSERT INTO course_class (class_name, accuracy, speed_percent, all_open) "
                   "VALUES (?, ?, ?, ?) ON CONFLICT (class_name) DO UPDATE SET "
                   "accuracy = excluded.accuracy, speed_percent = excluded.speed_percent, "
                   "all_open = excluded.all_open"_s);
    query.addBindValue(className);
    query.addBindValue(thresholds.nAccuracy);
    query.addBindValue(thresholds.nSpeedPercent);
    query.addBindValue(thresholds.bAllOpen ? 1 : 0);
    Exec(query);
}

void WriteServerLessons(CDaoDatabase& db)
{
    if (!db.IsPostgres())
        return;
    QSqlQuery clear(db.Connection());
    Prepare(clear, u"DELETE FROM course_lesson"_s);
    Exec(clear);
    Prepare(clear, u"DELETE FROM course_stars"_s);
    Exec(clear);
    // A database of before version 13 keeps no unit.
    const bool units = db.Connection().record(u"course_lesson"_s).contains(u"unit"_s);
    QSqlQuery lesson(db.Connection());
    Prepare(lesson, units ? u"INSERT INTO course_lesson (course, lesson, keys, accuracy, speed, "
                            "unit) VALUES (?, ?, ?, ?, ?, ?)"_s
                          : u"INSERT INTO course_lesson (course, lesson, keys, accuracy, speed) "
                            "VALUES (?, ?, ?, ?, ?)"_s);
    QSqlQuery stars(db.Connection());
    Prepare(stars, u"INSERT INTO course_stars (course, two_accuracy, two_speed_factor, "
                   "three_accuracy, three_speed_factor) VALUES (?, ?, ?, ?, ?)"_s);
    for (const QString& id : CoursePlan::CourseIds()) {
        const CCourse& course = CoursePlan::Course(id);
        for (const CLesson& entry : course.lessons) {
            for (const QVariant& value :
                 QVariantList{id, entry.nNumber, entry.Keystrokes(), entry.targets.nAccuracy,
                              entry.targets.nSpeed})
                lesson.addBindValue(value);
            if (units)
                lesson.addBindValue(course.UnitOf(entry));
            Exec(lesson);
        }
        for (const QVariant& value :
             QVariantList{id, course.twoStars.nAccuracy, course.twoStars.dSpeedFactor,
                          course.threeStars.nAccuracy, course.threeStars.dSpeedFactor})
            stars.addBindValue(value);
        Exec(stars);
    }
}

CLessonRecord RecordLesson(CDaoDatabase* db, const CCourse& course, const CLessonAttempt& attempt,
                           bool bOwnAccount)
{
    CLessonRecord record;
    record.attempt = attempt;
    const CLesson* lesson = course.Lesson(attempt.nLesson);
    if (!lesson)
        return record;
    record.bLastLesson = attempt.nLesson == course.lessons.size();
    const bool bKeep = db && bOwnAccount && attempt.nUserKey != 0;
    const CClassThresholds thresholds =
        bKeep ? LoadThresholds(*db, attempt.strClass) : CClassThresholds();
    record.targets = CourseRules::Targets(*lesson, thresholds);
    record.attempt.nStars =
        CourseRules::Stars(course, record.targets, attempt.Accuracy(), attempt.KeysPerMinute());
    record.attempt.bPassed = record.attempt.nStars > 0;
    if (!bKeep) {
        record.bNextOpen = !record.bLastLesson;
        return record;
    }
    LessonAttemptStore::Store(*db, record.attempt);
    record.bStored = true;
    const QList<CLessonProgress> progress = CourseRules::Progress(
        course, LessonAttemptStore::Load(*db, attempt.nUserKey, course.strId), thresholds);
    record.bNextOpen = CourseRules::IsOpen(attempt.nLesson + 1, progress, thresholds);
    return record;
}

QList<CPupilCourse> LoadClassProgress(CDaoDatabase& db, const QString& className,
                                      const CCourse& course)
{
    const CClassThresholds thresholds = LoadThresholds(db, className);
    QHash<qint64, QList<CLessonAttempt>> byPupil;
    for (const CLessonAttempt& attempt : LessonAttemptStore::LoadClass(db, className, course.strId))
        byPupil[attempt.nUserKey].append(attempt);
    QList<CPupilCourse> rows;
    for (const CPupil& pupil : LoadPupils(db, className)) {
        const QList<CLessonAttempt> attempts = byPupil.value(pupil.nKey);
        const QList<CLessonProgress> progress = CourseRules::Progress(course, attempts, thresholds);
        CPupilCourse& row = rows.emplace_back();
        row.pupil = pupil;
        row.nReached = CourseRules::Reached(progress);
        row.nAttempts = int(attempts.size());
        for (const CLessonProgress& lesson : progress) {
            row.nPassed += lesson.bPassed ? 1 : 0;
            row.nStars += lesson.nBestStars;
            if (lesson.lastAt.isValid() && (!row.lastAt.isValid() || lesson.lastAt > row.lastAt))
                row.lastAt = lesson.lastAt;
        }
    }
    return rows;
}

void AddServerLessonSteps(CDatabaseSteps& steps)
{
    steps.versions.emplace_back(11, WriteServerLessons);
    steps.versions.emplace_back(13, WriteServerLessons);
    steps.refresh.push_back(WriteServerLessons);
}

} // namespace CourseStore
