#pragma once

#include "platform/Dao.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// The one thread of a session's database work: the stores of the results,
// the reads that follow them, the attempt's begin, the log-off's row. The
// jobs run in the order they were given, on a connection of the worker's
// own to each job's target (the same database, as the same account), kept
// from one job to the next: a server logs it in once. A job that fails
// drops the connection, and the next opens it again; a database file is
// opened anew for each job, as it may have been replaced.
//
// Nobody waits for it: an asked job answers on the thread of its context
// object, and a context gone by then hears nothing. An answer that does not
// come within OffThread::TimeoutMs() is given as the failure
// NoAnswerMessage(); a job given up before it began never runs, one given
// up while it runs ends when its server answers, unheard.
class CDaoWorker
{
public:
    CDaoWorker();
    // The thread finishes the jobs it has on its own: it may outlive this.
    ~CDaoWorker();
    CDaoWorker(const CDaoWorker&) = delete;
    CDaoWorker& operator=(const CDaoWorker&) = delete;

    using Failed = std::function<void(const CDaoException& error)>;
    // Whether an asked job is given up after OffThread::TimeoutMs(), or its
    // answer waited for however long it takes (a pass that shows its
    // progress).
    enum class Deadline { Timeout, None };

    // A job nobody waits for; its failure is dropped.
    void Post(const QString& target, std::function<void(CDaoDatabase& own)> job);

    // work runs on the worker; done(value) or failed(error) then runs on
    // context's thread, once.
    template <class T>
    void Ask(const QString& target, QObject* context, std::function<T(CDaoDatabase& own)> work,
             std::function<void(T value)> done, Failed failed,
             Deadline deadline = Deadline::Timeout)
    {
        auto value = std::make_shared<std::optional<T>>();
        AskJob(
            target, context,
            [value, work = std::move(work)](CDaoDatabase& own) { *value = work(own); },
            [value, done = std::move(done)] { done(std::move(**value)); }, std::move(failed),
            deadline);
    }
    void Ask(const QString& target, QObject* context, std::function<void(CDaoDatabase& own)> work,
             std::function<void()> done, Failed failed)
    {
        AskJob(target, context, std::move(work), std::move(done), std::move(failed),
               Deadline::Timeout);
    }

    // A function a job may call on the worker: step(value) then runs on
    // context's thread, while context lives.
    static std::function<void(int)> Reporter(QObject* context, std::function<void(int)> step);

    // Waits at most milliseconds for the jobs given so far; true when all
    // are done. Only for the program's end and for tests.
    bool Wait(int milliseconds);
    // As Wait; a job still running then waits for a server that does not
    // answer: it is left to the end of the program (OffThread::Abandoned
    // counts it).
    bool Finish(int milliseconds);

private:
    struct CQueue;
    void AskJob(const QString& target, QObject* context, std::function<void(CDaoDatabase&)> work,
                std::function<void()> done, Failed failed, Deadline deadline);

    std::shared_ptr<CQueue> m_queue;
};
