#pragma once

#include "documents/ExportTable.h"
#include "monitor/AssignmentStore.h"

// An assignment's report for one class as a table: what the report window
// shows and what it exports, the same typed cells.
namespace AssignmentReport {

// The headings; the speed in the unit the assignment is measured in.
QStringList Headings(const CAssignment& assignment);
QList<CExportCell> Cells(const CAssignmentRow& row);
// "打字作业一 完成情况(指法课程 第 5–7 课,三年级二班)".
QString Title(const CAssignment& assignment, const QString& className);
CExportTable Export(const CAssignment& assignment, const QString& className,
                    const QList<CAssignmentRow>& rows);
// "已完成 20 人(迟交 2 人),进行中 5 人,未开始 3 人,逾期 2 人。"
QString Summary(const QList<CAssignmentRow>& rows);

} // namespace AssignmentReport
