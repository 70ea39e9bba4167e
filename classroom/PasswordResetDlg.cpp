#include "classroom/PasswordResetDlg.h"

#include "classroom/PupilStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

#include <QRadioButton>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum PasswordResetDlgIds::Id;
} // namespace

CPasswordResetDlg::CPasswordResetDlg(const CSession& session, CPupil pupil, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_pupil(std::move(pupil))
{
}

bool CPasswordResetDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_WHO, u"学生:%1(学号 %2)"_s.arg(m_pupil.strName, m_pupil.strStudentNo));
    Item<QRadioButton>(IDC_RANDOM)->setChecked(true);
    OnCommand(IDC_RANDOM);
    return true;
}

void CPasswordResetDlg::OnCommand(int nID)
{
    if (nID == IDC_RANDOM || nID == IDC_TYPED) {
        const bool bTyped = Item<QRadioButton>(IDC_TYPED)->isChecked();
        GetDlgItem(IDC_PASSWORD)->setEnabled(bTyped);
        if (bTyped)
            SelectEditText(IDC_PASSWORD);
    }
}

void CPasswordResetDlg::OnOK()
{
    QString password = PupilStore::RandomPassword();
    if (Item<QRadioButton>(IDC_TYPED)->isChecked()) {
        password = GetDlgItemText(IDC_PASSWORD);
        const QString refusal = AccountRules::CheckPassword(password, true);
        if (!refusal.isEmpty()) {
            Platform().MessageBox(this, refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
            SelectEditText(IDC_PASSWORD);
            return;
        }
    }
    AskForDialog(
        this, m_session,
        [key = m_pupil.nKey, password](CDaoDatabase& own) {
            PupilStore::SetPassword(own, key, password);
        },
        [this, password] {
            m_strPassword = password;
            Platform().MessageBox(this, u"%1 的新密码是:%2"_s.arg(m_pupil.strName, password),
                                  u"提示"_s, MB_OK | MB_ICONINFORMATION);
            EndDialog(IDOK_RESULT);
        });
}
