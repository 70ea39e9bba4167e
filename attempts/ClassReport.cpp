#include "attempts/ClassReport.h"

#include "attempts/Attempt.h"
#include "attempts/AttemptStore.h"
#include "attempts/CommitFigures.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QCollator>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QLocale>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

// Bounds for an open end of the range, in the stored form of the times.
const QString Earliest = u"1900-01-01 00:00:00.000"_s;
const QString Latest = u"3000-01-01 00:00:00.000"_s;

// Made once a thread: opening the collation costs more than sorting a class.
const QCollator& Collator()
{
    thread_local const QCollator collator = [] {
        QCollator made(QLocale(QLocale::Chinese, QLocale::China));
        made.setNumericMode(true);
        return made;
    }();
    return collator;
}

} // namespace

QList<CPupil> LoadPupils(CDaoDatabase& db, const QString& className)
{
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, u"SELECT qe_key, COALESCE(name, ''), COALESCE(class, ''), "
                   "COALESCE(student_no, '') FROM \"user\" WHERE COALESCE(class, '') = ?"_s);
    query.addBindValue(className);
    Exec(query);
    QList<CPupil> pupils;
    while (query.next()) {
        pupils.append({query.value(0).toLongLong(),
                       query.value(1).toString(),
                       query.value(2).toString(),
                       query.value(3).toString(),
                       {}});
    }
    CheckRead(query);
    const QCollator& collator = Collator();
    std::stable_sort(pupils.begin(), pupils.end(), [&collator](const CPupil& a, const CPupil& b) {
        const int byNumber = collator.compare(a.strStudentNo, b.strStudentNo);
        return byNumber != 0 ? byNumber < 0 : collator.compare(a.strName, b.strName) < 0;
    });
    return pupils;
}

CClassReport LoadClassReport(CDaoDatabase& db, const QString& className, int kind,
                             const CDayRange& range)
{
    CClassReport report{className, kind, range, {}};
    QHash<qint64, qsizetype> rowOfKey;
    for (const CPupil& pupil : LoadPupils(db, className)) {
        rowOfKey.insert(pupil.nKey, report.pupils.size());
        report.pupils.append({pupil, {}, {}, 0, 0, 0, {}, {}});
    }
    if (report.pupils.isEmpty())
        return report;

    // The attempts of the class's pupils, read from the pupils' index: the
    // class's few pupils first (CROSS JOIN keeps SQLite from scanning every
    // attempt instead), then each one's range of the index.
    QSqlQuery query(db.Connection());
    query.setForwardOnly(true);
    Prepare(query, u"SELECT a.user_key, a.started_at, a.elapsed_ms, a.typed_units, "
                   "a.correct_units, a.end_reason, a.backspaces, a.key_presses, a.checked, "
                   "a.doubt, a.id, a.backspace_presses, "_s +
                       CommitFigures::TallyColumns(u"a"_s) +
                       u" "
                       "FROM \"user\" u CROSS JOIN attempt a "
                       "WHERE a.user_key = u.qe_key AND COALESCE(u.class, '') = ? "
                       "AND a.started_at >= ? AND a.started_at < ? AND a.kind = ? "
                       "ORDER BY a.user_key, a.started_at DESC, a.id DESC"_s);
    query.addBindValue(className);
    query.addBindValue(range.from.isNull() ? Earliest : StoredDateTime(range.from.startOfDay()));
    query.addBindValue(range.to.isNull() ? Latest
                                         : StoredDateTime(range.to.addDays(1).startOfDay()));
    query.addBindValue(kind);
    Exec(query);
    while (query.next()) {
        const auto row = rowOfKey.constFind(query.value(0).toLongLong());
        if (row == rowOfKey.constEnd())
            continue; // moved to another class since the pupils were read
        CAttemptSummary& attempt = report.pupils[*row].attempts.emplace_back();
        attempt.nKind = kind;
        attempt.startedAt = ParseStoredDateTime(query.value(1));
        attempt.nElapsedMs = query.value(2).toLongLong();
        attempt.nTypedUnits = query.value(3).toInt();
        attempt.nCorrectUnits = query.value(4).toInt();
        attempt.bWholeText = query.value(5).toInt() == EndReason::EndOfScreen;
        attempt.nDeletedUnits = query.value(6).toInt();
        attempt.nKeyPresses = CountOrUnknown(query.value(7));
        attempt.bInDoubt = query.value(8).toInt() == Metrics::InDoubtChecked;
        attempt.strDoubt = query.value(9).toString();
        attempt.nId = query.value(10).toLongLong();
        attempt.nBackspacePresses = query.value(11).toInt();
        attempt.commits = CommitFigures::TallyAt(query, 12);
    }
    CheckRead(query);

    const CGradeRule gradeRule = GradeStore::Load(db).For(className, kind);
    for (CPupilFigures& row : report.pupils) {
        if (row.attempts.isEmpty())
            continue;
        row.figures = SummariseKind(row.attempts, kind);
        if (PracticeKind::IsPractice(kind))
            row.grade = Grades::Best(gradeRule, row.attempts);
        row.dLatestSpeed = row.attempts.constFirst().Speed();
        for (const CAttemptSummary& attempt : std::as_const(row.attempts)) {
            row.nTotalMs += qMax<qint64>(attempt.nElapsedMs, 0);
            row.nInDoubt += attempt.bInDoubt ? 1 : 0;
            if (!attempt.bInDoubt)
                row.typing.Add(attempt.Typing());
        }
    }
    return report;
}

QList<CWeekAverage> WeeklyAverages(const CClassReport& report)
{
    // A week's speed is all its correct units over all its time, so that a
    // few seconds' attempt weighs as little as it lasted.
    struct Week
    {
        qint64 nCorrect = 0;
        qint64 nMs = 0;
        QSet<qint64> pupils;
    };
    QMap<QDate, Week> weeks;
    for (const CPupilFigures& row : report.pupils) {
        for (const CAttemptSummary& attempt : row.attempts) {
            if (attempt.bInDoubt)
                continue; // counts for nothing until a teacher confirms it
            const QDate day = attempt.startedAt.date();
            Week& week = weeks[day.addDays(1 - day.dayOfWeek())];
            week.nCorrect += qMax(attempt.nCorrectUnits, 0);
            week.nMs += qMax<qint64>(attempt.nElapsedMs, 0);
            week.pupils.insert(row.pupil.nKey);
        }
    }
    QList<CWeekAverage> averages;
    for (auto week = weeks.cbegin(); week != weeks.cend(); ++week)
        averages.append({week.key(), AverageSpeed(report.nKind, week->nCorrect, week->nMs),
                         int(week->pupils.size())});
    return averages;
}

QList<CSpeedBand> BestSpeedBands(const CClassReport& report)
{
    QList<double> bests;
    for (const CPupilFigures& row : report.pupils) {
        if (row.figures.nCounted > 0)
            bests.append(row.figures.dBestSpeed);
    }
    if (bests.isEmpty())
        return {};
    const double highest = *std::max_element(bests.cbegin(), bests.cend());
    double width = 5;
    for (const double round : {5.0, 10.0, 20.0, 25.0, 50.0, 100.0, 200.0, 500.0}) {
        width = round;
        if (std::floor(highest / round) < 10)
            break;
    }
    const int bands = int(std::floor(highest / width)) + 1;
    QList<CSpeedBand> result;
    for (int i = 0; i < bands; ++i)
        result.append({i * width, width, 0});
    for (const double best : std::as_const(bests))
        ++result[std::min(bands - 1, int(std::floor(best / width)))].nPupils;
    return result;
}
