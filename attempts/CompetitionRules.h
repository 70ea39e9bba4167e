#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>

// 比赛: how a competition is scored, ranked and given its prizes. A
// competition is an exam its pupils start together; its results are the
// sittings the server scored.
struct CCompetitionSettings
{
    enum Scoring : int {
        CorrectPerMinute = 0, // correct characters a minute
        NetFivePenalty = 1,   // 错一罚五: each wrong character costs five right ones
    };
    int nScoring = CorrectPerMinute;
    // The shares of the ranked pupils (percent) that win 一等奖, 二等奖 and
    // 三等奖, down the ranking.
    std::array<int, 3> shares{10, 20, 30};
    // Null until a teacher starts it.
    QDateTime startsAt;
};

namespace CompetitionRules {

// From the teacher's 开始比赛 to the start every program counts down to.
inline constexpr qint64 CountdownMs = 10000;
inline constexpr int WrongCost = 5;

// "每分钟打对的字数", "错一罚五".
QString ScoringName(int scoring);
// The rule as the pupil's card states it before the start.
QString ScoringRule(int scoring);
// "一等奖", "二等奖", "三等奖"; empty for 0.
QString PrizeName(int prize);
// Why shares cannot be kept, in the teacher's words; empty when they can:
// each from 0 to 100, together at most 100.
QString SharesProblem(const std::array<int, 3>& shares);

// A result's score over the time its speed is measured over: correct
// characters a minute, or (correct − 5 × wrong) a minute and never below
// 0; 0 without time.
double Score(int scoring, int typed, int correct, qint64 elapsedMs);

// One finished result to rank.
struct CEntry
{
    double dScore = 0;
    int nAccuracy = 0;
    qint64 nUsedMs = 0; // the time taken
    bool bInDoubt = false;
};
struct CPlace
{
    int nPlace = 0; // from 1; equal entries share it
    int nPrize = 0; // 1 一等奖, 2 二等奖, 3 三等奖, 0 none
};
// The places of entries, in their order: by score (higher first), then
// accuracy (higher first), then the time taken (shorter first); entries
// equal in all three share a place. The prizes go down the ranking by
// shares of the entries not in doubt (rounded, at least one while a share
// is above 0), and an entry tied with a winner wins the same. An entry in
// doubt keeps its place but wins nothing until a teacher confirms it.
QList<CPlace> Rank(const QList<CEntry>& entries, const std::array<int, 3>& shares);

} // namespace CompetitionRules
