#include "platform/ListModel.h"

namespace {
constexpr int SpanRows = 64;
} // namespace

int CListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return HasSource() ? m_nSourceRows : static_cast<int>(m_rows.size());
}

int CListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant CListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::DecorationRole && index.column() == 0 && !m_pixmapDecoration.isNull())
        return m_pixmapDecoration;
    if (role == Qt::CheckStateRole && index.column() == 0 && m_bCheckable && !HasSource())
        return IsChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ToolTipRole) {
        const QString tip = m_toolTips.value({index.row(), index.column()});
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    return {};
}

bool CListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0)
        return false;
    return SetChecked(index.row(), value.toInt() == Qt::Checked);
}

QVariant CListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return ColumnText(section);
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && m_columnTips.contains(section))
        return m_columnTips.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void CListModel::SetColumnToolTip(int nCol, const QString& text)
{
    m_columnTips.insert(nCol, text);
    emit headerDataChanged(Qt::Horizontal, nCol, nCol);
}

Qt::ItemFlags CListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    return m_bCheckable && index.column() == 0 ? flags | Qt::ItemIsUserCheckable : flags;
}

int CListModel::InsertColumn(int nCol, const QString& heading)
{
    nCol = std::clamp(nCol, 0, static_cast<int>(m_headings.size()));
    beginInsertColumns({}, nCol, nCol);
    m_headings.insert(nCol, heading);
    // Existing sub-items move right with their columns.
    for (QStringList& row : m_rows) {
        if (nCol < row.size())
            row.insert(nCol, QString());
    }
    endInsertColumns();
    return nCol;
}

QString CListModel::ColumnText(int nCol) const
{
    return m_headings.value(nCol);
}

int CListModel::InsertRow(int nRow, const QString& text)
{
    if (HasSource())
        return -1;
    if (nRow < 0 || nRow > m_rows.size())
        nRow = static_cast<int>(m_rows.size());
    QStringList row;
    row.reserve(m_headings.size());
    row.append(text);
    beginInsertRows({}, nRow, nRow);
    m_rows.insert(nRow, std::move(row));
    m_checked.insert(nRow, false);
    endInsertRows();
    // Rows below a pending change moved down by one.
    if (m_nChangedFirst >= 0 && nRow <= m_nChangedLast)
        NoteChanged(nRow, m_nChangedLast + 1);
    return nRow;
}

void CListModel::AppendRows(const QList<QStringList>& rows)
{
    if (rows.isEmpty() || HasSource())
        return;
    const int nFirst = static_cast<int>(m_rows.size());
    beginInsertRows({}, nFirst, nFirst + static_cast<int>(rows.size()) - 1);
    m_rows.append(rows);
    m_checked.resize(m_rows.size(), false);
    endInsertRows();
}

bool CListModel::SetText(int nRow, int nCol, const QString& text)
{
    if (HasSource() || nRow < 0 || nRow >= m_rows.size() || nCol < 0 || nCol >= m_headings.size())
        return false;
    QStringList& row = m_rows[nRow];
    while (row.size() <= nCol)
        row.append(QString());
    row[nCol] = text;
    NoteChanged(nRow, nRow);
    return true;
}

QString CListModel::Text(int nRow, int nCol) const
{
    if (HasSource()) {
        const QStringList* row = SourceRow(nRow);
        return row ? row->value(nCol) : QString();
    }
    if (nRow < 0 || nRow >= m_rows.size())
        return {};
    return m_rows[nRow].value(nCol);
}

bool CListModel::RemoveRow(int nRow)
{
    if (HasSource() || nRow < 0 || nRow >= m_rows.size())
        return false;
    beginRemoveRows({}, nRow, nRow);
    m_rows.removeAt(nRow);
    m_checked.removeAt(nRow);
    QMap<std::pair<int, int>, QString> tips;
    for (auto it = m_toolTips.cbegin(); it != m_toolTips.cend(); ++it) {
        if (it.key().first != nRow)
            tips.insert({it.key().first - (it.key().first > nRow ? 1 : 0), it.key().second},
                        it.value());
    }
    m_toolTips = std::move(tips);
    endRemoveRows();
    return true;
}

void CListModel::SetToolTip(int nRow, int nCol, const QString& text)
{
    if (HasSource() || nRow < 0 || nRow >= m_rows.size())
        return;
    if (text.isEmpty())
        m_toolTips.remove({nRow, nCol});
    else
        m_toolTips.insert({nRow, nCol}, text);
}

void CListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    m_checked.clear();
    m_toolTips.clear();
    m_nSourceRows = -1;
    m_fetch = {};
    m_spans.clear();
    m_nChangedFirst = m_nChangedLast = -1;
    endResetModel();
}

void CListModel::SetSource(int nRows, RowSource fetch)
{
    beginResetModel();
    m_rows.clear();
    m_checked.clear();
    m_nSourceRows = std::max(nRows, 0);
    m_fetch = std::move(fetch);
    m_spans.clear();
    m_nChangedFirst = m_nChangedLast = -1;
    endResetModel();
}

const QStringList* CListModel::SourceRow(int nRow) const
{
    if (nRow < 0 || nRow >= m_nSourceRows)
        return nullptr;
    const int nSpan = nRow / SpanRows;
    QList<QStringList>* span = m_spans.object(nSpan);
    if (!span) {
        const int nFirst = nSpan * SpanRows;
        span = new QList<QStringList>(
            m_fetch ? m_fetch(nFirst, std::min(SpanRows, m_nSourceRows - nFirst))
                    : QList<QStringList>());
        m_spans.insert(nSpan, span);
    }
    const int nInSpan = nRow % SpanRows;
    return nInSpan < span->size() ? &span->at(nInSpan) : nullptr;
}

void CListModel::SetDecoration(const QPixmap& pixmap)
{
    m_pixmapDecoration = pixmap;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

void CListModel::SetCheckable(bool bCheckable)
{
    if (bCheckable == m_bCheckable)
        return;
    beginResetModel();
    m_bCheckable = bCheckable;
    endResetModel();
}

bool CListModel::IsChecked(int nRow) const
{
    return nRow >= 0 && nRow < m_checked.size() && m_checked[nRow];
}

bool CListModel::SetChecked(int nRow, bool bChecked)
{
    if (!m_bCheckable || nRow < 0 || nRow >= m_checked.size())
        return false;
    if (m_checked[nRow] != bChecked) {
        m_checked[nRow] = bChecked;
        emit dataChanged(index(nRow, 0), index(nRow, 0), {Qt::CheckStateRole});
    }
    return true;
}

void CListModel::NoteChanged(int nFirstRow, int nLastRow)
{
    if (m_nChangedFirst < 0) {
        m_nChangedFirst = nFirstRow;
        m_nChangedLast = nLastRow;
    } else {
        m_nChangedFirst = std::min(m_nChangedFirst, nFirstRow);
        m_nChangedLast = std::max(m_nChangedLast, nLastRow);
    }
    if (!m_bAnnouncePending) {
        m_bAnnouncePending = true;
        QMetaObject::invokeMethod(this, &CListModel::AnnounceChanges, Qt::QueuedConnection);
    }
}

void CListModel::AnnounceChanges()
{
    m_bAnnouncePending = false;
    const int nFirst = m_nChangedFirst;
    const int nLast = std::min(m_nChangedLast, static_cast<int>(m_rows.size()) - 1);
    m_nChangedFirst = m_nChangedLast = -1;
    if (nFirst < 0 || nFirst > nLast || m_headings.isEmpty())
        return;
    emit dataChanged(index(nFirst, 0), index(nLast, static_cast<int>(m_headings.size()) - 1),
                     {Qt::DisplayRole});
}
