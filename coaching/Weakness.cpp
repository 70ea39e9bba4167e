#include "coaching/Weakness.h"

#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/ShortestKeys.h"
#include "platform/CheckedQuery.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace Weakness {

namespace {

// The detail table (as d) of the filter's attempts (as a): a pupil's by
// their key, a class's by the pupils in it now (from the pupils' index, as
// the class report reads).
QString FromAttempts(const CWeaknessFilter& filter, const QString& detail)
{
    const QString join = u" JOIN %1 d ON d.attempt_id = a.id "_s.arg(detail);
    return filter.nUserKey != 0
               ? u" FROM attempt a"_s + join + u"WHERE a.user_key = ? AND a.started_at >= ?"_s
               : u" FROM \"user\" u CROSS JOIN attempt a"_s + join +
                     u"WHERE a.user_key = u.qe_key AND COALESCE(u.class, '') = ? "
                     "AND a.started_at >= ?"_s;
}

void BindFilter(QSqlQuery& query, const CWeaknessFilter& filter)
{
    if (filter.nUserKey != 0)
        query.addBindValue(filter.nUserKey);
    else
        query.addBindValue(filter.strClass);
    query.addBindValue(filter.since.isNull() ? u"1900-01-01 00:00:00.000"_s
                                             : StoredDateTime(filter.since));
}

// The summed figures of the rows of the query's key table (as d).
QString SumsOfKeys(const QString& rows)
{
    return u"SELECT d.key_name, SUM(d.expected), SUM(d.presses), SUM(d.wrong), "
           "SUM(CASE WHEN d.median_ms IS NULL THEN 0 ELSE d.median_ms * d.presses END), "
           "SUM(CASE WHEN d.median_ms IS NULL THEN 0 ELSE d.presses END) FROM "_s +
           rows + u" GROUP BY d.key_name ORDER BY d.key_name"_s;
}

// A pupil's latest attempts or lessons with key rows, then their rows.
void PrepareLatest(QSqlQuery& query, const CWeaknessFilter& filter)
{
    Select(query, SumsOfKeys(u"key_figures d JOIN (SELECT lesson, source_id FROM key_figures "
                             "WHERE user_key = ? GROUP BY lesson, source_id, started_at "
                             "ORDER BY started_at DESC, source_id DESC LIMIT ?) recent "
                             "ON recent.lesson = d.lesson AND recent.source_id = d.source_id"_s));
    query.addBindValue(filter.nUserKey);
    query.addBindValue(filter.nLatest);
}

// Practices and the course's lessons alike, each read from its pupils'
// index (a class's pupils first: through the view of both, an engine reads
// every attempt of the school instead): over all days the key rows by their
// pupil; over a range the attempts or lessons by their pupil and time, then
// their key rows.
void PrepareSince(QSqlQuery& query, const CWeaknessFilter& filter)
{
    const bool bSince = !filter.since.isNull();
    const auto from = [&filter, bSince](const QString& keys, const QString& owner,
                                        const QString& id) {
        const QString pupil =
            filter.nUserKey != 0 ? u"?"_s : u"u.qe_key AND COALESCE(u.class, '') = ?"_s;
        const QString users = filter.nUserKey != 0 ? QString() : u"\"user\" u CROSS JOIN "_s;
        if (!bSince)
            return u"SELECT k.* FROM %1%2 k WHERE k.user_key = %3"_s.arg(users, keys, pupil);
        return u"SELECT k.* FROM %1%2 a CROSS JOIN %3 k WHERE a.user_key = %4 "
               "AND a.started_at >= ? AND k.%5 = a.id"_s.arg(users, owner, keys, pupil, id);
    };
    Select(query, SumsOfKeys(u"("_s + from(u"attempt_key"_s, u"attempt"_s, u"attempt_id"_s) +
                             u" UNION ALL "_s +
                             from(u"lesson_key"_s, u"lesson_attempt"_s, u"lesson_attempt_id"_s) +
                             u") d"_s));
    for (int part = 0; part < 2; ++part) {
        if (filter.nUserKey != 0)
            query.addBindValue(filter.nUserKey);
        else
            query.addBindValue(filter.strClass);
        if (bSince)
            query.addBindValue(StoredDateTime(filter.since));
    }
}

void SplitKeys(const QList<CKeyFigures>& all, CWeakness& weakness)
{
    for (const CKeyFigures& key : all) {
        if (key.strKey.size() == 1)
            weakness.keys.append(key);
        else if (key.nPresses >= LeastTimes && key.nMedianMs >= 0)
            weakness.slowPairs.append(key);
    }
    std::stable_sort(
        weakness.slowPairs.begin(), weakness.slowPairs.end(),
        [](const CKeyFigures& a, const CKeyFigures& b) { return a.nMedianMs > b.nMedianMs; });
    if (weakness.slowPairs.size() > MostPairs)
        weakness.slowPairs.resize(MostPairs);
}

void ReadCommits(CDaoDatabase& db, const CWeaknessFilter& filter, CWeakness& weakness)
{
    QSqlQuery query(db.Connection());
    // Every commit counts for the share picked by a digit; only those
    // typed right count for what a text costs.
    Select(query,
           u"SELECT d.committed, COUNT(*), "
           "SUM(CASE WHEN d.key_count IS NULL THEN 0 ELSE d.key_count END), "
           "SUM(CASE WHEN d.key_count IS NULL THEN 0 ELSE 1 END), SUM(d.elapsed_ms), "
           "SUM(CASE WHEN d.picked = 1 AND d.key_count IS NOT NULL THEN 1 ELSE 0 END), "
           "MAX(CASE WHEN d.key_count IS NULL THEN NULL ELSE d.keys_typed END), "
           "CASE WHEN d.committed = d.expected THEN 1 ELSE 0 END"_s +
               FromAttempts(filter, u"attempt_commit"_s) +
               u" GROUP BY d.committed, CASE WHEN d.committed = d.expected THEN 1 ELSE 0 END"_s);
    BindFilter(query, filter);
    Exec(query);
    while (query.next()) {
        const QString text = query.value(0).toString();
        const int times = query.value(1).toInt();
        const int known = query.value(3).toInt();
        weakness.nCommits += known;
        weakness.nByDigit += query.value(5).toInt();
        if (query.value(7).toInt() == 0 || text.isEmpty() || known == 0)
            continue;
        const auto chars = double(text.size());
        if (query.value(2).toDouble() / known <= chars)
            continue; // a key a character (a mark) costs nothing to save
        CCostlyText& costly = weakness.costly.emplace_back();
        costly = {text,
                  times,
                  query.value(2).toDouble() / known / chars,
                  int(query.value(4).toDouble() / times / chars),
                  query.value(6).toString(),
                  query.value(5).toInt(),
                  0};
        if (const auto method = ShortestKeys::MethodOf(costly.strKeys, text)) {
            const int fewest = ShortestKeys::Fewest(*method, text);
            if (fewest > 0)
                costly.nSavable = qMax(0, qRound((costly.dKeysPerChar * chars - fewest) * times));
        }
    }
    CheckRead(query);
    // The texts that would save most keys first, then the costliest.
    std::stable_sort(weakness.costly.begin(), weakness.costly.end(),
                     [](const CCostlyText& a, const CCostlyText& b) {
                         if (a.nSavable != b.nSavable)
                             return a.nSavable > b.nSavable;
                         return a.dKeysPerChar != b.dKeysPerChar ? a.dKeysPerChar > b.dKeysPerChar
                                                                 : a.nMsPerChar > b.nMsPerChar;
                     });
    if (weakness.costly.size() > MostCostly)
        weakness.costly.resize(MostCostly);
}

// 回改, 键准, 选重 and 打词率 over the filter's Chinese practices, those in
// doubt left out until confirmed.
CTypingFigures ReadTyping(CDaoDatabase& db, const CWeaknessFilter& filter)
{
    QSqlQuery query(db.Connection());
    const QString from = filter.nUserKey != 0
                             ? u" FROM attempt a WHERE a.user_key = ?"_s
                             : u" FROM \"user\" u CROSS JOIN attempt a "
                               "WHERE a.user_key = u.qe_key AND COALESCE(u.class, '') = ?"_s;
    Select(query, u"SELECT a.typed_units, a.backspaces, a.key_presses, a.backspace_presses, "_s +
                      CommitFigures::TallyColumns(u"a"_s) + from +
                      u" AND a.started_at >= ? AND a.kind = ? AND a.checked <> ?"_s);
    BindFilter(query, filter);
    query.addBindValue(PracticeKind::Chinese);
    query.addBindValue(Metrics::InDoubtChecked);
    Exec(query);
    CTypingFigures typing;
    while (query.next())
        typing.Add(CTypingFigures::Of(PracticeKind::Chinese, query.value(0).toInt(),
                                      query.value(1).toInt(), CountOrUnknown(query.value(2)),
                                      query.value(3).toInt(), CommitFigures::TallyAt(query, 4)));
    CheckRead(query);
    return typing;
}

} // namespace

CWeakness Read(CDaoDatabase& db, const CWeaknessFilter& filter)
{
    CWeakness weakness;
    SplitKeys(ReadKeys(db, filter), weakness);
    ReadCommits(db, filter, weakness);
    weakness.typing = ReadTyping(db, filter);
    return weakness;
}

QList<CKeyFigures> ReadKeys(CDaoDatabase& db, const CWeaknessFilter& filter)
{
    QSqlQuery query(db.Connection());
    if (filter.nLatest > 0)
        PrepareLatest(query, filter);
    else
        PrepareSince(query, filter);
    Exec(query);
    QList<CKeyFigures> keys;
    while (query.next()) {
        const qint64 timed = query.value(5).toLongLong();
        keys.append({query.value(0).toString(), query.value(1).toInt(), query.value(2).toInt(),
                     query.value(3).toInt(),
                     timed > 0 ? int(query.value(4).toLongLong() / timed) : -1});
    }
    CheckRead(query);
    return keys;
}

QString CheaperWay(const CCostlyText& text)
{
    // Typed by 五笔 with more keys than its shortest code.
    const QString code = ShortestKeys::CodeOf(ShortestKeys::Wubi, text.strText);
    if (text.nSavable > 0 && !code.isEmpty() &&
        ShortestKeys::MethodOf(text.strKeys, text.strText) == ShortestKeys::Wubi)
        return code.size() < 4 ? u"用简码:%1 再按空格"_s.arg(code) : u"用最短的编码:%1"_s.arg(code);
    if (text.nByDigit * 2 >= text.nTimes)
        return text.strText.size() == 1 ? u"常要用数字键选字:和前后的字连成词组一起打"_s
                                        : u"常要用数字键选字:多打一个音节或连着下一个词打"_s;
    if (text.strText.size() == 1 && text.dKeysPerChar >= 3.5)
        return u"单字要打全拼:和前后的字连成词组一起打,每个字少按几个键"_s;
    if (text.strText.size() >= 2 && text.dKeysPerChar >= 3)
        return u"试试只打每个字的声母(简拼),再按空格"_s;
    return {};
}

} // namespace Weakness
