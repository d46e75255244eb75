#pragma once

// A small HTTP server on 127.0.0.1 for the tests, on a port of its own,
// serving from a thread of its own. It remembers every request it received.

#include <httplib.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <mutex>
#include <thread>

struct SeenRequest
{
    QByteArray method;
    QByteArray target;
    QByteArray body;
    httplib::Headers headers;

    int headerCount(const char *name) const { return int(headers.count(name)); }
    QByteArray header(const char *name) const
    {
        auto it = headers.find(name);
        return it == headers.end() ? QByteArray() : QByteArray::fromStdString(it->second);
    }
};

class LocalHttpServer
{
public:
    LocalHttpServer()
    {
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LocalHttpServer()
    {
        m_server.stop();
        m_thread.join();
    }

    // Handlers that record the request before they answer, so that a client
    // that has its reply also finds its request recorded.
    void Get(const std::string &pattern, httplib::Server::Handler handler)
    {
        m_server.Get(pattern, recording(std::move(handler)));
    }
    void Post(const std::string &pattern, httplib::Server::Handler handler)
    {
        m_server.Post(pattern, recording(std::move(handler)));
    }
    int port() const { return m_port; }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(m_port) + path;
    }
    QList<SeenRequest> seen() const
    {
        std::lock_guard lock(m_mutex);
        return m_seen;
    }

private:
    httplib::Server::Handler recording(httplib::Server::Handler handler)
    {
        return [this, handler = std::move(handler)](const httplib::Request &req, httplib::Response &res) {
            {
                std::lock_guard lock(m_mutex);
                m_seen.append({QByteArray::fromStdString(req.method), QByteArray::fromStdString(req.target),
                               QByteArray::fromStdString(req.body), req.headers});
            }
            handler(req, res);
        };
    }

    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QList<SeenRequest> m_seen;
};

// A port on 127.0.0.1 that nothing listens on.
inline int ClosedLocalPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd); // bound, never listened on: connecting is refused
    return ntohs(addr.sin_port);
}

// A port on 127.0.0.1 that takes connections (the system completes them
// from its backlog) and never answers: a server that hangs.
class MuteLocalPort
{
public:
    MuteLocalPort()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(m_fd, 16);
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
    }
    ~MuteLocalPort() { ::close(m_fd); }
    MuteLocalPort(const MuteLocalPort &) = delete;
    MuteLocalPort &operator=(const MuteLocalPort &) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};
