#include "platform/ListCtrl.h"

#include "platform/ListModel.h"

#include <QBitmap>
#include <QHeaderView>
#include <QPainter>

CListCtrl::CListCtrl(QWidget* parent) : QTreeView(parent), m_pModel(new CListModel(this))
{
    setModel(m_pModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(false);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(this, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
        if (m_nExtendedStyle & LVS_EX_TRACKSELECT)
            setCurrentIndex(index);
    });
}

int CListCtrl::InsertColumn(int nCol, const QString& heading, int nWidth)
{
    const int nPos = m_pModel->InsertColumn(nCol, heading);
    header()->resizeSection(nPos, nWidth);
    return nPos;
}

int CListCtrl::GetColumnCount() const
{
    return m_pModel->columnCount();
}

QString CListCtrl::GetColumnText(int nCol) const
{
    return m_pModel->ColumnText(nCol);
}

int CListCtrl::GetColumnWidth(int nCol) const
{
    return nCol >= 0 && nCol < GetColumnCount() ? header()->sectionSize(nCol) : 0;
}

void CListCtrl::SetColumnWidth(int nCol, int nWidth)
{
    header()->resizeSection(nCol, nWidth);
}

int CListCtrl::InsertItem(int nItem, const QString& text)
{
    return m_pModel->InsertRow(nItem, text);
}

bool CListCtrl::SetItemText(int nItem, int nSubItem, const QString& text)
{
    return m_pModel->SetText(nItem, nSubItem, text);
}

QString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    return m_pModel->Text(nItem, nSubItem);
}

int CListCtrl::GetItemCount() const
{
    return m_pModel->rowCount();
}

bool CListCtrl::DeleteItem(int nItem)
{
    return m_pModel->RemoveRow(nItem);
}

void CListCtrl::DeleteAllItems()
{
    m_pModel->Clear();
}

void CListCtrl::AppendRows(const QList<QStringList>& rows)
{
    m_pModel->AppendRows(rows);
}

void CListCtrl::SetRowSource(int nRows,
                             std::function<QList<QStringList>(int nFirst, int nCount)> fetch)
{
    m_pModel->SetSource(nRows, std::move(fetch));
}

int CListCtrl::GetSelectionMark() const
{
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CListCtrl::SetExtendedStyle(unsigned flags)
{
    m_nExtendedStyle = flags;
    const bool bFullRow = flags & LVS_EX_FULLROWSELECT;
    setSelectionBehavior(bFullRow ? SelectRows : SelectItems);
    setAllColumnsShowFocus(bFullRow);
    header()->setSectionsMovable(flags & LVS_EX_HEADERDRAGDROP);
    const bool bTrack = flags & LVS_EX_TRACKSELECT;
    setMouseTracking(bTrack);
    viewport()->setAttribute(Qt::WA_Hover, bTrack);
    viewport()->update();
}

void CListCtrl::SetImageList(const QPixmap& strip, int nImageWidth)
{
    m_images.clear();
    if (!strip.isNull() && nImageWidth > 0) {
        for (int x = 0; x + nImageWidth <= strip.width(); x += nImageWidth) {
            QPixmap image = strip.copy(x, 0, nImageWidth, strip.height());
            image.setMask(image.createMaskFromColor(Qt::black));
            m_images.append(image);
        }
    }
    if (!m_images.isEmpty())
        setIconSize(m_images.first().size());
    m_pModel->SetDecoration(m_images.value(0));
}

QPixmap CListCtrl::GetImage(int nImage) const
{
    return m_images.value(nImage);
}

void CListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const
{
    QTreeView::drawRow(painter, option, index);
    if (!(m_nExtendedStyle & LVS_EX_GRIDLINES))
        return;
    painter->save();
    painter->setPen(palette().color(QPalette::Mid));
    const QRect& r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    const QHeaderView* pHeader = header();
    for (int i = 0; i < pHeader->count(); ++i) {
        const int nLogical = pHeader->logicalIndex(i);
        if (pHeader->isSectionHidden(nLogical))
            continue;
        const int x =
            pHeader->sectionViewportPosition(nLogical) + pHeader->sectionSize(nLogical) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
