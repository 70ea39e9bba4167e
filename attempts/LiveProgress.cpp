#include "attempts/LiveProgress.h"

#include "attempts/AttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace LiveProgress {

namespace {

// A null QString would be bound as SQL NULL; the columns hold text.
QString Text(const QString& text)
{
    return text.isNull() ? u""_s : text;
}

QVariant ExamOrNull(qint64 examId)
{
    return examId == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(examId);
}

} // namespace

CAnswer Report(CDaoDatabase& db, qint64 userKey, const QString& name, const QString& className,
               const CReport& report, int nFrom)
{
    const QVariantList figures{report.nActivity,
                               report.nKind,
                               ExamOrNull(report.nExamId),
                               Text(report.strLabel.left(100)),
                               report.nScreenUnits,
                               report.nTypedUnits,
                               report.nCorrectUnits,
                               report.nElapsedMs,
                               report.nIdleMs,
                               report.bFocusLost ? 1 : 0,
                               report.nEndReason};
    if (db.IsPostgres()) {
        // One prepared call for the whole report, on the lab's roles, and
        // in an exam the cells typed since the server's last row began.
        CAnswer answer;
        const bool bCells = !report.strSittingUid.isEmpty() && report.nEndReason == 0;
        QSqlQuery& call =
            db.Prepared(bCells ? u"SELECT qe_report_progress(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?), "
                                 "qe_sitting_report(?, ?, ?::text[], ?::text[])"_s
                               : u"SELECT qe_report_progress(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
        for (int i = 0; i < figures.size(); ++i)
            call.bindValue(i, figures[i]);
        if (bCells) {
            const int from = qBound(0, nFrom, int(report.sittingCells.size()));
            call.bindValue(11, report.strSittingUid);
            call.bindValue(12, from);
            call.bindValue(13, DaoSql::TextArrayLiteral(report.sittingCells.mid(from)));
            call.bindValue(14, DaoSql::TextArrayLiteral(report.sittingTexts.mid(from)));
        }
        Exec(call);
        NextRow(call);
        answer.bExamStopped = call.value(0).toInt() != 0;
        if (bCells)
            answer.nSeenCells = call.value(1).toInt();
        call.finish();
        return answer;
    }
    QSqlQuery& upsert = db.Prepared(
        u"INSERT INTO live_progress (activity, kind, exam_id, label, screen_units, typed_units, "
        "correct_units, elapsed_ms, idle_ms, focus_lost, end_reason, user_key, user_name, "
        "class_name, reported_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (user_key) DO UPDATE SET activity = excluded.activity, "
        "kind = excluded.kind, exam_id = excluded.exam_id, label = excluded.label, "
        "screen_units = excluded.screen_units, typed_units = excluded.typed_units, "
        "correct_units = excluded.correct_units, elapsed_ms = excluded.elapsed_ms, "
        "idle_ms = excluded.idle_ms, focus_lost = excluded.focus_lost, "
        "end_reason = excluded.end_reason, user_name = excluded.user_name, "
        "class_name = excluded.class_name, reported_at = excluded.reported_at"_s);
    const QDateTime now = Platform().CurrentDateTime();
    QVariantList values = figures;
    values << userKey << Text(name) << Text(className) << StoredDateTime(now);
    for (int i = 0; i < values.size(); ++i)
        upsert.bindValue(i, values[i]);
    Exec(upsert);
    upsert.finish();
    if (report.nActivity == LoggedIn) {
        // Rows of programs silent for a day go.
        QSqlQuery old(db.Connection());
        Prepare(old, u"DELETE FROM live_progress WHERE reported_at < ?"_s);
        old.addBindValue(StoredDateTime(now.addDays(-1)));
        Exec(old);
    }
    CAnswer answer;
    answer.bExamStopped = report.nExamId != 0 && IsExamStopped(db, report.nExamId);
    return answer;
}

void Leave(CDaoDatabase& db, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    if (db.IsPostgres()) {
        Prepare(query, u"SELECT qe_leave_progress()"_s);
    } else {
        Prepare(query, u"DELETE FROM live_progress WHERE user_key = ?"_s);
        query.addBindValue(userKey);
    }
    Exec(query);
}

namespace {

QList<CRow> LoadRows(CDaoDatabase& db, const QString& where, const QVariant& value)
{
    QSqlQuery& query =
        db.Prepared(u"SELECT user_key, user_name, activity, kind, exam_id, label, screen_units, "
                    "typed_units, correct_units, elapsed_ms, idle_ms, focus_lost, end_reason, "
                    "reported_at FROM live_progress WHERE "_s +
                    where);
    query.addBindValue(value);
    Exec(query);
    QList<CRow> rows;
    while (query.next()) {
        CRow& row = rows.emplace_back();
        row.nUserKey = query.value(0).toLongLong();
        row.strName = query.value(1).toString();
        CReport& r = row.report;
        r.nActivity = query.value(2).toInt();
        r.nKind = query.value(3).toInt();
        r.nExamId = query.value(4).toLongLong();
        r.strLabel = query.value(5).toString();
        r.nScreenUnits = query.value(6).toInt();
        r.nTypedUnits = query.value(7).toInt();
        r.nCorrectUnits = query.value(8).toInt();
        r.nElapsedMs = query.value(9).toLongLong();
        r.nIdleMs = query.value(10).toLongLong();
        r.bFocusLost = query.value(11).toInt() != 0;
        r.nEndReason = query.value(12).toInt();
        row.reportedAt = ParseStoredDateTime(query.value(13));
    }
    CheckRead(query);
    query.finish();
    return rows;
}

} // namespace

QList<CRow> LoadClass(CDaoDatabase& db, const QString& className)
{
    return LoadRows(db, u"class_name = ?"_s, className);
}

QList<CRow> LoadExam(CDaoDatabase& db, qint64 examId)
{
    return LoadRows(db, u"exam_id = ?"_s, examId);
}

QString StateText(const CRow* row, const QDateTime& now)
{
    if (!row)
        return u"未登录"_s;
    const CReport& r = row->report;
    if (r.nActivity == LoggedIn)
        return u"空闲"_s;
    if (r.nEndReason != 0)
        return u"已完成"_s;
    const qint64 silent = row->reportedAt.msecsTo(now);
    if (silent >= OfflineAfterMs)
        return u"离线"_s;
    if (r.bFocusLost)
        return u"离开窗口"_s;
    if (r.nIdleMs + qMax<qint64>(silent, 0) >= IdleAfterMs)
        return u"空闲"_s;
    return r.nActivity == Exam ? u"考试中"_s : u"练习中"_s;
}

int ProgressPercent(const CReport& report)
{
    if (report.nScreenUnits <= 0)
        return 0;
    return qBound(0, report.nTypedUnits * 100 / report.nScreenUnits, 100);
}

void StopExam(CDaoDatabase& db, qint64 examId)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"INSERT INTO exam_stop (exam_id, stopped_at) VALUES (?, ?) "
                   "ON CONFLICT (exam_id) DO NOTHING"_s);
    query.addBindValue(examId);
    query.addBindValue(StoredDateTime(Platform().CurrentDateTime()));
    Exec(query);
}

bool IsExamStopped(CDaoDatabase& db, qint64 examId)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT 1 FROM exam_stop WHERE exam_id = ?"_s);
    query.addBindValue(examId);
    Exec(query);
    const bool stopped = query.next();
    CheckRead(query);
    return stopped;
}

} // namespace LiveProgress
