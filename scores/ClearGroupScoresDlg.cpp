#include "scores/ClearGroupScoresDlg.h"

#include "users/CurrentUser.h"
#include "users/Database.h"

CClearGroupScoresDlg::CClearGroupScoresDlg(QWidget* parent) : CClearScoresDlg(168, 1027, parent) {}

bool CClearGroupScoresDlg::IsDeleted(const QString& strOwner) const
{
    Q_UNUSED(strOwner);
    return true;
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
