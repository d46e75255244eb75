#include "Gateway.h"

#include <algorithm>
#include <cstdlib>

namespace topsandbox {

QDateTime MethodCall::now() const
{
    return gateway.now();
}

Gateway::Gateway(ShopModel &model) : m_model(model)
{
    addItemReads(m_methods);
    addItemUploads(m_methods);
}

void Gateway::addApp(const QString &key, const QString &secret)
{
    m_apps.insert(key, secret);
}

void Gateway::setRateLimit(int calls, int seconds)
{
    m_rateCalls = std::max(0, calls);
    m_rateSeconds = std::max(1, seconds);
    m_recent.clear();
}

bool Gateway::rateLimited(const QString &appKey, int *banSeconds)
{
    if (m_rateCalls <= 0)
        return false;
    const QDateTime t = now();
    std::deque<QDateTime> &q = m_recent[appKey];
    while (!q.empty() && q.front().msecsTo(t) >= qint64(m_rateSeconds) * 1000)
        q.pop_front();
    if (int(q.size()) >= m_rateCalls) {
        const qint64 left = qint64(m_rateSeconds) * 1000 - q.front().msecsTo(t);
        *banSeconds = int(std::max<qint64>(1, (left + 999) / 1000));
        return true;
    }
    q.push_back(t);
    return false;
}

GatewayReply Gateway::handle(const Params &params, bool utf8Ok)
{
    if (!utf8Ok)
        return fail(47);
    MethodCall c(m_model, *this);
    for (const auto &kv : params) {
        if (kv.second.isEmpty())
            continue; // an empty value counts as not sent, as in the signature
        if (c.params.contains(kv.first)) {
            GatewayReply r = invalid(kv.first.toUtf8().constData());
            return r;
        }
        c.params.insert(kv.first, kv.second);
    }
    c.method = c.params.value("method");
    if (c.method.isEmpty())
        return fail(21);
    const QString appKey = c.params.value("app_key");
    if (appKey.isEmpty())
        return fail(28);
    const auto app = m_apps.constFind(appKey);
    if (app == m_apps.constEnd())
        return fail(29);
    const QString sign = c.params.value("sign");
    const bool signOk = !sign.isEmpty() && topSignature(params, app.value()) == sign;
    GatewayReply r;
    int ban = 0;
    if (rateLimited(appKey, &ban))
        r = fail(7, QString(), QStringLiteral("accesscontrol.limited-by-app-api-access-count"),
                 QStringLiteral("This ban will last for ") + QString::number(ban) + QStringLiteral(" more seconds"));
    else if (sign.isEmpty())
        r = fail(24);
    else if (c.params.value("sign_method") != QStringLiteral("md5") && c.params.has("sign_method"))
        r = invalid("sign_method");
    else if (!c.params.has("timestamp"))
        r = fail(30);
    else if (const QDateTime ts = parseTime(c.params.value("timestamp"));
             !ts.isValid() || std::llabs(ts.secsTo(now())) > 10 * 60)
        r = fail(31);
    else if (!c.params.has("v"))
        r = fail(32);
    else if (c.params.value("v") != QStringLiteral("2.0"))
        r = fail(33);
    else if (!signOk)
        r = fail(25);
    else
        r = dispatch(c);
    r.signatureValid = signOk;
    return r;
}

GatewayReply Gateway::dispatch(MethodCall &c)
{
    const MethodTable::Entry *m = m_methods.find(c.method);
    if (!m)
        return fail(22);
    if (c.params.has("format") && c.params.value("format") != QStringLiteral("xml"))
        return fail(23);
    if (c.params.has("session")) {
        c.shop = m_model.shopBySession(c.params.value("session"));
        if (!c.shop)
            return fail(27, QString(), QStringLiteral("invalid-sessionkey"),
                        QStringLiteral("SessionKey非法"));
    } else if (m->session == Session::Required) {
        return fail(26);
    }
    return m->handler(c);
}

} // namespace topsandbox
