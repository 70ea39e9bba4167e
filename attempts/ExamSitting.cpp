#include "attempts/ExamSitting.h"

#include "attempts/AttemptStore.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "platform/DaoTransaction.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

// The refusals of a start, the same words as the server's (qe_start_sitting).
const QString Closed = u"考试已经关闭。"_s;
const QString NotYourClass = u"这场考试不是给你的班级的。"_s;
const QString SittingElsewhere = u"你正在另一台电脑(或另一个窗口)上参加这场考试,不能同时考两次。"_s;
const QString AlreadySat = u"你已经参加过这场考试,这场考试不允许重考。"_s;
const QString NotStartedYet = u"比赛还没有开始。"_s;
const QString CompetitionOver = u"比赛已经结束。"_s;

void ReadScreen(CDaoDatabase& db, CExamSitting& sitting)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT e.screen_cells, e.screen_texts, e.title, e.minutes, t.kind FROM exam e "
                  "LEFT JOIN practice_text t ON t.id = e.text_id WHERE e.id = ?"_s);
    query.addBindValue(sitting.nExamId);
    Exec(query);
    if (query.next()) {
        sitting.screenCells = SplitCells(query.value(0).toString());
        sitting.screenTexts = TextsFromJson(query.value(1).toString());
        sitting.strTitle = query.value(2).toString();
        sitting.nMinutes = query.value(3).toInt();
        sitting.nKind = query.value(4).toInt();
    }
    CheckRead(query);
}

// The server's own start: its function checks and records in one
// transaction, refuses with an SQLSTATE of class QE1, and hands over the
// exam's screen, which a pupil reads nowhere else.
CSittingStart StartOnServer(CDaoDatabase& db, const CExamSitting& sitting)
{
    QSqlQuery query(db.Connection());
    Prepare(query, u"SELECT started_at, title, kind, minutes, screen_cells, screen_texts, "
                   "CASE WHEN EXISTS (SELECT 1 FROM competition WHERE exam_id = ?) "
                   "THEN LOCALTIMESTAMP(3) END FROM qe_start_sitting(?, ?)"_s);
    query.addBindValue(sitting.nExamId);
    query.addBindValue(sitting.nExamId);
    query.addBindValue(sitting.strUid);
    if (!query.exec()) {
        try {
            DaoSql::Throw(query.lastError());
        } catch (const CDaoException& e) {
            if (e.State().startsWith("QE1"_L1))
                return {std::nullopt, e.GetErrorMessage(), {}};
            throw;
        }
    }
    NextRow(query);
    CExamSitting started = sitting;
    started.startedAt = ParseStoredDateTime(query.value(0));
    started.strTitle = query.value(1).toString();
    started.nKind = query.value(2).toInt();
    started.nMinutes = query.value(3).toInt();
    started.screenCells = SplitCells(query.value(4).toString());
    started.screenTexts = TextsFromJson(query.value(5).toString());
    if (!query.value(6).isNull())
        started.nGoneMs =
            qMax<qint64>(started.startedAt.msecsTo(ParseStoredDateTime(query.value(6))), 0);
    return {started, {}, {}};
}

CSittingStart StartInFile(CDaoDatabase& db, const CExamSitting& sitting)
{
    // The transaction takes the file's write lock at once: two copies of the
    // program starting together are served one after the other.
    CDaoTransaction transaction(db);
    const auto refuse = [](const QString& reason) {
        return CSittingStart{std::nullopt, reason, {}};
    };
    QSqlQuery exam(db.Connection());
    Select(exam, u"SELECT is_open, minutes, retake_allowed FROM exam WHERE id = ?"_s);
    exam.addBindValue(sitting.nExamId);
    Exec(exam);
    if (!exam.next() || exam.value(0).toInt() == 0)
        return refuse(Closed);
    const int minutes = exam.value(1).toInt();
    const bool bRetake = exam.value(2).toInt() != 0;
    exam.finish();

    QSqlQuery member(db.Connection());
    Select(member, u"SELECT 1 FROM exam_class c JOIN \"user\" u ON c.class_name = "
                   "COALESCE(u.class, '') WHERE c.exam_id = ? AND u.qe_key = ?"_s);
    member.addBindValue(sitting.nExamId);
    member.addBindValue(sitting.nUserKey);
    Exec(member);
    if (!member.next())
        return refuse(NotYourClass);
    member.finish();

    // A competition's screen reaches nobody before its start, and every
    // sitting of it starts then.
    const QDateTime now = Platform().CurrentDateTime();
    QDateTime start = now;
    QSqlQuery competition(db.Connection());
    Select(competition, u"SELECT starts_at FROM competition WHERE exam_id = ?"_s);
    competition.addBindValue(sitting.nExamId);
    Exec(competition);
    if (competition.next()) {
        if (competition.value(0).isNull() || ParseStoredDateTime(competition.value(0)) > now)
            return refuse(NotStartedYet);
        start = ParseStoredDateTime(competition.value(0));
        if (start.addSecs(qint64(minutes) * 60) <= now)
            return refuse(CompetitionOver);
    }
    competition.finish();

    const QDateTime over = now.addMSecs(-(qint64(minutes) * 60000 + ExamScoring::LateGraceMs));
    QSqlQuery again(db.Connection());
    Select(again, u"SELECT started_at FROM exam_sitting WHERE uid = ? AND user_key = ? AND "
                  "exam_id = ? AND finished = 0 AND started_at >= ?"_s);
    again.addBindValue(sitting.strUid);
    again.addBindValue(sitting.nUserKey);
    again.addBindValue(sitting.nExamId);
    again.addBindValue(StoredDateTime(over));
    Exec(again);
    if (again.next()) {
        CExamSitting started = sitting;
        started.startedAt = ParseStoredDateTime(again.value(0));
        again.finish();
        transaction.Commit();
        return {started, {}, {}};
    }
    again.finish();
    QSqlQuery interrupted(db.Connection());
    Prepare(interrupted, u"UPDATE exam_sitting SET finished = 2 WHERE exam_id = ? AND "
                         "user_key = ? AND finished = 0 AND started_at < ?"_s);
    interrupted.addBindValue(sitting.nExamId);
    interrupted.addBindValue(sitting.nUserKey);
    interrupted.addBindValue(StoredDateTime(over));
    Exec(interrupted);

    QSqlQuery earlier(db.Connection());
    Select(earlier, u"SELECT MIN(finished) FROM exam_sitting WHERE exam_id = ? AND user_key = ?"_s);
    earlier.addBindValue(sitting.nExamId);
    earlier.addBindValue(sitting.nUserKey);
    Exec(earlier);
    NextRow(earlier);
    if (!earlier.value(0).isNull()) {
        if (earlier.value(0).toInt() == 0)
            return refuse(SittingElsewhere);
        if (!bRetake)
            return refuse(AlreadySat);
    }
    earlier.finish();

    QSqlQuery insert(db.Connection());
    Prepare(insert, u"INSERT INTO exam_sitting (uid, exam_id, user_key, started_at, finished, "
                    "focus_losses) VALUES (?, ?, ?, ?, 0, 0)"_s);
    insert.addBindValue(sitting.strUid);
    insert.addBindValue(sitting.nExamId);
    insert.addBindValue(sitting.nUserKey);
    insert.addBindValue(StoredDateTime(start));
    Exec(insert);
    transaction.Commit();
    CExamSitting started = sitting;
    started.startedAt = start;
    started.nGoneMs = start.msecsTo(now);
    return {started, {}, {}};
}

// How long a competition's pupils still wait, on the database's clock: -1
// until a teacher starts it.
qint64 UntilCompetitionStart(CDaoDatabase& db, qint64 examId)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT starts_at FROM competition WHERE exam_id = ?"_s);
    query.addBindValue(examId);
    Exec(query);
    if (!query.next() || query.value(0).isNull())
        return -1;
    const QDateTime startsAt = ParseStoredDateTime(query.value(0));
    query.finish();
    return qMax<qint64>(DatabaseNow(db).msecsTo(startsAt), 0);
}

} // namespace

QDateTime DatabaseNow(CDaoDatabase& db)
{
    if (!db.IsPostgres())
        return Platform().CurrentDateTime();
    QSqlQuery& query = db.Prepared(u"SELECT LOCALTIMESTAMP(3)"_s);
    Exec(query);
    NextRow(query);
    const QDateTime now = ParseStoredDateTime(query.value(0));
    query.finish();
    return now;
}

CSittingStart StartSitting(CDaoDatabase& db, qint64 examId, qint64 userKey, const QString& uid)
{
    CExamSitting sitting;
    sitting.strUid = uid.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces) : uid;
    sitting.nExamId = examId;
    sitting.nUserKey = userKey;
    CSittingStart start = db.IsPostgres() ? StartOnServer(db, sitting) : StartInFile(db, sitting);
    if (start.sitting && !db.IsPostgres())
        ReadScreen(db, *start.sitting);
    if (!start.sitting && start.strRefusal == NotStartedYet)
        start.waitMs = UntilCompetitionStart(db, examId);
    return start;
}

QStringList TextsFromJson(const QString& json)
{
    QStringList texts;
    for (const QJsonValue& value : QJsonDocument::fromJson(json.toUtf8()).array())
        texts.append(value.toString());
    return texts;
}

QString JoinCells(const QStringList& cells)
{
    return cells.join(u',');
}

QStringList SplitCells(const QString& joined)
{
    return joined.split(u',');
}
