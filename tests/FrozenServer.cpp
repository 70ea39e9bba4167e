#include "tests/FrozenServer.h"

#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace {

int Connect(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

CFrozenServer::CFrozenServer(const QString& address)
{
    m_nUpstreamPort = QUrl(address).port(5432);
    m_nListen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof local;
    ::bind(m_nListen, reinterpret_cast<sockaddr*>(&local), sizeof local);
    ::listen(m_nListen, 64);
    ::getsockname(m_nListen, reinterpret_cast<sockaddr*>(&local), &length);
    m_nPort = ntohs(local.sin_port);
    m_thread = std::thread([this] { Relay(); });
}

CFrozenServer::~CFrozenServer()
{
    m_bQuit = true;
    m_thread.join();
    ::close(m_nListen);
}

QString CFrozenServer::Relayed(const QString& address) const
{
    QUrl url(address);
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_nPort);
    return url.toString();
}

void CFrozenServer::Relay()
{
    struct Pair
    {
        int client;
        int server;
    };
    std::vector<Pair> pairs;
    while (!m_bQuit) {
        std::vector<pollfd> fds{{m_nListen, POLLIN, 0}};
        if (!m_bFrozen) {
            for (const Pair& pair : pairs) {
                fds.push_back({pair.client, POLLIN, 0});
                fds.push_back({pair.server, POLLIN, 0});
            }
        }
        if (::poll(fds.data(), fds.size(), 20) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(m_nListen, nullptr, nullptr);
            const int server = Connect(m_nUpstreamPort);
            if (server < 0)
                ::close(client);
            else
                pairs.push_back({client, server});
        }
        std::vector<bool> closed(pairs.size(), false);
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const Pair& pair = pairs[(i - 1) / 2];
            const int from = fds[i].fd;
            const int to = from == pair.client ? pair.server : pair.client;
            char buffer[65536];
            const ssize_t n = ::read(from, buffer, sizeof buffer);
            if (n <= 0 || ::send(to, buffer, size_t(n), MSG_NOSIGNAL) != n)
                closed[(i - 1) / 2] = true;
        }
        for (size_t i = pairs.size(); i-- > 0;) {
            if (!closed[i])
                continue;
            ::close(pairs[i].client);
            ::close(pairs[i].server);
            pairs.erase(pairs.begin() + qsizetype(i));
        }
    }
    for (const Pair& pair : pairs) {
        ::close(pair.client);
        ::close(pair.server);
    }
}
