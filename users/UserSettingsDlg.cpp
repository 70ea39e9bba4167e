#include "users/UserSettingsDlg.h"

#include "platform/Platform.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/UserPanes.h"

#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
enum {
    IDC_OLD_NAME = 1020,
    IDC_OLD_CLASS = 1003,
    IDC_OLD_STUDENTNO = 1004,
    IDC_OLD_PASSWORD = 1005,
    IDC_OLD_KIND = 1006,
    IDC_NEW_NAME = 1021,
    IDC_NEW_CLASS = 1008,
    IDC_NEW_STUDENTNO = 1009,
    IDC_NEW_PASSWORD = 1010,
};
} // namespace

CUserSettingsDlg::CUserSettingsDlg(QWidget* parent) : CDialog(IDD, parent)
{
    CDaoDatabase* db = ActiveDatabase();
    if (!db)
        return;
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
    return true;
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

    // The scan goes on from the current record, so after a miss the record
    // set stays at its end and a second press misses at once.
    if (!SeekNext(*m_pSet, 0, CurrentUser.Name)) {
        Platform().MessageBox(this, u"对不起,无法执行指定操作!"_s, u"错误!"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EditCurrent(*m_pSet, {{0, CDaoFieldValue::FromText(m_strNewName)},
                          {1, CDaoFieldValue::FromText(m_strNewClass)},
                          {2, CDaoFieldValue::FromText(m_strNewStudentNo)},
                          {3, CDaoFieldValue::FromText(m_strNewPassword)},
                          {4, CDaoFieldValue::FromText(CurrentUser.KindText)}});

    // The program goes on as the changed user, so that a second change finds
    // the row again and later scores carry the name that is stored.
    CurrentUser.Name = m_strNewName;
    CurrentUser.Class = m_strNewClass;
    CurrentUser.StudentNo = m_strNewStudentNo;
    CurrentUser.Password = m_strNewPassword;
    ShowCurrentUserPanes();
    EndDialog(IDOK);
}

void OpenUserSettingsDialog()
{
    if (!CommandGuard())
        return;
    CUserSettingsDlg dlg;
    dlg.DoModal();
}
