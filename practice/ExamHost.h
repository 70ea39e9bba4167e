#pragma once

#include "attempts/ExamSitting.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a pupil is shown of a sitting's end, in place on the exam's screen:
// a heading, the figures as the database scored them and the cells typed
// wrong, line by line, and whether the result was stored (its last line).
struct CSittingShown
{
    QString strHeading;
    QStringList lines;
};

// What the view needs of the exams around it, so that practice/ knows the
// exam's sitting without knowing the exam's windows: the start recorded
// before the screen is shown, and the end stored and shown.
class IExamHost
{
public:
    virtual ~IExamHost() = default;
    // The pupil pressed the space bar on exam's blank screen: the sitting's
    // start, recorded by the database, or nothing (the pupil was told why)
    // and the exam does not start.
    virtual std::optional<CExamSitting> BeginSitting(qint64 examId) = 0;
    // The sitting ended: stores its result (or keeps it on the machine) and
    // says what to show the pupil.
    virtual CSittingShown EndSitting(const CExamSitting& sitting, const CSittingResult& result) = 0;
};
