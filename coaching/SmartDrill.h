#pragma once

#include "attempts/KeyDetail.h"
#include "practice/PracticeScreen.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CDaoDatabase;

// 智能练习: a screen made for one pupil from the keys behind their latest
// attempts: for the English side, words rich in the keys they miss or reach
// slowly; for Chinese, short sentences rich in the characters that cost
// them most keys or were mistyped; the weakest most. The figures come from
// the latest attempts only, so what was typed well for a few screens drops
// out on its own.
namespace SmartDrill {

// The title the practice's attempts are kept under.
inline const QString Title = QStringLiteral("智能练习");

// How many of the latest attempts with key figures count.
constexpr int RecentAttempts = 5;
// Fewer times a key was to be typed than this tell nothing of it.
constexpr int LeastSamples = 5;
// A key below this confidence is weak.
constexpr double WeakBelow = 0.8;
// At most this many weak keys shape a screen.
constexpr int MostWeakKeys = 3;

// How sure the pupil is of a key, from 0 to 1: by its time (1 at 340 ms or
// less, 0 at 1000 ms or more) and by how often it is missed (0 at a fifth).
double Confidence(const CKeyFigures& key);

// The keys (not pairs) below WeakBelow with enough samples, weakest first,
// at most MostWeakKeys.
QList<CKeyFigures> WeakKeys(const QList<CKeyFigures>& keys);

// The keys as the pupil reads them ("v", "th").
QStringList Names(const QList<CKeyFigures>& keys);

// A single-byte screenful (14 rows of 92 columns, no word split across
// rows) of words: with weak keys, three words in four hold the weakest and
// the rest are drawn the more often the more weak keys and slow pairs they
// hold; without, drawn evenly. The seed makes each screen its own.
QByteArray EnglishScreen(const QList<CKeyFigures>& keys, const QStringList& words, quint32 seed);

// The words a pupil knows (from the course's word list).
QStringList Words();

// The figures of the keys and pairs of the user's latest RecentAttempts
// attempts or lessons that have them (Weakness::ReadKeys). Throws
// CDaoException.
QList<CKeyFigures> RecentKeys(CDaoDatabase& db, qint64 userKey);

// A Chinese character over the recent attempts: the keys it cost where it
// was committed right (its share of its commit's keys), and the times it
// was mistyped.
struct CCharRecord
{
    QString strChar;
    int nTimes = 0;   // times it was to be typed
    int nMissed = 0;  // of them, something else was committed
    double dKeys = 0; // keys a time over the times committed right, 0 unknown

    bool operator==(const CCharRecord&) const = default;
};

// How sure the pupil is of a character, from 0 to 1: by its keys (1 at two
// or fewer, 0 at five or more) and by how often it is mistyped (0 at a
// fifth).
double Confidence(const CCharRecord& character);
// The characters below WeakBelow typed at least twice, weakest first, at
// most MostWeakCharacters.
constexpr int MostWeakCharacters = 5;
QList<CCharRecord> WeakCharacters(const QList<CCharRecord>& characters);

// The characters as the pupil reads them.
QStringList Names(const QList<CCharRecord>& characters);

// A Chinese screenful (644 cells) of the short sentences given: with weak
// characters, three in four hold the weakest and the rest are drawn the
// more often the more weak characters they hold; without, drawn evenly.
QByteArray ChineseScreen(const QList<CCharRecord>& characters, const QStringList& sentences,
                         quint32 seed);
// The short sentences of our Chinese texts, each with its punctuation.
QStringList Sentences();

// The characters of the user's latest RecentAttempts Chinese attempts that
// kept their commits. Throws CDaoException.
QList<CCharRecord> RecentCharacters(CDaoDatabase& db, qint64 userKey);
// Whether the user's latest attempt with detail was Chinese. Throws
// CDaoException.
bool LatestWasChinese(CDaoDatabase& db, qint64 userKey);

// A 智能练习 screen for the user from their recent attempts: Chinese or the
// English side, its card naming what it trains. Throws CDaoException.
CPracticeScreen Screen(CDaoDatabase& db, qint64 userKey, bool bChinese, quint32 seed);

} // namespace SmartDrill
