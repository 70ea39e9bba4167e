#include "classroom/MovePupilsDlg.h"

#include "classroom/PupilStore.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/AccountRules.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum MovePupilsDlgIds::Id;
} // namespace

CMovePupilsDlg::CMovePupilsDlg(const CSession& session, QList<qint64> keys, QStringList classes,
                               QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_keys(std::move(keys)),
      m_classes(std::move(classes))
{
}

bool CMovePupilsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_WHO,
                   u"把选中的 %1 名学生调到另一个班级(可以输入新班级)。"_s.arg(m_keys.size()));
    auto* classes = Item<QComboBox>(IDC_CLASS);
    classes->addItems(m_classes);
    classes->setEditText(QString());
    classes->setFocus();
    return false;
}

void CMovePupilsDlg::OnOK()
{
    const QString className = Item<QComboBox>(IDC_CLASS)->currentText().trimmed();
    const QString refusal = AccountRules::CheckPupilClass(className);
    if (!refusal.isEmpty()) {
        Platform().MessageBox(this, refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    AskForDialog(
        this, m_session,
        [keys = m_keys, className](CDaoDatabase& own) { PupilStore::Move(own, keys, className); },
        [this, className] {
            m_strClass = className;
            EndDialog(IDOK_RESULT);
        });
}
