#include "attempts/AttemptStore.h"

#include "attempts/CommitFigures.h"
#include "platform/Dao.h"
#include "platform/DaoSql.h"
#include "platform/DaoTransaction.h"
#include "users/ServerAccounts.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void Throw(const QSqlQuery& query)
{
    DaoSql::Throw(query.lastError());
}

void Exec(QSqlQuery& query)
{
    if (!query.exec())
        Throw(query);
}

// A null QString would be bound as SQL NULL; the columns hold text.
QString Text(const QString& text)
{
    return text.isNull() ? u""_s : text;
}

} // namespace

QVariant KnownCount(int count)
{
    return count < 0 ? QVariant(QMetaType::fromType<int>()) : QVariant(count);
}

int CountOrUnknown(const QVariant& stored)
{
    return stored.isNull() ? -1 : stored.toInt();
}

QString StoredDateTime(const QDateTime& time)
{
    return time.toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s);
}

QDateTime ParseStoredDateTime(const QVariant& stored)
{
    if (stored.metaType().id() == QMetaType::QDateTime)
        return stored.toDateTime();
    // Read by hand: a pupil's list reads thousands, and the general parser
    // takes twenty times as long.
    const QString text = stored.toString();
    const QStringView view(text);
    const auto number = [&view](qsizetype from, qsizetype length) {
        return view.mid(from, length).toInt();
    };
    if (text.size() == 23 && text[4] == u'-' && text[7] == u'-' && text[10] == u' ' &&
        text[13] == u':' && text[16] == u':' && text[19] == u'.') {
        const QDateTime time(QDate(number(0, 4), number(5, 2), number(8, 2)),
                             QTime(number(11, 2), number(14, 2), number(17, 2), number(20, 3)));
        if (time.isValid())
            return time;
    }
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

namespace {

QString IntegerArrayLiteral(const QList<int>& numbers)
{
    QStringList texts;
    texts.reserve(numbers.size());
    for (const int number : numbers)
        texts.append(QString::number(number));
    return u'{' + texts.join(u',') + u'}';
}

// The keys and their four figures each, as the server's functions take them.
std::pair<QString, QString> KeyArrays(const QList<CKeyFigures>& keys)
{
    QStringList names;
    QList<int> figures;
    for (const CKeyFigures& key : keys) {
        names.append(key.strKey);
        figures << key.nExpected << key.nPresses << key.nWrong << key.nMedianMs;
    }
    return {DaoSql::TextArrayLiteral(names), IntegerArrayLiteral(figures)};
}

// The detail's rows through the server's function, which checks that the
// attempt is the pupil's own and just stored.
void StoreDetailOnServer(CDaoDatabase& db, qint64 attemptId, const CKeyDetail& detail)
{
    QStringList expected, committed, keysTyped;
    QList<int> commitFigures;
    for (const CCommitUnit& unit : detail.commits) {
        expected.append(unit.strExpected);
        committed.append(unit.strCommitted);
        keysTyped.append(unit.strKeys);
        commitFigures << unit.nKeyCount << unit.nElapsedMs << unit.nPicked << unit.nDeleted;
    }
    QSqlQuery& call = db.Prepared(u"SELECT qe_store_detail(?, ?::text[], ?::integer[], "
                                  "?::text[], ?::text[], ?::text[], ?::integer[])"_s);
    const auto [keys, keyFigures] = KeyArrays(detail.keys);
    const QVariantList values{attemptId,
                              keys,
                              keyFigures,
                              DaoSql::TextArrayLiteral(expected),
                              DaoSql::TextArrayLiteral(committed),
                              DaoSql::TextArrayLiteral(keysTyped),
                              IntegerArrayLiteral(commitFigures)};
    for (int i = 0; i < values.size(); ++i)
        call.bindValue(i, values[i]);
    Exec(call);
    call.finish();
}

// Rows into table, by one statement for up to a batch of them: one round
// trip instead of one each, while a lab stores at the bell. values(i) are
// the values of row i, in the order of columns.
void InsertRows(CDaoDatabase& db, const QString& table, const QString& columns, qsizetype rows,
                const std::function<QVariantList(qsizetype)>& values)
{
    constexpr qsizetype Batch = 64;
    const auto width = columns.count(u',') + 1;
    const QString row = u'(' + QStringList(width, u"?"_s).join(u", "_s) + u')';
    for (qsizetype from = 0; from < rows; from += Batch) {
        const qsizetype count = std::min(Batch, rows - from);
        QSqlQuery& insert = db.Prepared(u"INSERT INTO %1 (%2) VALUES "_s.arg(table, columns) +
                                        QStringList(count, row).join(u", "_s));
        int bind = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            for (const QVariant& value : values(i))
                insert.bindValue(bind++, value);
        }
        Exec(insert);
        insert.finish();
    }
}

void InsertKeys(CDaoDatabase& db, const QString& table, const QString& idColumn, qint64 id,
                qint64 userKey, const QList<CKeyFigures>& keys)
{
    InsertRows(db, table, idColumn + u", user_key, key_name, expected, presses, wrong, median_ms"_s,
               keys.size(), [&](qsizetype i) {
                   const CKeyFigures& key = keys[i];
                   return QVariantList{
                       id,           userKey,    Text(key.strKey),         key.nExpected,
                       key.nPresses, key.nWrong, KnownCount(key.nMedianMs)};
               });
}

// The detail's rows written directly.
void InsertDetail(CDaoDatabase& db, qint64 attemptId, qint64 userKey, const CKeyDetail& detail)
{
    InsertKeys(db, u"attempt_key"_s, u"attempt_id"_s, attemptId, userKey, detail.keys);
    InsertRows(db, u"attempt_commit"_s,
               u"attempt_id, user_key, position, expected, committed, keys_typed, key_count, "
               "elapsed_ms, picked, deleted"_s,
               detail.commits.size(), [&](qsizetype i) {
                   const CCommitUnit& unit = detail.commits[i];
                   return QVariantList{attemptId,
                                       userKey,
                                       int(i),
                                       Text(unit.strExpected),
                                       Text(unit.strCommitted),
                                       Text(unit.strKeys),
                                       KnownCount(unit.nKeyCount),
                                       unit.nElapsedMs,
                                       unit.nPicked,
                                       unit.nDeleted};
               });
    if (!detail.commits.isEmpty())
        CommitFigures::StoreTally(db, attemptId);
}

} // namespace

void StoreLessonKeys(CDaoDatabase& db, qint64 lessonAttemptId, qint64 userKey,
                     const QList<CKeyFigures>& keys)
{
    if (keys.isEmpty())
        return;
    if (!ServerAccounts::IsPupilSession(db)) {
        InsertKeys(db, u"lesson_key"_s, u"lesson_attempt_id"_s, lessonAttemptId, userKey, keys);
        return;
    }
    QSqlQuery& call = db.Prepared(u"SELECT qe_store_lesson_keys(?, ?::text[], ?::integer[])"_s);
    const auto [names, figures] = KeyArrays(keys);
    call.bindValue(0, lessonAttemptId);
    call.bindValue(1, names);
    call.bindValue(2, figures);
    Exec(call);
    call.finish();
}

void StoreDetail(CDaoDatabase& db, qint64 attemptId, qint64 userKey, const CKeyDetail& detail)
{
    if (detail.IsEmpty())
        return;
    if (ServerAccounts::IsPupilSession(db))
        StoreDetailOnServer(db, attemptId, detail);
    else
        InsertDetail(db, attemptId, userKey, detail);
}

qint64 StoreAttempt(CDaoDatabase& db, qint64 scoreKey, const CAttempt& attempt)
{
    // Prepared once per session: fifty pupils storing at once do not each
    // make the server plan them again.
    QSqlQuery& insert = db.Prepared(
        u"INSERT INTO attempt (score_key, user_key, user_name, class_name, student_no, "
        "kind, text_file, text_hash, started_at, ended_at, elapsed_ms, typed_units, "
        "correct_units, backspaces, end_reason, key_median_ms, key_spread_ms, key_presses, "
        "backspace_presses, checked) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1) RETURNING id"_s);
    const QVariantList values{scoreKey,
                              attempt.nUserKey,
                              Text(attempt.strUserName),
                              Text(attempt.strClass),
                              Text(attempt.strStudentNo),
                              attempt.nKind,
                              Text(attempt.strTextFile),
                              Text(attempt.strTextHash),
                              StoredDateTime(attempt.startedAt),
                              StoredDateTime(attempt.endedAt),
                              attempt.nElapsedMs,
                              attempt.nTypedUnits,
                              attempt.nCorrectUnits,
                              attempt.nBackspaces,
                              attempt.nEndReason,
                              attempt.nKeyMedianMs,
                              attempt.nKeySpreadMs,
                              KnownCount(attempt.nKeyPresses),
                              KnownCount(attempt.nBackspacePresses)};
    for (int i = 0; i < values.size(); ++i)
        insert.bindValue(i, values[i]);
    if (!insert.exec() || !insert.next()) {
        const QSqlError error = insert.lastError();
        insert.finish();
        DaoSql::Throw(error);
    }
    const qint64 attemptId = insert.value(0).toLongLong();
    insert.finish();

    if (attempt.nTextId != 0 || attempt.nExamId != 0) {
        // A text or an exam deleted while the pupil typed is named as none.
        QSqlQuery& text =
            db.Prepared(u"INSERT INTO attempt_text (attempt_id, text_id, screen, exam_id) "
                        "VALUES (?, (SELECT id FROM practice_text WHERE id = ?), ?, "
                        "(SELECT id FROM exam WHERE id = ?))"_s);
        text.bindValue(0, attemptId);
        text.bindValue(1, attempt.nTextId);
        text.bindValue(2, attempt.nScreen);
        text.bindValue(3, attempt.nExamId);
        Exec(text);
        text.finish();
    }

    InsertRows(db, u"attempt_mistake"_s, u"attempt_id, position, user_key, kind, expected, typed"_s,
               attempt.mistakes.size(), [&](qsizetype i) {
                   const CMistake& cell = attempt.mistakes[i];
                   return QVariantList{attemptId,     cell.nPosition,         attempt.nUserKey,
                                       attempt.nKind, Text(cell.strExpected), Text(cell.strTyped)};
               });
    StoreDetail(db, attemptId, attempt.nUserKey, attempt.detail);
    return attemptId;
}

void BeginOnServer(CDaoDatabase& db)
{
    if (!ServerAccounts::IsPupilSession(db))
        return;
    QSqlQuery query(db.Connection());
    if (!query.exec(u"SELECT qe_begin_attempt()"_s))
        DaoSql::Throw(query.lastError());
}

namespace {

// A pupil's practice on a server: the server stores it as the described
// score row and its attempt, from the cells and its own clock.
void StoreOnServer(CDaoDatabase& db, const FieldList& scoreFields, const CAttempt& attempt)
{
    int seconds = 0;
    for (const auto& [field, value] : scoreFields) {
        if (field == 8)
            seconds = value.value.toInt();
    }
    QSqlQuery& call =
        db.Prepared(u"SELECT attempt_id FROM qe_store_practice(?, ?::text[], ?::text[], ?::text[], "
                    "?::text[], ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_s);
    const QVariantList values{attempt.nKind,
                              DaoSql::TextArrayLiteral(attempt.screenCells),
                              DaoSql::TextArrayLiteral(attempt.screenTexts),
                              DaoSql::TextArrayLiteral(attempt.typedCells),
                              DaoSql::TextArrayLiteral(attempt.typedTexts),
                              seconds,
                              attempt.nElapsedMs,
                              attempt.nBackspaces,
                              attempt.nEndReason,
                              Text(attempt.strTextFile),
                              Text(attempt.strTextHash),
                              attempt.nTextId,
                              attempt.nScreen,
                              attempt.nKeyMedianMs,
                              attempt.nKeySpreadMs,
                              attempt.nKeyPresses,
                              attempt.nBackspacePresses};
    for (int i = 0; i < values.size(); ++i)
        call.bindValue(i, values[i]);
    const bool bRan = call.exec() && call.next();
    const QSqlError error = call.lastError();
    const qint64 attemptId = bRan ? call.value(0).toLongLong() : 0;
    call.finish();
    if (!bRan)
        DaoSql::Throw(error);
    StoreDetail(db, attemptId, attempt.nUserKey, attempt.detail);
}

} // namespace

void StoreScoreWithAttempt(CDaoDatabase& db, const FieldList& scoreFields, const CAttempt* pAttempt)
{
    CDaoTransaction transaction(db);
    if (pAttempt && ServerAccounts::IsPupilSession(db)) {
        StoreOnServer(db, scoreFields, *pAttempt);
        transaction.Commit();
        return;
    }
    const qint64 scoreKey = InsertRow(db, u"score"_s, scoreFields);
    if (pAttempt)
        StoreAttempt(db, scoreKey, *pAttempt);
    transaction.Commit();
}
