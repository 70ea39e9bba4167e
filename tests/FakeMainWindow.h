#pragma once

#include "platform/MainWindow.h"

#include <QMap>
#include <QWidget>

// A stand-in main window for dialog suites: it records the pane texts the
// dialogs write and registers itself as the application's main window.
class CFakeMainWindow : public QWidget, public IStatusPanes
{
public:
    CFakeMainWindow() { AfxSetMainWnd(this); }
    ~CFakeMainWindow() override { AfxSetMainWnd(nullptr); }

    void SetPaneText(int index, const QString& text) override { panes[index] = text; }

    QMap<int, QString> panes;
};
