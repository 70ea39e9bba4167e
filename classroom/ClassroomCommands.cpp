#include "classroom/ClassroomCommands.h"

#include "classroom/ClassListDlg.h"
#include "classroom/ImportPreviewDlg.h"
#include "classroom/LoginCardsDlg.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

bool CClassroomCommands::OnCmdMsg(int nID)
{
    if (!HasCommandHandler(nID))
        return false;
    if (nID == ID_TEACHING_IMPORT_PUPILS) {
        ImportClassList(nullptr); // guards itself
        return true;
    }
    if (!CommandGuard())
        return true;
    if (nID == ID_TEACHING_CLASS_LIST) {
        CClassListDlg list;
        list.DoModal();
    } else {
        CLoginCardsDlg cards;
        cards.DoModal();
    }
    return true;
}

bool CClassroomCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_CLASS_LIST || nID == ID_TEACHING_IMPORT_PUPILS ||
           nID == ID_TEACHING_LOGIN_CARDS;
}

bool CClassroomCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    if (!HasCommandHandler(cmdUI.m_nID))
        return false;
    cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
    return true;
}
