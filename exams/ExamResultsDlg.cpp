#include "exams/ExamResultsDlg.h"

#include "documents/TableExport.h"
#include "exams/CertificateDlg.h"
#include "exams/CompetitionStore.h"
#include "exams/ExamResultTable.h"
#include "platform/Dispatch.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QHeaderView>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ExamResultsDlgIds::Id;

// The column of the status (状态) in the list.
constexpr int StatusColumn = 3;

const QList<int> g_widths = {70, 80, 70, 55, 85, 65, 50, 60, 50, 50, 70, 60, 40, 120};

} // namespace

CExamResultsDlg::CExamResultsDlg(const CSession& session, const CExam& exam, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_exam(exam)
{
    setWindowTitle(u"考试成绩 - %1"_s.arg(exam.strTitle));
}

bool CExamResultsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_listResults = Item<CListCtrl>(IDC_RESULTS);
    QList<ListColumn> columns;
    const QStringList headings = ExamResultTable::Headings(m_exam.nKind, m_exam.competition);
    for (int i = 0; i < headings.size(); ++i)
        columns.append({headings[i], g_widths.value(i, 60)});
    SetUpReportList(m_listResults, columns);
    // Only a competition gives prizes.
    GetDlgItem(IDC_CERTIFICATES)->setVisible(m_exam.competition.has_value());
    QHeaderView* header = m_listResults->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this,
            [this](int column) { Dispatch([this, column] { SortBy(column); }); });
    Reload();
    return true;
}

void CExamResultsDlg::Reload()
{
    AskForDialog<QList<CExamResultRow>>(
        this, m_session,
        [exam = m_exam](CDaoDatabase& own) {
            return exam.competition ? CompetitionStore::LoadStanding(own, exam, *exam.competition)
                                    : ExamStore::LoadResults(own, exam);
        },
        [this](QList<CExamResultRow> rows) {
            m_bShown = true;
            m_rows = std::move(rows);
            if (m_nSortColumn >= 0)
                ExamResultTable::Sort(m_rows, m_nSortColumn, m_bAscending,
                                      m_exam.competition.has_value());
            Fill();
        },
        [this] {
            if (!m_bShown)
                EndDialog(IDCANCEL_RESULT);
        });
}

void CExamResultsDlg::Fill()
{
    int counts[CExamResultRow::Finished + 1] = {};
    QList<QStringList> rows;
    for (const CExamResultRow& row : std::as_const(m_rows)) {
        ++counts[row.state];
        rows.append(DisplayTexts(ExamResultTable::Cells(row, m_exam.competition.has_value())));
    }
    m_listResults->DeleteAllItems();
    m_listResults->AppendRows(rows);
    // The status names 补交 and 可疑; its tip says why.
    for (int row = 0; row < int(m_rows.size()); ++row)
        m_listResults->SetItemToolTip(row, StatusColumn, ExamResultTable::Remarks(m_rows[row]));
    // Every column as wide as what it holds, so that no number is cut.
    for (int column = 0; column < m_listResults->header()->count(); ++column)
        m_listResults->resizeColumnToContents(column);
    SetDlgItemText(IDC_SUMMARY,
                   u"%1:《%2》第 %3 屏,限时 %4 分钟,%5。已完成 %6 人,进行中 %7 人,中断 %8 人,"
                   "未开始 %9 人。"_s.arg(m_exam.strTitle, m_exam.strTextTitle)
                       .arg(m_exam.nScreen)
                       .arg(m_exam.nMinutes)
                       .arg(m_exam.classes.join(u"、"_s))
                       .arg(counts[CExamResultRow::Finished])
                       .arg(counts[CExamResultRow::Running])
                       .arg(counts[CExamResultRow::Interrupted])
                       .arg(counts[CExamResultRow::NotStarted]));
}

void CExamResultsDlg::SortBy(int column)
{
    m_bAscending = column == m_nSortColumn ? !m_bAscending : true;
    m_nSortColumn = column;
    ExamResultTable::Sort(m_rows, column, m_bAscending, m_exam.competition.has_value());
    m_listResults->header()->setSortIndicator(column, m_bAscending ? Qt::AscendingOrder
                                                                   : Qt::DescendingOrder);
    Fill();
}

CExportTable CExamResultsDlg::ExportTable() const
{
    return ExamResultTable::Export(m_exam, m_rows);
}

void CExamResultsDlg::OnCommand(int nID)
{
    if (OutputTable(
            this, nID, {IDC_XLSX, IDC_CSV, IDC_PDF, IDC_PRINT}, [this] { return ExportTable(); },
            ExamResultTable::Title(m_exam)))
        return;
    switch (nID) {
    case IDC_REFRESH:
        Reload();
        break;
    case IDC_CERTIFICATES: {
        CCertificateDlg certificates(m_session, m_exam, m_rows, this);
        certificates.DoModal();
        break;
    }
    default:
        break;
    }
}
