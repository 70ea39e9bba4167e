#include "attempts/Doubts.h"

#include "attempts/AttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"

#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace Doubts {

QList<CResultInDoubt> LoadInDoubt(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT a.id, a.started_at, a.user_name, a.class_name, a.kind, a.typed_units, "
                  "a.correct_units, a.elapsed_ms, coalesce(a.doubt, ''), s.id IS NOT NULL "
                  "FROM attempt a LEFT JOIN exam_sitting s ON s.attempt_id = a.id "
                  "WHERE a.checked = 2 ORDER BY a.started_at DESC, a.id DESC"_s);
    Exec(query);
    QList<CResultInDoubt> results;
    while (query.next()) {
        CResultInDoubt& result = results.emplace_back();
        result.nAttemptId = query.value(0).toLongLong();
        result.startedAt = ParseStoredDateTime(query.value(1));
        result.strName = query.value(2).toString();
        result.strClass = query.value(3).toString();
        result.nKind = query.value(4).toInt();
        result.nTypedUnits = query.value(5).toInt();
        result.nCorrectUnits = query.value(6).toInt();
        result.nElapsedMs = query.value(7).toLongLong();
        result.strDoubt = query.value(8).toString();
        result.bExam = query.value(9).toBool();
    }
    CheckRead(query);
    return results;
}

bool Confirm(CDaoDatabase& db, qint64 attemptId)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT qe_confirm_result(?)"_s);
    query.addBindValue(attemptId);
    Exec(query);
    NextRow(query);
    return query.value(0).toInt() > 0;
}

CClassSpeed LoadClassSpeed(CDaoDatabase& db, const QString& className)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT coalesce(qe_school_year(?), 0), qe_plausible_speed(?, 111), "
                  "qe_plausible_speed(?, 112), EXISTS (SELECT 1 FROM class_speed "
                  "WHERE class_name = ?)"_s);
    for (int i = 0; i < 4; ++i)
        query.addBindValue(className);
    Exec(query);
    NextRow(query);
    return {query.value(0).toInt(), query.value(1).toInt(), query.value(2).toInt(),
            query.value(3).toBool()};
}

void SetClassSpeed(CDaoDatabase& db, const QString& className, int chinese, int others)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"INSERT INTO class_speed (class_name, chinese_per_minute, others_per_minute) "
                   "VALUES (?, ?, ?) ON CONFLICT (class_name) DO UPDATE SET "
                   "chinese_per_minute = excluded.chinese_per_minute, "
                   "others_per_minute = excluded.others_per_minute, set_at = LOCALTIMESTAMP(3)"_s);
    query.addBindValue(className);
    query.addBindValue(chinese);
    query.addBindValue(others);
    Exec(query);
}

void ClearClassSpeed(CDaoDatabase& db, const QString& className)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"DELETE FROM class_speed WHERE class_name = ?"_s);
    query.addBindValue(className);
    Exec(query);
}

QString SchoolYearText(int year)
{
    static const QStringList Numbers{u"一"_s, u"二"_s, u"三"_s, u"四"_s, u"五"_s, u"六"_s};
    if (year >= 1 && year <= 6)
        return Numbers[year - 1] + u"年级"_s;
    if (year >= 7 && year <= 9)
        return u"初"_s + Numbers[year - 7];
    if (year >= 10 && year <= 12)
        return u"高"_s + Numbers[year - 10];
    return u"年级不明"_s;
}

} // namespace Doubts
