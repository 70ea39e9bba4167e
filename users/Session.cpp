#include "users/Session.h"

#include "platform/Dao.h"
#include "platform/Platform.h"
#include "users/Database.h"

#include <QCoreApplication>
#include <QTimer>

CSession& CSession::Instance()
{
    // The signals are the window's thread's, whichever thread asks first; it
    // lives as long as the process, past every window that connects to it.
    static CSession* session = [] {
        auto* made = new CSession;
        if (QCoreApplication* app = QCoreApplication::instance())
            made->moveToThread(app->thread());
        return made;
    }();
    return *session;
}

CDaoDatabase* CSession::Database() const
{
    return m_databaseSource ? m_databaseSource() : m_pDatabase.get();
}

CDaoDatabase* CSession::OpenDatabase(const CDatabaseSteps& steps)
{
    m_databaseSource = {};
    m_pDatabase.reset(OpenUserDatabase(steps));
    return m_pDatabase.get();
}

void CSession::CloseDatabase()
{
    m_databaseSource = {};
    m_pDatabase.reset();
}

void CSession::SetDatabaseSource(std::function<CDaoDatabase*()> source)
{
    m_databaseSource = std::move(source);
}

CAccount CSession::Account() const
{
    // The login and the registration write the process-wide record.
    CAccount account;
    account.nKey = CurrentUser.RowKey;
    account.strName = CurrentUser.Name;
    account.strClass = CurrentUser.Class;
    account.strStudentNo = CurrentUser.StudentNo;
    account.nKind = CurrentUser.KindCode;
    return account;
}

CDaoDatabase* CSession::GuardedDatabase() const
{
    CDaoDatabase* db = Database();
    if (!db)
        AfxMessageBox(Guard::CommandNotConnected);
    return db;
}

std::function<void()> CSession::Guarded(std::function<void()> action) const
{
    return [this, action = std::move(action)] {
        if (GuardedDatabase())
            action();
    };
}

std::function<void()> CSession::GuardedFor(std::function<bool()> allowed,
                                           std::function<void()> action) const
{
    return [allowed = std::move(allowed), guarded = Guarded(std::move(action))] {
        if (allowed())
            guarded();
    };
}

void CSession::Ask(QObject* context, std::function<void(CDaoDatabase&)> work,
                   std::function<void()> done, CDaoWorker::Failed failed) const
{
    if (const CDaoDatabase* db = Database())
        m_worker.Ask(db->Target(), context, std::move(work), std::move(done), std::move(failed));
    else if (failed)
        failed(NotConnected());
}

void CSession::Post(std::function<void(CDaoDatabase&)> job) const
{
    if (const CDaoDatabase* db = Database())
        m_worker.Post(db->Target(), std::move(job));
}

CDaoException CSession::NotConnected()
{
    return CDaoException(QStringLiteral("数据库未正确连接。"));
}

void CSession::LogIn()
{
    // Queued: what the rooms offer after a login opens windows of its own,
    // which must not stack on the login dialog.
    QTimer::singleShot(0, this, [this] { emit loggedIn(); });
}

void CSession::LogOff()
{
    emit loggingOff();
}

void CSession::UserChanged()
{
    emit userChanged();
}
