#pragma once

// The state behind TopSandbox, shared by the files that serve it:
// TopSandbox.cpp (set-up, serving, the model), GatewayServer.cpp (the gateway
// over HTTP, with its faults), PageHosts.cpp (the login, authorization and
// shop pages) and SandboxControl.cpp (the control interface: faults, the call
// log, the rate limit, the clock, /_sandbox/...).
#include "TopSandbox.h"

#include "AuthPages.h"
#include "Gateway.h"
#include "ShopPages.h"

#include <httplib.h>

#include <QHash>
#include <QList>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace topsandbox {

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

    // GatewayServer.cpp
    void addGatewayRoutes(httplib::Server &server);
    void serveGateway(const httplib::Request &req, httplib::Response &res);
    bool signatureValid(const Params &params) const;

    // PageHosts.cpp
    void addPageRoutes(httplib::Server &server, WebRole role);
    void servePage(WebRole role, const httplib::Request &req, httplib::Response &res);
    void serveShopPage(const httplib::Request &req, httplib::Response &res);
    bool startWebHosts(int port);
    void stopWebHosts();

    // SandboxControl.cpp
    void addAdminRoutes(httplib::Server &server);
    void serveAdmin(const httplib::Request &req, httplib::Response &res);
    std::optional<Fault> takeFault(const QString &method, bool transportAllowed);
    void record(const QString &method, const Params &params, const QByteArray &body, bool sigOk, int code,
                const QString &subCode, const QString &fault);
    QByteArray callsJson() const;
};

// The first value of a parameter ("" when it was not sent).
inline QString firstValue(const Params &params, const QString &name)
{
    for (const auto &p : params)
        if (p.first == name)
            return p.second;
    return QString();
}

} // namespace topsandbox
