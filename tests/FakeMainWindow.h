#pragma once

#include "platform/MainWindow.h"
#include "users/Session.h"
#include "users/UserPanes.h"

#include <QMap>
#include <QWidget>

// A stand-in main window for dialog suites: it registers itself as the
// application's main window and, as the frame does, shows the user in its
// panes whenever the session says the user changed; it records the texts.
class CFakeMainWindow : public QWidget, public IStatusPanes
{
public:
    CFakeMainWindow()
    {
        AfxSetMainWnd(this);
        connect(&CSession::Instance(), &CSession::userChanged, this,
                [this] { ShowUserPanes(*this); });
    }
    ~CFakeMainWindow() override { AfxSetMainWnd(nullptr); }

    void SetPaneText(int index, const QString& text) override { panes[index] = text; }

    QMap<int, QString> panes;
};
