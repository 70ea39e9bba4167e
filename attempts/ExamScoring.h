#pragma once

#include "attempts/Attempt.h"
#include "attempts/Metrics.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The one definition of an exam sitting's figures, from what was typed
// against the exam's screen and the time the database measured. A server
// database computes the same in its own function (qe_finish_sitting); a
// database file is scored here.
//
// Cells are in reading order, each the GBK bytes of the cell in hex; a
// typed cell that was passed over (a lone half-width character in a
// Chinese row) is empty and not counted. The speed is measured over the
// time allowed, unless the whole screen was typed before it (then over the
// time used), so that stopping early earns nothing; a result that arrives
// more than LateGraceMs after the time allowed is late (补交) and measured
// over the time allowed.
namespace ExamScoring {

constexpr qint64 LateGraceMs = 30000;

struct CFigures
{
    int nTyped = 0;
    int nCorrect = 0;
    qint64 nUsedMs = 0;  // the time used, at most the time allowed
    qint64 nSpeedMs = 0; // the time the speed is measured over
    bool bLate = false;
    bool bFlagged = false; // faster than a person types, or machine-regular keys
    QString strFlagReason; // why it is flagged (可疑), for the teacher
    QList<CMistake> mistakes;

    // The described score row: whole seconds, whole units per second, the
    // truncated accuracy.
    int Seconds() const { return int(nUsedMs / 1000); }
    int ScoreSpeed() const { return Metrics::ScoreSpeed(nCorrect, Seconds()); }
};

// The time an exam's speed is measured over: the time used when the whole
// screen was typed in time, else the time allowed. The screen's figures
// while typing use it too (whole = false), so that the speed a pupil
// watches grows into the one the result gives.
qint64 SpeedMs(qint64 usedMs, qint64 limitMs, bool bWholeInTime);

CFigures Score(const QStringList& expected, const QStringList& expectedTexts,
               const QStringList& typed, const QStringList& typedTexts, int kind, qint64 limitMs,
               qint64 serverMs, int keyMedianMs, int keySpreadMs);

// Why a result is refused (more cells typed than the screen has); empty
// when it can be scored.
QString Refusal(const QStringList& expected, const QStringList& typed,
                const QStringList& typedTexts);

} // namespace ExamScoring
