#include "classroom/ImportReadDlg.h"

#include "classroom/PupilStore.h"
#include "platform/ProgressCtrl.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QFileInfo>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ImportReadDlgIds::Id;
constexpr int ProgressTimer = 1;

} // namespace

CImportReadDlg::CImportReadDlg(const CSession& session, QString path, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_strPath(std::move(path))
{
}

CImportReadDlg::~CImportReadDlg()
{
    if (m_pThread) {
        m_progress.Cancel();
        m_pThread->wait();
    }
}

bool CImportReadDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndProgress = Item<CProgressCtrl>(IDC_PROGRESS);
    m_wndProgress->setRange(0, 1000);
    SetDlgItemText(IDC_TEXT, u"正在读取并检查“%1”……"_s.arg(QFileInfo(m_strPath).fileName()));
    // The names taken already, from the session's worker; then the file.
    AskForDialog<QSet<QString>>(
        this, m_session, [](CDaoDatabase& own) { return PupilStore::PupilNames(own); },
        [this](QSet<QString> taken) { StartReading(std::move(taken)); },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

void CImportReadDlg::StartReading(QSet<QString> takenNames)
{
    m_pThread.reset(QThread::create([this, taken = std::move(takenNames)] {
        m_plan = PlanImportOf(m_strPath, taken, &PupilStore::RandomPassword, &m_progress);
    }));
    connect(m_pThread.get(), &QThread::finished, this, &CImportReadDlg::OnRead);
    m_pThread->start();
    SetTimer(ProgressTimer, 100);
}

void CImportReadDlg::OnTimer(int nIDEvent)
{
    if (nIDEvent == ProgressTimer)
        m_wndProgress->setValue(m_progress.Permille());
}

void CImportReadDlg::OnCancel()
{
    // The reading stops at its next look at the flag; the destructor waits
    // for that.
    m_progress.Cancel();
    m_bRead = true;
    KillTimer(ProgressTimer);
    EndDialog(IDCANCEL_RESULT);
}

void CImportReadDlg::WaitForReading()
{
    if (!m_pThread)
        return;
    m_pThread->wait();
    OnRead();
}

void CImportReadDlg::OnRead()
{
    if (m_bRead)
        return;
    m_bRead = true;
    KillTimer(ProgressTimer);
    EndDialog(m_plan.bCancelled ? IDCANCEL_RESULT : IDOK_RESULT);
}
