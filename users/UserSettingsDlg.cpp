#include "users/UserSettingsDlg.h"

#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/ServerAccounts.h"
#include "users/Session.h"

#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum UserSettingsDlgIds::Id;
} // namespace

CUserSettingsDlg::CUserSettingsDlg(QWidget* parent) : CDialog(IDD, parent)
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return;
    m_bPasswordOnly = ServerAccounts::IsPupilSession(*db);
    if (m_bPasswordOnly) {
        m_strNewName = CurrentUser.Name;
        m_strNewClass = CurrentUser.Class;
        m_strNewStudentNo = CurrentUser.StudentNo;
    }
    m_pSet = std::make_unique<CDaoRecordset>(db);
    if (!OpenScan(*m_pSet, Sql::ScanUsers))
        m_pSet.reset();
}

CUserSettingsDlg::~CUserSettingsDlg() = default;

bool CUserSettingsDlg::OnInitDialog()
{
    SetDlgItemText(IDC_OLD_NAME, CurrentUser.Name);
    SetDlgItemText(IDC_OLD_CLASS, CurrentUser.Class);
    SetDlgItemText(IDC_OLD_STUDENTNO, CurrentUser.StudentNo);
    SetDlgItemText(IDC_OLD_PASSWORD, CurrentUser.Password);
    SetDlgItemText(IDC_OLD_KIND, CurrentUser.KindText);
    SetDlgItemText(IDC_NEW_NAME, m_strNewName);
    SetDlgItemText(IDC_NEW_CLASS, m_strNewClass);
    SetDlgItemText(IDC_NEW_STUDENTNO, m_strNewStudentNo);
    SetDlgItemText(IDC_NEW_PASSWORD, m_strNewPassword);
    if (m_bPasswordOnly) {
        for (const int id : {IDC_NEW_NAME, IDC_NEW_CLASS, IDC_NEW_STUDENTNO}) {
            auto* edit = Item<QLineEdit>(id);
            edit->setReadOnly(true);
            edit->setToolTip(u"姓名、班级和学号由老师在“学生名单”中修改"_s);
        }
        SelectEditText(IDC_NEW_PASSWORD);
        return false;
    }
    // The first value to type is the new name: typing replaces its preset.
    SelectEditText(IDC_NEW_NAME);
    return false;
}

bool CUserSettingsDlg::Refuse(const QString& text, int nIDEdit)
{
    if (text.isEmpty())
        return false;
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
    SelectEditText(nIDEdit);
    return true;
}

bool CUserSettingsDlg::IsNameTakenByAnother()
{
    for (m_pSet->MoveFirst(); SeekNext(*m_pSet, 0, m_strNewName); m_pSet->MoveNext()) {
        if (m_pSet->GetRowKey() != CurrentUser.RowKey)
            return true;
    }
    return false;
}

void CUserSettingsDlg::OnOK()
{
    m_strNewName = GetDlgItemText(IDC_NEW_NAME);
    m_strNewClass = GetDlgItemText(IDC_NEW_CLASS);
    m_strNewStudentNo = GetDlgItemText(IDC_NEW_STUDENTNO);
    m_strNewPassword = GetDlgItemText(IDC_NEW_PASSWORD);

    if (!m_pSet) {
        AfxMessageBox(Guard::SettingsNotConnected, MB_OK);
        EndDialog(IDOK);
        return;
    }
    if (m_bPasswordOnly) {
        ChangePasswordOnly();
        return;
    }
    // The fields the labels mark "*" are required; number and password
    // take at most 10 characters, as the login box does.
    if (Refuse(AccountRules::CheckName(m_strNewName), IDC_NEW_NAME) ||
        Refuse(AccountRules::CheckClassCharacters(m_strNewClass), IDC_NEW_CLASS) ||
        Refuse(AccountRules::CheckStudentNo(m_strNewStudentNo), IDC_NEW_STUDENTNO) ||
        Refuse(AccountRules::CheckPassword(m_strNewPassword, true), IDC_NEW_PASSWORD))
        return;

    // The rows as they are now: another machine may have registered a name
    // since the dialog opened.
    if (!OpenScan(*m_pSet, Sql::ScanUsers))
        return;
    // The user's own row, by the key taken at login, never the first row
    // that carries the name.
    if (CurrentUser.RowKey == 0 || !m_pSet->FindKey(CurrentUser.RowKey)) {
        Platform().MessageBox(this, u"对不起,无法执行指定操作!"_s, u"错误!"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Renaming onto another user's name would make their rows and scores
    // reachable; keeping one's own name is no rename.
    const bool bRename = VariantToText(m_pSet->GetFieldValue(0)) != m_strNewName;
    if (bRename && IsNameTakenByAnother()) {
        Refuse(u"您输入的用户名已经有人使用,请更改!"_s, IDC_NEW_NAME);
        return;
    }
    m_pSet->FindKey(CurrentUser.RowKey);
    Accounts::EditOwnAccount(*m_pSet, m_strNewName, m_strNewClass, m_strNewStudentNo,
                             m_strNewPassword, CurrentUser.KindText);

    // The program goes on as the changed user, so that later scores carry
    // the name and number that are stored.
    CurrentUser.Name = m_strNewName;
    CurrentUser.Class = m_strNewClass;
    CurrentUser.StudentNo = m_strNewStudentNo;
    CurrentUser.Password = m_strNewPassword;
    CSession::Instance().UserChanged();
    EndDialog(IDOK);
}

void CUserSettingsDlg::ChangePasswordOnly()
{
    if (Refuse(AccountRules::CheckPassword(m_strNewPassword, true), IDC_NEW_PASSWORD))
        return;
    ServerAccounts::SetOwnPassword(*m_pSet->Database(), m_strNewPassword);
    CurrentUser.Password = m_strNewPassword;
    EndDialog(IDOK);
}

void OpenUserSettingsDialog()
{
    if (!CommandGuard())
        return;
    CUserSettingsDlg dlg;
    dlg.DoModal();
}
