#include "top/Endpoints.h"

#include "base/TextRoutines.h"

#include <QUrl>

TopEndpoints TopEndpoints::defaults()
{
    return {QStringLiteral("https://eco.taobao.com/router/rest"),
            QStringLiteral("https://container.api.taobao.com/container"),
            QStringLiteral("https://login.taobao.com/member/login.jhtml"),
            QStringLiteral("https://item.taobao.com/item.htm"),
            QStringLiteral("https://container.open.taobao.com/container"),
            QStringLiteral("https://open.taobao.com/"),
            QStringLiteral("https://detail.tmall.com/item.htm"),
            QStringLiteral("taobao.com"),
            QStringLiteral("tmall.com")};
}

TopEndpoints TopEndpoints::withOverrides(const TopEndpoints &overrides)
{
    TopEndpoints e = defaults();
    auto apply = [](const QString &value, QString &field) {
        const QString v = TrimText(value);
        if (!v.isEmpty())
            field = v;
    };
    apply(overrides.gateway, e.gateway);
    apply(overrides.container, e.container);
    apply(overrides.loginPage, e.loginPage);
    apply(overrides.itemPage, e.itemPage);
    apply(overrides.openContainer, e.openContainer);
    apply(overrides.openSite, e.openSite);
    apply(overrides.tmallItemPage, e.tmallItemPage);
    apply(overrides.taobaoDomain, e.taobaoDomain);
    apply(overrides.tmallDomain, e.tmallDomain);
    return e;
}

TopEndpoints TopEndpoints::onBase(const QString &baseUrl)
{
    QString base = TrimText(baseUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return {base + QStringLiteral("/router/rest"), base + QStringLiteral("/container"),
            base + QStringLiteral("/member/login.jhtml"), base + QStringLiteral("/item.htm"),
            base + QStringLiteral("/container"), base + QStringLiteral("/"),
            base + QStringLiteral("/item.htm"), QUrl(base).host(), QUrl(base).host()};
}

TopEndpoints TopEndpoints::onSandbox(const QString &baseUrl)
{
    QString base = TrimText(baseUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QUrl url(base);
    if (url.host() != QStringLiteral("127.0.0.1") || url.port() == -1 || !url.path().isEmpty())
        return onBase(base);
    const auto on = [&url](int last, const QString &path) -> QString {
        return url.scheme() + QStringLiteral("://127.0.0.") + QString::number(last) + QLatin1Char(':') +
               QString::number(url.port()) + path;
    };
    return {on(1, QStringLiteral("/router/rest")), on(2, QStringLiteral("/container")),
            on(4, QStringLiteral("/member/login.jhtml")), on(1, QStringLiteral("/item.htm")),
            on(3, QStringLiteral("/container")), on(3, QStringLiteral("/")),
            on(6, QStringLiteral("/item.htm")), QStringLiteral("127.0.0.5"), QStringLiteral("127.0.0.6")};
}

QString TopEndpoints::gatewayRoot() const
{
    const QUrl url(gateway);
    QString root = url.scheme() + QStringLiteral("://") + url.host();
    if (url.port() != -1)
        root += QLatin1Char(':') + QString::number(url.port());
    return root;
}

QString TopEndpoints::authorizationAddress(const QString &appKey) const
{
    return container + QStringLiteral("?appkey=") + appKey;
}

QString TopEndpoints::itemPageOf(const QString &numIid) const
{
    return itemPage + QStringLiteral("?id=") + numIid;
}

QString TopEndpoints::tmallItemPageOf(const QString &numIid) const
{
    return tmallItemPage + QStringLiteral("?id=") + numIid;
}
