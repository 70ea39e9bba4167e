#include "attempts/Progress.h"

#include "attempts/Attempt.h"
#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

using namespace CheckedQuery;

double CAttemptSummary::Speed() const
{
    return Metrics::KindSpeed(nKind, nCorrectUnits, nElapsedMs).dValue;
}

double CAttemptSummary::KeysPerSecond() const
{
    return Metrics::KeysPerSecond(nKeyPresses, UsedMs());
}

CTypingFigures CAttemptSummary::Typing() const
{
    return CTypingFigures::Of(nKind, nTypedUnits, nDeletedUnits, nKeyPresses, nBackspacePresses,
                              commits);
}

QString CAttemptSummary::SpeedUnit() const
{
    return strSpeedUnit.isEmpty() ? Metrics::SpeedUnit(nKind) : strSpeedUnit;
}

QString CAttemptSummary::SpeedText() const
{
    return Metrics::SpeedText({Speed(), SpeedUnit()});
}

int CAttemptSummary::Accuracy() const
{
    return Metrics::Accuracy(nCorrectUnits, nTypedUnits);
}

bool CAttemptSummary::CountsForBest() const
{
    return !bInDoubt && Metrics::CountsForBest(nElapsedMs, bWholeText);
}

QList<CAttemptSummary> LoadAttempts(CDaoDatabase& db, qint64 userKey, std::optional<int> kind,
                                    int newest)
{
    QSqlQuery query(db.Connection());
    // An exam's sitting keeps the time used beside the attempt's speed time.
    Select(query, u"SELECT a.kind, a.started_at, a.elapsed_ms, a.typed_units, a.correct_units, "
                  "a.end_reason, a.backspaces, a.key_presses, a.text_file, s.elapsed_ms, "
                  "a.checked, a.doubt, a.id, a.backspace_presses, %3 "
                  "FROM attempt a LEFT JOIN exam_sitting s ON s.attempt_id = a.id "
                  "WHERE a.user_key = ?%1 ORDER BY a.started_at DESC, a.id DESC%2"_s.arg(
                      kind ? u" AND a.kind = ?"_s : QString(),
                      newest > 0 ? u" LIMIT %1"_s.arg(newest) : QString(),
                      CommitFigures::TallyColumns(u"a"_s)));
    query.addBindValue(userKey);
    if (kind)
        query.addBindValue(*kind);
    Exec(query);
    QList<CAttemptSummary> attempts;
    while (query.next()) {
        CAttemptSummary& attempt = attempts.emplace_back();
        attempt.nKind = query.value(0).toInt();
        attempt.startedAt = ParseStoredDateTime(query.value(1));
        attempt.nElapsedMs = query.value(2).toLongLong();
        attempt.nTypedUnits = query.value(3).toInt();
        attempt.nCorrectUnits = query.value(4).toInt();
        attempt.bWholeText = query.value(5).toInt() == EndReason::EndOfScreen;
        attempt.nDeletedUnits = query.value(6).toInt();
        attempt.nKeyPresses = CountOrUnknown(query.value(7));
        attempt.strText = query.value(8).toString();
        if (!query.value(9).isNull())
            attempt.nUsedMs = query.value(9).toLongLong();
        attempt.bInDoubt = query.value(10).toInt() == Metrics::InDoubtChecked;
        attempt.strDoubt = query.value(11).toString();
        attempt.nId = query.value(12).toLongLong();
        attempt.nBackspacePresses = query.value(13).toInt();
        attempt.commits = CommitFigures::TallyAt(query, 14);
    }
    CheckRead(query);
    return attempts;
}

int LastPractisedKind(CDaoDatabase& db, qint64 userKey, int fallback)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT kind FROM attempt WHERE user_key = ? "
                  "ORDER BY started_at DESC, id DESC LIMIT 1"_s);
    query.addBindValue(userKey);
    Exec(query);
    return query.next() ? query.value(0).toInt() : fallback;
}

QString CProgressFigures::NotCounted()
{
    return u"—"_s;
}

QString CProgressFigures::NotCountedReason()
{
    return u"(练满30秒的练习才计入)"_s;
}

QStringList SpeedUnits(const QList<CAttemptSummary>& attempts, int kind)
{
    QStringList units;
    for (const CAttemptSummary& attempt : attempts) {
        if (attempt.nKind == kind && !units.contains(attempt.SpeedUnit()))
            units.append(attempt.SpeedUnit());
    }
    return units;
}

CProgressFigures SummariseKind(const QList<CAttemptSummary>& attempts, int kind,
                               const QString& unit)
{
    CProgressFigures figures;
    qint64 totalMs = 0;
    qint64 typed = 0;
    qint64 correct = 0;
    qint64 presses = 0;
    qint64 keyedMs = 0;
    qint64 keyedCorrect = 0;
    for (const CAttemptSummary& attempt : attempts) {
        if (attempt.nKind != kind || (!unit.isEmpty() && attempt.SpeedUnit() != unit))
            continue;
        ++figures.nCount;
        if (!attempt.CountsForBest())
            continue;
        ++figures.nCounted;
        const qint64 ms = qMax<qint64>(attempt.nElapsedMs, 0);
        const int right = qMax(attempt.nCorrectUnits, 0);
        const int all = qMax(attempt.nTypedUnits, 0);
        totalMs += ms;
        typed += all;
        correct += right;
        if (attempt.HasKeyPresses()) {
            ++figures.nKeyedCount;
            presses += attempt.nKeyPresses;
            keyedMs += qMax<qint64>(attempt.UsedMs(), 0);
            keyedCorrect += right;
        }
        figures.dBestSpeed = qMax(figures.dBestSpeed, attempt.Speed());
        if (all > 0)
            figures.nBestAccuracy = qMax(figures.nBestAccuracy, attempt.Accuracy());
    }
    figures.dAverageSpeed = AverageSpeed(kind, correct, totalMs);
    figures.nAverageAccuracy = Metrics::Accuracy(correct, typed);
    figures.dAverageKeysPerSecond = Metrics::KeysPerSecond(presses, keyedMs);
    figures.dAverageKeysPerUnit = Metrics::KeysPerUnit(presses, keyedCorrect);
    return figures;
}

double AverageSpeed(int kind, qint64 correctUnits, qint64 elapsedMs)
{
    const int correct = int(qMin<qint64>(correctUnits, std::numeric_limits<int>::max()));
    return Metrics::KindSpeed(kind, correct, elapsedMs).dValue;
}

QList<CMistakeCount> TopMistakes(CDaoDatabase& db, qint64 userKey, int kind, int limit)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT expected, typed, COUNT(*) FROM attempt_mistake "
                  "WHERE user_key = ? AND kind = ? GROUP BY expected, typed"_s);
    query.addBindValue(userKey);
    query.addBindValue(kind);
    Exec(query);
    QHash<QString, qsizetype> index;
    QList<CMistakeCount> counts;
    while (query.next()) {
        const QString expected = query.value(0).toString();
        const int count = query.value(2).toInt();
        qsizetype& slot = index[expected];
        if (slot == 0) {
            counts.append({expected, 0, {}});
            slot = counts.size();
        }
        CMistakeCount& entry = counts[slot - 1];
        entry.nCount += count;
        entry.typedInstead.append({query.value(1).toString(), count});
    }
    CheckRead(query);

    const auto byCount = [](const auto& a, const auto& b) {
        return a.nCount != b.nCount ? a.nCount > b.nCount : a.strExpected < b.strExpected;
    };
    std::sort(counts.begin(), counts.end(), byCount);
    if (counts.size() > limit)
        counts.resize(limit);
    for (CMistakeCount& entry : counts) {
        std::sort(entry.typedInstead.begin(), entry.typedInstead.end(),
                  [](const auto& a, const auto& b) {
                      return a.second != b.second ? a.second > b.second : a.first < b.first;
                  });
    }
    return counts;
}
