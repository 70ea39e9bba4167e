#include "users/LoginHistoryDlg.h"

#include "platform/DaoSelection.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DeletionPass.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum LoginHistoryDlgIds::Id;
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
    SetUpTrackingReportList(list, columns);

    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return true;
    m_pSet = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*m_pSet, Sql::ScanLoginHistory))
        return true;

    // Field i goes to column i; fields past the last column (the event text)
    // have no place in the list. The rows are counted now and read as the
    // list shows them, so that a long log lists at once.
    m_nShown = std::min(m_pSet->GetFieldCount(), int(columns.size()));
    m_pSelection = std::make_unique<CDaoSelection>(db, u"loginhistory"_s, CDaoCriteria());
    list->SetRowSource(m_pSelection->Count(),
                       [this](int nFirst, int nCount) { return ReadRows(nFirst, nCount); });
    return true;
}

QList<QStringList> CLoginHistoryDlg::ReadRows(int nFirst, int nCount)
{
    QList<QList<CDaoFieldValue>> stored;
    try {
        stored = m_pSelection->Read(nFirst, nCount);
    } catch (const CDaoException& e) {
        // The list asks while it paints, where no message box can open: a
        // failure is shown once, afterwards.
        if (!m_bReadFailed)
            QMetaObject::invokeMethod(
                this, [e] { ReportDaoError(e); }, Qt::QueuedConnection);
        m_bReadFailed = true;
    }
    QList<QStringList> rows;
    rows.reserve(stored.size());
    for (const QList<CDaoFieldValue>& fields : stored) {
        QStringList cells(List()->GetColumnCount());
        for (int i = 0; i < m_nShown; ++i)
            cells[i] = VariantToText(fields.value(i));
        rows.append(std::move(cells));
    }
    return rows;
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
    // Every row there now, deleted by the engine on the session's worker:
    // the windows stay free, the wait cursor shows until it is done.
    // Nothing more is shown, so the rows are not counted: the scan tells
    // whether there is any.
    if (historySet->IsEOF())
        return;
    CDaoSelection all(db, u"loginhistory"_s, {});
    const qint64 nKeyBound = all.FixKeyBound();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = [] { QGuiApplication::restoreOverrideCursor(); };
    QObject* context = owner ? static_cast<QObject*>(owner) : QCoreApplication::instance();
    CDeletionPass(u"loginhistory"_s, {}, nKeyBound, 0)
        .Start(
            CSession::Instance(), context, {}, [restore](int) { restore(); },
            [restore](const CDaoException& e) {
                restore();
                ReportDaoError(e);
            });
}
