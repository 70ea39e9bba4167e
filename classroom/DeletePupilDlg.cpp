#include "classroom/DeletePupilDlg.h"

#include "classroom/PupilStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

#include <QCheckBox>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum DeletePupilDlgIds::Id;
} // namespace

CDeletePupilDlg::CDeletePupilDlg(const CSession& session, CPupil pupil, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_pupil(std::move(pupil))
{
}

bool CDeletePupilDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_QUESTION, u"确定要删除学生“%1”(%2,学号 %3)吗?删除后该学生不能再登录。"_s.arg(
                                     m_pupil.strName, m_pupil.strClass, m_pupil.strStudentNo));
    Item<QCheckBox>(IDC_SCORES)->setChecked(false);
    GetDlgItem(IDCANCEL_RESULT)->setFocus();
    return false;
}

void CDeletePupilDlg::OnOK()
{
    AskForDialog(
        this, m_session,
        [pupil = m_pupil, bScores = Item<QCheckBox>(IDC_SCORES)->isChecked()](CDaoDatabase& own) {
            PupilStore::Delete(own, pupil, bScores);
        },
        [this] { EndDialog(IDOK_RESULT); });
}
