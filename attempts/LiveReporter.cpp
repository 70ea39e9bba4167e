#include "attempts/LiveReporter.h"

#include "platform/Dao.h"
#include "users/CurrentUser.h"
#include "users/Database.h"

#include <memory>

CLiveReporter::CLiveReporter(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(int(LiveProgress::ReportIntervalMs));
    connect(&m_timer, &QTimer::timeout, this, &CLiveReporter::ReportNow);
    m_worker = std::thread([this] { Work(); });
}

CLiveReporter::~CLiveReporter()
{
    {
        std::lock_guard lock(m_mutex);
        m_bQuit = true;
    }
    m_wake.notify_all();
    m_worker.join();
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
    CDaoDatabase* db = ActiveDatabase();
    if (!db || !CurrentUser.IsOrdinaryLogin())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_next =
            CJob{db->Target(), CurrentUser.RowKey, CurrentUser.Name, CurrentUser.Class, report};
    }
    m_wake.notify_all();
}

void CLiveReporter::WaitUntilSent()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return !m_next && !m_bBusy; });
}

void CLiveReporter::Work()
{
    std::unique_ptr<CDaoDatabase> db;
    QString target;
    while (true) {
        CJob job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bQuit || m_next; });
            // The last report handed over still goes out before the end.
            if (!m_next)
                return;
            job = std::move(*m_next);
            m_next.reset();
            m_bBusy = true;
        }
        bool stopped = false;
        try {
            if (!db || target != job.strTarget) {
                db.reset();
                auto opened = std::make_unique<CDaoDatabase>();
                opened->Open(job.strTarget);
                db = std::move(opened);
                target = job.strTarget;
            }
            stopped =
                LiveProgress::Report(*db, job.nUserKey, job.strName, job.strClass, job.report);
        } catch (const CDaoException&) {
            db.reset(); // opened again for the next report
        }
        if (stopped && job.report.nEndReason == 0)
            QMetaObject::invokeMethod(this, &CLiveReporter::examStopped, Qt::QueuedConnection);
        {
            std::lock_guard lock(m_mutex);
            m_bBusy = false;
        }
        m_wake.notify_all();
    }
}
