#include "app/JobCommands.h"

#include "app/BuiltinAppKey.h"
#include "app/CommandLine.h"
#include "app/Interaction.h"
#include "app/MainWindowState.h"
#include "app/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/DataModule.h"
#include "top/Endpoints.h"
#include "top/TopClient.h"

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

// The window's state for a job: key pair, hosts, the panels on the terminal.
struct HeadlessJobs
{
    explicit HeadlessJobs(CommandContext &ctx) : data(ctx.ui, ctx.dataDir), host(ctx.ui) {}

    bool open()
    {
        if (!data.DataModuleCreate())
            return false;
        const AppKeyChoice key = ChooseAppKey(data.ADOConn(), BuiltinAppKey(), BuiltinAppSecret());
        client.setAppKey(key.key, key.secret);
        client.setEndpoints(TopEndpoints::load(data.ADOConn()));
        for (ProgressPanelState *panel : {&host.panel1(), &host.panel2()}) {
            QObject::connect(panel, &ProgressPanelState::captionSet, panel, [](const QString &c) { say(c); });
            QObject::connect(panel, &ProgressPanelState::changed, panel, [panel, this]() {
                if (panel->retryShown() && panel->retryText() != lastRetry)
                    say(lastRetry = panel->retryText());
            });
        }
        QObject::connect(&host, &JobHost::debugAdded, &host, [](const QString &text) {
            std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), stderr);
        });
        return true;
    }

    TADOMain data;
    JobHost host;
    TopClient client;
    QString lastRetry;
};

} // namespace

int RunDownloadSource(CommandContext &ctx)
{
    HeadlessJobs jobs(ctx);
    if (!jobs.open())
        return 1;
    jobs.host.setPlanRunning(false);
    SourceDownloadJob job(jobs.host, jobs.client, jobs.data.ADOConn());
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
