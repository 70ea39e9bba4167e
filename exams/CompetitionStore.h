#pragma once

#include "attempts/CompetitionRules.h"
#include "exams/ExamStore.h"

#include <QDateTime>
#include <QList>

class CDaoDatabase;

// The competitions' storage, beside their exams; a competition is read
// with its exam (CExam::competition). Every function throws CDaoException.
namespace CompetitionStore {

// Keeps how it is scored and its prize shares; its start stays.
void Save(CDaoDatabase& db, qint64 examId, const CCompetitionSettings& settings);
// 开始比赛: opens the exam and sets its start CountdownMs from now on the
// database's clock, once; started already, it keeps its start. Returns
// the start.
QDateTime Start(CDaoDatabase& db, qint64 examId);
// The exam's results with their scores and places by the competition's
// rule: finished results by their place, then the rest as the exam lists
// them.
QList<CExamResultRow> LoadStanding(CDaoDatabase& db, const CExam& exam,
                                   const CCompetitionSettings& settings);

// The school's name its 奖状 carry; empty until a teacher gives it.
QString LoadSchoolName(CDaoDatabase& db);
void SaveSchoolName(CDaoDatabase& db, const QString& name);

} // namespace CompetitionStore
