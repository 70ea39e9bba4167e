#include "attempts/LiveReporter.h"

#include "platform/Dao.h"
#include "platform/DaoOffThread.h"
#include "platform/DaoWorkerConnection.h"
#include "users/Session.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

struct CJob
{
    QString strTarget;
    qint64 nUserKey = 0;
    QString strName;
    QString strClass;
    LiveProgress::CReport report;
};

} // namespace

struct CLiveReporter::CShared
{
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<CJob> next; // a newer report replaces one not yet sent
    bool bBusy = false;
    bool bQuit = false;
    bool bEnded = false;
    bool bLeft = false;             // the reporter went without waiting for the thread
    CLiveReporter* owner = nullptr; // null once the reporter went

    void Work();
    void Send(); // the reports, until the reporter goes
};

void CLiveReporter::CShared::Work()
{
    Send();
    // The connection is closed before the end is told: the program may end
    // as soon as it knows.
    std::lock_guard lock(mutex);
    bEnded = true;
    if (bLeft)
        OffThread::CountAbandoned(-1);
    wake.notify_all();
}

void CLiveReporter::CShared::Send()
{
    CDaoWorkerConnection connection;
    // The sitting whose cells the server acknowledged, and how many.
    QString sitting;
    int nSeen = 0;
    while (true) {
        CJob job;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return bQuit || next; });
            // The last report handed over still goes out before the end.
            if (!next)
                return;
            job = std::move(*next);
            next.reset();
            bBusy = true;
        }
        const LiveProgress::CReport& report = job.report;
        if (report.strSittingUid != sitting) {
            sitting = report.strSittingUid;
            nSeen = 0;
        }
        // Cells before the row of the last cell acknowledged no longer
        // change: the server has them.
        const int from = report.nRowCells > 0 ? nSeen / report.nRowCells * report.nRowCells : 0;
        LiveProgress::CAnswer answer;
        try {
            answer = LiveProgress::Report(connection.For(job.strTarget), job.nUserKey, job.strName,
                                          job.strClass, report, from);
            if (answer.nSeenCells >= 0)
                nSeen = answer.nSeenCells;
        } catch (const CDaoException&) {
            connection.Drop();
        }
        std::lock_guard lock(mutex);
        if (answer.bExamStopped && report.nEndReason == 0 && owner)
            QMetaObject::invokeMethod(owner, &CLiveReporter::examStopped, Qt::QueuedConnection);
        bBusy = false;
        wake.notify_all();
    }
}

CLiveReporter::CLiveReporter(const CSession& session, QObject* parent)
    : QObject(parent), m_session(session), m_shared(std::make_shared<CShared>())
{
    m_shared->owner = this;
    m_timer.setInterval(int(LiveProgress::ReportIntervalMs));
    connect(&m_timer, &QTimer::timeout, this, &CLiveReporter::ReportNow);
    std::thread([shared = m_shared] { shared->Work(); }).detach();
}

CLiveReporter::~CLiveReporter()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->bQuit = true;
    m_shared->owner = nullptr;
    m_shared->wake.notify_all();
    if (!m_shared->wake.wait_for(lock, std::chrono::milliseconds(LeaveWaitMs),
                                 [this] { return m_shared->bEnded; })) {
        m_shared->bLeft = true;
        OffThread::CountAbandoned(1);
    }
}

void CLiveReporter::Start(Snapshot snapshot)
{
    m_snapshot = std::move(snapshot);
    m_timer.start();
    ReportNow();
}

void CLiveReporter::Finish(const LiveProgress::CReport& report)
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_snapshot = nullptr;
    Send(report);
}

void CLiveReporter::ReportNow()
{
    if (m_snapshot)
        Send(m_snapshot());
}

void CLiveReporter::Send(const LiveProgress::CReport& report)
{
    // Only a pupil's own login is shown to the teacher.
    CDaoDatabase* db = m_session.Database();
    if (!db || !m_session.IsOwnLogin())
        return;
    const CAccount pupil = m_session.Account();
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->next = CJob{db->Target(), pupil.nKey, pupil.strName, pupil.strClass, report};
    }
    m_shared->wake.notify_all();
}

void CLiveReporter::WaitUntilSent()
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->wake.wait(lock, [this] { return !m_shared->next && !m_shared->bBusy; });
}
