#pragma once

#include "platform/CommandMap.h"

#include <QMetaObject>

class CSession;

// 课堂监控 in the menu 教学(&J), for teachers; and, for every pupil's login,
// the report that the program is idle, taken away again at the log-off.
class CMonitorCommands : public CCommandMap
{
public:
    explicit CMonitorCommands(const CSession& session);
    ~CMonitorCommands() override;

private:
    QMetaObject::Connection m_loggedIn;
    QMetaObject::Connection m_loggingOff;
};
