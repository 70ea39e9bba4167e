#include "texts/TextEditDlg.h"

#include "attempts/PracticeKind.h"
#include "platform/FileChooser.h"
#include "platform/Platform.h"
#include "practice/PracticeScreen.h"
#include "res/DialogIds.h"
#include "texts/TextRules.h"
#include "users/DialogAsk.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum TextEditDlgIds::Id;

// A text file larger than this is no practice text.
constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

// The first of the refused characters, enough to find them by: a box that
// lists a hundred thousand is no help.
QString ListedRefused(const QStringList& refused)
{
    constexpr int MaxListed = 40;
    const QString listed = refused.mid(0, MaxListed).join(u' ');
    return refused.size() > MaxListed ? listed + u" ……"_s : listed;
}

} // namespace

CTextEditDlg::CTextEditDlg(const CSession& session, const CPracticeText& text, QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_text(text)
{
    if (text.nId == 0)
        setWindowTitle(u"新建练习文章"_s);
}

bool CTextEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_editTitle = Item<QLineEdit>(IDC_TITLE);
    m_comboKind = Item<QComboBox>(IDC_KIND);
    m_editBody = Item<QPlainTextEdit>(IDC_BODY);
    m_editTitle->setText(m_text.strTitle);
    const int kind = m_text.nKind >= PracticeKind::Chinese && m_text.nKind <= PracticeKind::Symbol
                         ? m_text.nKind
                         : int(PracticeKind::Chinese);
    m_comboKind->setCurrentIndex(kind - PracticeKind::Chinese);
    m_editBody->setPlainText(m_text.strBody);
    m_screensTimer.setSingleShot(true);
    m_screensTimer.setInterval(200);
    connect(&m_screensTimer, &QTimer::timeout, this, [this] { ShowScreens(); });
    connect(m_editBody, &QPlainTextEdit::textChanged, &m_screensTimer, qOverload<>(&QTimer::start));
    ShowScreens();
    return true;
}

int CTextEditDlg::Kind() const
{
    return PracticeKind::Chinese + qMax(m_comboKind->currentIndex(), 0);
}

QString CTextEditDlg::ScreensText() const
{
    const QString body = TextRules::Normalise(m_editBody->toPlainText(), Kind());
    return u"共 %1 屏"_s.arg(ScreenCount(TextRules::FileBytes(body, Kind()), Kind()));
}

void CTextEditDlg::ShowScreens()
{
    SetDlgItemText(IDC_SCREENS, ScreensText());
}

void CTextEditDlg::OnCommand(int nID)
{
    if (nID == IDC_KIND)
        ShowScreens();
    else if (nID == IDC_IMPORT)
        Import();
}

void CTextEditDlg::Import()
{
    const QString path =
        FileChooser::ChooseOpenFile(this, u"导入文本文件"_s, u"文本文件 (*.txt);;所有文件 (*)"_s);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Refuse(u"无法打开文件'%1':%2"_s.arg(QFileInfo(path).fileName(), file.errorString()), 0);
        return;
    }
    if (file.size() > MaxFileBytes) {
        Refuse(u"文件'%1'太大(%2 KB),练习文章最多 %3 KB。"_s.arg(QFileInfo(path).fileName())
                   .arg(file.size() / 1024)
                   .arg(MaxFileBytes / 1024),
               0);
        return;
    }
    const std::optional<QString> text = TextRules::DecodeFile(file.readAll());
    if (!text) {
        Refuse(u"文件'%1'不是 UTF-8 或 GBK 编码的文本文件,无法导入。"_s.arg(
                   QFileInfo(path).fileName()),
               0);
        return;
    }
    m_editBody->setPlainText(*text);
    ShowScreens();
    if (m_editTitle->text().trimmed().isEmpty())
        m_editTitle->setText(QFileInfo(path).completeBaseName().left(40));
}

bool CTextEditDlg::Refuse(const QString& text, int nFocusID)
{
    Platform().MessageBox(this, text, u"错误!"_s, MB_OK | MB_ICONEXCLAMATION);
    if (QWidget* control = nFocusID ? GetDlgItem(nFocusID) : nullptr)
        control->setFocus();
    return false;
}

void CTextEditDlg::OnOK()
{
    const QString title = m_editTitle->text().trimmed();
    if (title.isEmpty()) {
        Refuse(u"请输入文章的标题!"_s, IDC_TITLE);
        return;
    }
    const int kind = Kind();
    // The body is shown as it will be stored, so that the teacher sees what
    // became full-width (or half-width).
    const QString body = TextRules::Normalise(m_editBody->toPlainText(), kind);
    if (body != m_editBody->toPlainText())
        m_editBody->setPlainText(body);
    if (body.trimmed().isEmpty()) {
        Refuse(u"正文不能为空!"_s, IDC_BODY);
        return;
    }
    if (body.size() > TextRules::MaxLength) {
        Refuse(u"正文太长(%1 个字符),最多 %2 个字符,请删减后再保存!"_s.arg(body.size())
                   .arg(TextRules::MaxLength),
               IDC_BODY);
        return;
    }
    const QStringList refused = TextRules::Refused(body, kind);
    if (!refused.isEmpty()) {
        const QString what = kind == PracticeKind::Chinese
                                 ? u"以下字符不在 GBK 字符集中,中文练习无法显示和输入"_s
                                 : u"英文、数字和符号文章只能包含半角字符,以下字符不能使用"_s;
        Refuse(u"%1(共 %2 个),请修改后再保存:\n%3"_s.arg(what)
                   .arg(refused.size())
                   .arg(ListedRefused(refused)),
               IDC_BODY);
        return;
    }
    CPracticeText text = m_text;
    text.strTitle = title;
    text.nKind = kind;
    text.strBody = body;
    // An exam's screen must stay what the exam was set on: the exams that
    // use the text refuse a new body or kind, and nothing is stored.
    const bool bBodyChanged = text.nId != 0 && (kind != m_text.nKind || body != m_text.strBody);
    using CSaved = std::pair<CPracticeText, QStringList>;
    AskForDialog<CSaved>(
        this, m_session,
        [text, bBodyChanged](CDaoDatabase& own) mutable {
            const QStringList exams =
                bBodyChanged ? TextStore::ExamsUsing(own, text.nId) : QStringList();
            if (exams.isEmpty())
                text.nId = TextStore::SaveText(own, text);
            return CSaved{text, exams};
        },
        [this](const CSaved& saved) {
            if (!saved.second.isEmpty()) {
                Refuse(u"这篇文章已用于考试(%1),不能修改正文和类型,只能修改标题。"
                       "可以新建一篇文章。"_s.arg(saved.second.join(u"、"_s)),
                       IDC_BODY);
                return;
            }
            m_text = saved.first;
            CDialog::OnOK();
        });
}
