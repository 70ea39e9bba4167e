#pragma once

#include "platform/CommandMap.h"
#include "users/ServerAccounts.h"

#include <QList>
#include <QObject>

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
    static void SayRegistration(bool bOpen);
    void ShowLabLines();
    static void SayLabLines(const QList<ServerAccounts::CLabLine>& lines, bool bEncrypted);
    // As last read; the first call after a login asks the session's worker,
    // and the check mark follows its answer.
    bool IsRegistrationOpen();

    const CSession& m_session;
    // Whether registration is open, as last read (the menu's check mark
    // waits for no server).
    std::optional<bool> m_bRegistrationOpen;
    bool m_bReading = false;
    // The worker's answers come to this, and end with the commands.
    QObject m_answers;
};
