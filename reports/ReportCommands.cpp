#include "reports/ReportCommands.h"

#include "reports/ClassReportDlg.h"
#include "reports/DailyGoalDlg.h"
#include "reports/DoubtsDlg.h"
#include "reports/GradeRulesDlg.h"
#include "reports/PracticeCalendarDlg.h"
#include "reports/PracticeTimeDlg.h"
#include "reports/ProgressDlg.h"
#include "res/CommandIds.h"
#include "users/Session.h"

CReportCommands::CReportCommands(const CSession& session)
{
    const auto teacher = [&session] { return session.IsTeacher(); };
    SetCommands({
        {ID_TEACHING_MY_PROGRESS,
         session.Guarded([&session] { CProgressDlg(session, session.Account().nKey).DoModal(); }),
         [&session] { return session.IsPupil(); }},
        {ID_TEACHING_CALENDAR,
         session.Guarded([&session] { CPracticeCalendarDlg(session).DoModal(); }),
         [&session] { return session.IsOwnLogin(); }},
        {ID_TEACHING_CLASS_REPORT,
         session.Guarded([&session] { CClassReportDlg(session).DoModal(); }), teacher},
        {ID_TEACHING_DOUBTS, [&session] { OpenDoubts(session); }, teacher},
        {ID_TEACHING_GRADES, session.Guarded([&session] { CGradeRulesDlg(session).DoModal(); }),
         teacher},
        {ID_TEACHING_DAILY_GOAL, session.Guarded([&session] { CDailyGoalDlg(session).DoModal(); }),
         teacher},
        {ID_TEACHING_PRACTICE_TIME,
         session.Guarded([&session] { CPracticeTimeDlg(session).DoModal(); }), teacher},
    });
}
