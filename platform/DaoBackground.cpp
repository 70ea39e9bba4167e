#include "platform/DaoBackground.h"

#include "platform/DaoOffThread.h"
#include "platform/DaoWorkerConnection.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace {

struct CJob
{
    QString strTarget;
    std::function<void(CDaoDatabase&)> work;
};

// Shared with the thread, which may outlive the program's own objects.
struct CQueue
{
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<CJob> jobs;
    bool bBusy = false;
    bool bStarted = false;
    bool bLeft = false; // counted as abandoned once
};

std::shared_ptr<CQueue>& Queue()
{
    static auto queue = std::make_shared<CQueue>();
    return queue;
}

void Work(std::shared_ptr<CQueue> queue)
{
    CDaoWorkerConnection connection;
    while (true) {
        CJob job;
        {
            std::unique_lock lock(queue->mutex);
            queue->bBusy = false;
            if (queue->bLeft) {
                queue->bLeft = false;
                OffThread::CountAbandoned(-1);
            }
            queue->wake.notify_all();
            queue->wake.wait(lock, [&queue] { return !queue->jobs.empty(); });
            job = std::move(queue->jobs.front());
            queue->jobs.pop_front();
            queue->bBusy = true;
        }
        try {
            CDaoDatabase& db = connection.For(job.strTarget);
            job.work(db);
            // A file is opened anew for each job: it may have been replaced.
            if (!db.IsPostgres())
                connection.Drop();
        } catch (const CDaoException&) {
            connection.Drop();
        }
    }
}

} // namespace

namespace DaoBackground {

void Post(const QString& target, std::function<void(CDaoDatabase&)> job)
{
    const std::shared_ptr<CQueue> queue = Queue();
    std::lock_guard lock(queue->mutex);
    queue->jobs.push_back({target, std::move(job)});
    if (!queue->bStarted) {
        queue->bStarted = true;
        std::thread(Work, queue).detach();
    }
    queue->wake.notify_all();
}

bool Wait(int milliseconds)
{
    const std::shared_ptr<CQueue> queue = Queue();
    std::unique_lock lock(queue->mutex);
    return queue->wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                [&queue] { return queue->jobs.empty() && !queue->bBusy; });
}

bool Finish(int milliseconds)
{
    const std::shared_ptr<CQueue> queue = Queue();
    std::unique_lock lock(queue->mutex);
    const bool bDone =
        queue->wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&queue] { return queue->jobs.empty() && !queue->bBusy; });
    if (!bDone && !queue->bLeft) {
        queue->bLeft = true;
        OffThread::CountAbandoned(1);
    }
    return bDone;
}

} // namespace DaoBackground
