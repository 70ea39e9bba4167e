#include "users/SuperPasswordDlg.h"

#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

namespace {
using enum SuperPasswordDlgIds::Id;
} // namespace

CSuperPasswordDlg::CSuperPasswordDlg(QWidget* parent) : CSuperUserDlg(IDD, parent) {}

CSuperPasswordDlg::~CSuperPasswordDlg() = default;

void CSuperPasswordDlg::ShowValues()
{
    SetDlgItemText(IDC_PASSWORD, m_strPassword);
    SetDlgItemText(IDC_CONFIRM, m_strConfirm);
}

void CSuperPasswordDlg::OnOK()
{
    if (!HasOpenSet())
        return;
    m_strPassword = GetDlgItemText(IDC_PASSWORD);
    m_strConfirm = GetDlgItemText(IDC_CONFIRM);

    if (m_strPassword != m_strConfirm) {
        ShowError(u"对不起,你两次输入的密码不一致,请重新输入!"_s);
        SelectEditText(IDC_CONFIRM);
        return;
    }
    // An empty password would let anybody in; one longer than the login box
    // takes would lock the super user out.
    if (const QString refusal = AccountRules::CheckPassword(m_strPassword, true);
        !refusal.isEmpty()) {
        ShowError(refusal);
        SelectEditText(IDC_PASSWORD);
        return;
    }

    m_pSet->MoveFirst();
    if (!SeekNext(*m_pSet, 0, CurrentUser.Name)) {
        // Closing as if it had worked would leave the user with a password
        // that was never stored.
        ShowError(u"对不起,无法执行指定操作!"_s);
        return;
    }
    Accounts::SetOwnSuperPassword(*m_pSet, m_strPassword);
    m_pSet->Close();

    Close(IDOK);
}

void OpenSuperPasswordDialog()
{
    if (!CommandGuard())
        return;
    CSuperPasswordDlg dlg;
    dlg.DoModal();
}
