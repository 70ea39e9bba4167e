#include "reports/PracticeCalendarDlg.h"

#include "attempts/Metrics.h"
#include "attempts/PracticeKind.h"
#include "attempts/Titles.h"
#include "platform/ListCtrl.h"
#include "platform/Platform.h"
#include "reports/ReportRange.h"
#include "res/DialogIds.h"
#include "users/DialogAsk.h"
#include "users/ReportList.h"
#include "users/Session.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QTextCharFormat>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum PracticeCalendarDlgIds::Id;

enum Range : int { LastWeek = 0, LastMonth, Term, Everything };

const QList<int> Kinds{PracticeKind::Chinese, PracticeKind::English, PracticeKind::Number,
                       PracticeKind::Symbol};

} // namespace

CPracticeCalendarDlg::CPracticeCalendarDlg(const CSession& session, QWidget* parent)
    : CDialog(IDD, parent), m_session(session)
{
}

QColor CPracticeCalendarDlg::Tint(qint64 ms)
{
    if (ms <= 0)
        return {};
    if (ms < 10 * 60000)
        return QColor(0xc8, 0xe6, 0xc9);
    return ms < 30 * 60000 ? QColor(0x81, 0xc7, 0x84) : QColor(0x38, 0x8e, 0x3c);
}

bool CPracticeCalendarDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    QWidget* place = GetDlgItem(IDC_CALENDAR);
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pCalendar = new QCalendarWidget(place);
    m_pCalendar->setFirstDayOfWeek(Qt::Monday);
    m_pCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_pCalendar->setSelectedDate(Platform().CurrentDateTime().date());
    layout->addWidget(m_pCalendar);
    m_comboRange = Item<QComboBox>(IDC_RANGE);
    m_comboRange->setCurrentIndex(Term);
    m_listWeeks = Item<CListCtrl>(IDC_WEEKS);
    QList<ListColumn> columns{{u"周(从周一)"_s, 90}, {u"分钟"_s, 55}, {u"天数"_s, 45}};
    for (int kind : Kinds)
        columns.append({u"%1(%2)"_s.arg(Metrics::KindName(kind), Metrics::SpeedUnit(kind)), 75});
    columns.append({u"键准"_s, 50});
    SetUpReportList(m_listWeeks, columns);
    const qint64 key = m_session.Account().nKey;
    AskForDialog<QList<CPracticeSpan>>(
        this, m_session, [key](CDaoDatabase& own) { return PracticeTime::LoadPupil(own, key, {}); },
        [this](QList<CPracticeSpan> spans) {
            m_spans = std::move(spans);
            Show();
        });
    return true;
}

void CPracticeCalendarDlg::OnCommand(int nID)
{
    if (nID == IDC_RANGE)
        ShowWeeks();
}

void CPracticeCalendarDlg::Show()
{
    const QMap<QDate, qint64> byDay = PracticeTime::ByDay(m_spans);
    for (auto it = byDay.cbegin(); it != byDay.cend(); ++it) {
        QTextCharFormat format;
        format.setBackground(Tint(*it));
        format.setToolTip(u"练习 %1 分钟"_s.arg(PracticeTime::MinutesText(*it)));
        m_pCalendar->setDateTextFormat(it.key(), format);
    }
    const QDate today = Platform().CurrentDateTime().date();
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    qint64 weekMs = 0;
    int weekDays = 0;
    for (auto it = byDay.lowerBound(monday); it != byDay.cend() && it.key() <= today; ++it) {
        weekMs += *it;
        ++weekDays;
    }
    // Titles by the attempts that count for a best (30 s at least).
    QList<CTitleTry> tries;
    for (const CPracticeSpan& span : std::as_const(m_spans)) {
        if (Metrics::CountsForBest(span.nElapsedMs, false))
            tries.append({span.nKind,
                          Metrics::KindSpeed(span.nKind, span.nCorrect, span.nElapsedMs).dValue,
                          span.typing.KeyAccuracy()});
    }
    SetDlgItemText(IDC_SUMMARY,
                   u"本周(周一起)练习了 %1 分钟,%2 天。\n已经连续练习 %3 天。\n"
                   "称号(速度和键准都要达到):\n%4\n%5"_s.arg(PracticeTime::MinutesText(weekMs))
                       .arg(weekDays)
                       .arg(PracticeTime::DaysInARow(byDay, today))
                       .arg(Titles::Text(PracticeKind::Chinese, tries),
                            Titles::Text(PracticeKind::English, tries)));
    ShowWeeks();
}

void CPracticeCalendarDlg::ShowWeeks()
{
    const QDate today = Platform().CurrentDateTime().date();
    CDayRange range;
    switch (m_comboRange->currentIndex()) {
    case LastWeek:
        range = {today.addDays(-6), today};
        break;
    case LastMonth:
        range = {today.addDays(-29), today};
        break;
    case Term:
        range = ReportRange::Of(ReportRange::ThisTerm, today);
        break;
    default:
        break;
    }
    QList<CPracticeSpan> spans;
    for (const CPracticeSpan& span : std::as_const(m_spans))
        if (range.Contains(span.startedAt.date()))
            spans.append(span);
    QList<QStringList> rows;
    for (const PracticeTime::CWeekTrend& week : PracticeTime::Weeks(spans)) {
        QStringList cells{week.monday.toString(u"yyyy-MM-dd"_s),
                          PracticeTime::MinutesText(week.nMs), QString::number(week.nDays)};
        for (int kind : Kinds)
            cells.append(week.speeds.contains(kind)
                             ? QString::number(week.speeds.value(kind), 'f', 1)
                             : QString());
        cells.append(week.typing.KeyAccuracyText());
        rows.append(cells);
    }
    m_listWeeks->DeleteAllItems();
    m_listWeeks->AppendRows(rows);
}
