#pragma once

#include "exams/ExamStore.h"

#include <QDate>
#include <QList>
#include <QString>

// One 奖状: who won which prize in which competition of which school.
struct CCertificate
{
    QString strSchool;
    QString strCompetition;
    QString strPrize;
    QString strName;
    QString strClass;
    QString strScore; // "66.7 字/分(错一罚五)"
    QDate date;
};

// The 奖状 of a competition's prize winners among rows, in the order of
// the rows; a result in doubt has no prize and so no 奖状.
QList<CCertificate> Certificates(const CExam& exam, const QList<CExamResultRow>& rows,
                                 const QString& school, const QDate& date);
