#include "app/CommandLogin.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"
#include "base/Interaction.h"
#include "shop/ShopAccounts.h"

namespace {

CommandLogInFunction &logInFunction()
{
    static CommandLogInFunction f;
    return f;
}

} // namespace

void SetCommandLogIn(CommandLogInFunction login)
{
    logInFunction() = std::move(login);
}

bool HasCommandLogIn()
{
    return static_cast<bool>(logInFunction());
}

int LogInForCommandStep(Application &app, const QString &account, bool shortAuthorization)
{
    ShopAccount stored;
    if (!app.shopAccounts().find(account, &stored)) {
        app.ui().error(QStringLiteral("没有这个店铺帐号: ") + account +
                       QStringLiteral("\r\n请先用 \"accounts add\" 或在\"店铺帐号管理\"中添加."));
        return 1;
    }
    if (!HasCommandLogIn()) {
        app.ui().error(QStringLiteral("此命令需要登录, 在这里不能登录."));
        return 1;
    }
    switch (logInFunction()(app, account, shortAuthorization)) {
    case CommandLogin::LoggedIn:
        return 0;
    case CommandLogin::NeedsPerson:
        app.ui().error(QStringLiteral("登录需要人工操作 (验证码、手机校验或授权页面), 请在程序窗口中完成登录."));
        return 3;
    case CommandLogin::TimedOut:
        app.ui().error(QStringLiteral("登录超时: 登录页面没有在两分钟内完成."));
        return 1;
    case CommandLogin::PasswordRefused:
        // the login has said so, naming the account
        return 1;
    case CommandLogin::Failed:
        break;
    }
    app.ui().error(shortAuthorization ? QStringLiteral("获取短授权失败: 没有更改价格的权限.")
                                      : QStringLiteral("登录失败: ") + account);
    return 1;
}

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
    if (const int code = LogInForCommandStep(*app, name))
        return code;
    SayOnStderr(QStringLiteral("登录成功.(") + name + QLatin1Char(')'));
    return 0;
}
