#pragma once

#include "attempts/LiveProgress.h"

#include <QObject>
#include <QTimer>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Reports a running practice, exam or lesson to the live view: at its
// start, every two seconds while it runs, and at its end; nothing while the
// program is idle. The reports go out on a thread of their own with its own
// connection (the same account), newest first: typing never waits for the
// database, and a report that fails is dropped without a word.
class CLiveReporter : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<LiveProgress::CReport()>;

    explicit CLiveReporter(QObject* parent = nullptr);
    ~CLiveReporter() override;

    // Reports snapshot() now and every two seconds until Finish().
    void Start(Snapshot snapshot);
    // The last report, with how it ended; the timer stops.
    void Finish(const LiveProgress::CReport& report);
    bool IsRunning() const { return m_timer.isActive(); }
    // One report of the running snapshot, as the timer makes it.
    void ReportNow();
    // Waits until the reports handed over have been sent (for the suites).
    void WaitUntilSent();

signals:
    // The teacher ended the running exam for everybody.
    void examStopped();

private:
    struct CJob
    {
        QString strTarget;
        qint64 nUserKey = 0;
        QString strName;
        QString strClass;
        LiveProgress::CReport report;
    };
    void Send(const LiveProgress::CReport& report);
    void Work();

    QTimer m_timer;
    Snapshot m_snapshot;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<CJob> m_next; // a newer report replaces one not yet sent
    bool m_bBusy = false;
    bool m_bQuit = false;
    std::thread m_worker;
};
