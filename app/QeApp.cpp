#include "app/QeApp.h"

#include "app/AboutDlg.h"
#include "app/DisplayCommands.h"
#include "app/MainFrame.h"
#include "app/ProgramDatabaseSteps.h"
#include "app/SplashWnd.h"
#include "platform/DisplayScale.h"
#include "platform/GlyphBlending.h"
#include "platform/KeyPressCounter.h"
#include "platform/MainWindow.h"
#include "practice/QeDoc.h"
#include "res/CommandIds.h"
#include "res/Resources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
    CSplashWnd::EnableSplash(ShowSplashFlag(arguments));
    GlyphBlending::UsePlainBlending();
    // The per-user settings live under the key "QE青禾中英文测试系统",
    // with the application name "qe" below it.
    QCoreApplication::setOrganizationName(u"QE青禾中英文测试系统"_s);
    QCoreApplication::setApplicationName(LoadString(57344));
    // Menus, tool bar and status bar take their Chinese glyphs from the
    // Simplified Chinese face, like the dialogs and the credit screen;
    // without it the fallback is the Japanese face, one font more to load.
    QFont font = QApplication::font();
    font.setFamilies({font.family(), u"Noto Sans CJK SC"_s});
    QApplication::setFont(font);
    // The display size, before the first window.
    DisplayScale::Apply(CDisplayCommands::StartPercent());
    // Qt's own texts (the edit boxes' context menus, standard buttons, the
    // calendar's names) in Simplified Chinese like the rest of the program.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    m_pQtTranslator = std::make_unique<QTranslator>();
    if (m_pQtTranslator->load(chinese, u"qtbase"_s, u"_"_s,
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_pQtTranslator.get());

    // Key presses are counted for 击键 and 码长 where the platform shows them.
    CKeyPressCounter::InstallOnXcb();

    // The one document template: the document, then the frame with its view.
    m_pDocument = std::make_unique<CQeDoc>(ProgramDatabaseSteps());
    if (!m_pDocument->OnNewDocument())
        return false;
    m_pMainFrame = std::make_unique<CMainFrame>();
    AfxSetMainWnd(m_pMainFrame.get());
    if (!m_pMainFrame->Create(m_pDocument.get(), this))
        return false;
    m_pMainFrame->show();
    m_pMainFrame->repaint();
    return true;
}

void CQeApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}

bool CQeApp::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_HELP_ABOUT:
        OnAppAbout();
        return true;
    case ID_APP_EXIT:
        if (m_pMainFrame)
            m_pMainFrame->close();
        return true;
    default:
        return false;
    }
}

bool CQeApp::HasCommandHandler(int nID) const
{
    return nID == ID_HELP_ABOUT || nID == ID_APP_EXIT;
}

bool CQeApp::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    Q_UNUSED(cmdUI);
    return false;
}
