#include "shop/ui/LoginCommand.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/WebEngineBrowser.h"
#include "top/TopClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <cstdio>

namespace {

void say(FILE *to, const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fputs((flat + QLatin1Char('\n')).toUtf8().constData(), to);
    std::fflush(to);
}

} // namespace

int RunLogin(CommandContext &ctx)
{
    if (ctx.arguments.size() != 1) {
        ctx.ui.error(QStringLiteral("用法: login NAME (店铺帐号的淘宝会员名)"));
        return 2;
    }
    const QString name = ctx.arguments.first().trimmed();
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    ShopAccount account;
    if (!app->shopAccounts().find(name, &account)) {
        ctx.ui.error(QStringLiteral("没有这个店铺帐号: ") + name +
                     QStringLiteral("\r\n请先用 \"accounts add\" 或在\"店铺帐号管理\"中添加."));
        return 1;
    }
    app->selectAccount(name, true);

    QWebEngineProfile *profile = WebEngineBrowser::newProfile(app.get());
    WebEngineBrowser frame(profile), browser(profile);
    ShopLogin login(ctx.ui, frame, browser, LoginHosts::from(app->endpoints(), app->appKey().key));
    Application &root = *app;
    login.setAccountSource([&root, name] {
        ShopAccount a;
        if (!root.shopAccounts().find(name, &a))
            return LoginAccount{name, std::nullopt};
        const ShopAccounts::Password p = root.shopAccounts().password(a.userName, a.stored);
        if (!p.ok)
            root.ui().warn(p.error);
        return LoginAccount{name, p.ok ? std::optional<QString>(p.text) : std::nullopt};
    });
    QObject::connect(&login, &ShopLogin::sessionKeyChanged, &login,
                     [&root](const QString &key) { root.client().setSessionKey(key); });

    // The login ends logged in, with a page that needs a person in front, or
    // with its panel gone and neither (the message has been shown).
    QEventLoop loop;
    int code = -1;
    QTimer watch;
    QElapsedTimer waited;
    waited.start();
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (login.loggedIn())
            code = 0;
        else if (!login.progressShown() && login.browserPanelInFront())
            code = 3;
        else if (!login.progressShown())
            code = 1;
        else if (waited.elapsed() > Intervals::ms(120000))
            code = 4;
        if (code >= 0)
            loop.quit();
    });
    login.LoginClick();
    watch.start(100);
    if (login.progressShown() || login.loggedIn())
        loop.exec();
    else
        code = login.browserPanelInFront() ? 3 : 1;
    watch.stop();

    switch (code) {
    case 0:
        say(stdout, login.progressCaption());
        return 0;
    case 3:
        say(stderr, QStringLiteral("登录需要人工操作 (验证码、手机校验或授权页面), 请在程序窗口中完成登录."));
        return 3;
    case 4:
        say(stderr, QStringLiteral("登录超时: 登录页面没有在两分钟内完成."));
        return 1;
    default:
        return 1;
    }
}

void RegisterWindowCommands()
{
    CommandTable::Command login{QStringLiteral("login"), QStringLiteral("login NAME"),
                                QStringLiteral("用保存的密码登录店铺帐号 NAME (在不显示的浏览器中)"), RunLogin};
    login.needsWindowSystem = true;
    CommandTable::add(login);
}
