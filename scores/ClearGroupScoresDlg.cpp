#include "scores/ClearGroupScoresDlg.h"

#include "users/CurrentUser.h"
#include "users/Database.h"

using namespace Qt::Literals::StringLiterals;

CClearGroupScoresDlg::CClearGroupScoresDlg(QWidget* parent) : CClearScoresDlg(168, 1027, parent) {}

bool CClearGroupScoresDlg::Criteria(CDaoCriteria& criteria) const
{
    criteria.clear(); // every row
    return true;
}

QString CClearGroupScoresDlg::Question(int nCount) const
{
    return u"确定要删除所有用户的全部成绩记录吗?共%1条,删除后无法恢复。"_s.arg(nCount);
}

void OpenClearGroupScores()
{
    if (!CommandGuard())
        return;
    CClearGroupScoresDlg dlg;
    dlg.DoModal();
}

bool CanClearGroupScores()
{
    return CurrentUser.KindCode == UserKind::Super;
}
