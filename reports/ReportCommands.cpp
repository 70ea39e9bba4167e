#include "reports/ReportCommands.h"

#include "reports/ClassReportDlg.h"
#include "reports/DoubtsDlg.h"
#include "reports/ProgressDlg.h"
#include "res/CommandIds.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

CReportCommands::CReportCommands()
{
    const auto superUser = [] { return CurrentUser.KindCode == UserKind::Super; };
    SetCommands({
        {ID_TEACHING_MY_PROGRESS, Guarded([] { CProgressDlg(CurrentUser.RowKey).DoModal(); }),
         [] { return CurrentUser.KindCode == UserKind::Ordinary; }},
        {ID_TEACHING_CLASS_REPORT, Guarded([] { CClassReportDlg().DoModal(); }), superUser},
        {ID_TEACHING_DOUBTS, OpenDoubts, superUser},
    });
}
