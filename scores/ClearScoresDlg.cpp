#include "scores/ClearScoresDlg.h"

#include "users/Database.h"

#include <QProgressBar>

#include <algorithm>

CClearScoresDlg::CClearScoresDlg(int nIDTemplate, int nIDProgress, QWidget* parent)
    : CDialog(nIDTemplate, parent), m_nIDProgress(nIDProgress)
{
}

CClearScoresDlg::~CClearScoresDlg() = default;

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

    const QStringList owners = ReadColumn(*m_pRecordset, 0);
    const auto count = std::count_if(owners.cbegin(), owners.cend(),
                                     [this](const QString& owner) { return IsDeleted(owner); });
    m_wndProgress->setRange(0, int(count));
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
    DeleteRows(
        *m_pRecordset,
        [this](CDaoRecordset& rs) { return IsDeleted(VariantToText(rs.GetFieldValue(0))); },
        // setValue repaints the bar at once whenever the step shows.
        [this] { m_wndProgress->setValue(m_wndProgress->value() + 1); });
    CDialog::OnOK();
}
