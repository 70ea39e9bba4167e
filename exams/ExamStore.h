#pragma once

#include "attempts/CompetitionRules.h"
#include "attempts/Grades.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CDaoDatabase;

// A timed exam on one screen of a library text, for some classes.
struct CExam
{
    qint64 nId = 0; // 0: not stored yet
    QString strTitle;
    qint64 nTextId = 0;
    int nScreen = 1;
    int nMinutes = 5;
    bool bBackspaceAllowed = true;
    bool bRetakeAllowed = false;
    bool bOpen = false;
    QStringList classes;
    QDateTime createdAt;
    // Read with the exam: its text's title and kind.
    QString strTextTitle;
    int nKind = 0;
    // A competition (比赛) is an exam its pupils start together.
    std::optional<CCompetitionSettings> competition;
};

// One pupil's line of an exam's results.
struct CExamResultRow
{
    // Interrupted (中断): a sitting that ended without a result, its program
    // stopped before the time was over.
    enum State { NotStarted, Running, Interrupted, Finished };

    qint64 nUserKey = 0;
    QString strName;
    QString strClass;
    QString strStudentNo;
    State state = NotStarted;
    int nSittings = 0;
    // Of the latest finished sitting:
    int nKind = 0;
    qint64 nElapsedMs = 0;
    int nTypedUnits = 0;
    int nCorrectUnits = 0;
    int nEndReason = 0;
    int nFocusLosses = 0;
    qint64 nSpeedMs = 0;   // what the speed is measured over
    bool bLate = false;    // stored after the time allowed (补交)
    bool bFlagged = false; // implausibly fast or regular, for the teacher's eyes
    QString strFlagReason; // why, as the database found it
    int nKeyPresses = -1;  // physical key presses; -1 where not known
    QString strRefusal;    // why a result of the pupil's could not be stored
    // Of a finished result of a practice kind, by its class's rule.
    std::optional<Grade> grade;
    // Of a finished result of a competition: its score by the
    // competition's rule, and its place.
    double dScore = 0;
    std::optional<CompetitionRules::CPlace> place;

    // Over the time the exam's speed is measured over, in the kind's unit.
    double Speed() const;
    int Accuracy() const;
};

// The exams' storage. Every function throws CDaoException.
namespace ExamStore {

// Every exam, newest first.
QList<CExam> LoadExams(CDaoDatabase& db);
std::optional<CExam> LoadExam(CDaoDatabase& db, qint64 id);
// Inserts a new exam (nId 0) or replaces a stored one with its classes, in
// one transaction; returns its id. The exam keeps the screen of its text
// that its results are scored against.
qint64 SaveExam(CDaoDatabase& db, const CExam& exam);
// Gives the exams of an older database the screens they are scored against
// (an upgrade step).
void FillMissingScreens(CDaoDatabase& db);
void SetOpen(CDaoDatabase& db, qint64 id, bool bOpen);
// Ends the exam for everybody now: each running sitting ends at its
// program's next report, as if the time were up, and the exam closes.
void EndForEverybody(CDaoDatabase& db, qint64 id);
// The exam with its classes and sittings.
void DeleteExam(CDaoDatabase& db, qint64 id);
// How many sittings the exam has.
int CountSittings(CDaoDatabase& db, qint64 id);
// How many sittings of the exam the pupil with key userKey has begun.
int CountOwnSittings(CDaoDatabase& db, qint64 id, qint64 userKey);
// Whether the pupil with key userKey may begin a sitting of exam: one that
// allows retakes, or one the pupil has no sitting of (here or kept on this
// machine). The start itself is checked by the database.
bool CanSit(CDaoDatabase& db, const CExam& exam, qint64 userKey);
// The open exams the class takes, newest first.
QList<CExam> OpenExamsOf(CDaoDatabase& db, const QString& className);
// The classes of the pupils, in the class report's order, without the empty one.
QStringList LoadClasses(CDaoDatabase& db);
// One row per pupil of the exam's classes, and per pupil of another class
// who sat it, by class and name.
QList<CExamResultRow> LoadResults(CDaoDatabase& db, const CExam& exam);

} // namespace ExamStore
