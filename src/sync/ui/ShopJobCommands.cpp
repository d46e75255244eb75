#include "sync/ui/ShopJobCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/ShopCommands.h"
#include "app/RevertLogin.h"
#include "base/Interaction.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/LoginCommand.h"

namespace {

int logIn(Application &app, const QString &account, bool shortAuthorization)
{
    ShopAccount stored;
    if (!app.shopAccounts().find(account, &stored)) {
        app.ui().error(QStringLiteral("没有这个店铺帐号: ") + account +
                       QStringLiteral("\r\n请先用 \"accounts add\" 或在\"店铺帐号管理\"中添加."));
        return 1;
    }
    switch (LogInForCommand(app, account, shortAuthorization)) {
    case CommandLogin::LoggedIn:
        return 0;
    case CommandLogin::NeedsPerson:
        app.ui().error(QStringLiteral("登录需要人工操作 (验证码、手机校验或授权页面), 请在程序窗口中完成登录."));
        return 3;
    case CommandLogin::TimedOut:
        app.ui().error(QStringLiteral("登录超时: 登录页面没有在两分钟内完成."));
        return 1;
    case CommandLogin::PasswordRefused:
    case CommandLogin::Failed:
        break;
    }
    if (shortAuthorization)
        app.ui().error(QStringLiteral("获取短授权失败: 没有更改价格的权限."));
    return 1;
}

void add(const QString &name, const QString &usage, const QString &summary,
         int (*run)(CommandContext &, const CommandLoginStep &))
{
    CommandTable::Command c{name, usage, summary, [run](CommandContext &ctx) { return run(ctx, logIn); }};
    c.needsWindowSystem = true;
    CommandTable::add(c);
}

} // namespace

void RegisterShopJobCommands()
{
    SetRevertLoginStep(logIn);
    add(QStringLiteral("upload-price"), QStringLiteral("upload-price [--account NAME] [--base source|price] [--force]"),
        QStringLiteral("登录 (含短授权) 后上传更新商品价格: 价格与源 (或价格列表) 不同的行"), RunUploadPrice);
    add(QStringLiteral("delist"), QStringLiteral("delist [--account NAME]"),
        QStringLiteral("登录后执行商品下架: \"源已下架的宝贝\"中勾选的行"), RunDelist);
    add(QStringLiteral("list"), QStringLiteral("list [--account NAME]"),
        QStringLiteral("登录后执行商品上架: \"源未下架目标已下架的宝贝\"中勾选的行"), RunList);
    add(QStringLiteral("warehouse"),
        QStringLiteral("warehouse download [--account NAME] [--q TEXT] [--page N] [--page-size N] | show [--account NAME]"),
        QStringLiteral("下载一页仓库中宝贝列表 (先登录), 或以 CSV 输出已下载的仓库列表"), RunWarehouse);
}
