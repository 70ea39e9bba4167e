#include "scores/ClearPersonalScoresDlg.h"

#include "users/CurrentUser.h"
#include "users/Database.h"

CClearPersonalScoresDlg::CClearPersonalScoresDlg(QWidget* parent)
    : CClearScoresDlg(157, 1013, parent)
{
}

bool CClearPersonalScoresDlg::IsDeleted(const QString& strOwner) const
{
    return strOwner == CurrentUser.Name;
}

void OpenClearPersonalScores()
{
    if (!CommandGuard())
        return;
    CClearPersonalScoresDlg dlg;
    dlg.DoModal();
}
