#include "users/NewUserDlg.h"

#include "platform/Dao.h"
#include "platform/Platform.h"
#include "users/AccountRules.h"
#include "users/Accounts.h"
#include "users/ClassCompleter.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/LoginDlg.h"
#include "users/Session.h"

#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString KindOrdinary = u"普通用户"_s;
}

CNewUserDlg::CNewUserDlg(QWidget* parent) : CDialog(IDD, parent) {}

CNewUserDlg::~CNewUserDlg() = default;

bool CNewUserDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    Item<QLineEdit>(IDC_NAME)->setText(m_strName);
    Item<QLineEdit>(IDC_CLASS)->setText(m_strClass);
    Item<QLineEdit>(IDC_STUDENTNO)->setText(m_strStudentNo);
    Item<QLineEdit>(IDC_PASSWORD)->setText(m_strPassword);
    Item<QComboBox>(IDC_KIND)->setCurrentIndex(m_nKind);
    // Shown for the user's information only; never read.
    Item<QDateEdit>(IDC_DATE)->setDate(QDate::currentDate());

    m_pDB = ActiveDatabase();
    if (m_pDB) {
        m_pSet = std::make_unique<CDaoRecordset>(m_pDB);
        if (!OpenScan(*m_pSet, Sql::ScanUsers))
            m_pSet.reset();
        // The classes that exist are offered; without them the box is as before.
        try {
            OfferClasses(Item<QLineEdit>(IDC_CLASS), KnownClasses(*m_pDB));
        } catch (const CDaoException&) {
        }
    }
    return true;
}

void CNewUserDlg::ReadControls()
{
    m_strName = Item<QLineEdit>(IDC_NAME)->text();
    m_strClass = Item<QLineEdit>(IDC_CLASS)->text();
    m_strStudentNo = Item<QLineEdit>(IDC_STUDENTNO)->text();
    m_strPassword = Item<QLineEdit>(IDC_PASSWORD)->text();
    m_nKind = Item<QComboBox>(IDC_KIND)->currentIndex();
}

bool CNewUserDlg::IsNameTaken()
{
    // Names compare exactly: case and spaces count.
    m_pSet->MoveFirst();
    return SeekNext(*m_pSet, 0, m_strName);
}

void CNewUserDlg::OnOK()
{
    ReadControls();
    if (!m_pSet) {
        AfxMessageBox(Guard::NewUserNotConnected);
        return;
    }
    if (IsNameTaken()) {
        Platform().MessageBox(this, u"您输入的用户名已经有人使用,请更改!"_s, u"错误!"_s,
                              MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // A name or class with line breaks, direction overrides or nothing
    // visible would be listed and printed as something else.
    for (const QString& refusal : {AccountRules::CheckNameCharacters(m_strName),
                                   AccountRules::CheckClassCharacters(m_strClass)}) {
        if (!refusal.isEmpty()) {
            Platform().MessageBox(this, refusal, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }

    // The password is stored as only the login can check it (Accounts).
    QString historyError;
    qint64 nKey = 0;
    try {
        nKey = Accounts::Register(*m_pDB, m_strName, m_strClass, m_strStudentNo, m_strPassword,
                                  &historyError);
    } catch (const CDaoException& e) {
        // A lab's server refuses by its own rules (registration closed, a
        // class no teacher made, a name just taken): its words, and the
        // dialog stays open.
        if (!e.IsRefusal())
            throw;
        Platform().MessageBox(this, e.GetErrorMessage(), u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (nKey == 0)
        return;

    // The account exists: the new user is logged in, rights included.
    CurrentUser.Name = m_strName;
    CurrentUser.Class = m_strClass;
    CurrentUser.StudentNo = m_strStudentNo;
    CurrentUser.Password = m_strPassword;
    CurrentUser.KindText = KindOrdinary;
    CurrentUser.RowKey = nKey;
    if (m_nKind == 0)
        CurrentUser.KindCode = UserKind::Ordinary;
    CSession::Instance().UserChanged();

    FieldList historyRow{
        {0, CDaoFieldValue::FromText(CurrentUser.Name)},
        {1, CDaoFieldValue::FromText(m_strClass)},
        {2, CDaoFieldValue::FromText(m_strStudentNo)},
        {3, CDaoFieldValue::FromText(KindOrdinary)},
        {7, CDaoFieldValue::FromText(u"创建用户"_s)},
    };
    if (!Accounts::LogRegistration(*m_pDB, historyRow, historyError))
        return;
    EndDialog(1);
    CSession::Instance().LogIn();
}

void CNewUserDlg::OnCancel()
{
    EndDialog(2);
    CLoginDlg dlg;
    dlg.DoModal();
}

void OpenNewUserDialog()
{
    if (!CommandGuard())
        return;
    CNewUserDlg dlg;
    dlg.DoModal();
}
