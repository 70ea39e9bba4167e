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
// A competition's results add its place (名次), score and prize after the
// status.
QStringList Headings(int kind, const std::optional<CCompetitionSettings>& competition = {});
// A pupil's cells, in the order of the headings; a pupil without a
// finished sitting has empty figures.
QList<CExportCell> Cells(const CExamResultRow& row, bool bCompetition = false);
// Sorts by a column, ascending or not: figures by their value, texts in
// Chinese order. Pupils without the figure come last either way.
void Sort(QList<CExamResultRow>& rows, int column, bool ascending, bool bCompetition = false);

// "期中测验 考试成绩(《字母》第 2 屏,限时 1 分钟,三年级二班)".
QString Title(const CExam& exam);
// The table as shown, for .xlsx, .csv, PDF and paper.
CExportTable Export(const CExam& exam, const QList<CExamResultRow>& rows);

// The status of a row as the teacher reads it: 未开始, 进行中, 中断,
// 已完成, or for a finished result that needs a look 补交, 可疑 or both.
QString StateText(const CExamResultRow& row);
// Why the status is what it is: 补交, why a result is 可疑 (or was, until a
// teacher confirmed it), why it was not stored (the 备注 column and the
// status's tip); empty when nothing is.
QString Remarks(const CExamResultRow& row);
QString EndReasonText(int reason);

} // namespace ExamResultTable
