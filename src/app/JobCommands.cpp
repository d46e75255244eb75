#include "app/JobCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"
#include "shop/ShopAccounts.h"
#include "target/TargetBySource.h"
#include "target/TargetDownload.h"

#include <QEventLoop>
#include <cstdio>

namespace {

void say(const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fputs(flat.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The panels' captions and retry countdowns on the terminal, the debug
// memo's lines on standard error.
void followOnTerminal(JobHost &host)
{
    auto lastRetry = std::make_shared<QString>();
    for (ProgressPanelState *panel : {&host.panel1(), &host.panel2()}) {
        QObject::connect(panel, &ProgressPanelState::captionSet, panel, [](const QString &c) { say(c); });
        QObject::connect(panel, &ProgressPanelState::changed, panel, [panel, lastRetry]() {
            if (panel->retryShown() && panel->retryText() != *lastRetry)
                say(*lastRetry = panel->retryText());
        });
    }
    QObject::connect(&host, &JobHost::debugAdded, &host, [](const QString &text) {
        std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
    });
}

} // namespace

int RunDownloadSource(CommandContext &ctx)
{
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    followOnTerminal(app->jobs());
    SourceDownloadJob &job = app->sourceDownload();
    QEventLoop loop;
    SourceDownloadJob::Outcome outcome = SourceDownloadJob::Outcome::NothingToDo;
    QObject::connect(&job, &SourceDownloadJob::ended, &loop, [&](SourceDownloadJob::Outcome o) {
        outcome = o;
        loop.quit();
    });
    if (!job.FromDownloadClick())
        return 1;
    loop.exec();
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
    followOnTerminal(app->jobs());
    QEventLoop loop;
    bool completed = false;
    if (bySource) {
        TargetBySourceJob &job = app->targetBySource();
        job.setAccount(account);
        QObject::connect(&job, &TargetBySourceJob::ended, &loop, [&](TargetBySourceJob::Outcome o) {
            completed = o == TargetBySourceJob::Outcome::Completed;
            loop.quit();
        });
        if (!job.DownloadClick())
            return 1;
    } else {
        TargetDownloadJob &job = app->targetDownload();
        job.setAccount(account);
        job.setNoOuterId(noOuterId);
        QObject::connect(&job, &TargetDownloadJob::ended, &loop, [&](TargetDownloadJob::Outcome o) {
            // ids the platform refused: the rest came, but the run is not a full success
            completed = o == TargetDownloadJob::Outcome::Completed && job.refusedIds().isEmpty();
            loop.quit();
        });
        if (!job.N62Click())
            return 1;
    }
    loop.exec();
    return completed ? 0 : 1;
}
