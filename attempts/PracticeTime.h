#pragma once

#include "attempts/CommitFigures.h"
#include "attempts/ClassReport.h"
#include "users/Pupil.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

class CDaoDatabase;

// 练习时间 and 练习日历: how long and how often pupils practised, day by
// day and week by week, over every practice and lesson stored, results in
// doubt (可疑) left out until a teacher confirms them.

// One practice or lesson: when it began and how long it ran; a practice's
// kind (a lesson's is 0) and its units (a lesson's keys) typed and right.
struct CPracticeSpan
{
    QDateTime startedAt;
    qint64 nElapsedMs = 0;
    int nKind = 0;
    int nCorrect = 0;
    int nTyped = 0;
    CTypingFigures typing; // its corrections and key presses, for 键准
};

struct CPracticeWeek
{
    CPupil pupil;
    qint64 nMs = 0; // the time of every practice and lesson together
    int nDays = 0;  // the days with at least one
    int nSessions = 0;
    qint64 nMedianSessionMs = 0; // the median session's length
};

namespace PracticeTime {

// Practices less than this apart (from the end of one to the start of the
// next) are one session at the computer.
inline constexpr qint64 SessionGapMs = 10 * 60 * 1000;

// The week of a pupil from the spans, in any order. A session runs from its
// first practice's start to its last one's end; with an even number of
// sessions the median is the mean of the middle two.
CPracticeWeek Of(const CPupil& pupil, QList<CPracticeSpan> spans);

// The pupils of the class in the week of monday: those who did not practise
// first, each group in student-number order. Throws CDaoException.
QList<CPracticeWeek> LoadWeek(CDaoDatabase& db, const QString& className, const QDate& monday);

// Minutes with one decimal: "12.5".
QString MinutesText(qint64 ms);

// A pupil's own practices and lessons in range, in no order. Throws
// CDaoException.
QList<CPracticeSpan> LoadPupil(CDaoDatabase& db, qint64 userKey, const CDayRange& range);
// The time practised each day.
QMap<QDate, qint64> ByDay(const QList<CPracticeSpan>& spans);
// The days in a row practised up to today, or up to yesterday while today
// has nothing yet (the row is not broken before the day is over).
int DaysInARow(const QMap<QDate, qint64>& byDay, const QDate& today);

// One week (from Monday) of a pupil's: the time, the days, and the speed of
// each practice kind over its time (the kind's unit), as 我的练习记录
// reckons it.
struct CWeekTrend
{
    QDate monday;
    qint64 nMs = 0;
    int nDays = 0;
    QMap<int, double> speeds; // by kind, the kinds practised that week
    CTypingFigures typing;    // every practice's and lesson's together: 键准
};
// The weeks with practice, oldest first.
QList<CWeekTrend> Weeks(const QList<CPracticeSpan>& spans);

} // namespace PracticeTime
