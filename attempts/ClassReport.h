#pragma once

#include "attempts/Grades.h"
#include "attempts/Progress.h"
#include "users/Pupil.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

class CDaoDatabase;

// The figures of a class for one practice kind over a range of days: one
// row per pupil of the class, pupils without an attempt included. Every
// figure comes from the attempts through Metrics, as 我的练习记录 shows it.

// Days from..to, both included; a null end is open.
struct CDayRange
{
    QDate from;
    QDate to;

    bool Contains(const QDate& day) const
    {
        return (from.isNull() || day >= from) && (to.isNull() || day <= to);
    }
};

struct CPupilFigures
{
    CPupil pupil;
    QList<CAttemptSummary> attempts; // in the range, newest first
    CProgressFigures figures;        // SummariseKind over attempts
    double dLatestSpeed = 0;
    qint64 nTotalMs = 0;
    int nInDoubt = 0; // attempts 可疑 until a teacher confirms them
    // 回改, 键准, 选重 and 打词率 over the attempts not in doubt.
    CTypingFigures typing;
    // The best grade of the attempts that count, by the class's rule
    // (Grades::Best); nothing when none counts.
    std::optional<Grade> grade;

    bool HasAttempts() const { return !attempts.isEmpty(); }
};

struct CClassReport
{
    QString strClass;
    int nKind = 0;
    CDayRange range;
    QList<CPupilFigures> pupils; // in student-number order
};

// The pupils of a class in student-number order. Throws CDaoException.
QList<CPupil> LoadPupils(CDaoDatabase& db, const QString& className);
// Throws CDaoException.
CClassReport LoadClassReport(CDaoDatabase& db, const QString& className, int kind,
                             const CDayRange& range);

// The class's average speed per week (weeks from Monday, oldest first): for
// each week, the mean over the pupils who practised in it of each pupil's
// mean speed that week, so that one busy pupil does not outweigh the rest.
struct CWeekAverage
{
    QDate monday;
    double dSpeed = 0;
    int nPupils = 0;
};
QList<CWeekAverage> WeeklyAverages(const CClassReport& report);

// How many pupils' best speeds fall in each band [from, from + width); the
// width is a round number giving at most ten bands. Pupils without an
// attempt are not counted here.
struct CSpeedBand
{
    double dFrom = 0;
    double dWidth = 0;
    int nPupils = 0;
};
QList<CSpeedBand> BestSpeedBands(const CClassReport& report);
