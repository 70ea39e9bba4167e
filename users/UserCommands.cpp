#include "users/UserCommands.h"

#include "platform/Dao.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/LogOff.h"
#include "users/LoginHistoryDlg.h"
#include "users/NewSuperUserDlg.h"
#include "users/NewUserDlg.h"
#include "users/SuperPasswordDlg.h"
#include "users/UserSettingsDlg.h"

CUserCommands::CUserCommands()
{
    const auto super = [] { return CurrentUser.KindCode == UserKind::Super; };
    SetCommands({
        {ID_USER_SETTINGS, OpenUserSettingsDialog,
         [] { return CurrentUser.KindCode == UserKind::Ordinary; }},
        {ID_USER_NEW, OpenNewUserDialog, [] { return CurrentUser.KindCode != UserKind::Super; }},
        {ID_USER_LOGOFF, [this] { LogOff(); }},
        {ID_HISTORY_VIEW, OpenLoginHistoryDialog, super},
        {ID_HISTORY_CLEAR, [this] { ClearLoginHistory(m_pOwner, m_pHistorySet); }, super},
        {ID_SUPER_NEW, OpenNewSuperUserDialog, super},
        {ID_SUPER_PASSWORD, OpenSuperPasswordDialog, super},
    });
}

CUserCommands::~CUserCommands() = default;

void CUserCommands::LogOff()
{
    if (m_beforeLogOff)
        m_beforeLogOff();
    LogOffCurrentUser();
}
