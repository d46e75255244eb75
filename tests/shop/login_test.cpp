// The login, logout and short authorization over scripted pages.
#include "base/Interaction.h"
#include "shop/Login.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString container = QStringLiteral("http://container.test/container");
const QString auth = container + QStringLiteral("?appkey=21770501");
const QString openContainer = QStringLiteral("http://open.test/container");
const QString loginPage = QStringLiteral("http://login.test/member/login.jhtml");
const QString site = QStringLiteral("http://open.test/");
const QString frameSrc = loginPage + QStringLiteral("?redirect_url=x");
const QString containerPage =
    QStringLiteral("<html><body><iframe frameborder=\"0\" width=400 scrolling=no allowtransparency=\"true\" src=\"") +
    frameSrc + QStringLiteral("\"></iframe></body></html>");

// Records what the login asks of it; pages complete when the test says so.
class ScriptedBrowser : public Browser
{
public:
    QStringList log; // "go ADDRESS", "set NAME=VALUE", "check NAME", "click ID", "clear"
    void navigate(const QString &address) override { log << QStringLiteral("go ") + address; }
    void setFieldValue(const QString &name, const QString &value) override
    {
        log << QStringLiteral("set ") + name + QLatin1Char('=') + value;
    }
    void checkAndClick(const QString &name) override { log << QStringLiteral("check ") + name; }
    void clickById(const QString &id) override { log << QStringLiteral("click ") + id; }
    void clearCookies() override { log << QStringLiteral("clear"); }
    void complete(const QString &address, const QString &html, const QString &body = QString())
    {
        documentComplete({address, html, body.isNull() ? html : body});
    }
};

struct Rig
{
    ScriptedInteraction ui;
    ScriptedBrowser frame, browser;
    LoginAccount account{QStringLiteral("sandbox_c_1"), QStringLiteral("taobao1234")};
    bool debugShown = false;
    QStringList debugMemo;
    ShopLogin login{ui, frame, browser, LoginHosts{auth, container, openContainer, loginPage, site}};
    QSignalSpy reloads{&login, &ShopLogin::reloadTargetList};
    QSignalSpy sessions{&login, &ShopLogin::sessionKeyChanged};

    Rig()
    {
        login.setAccountSource([this] { return account; });
        login.setDebugMemo([this] { return debugShown; }, [this](const QString &t) { debugMemo << t; });
    }
    // Login clicked, the container with its frame completed in the hidden browser.
    void toLoginPage()
    {
        login.LoginClick();
        frame.complete(auth, containerPage);
    }
    void loggedIn(const QString &result = QStringLiteral("<PRE>top_appkey=1&top_session=ABC&top_sign=S</PRE>"))
    {
        toLoginPage();
        browser.complete(loginPage + QStringLiteral("?redirect_url=x"), QStringLiteral("<form></form>"));
        browser.complete(auth + QStringLiteral("&login_token=t"), result);
    }
};

const QStringList filled{QStringLiteral("set TPL_username=sandbox_c_1"), QStringLiteral("check J_SafeLoginCheck"),
                         QStringLiteral("set TPL_password=taobao1234"), QStringLiteral("click J_SubmitStatic")};

} // namespace

class LoginTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noAccountSelected()
    {
        Rig r;
        r.account = {QStringLiteral("  "), std::nullopt, QStringLiteral("无法读取")};
        QSignalSpy focus(&r.login, &ShopLogin::focusUsers);
        r.login.LoginClick();
        QCOMPARE(r.ui.messages(), QStringList{QStringLiteral("请选择登录目标店铺的帐号.")});
        QCOMPARE(r.ui.last()->icon, Interaction::Icon::Warning);
        QCOMPARE(focus.count(), 1);
        QVERIFY(r.frame.log.isEmpty() && r.browser.log.isEmpty());
        QVERIFY(!r.login.progressShown());
    }

    // Cookies cleared, container, frame, the form filled and submitted once,
    // then the result page.
    void loginFillsSubmitsOnceAndReadsTheKey()
    {
        Rig r;
        r.login.LoginClick();
        QCOMPARE(r.frame.log, (QStringList{QStringLiteral("clear"), QStringLiteral("go ") + auth}));
        QVERIFY(r.login.progressShown());
        QCOMPARE(r.login.progressCaption(), QStringLiteral("正在登录中(sandbox_c_1)..."));
        r.login.LoginClick(); // refused while the progress panel shows
        QCOMPARE(r.frame.log.size(), 2);

        r.frame.complete(auth, containerPage);
        QCOMPARE(r.login.progressCaption(), QStringLiteral("正在验证中(sandbox_c_1)..."));
        QCOMPARE(r.browser.log, QStringList{QStringLiteral("go ") + frameSrc});
        r.browser.log.clear();
        r.browser.complete(frameSrc, QStringLiteral("<form></form>"));
        QVERIFY(r.login.browserPanelInFront());
        QCOMPARE(r.browser.log, filled);
        QVERIFY(!r.login.loggedIn());

        r.browser.complete(auth + QStringLiteral("&login_token=t"),
                           QStringLiteral("<html><body><PRE>top_appkey=21770501&top_parameters=dg==&top_session="
                                          "6102abc&top_sign=Zm8=</PRE></body></html>"),
                           QStringLiteral("<body>done</body>"));
        QCOMPARE(r.login.sessionKey(), QStringLiteral("6102abc"));
        QCOMPARE(r.sessions.last().at(0).toString(), QStringLiteral("6102abc"));
        QVERIFY(r.login.loggedIn());
        QCOMPARE(r.login.loginCaption(), QStringLiteral("注销登录"));
        QVERIFY(!r.login.usersEnabled());
        QVERIFY(r.login.loginCommandsEnabled());
        QVERIFY(!r.login.updatePriceEnabled());
        QVERIFY(!r.login.progressShown());
        QVERIFY(!r.login.browserPanelInFront());
        QCOMPARE(r.login.progressCaption(), QStringLiteral("登录成功.(sandbox_c_1)"));
        QCOMPARE(r.reloads.count(), 1);
        QVERIFY(r.ui.messages().isEmpty());
    }

    // The key runs up to the next "&"; without one it is empty and the login
    // still completes. Both as sent and in the engine's DOM text.
    // The password is read once per login. A stored password that cannot be
    // read ends the login before anything is filled in; one the platform
    // refuses is submitted once and ends the login with a message naming the
    // account; a login page back without that message is left to a person.
    void passwordReadOnceAndTriedOnce()
    {
        Rig r;
        int reads = 0;
        r.login.setAccountSource([&] {
            ++reads;
            return r.account;
        });
        r.toLoginPage();
        r.browser.complete(frameSrc, QStringLiteral("<form></form>"));
        r.browser.log.clear();
        r.browser.complete(QStringLiteral("HTTP://LOGIN.TEST/member/login.jhtml"),
                           QStringLiteral("<div>您输入的密码和账户名不匹配，请重新输入。</div>"
                                          "<p>为了您的账号安全，请输入验证码</p><form></form>"));
        QVERIFY(r.browser.log.isEmpty());
        QCOMPARE(reads, 1);
        QCOMPARE(r.login.failure(), ShopLogin::Failure::PasswordRefused);
        QCOMPARE(r.ui.messages(), QStringList{ShopLogin::passwordRefusedText(QStringLiteral("sandbox_c_1"))});
        QVERIFY(r.ui.messages().first().contains(QStringLiteral("店铺帐号管理")));
        QCOMPARE(r.ui.last()->icon, Interaction::Icon::Error);
        QVERIFY(!r.login.progressShown() && !r.login.browserPanelInFront() && !r.login.loggedIn());
        r.browser.complete(loginPage, QStringLiteral("<form></form>")); // later pages of it change nothing
        QVERIFY(r.browser.log.isEmpty());

        // a page back without the message: no second submission, a person looks
        Rig again;
        again.toLoginPage();
        again.browser.complete(frameSrc, QStringLiteral("<form></form>"));
        again.browser.complete(frameSrc, QStringLiteral("<form>请稍后再试</form>"));
        QCOMPARE(again.browser.log, QStringList{QStringLiteral("go ") + frameSrc} + filled);
        QVERIFY(again.login.browserPanelInFront() && !again.login.progressShown());
        QCOMPARE(again.login.failure(), ShopLogin::Failure::None);

        Rig unreadable;
        unreadable.account = {QStringLiteral("sandbox_c_1"), std::nullopt, QStringLiteral("保存的密码无法读取")};
        unreadable.login.LoginClick();
        QCOMPARE(unreadable.ui.messages(), QStringList{QStringLiteral("保存的密码无法读取")});
        QCOMPARE(unreadable.login.failure(), ShopLogin::Failure::PasswordUnreadable);
        QVERIFY(unreadable.frame.log.isEmpty() && unreadable.browser.log.isEmpty());
        QVERIFY(!unreadable.login.progressShown());
    }

    void resultPageKey_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("key");
        QTest::newRow("sent") << QStringLiteral("<PRE>a=1&top_session=ABC&top_sign=x</PRE>") << QStringLiteral("ABC");
        QTest::newRow("dom") << QStringLiteral("<pre>a=1&amp;top_session=ABC&amp;top_sign=x</pre>")
                             << QStringLiteral("ABC");
        QTest::newRow("no &") << QStringLiteral("<PRE>a=1&top_session=ABC</PRE>&x") << QString();
    }
    void resultPageKey()
    {
        QFETCH(QString, page);
        QFETCH(QString, key);
        Rig r;
        r.loggedIn(page);
        QCOMPARE(r.login.sessionKey(), key);
        QVERIFY(r.login.loggedIn());
    }

    void loginFrameInBothForms()
    {
        QCOMPARE(ShopLogin::loginFrameIn(containerPage), frameSrc);
        QCOMPARE(ShopLogin::loginFrameIn(QStringLiteral("<iframe frameborder=\"0\" width=\"400\" scrolling=\"no\" "
                                                        "allowtransparency=\"true\" src=\"http://l/a?b=1&amp;c=2\">"
                                                        "</iframe>")),
                 QStringLiteral("http://l/a?b=1&c=2"));
        QCOMPARE(ShopLogin::loginFrameIn(QStringLiteral("<iframe width=400 src=\"x\"></iframe>")), QString());
    }

    // The consent page enlarges the panel; '关闭' restores it.
    void consentPageAndClose()
    {
        Rig r;
        r.toLoginPage();
        QSignalSpy centred(&r.login, &ShopLogin::centreBrowserPanel);
        r.browser.complete(auth, QStringLiteral("x"), QStringLiteral("<body>您授权后，此应用可以：</body>"));
        QCOMPARE(r.login.panelHeight(), 613);
        QCOMPARE(r.login.browserHeight(), 569);
        QVERIFY(r.login.browserPanelInFront());
        QVERIFY(!r.login.progressShown());
        QCOMPARE(centred.count(), 1);
        QVERIFY(!r.login.loggedIn());
        r.login.RzLabel7Click();
        QCOMPARE(r.login.panelHeight(), 313);
        QCOMPARE(r.login.browserHeight(), 269);
        QVERIFY(!r.login.browserPanelInFront());
        QCOMPARE(r.reloads.count(), 1);
    }

    // With chkLogin the open platform's container refuses the login and every
    // later page of it is ignored; without, it is a container like the other.
    void refusalWithCheckLogin()
    {
        Rig r;
        r.login.setCheckLogin(true);
        r.toLoginPage();
        r.browser.log.clear();
        r.browser.complete(openContainer + QStringLiteral("?appkey=1"), QStringLiteral("<PRE>top_session=A&</PRE>"));
        QVERIFY(r.login.refused());
        QCOMPARE(r.ui.messages(),
                 QStringList{QStringLiteral("淘宝授权失败，你使用的淘宝授权证书无法管理店铺,\r\n请向淘宝申请应用服务："
                                            "\"商家后台系统标签”,\r\n地址为：http://open.test/")});
        QVERIFY(!r.login.progressShown());
        r.browser.complete(loginPage, QStringLiteral("<form></form>"));
        QVERIFY(r.browser.log.isEmpty());
        QVERIFY(!r.login.loggedIn());

        Rig open;
        open.toLoginPage();
        open.browser.complete(openContainer + QStringLiteral("?appkey=1"), QStringLiteral("<PRE>top_session=A&</PRE>"));
        QVERIFY(open.login.loggedIn());
        QCOMPARE(open.login.sessionKey(), QStringLiteral("A"));
    }

    // The short authorization replaces the key and enables _updateprice;
    // logout takes every command away again, _updateprice included.
    void shortAuthorizationThenLogout()
    {
        Rig r;
        r.loggedIn();
        r.browser.log.clear();
        r.login.UserGradeClick();
        QVERIFY(r.login.userGradeRunning());
        QCOMPARE(r.login.progressCaption(), QStringLiteral("正在获取短授权,请稍等..."));
        QCOMPARE(r.browser.log, QStringList{QStringLiteral("go ") + auth + QStringLiteral("&scope=item,usergrade")});
        r.browser.complete(auth + QStringLiteral("&scope=item,usergrade"), QStringLiteral("<PRE>top_session=PRICE&x</PRE>"));
        QCOMPARE(r.login.sessionKey(), QStringLiteral("PRICE"));
        QCOMPARE(r.ui.messages(), QStringList{QStringLiteral("成功获取短授权,你将拥有更新商品价格的权限,请确认.")});
        QVERIFY(r.login.updatePriceEnabled());
        QVERIFY(!r.login.progressShown());

        r.login.LoginClick(); // unanswered: No
        QVERIFY(r.login.loggedIn());
        r.ui.answerQuestion(true);
        r.login.LoginClick();
        QCOMPARE(r.ui.last()->text, QStringLiteral("是否要注销登录?"));
        QVERIFY(!r.login.loggedIn());
        QCOMPARE(r.login.loginCaption(), QStringLiteral("登录"));
        QVERIFY(r.login.sessionKey().isEmpty());
        QCOMPARE(r.sessions.last().at(0).toString(), QString());
        QVERIFY(!r.login.updatePriceEnabled());
        QVERIFY(!r.login.loginCommandsEnabled());
        QVERIFY(r.login.usersEnabled());
        QVERIFY(!r.login.userGradeRunning());
    }

    // The error pages: not allowed, the short authorization's, the login's.
    void errorPages()
    {
        Rig r;
        r.toLoginPage();
        r.browser.complete(auth, QString(), QStringLiteral("<p>error_description=此应用不允许当前用户访问</p>"));
        QCOMPARE(r.ui.messages(),
                 QStringList{QStringLiteral("\"sandbox_c_1\" 登录失败.\r\n原因:此应用不允许当前用户访问,请检查淘宝是否授权."
                                            "\r\n解决方法:\r\n     1.登录 http://open.test/ 授权此用户允许访问.\r\n"
                                            "     2.配置允许访问的淘宝授权应用证书 App Key 及 App Sercet")});
        QCOMPARE(r.ui.last()->icon, Interaction::Icon::Error);
        QVERIFY(!r.login.progressShown() && !r.login.loggedIn());

        Rig s;
        s.loggedIn();
        s.login.UserGradeClick();
        s.browser.complete(auth, QString(), QStringLiteral("<p>error_description=x</p>"));
        QCOMPARE(s.ui.messages(), QStringList{QStringLiteral("获取短授权失败.\r\n原因:<p>error_description=x</p>")});
        QVERIFY(!s.login.updatePriceEnabled());
    }

    // No network, no login frame, a captcha, and a container that answers the
    // hidden browser with the result at once.
    void unreachableNoFrameCaptchaAndHiddenResult()
    {
        Rig r;
        r.login.LoginClick();
        r.frame.complete(auth, QStringLiteral("<h1>无法访问</h1><p>您可以尝试以下操作:</p>"));
        QCOMPARE(r.ui.messages(), QStringList{QStringLiteral("无法正常访问互联网,请检查网络是否正常.")});
        QCOMPARE(r.ui.last()->icon, Interaction::Icon::Error);
        QVERIFY(!r.login.progressShown() && r.browser.log.isEmpty());

        r.ui.clear();
        r.login.LoginClick();
        r.frame.complete(auth, QStringLiteral("<p>error_description=appkey</p>"));
        QCOMPARE(r.ui.messages(), QStringList{QStringLiteral("登录失败,请检查淘宝授权应用证书配置是否正确.")});
        QVERIFY(!r.login.progressShown());

        r.ui.clear();
        r.toLoginPage();
        r.browser.log.clear();
        r.browser.complete(frameSrc, QStringLiteral("<p>为了您的账号安全，请输入验证码</p><form></form>"));
        QVERIFY(r.browser.log.isEmpty());
        QVERIFY(r.login.browserPanelInFront() && !r.login.progressShown());

        Rig h;
        h.debugShown = true;
        h.login.LoginClick();
        h.frame.complete(auth, QStringLiteral("<pre>top_session=HID&amp;top_sign=1</pre>"));
        QVERIFY(h.login.loggedIn());
        QCOMPARE(h.login.sessionKey(), QStringLiteral("HID"));
        QCOMPARE(h.debugMemo.size(), 1); // the page itself, shown while the memo is

        Rig quiet; // the key reaches the memo only while it is shown
        quiet.loggedIn();
        QVERIFY(quiet.debugMemo.isEmpty());
        Rig shown;
        shown.debugShown = true;
        shown.loggedIn();
        QVERIFY(shown.debugMemo.contains(QStringLiteral("***ABC***")));
    }
};

QTEST_GUILESS_MAIN(LoginTest)
#include "login_test.moc"
