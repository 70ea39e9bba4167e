#include "reports/ClassReportModel.h"

#include "attempts/Metrics.h"
#include "classroom/ClassNames.h"
#include "reports/ReportRange.h"
#include "res/Resources.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

void CClassReportModel::SetReport(CClassReport report)
{
    beginResetModel();
    m_report = std::move(report);
    m_order.resize(m_report.pupils.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    endResetModel();
    sort(m_nSortColumn, m_sortOrder);
}

QList<CExportCell> CClassReportModel::Cells(const CPupilFigures& row) const
{
    QList<CExportCell> cells{CExportCell::Text(row.pupil.strName),
                             CExportCell::Text(row.pupil.strStudentNo),
                             CExportCell::Integer(row.figures.nCount)};
    const CExportCell inDoubt =
        row.nInDoubt > 0 ? CExportCell::Integer(row.nInDoubt) : CExportCell();
    if (!row.HasAttempts()) {
        cells.resize(ColumnCount);
        return cells;
    }
    // Only attempts of 30 s or a whole screen make the best and the
    // averages; a pupil with none shows "—" for them.
    const bool bCounted = row.figures.nCounted > 0;
    const auto counted = [bCounted](double value, int decimals) {
        return bCounted ? CExportCell::Number(value, decimals)
                        : CExportCell::Text(CProgressFigures::NotCounted());
    };
    cells << counted(row.figures.dBestSpeed, 1) << CExportCell::Number(row.dLatestSpeed, 1)
          << counted(row.figures.dAverageSpeed, 1)
          << (bCounted ? CExportCell::Integer(row.figures.nAverageAccuracy)
                       : CExportCell::Text(CProgressFigures::NotCounted()))
          << (row.grade ? CExportCell::Text(Grades::Name(*row.grade))
                        : CExportCell::Text(CProgressFigures::NotCounted()))
          << CExportCell::Duration(row.nTotalMs);
    if (!bCounted)
        cells << counted(0, 2) << counted(0, 2);
    else if (row.figures.nKeyedCount > 0)
        cells << CExportCell::Number(row.figures.dAverageKeysPerSecond, 2)
              << CExportCell::Number(row.figures.dAverageKeysPerUnit, 2);
    else
        cells << CExportCell::Text(Metrics::NotAvailable)
              << CExportCell::Text(Metrics::NotAvailable);
    cells << inDoubt;
    const CTypingFigures& typing = row.typing;
    cells << CExportCell::Number(Metrics::RevisedRate(typing.nRevised, typing.nTyped), 1);
    cells << (typing.nPresses < 0        ? CExportCell::Text(Metrics::NotAvailable)
              : typing.KeyAccuracy() < 0 ? CExportCell()
                                         : CExportCell::Integer(typing.KeyAccuracy()));
    if (typing.bCommits) {
        cells << (typing.nPresses < 0
                      ? CExportCell::Text(Metrics::NotAvailable)
                      : CExportCell::Number(
                            Metrics::PicksPerHundred(typing.nPicks, typing.nCommitTyped), 1))
              << CExportCell::Integer(Metrics::WordRate(typing.nWordChars, typing.nCommitTyped));
    }
    cells.resize(ColumnCount);
    return cells;
}

QList<CExportCell> CClassReportModel::RowCells(int row) const
{
    return Cells(RowPupil(row));
}

int CClassReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int CClassReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CClassReportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return RowCells(index.row()).value(index.column()).DisplayText();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (index.column() >= Count ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

QStringList CClassReportModel::Header() const
{
    const QString unit = Metrics::SpeedUnit(m_report.nKind);
    return {u"姓名"_s,
            u"学号"_s,
            u"练习次数"_s,
            u"最快速度(%1)"_s.arg(unit),
            u"最近速度(%1)"_s.arg(unit),
            u"平均速度(%1)"_s.arg(unit),
            u"平均正确率(%)"_s,
            u"等级"_s,
            u"练习总时间"_s,
            u"平均击键(次/秒)"_s,
            u"平均码长"_s,
            u"可疑(待确认)"_s,
            u"回改率(%)"_s,
            u"键准(%)"_s,
            u"选重(每百字)"_s,
            u"打词率(%)"_s};
}

QVariant CClassReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return Header().value(section);
    // A figure's heading tells its definition.
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole) {
        const QString definition = FigureDefinition(Header().value(section).section(u'(', 0, 0));
        return definition.isEmpty() ? QVariant() : QVariant(definition);
    }
    return {};
}

namespace {

// A cell that holds no figure: empty, "—" (no attempt counts) or 不可用.
bool Figureless(const CExportCell& cell)
{
    return cell.IsEmpty() ||
           (!cell.IsNumeric() && (cell.strText == CProgressFigures::NotCounted() ||
                                  cell.strText == Metrics::NotAvailable));
}

} // namespace

void CClassReportModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_nSortColumn = column;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<CExportCell> keys;
    for (const CPupilFigures& row : std::as_const(m_report.pupils))
        keys.append(Cells(row).value(column));
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    // Sorted from the student-number order, so that ties keep it.
    std::iota(m_order.begin(), m_order.end(), 0);
    std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
        const CExportCell& x = keys[order == Qt::AscendingOrder ? a : b];
        const CExportCell& y = keys[order == Qt::AscendingOrder ? b : a];
        if (Figureless(x) || Figureless(y)) {
            if (Figureless(x) == Figureless(y))
                return false;
            // Without a figure: last when descending, first when ascending.
            return Figureless(x);
        }
        if (x.IsNumeric() && y.IsNumeric())
            return x.dValue < y.dValue;
        return collator.compare(x.strText, y.strText) < 0;
    });
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString CClassReportModel::Title() const
{
    return u"%1 %2练习成绩(%3)"_s.arg(ClassDisplayName(m_report.strClass),
                                      Metrics::KindName(m_report.nKind),
                                      ReportRange::Text(m_report.range));
}

CExportTable CClassReportModel::ExportTable() const
{
    CExportTable table;
    table.strTitle = Title();
    table.strSheetName = ClassDisplayName(m_report.strClass);
    table.header = Header();
    for (int row = 0; row < rowCount(); ++row)
        table.rows.append(RowCells(row));
    return table;
}
