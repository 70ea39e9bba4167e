#include "monitor/AssignmentStore.h"

#include "attempts/Attempt.h"
#include "attempts/AttemptStore.h"
#include "attempts/ClassReport.h"
#include "attempts/Metrics.h"
#include "classroom/ClassTasks.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "platform/DaoTransaction.h"
#include "texts/Drill.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

const CClassTable AssignmentClasses{u"assignment_class"_s, u"assignment_id"_s};

const QString AssignmentColumns =
    u"SELECT a.id, a.title, a.task, a.course, a.lesson_from, a.lesson_to, a.text_id, a.screen, "
    "a.kind, a.min_speed, a.min_accuracy, a.passes, a.starts_on, a.due_on, a.created_at, "
    "COALESCE(t.title, '') FROM assignment a LEFT JOIN practice_text t ON t.id = a.text_id "_s;

CAssignment ReadAssignment(const QSqlQuery& query)
{
    CAssignment assignment;
    assignment.nId = query.value(0).toLongLong();
    assignment.strTitle = query.value(1).toString();
    assignment.nTask = query.value(2).toInt();
    assignment.strCourse = query.value(3).toString();
    assignment.nLessonFrom = query.value(4).toInt();
    assignment.nLessonTo = query.value(5).toInt();
    assignment.nTextId = query.value(6).toLongLong();
    assignment.nScreen = query.value(7).toInt();
    assignment.nKind = query.value(8).toInt();
    assignment.dMinSpeed = query.value(9).toDouble();
    assignment.nMinAccuracy = query.value(10).toInt();
    assignment.nPasses = query.value(11).toInt();
    assignment.startsOn = query.value(12).toDate();
    assignment.dueOn = query.value(13).toDate();
    assignment.createdAt = ParseStoredDateTime(query.value(14));
    assignment.strTextTitle = query.value(15).toString();
    return assignment;
}

QList<CAssignment> Assignments(CDaoDatabase& db, const QString& sql, const QVariant& bound = {})
{
    QList<CAssignment> assignments;
    {
        QSqlQuery query(db.Connection());
        Select(query, sql);
        if (bound.isValid())
            query.addBindValue(bound);
        Exec(query);
        while (query.next())
            assignments.append(ReadAssignment(query));
        CheckRead(query);
    }
    ClassTasks::ReadClasses(db, AssignmentClasses, assignments);
    return assignments;
}

// Whose attempts are read: a class's pupils (by their class now, as the
// class report reads them) or one pupil's.
struct CWho
{
    QString strClass;
    qint64 nUserKey = 0;
};

// The attempts that may count for the assignment since its start day, by
// pupil: those the server scored (every one in a file). A practice's come
// without the exams' sittings.
QHash<qint64, QList<CAssignmentTry>> LoadTries(CDaoDatabase& db, const CAssignment& assignment,
                                               const CWho& who)
{
    const bool bClass = who.nUserKey == 0;
    // The class's few pupils first, then each one's range of an index
    // (CROSS JOIN keeps SQLite to that order instead of scanning every
    // attempt).
    const QString pupils = bClass ? u"\"user\" u CROSS JOIN "_s : QString();
    const QString whose =
        bClass ? u"a.user_key = u.qe_key AND COALESCE(u.class, '') = ?"_s : u"a.user_key = ?"_s;
    QString sql;
    QVariantList values;
    switch (assignment.nTask) {
    case AssignmentTask::Lessons:
        sql = u"SELECT a.user_key, a.started_at, a.elapsed_ms, a.keystrokes, a.correct_keys, "
              "a.lesson FROM "_s +
              pupils + u"lesson_attempt a WHERE "_s + whose +
              u" AND a.course = ? AND a.lesson >= ? AND a.lesson <= ? AND a.checked = 1 "
              "AND a.started_at >= ?"_s;
        values = {assignment.strCourse, assignment.nLessonFrom, assignment.nLessonTo};
        break;
    case AssignmentTask::TextScreen:
        // From the screen's own attempts, fewer than a class's since its
        // start; materialised, so that neither engine begins with the class.
        sql = u"WITH screen AS MATERIALIZED (SELECT attempt_id FROM attempt_text "
              "WHERE text_id = ? AND screen = ? AND exam_id IS NULL) "
              "SELECT a.user_key, a.started_at, a.elapsed_ms, a.typed_units, a.correct_units, "
              "0, a.end_reason, a.kind FROM screen s CROSS JOIN attempt a "_s +
              (bClass ? u"CROSS JOIN \"user\" u "_s : QString()) +
              u"WHERE a.id = s.attempt_id AND "_s + whose +
              u" AND a.checked = 1 AND a.started_at >= ?"_s;
        values = {assignment.nTextId, assignment.nScreen};
        break;
    default:
        sql = u"SELECT a.user_key, a.started_at, a.elapsed_ms, a.typed_units, a.correct_units, "
              "0, a.end_reason, a.kind FROM "_s +
              pupils + u"attempt a WHERE "_s + whose +
              u" AND a.kind = ? AND a.text_file = ? AND a.checked = 1 AND a.started_at >= ? "
              "AND NOT EXISTS "
              "(SELECT 1 FROM attempt_text s WHERE s.attempt_id = a.id)"_s;
        values = {assignment.nKind, Drill::Title};
        break;
    }
    const QVariant whom = bClass ? QVariant(who.strClass) : QVariant(who.nUserKey);
    if (assignment.nTask == AssignmentTask::TextScreen)
        values.append(whom);
    else
        values.prepend(whom);
    values.append(StoredDateTime(assignment.startsOn.startOfDay()));

    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, sql);
    for (const QVariant& value : std::as_const(values))
        query.addBindValue(value);
    Exec(query);
    QHash<qint64, QList<CAssignmentTry>> tries;
    const bool bLessons = assignment.nTask == AssignmentTask::Lessons;
    while (query.next()) {
        CAssignmentTry& attempt = tries[query.value(0).toLongLong()].emplace_back();
        attempt.startedAt = ParseStoredDateTime(query.value(1));
        const qint64 elapsed = query.value(2).toLongLong();
        const int typed = query.value(3).toInt();
        const int correct = query.value(4).toInt();
        attempt.nLesson = query.value(5).toInt();
        attempt.nAccuracy = Metrics::Accuracy(correct, typed);
        if (bLessons) {
            attempt.dSpeed = Metrics::UnitsPerMinute(correct, elapsed);
        } else {
            attempt.dSpeed = Metrics::KindSpeed(query.value(7).toInt(), correct, elapsed).dValue;
            attempt.bLongEnough =
                Metrics::CountsForBest(elapsed, query.value(6).toInt() == EndReason::EndOfScreen);
        }
    }
    CheckRead(query);
    return tries;
}

} // namespace

namespace AssignmentStore {

QList<CAssignment> LoadAssignments(CDaoDatabase& db)
{
    return Assignments(db, AssignmentColumns + u"ORDER BY a.id DESC"_s);
}

std::optional<CAssignment> LoadAssignment(CDaoDatabase& db, qint64 id)
{
    const QList<CAssignment> found = Assignments(db, AssignmentColumns + u"WHERE a.id = ?"_s, id);
    if (found.isEmpty())
        return std::nullopt;
    return found.constFirst();
}

QList<CAssignment> AssignmentsOf(CDaoDatabase& db, const QString& className)
{
    return Assignments(db,
                       AssignmentColumns +
                           u"WHERE a.id IN (SELECT assignment_id FROM assignment_class "
                           "WHERE class_name = ?) ORDER BY a.due_on DESC, a.id DESC"_s,
                       className);
}

qint64 SaveAssignment(CDaoDatabase& db, const CAssignment& assignment)
{
    CDaoTransaction transaction(db);
    const bool bText = assignment.nTask == AssignmentTask::TextScreen;
    const QVariantList values{assignment.strTitle, assignment.nTask,
                              // never NULL: empty for the tasks of no course
                              assignment.strCourse.isEmpty() ? u""_s : assignment.strCourse,
                              assignment.nLessonFrom, assignment.nLessonTo,
                              bText ? QVariant(assignment.nTextId) : QVariant(), assignment.nScreen,
                              assignment.nKind, assignment.dMinSpeed, assignment.nMinAccuracy,
                              qMax(assignment.nPasses, 1), assignment.startsOn, assignment.dueOn};
    qint64 id = assignment.nId;
    if (id == 0) {
        QVariantList inserted = values;
        inserted.append(StoredDateTime(Platform().CurrentDateTime()));
        QSqlQuery query(db.Connection());
        Prepare(query,
                u"INSERT INTO assignment (title, task, course, lesson_from, lesson_to, "
                "text_id, screen, kind, min_speed, min_accuracy, passes, starts_on, due_on, "
                "created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"_s);
        for (const QVariant& value : std::as_const(inserted))
            query.addBindValue(value);
        Exec(query);
        NextRow(query);
        id = query.value(0).toLongLong();
    } else {
        QVariantList updated = values;
        updated.append(id);
        Run(db,
            u"UPDATE assignment SET title = ?, task = ?, course = ?, lesson_from = ?, "
            "lesson_to = ?, text_id = ?, screen = ?, kind = ?, min_speed = ?, "
            "min_accuracy = ?, passes = ?, starts_on = ?, due_on = ? WHERE id = ?"_s,
            updated);
    }
    ClassTasks::SetClasses(db, AssignmentClasses, id, assignment.classes);
    transaction.Commit();
    return id;
}

void DeleteAssignment(CDaoDatabase& db, qint64 id)
{
    Run(db, u"DELETE FROM assignment WHERE id = ?"_s, {id});
}

QList<CAssignmentRow> LoadReport(CDaoDatabase& db, const CAssignment& assignment,
                                 const QString& className, const QDate& today)
{
    const QHash<qint64, QList<CAssignmentTry>> tries =
        LoadTries(db, assignment, CWho{className, 0});
    QList<CAssignmentRow> rows;
    for (const CPupil& pupil : LoadPupils(db, className))
        rows.append({pupil, JudgeAssignment(assignment, tries.value(pupil.nKey), today)});
    return rows;
}

CAssignmentStatus OwnStatus(CDaoDatabase& db, const CAssignment& assignment, qint64 userKey,
                            const QDate& today)
{
    return JudgeAssignment(assignment, LoadTries(db, assignment, CWho{{}, userKey}).value(userKey),
                           today);
}

QList<CAssignmentEntry> OwnAssignments(CDaoDatabase& db, const QString& className, qint64 userKey,
                                       const QDate& today)
{
    QList<CAssignmentEntry> entries;
    for (const CAssignment& assignment : AssignmentsOf(db, className))
        entries.append({assignment, OwnStatus(db, assignment, userKey, today)});
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        if (a.IsDone() != b.IsDone())
            return !a.IsDone();
        return a.IsDone() ? a.assignment.dueOn > b.assignment.dueOn
                          : a.assignment.dueOn < b.assignment.dueOn;
    });
    return entries;
}

QStringList CompletedByNewest(CDaoDatabase& db, qint64 userKey, const QString& className)
{
    QSqlQuery newest(db.Connection());
    Select(newest, u"SELECT started_at FROM attempt WHERE user_key = ? "
                   "ORDER BY started_at DESC, id DESC LIMIT 1"_s);
    newest.addBindValue(userKey);
    Exec(newest);
    if (!newest.next())
        return {};
    const QDateTime startedAt = ParseStoredDateTime(newest.value(0));
    QStringList titles;
    for (const CAssignment& assignment : AssignmentsOf(db, className)) {
        const CAssignmentStatus status = OwnStatus(db, assignment, userKey, startedAt.date());
        if (status.state == CAssignmentStatus::Completed && status.completedAt == startedAt)
            titles.append(assignment.strTitle);
    }
    return titles;
}

} // namespace AssignmentStore
