#include "attempts/ExamSitting.h"

#include "attempts/AttemptStore.h"
#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/ScoreRow.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"
#include "platform/Platform.h"

#include <QCryptographicHash>

// The end of a sitting: its result scored and stored by the database, or
// refused and the refusal kept for the teacher.

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

// The refusals of a result, the same words as the server's.
const QString NoStart = u"数据库中没有这次考试的开始记录"_s;
const QString ExamGone = u"考试已被删除"_s;
const QString AnothersSitting = u"本机保存的成绩属于另一个帐户,不能记在这个帐户下"_s;

// The scored figures of a row from column first on: typed, correct, the
// time used and the speed's time, late, flagged.
void ReadScored(const QSqlQuery& row, int first, ExamScoring::CFigures& figures)
{
    figures.nTyped = row.value(first).toInt();
    figures.nCorrect = row.value(first + 1).toInt();
    figures.nUsedMs = row.value(first + 2).toLongLong();
    figures.nSpeedMs = row.value(first + 3).toLongLong();
    figures.bLate = row.value(first + 4).toInt() != 0;
    figures.bFlagged = row.value(first + 5).toInt() != 0;
}

CSittingOutcome FinishOnServer(CDaoDatabase& db, const CSittingResult& result)
{
    // The server scores what it saw arrive; the whole screen typed goes
    // with the result once more, for what it did not see.
    QSqlQuery query(db.Connection());
    Prepare(query,
            u"SELECT * FROM qe_finish_sitting(?, ?::text[], ?::text[], ?, ?, ?, ?, ?, ?, ?)"_s);
    query.addBindValue(result.strUid);
    query.addBindValue(DaoSql::TextArrayLiteral(result.typedCells));
    query.addBindValue(DaoSql::TextArrayLiteral(result.typedTexts));
    query.addBindValue(result.nBackspaces);
    query.addBindValue(result.nEndReason);
    query.addBindValue(result.nFocusLosses);
    query.addBindValue(result.nKeyMedianMs);
    query.addBindValue(result.nKeySpreadMs);
    query.addBindValue(result.nKeyPresses);
    query.addBindValue(result.nBackspacePresses);
    Exec(query);
    NextRow(query);
    CSittingOutcome outcome;
    const QString kind = query.value(0).toString();
    outcome.kind = kind == "stored"_L1          ? CSittingOutcome::Stored
                   : kind == "stored-before"_L1 ? CSittingOutcome::StoredBefore
                   : kind == "anothers"_L1      ? CSittingOutcome::Anothers
                                                : CSittingOutcome::Refused;
    if (outcome.kind == CSittingOutcome::Anothers) {
        outcome.strReason = AnothersSitting;
        outcome.nOwnerKey = query.value(1).toLongLong();
        return outcome;
    }
    if (outcome.kind == CSittingOutcome::Refused)
        outcome.strReason = query.value(1).toString();
    else
        outcome.figures.strFlagReason = query.value(1).toString();
    ReadScored(query, 2, outcome.figures);
    return outcome;
}

void KeepRefusal(CDaoDatabase& db, const CSittingResult& result, qint64 examId,
                 const QString& reason)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"INSERT INTO exam_refusal (uid, exam_id, user_key, reason, refused_at) "
                   "VALUES (?, ?, ?, ?, ?)"_s);
    query.addBindValue(result.strUid);
    query.addBindValue(examId == 0 ? QVariant(QMetaType::fromType<qint64>()) : QVariant(examId));
    query.addBindValue(result.nUserKey);
    query.addBindValue(reason);
    query.addBindValue(StoredDateTime(Platform().CurrentDateTime()));
    Exec(query);
}

CSittingOutcome FinishInFile(CDaoDatabase& db, const CSittingResult& result)
{
    CDaoTransaction transaction(db);
    CSittingOutcome outcome;
    const auto refuse = [&](qint64 examId, const QString& reason) {
        KeepRefusal(db, result, examId, reason);
        transaction.Commit();
        outcome.strReason = reason;
        return outcome;
    };
    QSqlQuery sitting(db.Connection());
    Select(sitting, u"SELECT id, exam_id, user_key, started_at, finished, typed_units, "
                    "correct_units, elapsed_ms, speed_ms, late, flagged FROM exam_sitting "
                    "WHERE uid = ?"_s);
    sitting.addBindValue(result.strUid);
    Exec(sitting);
    if (!sitting.next())
        return refuse(0, NoStart);
    const qint64 sittingId = sitting.value(0).toLongLong();
    const qint64 examId = sitting.value(1).toLongLong();
    if (sitting.value(2).toLongLong() != result.nUserKey) {
        refuse(examId, AnothersSitting);
        outcome.kind = CSittingOutcome::Anothers;
        outcome.nOwnerKey = sitting.value(2).toLongLong();
        return outcome;
    }
    const QDateTime startedAt = ParseStoredDateTime(sitting.value(3));
    if (sitting.value(4).toInt() == 1) {
        outcome.kind = CSittingOutcome::StoredBefore;
        ReadScored(sitting, 5, outcome.figures);
        transaction.Commit();
        return outcome;
    }
    sitting.finish();

    QSqlQuery exam(db.Connection());
    Select(exam, u"SELECT e.title, e.minutes, e.screen, e.text_id, e.screen_cells, "
                 "e.screen_texts, t.kind FROM exam e LEFT JOIN practice_text t "
                 "ON t.id = e.text_id WHERE e.id = ?"_s);
    exam.addBindValue(examId);
    Exec(exam);
    if (!exam.next() || exam.value(4).isNull())
        return refuse(examId, ExamGone);
    const QString title = exam.value(0).toString();
    const qint64 limitMs = exam.value(1).toLongLong() * 60000;
    const int screen = exam.value(2).toInt();
    const qint64 textId = exam.value(3).toLongLong();
    const QStringList expected = SplitCells(exam.value(4).toString());
    const QStringList expectedTexts = TextsFromJson(exam.value(5).toString());
    const int kind = exam.value(6).toInt();
    exam.finish();
    if (const QString refusal =
            ExamScoring::Refusal(expected, result.typedCells, result.typedTexts);
        !refusal.isEmpty())
        return refuse(examId, refusal);

    const QDateTime now = Platform().CurrentDateTime();
    const ExamScoring::CFigures figures = ExamScoring::Score(
        expected, expectedTexts, result.typedCells, result.typedTexts, kind, limitMs,
        startedAt.msecsTo(now), result.nKeyMedianMs, result.nKeySpreadMs);

    QSqlQuery user(db.Connection());
    Select(user, u"SELECT COALESCE(name, ''), COALESCE(class, ''), COALESCE(student_no, '') "
                 "FROM \"user\" WHERE qe_key = ?"_s);
    user.addBindValue(result.nUserKey);
    Exec(user);
    NextRow(user);
    CAttempt attempt;
    attempt.nUserKey = result.nUserKey;
    attempt.strUserName = user.value(0).toString();
    attempt.strClass = user.value(1).toString();
    attempt.strStudentNo = user.value(2).toString();
    user.finish();
    attempt.nKind = kind;
    attempt.strTextFile = title;
    attempt.strTextHash = QString::fromLatin1(
        QCryptographicHash::hash(QByteArray::fromHex(expected.join(QString()).toLatin1()),
                                 QCryptographicHash::Sha256)
            .toHex());
    attempt.startedAt = startedAt;
    attempt.endedAt = now;
    attempt.nElapsedMs = figures.nSpeedMs;
    attempt.nTypedUnits = figures.nTyped;
    attempt.nCorrectUnits = figures.nCorrect;
    attempt.nBackspaces = qMax(result.nBackspaces, 0);
    attempt.nEndReason = result.nEndReason;
    attempt.mistakes = figures.mistakes;
    attempt.nTextId = textId;
    attempt.nScreen = screen;
    attempt.nExamId = examId;
    attempt.nKeyMedianMs = result.nKeyMedianMs;
    attempt.nKeySpreadMs = result.nKeySpreadMs;
    attempt.nKeyPresses = result.nKeyPresses;
    attempt.nBackspacePresses =
        result.nKeyPresses < 0 ? -1 : qBound(0, result.nBackspacePresses, result.nKeyPresses);

    const FieldList score =
        ScoreRow::Fields(attempt.strUserName, attempt.strStudentNo, kind,
                         QString::number(figures.ScoreSpeed()), QString::number(figures.Seconds()),
                         qint16(Metrics::Accuracy(figures.nCorrect, figures.nTyped)));
    const qint64 scoreKey = InsertRow(db, u"score"_s, score);
    const qint64 attemptId = StoreAttempt(db, scoreKey, attempt);

    QSqlQuery update(db.Connection());
    Prepare(update, u"UPDATE exam_sitting SET finished = 1, ended_at = ?, kind = ?, "
                    "elapsed_ms = ?, speed_ms = ?, typed_units = ?, correct_units = ?, "
                    "end_reason = ?, focus_losses = ?, attempt_id = ?, late = ?, "
                    "key_median_ms = ?, key_spread_ms = ?, flagged = ?, flag_reason = ? "
                    "WHERE id = ?"_s);
    for (const QVariant& value : QVariantList{
             StoredDateTime(now), kind, figures.nUsedMs, figures.nSpeedMs, figures.nTyped,
             figures.nCorrect, result.nEndReason, qMax(result.nFocusLosses, 0), attemptId,
             int(figures.bLate), result.nKeyMedianMs, result.nKeySpreadMs, int(figures.bFlagged),
             figures.bFlagged ? QVariant(figures.strFlagReason)
                              : QVariant(QMetaType::fromType<QString>()),
             sittingId})
        update.addBindValue(value);
    Exec(update);
    transaction.Commit();
    outcome.kind = CSittingOutcome::Stored;
    outcome.figures = figures;
    return outcome;
}

} // namespace

CSittingOutcome FinishSitting(CDaoDatabase& db, const CSittingResult& result)
{
    return db.IsPostgres() ? FinishOnServer(db, result) : FinishInFile(db, result);
}

void RefuseKeptResult(CDaoDatabase& db, const CSittingResult& result, const QString& reason)
{
    if (db.IsPostgres()) {
        QSqlQuery query(db.Connection());
        Prepare(query, u"SELECT qe_refuse_kept_result(?, ?)"_s);
        query.addBindValue(result.strUid);
        query.addBindValue(reason);
        Exec(query);
        return;
    }
    CDaoTransaction transaction(db);
    KeepRefusal(db, result, result.nExamId, reason);
    transaction.Commit();
}
