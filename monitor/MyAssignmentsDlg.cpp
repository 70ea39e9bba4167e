#include "monitor/MyAssignmentsDlg.h"

#include "attempts/Metrics.h"
#include "monitor/AssignmentStore.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum MyAssignmentsDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"作业"_s, 150}, {u"内容"_s, 150}, {u"要求"_s, 220},
    {u"日期"_s, 110}, {u"状态"_s, 80},  {u"最好成绩"_s, 130},
};

QString BestText(const CAssignment& assignment, const CAssignmentStatus& status)
{
    if (status.nTries == 0)
        return {};
    return u"%1,%2%"_s.arg(Metrics::SpeedText({status.dBestSpeed, assignment.SpeedUnitText()}))
        .arg(status.nBestAccuracy);
}

} // namespace

CMyAssignmentsDlg::CMyAssignmentsDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CMyAssignmentsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listAssignments = Item<CListCtrl>(IDC_ASSIGNMENTS);
    SetUpReportList(m_listAssignments, g_columns);
    connect(m_listAssignments, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnOK(); }); });
    // Read on the session's worker and listed once answered.
    AskForDialog<QList<CAssignmentEntry>>(
        this, m_session,
        [pupil = m_session.Account(),
         today = Platform().CurrentDateTime().date()](CDaoDatabase& own) {
            return AssignmentStore::OwnAssignments(own, pupil.strClass, pupil.nKey, today);
        },
        [this](QList<CAssignmentEntry> entries) {
            m_entries = std::move(entries);
            ShowEntries();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CMyAssignmentsDlg::ShowEntries()
{
    const CAccount pupil = m_session.Account();
    QList<QStringList> rows;
    int open = 0;
    for (const CAssignmentEntry& entry : std::as_const(m_entries)) {
        open += entry.IsDone() ? 0 : 1;
        rows.append({entry.assignment.strTitle, entry.assignment.TaskText(),
                     entry.assignment.TargetText(), entry.assignment.DaysText(),
                     entry.status.Text(), BestText(entry.assignment, entry.status)});
    }
    m_listAssignments->AppendRows(rows);
    if (!rows.isEmpty())
        m_listAssignments->setCurrentIndex(m_listAssignments->model()->index(0, 0));
    SetDlgItemText(
        IDC_SUMMARY,
        m_entries.isEmpty()
            ? u"%1还没有作业。"_s.arg(pupil.strClass)
            : u"%1的作业共 %2 项,未完成 %3 项。选择一项,按\"开始\"练习它。"_s.arg(pupil.strClass)
                  .arg(m_entries.size())
                  .arg(open));
}

void CMyAssignmentsDlg::OnOK()
{
    const int row = m_listAssignments->GetSelectionMark();
    if (row < 0 || row >= m_entries.size()) {
        Platform().MessageBox(this, u"请先选择一项作业!"_s, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_chosen = m_entries[row];
    CDialog::OnOK();
}
