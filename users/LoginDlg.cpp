#include "users/LoginDlg.h"

#include "platform/Dao.h"
#include "platform/Platform.h"
#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/NewUserDlg.h"
#include "users/Session.h"
#include "users/SlideWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringListModel>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString KindSuper = u"超级用户"_s;
const QString KindAnonymous = u"匿名用户"_s;

// The names go into a plain list model: the combo box's own model makes an
// item object for each, which takes most of the time for a school's
// hundred thousand names.
void SetNames(QComboBox& box, const QStringList& names)
{
    auto* model = qobject_cast<QStringListModel*>(box.model());
    if (!model) {
        model = new QStringListModel(&box);
        box.setModel(model);
    }
    model->setStringList(names);
}

} // namespace

CLoginDlg::CLoginDlg(QWidget* parent) : CDialog(IDD, parent), m_pDB(ActiveDatabase())
{
    if (!m_pDB) {
        AfxMessageBox(Guard::LoginNotConnected);
        return;
    }
    m_pSet = std::make_unique<CDaoRecordset>(m_pDB);
    if (!OpenScan(*m_pSet, Sql::ScanUsers))
        m_pSet.reset();
}

CLoginDlg::~CLoginDlg() = default;

bool CLoginDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* pKind = Item<QComboBox>(IDC_KIND);
    auto* pName = Item<QComboBox>(IDC_NAME);
    {
        const QSignalBlocker blocker(pKind);
        pKind->setCurrentIndex(m_nKind);
    }
    pName->setEditText(m_strName);
    Item<QLineEdit>(IDC_PASSWORD)->setText(m_strPassword);

    // Where the template centred the dialog; it slides in from the top to
    // there when it is first shown.
    m_rcWork = screen()->availableGeometry();
    m_rcNormal = QRect(pos(), size());

    m_nKindCode = UserKind::Ordinary;
    if (m_pSet) {
        try {
            SetNames(*pName, ReadColumn(*m_pSet, 0));
        } catch (const CDaoException& e) {
            ReportDaoError(e);
        }
    }
    // The name is picked or typed; none is proposed.
    pName->setCurrentIndex(-1);
    pName->setEditText(m_strName);
    return true;
}

void CLoginDlg::showEvent(QShowEvent* event)
{
    CDialog::showEvent(event);
    if (!m_bSlidIn && m_rcNormal.isValid()) {
        m_bSlidIn = true;
        SlideWindow(this, SLIDE_Y, m_rcNormal.x(), 0, m_rcNormal.y());
    }
}

void CLoginDlg::ReadControls()
{
    m_nKind = Item<QComboBox>(IDC_KIND)->currentIndex();
    m_strName = Item<QComboBox>(IDC_NAME)->currentText();
    m_strPassword = Item<QLineEdit>(IDC_PASSWORD)->text();
}

void CLoginDlg::OnCommand(int nID)
{
    if (nID == IDC_KIND)
        OnSelchangeKind();
    else if (nID == IDC_NEWUSER)
        OnNewUser();
}

void CLoginDlg::OnSelchangeKind()
{
    ReadControls();
    auto* pName = Item<QComboBox>(IDC_NAME);
    auto* pPassword = Item<QLineEdit>(IDC_PASSWORD);
    const bool bAnonymous = m_nKind == 2;
    switch (m_nKind) {
    case 0:
        m_nKindCode = UserKind::Super;
        break;
    case 1:
        m_nKindCode = UserKind::Ordinary;
        break;
    case 2:
        m_nKindCode = UserKind::Anonymous;
        break;
    default:
        m_nKindCode = UserKind::NoneChosen;
        break;
    }
    Item<QComboBox>(IDC_KIND)->setEnabled(true);
    pName->setEnabled(!bAnonymous);
    pPassword->setEnabled(!bAnonymous);
    if (m_nKind == 0)
        ReloadNames(Sql::ScanSuperUsers);
    else if (m_nKind == 1)
        ReloadNames(Sql::ScanUsers);
}

void CLoginDlg::ReloadNames(const QString& sql)
{
    auto* pName = Item<QComboBox>(IDC_NAME);
    pName->clear();
    if (!m_pSet)
        return;
    if (m_pSet->IsOpen())
        m_pSet->Close();
    if (!OpenScan(*m_pSet, sql)) {
        m_pSet.reset();
        return;
    }
    QStringList names;
    try {
        names = ReadColumn(*m_pSet, 0);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
    }
    SetNames(*pName, names);
    if (!names.isEmpty())
        m_strName = names.last();

    // The values read before the reload go back to the controls, so the
    // name box shows the last name loaded.
    {
        const QSignalBlocker blocker(Item<QComboBox>(IDC_KIND));
        Item<QComboBox>(IDC_KIND)->setCurrentIndex(m_nKind);
    }
    pName->setCurrentIndex(names.isEmpty() ? -1 : int(names.size()) - 1);
    pName->setEditText(m_strName);
    Item<QLineEdit>(IDC_PASSWORD)->setText(m_strPassword);
}

void CLoginDlg::OnOK()
{
    ReadControls();
    switch (m_nKindCode) {
    case UserKind::Anonymous:
        // An anonymous user has no rights of the previous user's.
        if (m_pDB) {
            try {
                Accounts::SignOut(*m_pDB);
            } catch (const CDaoException& e) {
                ReportDaoError(e);
                return;
            }
        }
        CurrentUser.KindText = KindAnonymous;
        CurrentUser.KindCode = UserKind::Anonymous;
        // The name stays, but no row of the previous user is reached.
        CurrentUser.RowKey = 0;
        CSession::Instance().UserChanged();
        EndDialog(1);
        return;
    case UserKind::Ordinary:
    case UserKind::Super: {
        // Only an anonymous login works without the user tables.
        if (!m_pSet) {
            AfxMessageBox(Guard::LoginNotConnected);
            return;
        }
        const bool bSuper = m_nKindCode == UserKind::Super;
        if (m_pSet->IsOpen())
            m_pSet->Close();
        if (!OpenScan(*m_pSet, bSuper ? Sql::ScanSuperUsers : Sql::ScanUsers))
            return;
        if (CheckLogin(bSuper)) {
            SlideOut();
            EndDialog(0);
            CSession::Instance().LogIn();
        }
        return;
    }
    default:
        Platform().MessageBox(this, u"请选择一个用户类型!"_s, u"qe"_s, MB_OK);
        return;
    }
}

bool CLoginDlg::CheckLogin(bool bSuper)
{
    bool bFound = false;
    try {
        bFound = SeekNext(*m_pSet, 0, m_strName);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    if (!bFound)
        return false;

    // Only the first row with the name is tried.
    CCurrentUser user = CurrentUser;
    user.Name = VariantToText(m_pSet->GetFieldValue(0));
    if (bSuper) {
        user.Password = VariantToText(m_pSet->GetFieldValue(1));
        user.KindText = KindSuper;
        user.RowKey = 0;
    } else {
        user.RowKey = m_pSet->GetRowKey();
        user.Class = VariantToText(m_pSet->GetFieldValue(1));
        user.StudentNo = VariantToText(m_pSet->GetFieldValue(2));
        user.Password = VariantToText(m_pSet->GetFieldValue(3));
        user.KindText = VariantToText(m_pSet->GetFieldValue(4));
    }
    // The stored password field holds a hash in a file and nothing on a
    // server, whose account role's password is checked by signing in.
    bool bAccepted = false;
    try {
        bAccepted =
            Accounts::SignIn(*m_pDB, bSuper, m_pSet->GetRowKey(), user.Password, m_strPassword);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    if (!bAccepted) {
        Platform().MessageBox(this,
                              bSuper ? u"超级用户密码有误!请注意大小,并重输."_s
                                     : u"普通用户密码有误!请注意大小,并重输."_s,
                              u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
        SelectEditText(IDC_PASSWORD);
        return false;
    }

    FieldList fields{{0, CDaoFieldValue::FromText(user.Name)}};
    if (!bSuper) {
        fields.emplace_back(1, CDaoFieldValue::FromText(user.Class));
        fields.emplace_back(2, CDaoFieldValue::FromText(user.StudentNo));
    }
    fields.emplace_back(3, CDaoFieldValue::FromText(user.KindText));
    fields.emplace_back(7, CDaoFieldValue::FromText(u"用户登录"_s));
    // Not logged in after all when the login cannot be written: nothing of
    // the account's rights stays.
    try {
        if (!Accounts::LogLogin(*m_pDB, fields)) {
            Accounts::SignOut(*m_pDB);
            return false;
        }
    } catch (const CDaoException&) {
        Accounts::SignOut(*m_pDB);
        throw;
    }

    // The user's own password, as typed: what is stored can no longer be
    // read back.
    user.Password = m_strPassword;
    user.KindCode = m_nKindCode;
    CurrentUser = user;
    CSession::Instance().UserChanged();
    return true;
}

void CLoginDlg::SlideOut()
{
    SlideWindow(this, SLIDE_Y, m_rcNormal.x(), m_rcNormal.y(), m_rcWork.y() + m_rcWork.height());
}

void CLoginDlg::OnCancel()
{
    SlideOut();
    EndDialog(2);
}

void CLoginDlg::OnNewUser()
{
    EndDialog(0);
    CNewUserDlg dlg;
    dlg.DoModal();
}
