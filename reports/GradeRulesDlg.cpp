#include "reports/GradeRulesDlg.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "classroom/ClassCombo.h"
#include "classroom/ClassNames.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum GradeRulesDlgIds::Id;

// The speed and accuracy edits of 优秀, 良好 and 及格.
constexpr std::array<std::pair<int, int>, 3> BarEdits{
    std::pair{IDC_EXCELLENT_SPEED, IDC_EXCELLENT_ACCURACY},
    std::pair{IDC_GOOD_SPEED, IDC_GOOD_ACCURACY}, std::pair{IDC_PASS_SPEED, IDC_PASS_ACCURACY}};

} // namespace

CGradeRulesDlg::CGradeRulesDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

bool CGradeRulesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboClass = Item<QComboBox>(IDC_CLASS);
    m_comboKind = Item<QComboBox>(IDC_KIND);
    m_comboKind->setCurrentIndex(0);
    AskForDialog<CRead>(
        this, m_session,
        [](CDaoDatabase& own) {
            return CRead{LoadClasses(own), GradeStore::Load(own)};
        },
        [this](const CRead& read) {
            m_rules = read.rules;
            // The empty class name is the school's rule; pupils without a
            // class are graded by it.
            FillSchoolAndClasses(m_comboClass, read.classes);
            ShowChosen();
        },
        [this] { EndDialog(IDCANCEL_RESULT); });
    return true;
}

QString CGradeRulesDlg::ChosenClass() const
{
    return m_comboClass->currentData().toString();
}

int CGradeRulesDlg::ChosenKind() const
{
    return PracticeKind::Chinese + qMax(m_comboKind->currentIndex(), 0);
}

void CGradeRulesDlg::ShowRule(const CGradeRule& rule)
{
    for (size_t i = 0; i < BarEdits.size(); ++i) {
        SetDlgItemText(BarEdits[i].first, QString::number(rule.bars[i].nSpeed));
        SetDlgItemText(BarEdits[i].second, QString::number(rule.bars[i].nAccuracy));
    }
}

void CGradeRulesDlg::ShowChosen()
{
    const QString className = ChosenClass();
    const int kind = ChosenKind();
    SetDlgItemText(IDC_UNIT, u"速度至少(%1)"_s.arg(Metrics::SpeedUnit(kind)));
    const bool bOwn = m_rules.Own(className, kind).has_value();
    const bool bSchool = m_rules.Own({}, kind).has_value();
    QString source;
    if (className.isEmpty())
        source = bOwn ? u"全校的标准,没有自己标准的班都用它。"_s : u"全校用程序的默认标准。"_s;
    else if (bOwn)
        source = u"本班有自己的标准。"_s;
    else
        source = bSchool ? u"本班用全校的标准。"_s : u"本班用程序的默认标准。"_s;
    SetDlgItemText(IDC_SOURCE, source);
    ShowRule(m_rules.For(className, kind));
}

void CGradeRulesDlg::OnCommand(int nID)
{
    if (nID == IDC_CLASS || nID == IDC_KIND)
        ShowChosen();
    else if (nID == IDC_DEFAULT)
        ShowRule(m_rules.Fallback(ChosenClass(), ChosenKind()));
}

void CGradeRulesDlg::OnOK()
{
    if (m_comboClass->currentIndex() < 0)
        return;
    CGradeRule rule;
    for (size_t i = 0; i < BarEdits.size(); ++i) {
        bool bSpeed = false;
        bool bAccuracy = false;
        rule.bars[i] = {GetDlgItemText(BarEdits[i].first).toInt(&bSpeed),
                        GetDlgItemText(BarEdits[i].second).toInt(&bAccuracy)};
        if (!bSpeed || !bAccuracy) {
            AfxMessageBox(u"请填写%1的速度和正确率。"_s.arg(Grades::Name(Grades::Barred[i])));
            SelectEditText(bSpeed ? BarEdits[i].second : BarEdits[i].first);
            return;
        }
    }
    if (const QString problem = Grades::Problem(rule); !problem.isEmpty()) {
        AfxMessageBox(problem);
        return;
    }
    AskForDialog(
        this, m_session,
        [className = ChosenClass(), kind = ChosenKind(), rule](CDaoDatabase& own) {
            GradeStore::Save(own, className, kind, rule);
        },
        [this] { CDialog::OnOK(); });
}
