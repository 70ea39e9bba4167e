#pragma once

#include "attempts/Progress.h"

#include <QChartView>
#include <QList>
#include <QPointF>

class QLineSeries;

// Speed and accuracy of one kind over time: the speed in the kind's unit on
// the left axis, the accuracy in percent on the right, oldest first.
class CProgressChart : public QChartView
{
    Q_OBJECT
public:
    explicit CProgressChart(QWidget* parent = nullptr);

    // attempts newest first, as LoadAttempts gives them.
    void SetAttempts(const QList<CAttemptSummary>& attempts, int kind);

    // (time in ms since the epoch, value) of each point, oldest first.
    QList<QPointF> SpeedPoints() const;
    QList<QPointF> AccuracyPoints() const;

private:
    QLineSeries* m_pSpeed;
    QLineSeries* m_pAccuracy;
};
