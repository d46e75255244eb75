// The shop login end to end: two real browsers (Qt WebEngine, offscreen)
// against the stand-in's authorization and login pages.
#include "TestRig.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/WebEngineBrowser.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

class LoginWebEngineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void javaScriptLiteralsArriveExactly();
    void loginReadsTheSessionAndItSigns();
};

namespace {

QString readBack(QWebEnginePage *page, const QString &script)
{
    QString value;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &v) {
        value = v.toString();
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, 20000);
    return value;
}

bool addAccount(TestRig &rig, const QString &name, const QString &password)
{
    ShopAccounts::Edit edit;
    edit.userName = name;
    edit.password = password;
    return rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes;
}

LoginAccount accountOf(TestRig &rig, const QString &name)
{
    ShopAccount a;
    if (!rig.app->shopAccounts().find(name, &a))
        return {name, std::nullopt};
    const ShopAccounts::Password p = rig.app->shopAccounts().password(a.userName, a.stored);
    return {name, p.ok ? std::optional<QString>(p.text) : std::nullopt};
}

} // namespace

void LoginWebEngineTest::javaScriptLiteralsArriveExactly()
{
    QWebEngineProfile *profile = WebEngineBrowser::newProfile(this);
    WebEngineBrowser browser(profile);
    QList<Browser::Page> pages;
    browser.onDocumentComplete([&](const Browser::Page &p) { pages.append(p); });
    browser.navigate(QStringLiteral("data:text/html,<body><input name=\"TPL_password\" id=\"p1\"></body>"));
    QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 1, 30000);
    QVERIFY(pages.first().bodyHtml.startsWith(QStringLiteral("<body>")));
    const QString tricky = QStringLiteral("a'b\"c\\d</script>\t%1 密码😀");
    browser.setFieldValue(QStringLiteral("TPL_password"), tricky);
    QCOMPARE(readBack(browser.page(), QStringLiteral("document.getElementById('p1').value")), tricky);

    // An address nobody answers completes as the error page.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    browser.navigate(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    QTRY_COMPARE_WITH_TIMEOUT(pages.size(), 2, 30000);
    QVERIFY2(pages.last().html.contains(Browser::unreachableMarker()), qPrintable(pages.last().address + pages.last().html.left(300)));
}

void LoginWebEngineTest::loginReadsTheSessionAndItSigns()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(rig.sandbox.hasDistinctPageHosts());
    const QString seller = QStringLiteral("sandbox_c_1");
    QVERIFY(addAccount(rig, seller, QStringLiteral("taobao1234")));
    QVERIFY(addAccount(rig, QStringLiteral("sandbox_c_2"), QStringLiteral("wrong'\"\\pass")));

    QWebEngineProfile *profile = WebEngineBrowser::newProfile(this);
    WebEngineBrowser frame(profile), browser(profile);
    ShopLogin login(rig.ui, frame, browser, LoginHosts::from(rig.app->endpoints(), rig.app->appKey().key));
    QString name = seller;
    login.setAccountSource([&] { return accountOf(rig, name); });
    QObject::connect(&login, &ShopLogin::sessionKeyChanged, &login,
                     [&](const QString &key) { rig.app->client().setSessionKey(key); });

    login.LoginClick();
    QVERIFY(login.progressShown());
    QTRY_VERIFY_WITH_TIMEOUT(login.loggedIn(), 60000);
    QVERIFY(!rig.sandbox.lastIssuedSession().isEmpty());
    QCOMPARE(login.sessionKey(), rig.sandbox.lastIssuedSession());
    QCOMPARE(login.progressCaption(), QStringLiteral("登录成功.(sandbox_c_1)"));
    QVERIFY(rig.ui.messages().isEmpty());

    // The key signs a session method the stand-in checks.
    TWinHTTP http;
    QSignalSpy done(&http, &TWinHTTP::OnDone);
    QVERIFY(rig.app->client().taobao_items_onsale_get(QStringLiteral("1"), http));
    QVERIFY(done.wait(20000));
    const TopIntake intake =
        rig.app->client().intake(done.first().at(2).toByteArray(), TopErrorPrefix::targetDownload(), false);
    QVERIFY2(intake.ok(), qPrintable(intake.errorText));
    QVERIFY(rig.app->client().replyBuffer().contains(QStringLiteral("items_onsale_get_response")));

    // Logged out, a wrong password is submitted once: the platform's message
    // ends the login, and no captcha is provoked by a second try.
    rig.ui.answerQuestion(true);
    login.LoginClick();
    QVERIFY(!login.loggedIn());
    name = QStringLiteral("sandbox_c_2");
    login.LoginClick();
    QTRY_VERIFY_WITH_TIMEOUT(!login.progressShown(), 60000);
    QCOMPARE(login.failure(), ShopLogin::Failure::PasswordRefused);
    QVERIFY(!login.browserPanelInFront());
    QVERIFY(!login.loggedIn());
    QVERIFY(login.sessionKey().isEmpty());
    QCOMPARE(rig.ui.messages().last(), ShopLogin::passwordRefusedText(QStringLiteral("sandbox_c_2")));
    const QString page = readBack(browser.page(), QStringLiteral("document.body.innerText"));
    QVERIFY(page.contains(QStringLiteral("您输入的密码和账户名不匹配")));
    QVERIFY(!page.contains(QStringLiteral("为了您的账号安全，请输入验证码")));
}

int main(int argc, char **argv)
{
    // The tests run as root, where Chromium's sandbox cannot start; only the
    // tests and the scripts switch it off, never the program.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LoginWebEngineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "login_webengine_test.moc"
