#include "classroom/DeletePupilDlg.h"

#include "classroom/PupilStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
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
    CDaoDatabase* db = m_session.GuardedDatabase();
    if (!db)
        return;
    try {
        PupilStore::Delete(*db, m_pupil, Item<QCheckBox>(IDC_SCORES)->isChecked());
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return;
    }
    EndDialog(IDOK_RESULT);
}
