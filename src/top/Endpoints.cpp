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

TopEndpoints TopEndpoints::onBase(const QString &baseUrl)
{
    QString base = TrimText(baseUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return {base + QStringLiteral("/router/rest"), base + QStringLiteral("/container"),
            base + QStringLiteral("/member/login.jhtml"), base + QStringLiteral("/item.htm")};
}

bool TopEndpoints::save(const QSqlDatabase &db) const
{
    const struct
    {
        int key;
        const QString &value;
        QString description;
    } rows[] = {{GatewayKey, gateway, QStringLiteral("开放平台网关地址")},
                {ContainerKey, container, QStringLiteral("授权容器地址")},
                {LoginPageKey, loginPage, QStringLiteral("登录页地址")},
                {ItemPageKey, itemPage, QStringLiteral("宝贝页地址")}};
    for (const auto &row : rows) {
        if (ParamExists(db, row.key)) {
            if (!SetParam(db, row.key, row.value))
                return false;
        } else if (!InsertParamIfMissing(db, row.key, row.value, row.description)) {
            return false;
        }
    }
    return true;
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
