#pragma once

#include "platform/CommandMap.h"

#include <optional>

class CSession;

// The teacher's commands of the menu 教学(&J) around pupils and classes: the
// class list, the import of a class list, the login cards and, on a lab's
// server, whether pupils may register themselves and the machines' lines;
// open to a super user only, each behind the database guard.
class CClassroomCommands : public CCommandMap
{
public:
    explicit CClassroomCommands(const CSession& session);

private:
    void ToggleRegistration();
    void ShowLabLines();
    // As last read, or read now (on a server only).
    bool IsRegistrationOpen();

    // Whether registration is open, as last read (the menu's check mark
    // asks no server).
    std::optional<bool> m_bRegistrationOpen;
    const CSession& m_session;
};
