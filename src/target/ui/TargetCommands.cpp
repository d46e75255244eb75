#include "target/ui/TargetCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/JobCommands.h"
#include "app/TargetCommands.h"
#include "base/Interaction.h"
#include "shop/ui/LoginCommand.h"

namespace {

int logIn(Application &app, const QString &account)
{
    switch (LogInForCommand(app, account.trimmed())) {
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
    return 1;
}

} // namespace

void RegisterTargetCommands()
{
    CommandTable::Command download{
        QStringLiteral("download-target"),
        QStringLiteral("download-target [--account NAME] [--by-source] [--no-outer-id] [--login]"),
        QStringLiteral("下载目标店铺宝贝列表到 TB_Object: 使用目标店铺配置 (目标下载源中已勾选的宝贝), "
                       "或 --by-source 使用源店铺配置 (先登录); 帐号默认为上次选择的帐号"),
        [](CommandContext &ctx) { return RunDownloadTarget(ctx, logIn); }};
    download.needsWindowSystem = true;
    CommandTable::add(download);
    CommandTable::add({QStringLiteral("targets"), QStringLiteral("targets show [--account NAME] [--keyword K]"),
                       QStringLiteral("以 CSV 输出帐号已下载的目标店铺宝贝 (TB_Object)"), RunTargetsShow});
}
