#include "monitor/TodayDlg.h"

#include "coaching/WeaknessDlg.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum TodayDlgIds::Id;

const QList<ListColumn> g_taskColumns = {
    {u"类别"_s, 80}, {u"名称"_s, 240}, {u"要求"_s, 320}, {u"状态"_s, 110}};
const QList<ListColumn> g_recentColumns = {
    {u"时间"_s, 120}, {u"练习"_s, 300}, {u"速度"_s, 150}, {u"正确率"_s, 90}};

} // namespace

CTodayDlg::CTodayDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CTodayDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listTasks = Item<CListCtrl>(IDC_TASKS);
    m_listRecent = Item<CListCtrl>(IDC_RECENT);
    SetUpReportList(m_listTasks, g_taskColumns);
    SetUpReportList(m_listRecent, g_recentColumns);
    connect(m_listTasks, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnOK(); }); });
    if (m_bRead) {
        Show();
        return true;
    }
    AskForDialog<CToday>(
        this, m_session,
        [pupil = m_session.Account()](CDaoDatabase& own) { return LoadToday(own, pupil); },
        [this](CToday today) {
            m_today = std::move(today);
            Show();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CTodayDlg::Show()
{
    QList<QStringList> rows;
    for (const CTodayTask& task : std::as_const(m_today.tasks))
        rows.append(task.Row());
    m_listTasks->AppendRows(rows);
    if (!rows.isEmpty())
        m_listTasks->setCurrentIndex(m_listTasks->model()->index(0, 0));
    QList<QStringList> recent;
    for (const CAttemptSummary& attempt : std::as_const(m_today.recent))
        recent.append(RecentRow(attempt));
    m_listRecent->AppendRows(recent);
    SetDlgItemText(IDC_GOAL, m_today.goal.Text());
    SetDlgItemText(
        IDC_SUMMARY,
        m_today.HasWork(Platform().CurrentDateTime().date())
            ? u"%1,这些是今天可以做的。选择一项,按\"开始\"。"_s.arg(m_session.Account().strName)
            : u"%1,今天没有要交的作业,可以接着学课程。"_s.arg(m_session.Account().strName));
}

void CTodayDlg::OnOK()
{
    const int row = m_listTasks->GetSelectionMark();
    if (row < 0 || row >= m_today.tasks.size()) {
        Platform().MessageBox(this, u"请先选择一项!"_s, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_chosen = m_today.tasks[row];
    CDialog::OnOK();
}

void CTodayDlg::OnCommand(int nID)
{
    if (nID != IDC_WEAKNESS)
        return;
    CWeaknessDlg weakness(m_session, m_session.Account().nKey, this);
    weakness.DoModal();
}
