#include "app/JobCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"
#include "target/TargetDownload.h"

#include <QEventLoop>
#include <cstdio>

namespace {

void say(const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fputs(flat.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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
    return outcome == SourceDownloadJob::Outcome::Completed ? 0 : 1;
}

int RunDownloadTarget(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: download-target [--account NAME] [--no-outer-id]");
    QString account;
    bool accountGiven = false;
    bool noOuterId = false;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &a = ctx.arguments.at(i);
        if (a == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            account = ctx.arguments.at(++i);
            accountGiven = true;
        } else if (a == QStringLiteral("--no-outer-id")) {
            noOuterId = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    if (!accountGiven)
        account = app->settings().text(Setting::CurrentAccount);
    followOnTerminal(app->jobs());
    TargetDownloadJob &job = app->targetDownload();
    job.setAccount(account);
    job.setNoOuterId(noOuterId);
    QEventLoop loop;
    TargetDownloadJob::Outcome outcome = TargetDownloadJob::Outcome::NothingToDo;
    QObject::connect(&job, &TargetDownloadJob::ended, &loop, [&](TargetDownloadJob::Outcome o) {
        outcome = o;
        loop.quit();
    });
    if (!job.N62Click())
        return 1;
    loop.exec();
    return outcome == TargetDownloadJob::Outcome::Completed ? 0 : 1;
}
