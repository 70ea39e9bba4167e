#pragma once

#include "platform/DaoWorker.h"
#include "users/Account.h"
#include "users/CurrentUser.h"

#include <QObject>

#include <functional>
#include <memory>

class CDaoDatabase;
struct CDatabaseSteps;

// The program's session, without a window: its database connection (which
// it owns, and the document borrows), the account of the login, and the
// moments the rooms above act on. The teaching layer's commands receive it
// when they are made; the account is CurrentUser, which the login and the
// registration write, and the session tells when it changed.
class CSession : public QObject
{
    Q_OBJECT
public:
    static CSession& Instance();

    // The program's connection, null while there is none.
    CDaoDatabase* Database() const;
    // Opens the connection, which the session owns and the document
    // borrows: the database of the settings, made or upgraded by steps;
    // null, after a message, when it cannot be opened.
    CDaoDatabase* OpenDatabase(const CDatabaseSteps& steps);
    void CloseDatabase();
    // A connection owned elsewhere (a suite's, a bench's), lent in place of
    // the session's own until the next open or close.
    void SetDatabaseSource(std::function<CDaoDatabase*()> source);

    // The account of the login, as it is now.
    CAccount Account() const;
    bool IsTeacher() const { return Account().nKind == UserKind::Super; }
    // The kind 普通用户, with a row of their own or not (IsOwnLogin).
    bool IsPupil() const { return Account().nKind == UserKind::Ordinary; }
    // An ordinary user logged in to (or registered) a row of their own.
    bool IsOwnLogin() const { return IsPupil() && Account().nKey != 0; }

    // The one guard of whatever needs the database: the connection, or,
    // when there is none, nullptr after "数据库未正确连接!操作无法进行!".
    CDaoDatabase* GuardedDatabase() const;
    // A command's action behind that guard.
    std::function<void()> Guarded(std::function<void()> action) const;
    // The same, for whom allowed() holds only, also when the command comes
    // by another way than its disabled menu item.
    std::function<void()> GuardedFor(std::function<bool()> allowed,
                                     std::function<void()> action) const;
    // The session's database worker: work runs there on a connection of
    // its own to the session's database, and its answer comes back on
    // context's thread (CDaoWorker::Ask). Without a connection, failed hears
    // at once that there is none.
    template <class T>
    void Ask(QObject* context, std::function<T(CDaoDatabase& own)> work,
             std::function<void(T value)> done, CDaoWorker::Failed failed,
             CDaoWorker::Deadline deadline = CDaoWorker::Deadline::Timeout) const
    {
        if (const CDaoDatabase* db = Database())
            m_worker.Ask<T>(db->Target(), context, std::move(work), std::move(done),
                            std::move(failed), deadline);
        else if (failed)
            failed(NotConnected());
    }
    void Ask(QObject* context, std::function<void(CDaoDatabase& own)> work,
             std::function<void()> done, CDaoWorker::Failed failed) const;
    // A job nobody waits for; nothing without a connection.
    void Post(std::function<void(CDaoDatabase& own)> job) const;
    CDaoWorker& Worker() const { return m_worker; }

    // By the login and the registration: loggedIn follows from the event
    // loop, once the dialog is gone.
    void LogIn();
    // By the log-off and the exit, while the user's rights still hold.
    void LogOff();
    // By whatever changed CurrentUser's name or kind.
    void UserChanged();

signals:
    void loggedIn();
    void loggingOff();
    void userChanged();

private:
    static CDaoException NotConnected();

    std::unique_ptr<CDaoDatabase> m_pDatabase;
    std::function<CDaoDatabase*()> m_databaseSource;
    mutable CDaoWorker m_worker;
};
