#include "teaching/TeachingCommands.h"

#include "res/CommandIds.h"
#include "teaching/ProgressDlg.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

bool CTeachingCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_TEACHING_MY_PROGRESS:
        if (CommandGuard()) {
            CProgressDlg progress(CurrentUser.RowKey);
            progress.DoModal();
        }
        return true;
    default:
        return false;
    }
}

bool CTeachingCommands::HasCommandHandler(int nID) const
{
    return nID == ID_TEACHING_MY_PROGRESS;
}

bool CTeachingCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    switch (cmdUI.m_nID) {
    case ID_TEACHING_MY_PROGRESS:
        cmdUI.Enable(CurrentUser.KindCode == UserKind::Ordinary);
        return true;
    default:
        return false;
    }
}
