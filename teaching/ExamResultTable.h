#pragma once

#include "teaching/ExamStore.h"

#include <QList>
#include <QString>
#include <QStringList>

// An exam's results as a table, as the results window shows and sorts it.
namespace ExamResultTable {

// The headings, one per column.
QStringList Headings();
// A pupil's cells, in the order of the headings.
QStringList Cells(const CExamResultRow& row);
// Sorts by a column, ascending or not: figures by their value, texts by
// their characters. Pupils without the figure come last either way.
void Sort(QList<CExamResultRow>& rows, int column, bool ascending);

QString StateText(CExamResultRow::State state);
QString EndReasonText(int reason);

} // namespace ExamResultTable
