#include "users/LoginHistoryDlg.h"

#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "users/Database.h"
#include "users/DeletionPass.h"
#include "users/ReportList.h"

#include <QGuiApplication>
#include <QScopeGuard>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
enum {
    IDC_HISTORY_LIST = 1028,
};
} // namespace

CLoginHistoryDlg::CLoginHistoryDlg(QWidget* parent) : CDialog(IDD, parent) {}

CLoginHistoryDlg::~CLoginHistoryDlg() = default;

CListCtrl* CLoginHistoryDlg::List() const
{
    return Item<CListCtrl>(IDC_HISTORY_LIST);
}

bool CLoginHistoryDlg::OnInitDialog()
{
    CListCtrl* list = List();
    static const QList<ListColumn> columns = {
        {u"姓名"_s},     {u"班级"_s},     {u"学号"_s},     {u"用户类型"_s},
        {u"创建日期"_s}, {u"登录日期"_s}, {u"测試日期"_s},
    };
    SetUpReportList(list, columns);

    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return true;
    m_pSet = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*m_pSet, Sql::ScanLoginHistory))
        return true;

    // Field i goes to column i; fields past the last column (the event text)
    // have no place in the list. The rows go in with one model update, and
    // those read before a failure stay listed.
    const int nFields = m_pSet->GetFieldCount();
    const int nShown = std::min(nFields, int(columns.size()));
    QList<QStringList> rows;
    try {
        for (; !m_pSet->IsEOF(); m_pSet->MoveNext()) {
            QStringList cells(columns.size());
            for (int i = 0; i < nShown; ++i)
                cells[i] = VariantToText(m_pSet->GetFieldValue(i));
            rows.append(std::move(cells));
        }
    } catch (const CDaoException&) {
        list->AppendRows(rows);
        throw;
    }
    list->AppendRows(rows);
    return true;
}

void OpenLoginHistoryDialog()
{
    if (!CommandGuard())
        return;
    CLoginHistoryDlg dlg;
    dlg.DoModal();
}

void ClearLoginHistory(QWidget* owner, std::unique_ptr<CDaoRecordset>& historySet)
{
    if (!CommandGuard())
        return;
    if (Platform().MessageBox(owner, u"确定要删除所有的用户登录记录吗?"_s, u"提示!"_s,
                              MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    historySet.reset();
    CDaoDatabase* db = ActiveDatabase();
    historySet = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*historySet, Sql::ScanLoginHistory))
        return;
    // Every row there now, deleted by the engine off the interface thread:
    // the windows keep painting meanwhile. Nothing more is shown.
    CDaoSelection all(db, u"loginhistory"_s, {});
    const int nRows = all.Count();
    if (nRows == 0)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    CDeletionPass(db, u"loginhistory"_s, {}, all.KeyBound(), nRows).Run({});
}
