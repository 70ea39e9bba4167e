#include "exams/CompetitionStore.h"

#include "attempts/AttemptStore.h"
#include "attempts/ExamSitting.h"
#include "platform/CheckedQuery.h"
#include "platform/Dao.h"
#include "platform/DaoTransaction.h"

#include <QSqlQuery>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace CheckedQuery;

namespace CompetitionStore {

void Save(CDaoDatabase& db, qint64 examId, const CCompetitionSettings& settings)
{
    Run(db,
        u"INSERT INTO competition (exam_id, scoring, first_share, second_share, third_share) "
        "VALUES (?, ?, ?, ?, ?) ON CONFLICT (exam_id) DO UPDATE SET scoring = excluded.scoring, "
        "first_share = excluded.first_share, second_share = excluded.second_share, "
        "third_share = excluded.third_share"_s,
        {examId, settings.nScoring, settings.shares[0], settings.shares[1], settings.shares[2]});
}

QDateTime Start(CDaoDatabase& db, qint64 examId)
{
    CDaoTransaction transaction(db);
    const QDateTime starts = DatabaseNow(db).addMSecs(CompetitionRules::CountdownMs);
    Run(db, u"UPDATE competition SET starts_at = ? WHERE exam_id = ? AND starts_at IS NULL"_s,
        {StoredDateTime(starts), examId});
    Run(db, u"UPDATE exam SET is_open = 1 WHERE id = ?"_s, {examId});
    QSqlQuery started(db.Connection());
    Select(started, u"SELECT starts_at FROM competition WHERE exam_id = ?"_s);
    started.addBindValue(examId);
    Exec(started);
    if (!started.next())
        throw CDaoException(u"没有这场比赛。"_s);
    const QDateTime startsAt = ParseStoredDateTime(started.value(0));
    started.finish();
    transaction.Commit();
    return startsAt;
}

QList<CExamResultRow> LoadStanding(CDaoDatabase& db, const CExam& exam,
                                   const CCompetitionSettings& settings)
{
    QList<CExamResultRow> rows = ExamStore::LoadResults(db, exam);
    QList<CompetitionRules::CEntry> entries;
    for (CExamResultRow& row : rows) {
        if (row.state != CExamResultRow::Finished)
            continue;
        row.dScore = CompetitionRules::Score(settings.nScoring, row.nTypedUnits, row.nCorrectUnits,
                                             row.nSpeedMs);
        entries.append({row.dScore, row.Accuracy(), row.nElapsedMs, row.bFlagged});
    }
    const QList<CompetitionRules::CPlace> places = CompetitionRules::Rank(entries, settings.shares);
    qsizetype next = 0;
    for (CExamResultRow& row : rows)
        if (row.state == CExamResultRow::Finished)
            row.place = places[next++];
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CExamResultRow& a, const CExamResultRow& b) {
                         if (a.place && b.place)
                             return a.place->nPlace < b.place->nPlace;
                         return a.place.has_value() && !b.place.has_value();
                     });
    return rows;
}

QString LoadSchoolName(CDaoDatabase& db)
{
    QSqlQuery query(db.Connection());
    Select(query, u"SELECT name FROM school WHERE id = 1"_s);
    Exec(query);
    const QString name = query.next() ? query.value(0).toString() : QString();
    CheckRead(query);
    return name;
}

void SaveSchoolName(CDaoDatabase& db, const QString& name)
{
    Run(db,
        u"INSERT INTO school (id, name) VALUES (1, ?) "
        "ON CONFLICT (id) DO UPDATE SET name = excluded.name"_s,
        {name});
}

} // namespace CompetitionStore
