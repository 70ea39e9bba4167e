#include "scores/ScoreCommands.h"

#include "res/CommandIds.h"
#include "scores/ClearGroupScoresDlg.h"
#include "scores/ClearPersonalScoresDlg.h"
#include "scores/ScoreQueryDlg.h"
#include "scores/ScoreQueryScope.h"
#include "users/CurrentUser.h"

CScoreCommands::CScoreCommands()
{
    SetCommands({
        {ID_QUERY_PERSONAL, [] { OpenScoreQuery(ScoreScope::Personal); }},
        {ID_QUERY_GROUP, [] { OpenScoreQuery(ScoreScope::Group); }},
        {ID_CLEAR_PERSONAL_SCORES, OpenClearPersonalScores},
        {ID_CLEAR_GROUP_SCORES, OpenClearGroupScores,
         [] { return CurrentUser.KindCode == UserKind::Super; }},
    });
}
