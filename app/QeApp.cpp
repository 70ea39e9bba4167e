#include "app/QeApp.h"

#include "app/MainFrame.h"
#include "platform/MainWindow.h"
#include "practice/QeDoc.h"
#include "res/CommandIds.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

CQeApp::CQeApp() = default;

CQeApp::~CQeApp()
{
    AfxSetMainWnd(nullptr);
}

bool CQeApp::ShowSplashFlag(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        const QString name = argument.mid(1);
        if ((argument.startsWith(u'/') || argument.startsWith(u'-')) &&
            (name.compare(u"Embedding"_s, Qt::CaseInsensitive) == 0 ||
             name.compare(u"Automation"_s, Qt::CaseInsensitive) == 0))
            return false;
    }
    return true;
}

bool CQeApp::InitInstance(const QStringList& arguments)
{
    Q_UNUSED(arguments);
    // The per-user settings live under the key "QE青禾中英文测试系统", application "qe".
    QCoreApplication::setOrganizationName(u"QE青禾中英文测试系统"_s);
    QCoreApplication::setApplicationName(u"qe"_s);

    m_pDocument = std::make_unique<CQeDoc>();
    if (!m_pDocument->OnNewDocument())
        return false;
    m_pMainFrame = std::make_unique<CMainFrame>();
    AfxSetMainWnd(m_pMainFrame.get());
    if (!m_pMainFrame->Create(m_pDocument.get()))
        return false;
    m_pMainFrame->show();
    m_pMainFrame->repaint();
    return true;
}

void CQeApp::OnAppAbout() {}

bool CQeApp::OnCmdMsg(int nID)
{
    if (nID != ID_HELP_ABOUT)
        return false;
    OnAppAbout();
    return true;
}

bool CQeApp::HasCommandHandler(int nID) const
{
    return nID == ID_HELP_ABOUT;
}

bool CQeApp::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    Q_UNUSED(cmdUI);
    return false;
}
