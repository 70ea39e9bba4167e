#include "attempts/CompetitionRules.h"

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace CompetitionRules {

QString ScoringName(int scoring)
{
    return scoring == CCompetitionSettings::NetFivePenalty ? u"错一罚五"_s : u"每分钟打对的字数"_s;
}

QString ScoringRule(int scoring)
{
    if (scoring == CCompetitionSettings::NetFivePenalty)
        return u"成绩 =(打对的字数 − 打错的字数 × 5)÷ 分钟数,不低于 0;"
               "成绩相同的比正确率,再比用时。"_s;
    return u"成绩 = 打对的字数 ÷ 分钟数;成绩相同的比正确率,再比用时。"_s;
}

QString PrizeName(int prize)
{
    switch (prize) {
    case 1:
        return u"一等奖"_s;
    case 2:
        return u"二等奖"_s;
    case 3:
        return u"三等奖"_s;
    default:
        return {};
    }
}

QString SharesProblem(const std::array<int, 3>& shares)
{
    for (size_t i = 0; i < shares.size(); ++i)
        if (shares[i] < 0 || shares[i] > 100)
            return u"%1的比例应为 0 到 100 之间的整数。"_s.arg(PrizeName(int(i) + 1));
    if (std::accumulate(shares.begin(), shares.end(), 0) > 100)
        return u"一、二、三等奖的比例加起来不能超过 100%。"_s;
    return {};
}

double Score(int scoring, int typed, int correct, qint64 elapsedMs)
{
    if (elapsedMs <= 0)
        return 0;
    const int wrong = qMax(typed - correct, 0);
    const int counted = scoring == CCompetitionSettings::NetFivePenalty
                            ? qMax(correct - WrongCost * wrong, 0)
                            : qMax(correct, 0);
    return counted * 60000.0 / double(elapsedMs);
}

namespace {

// -1 when a ranks above b, 1 below, 0 equal.
int Compare(const CEntry& a, const CEntry& b)
{
    if (a.dScore != b.dScore)
        return a.dScore > b.dScore ? -1 : 1;
    if (a.nAccuracy != b.nAccuracy)
        return a.nAccuracy > b.nAccuracy ? -1 : 1;
    if (a.nUsedMs != b.nUsedMs)
        return a.nUsedMs < b.nUsedMs ? -1 : 1;
    return 0;
}

} // namespace

QList<CPlace> Rank(const QList<CEntry>& entries, const std::array<int, 3>& shares)
{
    QList<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&entries](int a, int b) { return Compare(entries[a], entries[b]) < 0; });
    const auto eligible =
        std::count_if(entries.begin(), entries.end(), [](const CEntry& e) { return !e.bInDoubt; });
    // The last eligible position (exclusive) of each prize, down the ranking.
    std::array<qsizetype, 3> ends{};
    qsizetype end = 0;
    for (size_t i = 0; i < shares.size(); ++i) {
        if (shares[i] > 0)
            end += qMax<qsizetype>(1, (eligible * shares[i] + 50) / 100);
        ends[i] = end;
    }

    QList<CPlace> places(entries.size());
    qsizetype winners = 0; // eligible entries ranked so far
    int lastEligible = -1;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const int at = order[i];
        CPlace& place = places[at];
        place.nPlace = i > 0 && Compare(entries[order[i - 1]], entries[at]) == 0
                           ? places[order[i - 1]].nPlace
                           : int(i) + 1;
        if (entries[at].bInDoubt)
            continue;
        if (lastEligible >= 0 && Compare(entries[lastEligible], entries[at]) == 0) {
            place.nPrize = places[lastEligible].nPrize;
        } else {
            for (size_t p = 0; p < ends.size(); ++p)
                if (winners < ends[p]) {
                    place.nPrize = int(p) + 1;
                    break;
                }
        }
        ++winners;
        lastEligible = at;
    }
    return places;
}

} // namespace CompetitionRules
