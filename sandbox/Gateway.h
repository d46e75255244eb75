#pragma once

#include "SandboxModel.h"
#include "SandboxSigning.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <deque>
#include <functional>

namespace topsandbox {

// The outcome of one call to the gateway.
struct GatewayReply
{
    QByteArray xml;    // the reply body
    int errorCode = 0; // 0 for a method response, else the <code> of the error response
    QString subCode;   // the <sub_code> of an error response
    bool signatureValid = false;
};

// Answers the platform's /router/rest calls over a shop model. Not thread-safe:
// the server serialises calls.
class Gateway
{
public:
    explicit Gateway(ShopModel &model);

    void addApp(const QString &key, const QString &secret);
    bool hasApp(const QString &key) const { return m_apps.contains(key); }
    // The signature of a parameter list under the secret of an app key.
    QString signatureOf(const Params &params, const QString &appKey) const
    {
        return topSignature(params, m_apps.value(appKey));
    }
    // At most `calls` calls per app key within `seconds`; 0 calls switches the limit off.
    void setRateLimit(int calls, int seconds);
    // The platform's "now" (local time) for the timestamp check and list times.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }

    // utf8Ok false: the body held bytes that are not UTF-8 (error 47).
    GatewayReply handle(const Params &params, bool utf8Ok = true);

    static QByteArray errorXml(int code, const QString &msg, const QString &subCode = QString(),
                               const QString &subMsg = QString());
    // The platform's text for a top-level error code ("Invalid signature" for 25, ...).
    static QString errorText(int code);

private:
    struct Call;
    GatewayReply dispatch(Call &call);
    GatewayReply itemsListGet(Call &c);
    GatewayReply itemsCustomGet(Call &c);
    GatewayReply itemsPagedGet(Call &c, bool onsale);
    GatewayReply itemsInventoryGet(Call &c) { return itemsPagedGet(c, false); }
    GatewayReply itemsOnsaleGet(Call &c) { return itemsPagedGet(c, true); }
    GatewayReply quantityUpdate(Call &c);
    GatewayReply priceUpdate(Call &c);
    GatewayReply skuPriceUpdate(Call &c);
    GatewayReply itemUpdate(Call &c);
    GatewayReply listing(Call &c);
    GatewayReply delisting(Call &c);
    bool rateLimited(const QString &appKey, int *banSeconds);

    ShopModel &m_model;
    QHash<QString, QString> m_apps;
    int m_rateCalls = 0;
    int m_rateSeconds = 1;
    QHash<QString, std::deque<QDateTime>> m_recent;
    std::function<QDateTime()> m_clock;
};

} // namespace topsandbox
