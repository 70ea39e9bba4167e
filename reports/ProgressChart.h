#pragma once

#include "attempts/Progress.h"

#include <QChartView>
#include <QList>
#include <QPointF>

class QLineSeries;
class QValueAxis;

// Speed, accuracy and 击键 of one kind over time: the speed in the kind's
// unit on the left axis, the accuracy in percent and the key presses a
// second on the right, oldest first.
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
    QList<QPointF> KeysPerSecondPoints() const; // the attempts whose presses are known

private:
    QLineSeries* m_pSpeed;
    QLineSeries* m_pAccuracy;
    QLineSeries* m_pKeys;
    QValueAxis* m_pKeysAxis = nullptr;
};
