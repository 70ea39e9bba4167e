#pragma once

#include "practice/PracticeState.h"

#include <QString>
#include <QTime>

class IStatusPanes;

// The practice clock: it counts the seconds of a running practice from the
// time of day, shows the time of day and the elapsed seconds in the status
// bar, and blinks the ready prompt while a practice waits for its start key.
// The main frame owns it and drives Tick from its one-second timer.
class CPracticeClock : public IPracticeClock
{
public:
    explicit CPracticeClock(IStatusPanes& panes) : m_panes(panes) {}

    void MarkStartTime() override;
    void StartClock() override;
    void StopClock() override;
    void ShowReadyPrompt() override;
    void ShowPracticeRunning() override;
    void ResetClock() override;
    void ShowNotice(const QString& text) override;
    void SetTimeLimit(int seconds, std::function<void()> timeUp) override;

    // One timer tick at the given time of day.
    void Tick(const QTime& now);

    int m_bReadyPrompt = 0;
    int m_bBlinkOn = 1;
    int m_bClockRunning = 0;
    int m_nStartHour = 0;
    int m_nStartMinute = 0;
    int m_nStartSecond = 0;
    qint64 m_nStartMs = 0; // the monotonic start, for a time limit
    QString m_strNotice;
    int m_nLimitSeconds = 0; // 0: no time limit
    std::function<void()> m_timeUp;

private:
    IStatusPanes& m_panes;
};
