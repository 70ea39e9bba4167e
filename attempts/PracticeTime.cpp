#include "attempts/PracticeTime.h"

#include "attempts/AttemptStore.h"
#include "attempts/ClassReport.h"
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

QList<CPracticeWeek> LoadWeek(CDaoDatabase& db, const QString& className, const QDate& monday)
{
    const QList<CPupil> pupils = LoadPupils(db, className);
    QHash<qint64, QList<CPracticeSpan>> spans;
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT a.user_key, a.started_at, a.elapsed_ms FROM attempt a "
                  "JOIN \"user\" u ON u.qe_key = a.user_key WHERE u.class = ? AND a.checked <> 2 "
                  "AND a.started_at >= ? AND a.started_at < ? "
                  "UNION ALL SELECT l.user_key, l.started_at, l.elapsed_ms FROM lesson_attempt l "
                  "JOIN \"user\" u ON u.qe_key = l.user_key WHERE u.class = ? AND l.checked <> 2 "
                  "AND l.started_at >= ? AND l.started_at < ?"_s);
    const QVariant from = StoredDateTime(monday.startOfDay());
    const QVariant to = StoredDateTime(monday.addDays(7).startOfDay());
    for (int i = 0; i < 2; ++i) {
        query.addBindValue(className);
        query.addBindValue(from);
        query.addBindValue(to);
    }
    Exec(query);
    while (query.next())
        spans[query.value(0).toLongLong()].append(
            {ParseStoredDateTime(query.value(1)), query.value(2).toLongLong()});
    CheckRead(query);
    QList<CPracticeWeek> weeks;
    for (const CPupil& pupil : pupils)
        weeks.append(Of(pupil, spans.value(pupil.nKey)));
    std::stable_partition(weeks.begin(), weeks.end(),
                          [](const CPracticeWeek& week) { return week.nMs == 0; });
    return weeks;
}

QString MinutesText(qint64 ms)
{
    return QString::number(double(ms) / 60000, 'f', 1);
}

} // namespace PracticeTime
