#include "app/AboutDlg.h"

#include "platform/Platform.h"
#include "practice/Credits.h"
#include "res/DialogIds.h"

#include <QLabel>
#include <QPlainTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
using enum AboutDlgIds::Id;
} // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(IDD, parent) {}

QString CAboutDlg::InformationText()
{
    return QStringList{
        u"名称:青禾测试系统(QE)"_s,
        u"版本号:V3.0"_s,
        u"作者:%1  云帆联盟工作室"_s.arg(Credits::AuthorName()),
        u"邮箱:%1"_s.arg(Credits::Email()),
    }
        .join(u"\r\n"_s);
}

bool CAboutDlg::OnInitDialog()
{
    m_strInfo = InformationText();
    if (auto* info = Item<QPlainTextEdit>(IDC_INFO)) {
        // The edit shows lines split at the carriage return and line feed.
        info->setPlainText(QString(m_strInfo).replace(u"\r\n"_s, u"\n"_s));
        info->setReadOnly(true);
    }
    m_wndLink = Item<QLabel>(IDC_LINK);
    if (m_wndLink) {
        m_wndLink->setText(u"网址:%1"_s.arg(Credits::WebAddress()));
        m_wndLink->setStyleSheet(u"color: rgb(0, 0, 255);"_s);
    }
    return true;
}

void CAboutDlg::OnCommand(int nID)
{
    if (nID == IDC_LINK)
        Platform().OpenUrl(Credits::WebAddress());
}
