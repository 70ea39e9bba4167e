#pragma once

#include "users/Pupil.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

class CDaoDatabase;

// 练习时间: how long and how often each pupil of a class practised in one
// week (Monday to Sunday), over every practice and lesson stored, results
// in doubt (可疑) left out until a teacher confirms them.

// One practice or lesson: when it began and how long it ran.
struct CPracticeSpan
{
    QDateTime startedAt;
    qint64 nElapsedMs = 0;
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

} // namespace PracticeTime
