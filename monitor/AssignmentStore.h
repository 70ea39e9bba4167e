#pragma once

#include "monitor/Assignment.h"
#include "users/Pupil.h"

#include <QList>
#include <optional>

class CDaoDatabase;

// An assignment of a pupil's class and where the pupil stands with it.
struct CAssignmentEntry
{
    CAssignment assignment;
    CAssignmentStatus status;

    bool IsDone() const { return status.state == CAssignmentStatus::Completed; }
    // Running on day today and not done yet.
    bool IsWorkOn(const QDate& today) const
    {
        return !IsDone() && assignment.startsOn <= today && today <= assignment.dueOn;
    }
};

// One pupil's line of an assignment's report.
struct CAssignmentRow
{
    CPupil pupil;
    CAssignmentStatus status;
};

// The assignments' storage and what the pupils did of them, read from the
// attempts and lessons typed. Every function throws CDaoException.
namespace AssignmentStore {

// Every assignment, newest first.
QList<CAssignment> LoadAssignments(CDaoDatabase& db);
std::optional<CAssignment> LoadAssignment(CDaoDatabase& db, qint64 id);
// The assignments of a class, the latest due first.
QList<CAssignment> AssignmentsOf(CDaoDatabase& db, const QString& className);
// Inserts a new assignment (nId 0) or replaces a stored one with its
// classes, in one transaction; returns its id.
qint64 SaveAssignment(CDaoDatabase& db, const CAssignment& assignment);
void DeleteAssignment(CDaoDatabase& db, qint64 id);

// Every pupil of the class in student-number order with their status on
// day today.
QList<CAssignmentRow> LoadReport(CDaoDatabase& db, const CAssignment& assignment,
                                 const QString& className, const QDate& today);
// The status of one pupil's own attempts.
CAssignmentStatus OwnStatus(CDaoDatabase& db, const CAssignment& assignment, qint64 userKey,
                            const QDate& today);
// The assignments of the pupil's class with the pupil's status on day
// today, those still to do first, the nearest due day first.
QList<CAssignmentEntry> OwnAssignments(CDaoDatabase& db, const QString& className, qint64 userKey,
                                       const QDate& today);
// The titles of the class's assignments that the pupil's newest stored
// practice completed: its try was the one that made each done. The time
// is the database's: a server keeps its own.
QStringList CompletedByNewest(CDaoDatabase& db, qint64 userKey, const QString& className);

} // namespace AssignmentStore
