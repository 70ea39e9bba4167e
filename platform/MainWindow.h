#pragma once

#include <QString>

class QPoint;
class QWidget;

// The application's main window, as every part of the program reaches it.
QWidget* AfxGetMainWnd();
void AfxSetMainWnd(QWidget* window);

// What the main window offers to the parts below it: its status-bar panes.
class IStatusPanes
{
public:
    virtual ~IStatusPanes() = default;
    // Sets the text of pane index and has it redrawn at once.
    virtual void SetPaneText(int index, const QString& text) = 0;
};

// The main window tracks pop-up menus, so that their commands are routed
// and their states set like those of the main menu.
class IMenuHost
{
public:
    virtual ~IMenuHost() = default;
    virtual void TrackPopupMenu(int nMenuId, const QPoint& screenPoint) = 0;
};
