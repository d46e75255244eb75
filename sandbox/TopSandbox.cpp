#include "TopSandbox.h"

#include "AuthPages.h"
#include "ShopPages.h"
#include "Gateway.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace topsandbox {

// ---------------------------------------------------------------- RecordedCall, Fault

QString RecordedCall::param(const QString &name) const
{
    for (const auto &p : params)
        if (p.first == name)
            return p.second;
    return QString();
}

bool RecordedCall::hasParam(const QString &name) const
{
    for (const auto &p : params)
        if (p.first == name)
            return true;
    return false;
}

Fault Fault::error(int code, const QString &subCode, const QString &subMsg, const QString &msg)
{
    Fault f;
    f.kind = ErrorReply;
    f.code = code;
    f.subCode = subCode;
    f.subMsg = subMsg;
    f.msg = msg;
    return f;
}

Fault Fault::closeConnection()
{
    Fault f;
    f.kind = CloseConnection;
    return f;
}

Fault Fault::truncatedBody()
{
    Fault f;
    f.kind = TruncatedBody;
    return f;
}

Fault Fault::delay(int ms)
{
    Fault f;
    f.kind = Delay;
    f.delayMs = ms;
    return f;
}

Fault Fault::http500()
{
    Fault f;
    f.kind = Http500;
    return f;
}

QString Fault::kindName() const
{
    switch (kind) {
    case ErrorReply:
        return QStringLiteral("error");
    case CloseConnection:
        return QStringLiteral("close");
    case TruncatedBody:
        return QStringLiteral("truncate");
    case Delay:
        return QStringLiteral("delay");
    case Http500:
        return QStringLiteral("http500");
    }
    return QString();
}

bool Fault::parseKind(const QString &kind, Kind *out)
{
    static const QHash<QString, Kind> kinds = {{QStringLiteral("error"), ErrorReply},
                                               {QStringLiteral("close"), CloseConnection},
                                               {QStringLiteral("truncate"), TruncatedBody},
                                               {QStringLiteral("delay"), Delay},
                                               {QStringLiteral("http500"), Http500}};
    const auto it = kinds.constFind(kind);
    if (it == kinds.constEnd())
        return false;
    *out = it.value();
    return true;
}

// ---------------------------------------------------------------- private state

struct TopSandbox::Private
{
    mutable std::mutex mutex; // model, gateway, faults, calls
    ShopModel model;
    Gateway gateway{model};
    AuthPages pages{model, gateway};
    ShopPages shopPages{model};
    QHash<QString, std::deque<Fault>> faults;
    QList<RecordedCall> calls;
    int callLimit = 10000;

    std::unique_ptr<httplib::Server> server;
    std::thread thread;
    int port = -1;
    // The page hosts: API container, open platform container, login (in that order).
    std::vector<std::unique_ptr<httplib::Server>> webServers;
    std::vector<std::thread> webThreads;
    bool distinctHosts = false;

    std::mutex waitMutex; // delayed replies wait on it and wake up on stop()
    std::condition_variable waitCv;
    bool stopping = false;

    std::optional<Fault> takeFault(const QString &method, bool transportAllowed);
    void record(const QString &method, const Params &params, const QByteArray &body, bool sigOk, int code,
                const QString &subCode, const QString &fault);
    void serveGateway(const httplib::Request &req, httplib::Response &res);
    void serveAdmin(const httplib::Request &req, httplib::Response &res);
    void servePage(WebRole role, const httplib::Request &req, httplib::Response &res);
    void addPageRoutes(httplib::Server &server, WebRole role);
    void serveShopPage(const httplib::Request &req, httplib::Response &res);
    bool startWebHosts(int port);
    void stopWebHosts();
    QByteArray callsJson() const;
};

void TopSandbox::Private::servePage(WebRole role, const httplib::Request &req, httplib::Response &res)
{
    WebRequest r;
    r.role = role;
    r.method = QString::fromStdString(req.method);
    r.path = QString::fromStdString(req.path);
    for (const auto &p : req.params) // the query and a urlencoded form body, decoded
        r.params.append({QString::fromStdString(p.first), QString::fromStdString(p.second)});
    for (const QString &c : QString::fromStdString(req.get_header_value("Cookie")).split(QLatin1Char(';'))) {
        const int eq = c.indexOf(QLatin1Char('='));
        if (eq > 0)
            r.cookies.insert(c.left(eq).trimmed(), c.mid(eq + 1).trimmed());
    }
    WebReply reply;
    {
        std::lock_guard lock(mutex);
        reply = pages.handle(r);
    }
    res.status = reply.status;
    for (const auto &c : reply.cookies)
        res.set_header("Set-Cookie", QString(c.first + QLatin1Char('=') + c.second + QStringLiteral("; Path=/")).toStdString());
    if (!reply.location.isEmpty())
        res.set_redirect(reply.location.toStdString());
    else
        res.set_content(reply.html.toStdString(), "text/html;charset=utf-8");
}

void TopSandbox::Private::addPageRoutes(httplib::Server &s, WebRole role)
{
    auto handler = [this, role](const httplib::Request &req, httplib::Response &res) { servePage(role, req, res); };
    for (const char *path : {"/container", "/container/authorize", "/container/phone", "/member/login.jhtml", "/"}) {
        s.Get(path, handler);
        s.Post(path, handler);
    }
    auto shop = [this](const httplib::Request &req, httplib::Response &res) { serveShopPage(req, res); };
    s.Get("/shop/.*", shop);
    s.Post("/shop/.*", shop);
}

void TopSandbox::Private::serveShopPage(const httplib::Request &req, httplib::Response &res)
{
    const std::string &target = req.target;
    const size_t q = target.find('?');
    ShopPages::Reply reply;
    {
        std::lock_guard lock(mutex);
        reply = shopPages.handle(QString::fromStdString(req.path),
                                 q == std::string::npos ? QByteArray() : QByteArray::fromStdString(target.substr(q + 1)),
                                 QByteArray::fromStdString(req.body));
    }
    res.status = reply.status;
    res.set_content(reply.html.toStdString(), "text/html;charset=GBK");
}

// The page hosts on 127.0.0.2, .3 and .4 with the gateway's port, so that each
// host of the program's settings follows from the gateway's address; the shop
// pages of Taobao shops on .5 and of Tmall shops (with the Tmall item pages) on .6.
bool TopSandbox::Private::startWebHosts(int onPort)
{
    const char *addresses[] = {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5", "127.0.0.6"};
    const WebRole roles[] = {WebRole::ApiContainer, WebRole::OpenContainer, WebRole::Login, WebRole::Gateway,
                             WebRole::Gateway};
    for (int i = 0; i < 5; ++i) {
        auto s = std::make_unique<httplib::Server>();
        addPageRoutes(*s, roles[i]);
        s->set_keep_alive_timeout(5);
        if (!s->bind_to_port(addresses[i], onPort)) {
            stopWebHosts();
            return false;
        }
        webServers.push_back(std::move(s));
    }
    for (auto &s : webServers) {
        httplib::Server *raw = s.get();
        webThreads.emplace_back([raw] { raw->listen_after_bind(); });
    }
    return true;
}

void TopSandbox::Private::stopWebHosts()
{
    for (auto &s : webServers)
        s->stop();
    for (auto &t : webThreads)
        if (t.joinable())
            t.join();
    webThreads.clear();
    webServers.clear();
}

std::optional<Fault> TopSandbox::Private::takeFault(const QString &method, bool transportAllowed)
{
    for (const QString &key : {method, QStringLiteral("*")}) {
        auto it = faults.find(key);
        if (it == faults.end() || it->empty())
            continue;
        if (!transportAllowed && it->front().kind != Fault::ErrorReply)
            continue;
        Fault f = it->front();
        it->pop_front();
        return f;
    }
    return std::nullopt;
}

void TopSandbox::Private::record(const QString &method, const Params &params, const QByteArray &body,
                                 bool sigOk, int code, const QString &subCode, const QString &fault)
{
    RecordedCall c;
    c.method = method;
    c.params = params;
    c.body = body;
    c.signatureValid = sigOk;
    c.errorCode = code;
    c.subCode = subCode;
    c.fault = fault;
    c.received = gateway.now();
    calls.append(std::move(c));
    while (calls.size() > callLimit)
        calls.removeFirst();
}

namespace {

QString firstValue(const Params &params, const QString &name)
{
    for (const auto &p : params)
        if (p.first == name)
            return p.second;
    return QString();
}

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
    auto sigOk = [&] {
        const QString key = firstValue(params, QStringLiteral("app_key"));
        const QString sign = firstValue(params, QStringLiteral("sign"));
        return gateway.hasApp(key) && !sign.isEmpty() && gateway.signatureOf(params, key) == sign;
    };
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
        record(method, params, body, sigOk(), fault->kind == Fault::ErrorReply ? fault->code : 0,
               fault->kind == Fault::ErrorReply ? fault->subCode : QString(), fault->kindName());
        lock.unlock();
        if (fault->kind == Fault::ErrorReply) {
            res.set_content(
                Gateway::errorXml(fault->code, fault->msg, fault->subCode, fault->subMsg).toStdString(),
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

QByteArray TopSandbox::Private::callsJson() const
{
    QJsonArray list;
    for (const RecordedCall &c : calls) {
        QJsonObject params;
        for (const auto &p : c.params)
            params.insert(p.first, p.second);
        list.append(QJsonObject{{QStringLiteral("method"), c.method},
                                {QStringLiteral("params"), params},
                                {QStringLiteral("signature_valid"), c.signatureValid},
                                {QStringLiteral("error_code"), c.errorCode},
                                {QStringLiteral("sub_code"), c.subCode},
                                {QStringLiteral("fault"), c.fault},
                                {QStringLiteral("received"), timeText(c.received)}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

void TopSandbox::Private::serveAdmin(const httplib::Request &req, httplib::Response &res)
{
    if (req.remote_addr != "127.0.0.1") {
        res.status = 403;
        return;
    }
    const std::string &path = req.path;
    Params form = decodeForm(QByteArray::fromStdString(req.body));
    for (const auto &p : req.params)
        form.append({QString::fromStdString(p.first), QString::fromStdString(p.second)});
    auto value = [&form](const char *name) { return firstValue(form, QLatin1String(name)); };
    std::lock_guard lock(mutex);
    if (req.method == "GET" && path == "/_sandbox/state") {
        res.set_content(model.toJson().toStdString(), "application/json");
    } else if (req.method == "GET" && path == "/_sandbox/calls") {
        res.set_content(callsJson().toStdString(), "application/json");
    } else if (path == "/_sandbox/ping") {
        res.set_content("ok", "text/plain");
    } else if (req.method == "POST" && path == "/_sandbox/fault") {
        Fault f;
        const QString method = value("method");
        bool ok =
            !method.isEmpty() &&
            Fault::parseKind(value("kind").isEmpty() ? QStringLiteral("error") : value("kind"), &f.kind);
        const int count = value("count").isEmpty() ? 1 : value("count").toInt();
        if (!value("code").isEmpty())
            f.code = value("code").toInt(&ok);
        f.msg = value("msg");
        f.subCode = value("sub_code");
        f.subMsg = value("sub_msg");
        f.delayMs = value("delay_ms").toInt();
        if (!ok || count < 1) {
            res.status = 400;
            res.set_content("bad fault: method, kind, count, code, msg, sub_code, sub_msg, delay_ms\n",
                            "text/plain");
            return;
        }
        for (int i = 0; i < count; ++i)
            faults[method].push_back(f);
        res.set_content("ok\n", "text/plain");
    } else if (req.method == "POST" && path == "/_sandbox/faults/clear") {
        faults.clear();
        res.set_content("ok\n", "text/plain");
    } else if (req.method == "POST" && path == "/_sandbox/calls/clear") {
        calls.clear();
        res.set_content("ok\n", "text/plain");
    } else if (req.method == "POST" && path == "/_sandbox/rate-limit") {
        gateway.setRateLimit(value("calls").toInt(),
                             value("seconds").isEmpty() ? 1 : value("seconds").toInt());
        res.set_content("ok\n", "text/plain");
    } else {
        res.status = 404;
        res.set_content("unknown sandbox path\n", "text/plain");
    }
}

// ---------------------------------------------------------------- TopSandbox

TopSandbox::TopSandbox() : d(std::make_unique<Private>())
{
    d->gateway.addApp(QLatin1String(builtinAppKey), QLatin1String(builtinAppSecret));
}

TopSandbox::~TopSandbox()
{
    stop();
}

bool TopSandbox::loadFixture(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read ") + path + QStringLiteral(": ") + f.errorString();
        return false;
    }
    return loadFixtureJson(f.readAll(), error);
}

bool TopSandbox::loadFixtureJson(const QByteArray &json, QString *error)
{
    std::lock_guard lock(d->mutex);
    return d->model.loadJson(json, error);
}

void TopSandbox::generate(const GenerateOptions &options)
{
    std::lock_guard lock(d->mutex);
    d->model.generate(options);
}

void TopSandbox::addApp(const QString &key, const QString &secret)
{
    std::lock_guard lock(d->mutex);
    d->gateway.addApp(key, secret);
}

int TopSandbox::start(int port)
{
    stop();
    ::signal(SIGPIPE, SIG_IGN); // a client that hangs up must not end the process
    Private *p = d.get();
    auto makeServer = [p] {
        auto server = std::make_unique<httplib::Server>();
        auto gatewayHandler = [p](const httplib::Request &req, httplib::Response &res) {
            p->serveGateway(req, res);
        };
        auto adminHandler = [p](const httplib::Request &req, httplib::Response &res) { p->serveAdmin(req, res); };
        server->Post("/router/rest", gatewayHandler);
        server->Get("/router/rest", gatewayHandler);
        server->Get("/_sandbox/.*", adminHandler);
        server->Post("/_sandbox/.*", adminHandler);
        // A POST without a body (curl -X POST) carries no Content-Length; left to
        // the routing, it would be read up to the read time-out and refused with
        // 400. The admin paths take it as an empty form.
        server->set_pre_routing_handler([p](const httplib::Request &req, httplib::Response &res) {
            if (req.method == "POST" && req.path.rfind("/_sandbox/", 0) == 0 &&
                !req.has_header("Content-Length") && !req.has_header("Transfer-Encoding")) {
                p->serveAdmin(req, res);
                return httplib::Server::HandlerResponse::Handled;
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        p->addPageRoutes(*server, WebRole::Gateway);
        server->set_keep_alive_timeout(5);
        server->set_tcp_nodelay(true);
        return server;
    };
    std::unique_ptr<httplib::Server> server;
    int bound = -1;
    // A free port on 127.0.0.1 may be taken on one of the page hosts' addresses:
    // then another port is tried.
    for (int attempt = 0; attempt < 5; ++attempt) {
        server = makeServer();
        bound = -1;
        if (port == 0)
            bound = server->bind_to_any_port("127.0.0.1");
        else if (server->bind_to_port("127.0.0.1", port))
            bound = port;
        if (bound <= 0)
            return -1;
        d->distinctHosts = d->startWebHosts(bound);
        if (d->distinctHosts || port != 0)
            break;
    }
    // Without the page hosts every page is served on the gateway's own host.
    const QString self = QStringLiteral("http://127.0.0.1:") + QString::number(bound);
    auto hostBase = [&](int i) {
        return d->distinctHosts ? QStringLiteral("http://127.0.0.%1:%2").arg(i).arg(bound) : self;
    };
    {
        std::lock_guard lock(d->mutex);
        d->pages.setBases({hostBase(2), hostBase(3), hostBase(4)});
        d->shopPages.setBases({self + QStringLiteral("/item.htm"), hostBase(6) + QStringLiteral("/item.htm"),
                               hostBase(5), hostBase(6)});
    }
    {
        std::lock_guard w(d->waitMutex);
        d->stopping = false;
    }
    d->server = std::move(server);
    d->port = bound;
    httplib::Server *s = d->server.get();
    d->thread = std::thread([s] { s->listen_after_bind(); });
    return bound;
}

void TopSandbox::stop()
{
    if (!d->server)
        return;
    {
        std::lock_guard w(d->waitMutex);
        d->stopping = true;
    }
    d->waitCv.notify_all();
    d->server->stop();
    if (d->thread.joinable())
        d->thread.join();
    d->server.reset();
    d->stopWebHosts();
    d->port = -1;
}

bool TopSandbox::isRunning() const
{
    return d->server != nullptr;
}

int TopSandbox::port() const
{
    return d->port;
}

QString TopSandbox::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(d->port);
}

QString TopSandbox::gatewayUrl() const
{
    return baseUrl() + QStringLiteral("/router/rest");
}

bool TopSandbox::hasDistinctPageHosts() const
{
    return d->distinctHosts;
}

QString TopSandbox::containerUrl() const
{
    std::lock_guard lock(d->mutex);
    return d->pages.bases().apiContainer + QStringLiteral("/container");
}

QString TopSandbox::openContainerUrl() const
{
    std::lock_guard lock(d->mutex);
    return d->pages.bases().openContainer + QStringLiteral("/container");
}

QString TopSandbox::shopUrl(const QString &nick) const
{
    std::lock_guard lock(d->mutex);
    const Shop *shop = d->model.shopByNick(nick);
    const ShopPageBases &b = d->shopPages.bases();
    return (shop && shop->tmall ? b.tmallShops : b.taobaoShops) + QStringLiteral("/shop/") + nick;
}

QString TopSandbox::tmallItemPageUrl() const
{
    std::lock_guard lock(d->mutex);
    return d->shopPages.bases().tmallItemPage;
}

QString TopSandbox::loginPageUrl() const
{
    std::lock_guard lock(d->mutex);
    return d->pages.bases().login + QStringLiteral("/member/login.jhtml");
}

QString TopSandbox::openPlatformUrl() const
{
    std::lock_guard lock(d->mutex);
    return d->pages.bases().openContainer + QStringLiteral("/");
}

void TopSandbox::setAppManagesShops(const QString &appKey, bool manages)
{
    std::lock_guard lock(d->mutex);
    d->pages.setAppManagesShops(appKey, manages);
}

QString TopSandbox::lastIssuedSession() const
{
    std::lock_guard lock(d->mutex);
    return d->pages.lastIssuedSession();
}

bool TopSandbox::sessionMayChangePrices(const QString &session) const
{
    std::lock_guard lock(d->mutex);
    const Shop *s = d->model.shopBySession(session);
    return s && s->mayChangePrices(session);
}

void TopSandbox::setClock(std::function<QDateTime()> clock)
{
    std::lock_guard lock(d->mutex);
    d->gateway.setClock(std::move(clock));
}

void TopSandbox::setRateLimit(int calls, int seconds)
{
    std::lock_guard lock(d->mutex);
    d->gateway.setRateLimit(calls, seconds);
}

void TopSandbox::injectFault(const QString &method, const Fault &fault, int count)
{
    std::lock_guard lock(d->mutex);
    for (int i = 0; i < count; ++i)
        d->faults[method].push_back(fault);
}

bool TopSandbox::injectFaultText(const QString &text, QString *error)
{
    Fault f;
    QString method;
    int count = 1;
    bool ok = true;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        const QString key = part.left(eq).trimmed(), v = eq < 0 ? QString() : part.mid(eq + 1).trimmed();
        if (key == QStringLiteral("method"))
            method = v;
        else if (key == QStringLiteral("kind"))
            ok = ok && Fault::parseKind(v, &f.kind);
        else if (key == QStringLiteral("count"))
            count = v.toInt(&ok);
        else if (key == QStringLiteral("code"))
            f.code = v.toInt(&ok);
        else if (key == QStringLiteral("msg"))
            f.msg = v;
        else if (key == QStringLiteral("sub_code"))
            f.subCode = v;
        else if (key == QStringLiteral("sub_msg"))
            f.subMsg = v;
        else if (key == QStringLiteral("delay_ms"))
            f.delayMs = v.toInt(&ok);
        else
            ok = false;
        if (!ok)
            break;
    }
    if (!ok || method.isEmpty() || count < 1) {
        if (error)
            *error = QStringLiteral("bad fault \"") + text +
                     QStringLiteral("\": method=M,kind=error|close|truncate|delay|http500,count=N,code=C,"
                                    "msg=..,sub_code=..,sub_msg=..,delay_ms=MS");
        return false;
    }
    injectFault(method, f, count);
    return true;
}

void TopSandbox::clearFaults()
{
    std::lock_guard lock(d->mutex);
    d->faults.clear();
}

int TopSandbox::pendingFaults(const QString &method) const
{
    std::lock_guard lock(d->mutex);
    const auto it = d->faults.constFind(method);
    return it == d->faults.constEnd() ? 0 : int(it->size());
}

QString TopSandbox::sessionFor(const QString &nick) const
{
    std::lock_guard lock(d->mutex);
    const Shop *s = d->model.shopByNick(nick);
    return s ? s->session : QString();
}

void TopSandbox::setSession(const QString &nick, const QString &session)
{
    std::lock_guard lock(d->mutex);
    if (Shop *s = d->model.shopByNick(nick))
        s->session = session;
}

void TopSandbox::setPriceAuthorized(const QString &nick, bool authorized)
{
    std::lock_guard lock(d->mutex);
    if (Shop *s = d->model.shopByNick(nick))
        s->priceAuthorized = authorized;
}

QString TopSandbox::passwordFor(const QString &nick) const
{
    std::lock_guard lock(d->mutex);
    const Shop *s = d->model.shopByNick(nick);
    return s ? s->password : QString();
}

QStringList TopSandbox::nicks() const
{
    std::lock_guard lock(d->mutex);
    QStringList n;
    for (const Shop &s : d->model.shops())
        n.append(s.nick);
    return n;
}

std::optional<Item> TopSandbox::item(qint64 numIid) const
{
    std::lock_guard lock(d->mutex);
    const Item *it = d->model.item(numIid);
    return it ? std::optional<Item>(*it) : std::nullopt;
}

QList<qint64> TopSandbox::itemIds(const QString &nick) const
{
    std::lock_guard lock(d->mutex);
    QList<qint64> ids;
    if (const Shop *s = d->model.shopByNick(nick))
        for (const Item &it : s->items)
            ids.append(it.numIid);
    return ids;
}

int TopSandbox::itemQuantity(qint64 numIid) const
{
    const auto it = item(numIid);
    return it ? it->num : -1;
}

int TopSandbox::skuQuantity(qint64 numIid, qint64 skuId) const
{
    const auto it = item(numIid);
    const Sku *s = it ? it->skuById(skuId) : nullptr;
    return s ? s->quantity : -1;
}

QString TopSandbox::itemPrice(qint64 numIid) const
{
    const auto it = item(numIid);
    return it ? priceText(it->priceCents) : QString();
}

QString TopSandbox::skuPrice(qint64 numIid, qint64 skuId) const
{
    const auto it = item(numIid);
    const Sku *s = it ? it->skuById(skuId) : nullptr;
    return s ? priceText(s->priceCents) : QString();
}

QString TopSandbox::approveStatus(qint64 numIid) const
{
    const auto it = item(numIid);
    return it ? it->approveStatus : QString();
}

bool TopSandbox::setItemQuantity(qint64 numIid, int quantity)
{
    std::lock_guard lock(d->mutex);
    Item *it = d->model.item(numIid);
    if (!it || !it->skus.isEmpty() || quantity < 0)
        return false;
    it->num = quantity;
    return true;
}

bool TopSandbox::setSkuQuantity(qint64 numIid, qint64 skuId, int quantity)
{
    std::lock_guard lock(d->mutex);
    Item *it = d->model.item(numIid);
    Sku *s = it ? it->skuById(skuId) : nullptr;
    if (!s || quantity < 0)
        return false;
    s->quantity = quantity;
    it->recount();
    return true;
}

bool TopSandbox::setItemPrice(qint64 numIid, const QString &price)
{
    std::lock_guard lock(d->mutex);
    Item *it = d->model.item(numIid);
    qint64 cents = 0;
    if (!it || !parsePrice(price, &cents))
        return false;
    it->priceCents = cents;
    return true;
}

bool TopSandbox::setSkuPrice(qint64 numIid, qint64 skuId, const QString &price)
{
    std::lock_guard lock(d->mutex);
    Item *it = d->model.item(numIid);
    Sku *s = it ? it->skuById(skuId) : nullptr;
    qint64 cents = 0;
    if (!s || !parsePrice(price, &cents))
        return false;
    s->priceCents = cents;
    return true;
}

bool TopSandbox::setApproveStatus(qint64 numIid, const QString &status)
{
    std::lock_guard lock(d->mutex);
    Item *it = d->model.item(numIid);
    if (!it || (status != QStringLiteral("onsale") && status != QStringLiteral("instock")))
        return false;
    it->approveStatus = status;
    return true;
}

void TopSandbox::modify(const std::function<void(ShopModel &)> &change)
{
    std::lock_guard lock(d->mutex);
    change(d->model);
}

QByteArray TopSandbox::stateJson() const
{
    std::lock_guard lock(d->mutex);
    return d->model.toJson();
}

QList<RecordedCall> TopSandbox::calls() const
{
    std::lock_guard lock(d->mutex);
    return d->calls;
}

QList<RecordedCall> TopSandbox::calls(const QString &method) const
{
    std::lock_guard lock(d->mutex);
    QList<RecordedCall> out;
    for (const RecordedCall &c : d->calls)
        if (c.method == method)
            out.append(c);
    return out;
}

int TopSandbox::callCount(const QString &method) const
{
    return method.isEmpty() ? int(calls().size()) : int(calls(method).size());
}

void TopSandbox::setCallLogLimit(int limit)
{
    std::lock_guard lock(d->mutex);
    d->callLimit = std::max(1, limit);
    while (d->calls.size() > d->callLimit)
        d->calls.removeFirst();
}

void TopSandbox::clearCalls()
{
    std::lock_guard lock(d->mutex);
    d->calls.clear();
}

QByteArray TopSandbox::handleForm(const QByteArray &formBody)
{
    bool utf8Ok = true;
    const Params params = decodeForm(formBody, &utf8Ok);
    const QString method = firstValue(params, QStringLiteral("method"));
    std::lock_guard lock(d->mutex);
    if (const std::optional<Fault> f = d->takeFault(method, false)) {
        const QString key = firstValue(params, QStringLiteral("app_key"));
        const QString sign = firstValue(params, QStringLiteral("sign"));
        d->record(method, params, formBody,
                  d->gateway.hasApp(key) && !sign.isEmpty() && d->gateway.signatureOf(params, key) == sign,
                  f->code, f->subCode, f->kindName());
        return Gateway::errorXml(f->code, f->msg, f->subCode, f->subMsg);
    }
    GatewayReply reply = d->gateway.handle(params, utf8Ok);
    d->record(method, params, formBody, reply.signatureValid, reply.errorCode, reply.subCode, QString());
    return reply.xml;
}

QByteArray TopSandbox::signedForm(const QString &method, Params params, const QString &appKey,
                                  const QString &secret) const
{
    QDateTime now;
    {
        std::lock_guard lock(d->mutex);
        now = d->gateway.now();
    }
    params.append({QStringLiteral("method"), method});
    params.append({QStringLiteral("app_key"), appKey});
    params.append({QStringLiteral("timestamp"), timeText(now)});
    params.append({QStringLiteral("format"), QStringLiteral("xml")});
    params.append({QStringLiteral("v"), QStringLiteral("2.0")});
    params.append({QStringLiteral("sign_method"), QStringLiteral("md5")});
    params.append({QStringLiteral("sign"), topSignature(params, secret)});
    return encodeForm(params);
}

} // namespace topsandbox
