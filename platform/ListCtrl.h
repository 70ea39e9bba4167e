#pragma once

#include <QHeaderView>
#include <QPixmap>
#include <QStringList>
#include <QTableView>

#include <functional>

class CListModel;

// List-view extended styles with the Windows values.
enum : unsigned {
    LVS_EX_GRIDLINES = 0x00000001u,
    LVS_EX_CHECKBOXES = 0x00000004u,
    LVS_EX_TRACKSELECT = 0x00000008u,
    LVS_EX_HEADERDRAGDROP = 0x00000010u,
    LVS_EX_FULLROWSELECT = 0x00000020u,
};

// A list view in report style with the operations the dialogs use, over a
// light string model so that large tables list quickly. It is a table view
// without row headers: a tree view would keep a layout item of 40 bytes for
// every row, 40 MB for a million, where the rows' header keeps 8 bytes.
class CListCtrl : public QTableView
{
    Q_OBJECT
public:
    explicit CListCtrl(QWidget* parent = nullptr);

    // The column headers.
    QHeaderView* header() const { return horizontalHeader(); }

    // Columns: returns the position the column got.
    int InsertColumn(int nCol, const QString& heading, int nWidth = 80);
    int GetColumnCount() const;
    QString GetColumnText(int nCol) const;
    int GetColumnWidth(int nCol) const;
    void SetColumnWidth(int nCol, int nWidth);
    // Widens a column, when needed, so that every cell of it shows whole;
    // before the list is shown, as a shown one measures the rows in view.
    void FitColumnToContents(int nCol);

    // Items: InsertItem returns the row it took (the end when nItem is out
    // of range); SetItemText fails on a missing row or column.
    int InsertItem(int nItem, const QString& text);
    bool SetItemText(int nItem, int nSubItem, const QString& text);
    // The tip of a cell, shown when the mouse rests on it; empty: none.
    void SetItemToolTip(int nItem, int nSubItem, const QString& text);
    // The tip a column's heading shows when the mouse rests on it.
    void SetColumnToolTip(int nCol, const QString& text);
    QString GetItemText(int nItem, int nSubItem) const;
    int GetItemCount() const;
    bool DeleteItem(int nItem);
    void DeleteAllItems();
    // Many rows at once, one cell per column, with a single model update.
    void AppendRows(const QList<QStringList>& rows);
    // nRows rows read on demand, fetch(first, count) giving a span of them
    // as the list shows it: a table of any size lists at once, and only the
    // spans seen are held. DeleteAllItems drops the source.
    void SetRowSource(int nRows, std::function<QList<QStringList>(int nFirst, int nCount)> fetch);

    // The selected row, -1 when none.
    int GetSelectionMark() const;
    // The check box of a row (with LVS_EX_CHECKBOXES); SetCheck fails on a
    // missing row or without check boxes.
    bool GetCheck(int nItem) const;
    bool SetCheck(int nItem, bool bCheck = true);

    void SetExtendedStyle(unsigned flags);
    unsigned GetExtendedStyle() const { return m_nExtendedStyle; }

    // A strip of images nImageWidth wide; black is transparent. The first
    // image stands beside the first column of every row.
    void SetImageList(const QPixmap& strip, int nImageWidth);
    QPixmap GetImage(int nImage) const;
    int GetImageCount() const { return static_cast<int>(m_images.size()); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Home and End go to the first and the last row, as in a list view.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    // Rows as high as an item of the font and the images needs.
    void UpdateRowHeight();

    CListModel* m_pModel;
    unsigned m_nExtendedStyle = 0;
    QList<QPixmap> m_images;
};
