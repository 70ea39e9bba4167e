#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class CSession;

// Reads what the lab's programs report again whenever they report: woken by
// the reports' notices on PostgreSQL (LISTEN qe_live, a burst taken as one
// read) and by a poll besides, for where notices do not arrive (a file
// database, a connection pooler). One read at a time: what asks meanwhile
// is read once the read is answered.
class CLiveWatch : public QObject
{
    Q_OBJECT
public:
    CLiveWatch(const CSession& session, int pollMs, QObject* parent = nullptr);
    ~CLiveWatch() override;

    // Listens, polls and reads now. read starts a read on the session's
    // worker and calls Answered() once it is answered, well or not.
    void Start(std::function<void()> read);
    void Stop();
    // Asks for a read now.
    void Read();
    void Answered();
    // How often a notice woke the watch (for the suites).
    int Notices() const { return m_nNotices; }

private:
    // LISTEN (or UNLISTEN) on the document's connection: the notices arrive
    // on its socket, which the window's event loop watches; the worker's
    // thread runs no loop that could. It is the one statement the watch
    // sends there, and it waits for nothing.
    void Listen(bool on);

    const CSession& m_session;
    std::function<void()> m_read;
    QTimer m_poll;
    QTimer m_woken; // coalesces a burst of notices into one read
    int m_nNotices = 0;
    bool m_bListening = false;
    bool m_bReading = false;
    bool m_bReadAgain = false;
};
