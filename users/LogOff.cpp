#include "users/LogOff.h"

#include "users/Accounts.h"
#include "users/CurrentUser.h"
#include "users/Database.h"
#include "users/LoginDlg.h"
#include "users/Session.h"

void LogOffCurrentUser()
{
    CSession::Instance().LogOff();
    // The program's session goes back to the lab's: nothing of the user's
    // rights stays behind.
    if (CDaoDatabase* db = ActiveDatabase()) {
        try {
            Accounts::SignOut(*db);
        } catch (const CDaoException& e) {
            ReportDaoError(e);
        }
    }
    CurrentUser = CCurrentUser();
    CSession::Instance().UserChanged();
    CLoginDlg dlg;
    dlg.DoModal();
}
