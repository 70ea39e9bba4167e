#pragma once

#include "attempts/ExamScoring.h"
#include "attempts/KeyDetail.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class CDaoDatabase;

// One pupil's sitting of an exam, as the pupil's program knows it once the
// database recorded its start. The uid names the sitting everywhere, so that
// its result is stored exactly once however often the store is tried.
struct CExamSitting
{
    QString strUid;
    qint64 nExamId = 0;
    qint64 nUserKey = 0;
    QDateTime startedAt; // on the database's clock
    // Of a competition, its time gone before this pupil started: a pupil
    // who comes late has the time that is left.
    qint64 nGoneMs = 0;
    // The exam as it started: its title, kind and time allowed, and its
    // screen as it is scored: cells in reading order (GBK in hex) and the
    // same cells as text.
    QString strTitle;
    int nKind = 0;
    int nMinutes = 0;
    QStringList screenCells;
    QStringList screenTexts;
};

// What the pupil's program sends at a sitting's end: what was typed, and
// what only the program saw. The figures are the database's to compute.
struct CSittingResult
{
    QString strUid;
    qint64 nExamId = 0;
    qint64 nUserKey = 0;
    QStringList typedCells; // up to the typing position; "" for a cell passed over
    QStringList typedTexts;
    int nBackspaces = 0;
    int nEndReason = 0;
    int nFocusLosses = 0;
    int nKeyMedianMs = 0;
    int nKeySpreadMs = 0;
    int nKeyPresses = -1; // as CAttempt's: -1 where they are not known
    int nBackspacePresses = -1;
    // What the keys behind it tell, stored beside the sitting's attempt; a
    // result kept on the machine keeps none.
    CKeyDetail detail;
};

struct CSittingOutcome
{
    // Anothers: the sitting is another account's (a kept result whose
    // account was changed on the machine); the teacher sees the refusal.
    enum Kind { Stored, StoredBefore, Refused, Anothers };

    Kind kind = Refused;
    QString strReason;    // why it was refused; the teacher sees it too
    qint64 nOwnerKey = 0; // Anothers: the account whose sitting it is
    ExamScoring::CFigures figures;
};

// The start of a sitting or why there is none.
// The clock sittings start on: the server's, or the program's for a
// database file. Throws CDaoException.
QDateTime DatabaseNow(CDaoDatabase& db);

struct CSittingStart
{
    std::optional<CExamSitting> sitting;
    QString strRefusal; // in Chinese, for the pupil
    // A competition not started yet: the milliseconds to its start on the
    // database's clock, or -1 while no teacher has started it.
    std::optional<qint64> waitMs;
};

// A program waiting on a competition asks again after this long: each
// second, and at the start itself, so that every waiting program starts at
// the moment the database's clock names.
inline qint64 NextStartAskMs(qint64 waitMs)
{
    constexpr qint64 PollMs = 1000;
    return waitMs < 0 ? PollMs : qMin(waitMs, PollMs);
}

// Records the start of a sitting of exam by the signed-in pupil (the user
// row userKey) on the database's clock, in one transaction with its checks:
// the exam is open and set for the pupil's class, the pupil sits nowhere
// else at the moment, and a pupil who sat it already may only with retakes.
// A sitting left running past its time counts as sat (中断). A start under
// the uid of one that is still running (its answer came too late for the
// program) is that sitting again. Throws CDaoException when the database
// fails.
CSittingStart StartSitting(CDaoDatabase& db, qint64 examId, qint64 userKey,
                           const QString& uid = {});

// Stores a sitting's result, scored by the database from what was typed and
// timed on its clock; a result already stored is left as it is. A result
// that cannot be scored is refused, and the refusal kept for the teacher.
// The sitting of another account is refused as Anothers, naming that
// account. Throws CDaoException when the database fails (the result is then
// kept on the machine).
CSittingOutcome FinishSitting(CDaoDatabase& db, const CSittingResult& result);

// Keeps for the teacher that a result kept on the machine could not be
// scored, with the reason. Throws CDaoException.
void RefuseKeptResult(CDaoDatabase& db, const CSittingResult& result, const QString& reason);

// Cells joined as the database keeps them, and split again.
QString JoinCells(const QStringList& cells);
QStringList SplitCells(const QString& joined);
// The texts of a screen's cells as the exam keeps them (a JSON array).
QStringList TextsFromJson(const QString& json);
