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
    QString openContainer; // the open platform's authorization container, .../container
    QString openSite;      // the open platform's web site, ending in "/"
    QString tmallItemPage; // the Tmall item-detail page, .../item.htm
    QString taobaoDomain;  // what the address of a Taobao shop contains ("taobao.com")
    QString tmallDomain;   // what the address of a Tmall shop contains ("tmall.com")

    static TopEndpoints defaults();
    // The defaults with every non-empty (trimmed) field of overrides in place.
    static TopEndpoints withOverrides(const TopEndpoints &overrides);
    // Every host on one base address (scheme, host and port, e.g.
    // http://127.0.0.1:8800): base + /router/rest, /container,
    // /member/login.jhtml, /item.htm, /container and /; the Tmall item page
    // base + /item.htm as well, and the base's host as both shop domains.
    static TopEndpoints onBase(const QString &baseUrl);
    // The local stand-in's hosts. On 127.0.0.1:P its pages live on hosts of
    // their own, as the platform's do: the gateway and the item pages on
    // 127.0.0.1:P, the API container on 127.0.0.2:P, the open platform's
    // container and site on 127.0.0.3:P, the login page on 127.0.0.4:P; the
    // Taobao shops' pages on 127.0.0.5:P and the Tmall shops' pages and item
    // pages on 127.0.0.6:P, with these addresses as the shop domains. Any
    // other base carries every host (onBase).
    static TopEndpoints onSandbox(const QString &baseUrl);
    // Every field empty: the settings then bring back the public hosts.
    static TopEndpoints none() { return {}; }

    // Scheme and host of the gateway, without path (sent as Referer).
    QString gatewayRoot() const;
    // The container address + "?appkey=" + key.
    QString authorizationAddress(const QString &appKey) const;
    // The item page of an item id: itemPage + "?id=" + id.
    QString itemPageOf(const QString &numIid) const;
    // The Tmall item page of an item id: tmallItemPage + "?id=" + id.
    QString tmallItemPageOf(const QString &numIid) const;
};
