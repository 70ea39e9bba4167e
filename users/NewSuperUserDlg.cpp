#include "users/NewSuperUserDlg.h"

#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/Accounts.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

namespace {
using enum NewSuperUserDlgIds::Id;
} // namespace

CNewSuperUserDlg::CNewSuperUserDlg(QWidget* parent) : CSuperUserDlg(IDD, parent) {}

CNewSuperUserDlg::~CNewSuperUserDlg() = default;

void CNewSuperUserDlg::ShowValues()
{
    SetDlgItemText(IDC_NAME, m_strName);
    SetDlgItemText(IDC_PASSWORD, m_strPassword);
    SetDlgItemText(IDC_CONFIRM, m_strConfirm);
}

void CNewSuperUserDlg::OnOK()
{
    if (!HasOpenSet())
        return;
    m_strName = GetDlgItemText(IDC_NAME);
    m_strPassword = GetDlgItemText(IDC_PASSWORD);
    m_strConfirm = GetDlgItemText(IDC_CONFIRM);

    if (m_strPassword != m_strConfirm) {
        ShowError(u"对不起,你两次输入的密码不一致,请重新输入!"_s);
        SelectEditText(IDC_CONFIRM);
        return;
    }
    // A super user without a password, or with one the login box cannot
    // take, would let anybody in or nobody.
    if (const QString refusal = AccountRules::CheckPassword(m_strPassword, true);
        !refusal.isEmpty()) {
        ShowError(refusal);
        SelectEditText(IDC_PASSWORD);
        return;
    }
    m_pSet->MoveFirst();
    if (SeekNext(*m_pSet, 0, m_strName)) {
        ShowError(u"对不起,你输入的用户名已经存在!请重新输入!"_s);
        SelectEditText(IDC_NAME);
        return;
    }
    if (const QString refusal = AccountRules::CheckNameCharacters(m_strName); !refusal.isEmpty()) {
        ShowError(refusal);
        SelectEditText(IDC_NAME);
        return;
    }
    if (Accounts::AddSuperUser(*m_pSet->Database(), m_strName, m_strPassword) == 0)
        return;

    Close(IDOK);
}

void OpenNewSuperUserDialog()
{
    if (!CommandGuard())
        return;
    CNewSuperUserDlg dlg;
    dlg.DoModal();
}
