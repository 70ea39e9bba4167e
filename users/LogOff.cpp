#include "users/LogOff.h"

#include "users/CurrentUser.h"
#include "users/LoginDlg.h"
#include "users/UserPanes.h"

void LogOffCurrentUser()
{
    CurrentUser = CCurrentUser();
    ShowCurrentUserPanes();
    CLoginDlg dlg;
    dlg.DoModal();
}
