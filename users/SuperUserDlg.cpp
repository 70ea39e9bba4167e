#include "users/SuperUserDlg.h"

#include "platform/Platform.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

CSuperUserDlg::CSuperUserDlg(int nIDTemplate, QWidget* parent) : CDialog(nIDTemplate, parent) {}

CSuperUserDlg::~CSuperUserDlg() = default;

bool CSuperUserDlg::OnInitDialog()
{
    m_placement.Capture(this);
    m_placement.SlideIn(this);
    ShowValues();

    // A failed open leaves a record set that is not open: OK then does nothing.
    if (CDaoDatabase* db = ActiveDatabase()) {
        m_pSet = std::make_unique<CDaoRecordset>(db);
        OpenScan(*m_pSet, Sql::ScanSuperUsers);
    }
    return true;
}

void CSuperUserDlg::OnCancel()
{
    Close(IDCANCEL);
}

void CSuperUserDlg::Close(int nResult)
{
    m_placement.SlideOut(this);
    EndDialog(nResult);
}

void CSuperUserDlg::ShowError(const QString& text)
{
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
}
