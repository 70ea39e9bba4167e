#pragma once

#include "attempts/KeyDetail.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// How a practice ended. The set stays open: later ways to end take the next
// numbers, and stored numbers never change their meaning.
namespace EndReason {
enum : int {
    Escape = 1,      // Esc, confirmed
    EndOfScreen = 2, // the last cell of the screen was typed
    TimeLimit = 3,   // the time allowed ran out
    Left = 4,        // the pupil left a running exam for another command
};
}

// One mistyped cell: its place on the screen (row × cells of a row +
// column), the practice text there and what was typed instead.
struct CMistake
{
    int nPosition = 0;
    QString strExpected;
    QString strTyped;

    bool operator==(const CMistake&) const = default;
};

// Everything known of one finished practice, stored beside its score row.
struct CAttempt
{
    qint64 nUserKey = 0; // the hidden key of the pupil's own user row
    QString strUserName;
    QString strClass;
    QString strStudentNo;
    int nKind = 0; // PracticeKind
    QString strTextFile;
    QString strTextHash; // SHA-256 of the screenful's bytes, in hex
    QDateTime startedAt;
    QDateTime endedAt;
    qint64 nElapsedMs = 0; // from the monotonic clock
    int nTypedUnits = 0;
    int nCorrectUnits = 0;
    int nBackspaces = 0;
    int nEndReason = EndReason::Escape;
    QList<CMistake> mistakes;
    // The stored text and its screen (from 1) the practice was typed on, and
    // the exam it was part of; 0 for the four files and for drills.
    qint64 nTextId = 0;
    int nScreen = 0;
    qint64 nExamId = 0;
    // The rhythm of the keys: the median of the intervals between them and
    // their spread (median absolute deviation), in milliseconds; 0 when
    // too few keys were typed.
    int nKeyMedianMs = 0;
    int nKeySpreadMs = 0;
    // The physical key presses (Backspace among them) QE's window received
    // while the practice ran, input method keys included; -1 where the
    // platform does not show them.
    int nKeyPresses = -1;
    int nBackspacePresses = -1;
    // The screen as it was shown and what was typed up to the typing
    // position, cell by cell in reading order (GBK bytes in hex, and the
    // same cells as text; a passed-over cell is empty): what a server counts
    // the typed and right cells from. Empty where the attempt was not typed
    // on a screen.
    QStringList screenCells;
    QStringList screenTexts;
    QStringList typedCells;
    QStringList typedTexts;
    // What the keys behind it tell (KeyDetail.h).
    CKeyDetail detail;
};
