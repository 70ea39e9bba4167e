#include "reports/ProgressChart.h"

#include "attempts/Metrics.h"
#include "platform/Platform.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

CProgressChart::CProgressChart(QWidget* parent)
    : QChartView(parent), m_pSpeed(new QLineSeries), m_pAccuracy(new QLineSeries),
      m_pKeys(new QLineSeries)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->addSeries(m_pSpeed);
    chart->addSeries(m_pAccuracy);
    chart->addSeries(m_pKeys);
    m_pAccuracy->setName(u"正确率(%)"_s);
    m_pKeys->setName(u"击键(次/秒)"_s);
    // A single practice is a point, not yet a line.
    m_pSpeed->setPointsVisible(true);
    m_pAccuracy->setPointsVisible(true);
    m_pKeys->setPointsVisible(true);

    auto* time = new QDateTimeAxis;
    time->setFormat(u"MM-dd"_s);
    time->setTickCount(5);
    auto* speed = new QValueAxis;
    speed->setLabelFormat(u"%.0f"_s);
    auto* accuracy = new QValueAxis;
    accuracy->setRange(0, 100);
    accuracy->setLabelFormat(u"%.0f"_s);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(speed, Qt::AlignLeft);
    chart->addAxis(accuracy, Qt::AlignRight);
    auto* keys = new QValueAxis;
    keys->setLabelFormat(u"%.0f"_s);
    chart->addAxis(keys, Qt::AlignRight);
    m_pKeysAxis = keys;
    m_pSpeed->attachAxis(time);
    m_pSpeed->attachAxis(speed);
    m_pAccuracy->attachAxis(time);
    m_pAccuracy->attachAxis(accuracy);
    m_pKeys->attachAxis(time);
    m_pKeys->attachAxis(keys);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
}

void CProgressChart::SetAttempts(const QList<CAttemptSummary>& attempts, int kind)
{
    QList<QPointF> speeds;
    QList<QPointF> accuracies;
    QList<QPointF> keys;
    double mostKeys = 0;
    // The speeds in one unit, the newest attempt's: lessons that count keys
    // and lessons that count characters are not drawn on one scale.
    const QStringList units = SpeedUnits(attempts, kind);
    const QString unit = units.isEmpty() ? Metrics::SpeedUnit(kind) : units.constFirst();
    for (auto it = attempts.crbegin(); it != attempts.crend(); ++it) {
        if (it->nKind != kind)
            continue;
        const double when = double(it->startedAt.toMSecsSinceEpoch());
        if (it->SpeedUnit() == unit)
            speeds.append({when, it->Speed()});
        accuracies.append({when, double(it->Accuracy())});
        // Only where the key presses are known; an unknown one is no 0.
        if (it->HasKeyPresses()) {
            keys.append({when, it->KeysPerSecond()});
            mostKeys = std::max(mostKeys, keys.constLast().y());
        }
    }
    m_pSpeed->replace(speeds);
    m_pAccuracy->replace(accuracies);
    m_pKeys->replace(keys);
    m_pKeysAxis->setRange(0, std::max(5.0, std::ceil(mostKeys)));
    m_pSpeed->setName(u"速度(%1)"_s.arg(unit));

    // The time axis spans the points (a day around a single one); the speed
    // axis starts at 0 and ends at a round number above the best.
    auto* time = static_cast<QDateTimeAxis*>(chart()->axes(Qt::Horizontal).constFirst());
    auto* speed = static_cast<QValueAxis*>(chart()->axes(Qt::Vertical).constFirst());
    QDateTime first = Platform().CurrentDateTime().addDays(-1);
    QDateTime last = first.addDays(1);
    double best = 0;
    if (!speeds.isEmpty()) {
        first = QDateTime::fromMSecsSinceEpoch(qint64(speeds.constFirst().x()));
        last = QDateTime::fromMSecsSinceEpoch(qint64(speeds.constLast().x()));
        if (first.secsTo(last) < 3600) {
            first = first.addSecs(-43200);
            last = last.addSecs(43200);
        }
        for (const QPointF& point : std::as_const(speeds))
            best = std::max(best, point.y());
    }
    time->setRange(first, last);
    time->setFormat(first.daysTo(last) < 2 ? u"MM-dd HH:mm"_s : u"MM-dd"_s);
    speed->setRange(0, std::max(10.0, std::ceil(best / 10) * 10));
}

QList<QPointF> CProgressChart::SpeedPoints() const
{
    return m_pSpeed->points();
}

QList<QPointF> CProgressChart::AccuracyPoints() const
{
    return m_pAccuracy->points();
}

QList<QPointF> CProgressChart::KeysPerSecondPoints() const
{
    return m_pKeys->points();
}
