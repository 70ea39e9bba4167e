#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class CDaoDatabase;

// 练习我的错字: a screenful made of the characters (Chinese) or keys (the
// other kinds) a pupil mistyped most in their latest attempts.
namespace Drill {

// The title a drill's attempts are kept under.
inline const QString Title = QStringLiteral("练习我的错字");

// A practice character or key and how often it was mistyped.
struct CUnit
{
    QString strText;
    int nCount = 0;

    bool operator==(const CUnit&) const = default;
};

// Fewer different characters than this make no drill.
constexpr int MinimumUnits = 3;
// At most this many of the latest attempts count, and this many units.
constexpr int RecentAttempts = 20;
constexpr int MostUnits = 12;

// The units of kind the user with key userKey mistyped in their latest
// attempts of that kind, most often first (equal counts in text order);
// only what a screen of the kind can hold (a double-byte cell, or one
// visible key). Throws CDaoException.
QList<CUnit> RecentMistakes(CDaoDatabase& db, qint64 userKey, int kind);

// One screenful of the units, as the loader reads a file: each unit about
// as often as it was mistyped (each at least once), in an order the seed
// shuffles, never the same unit twice in a row when that can be avoided.
// The single-byte kinds come in groups of five keys and a space.
QByteArray ScreenText(const QList<CUnit>& units, int kind, quint32 seed);

} // namespace Drill
