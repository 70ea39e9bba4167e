#include "attempts/ExamSitting.h"

#include "attempts/AttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "platform/StoreTransaction.h"

#include <QRandomGenerator>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

// Inserts the sitting as running unless a row with its uid exists.
void InsertRunning(CDaoDatabase& db, const CExamSitting& sitting)
{
    QSqlQuery insert(db.Connection());
    Prepare(insert,
            u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, "
            "focus_losses, seal_key) VALUES (?, ?, ?, ?, 0, 0, ?) ON CONFLICT (uid) DO NOTHING"_s);
    insert.addBindValue(sitting.strUid);
    insert.addBindValue(sitting.nExamId);
    insert.addBindValue(sitting.nUserKey);
    insert.addBindValue(StoredDateTime(sitting.startedAt));
    insert.addBindValue(sitting.strSealKey);
    Exec(insert);
}

} // namespace

CExamSitting CExamSitting::Begin(qint64 examId, qint64 userKey)
{
    CExamSitting sitting;
    sitting.strUid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QByteArray key(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(key.data()),
                                          key.size() / sizeof(quint32));
    sitting.strSealKey = QString::fromLatin1(key.toHex());
    sitting.nExamId = examId;
    sitting.nUserKey = userKey;
    sitting.startedAt = Platform().CurrentDateTime();
    return sitting;
}

void RecordSittingStart(CDaoDatabase& db, const CExamSitting& sitting)
{
    CStoreTransaction transaction(db); // opens a lost connection again
    InsertRunning(db, sitting);
    transaction.Commit();
}

QString SittingSealKey(CDaoDatabase& db, const QString& uid)
{
    CStoreTransaction transaction(db); // opens a lost connection again
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT seal_key FROM exam_sitting WHERE uid = ?"_s);
    query.addBindValue(uid);
    Exec(query);
    const QString key = query.next() ? query.value(0).toString() : QString();
    CheckRead(query);
    query.finish();
    transaction.Commit();
    return key;
}

int CountSittings(CDaoDatabase& db, qint64 examId, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT COUNT(*) FROM exam_sitting WHERE exam_id = ? AND user_key = ?"_s);
    query.addBindValue(examId);
    query.addBindValue(userKey);
    Exec(query);
    NextRow(query);
    return query.value(0).toInt();
}

bool StoreSittingResult(CDaoDatabase& db, const FieldList& scoreFields, const CAttempt& attempt,
                        const CExamSitting& sitting)
{
    CStoreTransaction transaction(db);
    // The insert takes the write lock on SQLite; on PostgreSQL the row is
    // locked below, so that two programs storing one kept result at once
    // store it once.
    InsertRunning(db, sitting);
    {
        QSqlQuery state(db.Connection());
        Prepare(state, db.IsPostgres()
                           ? u"SELECT finished FROM exam_sitting WHERE uid = ? FOR UPDATE"_s
                           : u"SELECT finished FROM exam_sitting WHERE uid = ?"_s);
        state.addBindValue(sitting.strUid);
        Exec(state);
        NextRow(state);
        if (state.value(0).toInt() != 0) {
            state.finish();
            transaction.Commit();
            return false;
        }
    }

    qint64 scoreKey = 0;
    if (!AppendRow(&db, u"score"_s, scoreFields, &scoreKey))
        throw CDaoException(u"the table score cannot be opened"_s);
    const qint64 attemptId = StoreAttempt(db, scoreKey, attempt);

    QSqlQuery update(db.Connection());
    Prepare(update,
            u"UPDATE exam_sitting SET finished = 1, ended_at = ?, kind = ?, elapsed_ms = ?, "
            "typed_units = ?, correct_units = ?, end_reason = ?, focus_losses = ?, "
            "attempt_id = ? WHERE uid = ?"_s);
    update.addBindValue(StoredDateTime(attempt.endedAt));
    update.addBindValue(attempt.nKind);
    update.addBindValue(attempt.nElapsedMs);
    update.addBindValue(attempt.nTypedUnits);
    update.addBindValue(attempt.nCorrectUnits);
    update.addBindValue(attempt.nEndReason);
    update.addBindValue(sitting.nFocusLosses);
    update.addBindValue(attemptId);
    update.addBindValue(sitting.strUid);
    Exec(update);
    transaction.Commit();
    return true;
}
