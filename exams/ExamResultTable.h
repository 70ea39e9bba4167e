#pragma once

#include "documents/ExportTable.h"
#include "exams/ExamStore.h"

#include <QList>
#include <QString>
#include <QStringList>

// An exam's results as a table: what the results window shows and sorts,
// and what it exports, the same typed cells.
namespace ExamResultTable {

// The headings, one per column; the speed in the unit of the exam's kind.
QStringList Headings(int kind);
// A pupil's cells, in the order of the headings; a pupil without a
// finished sitting has empty figures.
QList<CExportCell> Cells(const CExamResultRow& row);
// Sorts by a column, ascending or not: figures by their value, texts in
// Chinese order. Pupils without the figure come last either way.
void Sort(QList<CExamResultRow>& rows, int column, bool ascending);

// "期中测验 考试成绩(《字母》第 2 屏,限时 1 分钟,三年级二班)".
QString Title(const CExam& exam);
// The table as shown, for .xlsx, .csv, PDF and paper.
CExportTable Export(const CExam& exam, const QList<CExamResultRow>& rows);

QString StateText(CExamResultRow::State state);
// 补交, a flag for the teacher's eyes, why a result was not stored.
QString Remarks(const CExamResultRow& row);
QString EndReasonText(int reason);

} // namespace ExamResultTable
