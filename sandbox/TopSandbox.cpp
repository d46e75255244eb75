// The sandbox itself: set-up, serving on the loopback addresses, the shops'
// sessions and the model for assertions. The gateway's HTTP side lives in
// GatewayServer.cpp, the pages in PageHosts.cpp, the control interface in
// SandboxControl.cpp.
#include "TopSandboxPrivate.h"

#include <QFile>

#include <signal.h>

namespace topsandbox {

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
        p->addGatewayRoutes(*server);
        p->addAdminRoutes(*server);
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

bool TopSandbox::sessionMayChangePrices(const QString &session) const
{
    std::lock_guard lock(d->mutex);
    const Shop *s = d->model.shopBySession(session);
    return s && s->mayChangePrices(session);
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
