#include "classroom/PupilDlg.h"

#include "classroom/PupilStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/DialogAsk.h"

#include <QComboBox>
#include <QLineEdit>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum PupilDlgIds::Id;
} // namespace

CPupilDlg::CPupilDlg(const CSession& session, CPupil pupil, QStringList classes, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_pupil(std::move(pupil)),
      m_classes(std::move(classes))
{
    if (m_pupil.nKey != 0)
        setWindowTitle(u"修改学生"_s);
}

bool CPupilDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* classes = Item<QComboBox>(IDC_CLASS);
    classes->addItems(m_classes);
    classes->setEditText(m_pupil.strClass);
    SetDlgItemText(IDC_NAME, m_pupil.strName);
    SetDlgItemText(IDC_STUDENTNO, m_pupil.strStudentNo);
    // The password is reset on its own, never changed here.
    const bool bAdding = m_pupil.nKey == 0;
    for (const int id : {IDC_PASSWORD, IDC_PASSWORD_LABEL, IDC_PASSWORD_NOTE})
        GetDlgItem(id)->setVisible(bAdding);
    SelectEditText(IDC_NAME);
    return false;
}

bool CPupilDlg::Refuse(const QString& text, int nID)
{
    if (text.isEmpty())
        return false;
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
    if (nID == IDC_CLASS)
        GetDlgItem(nID)->setFocus();
    else
        SelectEditText(nID);
    return true;
}

void CPupilDlg::OnOK()
{
    CPupil pupil = m_pupil;
    pupil.strName = GetDlgItemText(IDC_NAME).trimmed();
    pupil.strClass = Item<QComboBox>(IDC_CLASS)->currentText().trimmed();
    pupil.strStudentNo = GetDlgItemText(IDC_STUDENTNO);
    const bool bAdding = pupil.nKey == 0;
    if (bAdding)
        pupil.strPassword = GetDlgItemText(IDC_PASSWORD);
    if (Refuse(AccountRules::CheckPupilName(pupil.strName), IDC_NAME) ||
        Refuse(AccountRules::CheckPupilClass(pupil.strClass), IDC_CLASS) ||
        Refuse(AccountRules::CheckStudentNo(pupil.strStudentNo), IDC_STUDENTNO) ||
        (bAdding && Refuse(AccountRules::CheckPassword(pupil.strPassword, false), IDC_PASSWORD)))
        return;
    if (bAdding && pupil.strPassword.isEmpty())
        pupil.strPassword = PupilStore::RandomPassword();
    // The stored pupil, with its key; none when the name is taken.
    AskForDialog<std::optional<CPupil>>(
        this, m_session,
        [before = m_pupil, pupil](CDaoDatabase& own) mutable -> std::optional<CPupil> {
            if (PupilStore::IsNameTaken(own, pupil.strName, pupil.nKey))
                return std::nullopt;
            if (pupil.nKey == 0)
                pupil.nKey = PupilStore::Add(own, pupil);
            else
                PupilStore::Update(own, before, pupil);
            return pupil;
        },
        [this, bAdding](std::optional<CPupil> stored) {
            if (!stored) {
                Refuse(u"您输入的用户名已经有人使用,请更改!"_s, IDC_NAME);
                return;
            }
            m_pupil = *stored;
            if (bAdding)
                Platform().MessageBox(
                    this, u"已添加学生 %1,密码:%2"_s.arg(m_pupil.strName, m_pupil.strPassword),
                    u"提示"_s, MB_OK | MB_ICONINFORMATION);
            EndDialog(IDOK_RESULT);
        });
}
