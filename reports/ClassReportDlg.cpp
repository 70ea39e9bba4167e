#include "reports/ClassReportDlg.h"

#include "attempts/PracticeKind.h"
#include "classroom/ClassCombo.h"
#include "documents/TableExport.h"
#include "platform/Dispatch.h"
#include "platform/Platform.h"
#include "reports/ClassChartDlg.h"
#include "reports/ClassReportModel.h"
#include "reports/ProgressDlg.h"
#include "reports/ReportRange.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ClassReportDlgIds::Id;

} // namespace

namespace {

// The class and kind the teacher looked at last, shown again the next
// time the report opens in this run.
struct CLastChoice
{
    QString strClass;
    int nKindIndex = 0;
};
CLastChoice& LastChoice()
{
    static CLastChoice last;
    return last;
}

} // namespace

CClassReportDlg::CClassReportDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CClassReportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_comboKind = Item<QComboBox>(IDC_KIND);
    m_comboRange = Item<QComboBox>(IDC_RANGE);
    m_dateFrom = Item<QDateEdit>(IDC_FROM);
    m_dateTo = Item<QDateEdit>(IDC_TO);
    m_wndSummary = Item<QLabel>(IDC_SUMMARY);

    QWidget* place = GetDlgItem(IDC_LIST);
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pList = new QTreeView(place);
    m_pModel = new CClassReportModel(this);
    m_pList->setModel(m_pModel);
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setAlternatingRowColors(true);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The model keeps its order across refreshes; a click on a header sorts it.
    QHeaderView* header = m_pList->header();
    header->setSortIndicatorShown(true);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setSortIndicator(m_pModel->SortColumn(), m_pModel->SortOrder());
    connect(header, &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) { m_pModel->sort(column, order); });
    layout->addWidget(m_pList);
    // A double-click (or Enter) on a pupil opens the pupil's record.
    connect(m_pList, &QTreeView::activated, this, [this](const QModelIndex& index) {
        Dispatch([this, index] { OpenPupil(index.row()); });
    });

    const QDate today = Platform().CurrentDateTime().date();
    m_dateFrom->setDate(today.addDays(-6));
    m_dateTo->setDate(today);
    for (QDateEdit* date : {m_dateFrom, m_dateTo}) {
        connect(date, &QDateEdit::dateChanged, this, [this] {
            if (m_comboRange->currentIndex() == ReportRange::Custom)
                Dispatch([this] { Refresh(); });
        });
    }
    m_comboKind->setCurrentIndex(LastChoice().nKindIndex);
    m_comboRange->setCurrentIndex(ReportRange::ThisTerm);

    FillClassCombo(this, m_session, m_comboClass, LastChoice().strClass, [this] { Refresh(); });
    return true;
}

void CClassReportDlg::OnCommand(int nID)
{
    switch (nID) {
    case IDC_CLASS:
    case IDC_KIND:
    case IDC_RANGE:
        Refresh();
        break;
    case IDC_CHART: {
        CClassChartDlg chart(m_pModel->Report());
        chart.DoModal();
        break;
    }
    default:
        OutputTable(
            this, nID, {IDC_XLSX, IDC_CSV, IDC_PDF, IDC_PRINT},
            [this] { return m_pModel->ExportTable(); }, m_pModel->Title());
        break;
    }
}

void CClassReportDlg::Refresh()
{
    const bool bCustom = m_comboRange->currentIndex() == ReportRange::Custom;
    m_dateFrom->setEnabled(bCustom);
    m_dateTo->setEnabled(bCustom);
    const int kind = PracticeKind::Chinese + std::max(0, m_comboKind->currentIndex());
    LastChoice() = {m_comboClass->currentData().toString(), kind - PracticeKind::Chinese};
    const CDayRange range =
        ReportRange::Of(m_comboRange->currentIndex(), Platform().CurrentDateTime().date(),
                        m_dateFrom->date(), m_dateTo->date());
    CClassReport report{m_comboClass->currentData().toString(), kind, range, {}};
    if (!m_session.GuardedDatabase())
        return;
    if (m_comboClass->currentIndex() < 0) {
        ShowReport(std::move(report));
        return;
    }
    // Read on the session's worker; the answers come in the order asked, so
    // that the last shown is the last chosen.
    AskForDialog<CClassReport>(
        this, m_session,
        [report](CDaoDatabase& own) {
            return LoadClassReport(own, report.strClass, report.nKind, report.range);
        },
        [this](CClassReport read) { ShowReport(std::move(read)); });
}

void CClassReportDlg::ShowReport(CClassReport report)
{
    m_pModel->SetReport(std::move(report));
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        m_pList->resizeColumnToContents(c);
    ShowSummary();
}

void CClassReportDlg::ShowSummary()
{
    const QList<CPupilFigures>& pupils = m_pModel->Report().pupils;
    if (m_comboClass->count() == 0) {
        m_wndSummary->setText(u"还没有学生。"_s);
        return;
    }
    const auto practised = std::count_if(pupils.cbegin(), pupils.cend(),
                                         [](const auto& p) { return p.HasAttempts(); });
    m_wndSummary->setText(u"%1:共 %2 名学生,%3 人练习过,%4 人没有练习。双击学生可查看其练习记录。"_s
                              .arg(ReportRange::Text(m_pModel->Report().range))
                              .arg(pupils.size())
                              .arg(practised)
                              .arg(pupils.size() - practised));
}

void CClassReportDlg::OpenPupil(int row)
{
    if (row < 0 || row >= m_pModel->rowCount())
        return;
    const CPupil& pupil = m_pModel->RowPupil(row).pupil;
    CProgressDlg progress(m_session, pupil.nKey, pupil.strName, this);
    progress.DoModal();
}
