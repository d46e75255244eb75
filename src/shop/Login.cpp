#include "shop/Login.h"

#include "base/Interaction.h"
#include "top/TopClient.h"

namespace {

const QString crlf = QStringLiteral("\r\n");

QString noNetworkText()
{
    return QStringLiteral("无法正常访问互联网,请检查网络是否正常.");
}

bool startsWith(const QString &address, const QString &prefix)
{
    return !prefix.isEmpty() && address.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

LoginHosts LoginHosts::from(const TopEndpoints &hosts, const QString &appKey)
{
    return {hosts.authorizationAddress(appKey), hosts.container, hosts.openContainer, hosts.loginPage,
            hosts.openSite};
}

ShopLogin::ShopLogin(Interaction &ui, Browser &frame, Browser &browser, const LoginHosts &hosts, QObject *parent)
    : QObject(parent), m_ui(ui), m_frame(frame), m_browser(browser), m_hosts(hosts)
{
    m_frame.onDocumentComplete([this](const Browser::Page &page) { WebBrowserFrameDocumentComplete(page); });
    m_browser.onDocumentComplete([this](const Browser::Page &page) { WebBrowserDocumentComplete(page); });
}

void ShopLogin::setDebugMemo(std::function<bool()> visible, std::function<void(const QString &)> add)
{
    m_debugVisible = std::move(visible);
    m_addDebug = std::move(add);
}

QString ShopLogin::loginCaption() const
{
    return m_loggedIn ? QStringLiteral("注销登录") : QStringLiteral("登录");
}

// The frame as the server writes it, or as the engine serialises the DOM
// (attribute values quoted, "&" as "&amp;").
QString ShopLogin::loginFrameIn(const QString &html)
{
    const QString end = QStringLiteral("\"></iframe>");
    const QString sent = GetBetween(
        html, QStringLiteral("<iframe frameborder=\"0\" width=400 scrolling=no allowtransparency=\"true\" src=\""),
        end);
    if (!sent.isEmpty())
        return sent;
    QString dom = GetBetween(
        html, QStringLiteral("<iframe frameborder=\"0\" width=\"400\" scrolling=\"no\" allowtransparency=\"true\" src=\""),
        end);
    return dom.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

// <PRE> as sent, <pre> in the DOM's text.
QString ShopLogin::resultText(const QString &html)
{
    const QString open = QStringLiteral("<PRE>"), close = QStringLiteral("</PRE>");
    const qsizetype from = html.indexOf(open, 0, Qt::CaseInsensitive);
    if (from < 0)
        return html;
    const qsizetype to = html.indexOf(close, from + open.size(), Qt::CaseInsensitive);
    return to < 0 ? QString() : html.mid(from + open.size(), to - from - open.size());
}

void ShopLogin::debug(const QString &text)
{
    if (m_debugVisible && m_debugVisible() && m_addDebug)
        m_addDebug(text);
}

void ShopLogin::showProgress(const QString &caption)
{
    m_progressShown = true;
    if (!caption.isNull())
        m_progressCaption = caption;
    Q_EMIT changed();
}

void ShopLogin::hideProgress()
{
    m_progressShown = false;
    Q_EMIT changed();
}

void ShopLogin::cancelProgress()
{
    hideProgress();
}

void ShopLogin::setPanel(bool inFront, int panelHeight, int browserHeight)
{
    m_panelInFront = inFront;
    m_panelHeight = panelHeight;
    m_browserHeight = browserHeight;
    Q_EMIT changed();
}

void ShopLogin::setSession(const QString &key)
{
    m_session = key;
    Q_EMIT sessionKeyChanged(key);
}

void ShopLogin::noNetwork()
{
    m_ui.error(noNetworkText());
    hideProgress();
}

void ShopLogin::LoginClick()
{
    if (m_progressShown || (m_busy && m_busy()))
        return;
    Q_EMIT clearCancelFlag();
    m_frameAddress.clear();
    m_refused = false;
    m_userGrade = false;
    if (m_loggedIn) {
        if (!m_ui.ask(QStringLiteral("是否要注销登录?")))
            return;
        setSession(QString());
        m_usersEnabled = true;
        m_loggedIn = false;
        m_commandsEnabled = false;
        m_updatePriceEnabled = false;
        Q_EMIT changed();
        return;
    }
    m_submitted = false;
    m_failure = Failure::None;
    m_current = m_account ? m_account() : LoginAccount{};
    const LoginAccount &current = m_current;
    if (current.name.trimmed().isEmpty()) {
        m_failure = Failure::NoAccount;
        m_ui.warn(QStringLiteral("请选择登录目标店铺的帐号."));
        Q_EMIT focusUsers();
        return;
    }
    if (!current.password) {
        // nothing is filled in with a password that is not the stored one
        m_failure = Failure::PasswordUnreadable;
        m_ui.warn(current.passwordError.isEmpty() ? QStringLiteral("店铺帐号\"") + current.name.trimmed() +
                                                        QStringLiteral("\"保存的密码无法读取.")
                                                  : current.passwordError);
        return;
    }
    m_panelInFront = false;
    showProgress(QStringLiteral("正在登录中(") + current.name + QStringLiteral(")..."));
    m_frame.clearCookies();
    m_frame.navigate(m_hosts.authorizationAddress);
}

void ShopLogin::UserGradeClick()
{
    if (m_progressShown || (m_busy && m_busy()) || !m_commandsEnabled)
        return;
    m_userGrade = true;
    m_submitted = false;
    m_failure = Failure::None;
    Q_EMIT clearCancelFlag();
    showProgress(QStringLiteral("正在获取短授权,请稍等..."));
    m_browser.navigate(m_hosts.authorizationAddress + QStringLiteral("&scope=item,usergrade"));
}

void ShopLogin::RzLabel7Click()
{
    setPanel(false, NormalPanelHeight, NormalBrowserHeight);
    Q_EMIT reloadTargetList();
}

void ShopLogin::WebBrowserFrameDocumentComplete(const Browser::Page &page)
{
    const QString &source = page.html;
    debug(source);
    if (source.contains(Browser::unreachableMarker())) {
        noNetwork();
        return;
    }
    m_progressCaption = QStringLiteral("正在验证中(") + account().name.trimmed() + QStringLiteral(")...");
    Q_EMIT changed();
    if (source.contains(QStringLiteral("<PRE>"), Qt::CaseInsensitive) &&
        source.contains(QStringLiteral("</PRE>"), Qt::CaseInsensitive)) {
        // The container answered at once: its page is the result page.
        const QString text = resultText(source);
        setSession(GetBetween(text, QStringLiteral("top_session="), QStringLiteral("&")));
        finishLogin();
        return;
    }
    if (m_frameAddress.isEmpty())
        m_frameAddress = loginFrameIn(source);
    if (!m_frameAddress.isEmpty()) {
        m_browser.navigate(m_frameAddress);
    } else {
        m_ui.warn(QStringLiteral("登录失败,请检查淘宝授权应用证书配置是否正确."));
        hideProgress();
    }
}

void ShopLogin::WebBrowserDocumentComplete(const Browser::Page &page)
{
    if (m_refused)
        return;
    const QString &address = page.address;
    const bool loginPage = startsWith(address, m_hosts.loginPage);
    const bool apiContainer = startsWith(address, m_hosts.container);
    const bool openContainer = startsWith(address, m_hosts.openContainer);
    if (!loginPage && !apiContainer && m_checkLogin) {
        m_refused = true;
        m_ui.error(QStringLiteral("淘宝授权失败，你使用的淘宝授权证书无法管理店铺,\r\n请向淘宝申请应用服务：\"商家后台系统标签”,"
                                  "\r\n地址为：") +
                   m_hosts.openPlatformSite);
        hideProgress();
        return;
    }
    const QString &source = page.html;
    debug(source);
    if (source.contains(Browser::unreachableMarker())) {
        noNetwork();
        return;
    }
    if (loginPage && m_submitted && isWrongPasswordPage(source)) {
        // The stored password was refused: it is not submitted again (a second
        // try only brings a captcha); the seller changes it first.
        m_refused = true;
        m_failure = Failure::PasswordRefused;
        m_ui.error(passwordRefusedText(account().name.trimmed()));
        m_panelInFront = false;
        hideProgress();
        return;
    }
    if (source.contains(QStringLiteral("为了您的账号安全，请输入验证码"))) {
        m_panelInFront = true;
        hideProgress();
        return;
    }
    if (loginPage) {
        if (m_submitted) {
            // back again without the wrong-password message: a person looks at it
            m_panelInFront = true;
            hideProgress();
            return;
        }
        const LoginAccount &current = account();
        if (!current.password) // a short authorization that lands on the login page
            return;
        m_browser.setFieldValue(QStringLiteral("TPL_username"), current.name);
        m_browser.checkAndClick(QStringLiteral("J_SafeLoginCheck"));
        m_browser.setFieldValue(QStringLiteral("TPL_password"), *current.password);
        // The engine needs no special browser version: the form is always submitted.
        m_browser.clickById(QStringLiteral("J_SubmitStatic"));
        m_submitted = true;
        setPanel(true, m_panelHeight, m_browserHeight);
        return;
    }
    if (!apiContainer && !openContainer)
        return;

    const QString text = page.bodyHtml;
    m_panelInFront = false;
    showProgress(QString());
    if (text.contains(QStringLiteral("手机有效性")) && text.contains(QStringLiteral("二次验证")) &&
        text.contains(QStringLiteral("安全验证"))) {
        m_progressShown = false;
        setPanel(true, m_panelHeight, m_browserHeight);
        Q_EMIT centreBrowserPanel();
        return;
    }
    if (text.contains(QStringLiteral("您授权后，此应用可以"))) {
        m_progressShown = false;
        setPanel(true, ConsentPanelHeight, ConsentBrowserHeight);
        Q_EMIT centreBrowserPanel();
        return;
    }
    setPanel(false, NormalPanelHeight, NormalBrowserHeight);
    Q_EMIT centreBrowserPanel();
    if (text.contains(QStringLiteral("error_description"))) {
        if (text.contains(QStringLiteral("此应用不允许当前用户访问"))) {
            const QString name = account().name;
            m_ui.error(QStringList{QStringLiteral("\"") + name + QStringLiteral("\" 登录失败."),
                                   QStringLiteral("原因:此应用不允许当前用户访问,请检查淘宝是否授权."),
                                   QStringLiteral("解决方法:"),
                                   QStringLiteral("     1.登录 ") + m_hosts.openPlatformSite +
                                       QStringLiteral(" 授权此用户允许访问."),
                                   QStringLiteral("     2.配置允许访问的淘宝授权应用证书 App Key 及 App Sercet")}
                           .join(crlf));
        } else if (m_userGrade) {
            m_ui.error(QStringLiteral("获取短授权失败.") + crlf + QStringLiteral("原因:") + text);
        } else {
            m_ui.error(QStringLiteral("登录失败.") + crlf + QStringLiteral("原因:") + text);
        }
        hideProgress();
        return;
    }

    const QString result = resultText(page.html);
    const QString key = GetBetween(result, QStringLiteral("top_session="), QStringLiteral("&"));
    setSession(key);
    debug(QStringLiteral("***") + key + QStringLiteral("***"));
    debug(result);
    if (m_userGrade) {
        m_ui.info(QStringLiteral("成功获取短授权,你将拥有更新商品价格的权限,请确认."));
        m_updatePriceEnabled = true;
        hideProgress();
        return;
    }
    finishLogin();
}

bool ShopLogin::isWrongPasswordPage(const QString &html)
{
    return html.contains(QStringLiteral("您输入的密码和账户名不匹配"));
}

QString ShopLogin::passwordRefusedText(const QString &memberName)
{
    return QStringLiteral("店铺帐号\"") + memberName +
           QStringLiteral("\"登录失败: 淘宝拒绝了保存的密码 (您输入的密码和账户名不匹配).\r\n"
                          "密码只提交了一次, 没有再试. 请在\"店铺帐号管理\"中修改该帐号的密码后再登录.");
}

void ShopLogin::finishLogin()
{
    m_progressCaption = QStringLiteral("登录成功.(") + account().name.trimmed() + QStringLiteral(")");
    Q_EMIT clearTargetList();
    m_commandsEnabled = true;
    m_progressShown = false;
    m_usersEnabled = false;
    m_loggedIn = true;
    Q_EMIT changed();
    Q_EMIT reloadTargetList();
}
