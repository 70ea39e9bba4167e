#include "attempts/CommitFigures.h"

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

QHash<qint64, CCommitTally> LoadTallies(CDaoDatabase& db, const QList<qint64>& attemptIds)
{
    constexpr qsizetype Batch = 500;
    QHash<qint64, CCommitTally> tallies;
    for (qsizetype from = 0; from < attemptIds.size(); from += Batch) {
        QStringList ids;
        for (const qint64 id : attemptIds.mid(from, Batch))
            ids.append(QString::number(id));
        // The rules of Tally() and DeletedKeys(), in SQL both engines read
        // alike: length() counts characters, and integers divide down.
        QSqlQuery query(db.Connection());
        Select(query,
               u"SELECT attempt_id, COUNT(*), SUM(deleted), "
               "SUM(CASE WHEN picked <> 0 THEN 1 ELSE 0 END), "
               "SUM(CASE WHEN length(committed) >= 2 THEN length(committed) - deleted ELSE 0 END), "
               "SUM(CASE WHEN key_count > 0 AND deleted > 0 AND length(committed) > 0 "
               "THEN key_count * deleted / length(committed) ELSE 0 END) "
               "FROM attempt_commit WHERE attempt_id IN (%1) GROUP BY attempt_id"_s.arg(
                   ids.join(u", "_s)));
        Exec(query);
        while (query.next()) {
            CCommitTally& tally = tallies[query.value(0).toLongLong()];
            tally.nCommits = query.value(1).toInt();
            tally.nDeleted = query.value(2).toInt();
            tally.nPicks = query.value(3).toInt();
            tally.nWordChars = query.value(4).toInt();
            tally.nDeletedKeys = query.value(5).toInt();
        }
        CheckRead(query);
    }
    return tallies;
}

} // namespace CommitFigures
