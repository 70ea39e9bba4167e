#pragma once

#include "attempts/LiveProgress.h"
#include "users/Pupil.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

// The grid of 课堂监控: one row per pupil of the class, in the order asked,
// each with what the pupil's program last reported and the state at the
// database's time.
namespace MonitorModel {

struct CLine
{
    CPupil pupil;
    bool bReported = false;
    LiveProgress::CRow row;
};

// The pupils of a class with their rows (a pupil without one has not
// logged in).
QList<CLine> Join(const QList<CPupil>& pupils, const QList<LiveProgress::CRow>& rows);

QStringList Headings();
// The cells of a line at the time now.
QStringList Cells(const CLine& line, const QDateTime& now);
// Sorts by a column's cells (numbers by value), keeping the class order
// among equals.
void Sort(QList<CLine>& lines, int column, bool ascending, const QDateTime& now);
// The exams running in the lines, those with the most pupils first.
QList<qint64> RunningExams(const QList<CLine>& lines, const QDateTime& now);

} // namespace MonitorModel
