#include "platform/DaoOffThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

std::atomic<int> g_nTimeoutMs{15000};
std::atomic<int> g_nAbandoned{0};

// While the work runs, the window system's requests to close a window wait:
// the program may not end under it.
class CCloseHolder : public QObject
{
public:
    CCloseHolder() { QCoreApplication::instance()->installEventFilter(this); }
    ~CCloseHolder() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void RunOffThread(const QString& target, const std::function<void(CDaoDatabase&)>& work,
                  const std::function<void(int)>& step, std::function<void(int)>* report)
{
    QEventLoop loop;
    QObject receiver; // the worker's reports run on this thread through it
    CCloseHolder holder;
    std::optional<QString> error;
    if (report) {
        *report = [&receiver, &step](int value) {
            if (step)
                QMetaObject::invokeMethod(
                    &receiver, [&step, value] { step(value); }, Qt::QueuedConnection);
        };
    }
    std::thread worker([&] {
        try {
            CDaoDatabase own;
            own.Open(target);
            work(own);
        } catch (const CDaoException& e) {
            error = e.GetErrorMessage();
        }
        QMetaObject::invokeMethod(
            &receiver, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (error)
        throw CDaoException(*error);
}

namespace OffThread {

QString NoAnswerMessage()
{
    return u"数据库服务器没有回应(超过 %1 秒)。"_s.arg((TimeoutMs() + 999) / 1000);
}

int TimeoutMs()
{
    return g_nTimeoutMs;
}

void SetTimeoutMs(int milliseconds)
{
    g_nTimeoutMs = milliseconds;
}

int Abandoned()
{
    return g_nAbandoned;
}

void CountAbandoned(int delta)
{
    g_nAbandoned += delta;
}

void RunFor(const QString& target, std::function<void(CDaoDatabase&)> work)
{
    // What the worker and the caller share: the worker may outlive the call.
    struct CShared
    {
        std::mutex mutex;
        bool bDone = false;
        bool bAbandoned = false;
        std::optional<CDaoException> error;
    };
    auto shared = std::make_shared<CShared>();
    std::thread([shared, target, work = std::move(work)] {
        std::optional<CDaoException> error;
        try {
            CDaoDatabase own;
            own.Open(target);
            work(own);
        } catch (const CDaoException& e) {
            error = e;
        }
        std::lock_guard lock(shared->mutex);
        shared->error = std::move(error);
        shared->bDone = true;
        if (shared->bAbandoned)
            --g_nAbandoned;
    }).detach();

    // The caller's thread looks in every few milliseconds: nothing crosses
    // to it from a worker that may be left behind.
    const auto done = [&shared] {
        std::lock_guard lock(shared->mutex);
        return shared->bDone;
    };
    QEventLoop loop;
    CCloseHolder holder;
    QDeadlineTimer deadline(TimeoutMs());
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    if (!done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    std::lock_guard lock(shared->mutex);
    if (!shared->bDone) {
        shared->bAbandoned = true;
        ++g_nAbandoned;
        throw CDaoException(NoAnswerMessage());
    }
    if (shared->error)
        throw *shared->error;
}

} // namespace OffThread
