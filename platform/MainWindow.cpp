#include "platform/MainWindow.h"

#include <QPointer>
#include <QWidget>

namespace {
QPointer<QWidget> g_mainWindow;
}

QWidget* AfxGetMainWnd()
{
    return g_mainWindow;
}

void AfxSetMainWnd(QWidget* window)
{
    g_mainWindow = window;
}

IStatusPanes* MainStatusPanes()
{
    return dynamic_cast<IStatusPanes*>(AfxGetMainWnd());
}

IMenuHost* MainMenuHost()
{
    return dynamic_cast<IMenuHost*>(AfxGetMainWnd());
}
