#include "scores/ScoreCommands.h"

#include "res/CommandIds.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"

bool CScoreCommands::OnCmdMsg(int nID)
{
    switch (nID) {
    case ID_QUERY_PERSONAL:
        OpenScoreQuery(ScoreScope::Personal);
        return true;
    case ID_QUERY_GROUP:
        OpenScoreQuery(ScoreScope::Group);
        return true;
    case ID_CLEAR_PERSONAL_SCORES:
        OpenClearPersonalScores();
        return true;
    case ID_CLEAR_GROUP_SCORES:
        OpenClearGroupScores();
        return true;
    default:
        return false;
    }
}

bool CScoreCommands::HasCommandHandler(int nID) const
{
    switch (nID) {
    case ID_QUERY_PERSONAL:
    case ID_QUERY_GROUP:
    case ID_CLEAR_PERSONAL_SCORES:
    case ID_CLEAR_GROUP_SCORES:
        return true;
    default:
        return false;
    }
}

bool CScoreCommands::OnUpdateCmdUI(CCmdUI& cmdUI)
{
    if (cmdUI.m_nID != ID_CLEAR_GROUP_SCORES)
        return false;
    cmdUI.Enable(CurrentUser.KindCode == UserKind::Super);
    return true;
}
