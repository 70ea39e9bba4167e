#include "exams/ExamStore.h"

#include "attempts/AttemptStore.h"
#include "attempts/ClassReport.h"
#include "attempts/ExamSitting.h"
#include "attempts/Grades.h"
#include "attempts/LiveProgress.h"
#include "attempts/Metrics.h"
#include "attempts/PendingResults.h"
#include "attempts/PracticeKind.h"
#include "classroom/ClassNames.h"
#include "classroom/ClassTasks.h"
#include "exams/CompetitionStore.h"
#include "platform/CheckedQuery.h"
#include "platform/ChineseOrder.h"
#include "platform/Dao.h"
#include "platform/Platform.h"
#include "platform/DaoTransaction.h"
#include "practice/ScreenCells.h"
#include "texts/TextStore.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <array>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace {

const CClassTable ExamClasses{u"exam_class"_s, u"exam_id"_s};

// A pupil reads no text of an open exam on a server: the exam keeps its
// kind itself.
const QString ExamColumns =
    u"SELECT e.id, e.title, e.text_id, e.screen, e.minutes, e.backspace_allowed, "
    "e.retake_allowed, e.is_open, e.created_at, COALESCE(t.title, ''), COALESCE(e.kind, t.kind), "
    "c.scoring, c.first_share, c.second_share, c.third_share, c.starts_at "
    "FROM exam e LEFT JOIN practice_text t ON t.id = e.text_id "
    "LEFT JOIN competition c ON c.exam_id = e.id "_s;

CExam ReadExam(const QSqlQuery& query)
{
    CExam exam;
    exam.nId = query.value(0).toLongLong();
    exam.strTitle = query.value(1).toString();
    exam.nTextId = query.value(2).toLongLong();
    exam.nScreen = query.value(3).toInt();
    exam.nMinutes = query.value(4).toInt();
    exam.bBackspaceAllowed = query.value(5).toInt() != 0;
    exam.bRetakeAllowed = query.value(6).toInt() != 0;
    exam.bOpen = query.value(7).toInt() != 0;
    exam.createdAt = ParseStoredDateTime(query.value(8));
    exam.strTextTitle = query.value(9).toString();
    exam.nKind = query.value(10).toInt();
    if (!query.value(11).isNull()) {
        CCompetitionSettings& competition = exam.competition.emplace();
        competition.nScoring = query.value(11).toInt();
        for (int i = 0; i < 3; ++i)
            competition.shares[i] = query.value(12 + i).toInt();
        if (!query.value(15).isNull())
            competition.startsAt = ParseStoredDateTime(query.value(15));
    }
    return exam;
}

QStringList Strings(CDaoDatabase& db, const QString& sql, const QVariant& bound = {})
{
    QSqlQuery query(db.Connection());
    Select(query, sql);
    if (bound.isValid())
        query.addBindValue(bound);
    Exec(query);
    QStringList strings;
    while (query.next())
        strings.append(query.value(0).toString());
    CheckRead(query);
    return strings;
}

QList<CExam> Exams(CDaoDatabase& db, const QString& sql, const QVariant& bound = {})
{
    QList<CExam> exams;
    QSqlQuery& query = db.Prepared(sql);
    if (bound.isValid())
        query.addBindValue(bound);
    Exec(query);
    while (query.next())
        exams.append(ReadExam(query));
    CheckRead(query);
    query.finish();
    ClassTasks::ReadClasses(db, ExamClasses, exams);
    return exams;
}

// Reads the exam's screen from its text, as the loader reads it, and keeps
// it with the exam.
void KeepScreen(CDaoDatabase& db, qint64 id, qint64 textId, int screen)
{
    const std::optional<CPracticeText> text = TextStore::LoadText(db, textId);
    if (!text)
        return;
    const CScreenCells cells = ScreenOfText(text->FileBytes(), text->nKind, screen);
    const QString texts = QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(cells.texts)).toJson(QJsonDocument::Compact));
    Run(db, u"UPDATE exam SET screen_cells = ?, screen_texts = ?, kind = ? WHERE id = ?"_s,
        {JoinCells(cells.hex), texts, text->nKind, id});
}

} // namespace

namespace ExamStore {

QList<CExam> LoadExams(CDaoDatabase& db)
{
    return Exams(db, ExamColumns + u"ORDER BY e.id DESC"_s);
}

std::optional<CExam> LoadExam(CDaoDatabase& db, qint64 id)
{
    const QList<CExam> exams = Exams(db, ExamColumns + u"WHERE e.id = ?"_s, id);
    if (exams.isEmpty())
        return std::nullopt;
    return exams.constFirst();
}

qint64 SaveExam(CDaoDatabase& db, const CExam& exam)
{
    CDaoTransaction transaction(db);
    qint64 id = exam.nId;
    const QVariantList values{exam.strTitle,
                              exam.nTextId,
                              exam.nScreen,
                              exam.nMinutes,
                              int(exam.bBackspaceAllowed),
                              int(exam.bRetakeAllowed),
                              int(exam.bOpen)};
    QSqlQuery query(db.Connection());
    if (id == 0) {
        Prepare(query, u"INSERT INTO exam (title, text_id, screen, minutes, backspace_allowed, "
                       "retake_allowed, is_open, created_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                       "RETURNING id"_s);
        for (const QVariant& value : values)
            query.addBindValue(value);
        query.addBindValue(StoredDateTime(Platform().CurrentDateTime()));
    } else {
        Prepare(query, u"UPDATE exam SET title = ?, text_id = ?, screen = ?, minutes = ?, "
                       "backspace_allowed = ?, retake_allowed = ?, is_open = ? WHERE id = ? "
                       "RETURNING id"_s);
        for (const QVariant& value : values)
            query.addBindValue(value);
        query.addBindValue(id);
    }
    Exec(query);
    if (!query.next())
        throw CDaoException(u"the exam was deleted meanwhile"_s);
    id = query.value(0).toLongLong();
    query.finish();
    ClassTasks::SetClasses(db, ExamClasses, id, exam.classes);
    // The screen a result is scored against is the exam's own from now on:
    // a text changed later does not change an exam set on it.
    KeepScreen(db, id, exam.nTextId, exam.nScreen);
    if (exam.competition)
        CompetitionStore::Save(db, id, *exam.competition);
    else
        Run(db, u"DELETE FROM competition WHERE exam_id = ?"_s, {id});
    transaction.Commit();
    return id;
}

void FillMissingScreens(CDaoDatabase& db)
{
    QList<std::array<qint64, 3>> missing;
    {
        QSqlQuery query(db.Connection());
        Select(query, u"SELECT id, text_id, screen FROM exam WHERE screen_cells IS NULL"_s);
        Exec(query);
        while (query.next())
            missing.append({query.value(0).toLongLong(), query.value(1).toLongLong(),
                            query.value(2).toLongLong()});
        CheckRead(query);
    }
    for (const auto& [id, textId, screen] : std::as_const(missing))
        KeepScreen(db, id, textId, int(screen));
}

void SetOpen(CDaoDatabase& db, qint64 id, bool bOpen)
{
    CDaoTransaction transaction(db);
    Run(db, u"UPDATE exam SET is_open = ? WHERE id = ?"_s, {int(bOpen), id});
    // Opened again after the teacher ended it for everybody: its new
    // sittings run their time.
    if (bOpen)
        Run(db, u"DELETE FROM exam_stop WHERE exam_id = ?"_s, {id});
    transaction.Commit();
}

void EndForEverybody(CDaoDatabase& db, qint64 id)
{
    LiveProgress::StopExam(db, id);
    SetOpen(db, id, false);
}

void DeleteExam(CDaoDatabase& db, qint64 id)
{
    CDaoTransaction transaction(db);
    Run(db, u"DELETE FROM exam_sitting WHERE exam_id = ?"_s, {id});
    Run(db, u"DELETE FROM exam_stop WHERE exam_id = ?"_s, {id});
    Run(db, u"DELETE FROM exam WHERE id = ?"_s, {id});
    transaction.Commit();
}

int CountSittings(CDaoDatabase& db, qint64 id)
{
    return Strings(db, u"SELECT COUNT(*) FROM exam_sitting WHERE exam_id = ?"_s, id)
        .value(0)
        .toInt();
}

int CountOwnSittings(CDaoDatabase& db, qint64 id, qint64 userKey)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT COUNT(*) FROM exam_sitting WHERE exam_id = ? AND user_key = ?"_s);
    query.addBindValue(id);
    query.addBindValue(userKey);
    Exec(query);
    NextRow(query);
    return query.value(0).toInt();
}

bool CanSit(CDaoDatabase& db, const CExam& exam, qint64 userKey)
{
    return exam.bRetakeAllowed || (CountOwnSittings(db, exam.nId, userKey) == 0 &&
                                   !PendingResults::HasSitting(exam.nId, userKey));
}

QList<CExam> OpenExamsOf(CDaoDatabase& db, const QString& className)
{
    return Exams(db,
                 ExamColumns + u"WHERE e.is_open = 1 AND e.id IN "
                               "(SELECT exam_id FROM exam_class WHERE class_name = ?) "
                               "ORDER BY e.id DESC"_s,
                 className);
}

QStringList LoadClasses(CDaoDatabase& db)
{
    // The class report's list, in its order; pupils without a class take no exam.
    QStringList classes = ::LoadClasses(db);
    classes.removeAll(QString());
    return classes;
}

} // namespace ExamStore

double CExamResultRow::Speed() const
{
    return Metrics::KindSpeed(nKind, nCorrectUnits, nSpeedMs).dValue;
}

int CExamResultRow::Accuracy() const
{
    return Metrics::Accuracy(nCorrectUnits, nTypedUnits);
}

namespace ExamStore {

QList<CExamResultRow> LoadResults(CDaoDatabase& db, const CExam& exam)
{
    QList<CExamResultRow> rows;
    QHash<qint64, qsizetype> byKey;
    // The pupils of the classes. The statements are kept prepared on the
    // session: a competition's board reads them every second.
    QSqlQuery& pupils =
        db.Prepared(u"SELECT qe_key, name, class, student_no FROM \"user\" WHERE class IN "
                    "(SELECT class_name FROM exam_class WHERE exam_id = ?)"_s);
    pupils.addBindValue(exam.nId);
    Exec(pupils);
    while (pupils.next()) {
        CExamResultRow row;
        row.nUserKey = pupils.value(0).toLongLong();
        row.strName = pupils.value(1).toString();
        row.strClass = pupils.value(2).toString();
        row.strStudentNo = pupils.value(3).toString();
        byKey.insert(row.nUserKey, rows.size());
        rows.append(row);
    }
    CheckRead(pupils);
    pupils.finish();
    // A running sitting whose time is over was left by a program that
    // stopped: the database's clock says so.
    const QDateTime now = DatabaseNow(db);
    const auto pupilRow = [&](qint64 key, const QSqlQuery& query,
                              int nameColumn) -> CExamResultRow& {
        auto it = byKey.constFind(key);
        if (it == byKey.constEnd()) {
            // A pupil moved to another class, or whose account is gone.
            CExamResultRow row;
            row.nUserKey = key;
            row.strName = query.value(nameColumn).toString();
            row.strClass = query.value(nameColumn + 1).toString();
            row.strStudentNo = query.value(nameColumn + 2).toString();
            it = byKey.insert(key, rows.size());
            rows.append(row);
        }
        return rows[*it];
    };
    // Their sittings, oldest first: the figures of the latest finished one,
    // the state of the latest.
    QSqlQuery& query =
        db.Prepared(u"SELECT s.user_key, s.finished, s.kind, s.elapsed_ms, s.typed_units, "
                    "s.correct_units, s.end_reason, s.focus_losses, u.name, u.class, u.student_no, "
                    "s.started_at, s.speed_ms, s.late, s.flagged, a.key_presses, s.flag_reason "
                    "FROM exam_sitting s LEFT JOIN \"user\" u ON u.qe_key = s.user_key "
                    "LEFT JOIN attempt a ON a.id = s.attempt_id "
                    "WHERE s.exam_id = ? ORDER BY s.id"_s);
    query.addBindValue(exam.nId);
    Exec(query);
    const qint64 limitMs = qint64(exam.nMinutes) * 60000 + ExamScoring::LateGraceMs;
    while (query.next()) {
        CExamResultRow& row = pupilRow(query.value(0).toLongLong(), query, 8);
        ++row.nSittings;
        const int finished = query.value(1).toInt();
        if (finished == 1) {
            row.state = CExamResultRow::Finished;
            row.nKind = query.value(2).toInt();
            row.nElapsedMs = query.value(3).toLongLong();
            row.nTypedUnits = query.value(4).toInt();
            row.nCorrectUnits = query.value(5).toInt();
            row.nEndReason = query.value(6).toInt();
            row.nFocusLosses = query.value(7).toInt();
            row.nSpeedMs = query.value(12).isNull() ? row.nElapsedMs : query.value(12).toLongLong();
            row.bLate = query.value(13).toInt() != 0;
            row.bFlagged = query.value(14).toInt() != 0;
            row.nKeyPresses = CountOrUnknown(query.value(15));
            row.strFlagReason = query.value(16).toString();
        } else if (finished == 2 || ParseStoredDateTime(query.value(11)).msecsTo(now) > limitMs) {
            row.state = CExamResultRow::Interrupted;
        } else {
            row.state = CExamResultRow::Running;
        }
    }
    CheckRead(query);
    query.finish();
    // Results that could not be stored, and why: never hidden.
    QSqlQuery& refused =
        db.Prepared(u"SELECT r.user_key, r.reason, u.name, u.class, u.student_no "
                    "FROM exam_refusal r LEFT JOIN \"user\" u ON u.qe_key = r.user_key "
                    "WHERE r.exam_id = ? ORDER BY r.id"_s);
    refused.addBindValue(exam.nId);
    Exec(refused);
    while (refused.next())
        pupilRow(refused.value(0).toLongLong(), refused, 2).strRefusal =
            refused.value(1).toString();
    CheckRead(refused);
    refused.finish();
    const CGradeRules grades = GradeStore::Load(db);
    for (CExamResultRow& row : rows)
        if (row.state == CExamResultRow::Finished && PracticeKind::IsPractice(row.nKind))
            row.grade =
                Grades::Of(grades.For(row.strClass, row.nKind), row.Speed(), row.Accuracy());
    // Those with a result first, then by class and name.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        if (a.state != b.state)
            return a.state > b.state;
        const int byClass = CompareChinese(a.strClass, b.strClass);
        return byClass != 0 ? byClass < 0 : CompareChinese(a.strName, b.strName) < 0;
    });
    return rows;
}

} // namespace ExamStore
