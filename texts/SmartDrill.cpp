#include "texts/SmartDrill.h"

#include "platform/CheckedQuery.h"
#include "practice/QeDoc.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace SmartDrill {

namespace {

// Words drawn by weight: the running sums, searched by a random point.
class CWeightedWords
{
public:
    void Add(const QString& word, double weight)
    {
        m_total += weight;
        m_words.append(word);
        m_sums.append(m_total);
    }
    bool IsEmpty() const { return m_words.isEmpty(); }
    const QString& Draw(QRandomGenerator& random) const
    {
        const double point = random.generateDouble() * m_total;
        const auto at = std::upper_bound(m_sums.begin(), m_sums.end(), point);
        return m_words[std::min<qsizetype>(at - m_sums.begin(), m_words.size() - 1)];
    }

private:
    QStringList m_words;
    QList<double> m_sums;
    double m_total = 0;
};

// The draws of one screen, by the longest word a place may take: the
// words of every length up to it, all of them and those of the focus key.
constexpr int LongestWord = 12;

struct CDraws
{
    CWeightedWords all[LongestWord + 1];
    CWeightedWords focus[LongestWord + 1];
    CWeightedWords exact[LongestWord + 1]; // words of just that length
};

} // namespace

double Confidence(const CKeyRecord& key)
{
    const double speed =
        key.nMedianMs < 0 ? 1.0 : std::clamp((1000.0 - key.nMedianMs) / (1000.0 - 340.0), 0.0, 1.0);
    const double missRate = key.nExpected > 0 ? double(key.nMissed) / key.nExpected : 0.0;
    const double accuracy = std::clamp(1.0 - 5.0 * missRate, 0.0, 1.0);
    return speed * accuracy;
}

QList<CKeyRecord> WeakKeys(const QList<CKeyRecord>& keys)
{
    QList<CKeyRecord> weak;
    for (const CKeyRecord& key : keys) {
        if (key.strKey.size() == 1 && key.strKey[0].isLetter() && key.nExpected >= LeastSamples &&
            Confidence(key) < WeakBelow)
            weak.append(key);
    }
    std::stable_sort(weak.begin(), weak.end(), [](const CKeyRecord& a, const CKeyRecord& b) {
        return Confidence(a) < Confidence(b);
    });
    if (weak.size() > MostWeakKeys)
        weak.resize(MostWeakKeys);
    return weak;
}

QByteArray EnglishScreen(const QList<CKeyRecord>& keys, const QStringList& words, quint32 seed)
{
    const QList<CKeyRecord> weak = WeakKeys(keys);
    QList<CKeyRecord> slowPairs;
    for (const CKeyRecord& key : keys) {
        if (key.strKey.size() == 2 && key.nExpected >= LeastSamples && Confidence(key) < 0.5)
            slowPairs.append(key);
    }
    // Each word weighs more for every weak key and slow pair in it.
    auto draws = std::make_unique<CDraws>();
    for (const QString& word : words) {
        if (word.isEmpty() || word.size() > LongestWord)
            continue;
        double weight = 1.0;
        for (const CKeyRecord& key : weak) {
            if (word.contains(key.strKey))
                weight += 4.0 * (1.0 - Confidence(key));
        }
        for (const CKeyRecord& pair : slowPairs) {
            if (word.contains(pair.strKey))
                weight += 2.0;
        }
        const bool bFocus = !weak.isEmpty() && word.contains(weak.first().strKey);
        for (int room = int(word.size()); room <= LongestWord; ++room) {
            draws->all[room].Add(word, weight);
            if (bFocus)
                draws->focus[room].Add(word, weight);
        }
        draws->exact[word.size()].Add(word, weight);
    }
    QRandomGenerator random(seed);
    QByteArray text;
    text.reserve(CQeDoc::Rows * CQeDoc::Columns);
    for (int row = 0; row < CQeDoc::Rows; ++row) {
        // A row is words each followed by a space, filled to its end: the
        // last word is one that just fits, or the row ends in spaces.
        QByteArray line;
        while (line.size() < CQeDoc::Columns) {
            const int left = CQeDoc::Columns - int(line.size());
            const CWeightedWords* from = nullptr;
            if (left <= LongestWord + 1) {
                from = &draws->exact[left - 1];
            } else {
                // Leave room for a last word of two letters at least.
                const int room = std::min(LongestWord, left - 4);
                from = !weak.isEmpty() && !draws->focus[room].IsEmpty() && random.bounded(4) != 0
                           ? &draws->focus[room]
                           : &draws->all[room];
            }
            if (from->IsEmpty()) {
                line.append(QByteArray(left, ' '));
                break;
            }
            line.append(from->Draw(random).toLatin1()).append(' ');
        }
        text.append(line);
    }
    return text;
}

QStringList Words()
{
    static const QStringList words = [] {
        QFile file(u":/words/words.json"_s);
        QStringList list;
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonArray array =
                QJsonDocument::fromJson(file.readAll()).object().value("words"_L1).toArray();
            for (const QJsonValue& word : array)
                list.append(word.toString());
        }
        return list;
    }();
    return words;
}

QList<CKeyRecord> RecentKeys(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    // A key's time over several attempts: the attempts' medians, each
    // weighed by the presses it was taken over.
    Select(query, u"SELECT k.key_name, SUM(k.expected), SUM(k.expected - (k.presses - k.wrong)), "
                  "SUM(CASE WHEN k.median_ms IS NULL THEN 0 ELSE k.median_ms * k.presses END), "
                  "SUM(CASE WHEN k.median_ms IS NULL THEN 0 ELSE k.presses END) "
                  "FROM attempt_key k JOIN (SELECT a.id FROM attempt a WHERE a.user_key = ? "
                  "AND EXISTS (SELECT 1 FROM attempt_key x WHERE x.attempt_id = a.id) "
                  "ORDER BY a.id DESC LIMIT ?) recent ON recent.id = k.attempt_id "
                  "GROUP BY k.key_name ORDER BY k.key_name"_s);
    query.addBindValue(userKey);
    query.addBindValue(RecentAttempts);
    Exec(query);
    QList<CKeyRecord> keys;
    while (query.next()) {
        const qint64 timed = query.value(4).toLongLong();
        keys.append({query.value(0).toString(), query.value(1).toInt(), query.value(2).toInt(),
                     timed > 0 ? int(query.value(3).toLongLong() / timed) : -1});
    }
    CheckRead(query);
    return keys;
}

} // namespace SmartDrill
