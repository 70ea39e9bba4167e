#pragma once

#include "attempts/ClassReport.h"
#include "documents/ExportTable.h"

#include <QAbstractTableModel>
#include <QList>

// The class report as a sortable table: one row per pupil with typed cells,
// so that the list sorts by number and the export writes numbers; the
// export takes the rows in the order shown.
class CClassReportModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column : int {
        Name,
        StudentNo,
        Count,
        BestSpeed,
        LatestSpeed,
        AverageSpeed,
        AverageAccuracy,
        GradeColumn, // the best grade of the attempts that count
        TotalTime,
        KeysPerSecond, // 击键 and 码长 over the attempts whose presses are known
        KeysPerUnit,
        InDoubt,     // attempts 可疑 until a teacher confirms them
        RevisedRate, // 回改率, 键准, 选重 a hundred characters and 打词率
        KeyAccuracy,
        PicksPerHundred,
        WordRate,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    void SetReport(CClassReport report);
    const CClassReport& Report() const { return m_report; }
    // The pupil shown in row (in the order shown).
    const CPupilFigures& RowPupil(int row) const { return m_report.pupils[m_order[row]]; }
    QList<CExportCell> RowCells(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Stable, so that equal figures keep the student-number order; a pupil
    // without a figure sorts below every figure.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return m_nSortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }

    // "三年级二班 中文练习成绩(2024-09-01 至 2024-09-30)"
    QString Title() const;
    CExportTable ExportTable() const;

private:
    QList<CExportCell> Cells(const CPupilFigures& row) const;
    QStringList Header() const;

    CClassReport m_report;
    QList<int> m_order;
    int m_nSortColumn = StudentNo;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
