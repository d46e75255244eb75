#include "top/Endpoints.h"

#include "store/Parameters.h"
#include "store/TextRoutines.h"

#include <QUrl>

TopEndpoints TopEndpoints::defaults()
{
    return {QStringLiteral("https://eco.taobao.com/router/rest"),
            QStringLiteral("https://container.api.taobao.com/container"),
            QStringLiteral("https://login.taobao.com/member/login.jhtml"),
            QStringLiteral("https://item.taobao.com/item.htm")};
}

TopEndpoints TopEndpoints::load(const QSqlDatabase &db)
{
    TopEndpoints e = defaults();
    auto apply = [&db](int key, QString &field) {
        const QString v = TrimText(GetParam(db, key));
        if (!v.isEmpty())
            field = v;
    };
    apply(GatewayKey, e.gateway);
    apply(ContainerKey, e.container);
    apply(LoginPageKey, e.loginPage);
    apply(ItemPageKey, e.itemPage);
    return e;
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
