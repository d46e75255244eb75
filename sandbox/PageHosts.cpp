// The login, authorization and shop pages over HTTP (AuthPages.h and
// ShopPages.h answer them): on the gateway's host and on page hosts of their
// own with the gateway's port.
#include "TopSandboxPrivate.h"

namespace topsandbox {

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

} // namespace topsandbox
