#include "scores/ClearScoresDlg.h"

#include "platform/Platform.h"
#include "scores/OwnScores.h"
#include "users/Database.h"
#include "users/DeletionPass.h"
#include "users/Session.h"

#include <QProgressBar>

using namespace Qt::Literals::StringLiterals;

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

    // The rows are counted by the engine; those stored after the count are
    // not part of the clearing.
    int nCount = 0;
    CDaoCriteria criteria;
    if (Criteria(criteria)) {
        try {
            CDaoSelection selection(db, u"score"_s, criteria);
            Limit(*db, selection);
            nCount = selection.Count();
            const qint64 nKeyBound = selection.KeyBound();
            if (nCount > 0 && ClearsByServer(*db))
                m_pPass = std::make_unique<CDeletionPass>(
                    [nKeyBound](CDaoDatabase& own, int nBatch) {
                        return OwnScores::DeleteBatch(own, nKeyBound, nBatch);
                    },
                    nCount);
            else if (nCount > 0)
                m_pPass = std::make_unique<CDeletionPass>(u"score"_s, criteria, nKeyBound, nCount);
        } catch (const CDaoException& e) {
            ReportDaoError(e);
            m_pRecordset.reset();
            return true;
        }
    }
    // Deleted scores cannot be brought back: ask first, No by default.
    if (Platform().MessageBox(nullptr, Question(nCount), u"提示!"_s,
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        m_pRecordset.reset();
        m_pPass.reset();
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
    if (!m_pPass) {
        CDialog::OnOK();
        return;
    }
    // The notice stays until the pass is over; setValue repaints the bar at
    // once whenever the step shows.
    SetWaiting(true);
    m_pPass->Start(
        CSession::Instance(), this, [this](int nDeleted) { m_wndProgress->setValue(nDeleted); },
        [this](int) {
            SetWaiting(false);
            m_pPass.reset();
            CDialog::OnOK();
        },
        [this](const CDaoException& e) {
            // The pass is over either way (what it deleted before a failing
            // row stays deleted; a failed commit was rolled back and holds no
            // lock): the failure is shown and the notice goes.
            SetWaiting(false);
            m_pPass.reset();
            ReportDaoError(e);
            EndDialog(IDCANCEL);
        });
}
