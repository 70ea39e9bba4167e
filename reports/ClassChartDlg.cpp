#include "reports/ClassChartDlg.h"

#include "attempts/Metrics.h"
#include "classroom/ClassNames.h"
#include "platform/Platform.h"
#include "reports/ClassReportModel.h"
#include "reports/ReportRange.h"
#include "res/DialogIds.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

using enum ClassChartDlgIds::Id;

QChartView* PlaceChart(QWidget* place)
{
    auto* layout = new QVBoxLayout(place);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->hide();
    auto* view = new QChartView(chart, place);
    layout->addWidget(view);
    return view;
}

double RoundUp(double value)
{
    return std::max(10.0, std::ceil(value / 10) * 10);
}

} // namespace

CClassChartDlg::CClassChartDlg(CClassReport report, QWidget* parent)
    : CDialog(IDD, parent), m_report(std::move(report))
{
}

bool CClassChartDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_TITLE,
                   u"%1 %2练习,%3,速度单位:%4"_s.arg(
                       ClassDisplayName(m_report.strClass), Metrics::KindName(m_report.nKind),
                       ReportRange::Text(m_report.range), Metrics::SpeedUnit(m_report.nKind)));
    m_pWeekly = PlaceChart(GetDlgItem(IDC_WEEKLY));
    m_pBands = PlaceChart(GetDlgItem(IDC_BANDS));
    MakeWeekly();
    MakeBands();
    return true;
}

void CClassChartDlg::MakeWeekly()
{
    QChart* chart = m_pWeekly->chart();
    auto* series = new QLineSeries;
    series->setPointsVisible(true);
    series->setPointLabelsVisible(true);
    series->setPointLabelsFormat(u"@yPoint"_s);
    series->setPointLabelsClipping(false);
    double highest = 0;
    for (const CWeekAverage& week : WeeklyAverages(m_report)) {
        series->append(double(week.monday.startOfDay().toMSecsSinceEpoch()),
                       std::round(week.dSpeed * 10) / 10);
        highest = std::max(highest, week.dSpeed);
    }
    chart->addSeries(series);
    auto* time = new QDateTimeAxis;
    time->setFormat(u"MM-dd"_s);
    time->setTitleText(u"周(从周一起)"_s);
    auto* speed = new QValueAxis;
    speed->setLabelFormat(u"%.0f"_s);
    speed->setRange(0, RoundUp(highest * 1.1));
    speed->applyNiceNumbers();
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(speed, Qt::AlignLeft);
    series->attachAxis(time);
    series->attachAxis(speed);
    // A week on its own gets a few days each side, so it is not on an edge.
    const QList<QPointF> points = series->points();
    QDateTime first = m_report.range.from.isNull() ? Platform().CurrentDateTime().addDays(-7)
                                                   : m_report.range.from.startOfDay();
    QDateTime last = first.addDays(7);
    if (!points.isEmpty()) {
        first = QDateTime::fromMSecsSinceEpoch(qint64(points.constFirst().x())).addDays(-3);
        last = QDateTime::fromMSecsSinceEpoch(qint64(points.constLast().x())).addDays(3);
    }
    time->setRange(first, last);
    time->setTickCount(std::clamp(int(first.daysTo(last) / 7) + 1, 2, 8));
    if (points.isEmpty())
        chart->setTitle(u"这段时间没有练习"_s);
}

void CClassChartDlg::MakeBands()
{
    QChart* chart = m_pBands->chart();
    auto* set = new QBarSet(u"人数"_s);
    // Each band is named by where it starts; the axis says how wide it is.
    QStringList labels;
    const QList<CSpeedBand> bandList = BestSpeedBands(m_report);
    for (const CSpeedBand& band : bandList) {
        labels.append(QString::number(band.dFrom));
        set->append(band.nPupils);
    }
    const auto idle = std::count_if(m_report.pupils.cbegin(), m_report.pupils.cend(),
                                    [](const CPupilFigures& p) { return !p.HasAttempts(); });
    // Who did not practise has no best speed; the title counts them.
    chart->setTitle(u"没有练习:%1 人"_s.arg(idle));
    set->setLabelColor(Qt::black);
    auto* series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart->addSeries(series);
    auto* bands = new QBarCategoryAxis;
    bands->append(labels);
    bands->setTitleText(bandList.isEmpty()
                            ? u"最快速度"_s
                            : u"最快速度(每段 %1,从所标的数起)"_s.arg(bandList.first().dWidth));
    auto* count = new QValueAxis;
    count->setLabelFormat(u"%.0f"_s);
    double most = 0;
    for (int i = 0; i < set->count(); ++i)
        most = std::max(most, set->at(i));
    count->setRange(0, std::max(5.0, std::ceil(most * 1.2)));
    count->applyNiceNumbers();
    chart->addAxis(bands, Qt::AlignBottom);
    chart->addAxis(count, Qt::AlignLeft);
    series->attachAxis(bands);
    series->attachAxis(count);
}

QList<QPointF> CClassChartDlg::WeekPoints() const
{
    const auto series = m_pWeekly->chart()->series();
    return series.isEmpty() ? QList<QPointF>() : static_cast<QLineSeries*>(series[0])->points();
}

QStringList CClassChartDlg::BandLabels() const
{
    const auto axes = m_pBands->chart()->axes(Qt::Horizontal);
    return axes.isEmpty() ? QStringList() : static_cast<QBarCategoryAxis*>(axes[0])->categories();
}

QList<int> CClassChartDlg::BandCounts() const
{
    QList<int> counts;
    const auto series = m_pBands->chart()->series();
    if (series.isEmpty())
        return counts;
    const QBarSet* set = static_cast<QBarSeries*>(series[0])->barSets().value(0);
    for (int i = 0; set && i < set->count(); ++i)
        counts.append(int(set->at(i)));
    return counts;
}
