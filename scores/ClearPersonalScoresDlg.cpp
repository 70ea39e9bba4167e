#include "scores/ClearPersonalScoresDlg.h"

#include "scores/OwnScores.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

CClearPersonalScoresDlg::CClearPersonalScoresDlg(QWidget* parent)
    : CClearScoresDlg(157, 1013, parent)
{
}

bool CClearPersonalScoresDlg::Criteria(CDaoCriteria& criteria) const
{
    // The logged-in ordinary user's own rows.
    if (!CurrentUser.IsOrdinaryLogin() || !ActiveDatabase())
        return false;
    criteria = OwnScores::Criteria(*ActiveDatabase());
    return true;
}

void CClearPersonalScoresDlg::Limit(CDaoDatabase& db, CDaoSelection& selection) const
{
    OwnScores::Limit(db, selection);
}

bool CClearPersonalScoresDlg::ClearsByServer(const CDaoDatabase& db) const
{
    return OwnScores::ByKey(db);
}

QString CClearPersonalScoresDlg::Question(int nCount) const
{
    return u"确定要删除您(%1,学号%2)的全部成绩记录吗?共%3条,删除后无法恢复。"_s.arg(
        CurrentUser.Name, CurrentUser.StudentNo, QString::number(nCount));
}

void OpenClearPersonalScores()
{
    if (!CommandGuard())
        return;
    CClearPersonalScoresDlg dlg;
    dlg.DoModal();
}
