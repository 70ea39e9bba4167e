#include "attempts/DailyGoal.h"

#include "attempts/Metrics.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

QString CGoalProgress::Text() const
{
    QString text =
        u"今日目标:练习 %1 分钟,正确率不低于 %2%。"_s.arg(goal.nMinutes).arg(goal.nAccuracy);
    if (nTodayMs <= 0) {
        text += u"今天还没有练习。"_s;
    } else {
        text += u"今天已练 %1 分钟"_s.arg(PracticeTime::MinutesText(nTodayMs));
        if (nTodayAccuracy >= 0)
            text += u",正确率 %1%"_s.arg(nTodayAccuracy);
        text += bMetToday ? u",目标达到了!"_s : u"。"_s;
    }
    if (nDaysInARow > 0)
        text += u"已连续 %1 天达到目标。"_s.arg(nDaysInARow);
    return text;
}

namespace DailyGoal {

namespace {

// A day's time, and what it typed and typed right.
struct CDayTotals
{
    qint64 nMs = 0;
    qint64 nTyped = 0;
    qint64 nCorrect = 0;
};

CDayTotals Totals(const QList<CPracticeSpan>& day)
{
    CDayTotals totals;
    for (const CPracticeSpan& span : day) {
        totals.nMs += qMax<qint64>(span.nElapsedMs, 0);
        totals.nTyped += span.nTyped;
        totals.nCorrect += span.nCorrect;
    }
    return totals;
}

} // namespace

QString Problem(const CDailyGoal& goal)
{
    if (goal.nMinutes < 1 || goal.nMinutes > 240)
        return u"每天练习的分钟数应为 1 到 240。"_s;
    if (goal.nAccuracy < 0 || goal.nAccuracy > 100)
        return u"正确率应为 0 到 100。"_s;
    return {};
}

CDailyGoal For(const CGoals& goals, const QString& className)
{
    return goals.value(className, Fallback(goals, className));
}

CDailyGoal Fallback(const CGoals& goals, const QString& className)
{
    return className.isEmpty() ? CDailyGoal() : goals.value(QString(), CDailyGoal());
}

bool Met(const CDailyGoal& goal, const QList<CPracticeSpan>& day)
{
    const CDayTotals totals = Totals(day);
    return totals.nMs >= qint64(goal.nMinutes) * 60000 &&
           (totals.nTyped == 0 ||
            Metrics::Accuracy(totals.nCorrect, totals.nTyped) >= goal.nAccuracy);
}

CGoalProgress Progress(const CDailyGoal& goal, const QList<CPracticeSpan>& spans,
                       const QDate& today)
{
    QMap<QDate, QList<CPracticeSpan>> byDay;
    for (const CPracticeSpan& span : spans)
        byDay[span.startedAt.date()].append(span);
    CGoalProgress progress;
    progress.goal = goal;
    QMap<QDate, qint64> metDays;
    for (auto it = byDay.cbegin(); it != byDay.cend(); ++it)
        if (Met(goal, *it))
            metDays.insert(it.key(), 1);
    const CDayTotals day = Totals(byDay.value(today));
    progress.nTodayMs = day.nMs;
    if (day.nTyped > 0)
        progress.nTodayAccuracy = Metrics::Accuracy(day.nCorrect, day.nTyped);
    progress.bMetToday = metDays.contains(today);
    progress.nDaysInARow = PracticeTime::DaysInARow(metDays, today);
    return progress;
}

CGoals Load(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT class_name, minutes, accuracy FROM daily_goal"_s);
    Exec(query);
    CGoals goals;
    while (query.next())
        goals.insert(query.value(0).toString(), {query.value(1).toInt(), query.value(2).toInt()});
    CheckRead(query);
    return goals;
}

void Save(CDaoDatabase& db, const QString& className, const CDailyGoal& goal)
{
    // The school's row has the empty name, never NULL.
    const QString name = className.isEmpty() ? u""_s : className;
    if (goal == Fallback(Load(db), name)) {
        Run(db, u"DELETE FROM daily_goal WHERE class_name = ?"_s, {name});
        return;
    }
    Run(db,
        u"INSERT INTO daily_goal (class_name, minutes, accuracy) VALUES (?, ?, ?) "
        "ON CONFLICT (class_name) DO UPDATE SET minutes = excluded.minutes, "
        "accuracy = excluded.accuracy"_s,
        {name, goal.nMinutes, goal.nAccuracy});
}

CGoalProgress LoadProgress(CDaoDatabase& db, qint64 userKey, const QString& className,
                           const QDate& today)
{
    // A year back: no row of days is longer than a school year.
    const QList<CPracticeSpan> spans =
        PracticeTime::LoadPupil(db, userKey, {today.addDays(-366), today});
    return Progress(For(Load(db), className), spans, today);
}

} // namespace DailyGoal
