// The gateway over HTTP: /router/rest on the loopback port, with the injected
// faults that stand for a platform or a network in trouble.
#include "TopSandboxPrivate.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace topsandbox {

namespace {

// Closes the TCP connection of a request at once: the client gets no reply at
// all. The server does not hand out sockets, so the connection is found by its
// two ports among the process's descriptors.
void dropConnection(const httplib::Request &req)
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return;
    while (dirent *e = readdir(dir)) {
        const int fd = atoi(e->d_name);
        if (fd <= 2)
            continue;
        sockaddr_in local{}, peer{};
        socklen_t ll = sizeof local, pl = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &ll) != 0 || local.sin_family != AF_INET)
            continue;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &pl) != 0)
            continue;
        if (ntohs(local.sin_port) == req.local_port && ntohs(peer.sin_port) == req.remote_port) {
            ::shutdown(fd, SHUT_RDWR);
            break;
        }
    }
    closedir(dir);
}

const char xmlType[] = "text/xml;charset=UTF-8";

} // namespace

void TopSandbox::Private::addGatewayRoutes(httplib::Server &s)
{
    auto handler = [this](const httplib::Request &req, httplib::Response &res) { serveGateway(req, res); };
    s.Post("/router/rest", handler);
    s.Get("/router/rest", handler);
}

bool TopSandbox::Private::signatureValid(const Params &params) const
{
    const QString key = firstValue(params, QStringLiteral("app_key"));
    const QString sign = firstValue(params, QStringLiteral("sign"));
    return gateway.hasApp(key) && !sign.isEmpty() && gateway.signatureOf(params, key) == sign;
}

void TopSandbox::Private::serveGateway(const httplib::Request &req, httplib::Response &res)
{
    QByteArray body;
    Params params;
    bool utf8Ok = true;
    if (req.method == "POST") {
        body = QByteArray::fromStdString(req.body);
        params = decodeForm(body, &utf8Ok);
    } else {
        for (const auto &p : req.params)
            params.append({QString::fromStdString(p.first), QString::fromStdString(p.second)});
        body = encodeForm(params);
    }
    const QString method = firstValue(params, QStringLiteral("method"));

    std::unique_lock lock(mutex);
    const std::optional<Fault> fault = takeFault(method, true);
    if (fault && fault->kind == Fault::Delay) {
        lock.unlock();
        {
            std::unique_lock w(waitMutex);
            waitCv.wait_for(w, std::chrono::milliseconds(fault->delayMs), [this] { return stopping; });
        }
        lock.lock();
    }
    if (fault && (fault->kind == Fault::ErrorReply || fault->kind == Fault::Http500 ||
                  fault->kind == Fault::CloseConnection)) {
        record(method, params, body, signatureValid(params), fault->kind == Fault::ErrorReply ? fault->code : 0,
               fault->kind == Fault::ErrorReply ? fault->subCode : QString(), fault->kindName());
        lock.unlock();
        if (fault->kind == Fault::ErrorReply) {
            res.set_content(
                errorXml(fault->code, fault->msg, fault->subCode, fault->subMsg).toStdString(),
                xmlType);
        } else if (fault->kind == Fault::Http500) {
            res.status = 500;
            res.set_content("500 Internal Server Error", "text/plain");
        } else {
            dropConnection(req);
            res.status = 500;
        }
        return;
    }
    GatewayReply reply = gateway.handle(params, utf8Ok);
    record(method, params, body, reply.signatureValid, reply.errorCode, reply.subCode,
           fault ? fault->kindName() : QString());
    lock.unlock();
    if (fault && fault->kind == Fault::TruncatedBody) {
        auto data = std::make_shared<std::string>(reply.xml.toStdString());
        res.set_content_provider(data->size(), xmlType, [data](size_t, size_t, httplib::DataSink &sink) {
            sink.write(data->data(), data->size() / 2);
            return false; // ends the connection short of the announced length
        });
        return;
    }
    res.set_content(reply.xml.toStdString(), xmlType);
}

QByteArray TopSandbox::handleForm(const QByteArray &formBody)
{
    bool utf8Ok = true;
    const Params params = decodeForm(formBody, &utf8Ok);
    const QString method = firstValue(params, QStringLiteral("method"));
    std::lock_guard lock(d->mutex);
    if (const std::optional<Fault> f = d->takeFault(method, false)) {
        d->record(method, params, formBody, d->signatureValid(params), f->code, f->subCode, f->kindName());
        return errorXml(f->code, f->msg, f->subCode, f->subMsg);
    }
    GatewayReply reply = d->gateway.handle(params, utf8Ok);
    d->record(method, params, formBody, reply.signatureValid, reply.errorCode, reply.subCode, QString());
    return reply.xml;
}

} // namespace topsandbox
