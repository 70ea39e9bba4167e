#pragma once

#include "attempts/ExamSitting.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QObject;

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
// before the screen is shown, and the end stored and shown. Both answer
// later, on context's thread, and not at all once context is gone.
class IExamHost
{
public:
    virtual ~IExamHost() = default;
    // The pupil pressed the space bar on exam's blank screen: begun(the
    // sitting's start, recorded by the database), or begun(nothing: the
    // pupil was told why) and the exam does not start. A competition not
    // started yet is waited for: waiting(what to show) each second, and
    // the sitting starts with everybody's; waiting answers false once the
    // pupil waits no more.
    virtual void BeginSitting(QObject* context, qint64 examId,
                              std::function<void(std::optional<CExamSitting>)> begun,
                              std::function<bool(const QString& notice)> waiting = {}) = 0;
    // The sitting ended: stores its result (or keeps it on the machine),
    // then shown(what to show the pupil).
    virtual void EndSitting(QObject* context, const CExamSitting& sitting,
                            const CSittingResult& result,
                            std::function<void(const CSittingShown&)> shown) = 0;
};
