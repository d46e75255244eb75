#include "shop/ui/LoginCommand.h"

#include "app/Application.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/WebEngineBrowser.h"
#include "top/TopClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <functional>
#include <memory>

CommandLogin LogInForCommand(Application &app, const QString &name, bool shortAuthorization)
{
    app.selectAccount(name, true);
    QWebEngineProfile *profile = WebEngineBrowser::newProfile(nullptr);
    std::unique_ptr<QWebEngineProfile> ownProfile(profile);
    CommandLogin result = CommandLogin::Failed;
    {
        WebEngineBrowser frame(profile), browser(profile);
        ShopLogin login(app.ui(), frame, browser, LoginHosts::from(app.endpoints(), app.appKey().key));
        login.setAccountSource([&app, name] {
            ShopAccount a;
            if (!app.shopAccounts().find(name, &a))
                return LoginAccount{name, std::nullopt, QStringLiteral("没有这个店铺帐号: ") + name};
            const ShopAccounts::Password p = app.shopAccounts().password(a.userName, a.stored);
            return LoginAccount{name, p.ok ? std::optional<QString>(p.text) : std::nullopt, p.error};
        });
        login.setBusyCheck([&app] { return app.jobs().busy(); });
        QObject::connect(&login, &ShopLogin::sessionKeyChanged, &login,
                         [&app](const QString &key) { app.client().setSessionKey(key); });

        // The login ends logged in (with the short authorization when asked
        // for), with a page that needs a person in front, or with its panel
        // gone and neither (the message has been shown).
        QEventLoop loop;
        QTimer watch;
        QElapsedTimer waited;
        bool over = false;
        bool grading = false;
        auto check = [&] {
            over = true;
            if (!grading && login.loggedIn())
                result = CommandLogin::LoggedIn;
            else if (login.failure() == ShopLogin::Failure::PasswordRefused)
                result = CommandLogin::PasswordRefused;
            else if (grading && login.updatePriceEnabled())
                result = CommandLogin::LoggedIn;
            else if (!login.progressShown() && login.browserPanelInFront())
                result = CommandLogin::NeedsPerson;
            else if (!login.progressShown())
                result = CommandLogin::Failed;
            else if (waited.elapsed() > Intervals::ms(120000))
                result = CommandLogin::TimedOut;
            else
                over = false;
        };
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            check();
            if (over)
                loop.quit();
        });
        auto run = [&](const std::function<void()> &step) {
            waited.start();
            over = false;
            step();
            check();
            if (!over) {
                watch.start(100);
                loop.exec();
                watch.stop();
            }
        };
        run([&] { login.LoginClick(); });
        if (result == CommandLogin::LoggedIn && shortAuthorization) {
            // "获取短授权": a session that may change prices
            grading = true;
            result = CommandLogin::Failed;
            run([&] { login.UserGradeClick(); });
        }
    }
    return result;
}
