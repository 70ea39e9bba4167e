#pragma once

#include "attempts/KeyDetail.h"

#include <QList>

class CDaoDatabase;
class QSqlQuery;

// What the input-method commits of an attempt add up to, as the figures of
// a Chinese practice count them. Tally() counts a detail's commits in the
// program; the database keeps the same tally beside each stored attempt,
// counted by the same rules, so that a result and the lists read the same
// figures.
struct CCommitTally
{
    int nCommits = 0;
    int nDeleted = 0;     // 回改: characters committed and deleted afterwards
    int nPicks = 0;       // 选重: commits whose candidate was not the first
    int nWordChars = 0;   // characters standing from commits of two or more
    int nDeletedKeys = 0; // keys spent on the characters deleted
    bool operator==(const CCommitTally&) const = default;
};

// The figures of one attempt's corrections and commits (Metrics holds each
// rule), and their texts as every list, result and export shows them.
struct CTypingFigures
{
    bool bCommits = false;  // a Chinese practice whose commits were kept
    int nTyped = 0;         // 字数: the characters (or keys) typed
    int nCommitTyped = 0;   // those of them typed where the commits were kept
    int nRevised = 0;       // 回改
    qint64 nPresses = -1;   // the key presses; -1 where the platform does not show them
    qint64 nBackspaces = 0; // the Backspace presses among them
    int nWastedKeys = 0;    // the presses spent on characters deleted afterwards
    int nPicks = 0;         // 选重
    int nWordChars = 0;     // characters entered in commits of two or more

    // An attempt of kind: typed characters, Backspaces that reached the
    // practice (deleting a character each), the key presses and their
    // Backspaces, and its commits' tally. With commits, 回改 counts the
    // characters they lost, and a character's keys are the commit's share;
    // without, a character deleted is one Backspace and one key.
    static CTypingFigures Of(int kind, int typed, int backspacesTaken, qint64 presses,
                             qint64 backspacePresses, const CCommitTally& tally);
    int KeyAccuracy() const;         // Metrics::KeyAccuracy
    QString RevisedText() const;     // "3", or "3 (2.1%)" with commits
    QString KeyAccuracyText() const; // "93%", NotAvailable, or "—" with no press
    // "2 (1.5/百字)"; empty without commits, NotAvailable without presses.
    QString PicksText() const;
    QString WordRateText() const; // "78%"; empty without commits
    // The figures that apply, on one line: "回改 1 (6.7%)   键准 85%   ...".
    QString Line() const;
    // Another attempt's figures added, as a pupil's over a range: the key
    // presses of attempts that show them only.
    void Add(const CTypingFigures& other);
};

namespace CommitFigures {

// The keys of a commit spent on its characters deleted afterwards: its keys
// in the share of its characters deleted, rounded down (all of them when
// every character went); none where its keys are not known.
int DeletedKeys(int keyCount, int deleted, int committedLength);
CCommitTally Tally(const QList<CCommitUnit>& commits);
// Keeps the tally of the stored commits of attempt attemptId beside it, by
// the rules of Tally() in SQL (as the server's own function does). Throws
// CDaoException.
void StoreTally(CDaoDatabase& db, qint64 attemptId);
// The columns of a stored attempt (as alias) that hold its tally, to select;
// and the tally read from them, from column first of query on (no commit
// kept: nothing).
QString TallyColumns(const QString& alias);
// The stored commits of attempt attemptId, in order. Throws CDaoException.
QList<CCommitUnit> LoadCommits(CDaoDatabase& db, qint64 attemptId);
CCommitTally TallyAt(const QSqlQuery& query, int first);

} // namespace CommitFigures
