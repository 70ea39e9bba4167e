#include "attempts/CommitFigures.h"

#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

using namespace CheckedQuery;

CTypingFigures CTypingFigures::Of(int kind, int typed, int backspacesTaken, qint64 presses,
                                  qint64 backspacePresses, const CCommitTally& tally)
{
    CTypingFigures figures;
    figures.bCommits = kind == PracticeKind::Chinese && tally.nCommits > 0;
    figures.nTyped = qMax(typed, 0);
    figures.nCommitTyped = figures.bCommits ? figures.nTyped : 0;
    figures.nRevised = figures.bCommits ? tally.nDeleted : qMax(backspacesTaken, 0);
    figures.nPresses = presses;
    figures.nBackspaces = qMax<qint64>(backspacePresses, 0);
    figures.nWastedKeys = figures.bCommits ? tally.nDeletedKeys : figures.nRevised;
    figures.nPicks = tally.nPicks;
    figures.nWordChars = tally.nWordChars;
    return figures;
}

int CTypingFigures::KeyAccuracy() const
{
    return Metrics::KeyAccuracy(nPresses, nBackspaces, nWastedKeys);
}

QString CTypingFigures::RevisedText() const
{
    if (!bCommits)
        return QString::number(nRevised);
    return u"%1 (%2%)"_s.arg(nRevised).arg(Metrics::RevisedRate(nRevised, nTyped), 0, 'f', 1);
}

QString CTypingFigures::KeyAccuracyText() const
{
    if (nPresses < 0)
        return Metrics::NotAvailable;
    const int accuracy = KeyAccuracy();
    return accuracy < 0 ? u"—"_s : u"%1%"_s.arg(accuracy);
}

QString CTypingFigures::PicksText() const
{
    if (!bCommits)
        return {};
    if (nPresses < 0)
        return Metrics::NotAvailable; // which key chose a candidate is not known
    return u"%1 (%2/百字)"_s.arg(nPicks).arg(Metrics::PicksPerHundred(nPicks, nCommitTyped), 0, 'f',
                                             1);
}

QString CTypingFigures::WordRateText() const
{
    return bCommits ? u"%1%"_s.arg(Metrics::WordRate(nWordChars, nCommitTyped)) : QString();
}

QString CTypingFigures::Line() const
{
    QStringList parts{u"回改 %1"_s.arg(RevisedText()), u"键准 %1"_s.arg(KeyAccuracyText())};
    if (bCommits)
        parts << u"选重 %1"_s.arg(PicksText()) << u"打词率 %1"_s.arg(WordRateText());
    return parts.join(u"   "_s);
}

void CTypingFigures::Add(const CTypingFigures& other)
{
    bCommits = bCommits || other.bCommits;
    nTyped += other.nTyped;
    nCommitTyped += other.nCommitTyped;
    nRevised += other.nRevised;
    nPicks += other.nPicks;
    nWordChars += other.nWordChars;
    if (other.nPresses >= 0) {
        nPresses = qMax<qint64>(nPresses, 0) + other.nPresses;
        nBackspaces += other.nBackspaces;
        nWastedKeys += other.nWastedKeys;
    }
}

namespace CommitFigures {

int DeletedKeys(int keyCount, int deleted, int committedLength)
{
    if (keyCount <= 0 || deleted <= 0 || committedLength <= 0)
        return 0;
    return keyCount * qMin(deleted, committedLength) / committedLength;
}

CCommitTally Tally(const QList<CCommitUnit>& commits)
{
    CCommitTally tally;
    for (const CCommitUnit& unit : commits) {
        const int length = KeyDetail::Characters(unit.strCommitted);
        ++tally.nCommits;
        tally.nDeleted += unit.nDeleted;
        if (unit.nPicked != CCommitUnit::First)
            ++tally.nPicks;
        if (length >= 2)
            tally.nWordChars += length - unit.nDeleted;
        tally.nDeletedKeys += DeletedKeys(unit.nKeyCount, unit.nDeleted, length);
    }
    return tally;
}

void StoreTally(CDaoDatabase& db, qint64 attemptId)
{
    // length() counts characters and integers divide down in both engines.
    QSqlQuery& update = db.Prepared(
        u"UPDATE attempt SET (commit_count, commit_deleted, commit_deleted_keys, commit_picks, "
        "commit_word_chars) = (SELECT COUNT(*), SUM(deleted), "
        "SUM(CASE WHEN key_count > 0 AND deleted > 0 "
        "THEN key_count * deleted / length(committed) ELSE 0 END), "
        "SUM(CASE WHEN picked <> 0 THEN 1 ELSE 0 END), "
        "SUM(CASE WHEN length(committed) >= 2 THEN length(committed) - deleted ELSE 0 END) "
        "FROM attempt_commit WHERE attempt_id = ?) "
        "WHERE id = ? AND EXISTS (SELECT 1 FROM attempt_commit WHERE attempt_id = ?)"_s);
    for (int i = 0; i < 3; ++i)
        update.bindValue(i, attemptId);
    Exec(update);
    update.finish();
}

QString TallyColumns(const QString& alias)
{
    return u"%1.commit_count, %1.commit_deleted, %1.commit_deleted_keys, %1.commit_picks, "
           "%1.commit_word_chars"_s.arg(alias);
}

QList<CCommitUnit> LoadCommits(CDaoDatabase& db, qint64 attemptId)
{
    QSqlQuery& query = db.Prepared(
        u"SELECT expected, committed, keys_typed, key_count, elapsed_ms, picked, deleted "
        "FROM attempt_commit WHERE attempt_id = ? ORDER BY position"_s);
    query.bindValue(0, attemptId);
    Exec(query);
    QList<CCommitUnit> commits;
    while (query.next())
        commits.append({query.value(0).toString(), query.value(1).toString(),
                        query.value(2).toString(), CountOrUnknown(query.value(3)),
                        query.value(4).toInt(), query.value(5).toInt(), query.value(6).toInt()});
    CheckRead(query);
    query.finish();
    return commits;
}

CCommitTally TallyAt(const QSqlQuery& query, int first)
{
    if (query.value(first).isNull())
        return {};
    return {query.value(first).toInt(), query.value(first + 1).toInt(),
            query.value(first + 3).toInt(), query.value(first + 4).toInt(),
            query.value(first + 2).toInt()};
}

} // namespace CommitFigures
