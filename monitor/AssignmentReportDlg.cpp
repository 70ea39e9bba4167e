#include "monitor/AssignmentReportDlg.h"

#include "documents/TableExport.h"
#include "monitor/AssignmentReport.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QComboBox>
#include <QHeaderView>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum AssignmentReportDlgIds::Id;

} // namespace

CAssignmentReportDlg::CAssignmentReportDlg(const CSession& session, const CAssignment& assignment,
                                           QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_assignment(assignment)
{
    setWindowTitle(u"作业完成情况 - %1"_s.arg(assignment.strTitle));
}

bool CAssignmentReportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_listPupils = Item<CListCtrl>(IDC_PUPILS);
    QList<ListColumn> columns;
    for (const QString& heading : AssignmentReport::Headings(m_assignment))
        columns.append({heading, 60});
    SetUpReportList(m_listPupils, columns);
    m_comboClass->addItems(m_assignment.classes);
    m_comboClass->setCurrentIndex(m_assignment.classes.isEmpty() ? -1 : 0);
    Reload();
    return true;
}

QString CAssignmentReportDlg::ClassName() const
{
    return m_comboClass->currentText();
}

void CAssignmentReportDlg::Reload()
{
    AskForDialog<QList<CAssignmentRow>>(
        this, m_session,
        [assignment = m_assignment, className = ClassName(),
         today = Platform().CurrentDateTime().date()](CDaoDatabase& own) {
            return AssignmentStore::LoadReport(own, assignment, className, today);
        },
        [this](QList<CAssignmentRow> rows) {
            m_bShown = true;
            m_rows = std::move(rows);
            Fill();
        },
        [this] {
            if (!m_bShown)
                EndDialog(IDCANCEL_RESULT);
        });
}

void CAssignmentReportDlg::Fill()
{
    QList<QStringList> rows;
    for (const CAssignmentRow& row : std::as_const(m_rows))
        rows.append(DisplayTexts(AssignmentReport::Cells(row)));
    m_listPupils->DeleteAllItems();
    m_listPupils->AppendRows(rows);
    for (int column = 0; column < m_listPupils->header()->count(); ++column)
        m_listPupils->resizeColumnToContents(column);
    SetDlgItemText(IDC_TASK, u"%1,%2,%3。"_s.arg(m_assignment.TaskText(), m_assignment.TargetText(),
                                                 m_assignment.DaysText()));
    SetDlgItemText(IDC_SUMMARY, AssignmentReport::Summary(m_rows));
}

void CAssignmentReportDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS)
        Reload();
    else
        OutputTable(this, nID, {IDC_XLSX, IDC_CSV, IDC_PDF, IDC_PRINT},
                    [this] { return AssignmentReport::Export(m_assignment, ClassName(), m_rows); });
}
