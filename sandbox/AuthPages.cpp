#include "AuthPages.h"

#include "Gateway.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QUrl>
#include <QUuid>

namespace topsandbox {

QString WebRequest::param(const char *name) const
{
    for (const auto &p : params)
        if (p.first == QLatin1String(name))
            return p.second;
    return QString();
}

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

WebReply page(const QString &title, const QString &body, int status = 200)
{
    WebReply r;
    r.status = status;
    r.html = (QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>") + esc(title) +
              QStringLiteral("</title></head>\n<body>\n") + body + QStringLiteral("\n</body></html>\n"))
                 .toUtf8();
    return r;
}

// The platform's error page: the error and its description as text.
WebReply errorPage(const QString &error, const QString &description)
{
    return page(QStringLiteral("授权失败"),
                QStringLiteral("<div id=\"error\"><p>error=") + esc(error) +
                    QStringLiteral("</p>\n<p>error_description=") + esc(description) +
                    QStringLiteral("</p></div>"));
}

WebReply redirect(const QString &location)
{
    WebReply r;
    r.status = 302;
    r.location = location;
    return r;
}

QString hidden(const char *name, const QString &value)
{
    return QStringLiteral("<input type=\"hidden\" name=\"") + QLatin1String(name) + QStringLiteral("\" value=\"") +
           esc(value) + QStringLiteral("\">\n");
}

} // namespace

void AuthPages::setAppManagesShops(const QString &appKey, bool manages)
{
    if (manages)
        m_nonShopApps.remove(appKey);
    else
        m_nonShopApps.insert(appKey);
}

QString AuthPages::containerPath(const QString &appKey, const QString &scope) const
{
    QString path = QStringLiteral("/container?appkey=") + appKey;
    if (!scope.isEmpty())
        path += QStringLiteral("&scope=") + scope;
    return path;
}

WebReply AuthPages::handle(const WebRequest &r)
{
    const bool containerHost = r.role != WebRole::Login;
    const bool loginHost = r.role == WebRole::Login || r.role == WebRole::Gateway;
    if (containerHost && r.method == QStringLiteral("GET") && r.path == QStringLiteral("/container"))
        return container(r);
    if (containerHost && r.method == QStringLiteral("POST") &&
        (r.path == QStringLiteral("/container/authorize") || r.path == QStringLiteral("/container/phone")))
        return container(r);
    if (loginHost && r.path == QStringLiteral("/member/login.jhtml")) {
        if (r.method == QStringLiteral("POST"))
            return loginPost(r);
        return loginPage(r.param("redirect_url"), QString(), 0, QString(), false);
    }
    if (r.role == WebRole::OpenContainer && r.path == QStringLiteral("/"))
        return page(QStringLiteral("开放平台"), QStringLiteral("<h1>淘宝开放平台 (本地测试服务)</h1>"));
    return page(QStringLiteral("404"), QStringLiteral("<h1>找不到页面</h1>"), 404);
}

WebReply AuthPages::container(const WebRequest &r)
{
    const QString appKey = r.param("appkey");
    const QString scope = r.param("scope");
    if (appKey.isEmpty() || !m_gateway.hasApp(appKey))
        return errorPage(QStringLiteral("invalid_client"), QStringLiteral("appkey不存在或已停用"));

    QString token = r.param("login_token");
    if (!m_tokens.contains(token))
        token = r.cookies.value(QStringLiteral("top_container"));
    if (!m_tokens.contains(token)) {
        // Not logged in: the login page in a frame, which sends the member back
        // to the container of the API, or to the open platform's for an app
        // that does not manage shops.
        const QString back = (m_nonShopApps.contains(appKey) ? m_bases.openContainer : m_bases.apiContainer) +
                             containerPath(appKey, scope);
        const QString src = m_bases.login + QStringLiteral("/member/login.jhtml?redirect_url=") +
                            QString::fromLatin1(QUrl::toPercentEncoding(back));
        return page(QStringLiteral("淘宝授权"),
                    QStringLiteral("<div id=\"login\"><h3>请登录淘宝账号授权</h3>\n"
                                   "<iframe frameborder=\"0\" width=400 scrolling=no allowtransparency=\"true\" "
                                   "src=\"") +
                        src + QStringLiteral("\"></iframe></div>"));
    }
    WebReply reply = containerFor(r, appKey, scope, token);
    reply.cookies.append({QStringLiteral("top_container"), token});
    return reply;
}

WebReply AuthPages::containerFor(const WebRequest &r, const QString &appKey, const QString &scope,
                                 const QString &token)
{
    Shop *shop = m_model.shopByNick(m_tokens.value(token));
    if (!shop)
        return errorPage(QStringLiteral("invalid_user"), QStringLiteral("用户不存在"));
    if (shop->forbiddenApps.contains(appKey))
        return errorPage(QStringLiteral("invalid_client"), QStringLiteral("此应用不允许当前用户访问"));

    const QString self = containerPath(appKey, scope);
    if (shop->phoneCheck && !m_phoneChecked.contains(token)) {
        QString wrong;
        if (r.path == QStringLiteral("/container/phone")) {
            if (r.param("phone_code") == phoneCode()) {
                m_phoneChecked.insert(token);
                return redirect(self);
            }
            wrong = QStringLiteral("<p class=\"error\">校验码错误,请重新输入.</p>\n");
        }
        return page(QStringLiteral("安全验证"),
                    QStringLiteral("<h3>安全验证</h3>\n<p>为了您的账户安全，本次授权需要二次验证：请验证手机有效性。</p>\n") +
                        wrong +
                        QStringLiteral("<p>校验码已发送到您的手机 (本地测试服务: 校验码 ") + phoneCode() +
                        QStringLiteral(")</p>\n<form method=\"post\" action=\"/container/phone\">\n") +
                        hidden("appkey", appKey) + hidden("scope", scope) +
                        QStringLiteral("<input type=\"text\" name=\"phone_code\" id=\"phone_code\">\n"
                                       "<input type=\"submit\" id=\"J_PhoneSubmit\" value=\"确定\">\n</form>"));
    }
    if (!shop->authorizedApps.contains(appKey)) {
        if (r.path == QStringLiteral("/container/authorize")) {
            shop->authorizedApps.append(appKey);
            return redirect(self);
        }
        return page(QStringLiteral("授权"),
                    QStringLiteral("<h3>授权 ") + esc(shop->nick) + QStringLiteral("</h3>\n<p>应用 ") + esc(appKey) +
                        QStringLiteral(" 申请使用您的淘宝账号。您授权后，此应用可以：</p>\n"
                                       "<ul><li>获取您店铺的商品信息</li><li>修改您店铺的商品库存、上下架</li></ul>\n"
                                       "<form method=\"post\" action=\"/container/authorize\">\n") +
                        hidden("appkey", appKey) + hidden("scope", scope) +
                        QStringLiteral("<input type=\"submit\" id=\"sub\" value=\"授权\">\n</form>"));
    }
    return resultPage(*shop, appKey, scope);
}

WebReply AuthPages::resultPage(Shop &shop, const QString &appKey, const QString &scope)
{
    const bool prices = scope.split(QLatin1Char(',')).contains(QStringLiteral("usergrade"));
    const QByteArray seed = shop.nick.toUtf8() + appKey.toUtf8() + QByteArray::number(++m_issued) +
                            QUuid::createUuid().toByteArray();
    const QString session =
        QStringLiteral("6102") + QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
    shop.webSessions.insert(session, prices);
    m_lastSession = session;

    const QString parameters = QString::fromLatin1(
        (QStringLiteral("expires_in=86400&iframe=1&re_expires_in=0&ts=") +
         QString::number(m_gateway.now().toMSecsSinceEpoch()) + QStringLiteral("&visitor_nick=") + shop.nick)
            .toUtf8()
            .toBase64());
    const QString sign = QString::fromLatin1(
        QByteArray::fromHex(m_gateway
                                .signatureOf({{QStringLiteral("top_parameters"), parameters},
                                              {QStringLiteral("top_session"), session}},
                                             appKey)
                                .toLatin1())
            .toBase64());
    return page(QStringLiteral("授权成功"),
                QStringLiteral("<PRE>top_appkey=") + appKey + QStringLiteral("&top_parameters=") + parameters +
                    QStringLiteral("&top_session=") + session + QStringLiteral("&top_sign=") + sign +
                    QStringLiteral("</PRE>"));
}

WebReply AuthPages::loginPage(const QString &redirect, const QString &nick, int failures, const QString &error,
                              bool captcha)
{
    QString body = QStringLiteral("<h3>淘宝网 会员登录</h3>\n");
    if (!error.isEmpty())
        body += QStringLiteral("<div class=\"error\" id=\"J_Message\">") + esc(error) + QStringLiteral("</div>\n");
    body += QStringLiteral("<form id=\"J_StaticForm\" method=\"post\" action=\"/member/login.jhtml\">\n") +
            hidden("redirect_url", redirect) + hidden("TPL_failures", QString::number(failures)) +
            QStringLiteral("<p>账户名: <input type=\"text\" name=\"TPL_username\" id=\"TPL_username_1\" value=\"") +
            esc(nick) +
            QStringLiteral("\"></p>\n"
                           "<p>密码: <input type=\"password\" name=\"TPL_password\" id=\"TPL_password_1\"></p>\n");
    if (captcha)
        body += QStringLiteral("<p>为了您的账号安全，请输入验证码</p>\n<p>验证码 (本地测试服务): ") + captchaCode() +
                QStringLiteral(" <input type=\"text\" name=\"TPL_checkcode\" id=\"J_CodeInput\"></p>\n");
    body += QStringLiteral("<p><input type=\"checkbox\" name=\"J_SafeLoginCheck\" id=\"J_SafeLoginCheck\"> "
                           "安全控件登录</p>\n"
                           "<p><button type=\"submit\" id=\"J_SubmitStatic\">登 录</button></p>\n</form>");
    return page(QStringLiteral("淘宝网 - 会员登录"), body);
}

WebReply AuthPages::loginPost(const WebRequest &r)
{
    const QString nick = r.param("TPL_username").trimmed();
    const QString redirectUrl = r.param("redirect_url");
    const int failures = r.param("TPL_failures").toInt();
    const Shop *shop = m_model.shopByNick(nick);
    if (!shop || shop->password != r.param("TPL_password")) {
        // A second rejection asks for a captcha as well.
        return loginPage(redirectUrl, nick, failures + 1, QStringLiteral("您输入的密码和账户名不匹配，请重新输入。"),
                         failures + 1 >= 2 || (shop && shop->captcha));
    }
    if (shop->captcha || failures >= 2) {
        const QString code = r.param("TPL_checkcode");
        if (code != captchaCode())
            return loginPage(redirectUrl, nick, failures,
                             code.isEmpty() ? QStringLiteral("请输入验证码") : QStringLiteral("验证码错误"), true);
    }
    if (redirectUrl.isEmpty())
        return page(QStringLiteral("登录成功"), QStringLiteral("<p>登录成功</p>"));
    const QString token = QUuid::createUuid().toString(QUuid::Id128);
    m_tokens.insert(token, nick);
    return redirect(redirectUrl + (redirectUrl.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) +
                    QStringLiteral("login_token=") + token);
}

} // namespace topsandbox
