#include "texts/DrillDlg.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/Progress.h"
#include "platform/Platform.h"
#include "res/DialogIds.h"
#include "users/Database.h"
#include "users/DialogAsk.h"
#include "users/Session.h"

#include <QComboBox>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum DrillDlgIds::Id;

} // namespace

CDrillDlg::CDrillDlg(const CSession& session, qint64 userKey, quint32 seed, int fixedKind,
                     QWidget* parent)
    : CDialog(IDD, parent), m_session(session), m_nUserKey(userKey), m_nSeed(seed),
      m_nFixedKind(fixedKind)
{
}

bool CDrillDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_comboKind = Item<QComboBox>(IDC_KIND);
    const bool bFixed = PracticeKind::IsPractice(m_nFixedKind);
    m_comboKind->setEnabled(!bFixed);
    if (bFixed || !m_session.Database()) {
        ShowKind(bFixed ? m_nFixedKind : int(PracticeKind::Chinese));
        return true;
    }
    // The kind practised last, read on the session's worker: a pupil who
    // types only English opens on English mistakes, not on no Chinese ones.
    SetWaiting(true);
    m_session.Ask<int>(
        this,
        [userKey = m_nUserKey](CDaoDatabase& own) {
            const int kind = LastPractisedKind(own, userKey, PracticeKind::Chinese);
            return PracticeKind::IsPractice(kind) ? kind : int(PracticeKind::Chinese);
        },
        [this](int kind) {
            SetWaiting(false);
            ShowKind(kind);
        },
        [this](const CDaoException&) {
            SetWaiting(false);
            ShowKind(PracticeKind::Chinese); // whose read says what the database says
        });
    return true;
}

void CDrillDlg::ShowKind(int kind)
{
    m_comboKind->setCurrentIndex(kind - PracticeKind::Chinese);
    ShowUnits();
}

int CDrillDlg::Kind() const
{
    return PracticeKind::Chinese + qMax(m_comboKind->currentIndex(), 0);
}

void CDrillDlg::OnCommand(int nID)
{
    if (nID == IDC_KIND)
        ShowUnits();
}

QString CDrillDlg::TooFewText() const
{
    return u"最近的%1练习中打错的字(键)只有 %2 个,至少要有 %3 个才能生成错字练习。"
           "请先多做几次%1练习。"_s.arg(Metrics::KindName(Kind()))
               .arg(m_units.size())
               .arg(Drill::MinimumUnits);
}

void CDrillDlg::ShowUnits()
{
    m_units.clear();
    AskForDialog<QList<Drill::CUnit>>(
        this, m_session,
        [userKey = m_nUserKey, kind = Kind()](CDaoDatabase& own) {
            return Drill::RecentMistakes(own, userKey, kind);
        },
        [this, kind = Kind()](QList<Drill::CUnit> units) {
            if (kind == Kind()) // another kind may be chosen meanwhile
                ShowUnits(std::move(units));
        });
}

void CDrillDlg::ShowUnits(QList<Drill::CUnit> units)
{
    m_units = std::move(units);
    if (m_units.size() < Drill::MinimumUnits) {
        SetDlgItemText(IDC_UNITS, TooFewText());
        return;
    }
    QStringList shown;
    for (const Drill::CUnit& unit : std::as_const(m_units))
        shown.append(u"%1(%2次)"_s.arg(unit.strText.trimmed()).arg(unit.nCount));
    SetDlgItemText(
        IDC_UNITS,
        u"最近 %1 次%2练习中打错最多的字(键):\n%3\n按\"开始练习\"练习一屏由它们组成的文字。"_s
            .arg(Drill::RecentAttempts)
            .arg(Metrics::KindName(Kind()), shown.join(u"  "_s)));
}

void CDrillDlg::OnOK()
{
    if (m_units.size() < Drill::MinimumUnits) {
        Platform().MessageBox(this, TooFewText(), u"提示"_s, MB_OK | MB_ICONINFORMATION);
        return;
    }
    m_screen = Drill::ScreenText(m_units, Kind(), m_nSeed);
    CDialog::OnOK();
}
