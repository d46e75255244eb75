#pragma once

#include <QSqlDatabase>
#include <QString>

// Every host the program talks to. The public hosts are the defaults; rows
// of _Parameter override them (900 gateway, 901 authorization container,
// 902 login page, 903 item page), so that a local stand-in can serve them all.
struct TopEndpoints
{
    QString gateway;   // .../router/rest
    QString container; // .../container
    QString loginPage; // .../member/login.jhtml
    QString itemPage;  // .../item.htm

    enum Key { GatewayKey = 900, ContainerKey = 901, LoginPageKey = 902, ItemPageKey = 903 };

    static TopEndpoints defaults();
    // Defaults with every non-empty override row applied.
    static TopEndpoints load(const QSqlDatabase &db);
    // Every host on one base address (scheme, host and port, e.g.
    // http://127.0.0.1:8800): base + /router/rest, /container,
    // /member/login.jhtml and /item.htm.
    static TopEndpoints onBase(const QString &baseUrl);
    // Writes the four override rows, inserting those that are missing;
    // false when a statement fails.
    bool save(const QSqlDatabase &db) const;

    // Scheme and host of the gateway, without path (sent as Referer).
    QString gatewayRoot() const;
    // The container address + "?appkey=" + key.
    QString authorizationAddress(const QString &appKey) const;
    // The item page of an item id: itemPage + "?id=" + id.
    QString itemPageOf(const QString &numIid) const;
};
