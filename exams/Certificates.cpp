#include "exams/Certificates.h"

#include "attempts/PracticeKind.h"
#include "classroom/ClassNames.h"

using namespace Qt::Literals::StringLiterals;

QList<CCertificate> Certificates(const CExam& exam, const QList<CExamResultRow>& rows,
                                 const QString& school, const QDate& date)
{
    QList<CCertificate> certificates;
    if (!exam.competition)
        return certificates;
    const QString unit = exam.nKind == PracticeKind::Chinese ? u"字/分"_s : u"个字符/分"_s;
    for (const CExamResultRow& row : rows) {
        if (!row.place || row.place->nPrize == 0)
            continue;
        certificates.append(
            {school, exam.strTitle, CompetitionRules::PrizeName(row.place->nPrize), row.strName,
             ClassDisplayName(row.strClass),
             u"%1 %2(%3)"_s.arg(QString::number(row.dScore, 'f', 1), unit,
                                CompetitionRules::ScoringName(exam.competition->nScoring)),
             date});
    }
    return certificates;
}
