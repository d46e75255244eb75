#include "sync/ui/UploadLoginCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/PlanCommand.h"
#include "app/UploadCommands.h"
#include "shop/ui/LoginCommand.h"
#include "sync/SyncCycle.h"
#include "sync/SyncPlan.h"
#include "top/ErrorScope.h"
#include "top/TopClient.h"

#include <cstdio>

namespace {

int logIn(Application &app, const QString &account)
{
    switch (LogInForCommand(app, account)) {
    case CommandLogin::LoggedIn:
        return 0;
    case CommandLogin::NeedsPerson:
        std::fputs(QStringLiteral("登录需要人工操作 (验证码、手机校验或授权页面), 请在程序窗口中完成登录.\n")
                       .toUtf8()
                       .constData(),
                   stderr);
        return 3;
    case CommandLogin::TimedOut:
        std::fputs(QStringLiteral("登录超时: 登录页面没有在两分钟内完成.\n").toUtf8().constData(), stderr);
        return 1;
    case CommandLogin::PasswordRefused:
    case CommandLogin::Failed:
        break;
    }
    std::fputs((QStringLiteral("登录失败: ") + account + QLatin1Char('\n')).toUtf8().constData(), stderr);
    return 1;
}

// One cycle of the plan command. The session is kept from cycle to cycle:
// the account logs in before the first cycle that uploads and again only
// when the platform says the session is invalid or has expired (27, 53);
// that cycle is then run once more. A login for every cycle is slow and
// invites the platform's risk checks.
CycleSummary planCycle(Application &app, const QString &account)
{
    static QString loggedIn; // the account whose session the client holds
    const PlanSettings settings = PlanSettings::load(app.settings());
    auto ensureSession = [&](bool again) {
        if (!settings.upload)
            return true;
        if (!again && loggedIn == account && !app.client().sessionKey().isEmpty())
            return true;
        loggedIn.clear();
        if (logIn(app, account) != 0)
            return false;
        loggedIn = account;
        return true;
    };
    if (!ensureSession(false))
        return {false, QStringLiteral("登录失败, 本次没有同步: ") + account};
    SyncSummary s = RunSyncCycle(app, account, std::nullopt, true);
    if (SessionExpired(s.failureCode)) {
        if (!ensureSession(true))
            return {false, QStringLiteral("会话已失效, 重新登录失败, 本次没有同步: ") + account};
        s = RunSyncCycle(app, account, std::nullopt, true);
    }
    QString text = SyncSummaryText(s, s.downloadStep);
    if (!s.failures.isEmpty())
        text += QLatin1Char(' ') + s.failures.join(QLatin1Char(' '));
    for (const QuantityRow &r : s.refused)
        text += QStringLiteral(" 被拒绝: ") + r.title + QStringLiteral(" (ID ") + r.numIid + QStringLiteral(") ") + r.reason;
    CycleSummary summary{s.ok(), text};
    summary.held = s.outcome == SyncSummary::Outcome::Held;
    return summary;
}

} // namespace

void RegisterUploadCommands()
{
    SetPlanCycleRunner(planCycle);
    CommandTable::Command plan{QStringLiteral("plan"), QStringLiteral("plan [--account NAME]"),
                               QStringLiteral("执行同步计划 (无窗口): 每隔 NM 100 分钟 (至少 5 分钟) 同步一次, 每次一行, Ctrl+C 结束"),
                               RunPlan};
    plan.needsWindowSystem = true;
    CommandTable::add(plan);
    CommandTable::Command upload{QStringLiteral("upload-quantity"),
                                 QStringLiteral("upload-quantity [--account NAME] [--dry-run] [--force]"),
                                 QStringLiteral("登录后比较库存 (仅显示有库存差异的宝贝), 上传最新库存数量到目标店铺"),
                                 [](CommandContext &c) { return RunUploadQuantity(c, logIn); }};
    upload.needsWindowSystem = true;
    CommandTable::add(upload);
    CommandTable::Command sync{QStringLiteral("sync"), QStringLiteral("sync [--account NAME] [--dry-run] [--force] [--json]"),
                               QStringLiteral("执行一次同步: 下载源宝贝库存, 比较, 上传最新库存 (按同步计划的设置)"),
                               [](CommandContext &c) { return RunSync(c, logIn); }};
    sync.needsWindowSystem = true;
    CommandTable::add(sync);
}
