#include "monitor/AssignmentReport.h"

#include "attempts/Metrics.h"

using namespace Qt::Literals::StringLiterals;

namespace AssignmentReport {

QStringList Headings(const CAssignment& assignment)
{
    return {u"学号"_s,          u"姓名"_s,     u"状态"_s,
            u"完成"_s,          u"练习次数"_s, u"最高速度(%1)"_s.arg(assignment.SpeedUnitText()),
            u"最高正确率(%)"_s, u"完成时间"_s};
}

QList<CExportCell> Cells(const CAssignmentRow& row)
{
    const CAssignmentStatus& status = row.status;
    const bool bTried = status.nTries > 0;
    return {CExportCell::Text(row.pupil.strStudentNo),
            CExportCell::Text(row.pupil.strName),
            CExportCell::Text(status.Text()),
            CExportCell::Text(u"%1/%2"_s.arg(status.nDone).arg(status.nNeeded)),
            CExportCell::Integer(status.nTries),
            bTried ? CExportCell::Number(status.dBestSpeed, 1) : CExportCell(),
            bTried ? CExportCell::Integer(status.nBestAccuracy) : CExportCell(),
            status.completedAt.isValid()
                ? CExportCell::Text(status.completedAt.toString(u"yyyy-MM-dd HH:mm"_s))
                : CExportCell()};
}

QString Title(const CAssignment& assignment, const QString& className)
{
    return u"%1 完成情况(%2,%3)"_s.arg(assignment.strTitle, assignment.TaskText(), className);
}

CExportTable Export(const CAssignment& assignment, const QString& className,
                    const QList<CAssignmentRow>& rows)
{
    CExportTable table;
    table.strTitle = Title(assignment, className);
    table.strSheetName = className;
    table.header = Headings(assignment);
    for (const CAssignmentRow& row : rows)
        table.rows.append(Cells(row));
    return table;
}

QString Summary(const QList<CAssignmentRow>& rows)
{
    int counts[CAssignmentStatus::Overdue + 1] = {};
    int late = 0;
    for (const CAssignmentRow& row : rows) {
        ++counts[row.status.state];
        late += row.status.bLate ? 1 : 0;
    }
    return u"已完成 %1 人(迟交 %2 人),进行中 %3 人,未开始 %4 人,逾期 %5 人。"_s
        .arg(counts[CAssignmentStatus::Completed])
        .arg(late)
        .arg(counts[CAssignmentStatus::InProgress])
        .arg(counts[CAssignmentStatus::NotStarted])
        .arg(counts[CAssignmentStatus::Overdue]);
}

} // namespace AssignmentReport
