#pragma once

#include "GatewayMethods.h"
#include "ReplyXml.h"
#include "SandboxModel.h"
#include "SandboxSigning.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <deque>
#include <functional>

namespace topsandbox {

// Answers the platform's /router/rest calls over a shop model: checks what
// every call must carry and hands it to its method (GatewayMethods.h). Not
// thread-safe: the server serialises calls.
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

private:
    GatewayReply dispatch(MethodCall &call);
    bool rateLimited(const QString &appKey, int *banSeconds);

    ShopModel &m_model;
    MethodTable m_methods;
    QHash<QString, QString> m_apps;
    int m_rateCalls = 0;
    int m_rateSeconds = 1;
    QHash<QString, std::deque<QDateTime>> m_recent;
    std::function<QDateTime()> m_clock;
};

} // namespace topsandbox
