#include "users/Session.h"

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
    return m_databaseSource ? m_databaseSource() : nullptr;
}

void CSession::SetDatabaseSource(std::function<CDaoDatabase*()> source)
{
    m_databaseSource = std::move(source);
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
