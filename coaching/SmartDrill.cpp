#include "coaching/SmartDrill.h"

#include "attempts/PracticeKind.h"
#include "coaching/Weakness.h"
#include "platform/CheckedQuery.h"
#include "practice/QeDoc.h"
#include "texts/TextRules.h"
#include "texts/TextScreens.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
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
    // Leaves word out of the later draws.
    void Remove(const QString& word)
    {
        const qsizetype at = m_words.indexOf(word);
        if (at < 0)
            return;
        const double weight = m_sums[at] - (at > 0 ? m_sums[at - 1] : 0.0);
        m_words.removeAt(at);
        m_sums.removeAt(at);
        for (qsizetype i = at; i < m_sums.size(); ++i)
            m_sums[i] -= weight;
        m_total -= weight;
    }
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

// The rows of a detail table (as d) of the user's latest RecentAttempts
// attempts that have rows there; the user and the count are bound.
QString FromRecent(const QString& table)
{
    return u" FROM %1 d JOIN (SELECT a.id FROM attempt a WHERE a.user_key = ? "
           "AND EXISTS (SELECT 1 FROM %1 x WHERE x.attempt_id = a.id) "
           "ORDER BY a.id DESC LIMIT ?) recent ON recent.id = d.attempt_id"_s.arg(table);
}

struct CDraws
{
    CWeightedWords all[LongestWord + 1];
    CWeightedWords focus[LongestWord + 1];
    CWeightedWords exact[LongestWord + 1]; // words of just that length
};

} // namespace

double Confidence(const CKeyFigures& key)
{
    const double speed =
        key.nMedianMs < 0 ? 1.0 : std::clamp((1000.0 - key.nMedianMs) / (1000.0 - 340.0), 0.0, 1.0);
    const double missRate = key.nExpected > 0 ? double(key.Missed()) / key.nExpected : 0.0;
    const double accuracy = std::clamp(1.0 - 5.0 * missRate, 0.0, 1.0);
    return speed * accuracy;
}

QStringList Names(const QList<CKeyFigures>& keys)
{
    QStringList names;
    for (const CKeyFigures& key : keys)
        names.append(key.strKey);
    return names;
}

QList<CKeyFigures> WeakKeys(const QList<CKeyFigures>& keys)
{
    QList<CKeyFigures> weak;
    for (const CKeyFigures& key : keys) {
        if (key.strKey.size() == 1 && key.strKey[0].isLetter() && key.nExpected >= LeastSamples &&
            Confidence(key) < WeakBelow)
            weak.append(key);
    }
    std::stable_sort(weak.begin(), weak.end(), [](const CKeyFigures& a, const CKeyFigures& b) {
        return Confidence(a) < Confidence(b);
    });
    if (weak.size() > MostWeakKeys)
        weak.resize(MostWeakKeys);
    return weak;
}

QByteArray EnglishScreen(const QList<CKeyFigures>& keys, const QStringList& words, quint32 seed)
{
    const QList<CKeyFigures> weak = WeakKeys(keys);
    QList<CKeyFigures> slowPairs;
    for (const CKeyFigures& key : keys) {
        if (key.strKey.size() == 2 && key.nExpected >= LeastSamples && Confidence(key) < 0.5)
            slowPairs.append(key);
    }
    // Each word weighs more for every weak key and slow pair in it.
    auto draws = std::make_unique<CDraws>();
    for (const QString& word : words) {
        if (word.isEmpty() || word.size() > LongestWord)
            continue;
        double weight = 1.0;
        for (const CKeyFigures& key : weak) {
            if (word.contains(key.strKey))
                weight += 4.0 * (1.0 - Confidence(key));
        }
        for (const CKeyFigures& pair : slowPairs) {
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
        // last word is one that just fits; where no word has that length
        // another word goes first, so that no row ends in blank cells a
        // pupil cannot see.
        QByteArray line;
        while (line.size() < CQeDoc::Columns) {
            const int left = CQeDoc::Columns - int(line.size());
            const CWeightedWords* from = nullptr;
            if (left <= LongestWord + 1 && (!draws->exact[left - 1].IsEmpty() || left < 4)) {
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

QList<CKeyFigures> RecentKeys(CDaoDatabase& db, qint64 userKey)
{
    CWeaknessFilter recent;
    recent.nUserKey = userKey;
    recent.nLatest = RecentAttempts;
    return Weakness::ReadKeys(db, recent);
}

double Confidence(const CCharRecord& character)
{
    const double keys =
        character.dKeys <= 0 ? 1.0 : std::clamp((5.0 - character.dKeys) / 3.0, 0.0, 1.0);
    const double missRate =
        character.nTimes > 0 ? double(character.nMissed) / character.nTimes : 0.0;
    return keys * std::clamp(1.0 - 5.0 * missRate, 0.0, 1.0);
}

QStringList Names(const QList<CCharRecord>& characters)
{
    QStringList names;
    for (const CCharRecord& character : characters)
        names.append(character.strChar);
    return names;
}

QList<CCharRecord> WeakCharacters(const QList<CCharRecord>& characters)
{
    QList<CCharRecord> weak;
    for (const CCharRecord& character : characters) {
        if (character.nTimes >= 2 && Confidence(character) < WeakBelow)
            weak.append(character);
    }
    std::stable_sort(weak.begin(), weak.end(), [](const CCharRecord& a, const CCharRecord& b) {
        return Confidence(a) < Confidence(b);
    });
    if (weak.size() > MostWeakCharacters)
        weak.resize(MostWeakCharacters);
    return weak;
}

QByteArray ChineseScreen(const QList<CCharRecord>& characters, const QStringList& sentences,
                         quint32 seed)
{
    const QList<CCharRecord> weak = WeakCharacters(characters);
    CWeightedWords all;
    CWeightedWords focus;
    for (const QString& sentence : sentences) {
        double weight = 1.0;
        for (const CCharRecord& character : weak) {
            if (sentence.contains(character.strChar))
                weight += 4.0 * (1.0 - Confidence(character));
        }
        all.Add(sentence, weight);
        if (weight > 1.0)
            focus.Add(sentence, weight);
    }
    if (all.IsEmpty())
        return {};
    QRandomGenerator random(seed);
    constexpr int Cells = CQeDoc::Rows * CQeDoc::Cells;
    // Three clauses in four hold a weak character; no clause comes twice
    // while others are left, so that a rare character does not fill the
    // screen with the one clause that holds it.
    const CWeightedWords every = all;
    QString text;
    while (text.size() < Cells) {
        if (all.IsEmpty())
            all = every;
        const bool bFocus = !focus.IsEmpty() && random.bounded(4) != 0;
        const QString clause = (bFocus ? focus : all).Draw(random);
        focus.Remove(clause);
        all.Remove(clause);
        text += clause;
    }
    // Every character takes a cell; a screen holds the first 644.
    return TextRules::FileBytes(text, PracticeKind::Chinese).left(2 * Cells);
}

QStringList Sentences()
{
    static const QStringList sentences = [] {
        QStringList list;
        static const QRegularExpression clause(u"[^，。！？；：、\\s“”]+[，。！？；：、]"_s);
        QDir library(u":/library"_s);
        for (const QString& name : library.entryList({u"zh-*.txt"_s, u"chinese.txt"_s})) {
            QFile file(library.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = clause.globalMatch(text); it.hasNext();) {
                const QString piece = it.next().captured();
                if (piece.size() >= 4 && piece.size() <= 20)
                    list.append(piece);
            }
        }
        list.removeDuplicates();
        return list;
    }();
    return sentences;
}

QList<CCharRecord> RecentCharacters(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    Select(query,
           u"SELECT d.expected, d.committed, d.key_count"_s + FromRecent(u"attempt_commit"_s));
    query.addBindValue(userKey);
    query.addBindValue(RecentAttempts);
    Exec(query);
    struct CTally
    {
        int nTimes = 0, nMissed = 0, nTimed = 0;
        double dKeys = 0;
    };
    QHash<QString, CTally> tallies;
    QStringList order;
    while (query.next()) {
        const QString expected = query.value(0).toString();
        const bool bRight = expected == query.value(1).toString();
        const bool bKeysKnown = !query.value(2).isNull() && !expected.isEmpty();
        const double keysEach = bKeysKnown ? query.value(2).toDouble() / expected.size() : 0;
        for (const QChar ch : expected) {
            if (ch.unicode() < 0x80)
                continue;
            auto it = tallies.find(QString(ch));
            if (it == tallies.end()) {
                it = tallies.insert(QString(ch), {});
                order.append(QString(ch));
            }
            ++it->nTimes;
            if (!bRight) {
                ++it->nMissed;
            } else if (bKeysKnown) {
                it->dKeys += keysEach;
                ++it->nTimed;
            }
        }
    }
    CheckRead(query);
    QList<CCharRecord> characters;
    for (const QString& ch : std::as_const(order)) {
        const CTally& tally = tallies[ch];
        characters.append(
            {ch, tally.nTimes, tally.nMissed, tally.nTimed > 0 ? tally.dKeys / tally.nTimed : 0.0});
    }
    return characters;
}

bool LatestWasChinese(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT EXISTS (SELECT 1 FROM attempt_commit c WHERE c.attempt_id = a.id) "
                  "FROM attempt a WHERE a.user_key = ? AND (EXISTS (SELECT 1 FROM attempt_key k "
                  "WHERE k.attempt_id = a.id) OR EXISTS (SELECT 1 FROM attempt_commit c "
                  "WHERE c.attempt_id = a.id)) ORDER BY a.id DESC LIMIT 1"_s);
    query.addBindValue(userKey);
    Exec(query);
    const bool bChinese = query.next() && query.value(0).toBool();
    CheckRead(query);
    return bChinese;
}

CPracticeScreen Screen(CDaoDatabase& db, qint64 userKey, bool bChinese, quint32 seed)
{
    QStringList weak;
    QByteArray text;
    if (bChinese) {
        const QList<CCharRecord> characters = RecentCharacters(db, userKey);
        weak = Names(WeakCharacters(characters));
        text = ChineseScreen(characters, Sentences(), seed);
    } else {
        const QList<CKeyFigures> keys = RecentKeys(db, userKey);
        weak = Names(WeakKeys(keys));
        text = EnglishScreen(keys, Words(), seed);
    }
    CPracticeScreen screen =
        DrillScreen(bChinese ? PracticeKind::Chinese : PracticeKind::English, text, Title);
    // The card names what the screen trains.
    if (!weak.isEmpty())
        screen.strAim = u"这一屏多练这些%1:%2"_s.arg(bChinese ? u"字"_s : u"键"_s, weak.join(u' '));
    else
        screen.strAim = bChinese ? u"还没有哪个字特别难打,这一屏是常用的句子"_s
                                 : u"还没有哪个键特别难按,这一屏各个键一样多"_s;
    return screen;
}

} // namespace SmartDrill
