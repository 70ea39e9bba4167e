#include "monitor/AssignmentsDlg.h"

#include "monitor/AssignmentEditDlg.h"
#include "monitor/AssignmentReportDlg.h"
#include "monitor/AssignmentStore.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/ReportList.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using enum AssignmentsDlgIds::Id;

const QList<ListColumn> g_columns = {
    {u"作业"_s, 170}, {u"内容"_s, 150}, {u"要求"_s, 220}, {u"日期"_s, 90}, {u"班级"_s, 120},
};

} // namespace

CAssignmentsDlg::CAssignmentsDlg(QWidget* parent) : CDialog(IDD, parent) {}

bool CAssignmentsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listAssignments = Item<CListCtrl>(IDC_ASSIGNMENTS);
    SetUpReportList(m_listAssignments, g_columns);
    connect(m_listAssignments, &QAbstractItemView::doubleClicked, this,
            [this] { Dispatch([this] { OnCommand(IDC_REPORT); }); });
    if (!Load())
        EndDialog(IDCANCEL_RESULT);
    return true;
}

bool CAssignmentsDlg::Load()
{
    if (!OnDatabase(
            [this](CDaoDatabase& db) { m_assignments = AssignmentStore::LoadAssignments(db); }))
        return false;
    Fill();
    return true;
}

void CAssignmentsDlg::Fill()
{
    QList<QStringList> rows;
    for (const CAssignment& assignment : std::as_const(m_assignments))
        rows.append({assignment.strTitle, assignment.TaskText(), assignment.TargetText(),
                     assignment.DaysText(), assignment.classes.join(u"、"_s)});
    m_listAssignments->DeleteAllItems();
    m_listAssignments->AppendRows(rows);
    if (!rows.isEmpty())
        m_listAssignments->setCurrentIndex(m_listAssignments->model()->index(0, 0));
}

const CAssignment* CAssignmentsDlg::Selected()
{
    const int row = m_listAssignments->GetSelectionMark();
    if (row >= 0 && row < m_assignments.size())
        return &m_assignments[row];
    Platform().MessageBox(this, u"请先选择一项作业!"_s, u"提示"_s, MB_OK | MB_ICONEXCLAMATION);
    return nullptr;
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
            CAssignmentReportDlg report(*assignment, this);
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
    CAssignmentEditDlg edit(assignment, this);
    if (edit.DoModal() != IDOK || !Load())
        return;
    for (int row = 0; row < m_assignments.size(); ++row) {
        if (m_assignments[row].nId == edit.Assignment().nId)
            m_listAssignments->setCurrentIndex(m_listAssignments->model()->index(row, 0));
    }
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
    if (OnDatabase(
            [&chosen](CDaoDatabase& db) { AssignmentStore::DeleteAssignment(db, chosen.nId); }))
        Load();
}
