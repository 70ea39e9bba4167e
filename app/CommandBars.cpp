#include "app/CommandBars.h"

#include "app/CommandRouter.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>

CCommandBars::CCommandBars(const CCommandRouter& router, QWidget* owner)
    : QObject(owner), m_router(router), m_pOwner(owner)
{
}

QAction* CCommandBars::Action(int nID)
{
    if (QAction* action = m_actions.value(nID))
        return action;
    auto* action = new QAction(m_pOwner);
    action->setStatusTip(CommandPrompt(nID));
    action->setToolTip(CommandTooltip(nID));
    action->setMenuRole(QAction::NoRole);
    connect(action, &QAction::triggered, this, [this, nID] { m_router.Execute(nID); });
    m_actions.insert(nID, action);
    return action;
}

void CCommandBars::AddItems(QMenu* menu, const QList<MenuItem>& items)
{
    for (const MenuItem& item : items) {
        if (item.bSeparator) {
            menu->addSeparator();
        } else if (item.bPopup) {
            QMenu* sub = menu->addMenu(item.strText);
            AddItems(sub, item.children);
        } else {
            // An action may stand in several menus with different texts, so
            // each menu item gets its own action triggering the same command.
            auto* action = new QAction(item.DisplayText(), menu);
            QAction* shared = Action(item.nCommand);
            action->setStatusTip(shared->statusTip());
            action->setData(item.nCommand);
            const int nID = item.nCommand;
            connect(action, &QAction::triggered, this, [this, nID] { m_router.Execute(nID); });
            menu->addAction(action);
        }
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateActions(menu->actions()); });
}

void CCommandBars::BuildMenuBar(QMenuBar* bar, int nMenuId)
{
    for (const MenuItem& item : LoadMenu(nMenuId)) {
        QMenu* menu = bar->addMenu(item.strText);
        AddItems(menu, item.children);
    }
}

QMenu* CCommandBars::BuildPopup(int nMenuId, QWidget* parent)
{
    const QList<MenuItem> items = LoadMenu(nMenuId);
    auto* menu = new QMenu(parent);
    if (!items.isEmpty())
        AddItems(menu, items.first().children);
    // A pop-up menu is a window of its own: the prompts of its items stop at
    // it instead of reaching the owner's pane 0, so they are passed on.
    menu->installEventFilter(this);
    const QList<QMenu*> submenus = menu->findChildren<QMenu*>();
    for (QMenu* submenu : submenus)
        submenu->installEventFilter(this);
    connect(menu, &QMenu::aboutToHide, this, [this] {
        QStatusTipEvent idle{QString()};
        QCoreApplication::sendEvent(m_pOwner, &idle);
    });
    return menu;
}

void CCommandBars::BuildToolBar(QToolBar* bar, int nToolBarId)
{
    for (const ToolBarButton& button : LoadToolBar(nToolBarId)) {
        if (button.nCommand == ID_SEPARATOR) {
            bar->addSeparator();
            continue;
        }
        QAction* action = Action(button.nCommand);
        action->setIcon(QIcon(button.image));
        action->setText(CommandTooltip(button.nCommand));
        bar->addAction(action);
        m_toolBarActions.append(action);
        // A command without a tooltip shows none (Qt would show its text).
        if (CommandTooltip(button.nCommand).isEmpty()) {
            if (QWidget* widget = bar->widgetForAction(action))
                widget->installEventFilter(this);
        }
    }
    auto* idle = new QTimer(bar);
    connect(idle, &QTimer::timeout, this, [this] { UpdateToolBar(); });
    idle->start(200);
    UpdateToolBar();
}

void CCommandBars::UpdateActions(const QList<QAction*>& actions) const
{
    for (QAction* action : actions) {
        int nID = action->data().toInt();
        if (nID == 0)
            nID = m_actions.key(action, 0);
        if (nID == 0)
            continue;
        const CCmdUI state = m_router.Query(nID);
        action->setEnabled(state.m_bEnabled);
        action->setCheckable(state.m_bChecked);
        action->setChecked(state.m_bChecked);
    }
}

void CCommandBars::UpdateToolBar() const
{
    UpdateActions(m_toolBarActions);
}

void CCommandBars::LoadAccelerators(int nTableId)
{
    m_accelerators = ::LoadAccelerators(nTableId);
}

int CCommandBars::FindCommand(const QKeyEvent& event) const
{
    const Qt::KeyboardModifiers modifiers =
        event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return FindAccelerator(m_accelerators, QKeyCombination(modifiers, Qt::Key(event.key())));
}

bool CCommandBars::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip)
        return true;
    if (event->type() == QEvent::StatusTip && qobject_cast<QMenu*>(watched)) {
        QStatusTipEvent tip(static_cast<QStatusTipEvent*>(event)->tip());
        QCoreApplication::sendEvent(m_pOwner, &tip);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
