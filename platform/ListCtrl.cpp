#include "platform/ListCtrl.h"

#include "platform/ListModel.h"

#include <QBitmap>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

CListCtrl::CListCtrl(QWidget* parent) : QTableView(parent), m_pModel(new CListModel(this))
{
    setModel(m_pModel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false); // drawn by paintEvent, as the extended style says
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectItems);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setHighlightSections(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    UpdateRowHeight();
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

void CListCtrl::FitColumnToContents(int nCol)
{
    // Every row counts (a shown table measures only the rows in view).
    const int precision = header()->resizeContentsPrecision();
    header()->setResizeContentsPrecision(-1);
    const int width = sizeHintForColumn(nCol);
    header()->setResizeContentsPrecision(precision);
    if (width > GetColumnWidth(nCol))
        SetColumnWidth(nCol, width);
}

int CListCtrl::InsertItem(int nItem, const QString& text)
{
    return m_pModel->InsertRow(nItem, text);
}

bool CListCtrl::SetItemText(int nItem, int nSubItem, const QString& text)
{
    return m_pModel->SetText(nItem, nSubItem, text);
}

void CListCtrl::SetItemToolTip(int nItem, int nSubItem, const QString& text)
{
    m_pModel->SetToolTip(nItem, nSubItem, text);
}

void CListCtrl::SetColumnToolTip(int nCol, const QString& text)
{
    m_pModel->SetColumnToolTip(nCol, text);
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

bool CListCtrl::GetCheck(int nItem) const
{
    return m_pModel->IsChecked(nItem);
}

bool CListCtrl::SetCheck(int nItem, bool bCheck)
{
    return m_pModel->SetChecked(nItem, bCheck);
}

void CListCtrl::SetExtendedStyle(unsigned flags)
{
    m_nExtendedStyle = flags;
    m_pModel->SetCheckable(flags & LVS_EX_CHECKBOXES);
    const bool bFullRow = flags & LVS_EX_FULLROWSELECT;
    setSelectionBehavior(bFullRow ? SelectRows : SelectItems);
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
    UpdateRowHeight();
}

QPixmap CListCtrl::GetImage(int nImage) const
{
    return m_images.value(nImage);
}

void CListCtrl::UpdateRowHeight()
{
    // As high as the delegate makes a row with text and the first image.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = u"Xg"_s;
    if (!m_images.isEmpty())
        option.features |= QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(size.height());
}

void CListCtrl::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        UpdateRowHeight();
}

QModelIndex CListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int nRows = m_pModel->rowCount();
    if ((action == MoveHome || action == MoveEnd) && nRows > 0) {
        const int nColumn = std::max(currentIndex().column(), 0);
        return m_pModel->index(action == MoveHome ? 0 : nRows - 1, nColumn);
    }
    return QTableView::moveCursor(action, modifiers);
}

void CListCtrl::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    if (!(m_nExtendedStyle & LVS_EX_GRIDLINES) || m_pModel->rowCount() == 0)
        return;
    // The bottom edge of every row shown and the right edge of every column.
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Mid));
    const QHeaderView* pHeader = header();
    const int nRowHeight = verticalHeader()->defaultSectionSize();
    const int nFirst = std::max(rowAt(0), 0);
    int nLast = rowAt(viewport()->height() - 1);
    if (nLast < 0)
        nLast = m_pModel->rowCount() - 1;
    int nRight = 0;
    for (int i = 0; i < pHeader->count(); ++i) {
        const int nLogical = pHeader->logicalIndex(i);
        if (!pHeader->isSectionHidden(nLogical))
            nRight = std::max(nRight, pHeader->sectionViewportPosition(nLogical) +
                                          pHeader->sectionSize(nLogical) - 1);
    }
    const int nBottom = rowViewportPosition(nLast) + nRowHeight - 1;
    for (int row = nFirst; row <= nLast; ++row) {
        const int y = rowViewportPosition(row) + nRowHeight - 1;
        painter.drawLine(0, y, nRight, y);
    }
    for (int i = 0; i < pHeader->count(); ++i) {
        const int nLogical = pHeader->logicalIndex(i);
        if (pHeader->isSectionHidden(nLogical))
            continue;
        const int x =
            pHeader->sectionViewportPosition(nLogical) + pHeader->sectionSize(nLogical) - 1;
        painter.drawLine(x, rowViewportPosition(nFirst), x, nBottom);
    }
}
