#include "reports/DailyGoalDlg.h"

#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum DailyGoalDlgIds::Id;

struct CRead
{
    QStringList classes;
    DailyGoal::CGoals goals;
};

} // namespace

CDailyGoalDlg::CDailyGoalDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CDailyGoalDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    AskForDialog<CRead>(
        this, m_session,
        [](CDaoDatabase& own) {
            return CRead{LoadClasses(own), DailyGoal::Load(own)};
        },
        [this](const CRead& read) {
            m_goals = read.goals;
            FillSchoolAndClasses(m_comboClass, read.classes);
            ShowChosen();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

QString CDailyGoalDlg::ChosenClass() const
{
    return m_comboClass->currentData().toString();
}

void CDailyGoalDlg::ShowGoal(const CDailyGoal& goal)
{
    SetDlgItemText(IDC_MINUTES, QString::number(goal.nMinutes));
    SetDlgItemText(IDC_ACCURACY, QString::number(goal.nAccuracy));
}

void CDailyGoalDlg::ShowChosen()
{
    const QString className = ChosenClass();
    const bool bOwn = m_goals.contains(className);
    QString source;
    if (className.isEmpty())
        source = bOwn ? u"全校的目标,没有自己目标的班都用它。"_s : u"全校用程序的默认目标。"_s;
    else if (bOwn)
        source = u"本班有自己的目标。"_s;
    else
        source =
            m_goals.contains(QString()) ? u"本班用全校的目标。"_s : u"本班用程序的默认目标。"_s;
    SetDlgItemText(IDC_SOURCE, source);
    ShowGoal(DailyGoal::For(m_goals, className));
}

void CDailyGoalDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS)
        ShowChosen();
    else if (nID == IDC_DEFAULT)
        ShowGoal(DailyGoal::Fallback(m_goals, ChosenClass()));
}

void CDailyGoalDlg::OnOK()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    bool bMinutes = false;
    bool bAccuracy = false;
    const CDailyGoal goal{GetDlgItemText(IDC_MINUTES).toInt(&bMinutes),
                          GetDlgItemText(IDC_ACCURACY).toInt(&bAccuracy)};
    const QString problem =
        !bMinutes || !bAccuracy ? u"请填写每天练习的分钟数和正确率。"_s : DailyGoal::Problem(goal);
    if (!problem.isEmpty()) {
        AfxMessageBox(problem);
        SelectEditText(bMinutes ? IDC_ACCURACY : IDC_MINUTES);
        return;
    }
    AskForDialog(
        this, m_session,
        [className = ChosenClass(), goal](CDaoDatabase& own) {
            DailyGoal::Save(own, className, goal);
        },
        [this] { CDialog::OnOK(); });
}
