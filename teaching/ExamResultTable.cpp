#include "teaching/ExamResultTable.h"

#include "attempts/Attempt.h"
#include "attempts/Metrics.h"
#include "teaching/ChineseOrder.h"

#include <QVariant>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

enum Column : int {
    Name,
    Class,
    StudentNo,
    State,
    Speed,
    Accuracy,
    Time,
    Ending,
    FocusLosses,
    Sittings,
};

bool HasFigures(const CExamResultRow& row)
{
    return row.nKind != 0;
}

// What a column sorts by: a number, or a text; invalid for a pupil
// without the figure.
QVariant SortKey(const CExamResultRow& row, int column)
{
    switch (column) {
    case Name:
        return row.strName;
    case Class:
        return row.strClass;
    case StudentNo:
        return row.strStudentNo;
    case State:
        return int(row.state);
    case Sittings:
        return row.nSittings;
    default:
        break;
    }
    if (!HasFigures(row))
        return {};
    switch (column) {
    case Speed:
        return Metrics::KindSpeed(row.nKind, row.nCorrectUnits, row.nElapsedMs).dValue;
    case Accuracy:
        return Metrics::Accuracy(row.nCorrectUnits, row.nTypedUnits);
    case Time:
        return row.nElapsedMs;
    case Ending:
        return row.nEndReason;
    case FocusLosses:
        return row.nFocusLosses;
    default:
        return {};
    }
}

} // namespace

namespace ExamResultTable {

QStringList Headings()
{
    return {u"姓名"_s,   u"班级"_s, u"学号"_s,     u"状态"_s,     u"速度"_s,
            u"正确率"_s, u"用时"_s, u"结束方式"_s, u"离开窗口"_s, u"次数"_s};
}

QString StateText(CExamResultRow::State state)
{
    switch (state) {
    case CExamResultRow::NotStarted:
        return u"未开始"_s;
    case CExamResultRow::Running:
        return u"进行中"_s;
    case CExamResultRow::Finished:
        return u"已完成"_s;
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

QStringList Cells(const CExamResultRow& row)
{
    QStringList cells{row.strName, row.strClass, row.strStudentNo, StateText(row.state)};
    if (HasFigures(row)) {
        cells << Metrics::SpeedText(
                     Metrics::KindSpeed(row.nKind, row.nCorrectUnits, row.nElapsedMs))
              << u"%1%"_s.arg(Metrics::Accuracy(row.nCorrectUnits, row.nTypedUnits))
              << Metrics::DurationText(row.nElapsedMs) << EndReasonText(row.nEndReason)
              << QString::number(row.nFocusLosses);
    } else {
        cells << QString() << QString() << QString() << QString() << QString();
    }
    cells << (row.nSittings > 0 ? QString::number(row.nSittings) : QString());
    return cells;
}

void Sort(QList<CExamResultRow>& rows, int column, bool ascending)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [column, ascending](const CExamResultRow& a, const CExamResultRow& b) {
                         const QVariant x = SortKey(a, column);
                         const QVariant y = SortKey(b, column);
                         if (!x.isValid() || !y.isValid())
                             return x.isValid() && !y.isValid();
                         const int order =
                             x.typeId() == QMetaType::QString
                                 ? CompareChinese(x.toString(), y.toString())
                                 : (QVariant::compare(x, y) == QPartialOrdering::Less      ? -1
                                    : QVariant::compare(x, y) == QPartialOrdering::Greater ? 1
                                                                                           : 0);
                         return ascending ? order < 0 : order > 0;
                     });
}

} // namespace ExamResultTable
