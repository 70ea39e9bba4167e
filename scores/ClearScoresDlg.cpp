#include "scores/ClearScoresDlg.h"

#include "platform/Platform.h"
#include "users/Database.h"

#include <QProgressBar>

using namespace Qt::Literals::StringLiterals;

CClearScoresDlg::CClearScoresDlg(int nIDTemplate, int nIDProgress, QWidget* parent)
    : CDialog(nIDTemplate, parent), m_nIDProgress(nIDProgress)
{
}

CClearScoresDlg::~CClearScoresDlg() = default;

bool CClearScoresDlg::IsDeletedRow(CDaoRecordset& rs) const
{
    return IsDeleted(VariantToText(rs.GetFieldValue(0)), VariantToText(rs.GetFieldValue(1)));
}

bool CClearScoresDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndProgress = Item<QProgressBar>(m_nIDProgress);
    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return true;
    m_pRecordset = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*m_pRecordset, Sql::ScanScores)) {
        m_pRecordset.reset();
        return true;
    }

    int nCount = 0;
    for (m_pRecordset->MoveFirst(); !m_pRecordset->IsEOF(); m_pRecordset->MoveNext()) {
        if (IsDeletedRow(*m_pRecordset))
            ++nCount;
    }
    // Deleted scores cannot be brought back: ask first, No by default.
    if (Platform().MessageBox(nullptr, Question(nCount), u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        m_pRecordset.reset();
        EndDialog(IDCANCEL);
        return true;
    }
    m_wndProgress->setRange(0, nCount);
    m_wndProgress->setValue(0);
    SetTimer(1, 500);
    return true;
}

void CClearScoresDlg::OnTimer(int nIDEvent)
{
    Q_UNUSED(nIDEvent); // one tick does all the work, whichever timer it is
    if (!m_pRecordset)
        return;
    KillTimer(1);
    try {
        DeleteRows(
            *m_pRecordset, [this](CDaoRecordset& rs) { return IsDeletedRow(rs); },
            // setValue repaints the bar at once whenever the step shows.
            [this] { m_wndProgress->setValue(m_wndProgress->value() + 1); });
    } catch (const CDaoException& e) {
        // The pass is over either way (a failed commit was rolled back and
        // holds no lock): the failure is shown and the notice goes.
        ReportDaoError(e);
        EndDialog(IDCANCEL);
        return;
    }
    CDialog::OnOK();
}
