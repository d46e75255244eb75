#pragma once

#include <QString>

// Every host the program talks to. The public hosts are the defaults; the
// settings can override each of them, so that a local stand-in serves them all.
struct TopEndpoints
{
    QString gateway;   // .../router/rest
    QString container; // .../container
    QString loginPage; // .../member/login.jhtml
    QString itemPage;  // .../item.htm

    static TopEndpoints defaults();
    // The defaults with every non-empty (trimmed) field of overrides in place.
    static TopEndpoints withOverrides(const TopEndpoints &overrides);
    // Every host on one base address (scheme, host and port, e.g.
    // http://127.0.0.1:8800): base + /router/rest, /container,
    // /member/login.jhtml and /item.htm.
    static TopEndpoints onBase(const QString &baseUrl);

    // Scheme and host of the gateway, without path (sent as Referer).
    QString gatewayRoot() const;
    // The container address + "?appkey=" + key.
    QString authorizationAddress(const QString &appKey) const;
    // The item page of an item id: itemPage + "?id=" + id.
    QString itemPageOf(const QString &numIid) const;
};
