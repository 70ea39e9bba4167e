#pragma once

#include "platform/CommandMap.h"

#include <functional>
#include <memory>

class CDaoRecordset;
class QWidget;

// The commands of the accounts: 当前用户设置 (ordinary users), 新建用户
// (all but super users), 注销, and the super users' 登录记录 (view, clear),
// 新建超级用户 and 超级用户密码.
class CUserCommands : public CCommandMap
{
public:
    CUserCommands();
    ~CUserCommands() override;

    // The window the questions belong to.
    void SetOwner(QWidget* pOwner) { m_pOwner = pOwner; }
    // What must be done before a log-off (the running exam left, the
    // practice's screen closed).
    void SetBeforeLogOff(std::function<void()> step) { m_beforeLogOff = std::move(step); }

private:
    void LogOff();

    QWidget* m_pOwner = nullptr;
    std::function<void()> m_beforeLogOff;
    // The record set of the last clearing of the login history.
    std::unique_ptr<CDaoRecordset> m_pHistorySet;
};
