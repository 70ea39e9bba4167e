#pragma once

#include "attempts/LiveProgress.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class CSession;

// Reports a running practice, exam or lesson to the live view: at its
// start, every two seconds while it runs, and at its end; nothing while the
// program is idle. The reports go out on a thread of their own with its own
// connection (the same account), newest first: typing never waits for the
// database, and a report that fails is dropped without a word. An exam's
// report carries its cells from the start of the row the server last
// acknowledged, so that a report lost on the way loses no cell.
//
// It does not use the session's worker: a report is worth only its newest
// snapshot, so its thread keeps one waiting (the older dropped) where the
// worker would queue each in turn; and a report stuck on a slow server
// must not hold back the store of the result that follows it, nor a store
// the reports of the next practice.
class CLiveReporter : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<LiveProgress::CReport()>;

    // The reports are of the session's login.
    explicit CLiveReporter(const CSession& session, QObject* parent = nullptr);
    // Waits a moment for a report under way; a server that does not answer
    // is not waited for.
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

    // How long the destructor waits for a report under way.
    static constexpr int LeaveWaitMs = 500;

signals:
    // The teacher ended the running exam for everybody.
    void examStopped();

private:
    struct CShared;
    void Send(const LiveProgress::CReport& report);

    const CSession& m_session;
    QTimer m_timer;
    Snapshot m_snapshot;
    std::shared_ptr<CShared> m_shared; // with the thread, which may outlive this
};
