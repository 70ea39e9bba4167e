#include "monitor/AssignmentsDlg.h"

#include "monitor/AssignmentEditDlg.h"
#include "monitor/AssignmentReportDlg.h"
#include "monitor/AssignmentStore.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum AssignmentsDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"作业"_s, 170}, {u"内容"_s, 150}, {u"要求"_s, 220}, {u"日期"_s, 90}, {u"班级"_s, 120},
};

} // namespace

CAssignmentsDlg::CAssignmentsDlg(const CSession& session, QWidget* parent)
    : CClassTaskListDlg(IDD, u"请先选择一项作业!"_s, parent), m_session(session)
{
}

bool CAssignmentsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listAssignments = Item<CListCtrl>(IDC_ASSIGNMENTS);
    SetUpList(m_listAssignments, g_columns, IDC_REPORT);
    AfterChange({}, 0, [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CAssignmentsDlg::AfterChange(std::function<void(CDaoDatabase& own)> change, qint64 chooseId,
                                  std::function<void()> afterFailure)
{
    AskForDialog<QList<CAssignment>>(
        this, m_session,
        [change = std::move(change)](CDaoDatabase& own) {
            if (change)
                change(own);
            return AssignmentStore::LoadAssignments(own);
        },
        [this, chooseId](QList<CAssignment> assignments) {
            m_assignments = std::move(assignments);
            Show(chooseId);
        },
        std::move(afterFailure));
}

void CAssignmentsDlg::Show(qint64 chooseId)
{
    QList<QStringList> rows;
    QList<qint64> ids;
    for (const CAssignment& assignment : std::as_const(m_assignments)) {
        ids.append(assignment.nId);
        rows.append({assignment.strTitle, assignment.TaskText(), assignment.TargetText(),
                     assignment.DaysText(), assignment.classes.join(u"、"_s)});
    }
    ShowRows(rows, ids, chooseId);
}

const CAssignment* CAssignmentsDlg::Selected()
{
    const int row = ChosenRow();
    return row >= 0 && row < m_assignments.size() ? &m_assignments[row] : nullptr;
}

void CAssignmentsDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_NEW: {
        CAssignment assignment;
        assignment.strCourse = u"fingering"_s;
        assignment.dMinSpeed = 20;
        assignment.nMinAccuracy = 90;
        Edit(assignment);
        break;
    }
    case IDC_EDIT:
        if (const CAssignment* assignment = Selected())
            Edit(*assignment);
        break;
    case IDC_REPORT:
        if (const CAssignment* assignment = Selected()) {
            CAssignmentReportDlg report(m_session, *assignment, this);
            report.DoModal();
        }
        break;
    case IDC_DELETE:
        DeleteSelected();
        break;
    default:
        break;
    }
}

void CAssignmentsDlg::Edit(const CAssignment& assignment)
{
    CAssignmentEditDlg edit(m_session, assignment, this);
    if (edit.DoModal() == IDOK)
        AfterChange({}, edit.Assignment().nId);
}

void CAssignmentsDlg::DeleteSelected()
{
    const CAssignment* assignment = Selected();
    if (!assignment)
        return;
    const CAssignment chosen = *assignment;
    if (Platform().MessageBox(this,
                              u"确定要删除作业《%1》吗?学生的练习记录保留。"_s.arg(chosen.strTitle),
                              u"提示!"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    AfterChange(
        [id = chosen.nId](CDaoDatabase& own) { AssignmentStore::DeleteAssignment(own, id); });
}
