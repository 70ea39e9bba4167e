#pragma once

#include <QObject>

#include <functional>

class CDaoDatabase;

// The program's session, without a window: where its database connection
// lives, and the moments the rooms above act on. The logged-in user is
// CurrentUser; the session tells when it changed.
class CSession : public QObject
{
    Q_OBJECT
public:
    static CSession& Instance();

    // The document's connection, null while there is none. The document
    // registers where its connection lives; tests may register their own.
    CDaoDatabase* Database() const;
    void SetDatabaseSource(std::function<CDaoDatabase*()> source);

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
    std::function<CDaoDatabase*()> m_databaseSource;
};
