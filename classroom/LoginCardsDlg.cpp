#include "classroom/LoginCardsDlg.h"

#include "attempts/ClassReport.h"
#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "classroom/LoginCardPainter.h"
#include "classroom/PupilStore.h"
#include "documents/TableExport.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

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
    FillClassCombo(this, m_session, m_comboClass, m_strClass, [this] { LoadPupils(); });
    return true;
}

int CLoginCardsDlg::CardsPerPage() const
{
    return Item<QRadioButton>(IDC_TEN)->isChecked() ? 10 : 8;
}

void CLoginCardsDlg::LoadPupils(std::function<void()> then)
{
    m_pupils.clear();
    m_strClass = m_comboClass->currentData().toString();
    ShowCount();
    if (m_comboClass->currentIndex() < 0)
        return;
    AskForDialog<QList<CPupil>>(
        this, m_session,
        [className = m_strClass](CDaoDatabase& own) { return ::LoadPupils(own, className); },
        [this, then = std::move(then)](QList<CPupil> pupils) {
            m_pupils = std::move(pupils);
            ShowCount();
            if (then)
                then();
        });
}

void CLoginCardsDlg::ShowCount()
{
    SetDlgItemText(IDC_COUNT, u"共 %1 名学生"_s.arg(m_pupils.size()));
    GetDlgItem(IDC_PDF)->setEnabled(!m_pupils.isEmpty());
    GetDlgItem(IDC_PRINT)->setEnabled(!m_pupils.isEmpty());
}

void CLoginCardsDlg::RenewPasswords(std::function<void()> then)
{
    const int answer = Platform().MessageBox(
        this,
        u"密码只在设定时才能看到。打印登录卡将为这 %1 名学生各设一个新密码,原来的密码"
        "从此不能再用。继续吗?"_s.arg(m_pupils.size()),
        u"提示"_s, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES)
        return;
    QList<CPupil> renewed = m_pupils;
    for (CPupil& pupil : renewed)
        pupil.strPassword = PupilStore::RandomPassword();
    AskForDialog(
        this, m_session, [renewed](CDaoDatabase& own) { PupilStore::SetPasswords(own, renewed); },
        [this, renewed, then = std::move(then)] {
            m_pupils = renewed;
            then();
        });
}

void CLoginCardsDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS) {
        LoadPupils();
        return;
    }
    if (nID != IDC_PDF && nID != IDC_PRINT)
        return;
    if (m_bGiven) {
        MakeCards(nID);
        return;
    }
    // The pupils as they are now, each with a new password.
    LoadPupils([this, nID] {
        if (!m_pupils.isEmpty())
            RenewPasswords([this, nID] { MakeCards(nID); });
    });
}

void CLoginCardsDlg::MakeCards(int nID)
{
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
