#pragma once

#include "SandboxModel.h"
#include "SandboxSigning.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

namespace topsandbox {

class Gateway;

// Which host a page request came to. The stand-in serves the authorization
// container of the API, the open platform's container and the login page on
// hosts of their own; the gateway's host serves every page as well.
enum class WebRole { Gateway, ApiContainer, OpenContainer, Login };

struct WebRequest
{
    WebRole role = WebRole::Gateway;
    QString method; // "GET" or "POST"
    QString path;
    Params params; // query and form, decoded
    QHash<QString, QString> cookies;

    QString param(const char *name) const;
};

struct WebReply
{
    int status = 200;
    QByteArray html;
    QString location;                       // a 302 redirect when not empty
    QList<QPair<QString, QString>> cookies; // Set-Cookie name=value (path /)
};

// Scheme, host and port of each page host ("http://127.0.0.2:8765").
struct WebBases
{
    QString apiContainer;
    QString openContainer;
    QString login;
};

// The marketplace's login page and the platform's authorization container as a
// person meets them:
//
//   GET  /container?appkey=K[&scope=S]    not logged in: the page with the login frame
//                                          logged in: error / phone check / consent / result
//   GET  /member/login.jhtml?redirect_url=R   the login form
//   POST /member/login.jhtml              TPL_username, TPL_password[, TPL_checkcode]:
//                                          the form again with a message, or 302 to R
//                                          with login_token=T
//   POST /container/phone                 phone_code (the code is on the page)
//   POST /container/authorize             the consent
//   GET  /                                on the open container host: the open platform's site
//
// The result page's <PRE> holds top_appkey=..&top_parameters=..&top_session=..&top_sign=..;
// its session key is new for each authorization and may change prices only
// when scope holds "usergrade". An app key that does not manage shops is sent
// on to the open platform's container after the login. The login asks for a
// captcha after a second rejected password, and at once for a shop whose
// fixture says "captcha". Not thread-safe: the caller holds the model's lock.
class AuthPages
{
public:
    AuthPages(ShopModel &model, Gateway &gateway) : m_model(model), m_gateway(gateway) {}

    void setBases(const WebBases &bases) { m_bases = bases; }
    const WebBases &bases() const { return m_bases; }
    void setAppManagesShops(const QString &appKey, bool manages);

    WebReply handle(const WebRequest &request);

    QString lastIssuedSession() const { return m_lastSession; }

    static QString captchaCode() { return QStringLiteral("8341"); }
    static QString phoneCode() { return QStringLiteral("246810"); }

private:
    WebReply container(const WebRequest &r);
    WebReply containerFor(const WebRequest &r, const QString &appKey, const QString &scope, const QString &token);
    WebReply loginPage(const QString &redirect, const QString &nick, int failures, const QString &error,
                       bool captcha);
    WebReply loginPost(const WebRequest &r);
    WebReply resultPage(Shop &shop, const QString &appKey, const QString &scope);
    QString containerPath(const QString &appKey, const QString &scope) const;

    ShopModel &m_model;
    Gateway &m_gateway;
    WebBases m_bases;
    QSet<QString> m_nonShopApps;
    QHash<QString, QString> m_tokens; // login token -> member name
    QSet<QString> m_phoneChecked;     // tokens past the phone check
    QString m_lastSession;
    int m_issued = 0;
};

} // namespace topsandbox
