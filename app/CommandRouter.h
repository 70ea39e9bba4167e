#pragma once

#include "platform/CommandTarget.h"

#include <QList>

// Offers a command and its state query to the links of the route in order:
// the active view, the document, the main frame, the application. A command
// that no link handles is disabled.
class CCommandRouter
{
public:
    void SetRoute(const QList<ICommandTarget*>& route) { m_route = route; }

    // Runs the command through Dispatch; false when nobody handles it.
    bool Execute(int nID) const;
    CCmdUI Query(int nID) const;

private:
    QList<ICommandTarget*> m_route;
};
