#pragma once

#include "platform/CommandTarget.h"

#include <QStringList>

#include <memory>

class CMainFrame;
class CQeDoc;
class QTranslator;

// The application object: the start-up sequence, the one document template
// (document, main frame, view) and the About command.
class CQeApp : public ICommandTarget
{
public:
    CQeApp();
    ~CQeApp() override;

    // Start-up; false ends the program.
    bool InitInstance(const QStringList& arguments);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CQeDoc* Document() const { return m_pDocument.get(); }

    void OnAppAbout();

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

    // The show-splash flag of a command line: set for an ordinary start,
    // cleared when started as an embedded or automation server.
    static bool ShowSplashFlag(const QStringList& arguments);

private:
    std::unique_ptr<QTranslator> m_pQtTranslator;
    std::unique_ptr<CQeDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
