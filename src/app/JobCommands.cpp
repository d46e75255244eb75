#include "app/JobCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"
#include "app/WaitForJob.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"
#include "shop/ShopAccounts.h"
#include "target/TargetBySource.h"
#include "target/TargetDownload.h"



int RunDownloadSource(CommandContext &ctx)
{
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    FollowJobsOnTerminal(app->jobs());
    SourceDownloadJob &job = app->sourceDownload();
    const auto outcome = WaitForJob(job, &SourceDownloadJob::ended, [&] { return job.FromDownloadClick(); });
    // ids the platform refused: the rest came, but the run is not a full success
    return outcome == SourceDownloadJob::Outcome::Completed && job.refusedIds().isEmpty() ? 0 : 1;
}

int RunDownloadTarget(CommandContext &ctx, const CommandLogIn &logIn)
{
    const QString usage =
        QStringLiteral("用法: download-target [--account NAME] [--by-source] [--no-outer-id] [--login]");
    QString account;
    bool accountGiven = false;
    bool noOuterId = false;
    bool bySource = false;
    bool login = false;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &a = ctx.arguments.at(i);
        if (a == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            account = ctx.arguments.at(++i);
            accountGiven = true;
        } else if (a == QStringLiteral("--no-outer-id")) {
            noOuterId = true;
        } else if (a == QStringLiteral("--by-source")) {
            bySource = true;
        } else if (a == QStringLiteral("--login")) {
            login = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    if (bySource && noOuterId) {
        ctx.ui.error(QStringLiteral("--no-outer-id 只用于使用目标店铺配置下载.\n") + usage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    if (!accountGiven)
        account = app->settings().text(Setting::CurrentAccount);
    if (account.trimmed().isEmpty()) {
        ctx.ui.error(QStringLiteral("请选择登录帐号. (--account NAME)"));
        return 1;
    }
    // by source configuration the shop is asked with its session: a login first
    ShopAccount stored;
    const bool hasPassword = app->shopAccounts().find(account.trimmed(), &stored) && !stored.stored.isEmpty();
    const bool logInFirst = bySource || (login && hasPassword);
    if (bySource) {
        // refused before the login rather than after it
        app->targetBySource().setAccount(account);
        if (!app->targetBySource().mayStart())
            return 1;
    }
    if (logInFirst) {
        if (!logIn) {
            ctx.ui.error(QStringLiteral("此命令需要登录, 在这里不能登录."));
            return 1;
        }
        if (const int code = logIn(*app, account); code != 0)
            return code;
    }
    FollowJobsOnTerminal(app->jobs());
    if (bySource) {
        TargetBySourceJob &job = app->targetBySource();
        job.setAccount(account);
        const auto outcome = WaitForJob(job, &TargetBySourceJob::ended, [&] { return job.DownloadClick(); });
        return outcome == TargetBySourceJob::Outcome::Completed ? 0 : 1;
    }
    TargetDownloadJob &job = app->targetDownload();
    job.setAccount(account);
    job.setNoOuterId(noOuterId);
    const auto outcome = WaitForJob(job, &TargetDownloadJob::ended, [&] { return job.N62Click(); });
    // ids the platform refused: the rest came, but the run is not a full success
    return outcome == TargetDownloadJob::Outcome::Completed && job.refusedIds().isEmpty() ? 0 : 1;
}
