#include "attempts/PracticeTime.h"

#include "attempts/AttemptStore.h"
#include "attempts/ClassReport.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace PracticeTime {

CPracticeWeek Of(const CPupil& pupil, QList<CPracticeSpan> spans)
{
    CPracticeWeek week;
    week.pupil = pupil;
    std::sort(spans.begin(), spans.end(),
              [](const auto& a, const auto& b) { return a.startedAt < b.startedAt; });
    QSet<QDate> days;
    QList<qint64> sessions;
    QDateTime sessionStart, sessionEnd;
    for (const CPracticeSpan& span : std::as_const(spans)) {
        const qint64 ms = qMax<qint64>(span.nElapsedMs, 0);
        const QDateTime end = span.startedAt.addMSecs(ms);
        week.nMs += ms;
        days.insert(span.startedAt.date());
        if (sessionEnd.isValid() && sessionEnd.msecsTo(span.startedAt) < SessionGapMs) {
            sessionEnd = std::max(sessionEnd, end);
            continue;
        }
        if (sessionEnd.isValid())
            sessions.append(sessionStart.msecsTo(sessionEnd));
        sessionStart = span.startedAt;
        sessionEnd = end;
    }
    if (sessionEnd.isValid())
        sessions.append(sessionStart.msecsTo(sessionEnd));
    week.nDays = int(days.size());
    week.nSessions = int(sessions.size());
    if (!sessions.isEmpty()) {
        std::sort(sessions.begin(), sessions.end());
        const qsizetype middle = sessions.size() / 2;
        week.nMedianSessionMs = sessions.size() % 2 == 1
                                    ? sessions[middle]
                                    : (sessions[middle - 1] + sessions[middle]) / 2;
    }
    return week;
}

namespace {

// The practices and lessons of one pupil (who: the key) or of a class's
// pupils (who: its name), from..to (to excluded, either null for open), by
// pupil, in no order. A class's pupils are read first and each one's range
// of the pupils' index then (CROSS JOIN keeps SQLite from reading the whole
// school's days instead).
QHash<qint64, QList<CPracticeSpan>> LoadSpans(CDaoDatabase& db, bool bClass, const QVariant& who,
                                              const QDateTime& from, const QDateTime& to)
{
    // Open ends read as the first and the last day a stored time can have.
    const QVariant first = StoredDateTime(from.isValid() ? from : QDate(1, 1, 1).startOfDay());
    const QVariant last = StoredDateTime(to.isValid() ? to : QDate(9999, 12, 31).startOfDay());
    const auto rows = [bClass](const QString& table) {
        return bClass ? u"FROM \"user\" u CROSS JOIN %1 a WHERE a.user_key = u.qe_key "
                        "AND u.class = ?"_s.arg(table)
                      : u"FROM %1 a WHERE a.user_key = ?"_s.arg(table);
    };
    QSqlQuery query(db.Connection());
    Select(query,
           u"SELECT a.user_key, a.started_at, a.elapsed_ms, a.kind, a.correct_units, "
           "a.typed_units, a.backspaces, a.key_presses, a.backspace_presses, %3 %1 "
           "AND a.checked <> 2 AND a.started_at >= ? AND a.started_at < ? "
           "UNION ALL SELECT a.user_key, a.started_at, a.elapsed_ms, 0, a.correct_keys, "
           "a.keystrokes, a.backspaces, a.key_presses, a.backspace_presses, "
           "NULL, NULL, NULL, NULL, NULL %2 "
           "AND a.checked <> 2 AND a.started_at >= ? AND a.started_at < ?"_s.arg(
               rows(u"attempt"_s), rows(u"lesson_attempt"_s), CommitFigures::TallyColumns(u"a"_s)));
    for (int i = 0; i < 2; ++i) {
        query.addBindValue(who);
        query.addBindValue(first);
        query.addBindValue(last);
    }
    Exec(query);
    QHash<qint64, QList<CPracticeSpan>> spans;
    while (query.next()) {
        const int kind = query.value(3).toInt();
        const int typed = query.value(5).toInt();
        spans[query.value(0).toLongLong()].append(
            {ParseStoredDateTime(query.value(1)), query.value(2).toLongLong(), kind,
             query.value(4).toInt(), typed,
             CTypingFigures::Of(kind, typed, query.value(6).toInt(), CountOrUnknown(query.value(7)),
                                query.value(8).toInt(), CommitFigures::TallyAt(query, 9))});
    }
    CheckRead(query);
    return spans;
}

} // namespace

QList<CPracticeWeek> LoadWeek(CDaoDatabase& db, const QString& className, const QDate& monday)
{
    const QList<CPupil> pupils = LoadPupils(db, className);
    const auto spans =
        LoadSpans(db, true, className, monday.startOfDay(), monday.addDays(7).startOfDay());
    QList<CPracticeWeek> weeks;
    for (const CPupil& pupil : pupils)
        weeks.append(Of(pupil, spans.value(pupil.nKey)));
    std::stable_partition(weeks.begin(), weeks.end(),
                          [](const CPracticeWeek& week) { return week.nMs == 0; });
    return weeks;
}

QList<CPracticeSpan> LoadPupil(CDaoDatabase& db, qint64 userKey, const CDayRange& range)
{
    const QDateTime from = range.from.isNull() ? QDateTime() : range.from.startOfDay();
    const QDateTime to = range.to.isNull() ? QDateTime() : range.to.addDays(1).startOfDay();
    return LoadSpans(db, false, userKey, from, to).value(userKey);
}

QMap<QDate, qint64> ByDay(const QList<CPracticeSpan>& spans)
{
    QMap<QDate, qint64> byDay;
    for (const CPracticeSpan& span : spans)
        byDay[span.startedAt.date()] += qMax<qint64>(span.nElapsedMs, 0);
    return byDay;
}

int DaysInARow(const QMap<QDate, qint64>& byDay, const QDate& today)
{
    QDate day = byDay.value(today) > 0 ? today : today.addDays(-1);
    int days = 0;
    for (; byDay.value(day) > 0; day = day.addDays(-1))
        ++days;
    return days;
}

QList<CWeekTrend> Weeks(const QList<CPracticeSpan>& spans)
{
    struct CTally
    {
        qint64 nMs = 0;
        QSet<QDate> days;
        QMap<int, std::pair<qint64, qint64>> kinds; // correct units and ms
        CTypingFigures typing;
    };
    QMap<QDate, CTally> byWeek;
    for (const CPracticeSpan& span : spans) {
        const QDate day = span.startedAt.date();
        CTally& week = byWeek[day.addDays(1 - day.dayOfWeek())];
        week.nMs += qMax<qint64>(span.nElapsedMs, 0);
        week.days.insert(day);
        week.typing.Add(span.typing);
        if (PracticeKind::IsPractice(span.nKind)) {
            auto& [correct, ms] = week.kinds[span.nKind];
            correct += span.nCorrect;
            ms += qMax<qint64>(span.nElapsedMs, 0);
        }
    }
    QList<CWeekTrend> weeks;
    for (auto it = byWeek.cbegin(); it != byWeek.cend(); ++it) {
        CWeekTrend& week = weeks.emplace_back();
        week.monday = it.key();
        week.nMs = it->nMs;
        week.nDays = int(it->days.size());
        week.typing = it->typing;
        for (auto kind = it->kinds.cbegin(); kind != it->kinds.cend(); ++kind)
            week.speeds.insert(
                kind.key(), Metrics::KindSpeed(kind.key(), int(kind->first), kind->second).dValue);
    }
    return weeks;
}

QString MinutesText(qint64 ms)
{
    return QString::number(double(ms) / 60000, 'f', 1);
}

} // namespace PracticeTime
