#pragma once

#include "attempts/CommitFigures.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class CDaoDatabase;

// A pupil's progress: the stored attempts and the cells mistyped most, read
// by the pupil's user key, and the figures drawn from them.

// One attempt as the progress lists it.
struct CAttemptSummary
{
    qint64 nId = 0; // the stored attempt's; 0 for a lesson's
    int nKind = 0;
    QDateTime startedAt;
    qint64 nElapsedMs = 0; // what its speed is measured over
    // The time typed where it is not nElapsedMs: an exam's time used, when
    // its speed is measured over the time allowed. -1 where they agree.
    qint64 nUsedMs = -1;
    int nTypedUnits = 0;
    int nCorrectUnits = 0;
    bool bWholeText = false; // typed to the end of its screen or lesson
    QString strLabel;        // what else names it (a lesson of the course); empty for practices
    QString strText;         // the text typed: a file, a library text, a drill or an exam
    int nDeletedUnits = 0;   // 回改: units deleted with Backspace
    int nKeyPresses = -1;    // physical key presses; -1 where not known
    int nBackspacePresses = 0;
    CCommitTally commits; // of a Chinese practice whose commits were kept
    // The unit of its speed where it is not the kind's: "字/分" for a
    // lesson typed by codes.
    QString strSpeedUnit;
    // 可疑 until a teacher confirms it (Metrics::InDoubtChecked), and why.
    bool bInDoubt = false;
    QString strDoubt;

    double Speed() const;       // in SpeedUnit() (Metrics::KindSpeed)
    QString SpeedUnit() const;  // strSpeedUnit, or the kind's
    QString SpeedText() const;  // "25.3 字/分"
    int Accuracy() const;       // Metrics::Accuracy
    bool CountsForBest() const; // Metrics::CountsForBest, and not in doubt
    bool HasKeyPresses() const { return nKeyPresses >= 0; }
    qint64 UsedMs() const { return nUsedMs >= 0 ? nUsedMs : nElapsedMs; }
    double KeysPerSecond() const;  // 击键: over the time used
    CTypingFigures Typing() const; // 回改, 键准, 选重 and 打词率
};

// The attempts of the user with key userKey, newest first: of one kind
// only when kind is given, the newest `newest` only when it is above 0.
// Throws CDaoException.
QList<CAttemptSummary> LoadAttempts(CDaoDatabase& db, qint64 userKey, std::optional<int> kind = {},
                                    int newest = 0);
// The kind of the user's newest practice, or fallback when there is none.
// Throws CDaoException.
int LastPractisedKind(CDaoDatabase& db, qint64 userKey, int fallback);

// Best and average over the attempts of one kind that mean something:
// those of at least 30 s or of a whole screen (CountsForBest), the same
// attempts for every figure, so that no best is below its average. The
// averages are weighted by time and by what was typed (all correct units
// over all time, all correct units over all typed). Where no attempt
// counts, the figures are not shown but NotCounted().
struct CProgressFigures
{
    int nCount = 0;   // every attempt of the kind
    int nCounted = 0; // those the figures are taken over
    double dBestSpeed = 0;
    double dAverageSpeed = 0;
    // The best attempt's own accuracy, and all correct units over all typed,
    // both by Metrics::Accuracy (so the best is never below the average).
    int nBestAccuracy = 0;
    int nAverageAccuracy = 0;
    // Over the counted attempts whose key presses are known (nKeyedCount of
    // them): all presses over all their time, and over all their correct
    // units.
    int nKeyedCount = 0;
    double dAverageKeysPerSecond = 0;
    double dAverageKeysPerUnit = 0;

    // What stands for a figure when no attempt counts, and why.
    static QString NotCounted();
    static QString NotCountedReason();
};
// Over the attempts of kind whose speed is in unit (any unit when empty).
CProgressFigures SummariseKind(const QList<CAttemptSummary>& attempts, int kind,
                               const QString& unit = {});
// The speed units of the attempts of kind, as they come (a pupil's lessons
// may count keys and characters).
QStringList SpeedUnits(const QList<CAttemptSummary>& attempts, int kind);
// The speed of correctUnits over elapsedMs in kind's unit.
double AverageSpeed(int kind, qint64 correctUnits, qint64 elapsedMs);

// A practice character (or key) the pupil mistyped, how often, and what was
// typed instead, most frequent first.
struct CMistakeCount
{
    QString strExpected;
    int nCount = 0;
    QList<QPair<QString, int>> typedInstead;
};

// The characters of kind the user with key userKey mistyped most, at most
// limit of them, most frequent first (equal counts in text order). Counted
// in the database. Throws CDaoException.
QList<CMistakeCount> TopMistakes(CDaoDatabase& db, qint64 userKey, int kind, int limit = 20);
