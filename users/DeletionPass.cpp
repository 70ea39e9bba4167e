#include "users/DeletionPass.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

#include <algorithm>
#include <optional>
#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {
// While a pass runs, the window system's requests to close a window wait:
// the program may not end under a pass that is still deleting.
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

CDeletionPass::CDeletionPass(CDaoDatabase* db, QString table, CDaoCriteria criteria,
                             qint64 nKeyBound, int nRows)
    : m_pDB(db), m_strTable(std::move(table)), m_criteria(std::move(criteria)),
      m_nKeyBound(nKeyBound), m_nRows(nRows)
{
}

int CDeletionPass::BatchRows(int nRows)
{
    return std::clamp((nRows + 99) / 100, 1, 5000);
}

int CDeletionPass::Run(const std::function<void(int)>& step)
{
    if (!m_pDB)
        throw CDaoException(u"the database is not open"_s);
    const QString target = m_pDB->Target();
    QEventLoop loop;
    QObject receiver; // the worker's reports run on this thread through it
    CCloseHolder holder;
    int nDeleted = 0;
    std::optional<QString> error;
    std::thread worker([&] {
        try {
            CDaoDatabase own;
            own.Open(target);
            CDaoSelection selection(&own, m_strTable, m_criteria);
            selection.SetKeyBound(m_nKeyBound);
            nDeleted = selection.Delete(BatchRows(m_nRows), [&](int nSoFar) {
                if (step)
                    QMetaObject::invokeMethod(
                        &receiver, [&step, nSoFar] { step(nSoFar); }, Qt::QueuedConnection);
            });
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
    return nDeleted;
}
