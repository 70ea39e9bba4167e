#include "attempts/ExamScoring.h"

#include "attempts/PracticeKind.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace ExamScoring {

qint64 SpeedMs(qint64 usedMs, qint64 limitMs, bool bWholeInTime)
{
    return bWholeInTime ? std::max<qint64>(usedMs, 1) : limitMs;
}

CFigures Score(const QStringList& expected, const QStringList& expectedTexts,
               const QStringList& typed, const QStringList& typedTexts, int kind, qint64 limitMs,
               qint64 serverMs, int keyMedianMs, int keySpreadMs)
{
    CFigures figures;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (typed[i].isEmpty())
            continue;
        ++figures.nTyped;
        if (typed[i] == expected.value(i))
            ++figures.nCorrect;
        else
            figures.mistakes.append({int(i), expectedTexts.value(i), typedTexts.value(i)});
    }
    figures.bLate = serverMs > limitMs + LateGraceMs;
    figures.nUsedMs = std::clamp<qint64>(serverMs, 0, limitMs);
    figures.nSpeedMs =
        SpeedMs(figures.nUsedMs, limitMs, !figures.bLate && typed.size() == expected.size());
    const double perMinute =
        figures.nSpeedMs > 0 ? figures.nCorrect * 60000.0 / double(figures.nSpeedMs) : 0;
    const double fastest = kind == PracticeKind::Chinese ? 250 : 750;
    if (perMinute > fastest)
        figures.strFlagReason = u"每分钟超过%1个字,超出常人的速度"_s.arg(fastest);
    else if (figures.nTyped >= 30 && keyMedianMs > 0 && keySpreadMs * 10 < keyMedianMs)
        figures.strFlagReason = u"按键间隔整齐得像机器"_s;
    figures.bFlagged = !figures.strFlagReason.isEmpty();
    return figures;
}

QString Refusal(const QStringList& expected, const QStringList& typed,
                const QStringList& typedTexts)
{
    if (typed.size() > expected.size() || typed.size() != typedTexts.size())
        return u"成绩中打入的字比考试的屏幕还多"_s;
    return {};
}

} // namespace ExamScoring
