#include "users/OffThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <optional>
#include <thread>

namespace {

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
