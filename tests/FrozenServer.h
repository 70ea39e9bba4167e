#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <thread>

// A server that stops answering, as one stopped by SIGSTOP does: a TCP
// relay on a loopback port in front of the test cluster that passes the
// bytes both ways until Freeze(), then holds them (connections stay open,
// new ones are accepted and hear nothing) until Thaw(). It runs on a
// thread of its own, so that a test thread that waits shows as a hang.
class CFrozenServer
{
public:
    // In front of the server of address (a postgresql:// URL).
    explicit CFrozenServer(const QString& address);
    ~CFrozenServer();
    CFrozenServer(const CFrozenServer&) = delete;
    CFrozenServer& operator=(const CFrozenServer&) = delete;

    // address with the relay's host and port in place of the server's.
    QString Relayed(const QString& address) const;
    void Freeze() { m_bFrozen = true; }
    void Thaw() { m_bFrozen = false; }

private:
    void Relay();

    int m_nListen = -1;
    int m_nPort = 0;
    int m_nUpstreamPort = 0;
    std::atomic<bool> m_bFrozen{false};
    std::atomic<bool> m_bQuit{false};
    std::thread m_thread;
};
