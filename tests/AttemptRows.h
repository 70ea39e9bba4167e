#pragma once

#include "attempts/AttemptStore.h"
#include "platform/Dao.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// An attempt of kind by the user, ms long from at, with its counts.
inline CAttempt TimedAttempt(qint64 user, int kind, const QDateTime& at, qint64 ms, int typed = 0,
                             int correct = 0)
{
    CAttempt attempt;
    attempt.nUserKey = user;
    attempt.nKind = kind;
    attempt.startedAt = at;
    attempt.endedAt = at.addMSecs(ms);
    attempt.nElapsedMs = ms;
    attempt.nTypedUnits = typed;
    attempt.nCorrectUnits = correct;
    return attempt;
}

// The attempt stored with its score row, of the pupil named (of nobody when
// name is empty; without a number when number is null) at accuracy.
inline void StoreWithScore(CDaoDatabase& db, const CAttempt& attempt, const QString& name = {},
                           const QString& number = {}, int accuracy = 0)
{
    FieldList fields{{9, CDaoFieldValue::FromInt16(qint16(accuracy))}};
    if (!number.isNull())
        fields.insert(fields.begin(), {1, CDaoFieldValue::FromText(number)});
    if (!name.isEmpty())
        fields.insert(fields.begin(), {0, CDaoFieldValue::FromText(name)});
    StoreScoreWithAttempt(db, fields, &attempt);
}

// The stored attempts as the suites compare them: each attempt as "score
// name|user key|name|class|number|kind|file|hash|start|end|ms|typed|correct|
// backspaces|end reason", followed by its mistyped cells as
// "position|expected|typed".
inline QStringList StoredAttempts(CDaoDatabase* db)
{
    QSqlQuery query(db->Connection());
    query.exec(QStringLiteral(
        "SELECT s.name, a.user_key, a.user_name, a.class_name, a.student_no, a.kind, a.text_file, "
        "a.text_hash, a.started_at, a.ended_at, a.elapsed_ms, a.typed_units, a.correct_units, "
        "a.backspaces, a.end_reason, a.id FROM attempt a JOIN score s ON s.qe_key = a.score_key "
        "ORDER BY a.id"));
    QStringList rows;
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < 15; ++i)
            cells.append(i == 8 || i == 9 ? StoredDateTime(ParseStoredDateTime(query.value(i)))
                                          : query.value(i).toString());
        rows.append(cells.join(u'|'));
        QSqlQuery cell(db->Connection());
        cell.prepare(QStringLiteral("SELECT position, expected, typed FROM attempt_mistake "
                                    "WHERE attempt_id = ? ORDER BY position"));
        cell.addBindValue(query.value(15));
        cell.exec();
        while (cell.next())
            rows.append(QStringList{cell.value(0).toString(), cell.value(1).toString(),
                                    cell.value(2).toString()}
                            .join(u'|'));
    }
    return rows;
}

// The rows of a table of our own, -1 when it cannot be read.
inline int CountRows(CDaoDatabase* db, const QString& table)
{
    QSqlQuery query(db->Connection());
    return query.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && query.next()
               ? query.value(0).toInt()
               : -1;
}

// The rows of a query of the suite's own, each as its cells joined by "|";
// a failed query gives "<its error>".
inline QStringList SelectRows(CDaoDatabase* db, const QString& sql)
{
    QSqlQuery query(db->Connection());
    if (!query.exec(sql))
        return {QStringLiteral("<%1>").arg(query.lastError().text())};
    QStringList rows;
    while (query.next()) {
        QStringList cells;
        for (int i = 0; i < query.record().count(); ++i)
            cells.append(query.value(i).toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}
