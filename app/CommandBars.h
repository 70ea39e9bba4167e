#pragma once

#include "res/Resources.h"

#include <QHash>
#include <QObject>

class CCommandRouter;
class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

// The menus, the tool bar and the accelerator table, built from the
// resources: one action per command id, shared by every menu and button
// that issues it, triggering through the command router. States follow the
// router's update rules when a menu opens and, for the tool bar, at idle.
class CCommandBars : public QObject
{
    Q_OBJECT
public:
    CCommandBars(const CCommandRouter& router, QWidget* owner);

    void BuildMenuBar(QMenuBar* bar, int nMenuId);
    void BuildToolBar(QToolBar* bar, int nToolBarId);
    // The first pop-up of a menu resource (the context menu), not owned.
    QMenu* BuildPopup(int nMenuId, QWidget* parent);
    void LoadAccelerators(int nTableId);

    QAction* Action(int nID);
    // Sets the enabled and checked state of each action from the router.
    void UpdateActions(const QList<QAction*>& actions) const;
    void UpdateToolBar() const;

    // The command of the first accelerator matching a key press; 0 if none.
    int FindCommand(const QKeyEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddItems(QMenu* menu, const QList<MenuItem>& items);

    const CCommandRouter& m_router;
    QWidget* m_pOwner;
    QHash<int, QAction*> m_actions;
    QList<QAction*> m_toolBarActions;
    QList<AcceleratorEntry> m_accelerators;
};
