#include "practice/PracticeClock.h"

#include "attempts/Metrics.h"
#include "platform/MainWindow.h"
#include "platform/Platform.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int SecondsPerDay = 24 * 60 * 60;

enum Pane { MessagePane = 0, SecondsPane = 3, TimePane = 4 };

QString SecondsText(int seconds)
{
    return u"记时:%1秒"_s.arg(seconds);
}

// Minutes and seconds, short enough for the pane of the seconds.
QString RemainingText(int seconds)
{
    return u"剩余:"_s + Metrics::ClockText(seconds);
}

} // namespace

void CPracticeClock::MarkStartTime()
{
    m_nStartMs = Platform().MonotonicMilliseconds();
    const QTime now = Platform().CurrentTime();
    m_nStartHour = now.hour();
    m_nStartMinute = now.minute();
    m_nStartSecond = now.second();
}

void CPracticeClock::StartClock()
{
    m_bClockRunning = 1;
}

void CPracticeClock::StopClock()
{
    m_bClockRunning = 0;
    m_nLimitSeconds = 0;
    m_timeUp = {};
    m_panes.SetPaneText(SecondsPane, SecondsText(0));
    m_panes.SetPaneText(MessagePane, u"已经结束练习!"_s);
}

void CPracticeClock::ShowReadyPrompt()
{
    m_bReadyPrompt = 1;
}

void CPracticeClock::ShowPracticeRunning()
{
    m_bReadyPrompt = 0;
    m_panes.SetPaneText(MessagePane, u"№:现在正处练习中,你可按ESC键中止练习"_s);
}

void CPracticeClock::ResetClock()
{
    ElapsedSeconds = 0;
    m_strNotice.clear();
    m_bReadyPrompt = 0;
    m_panes.SetPaneText(MessagePane, u" "_s);
    m_bClockRunning = 0;
    m_nLimitSeconds = 0;
    m_timeUp = {};
    m_panes.SetPaneText(SecondsPane, SecondsText(0));
}

void CPracticeClock::SetTimeLimit(int seconds, std::function<void()> timeUp)
{
    m_nLimitSeconds = qMax(seconds, 0);
    m_timeUp = std::move(timeUp);
    if (m_nLimitSeconds > 0)
        m_panes.SetPaneText(SecondsPane, RemainingText(m_nLimitSeconds));
}

void CPracticeClock::ShowNotice(const QString& text)
{
    if (text == m_strNotice)
        return;
    m_strNotice = text;
    // Taken away, it simply stops coming back; the next tick or prompt
    // writes the pane.
    if (!text.isEmpty())
        m_panes.SetPaneText(MessagePane, text);
}

void CPracticeClock::Tick(const QTime& now)
{
    const int hour = now.hour();
    const int minute = now.minute();
    const int second = now.second();
    m_panes.SetPaneText(TimePane,
                        u"当前时间:%1:%2:%3"_s.arg(hour, 2).arg(minute, 2).arg(second, 2));
    if (m_bClockRunning) {
        int elapsed =
            ((hour - m_nStartHour) * 60 + minute - m_nStartMinute) * 60 + second - m_nStartSecond;
        // The count is a difference of two times of day: a practice that runs
        // past midnight has started on the day before.
        if (elapsed < 0)
            elapsed += SecondsPerDay;
        ElapsedSeconds = elapsed;
        if (m_nLimitSeconds > 0) {
            // A limit counts on the monotonic clock: setting the machine's
            // clock during an exam changes neither its length nor its end.
            ElapsedSeconds =
                int(qMax<qint64>(Platform().MonotonicMilliseconds() - m_nStartMs, 0) / 1000);
            m_panes.SetPaneText(SecondsPane,
                                RemainingText(qMax(m_nLimitSeconds - ElapsedSeconds, 0)));
            if (ElapsedSeconds >= m_nLimitSeconds) {
                // Once: the practice's end stops the clock.
                const std::function<void()> timeUp = std::move(m_timeUp);
                m_timeUp = {};
                m_nLimitSeconds = 0;
                if (timeUp)
                    timeUp();
                return;
            }
        } else {
            m_panes.SetPaneText(SecondsPane, SecondsText(ElapsedSeconds));
        }
    }
    if (m_bReadyPrompt) {
        const QString off = m_strNotice.isEmpty() ? u"  "_s : m_strNotice;
        m_panes.SetPaneText(MessagePane, m_bBlinkOn ? u"◎☆准备就绪,按空格键开始计时☆◎"_s : off);
        m_bBlinkOn = !m_bBlinkOn;
    }
}
