#include "classroom/LoginCardsDlg.h"

#include "attempts/ClassReport.h"
#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "classroom/LoginCardPainter.h"
#include "classroom/PupilStore.h"
#include "documents/TableExport.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/Session.h"

#include <QComboBox>
#include <QRadioButton>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum LoginCardsDlgIds::Id;
} // namespace

CLoginCardsDlg::CLoginCardsDlg(const CSession& session, QString className, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_strClass(std::move(className))
{
}

CLoginCardsDlg::CLoginCardsDlg(const CSession& session, QList<CPupil> pupils, QString title,
                               QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_pupils(std::move(pupils)), m_bGiven(true),
      m_strTitle(std::move(title))
{
}

bool CLoginCardsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    Item<QRadioButton>(IDC_EIGHT)->setChecked(true);
    if (m_bGiven) {
        m_comboClass->addItem(m_strTitle);
        m_comboClass->setEnabled(false);
        SetDlgItemText(IDC_COUNT, u"共 %1 名学生"_s.arg(m_pupils.size()));
        SetDlgItemText(IDC_NOTE, u"卡片上的密码就是刚设的密码。"_s);
        return true;
    }
    if (!FillClassCombo(m_session, m_comboClass)) {
        EndDialog(IDCANCEL_RESULT);
        return true;
    }
    m_comboClass->setCurrentIndex(std::max(0, m_comboClass->findData(m_strClass)));
    LoadPupils();
    return true;
}

int CLoginCardsDlg::CardsPerPage() const
{
    return Item<QRadioButton>(IDC_TEN)->isChecked() ? 10 : 8;
}

bool CLoginCardsDlg::LoadPupils()
{
    m_pupils.clear();
    m_strClass = m_comboClass->currentData().toString();
    CDaoDatabase* db = m_session.GuardedDatabase();
    if (!db)
        return false;
    if (m_comboClass->currentIndex() >= 0) {
        try {
            m_pupils = ::LoadPupils(*db, m_strClass);
        } catch (const CDaoException& e) {
            ReportDaoError(e);
            return false;
        }
    }
    SetDlgItemText(IDC_COUNT, u"共 %1 名学生"_s.arg(m_pupils.size()));
    GetDlgItem(IDC_PDF)->setEnabled(!m_pupils.isEmpty());
    GetDlgItem(IDC_PRINT)->setEnabled(!m_pupils.isEmpty());
    return true;
}

bool CLoginCardsDlg::RenewPasswords()
{
    const int answer = Platform().MessageBox(
        this,
        u"密码只在设定时才能看到。打印登录卡将为这 %1 名学生各设一个新密码,原来的密码"
        "从此不能再用。继续吗?"_s.arg(m_pupils.size()),
        u"提示"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES)
        return false;
    CDaoDatabase* db = m_session.GuardedDatabase();
    if (!db)
        return false;
    for (CPupil& pupil : m_pupils)
        pupil.strPassword = PupilStore::RandomPassword();
    try {
        PupilStore::SetPasswords(*db, m_pupils);
    } catch (const CDaoException& e) {
        ReportDaoError(e);
        return false;
    }
    return true;
}

void CLoginCardsDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS) {
        LoadPupils();
        return;
    }
    if (nID != IDC_PDF && nID != IDC_PRINT)
        return;
    // The pupils as they are now, each with a new password.
    if (!m_bGiven && (!LoadPupils() || m_pupils.isEmpty() || !RenewPasswords()))
        return;
    const CLoginCardPainter cards(m_pupils, CardsPerPage());
    const QString title = u"%1 登录卡"_s.arg(m_bGiven ? m_strTitle : ClassDisplayName(m_strClass));
    const PagePainter paint = [&cards](QPainter& painter, QPagedPaintDevice& device) {
        cards.Paint(painter, device);
    };
    if (nID == IDC_PDF)
        ExportPages(this, title, title, paint);
    else
        PrintPages(this, title, paint);
}
