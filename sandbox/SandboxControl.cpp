// The control interface of tests and tools: injected faults, the call log,
// the rate limit and the clock, in-process and as /_sandbox/... on the
// gateway's port.
#include "TopSandboxPrivate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

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

void TopSandbox::Private::addAdminRoutes(httplib::Server &s)
{
    auto handler = [this](const httplib::Request &req, httplib::Response &res) { serveAdmin(req, res); };
    s.Get("/_sandbox/.*", handler);
    s.Post("/_sandbox/.*", handler);
    // A POST without a body (curl -X POST) carries no Content-Length; left to
    // the routing, it would be read up to the read time-out and refused with
    // 400. The admin paths take it as an empty form.
    s.set_pre_routing_handler([this](const httplib::Request &req, httplib::Response &res) {
        if (req.method == "POST" && req.path.rfind("/_sandbox/", 0) == 0 &&
            !req.has_header("Content-Length") && !req.has_header("Transfer-Encoding")) {
            serveAdmin(req, res);
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
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

// ---------------------------------------------------------------- in-process control

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

} // namespace topsandbox
