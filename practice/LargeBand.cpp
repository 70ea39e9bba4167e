#include "practice/LargeBand.h"

#include "attempts/Metrics.h"
#include "attempts/Progress.h"
#include "practice/PracticeScreen.h"

using namespace Qt::Literals::StringLiterals;

namespace LargeBand {

CStartCard Card(const CPracticeScreen& screen, int screenCount)
{
    QStringList lines;
    if (screen.nExamId != 0 && !screen.strCompetitionRule.isEmpty()) {
        lines << u"比赛:%1"_s.arg(screen.strTitle) << screen.strCompetitionRule;
        lines << u"限时 %1,从比赛开始算起,时间到了自动结束"_s.arg(
            Metrics::ClockText(screen.nTimeLimitSeconds));
        lines << u"比赛的文章在老师开始比赛后才显示,只能参加一次"_s;
    } else if (screen.nExamId != 0) {
        lines << u"考试:%1"_s.arg(screen.strTitle);
        lines << (screen.nTimeLimitSeconds > 0 ? u"限时 %1,时间到了自动结束"_s.arg(
                                                     Metrics::ClockText(screen.nTimeLimitSeconds))
                                               : u"不限时,按 Esc 结束"_s);
        lines << u"考试的文章在开始时才显示"_s;
        lines << (screen.bRetakeAllowed ? u"提前结束后可以重考"_s : u"这场考试只能考一次"_s);
    } else {
        lines << u"%1练习:%2"_s.arg(Metrics::KindName(screen.nKind), screen.strTitle);
        if (!screen.strAim.isEmpty())
            lines << screen.strAim;
        if (screenCount > 1)
            lines << u"第 %1 屏,共 %2 屏"_s.arg(screen.nScreen).arg(screenCount);
        if (screen.nTimeLimitSeconds > 0)
            lines << u"限时 %1"_s.arg(Metrics::ClockText(screen.nTimeLimitSeconds));
        lines << u"打错的字变红,按 Esc 结束"_s;
    }
    lines << (screen.bBackspaceAllowed ? u"可以用 Backspace 改正"_s : u"不能用 Backspace 改正"_s);
    return {lines, u"按空格键开始"_s};
}

QStringList Figures(int kind, int correct, int typed, qint64 elapsedMs, qint64 speedMs,
                    qint64 keyPresses, int limitSeconds)
{
    const qint64 seconds = elapsedMs / 1000;
    return {
        u"速度 %1"_s.arg(Metrics::SpeedText(Metrics::KindSpeed(kind, correct, speedMs))),
        u"正确率 %1"_s.arg(Metrics::AccuracyText(correct, typed)),
        u"击键 %1"_s.arg(Metrics::KeysPerSecondText(keyPresses, elapsedMs)),
        limitSeconds > 0 ? u"剩余 %1"_s.arg(Metrics::ClockText(limitSeconds - seconds))
                         : u"用时 %1"_s.arg(Metrics::ClockText(seconds)),
    };
}

QString Comparison(int kind, const QList<CAttemptSummary>& attempts, bool bThisOneStored)
{
    QList<CAttemptSummary> before;
    for (const CAttemptSummary& attempt : attempts) {
        if (attempt.nKind == kind)
            before.append(attempt);
    }
    if (bThisOneStored && !before.isEmpty())
        before.removeFirst(); // the newest is this attempt
    if (before.isEmpty())
        return u"这是你第一次做%1练习"_s.arg(Metrics::KindName(kind));
    const CAttemptSummary& last = before.first();
    QString line = u"上一次:速度 %1,正确率 %2"_s.arg(
        Metrics::SpeedText({last.Speed(), Metrics::SpeedUnit(kind)}),
        Metrics::AccuracyText(last.nCorrectUnits, last.nTypedUnits));
    const CProgressFigures figures = SummariseKind(before, kind);
    if (figures.nCounted == 0)
        return line + u"    最好:%1 %2"_s.arg(CProgressFigures::NotCounted(),
                                              CProgressFigures::NotCountedReason());
    return line + u"    最好:速度 %1,正确率 %2%"_s
                      .arg(Metrics::SpeedText({figures.dBestSpeed, Metrics::SpeedUnit(kind)}))
                      .arg(figures.nBestAccuracy);
}

} // namespace LargeBand
