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

CUserCommands::CUserCommands() = default;
CUserCommands::~CUserCommands() = default;

bool CUserCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_USER_SETTINGS:
        OpenUserSettingsDialog();
        return true;
    case ID_USER_NEW:
        OpenNewUserDialog();
        return true;
    case ID_USER_LOGOFF:
        if (m_beforeLogOff)
            m_beforeLogOff();
        LogOffCurrentUser();
        return true;
    case ID_HISTORY_VIEW:
        OpenLoginHistoryDialog();
        return true;
    case ID_HISTORY_CLEAR:
        ClearLoginHistory(m_pOwner, m_pHistorySet);
        return true;
    case ID_SUPER_NEW:
        OpenNewSuperUserDialog();
        return true;
    case ID_SUPER_PASSWORD:
        OpenSuperPasswordDialog();
        return true;
    default:
        return false;
    }
}

bool CUserCommands::HasCommandHandler(int nID) const
{
    switch (nID) {
    case ID_USER_SETTINGS:
    case ID_USER_NEW:
    case ID_USER_LOGOFF:
    case ID_HISTORY_VIEW:
    case ID_HISTORY_CLEAR:
    case ID_SUPER_NEW:
    case ID_SUPER_PASSWORD:
        return true;
    default:
        return false;
    }
}

bool CUserCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_USER_SETTINGS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    case ID_USER_NEW:
        cmdUI.Enable(CurrentUser.KindCode != UserKind::Super);
        return true;
    case ID_HISTORY_VIEW:
    case ID_HISTORY_CLEAR:
    case ID_SUPER_NEW:
    case ID_SUPER_PASSWORD:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
        return true;
    default:
        return false;
    }
}
