#include "classroom/ClassChecklist.h"

#include "platform/ListCtrl.h"
#include "users/ReportList.h"

using namespace Qt::Literals::StringLiterals;

void CClassChecklist::SetUp(CListCtrl* list)
{
    m_pList = list;
    SetUpReportList(list, {{u"班级"_s, 250}});
    list->SetExtendedStyle(list->GetExtendedStyle() | LVS_EX_CHECKBOXES);
    list->setSelectionMode(QAbstractItemView::NoSelection);
}

void CClassChecklist::Fill(QStringList classes, const QStringList& chosen)
{
    for (const QString& className : chosen) {
        if (!classes.contains(className))
            classes.append(className);
    }
    m_classes = classes;
    QList<QStringList> rows;
    for (const QString& className : std::as_const(m_classes))
        rows.append({className});
    m_pList->DeleteAllItems();
    m_pList->AppendRows(rows);
    // Something new for a school of one class is for that class.
    Check(chosen.isEmpty() && m_classes.size() == 1 ? m_classes : chosen);
}

void CClassChecklist::Check(const QStringList& chosen)
{
    for (int row = 0; row < m_classes.size(); ++row)
        m_pList->SetCheck(row, chosen.contains(m_classes[row]));
}

QStringList CClassChecklist::Checked() const
{
    QStringList checked;
    for (int row = 0; row < m_classes.size(); ++row) {
        if (m_pList->GetCheck(row))
            checked.append(m_classes[row]);
    }
    checked.sort();
    return checked;
}
