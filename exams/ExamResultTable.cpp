#include "exams/ExamResultTable.h"

#include "attempts/Attempt.h"
#include "attempts/Metrics.h"
#include "platform/ChineseOrder.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace ExamResultTable {

QStringList Headings(int kind, const std::optional<CCompetitionSettings>& competition)
{
    QStringList competitionHeadings;
    if (competition)
        competitionHeadings = QStringList{
            u"名次"_s, u"成绩(%1)"_s.arg(CompetitionRules::ScoringName(competition->nScoring)),
            u"奖项"_s};
    return QStringList{u"姓名"_s, u"班级"_s, u"学号"_s, u"状态"_s} + competitionHeadings +
           QStringList{u"速度(%1)"_s.arg(Metrics::SpeedUnit(kind)),
                       u"正确率(%)"_s,
                       u"等级"_s,
                       u"用时"_s,
                       u"击键"_s,
                       u"码长"_s,
                       u"结束方式"_s,
                       u"离开窗口"_s,
                       u"次数"_s,
                       u"备注"_s};
}

QString StateText(const CExamResultRow& row)
{
    switch (row.state) {
    case CExamResultRow::NotStarted:
        return u"未开始"_s;
    case CExamResultRow::Running:
        return u"进行中"_s;
    case CExamResultRow::Interrupted:
        return u"中断"_s;
    case CExamResultRow::Finished: {
        QStringList marks;
        if (row.bLate)
            marks.append(u"补交"_s);
        if (row.bFlagged)
            marks.append(u"可疑"_s);
        return marks.isEmpty() ? u"已完成"_s : marks.join(u"、"_s);
    }
    }
    return {};
}

QString EndReasonText(int reason)
{
    switch (reason) {
    case EndReason::Escape:
        return u"按Esc结束"_s;
    case EndReason::EndOfScreen:
        return u"打完一屏"_s;
    case EndReason::TimeLimit:
        return u"时间到"_s;
    case EndReason::Left:
        return u"中途离开"_s;
    default:
        return {};
    }
}

QString Remarks(const CExamResultRow& row)
{
    QStringList remarks;
    if (row.state == CExamResultRow::Finished && row.bLate)
        remarks.append(u"补交"_s);
    if (row.state == CExamResultRow::Finished && row.bFlagged)
        remarks.append(u"可疑:%1"_s.arg(row.strFlagReason.isEmpty() ? u"过快或按键间隔过于均匀"_s
                                                                    : row.strFlagReason));
    else if (row.state == CExamResultRow::Finished && !row.strFlagReason.isEmpty())
        remarks.append(u"老师已确认:%1"_s.arg(row.strFlagReason));
    if (!row.strRefusal.isEmpty())
        remarks.append(u"未保存:%1"_s.arg(row.strRefusal));
    return remarks.join(u";"_s);
}

namespace {

// 击键 over the time used, as on the screen and in 我的练习记录; 码长 per
// correct unit.
CExportCell KeysPerSecond(const CExamResultRow& row)
{
    if (row.nKeyPresses < 0)
        return CExportCell::Text(Metrics::NotAvailable);
    return CExportCell::Number(Metrics::KeysPerSecond(row.nKeyPresses, row.nElapsedMs), 2);
}

CExportCell KeysPerUnit(const CExamResultRow& row)
{
    if (row.nKeyPresses < 0)
        return CExportCell::Text(Metrics::NotAvailable);
    return CExportCell::Number(Metrics::KeysPerUnit(row.nKeyPresses, row.nCorrectUnits), 2);
}

} // namespace

QList<CExportCell> Cells(const CExamResultRow& row, bool bCompetition)
{
    QList<CExportCell> cells{CExportCell::Text(row.strName), CExportCell::Text(row.strClass),
                             CExportCell::Text(row.strStudentNo),
                             CExportCell::Text(StateText(row))};
    if (bCompetition && row.place)
        cells << CExportCell::Integer(row.place->nPlace) << CExportCell::Number(row.dScore, 1)
              << (row.place->nPrize > 0
                      ? CExportCell::Text(CompetitionRules::PrizeName(row.place->nPrize))
                      : CExportCell());
    else if (bCompetition)
        cells.resize(cells.size() + 3);
    if (row.nKind != 0) {
        cells << CExportCell::Number(row.Speed(), 1) << CExportCell::Integer(row.Accuracy())
              << (row.grade ? CExportCell::Text(Grades::Name(*row.grade)) : CExportCell())
              << CExportCell::Duration(row.nElapsedMs) << KeysPerSecond(row) << KeysPerUnit(row)
              << CExportCell::Text(EndReasonText(row.nEndReason))
              << CExportCell::Integer(row.nFocusLosses);
    } else {
        cells.resize(cells.size() + 8);
    }
    cells << (row.nSittings > 0 ? CExportCell::Integer(row.nSittings) : CExportCell());
    cells << (Remarks(row).isEmpty() ? CExportCell() : CExportCell::Text(Remarks(row)));
    return cells;
}

void Sort(QList<CExamResultRow>& rows, int column, bool ascending, bool bCompetition)
{
    QList<std::pair<CExportCell, CExamResultRow>> keyed;
    for (const CExamResultRow& row : std::as_const(rows))
        keyed.append({Cells(row, bCompetition).value(column), row});
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        const CExportCell& x = a.first;
        const CExportCell& y = b.first;
        if (x.IsEmpty() || y.IsEmpty())
            return !x.IsEmpty() && y.IsEmpty();
        const int order = x.IsNumeric() ? (x.dValue < y.dValue ? -1 : x.dValue > y.dValue)
                                        : CompareChinese(x.strText, y.strText);
        return ascending ? order < 0 : order > 0;
    });
    rows.clear();
    for (const auto& [cell, row] : keyed)
        rows.append(row);
}

QString Title(const CExam& exam)
{
    const QString scoring =
        exam.competition
            ? u",计分:%1"_s.arg(CompetitionRules::ScoringName(exam.competition->nScoring))
            : QString();
    return u"%1 %2成绩(《%3》第 %4 屏,限时 %5 分钟,%6%7)"_s
        .arg(exam.strTitle, exam.competition ? u"比赛"_s : u"考试"_s, exam.strTextTitle)
        .arg(exam.nScreen)
        .arg(exam.nMinutes)
        .arg(exam.classes.join(u"、"_s), scoring);
}

CExportTable Export(const CExam& exam, const QList<CExamResultRow>& rows)
{
    CExportTable table;
    table.strTitle = Title(exam);
    table.strSheetName = exam.strTitle;
    table.header = Headings(exam.nKind, exam.competition);
    for (const CExamResultRow& row : rows)
        table.rows.append(Cells(row, exam.competition.has_value()));
    return table;
}

} // namespace ExamResultTable
