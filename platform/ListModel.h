#pragma once

#include <QAbstractTableModel>
#include <QCache>
#include <QList>
#include <QHash>
#include <QMap>
#include <QPixmap>
#include <QStringList>

#include <functional>
#include <utility>

// The rows of a report-style list: plain strings per cell, so that a
// hundred thousand rows are inserted and shown without per-cell objects.
class CListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    int InsertColumn(int nCol, const QString& heading);
    QString ColumnText(int nCol) const;
    int InsertRow(int nRow, const QString& text);
    void AppendRows(const QList<QStringList>& rows);
    // Views learn of the change when control returns to the event loop.
    bool SetText(int nRow, int nCol, const QString& text);
    QString Text(int nRow, int nCol) const;
    bool RemoveRow(int nRow);
    void Clear();
    // The picture shown beside the first column of every row.
    void SetDecoration(const QPixmap& pixmap);
    // A check box before the first column of every row held (not of a
    // row source), which the user ticks; all clear at first.
    void SetCheckable(bool bCheckable);
    bool IsChecked(int nRow) const;
    bool SetChecked(int nRow, bool bChecked);
    // The tip a held row's cell shows when the mouse rests on it.
    void SetToolTip(int nRow, int nCol, const QString& text);
    void SetColumnToolTip(int nCol, const QString& text);

    // Rows read on demand instead of held: nRows rows, which fetch(first,
    // count) gives span by span as the views show them; a few hundred spans
    // are kept. Rows it does not give show empty. Such a list takes no rows
    // of its own (InsertRow, AppendRows, SetText, RemoveRow do nothing)
    // until Clear() drops the source.
    using RowSource = std::function<QList<QStringList>(int nFirst, int nCount)>;
    void SetSource(int nRows, RowSource fetch);
    bool HasSource() const { return m_nSourceRows >= 0; }

private:
    // Cell changes are announced to the views together, once control
    // returns to the event loop: a table filled cell by cell then costs one
    // notification instead of one per cell.
    void NoteChanged(int nFirstRow, int nLastRow);
    void AnnounceChanges();

    const QStringList* SourceRow(int nRow) const;

    QStringList m_headings;
    QList<QStringList> m_rows;
    int m_nSourceRows = -1;
    RowSource m_fetch;
    mutable QCache<int, QList<QStringList>> m_spans{256};
    QPixmap m_pixmapDecoration;
    bool m_bCheckable = false;
    QList<bool> m_checked;                         // beside m_rows
    QMap<std::pair<int, int>, QString> m_toolTips; // by (row, column) of held rows
    QHash<int, QString> m_columnTips;              // by column
    int m_nChangedFirst = -1;
    int m_nChangedLast = -1;
    bool m_bAnnouncePending = false;
};
