#pragma once

#include "attempts/PracticeTime.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>

class CDaoDatabase;

// 每日目标: the minutes of practice a day and the accuracy to hold over the
// day's practices and lessons, set by a teacher for a class or the school.
struct CDailyGoal
{
    int nMinutes = 15;
    int nAccuracy = 90;

    bool operator==(const CDailyGoal&) const = default;
};

// Where a pupil stands with the goal today.
struct CGoalProgress
{
    CDailyGoal goal;
    qint64 nTodayMs = 0;
    int nTodayAccuracy = -1; // over what was typed today; -1 nothing
    bool bMetToday = false;
    int nDaysInARow = 0; // days the goal was met, as PracticeTime::DaysInARow counts them

    // "今日目标:练习 15 分钟,正确率不低于 90%。今天已练 6.5 分钟,正确率 94%。
    // 已连续 3 天达到目标。"
    QString Text() const;
};

namespace DailyGoal {

// The goals kept, by class ("" the school's).
using CGoals = QMap<QString, CDailyGoal>;

// Why a goal cannot be kept, in the teacher's words; empty when it can.
QString Problem(const CDailyGoal& goal);
// The class's own goal, else the school's, else the program's default.
CDailyGoal For(const CGoals& goals, const QString& className);
// What the class would have without its own: the school's, else the
// default (the school's own fallback is the default).
CDailyGoal Fallback(const CGoals& goals, const QString& className);
// Whether a day's spans meet the goal: its minutes, and the accuracy over
// what was typed (a day of nothing typed has no accuracy to miss).
bool Met(const CDailyGoal& goal, const QList<CPracticeSpan>& day);
// Where a pupil with these spans (the last weeks, any order) stands today.
CGoalProgress Progress(const CDailyGoal& goal, const QList<CPracticeSpan>& spans,
                       const QDate& today);

// Every function below throws CDaoException.
CGoals Load(CDaoDatabase& db);
// Keeps the class's goal; one equal to its fallback is not kept, so that
// the class follows the school again.
void Save(CDaoDatabase& db, const QString& className, const CDailyGoal& goal);
// Where the pupil of class with key userKey stands today.
CGoalProgress LoadProgress(CDaoDatabase& db, qint64 userKey, const QString& className,
                           const QDate& today);

} // namespace DailyGoal
