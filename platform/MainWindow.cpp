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
