#include "exams/ClassTaskListDlg.h"

#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

CClassTaskListDlg::CClassTaskListDlg(int nIDTemplate, const QString& noneChosen, QWidget* parent)
    : CDialog(nIDTemplate, parent), m_strNoneChosen(noneChosen)
{
}

void CClassTaskListDlg::SetUpList(CListCtrl* list, const QList<ListColumn>& columns, int nOpenID)
{
    m_pList = list;
    SetUpReportList(list, columns);
    connect(list, &QAbstractItemView::doubleClicked, this,
            [this, nOpenID] { Dispatch([this, nOpenID] { OnCommand(nOpenID); }); });
}

void CClassTaskListDlg::ShowRows(const QList<QStringList>& rows, const QList<qint64>& ids,
                                 qint64 chooseId)
{
    int chosen = m_pList->GetSelectionMark();
    if (chooseId != 0 && ids.contains(chooseId))
        chosen = int(ids.indexOf(chooseId));
    m_pList->DeleteAllItems();
    m_pList->AppendRows(rows);
    if (!rows.isEmpty())
        m_pList->setCurrentIndex(
            m_pList->model()->index(chosen >= 0 && chosen < rows.size() ? chosen : 0, 0));
}

int CClassTaskListDlg::ChosenRow()
{
    const int row = m_pList->GetSelectionMark();
    if (row >= 0 && row < m_pList->GetItemCount())
        return row;
    Platform().MessageBox(this, m_strNoneChosen, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
    return -1;
}
