#include "platform/DaoWorker.h"

#include "platform/DaoOffThread.h"
#include "platform/DaoWorkerConnection.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Where an asked job is; the worker and the windows' thread move it on.
enum State { Waiting, Running, Done, GivenUp, LeftRunning };

// What an asked job shares between the worker and the windows' thread.
// Only the windows' thread reads the context and the callbacks.
struct CAsk
{
    std::atomic<int> state{Waiting};
    QPointer<QObject> context;
    bool bAnswered = false;
    std::function<void()> done;
    CDaoWorker::Failed failed;

    // On the windows' thread: the first answer is heard, once.
    void Answer(const std::optional<CDaoException>& failure)
    {
        if (bAnswered || !context)
            return;
        bAnswered = true;
        if (!failure)
            done();
        else if (failed)
            failed(*failure);
    }
};

struct CJob
{
    QString strTarget;
    std::function<void(CDaoDatabase&)> work;
    std::shared_ptr<CAsk> ask; // none for a posted job
};

} // namespace

// Shared with the thread, which may outlive the worker.
struct CDaoWorker::CQueue : std::enable_shared_from_this<CQueue>
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<CJob> jobs;
    bool bBusy = false;
    bool bStarted = false;
    bool bClosed = false;
    bool bLeft = false; // counted as abandoned once

    void Run(CJob& job, CDaoWorkerConnection& connection)
    {
        if (job.ask) {
            int waiting = Waiting;
            if (!job.ask->state.compare_exchange_strong(waiting, Running))
                return; // given up before it began
        }
        std::optional<CDaoException> error;
        try {
            CDaoDatabase& db = connection.For(job.strTarget);
            job.work(db);
            if (!db.IsPostgres())
                connection.Drop();
        } catch (const CDaoException& e) {
            connection.Drop();
            error = e;
        }
        if (!job.ask)
            return;
        int running = Running;
        if (!job.ask->state.compare_exchange_strong(running, Done)) {
            OffThread::CountAbandoned(-1); // given up while it ran
            return;
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(),
                                  [ask = job.ask, error] { ask->Answer(error); });
    }

    void Work(CDaoWorkerConnection& connection)
    {
        while (true) {
            CJob job;
            {
                std::unique_lock lock(mutex);
                bBusy = false;
                if (bLeft) {
                    bLeft = false;
                    OffThread::CountAbandoned(-1);
                }
                wake.notify_all();
                wake.wait(lock, [this] { return !jobs.empty() || bClosed; });
                if (jobs.empty())
                    return;
                job = std::move(jobs.front());
                jobs.pop_front();
                bBusy = true;
            }
            Run(job, connection);
        }
    }

    void Add(CJob job)
    {
        std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
        if (!bStarted) {
            bStarted = true;
            std::thread([queue = shared_from_this()] {
                CDaoWorkerConnection connection;
                queue->Work(connection);
            }).detach();
        }
        wake.notify_all();
    }

    bool Idle(int milliseconds)
    {
        std::unique_lock lock(mutex);
        return wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [this] { return jobs.empty() && !bBusy; });
    }
};

CDaoWorker::CDaoWorker() : m_queue(std::make_shared<CQueue>()) {}

CDaoWorker::~CDaoWorker()
{
    std::lock_guard lock(m_queue->mutex);
    m_queue->bClosed = true;
    m_queue->wake.notify_all();
}

void CDaoWorker::Post(const QString& target, std::function<void(CDaoDatabase&)> job)
{
    m_queue->Add({target, std::move(job), nullptr});
}

void CDaoWorker::AskJob(const QString& target, QObject* context,
                        std::function<void(CDaoDatabase&)> work, std::function<void()> done,
                        Failed failed, Deadline deadline)
{
    auto ask = std::make_shared<CAsk>();
    ask->context = context;
    ask->done = std::move(done);
    ask->failed = std::move(failed);
    if (deadline == Deadline::Timeout)
        QTimer::singleShot(OffThread::TimeoutMs(), context, [ask] {
            int state = Waiting;
            if (!ask->state.compare_exchange_strong(state, GivenUp)) {
                if (state != Running || !ask->state.compare_exchange_strong(state, LeftRunning))
                    return; // done: its answer is on its way
                OffThread::CountAbandoned(1);
            }
            ask->Answer(CDaoException(OffThread::NoAnswerMessage()));
        });
    m_queue->Add({target, std::move(work), std::move(ask)});
}

std::function<void(int)> CDaoWorker::Reporter(QObject* context, std::function<void(int)> step)
{
    return [context = QPointer<QObject>(context), step = std::move(step)](int value) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [context, step, value] {
            if (context && step)
                step(value);
        });
    };
}

bool CDaoWorker::Wait(int milliseconds)
{
    return m_queue->Idle(milliseconds);
}

bool CDaoWorker::Finish(int milliseconds)
{
    const bool bDone = m_queue->Idle(milliseconds);
    std::lock_guard lock(m_queue->mutex);
    if (!bDone && !m_queue->bLeft) {
        m_queue->bLeft = true;
        OffThread::CountAbandoned(1);
    }
    return bDone;
}
