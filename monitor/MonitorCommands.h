#pragma once

#include "platform/CommandTarget.h"

#include <QMetaObject>

// 课堂监控 in the menu 教学(&J), for teachers; and, for every pupil's login,
// the report that the program is idle, taken away again at the log-off.
class CMonitorCommands : public ICommandTarget
{
public:
    CMonitorCommands();
    ~CMonitorCommands() override;

    bool OnCmdMsg(int nID) override;
    bool HasCommandHandler(int nID) const override;
    bool OnUpdateCmdUI(CCmdUI& cmdUI) override;

private:
    QMetaObject::Connection m_loggedIn;
    QMetaObject::Connection m_loggingOff;
};
