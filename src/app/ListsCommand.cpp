#include "app/ListsCommand.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandLogin.h"
#include "app/CommandOutput.h"
#include "app/ListLinksCommand.h"
#include "app/WaitForJob.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "lists/ItemListEditor.h"
#include "lists/OnSaleImport.h"
#include "shop/ShopAccounts.h"
#include "store/Settings.h"

namespace {

const QString kUsage = QStringLiteral("用法: lists show --source|--target [--group NAME]\n"
                                      "      lists import-onsale [--account NAME] --group NAME\n"
                                      "      lists add-links --source|--target [--group NAME] < 链接文件");

int show(CommandContext &ctx, const QStringList &args)
{
    int mode = -1;
    QString group;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--source") && mode < 0)
            mode = 0;
        else if (a == QStringLiteral("--target") && mode < 0)
            mode = 1;
        else if (a == QStringLiteral("--group") && i + 1 < args.size() && group.isNull())
            group = args.at(++i);
        else
            mode = -2;
    }
    if (mode < 0) {
        ctx.ui.error(kUsage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    QByteArray csv;
    QString error;
    if (!ItemListCsv(app->db(), mode, group, &csv, &error)) {
        ctx.ui.error(error);
        return 1;
    }
    PrintCsv(csv);
    return 0;
}

int importOnSale(CommandContext &ctx, const QStringList &args)
{
    QString account, group;
    bool bad = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QStringLiteral("--account") && i + 1 < args.size())
            account = args.at(++i);
        else if (a == QStringLiteral("--group") && i + 1 < args.size())
            group = args.at(++i);
        else
            bad = true;
    }
    if (bad || TrimText(group).isEmpty()) {
        ctx.ui.error(kUsage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    // without --account: the account last selected
    if (account.isNull())
        account = app->settings().text(Setting::CurrentAccount);
    account = TrimText(account);
    if (account.isEmpty()) {
        ctx.ui.error(QStringLiteral("没有选择店铺帐号: 请用 --account NAME 指定.\n") + kUsage);
        return 2;
    }
    ShopAccount stored;
    if (!app->shopAccounts().find(account, &stored)) {
        ctx.ui.error(QStringLiteral("没有这个店铺帐号: ") + account);
        return 1;
    }
    const int groupId = ItemGroupId(app->db(), 1, group);
    if (groupId == 0) {
        ctx.ui.error(QStringLiteral("目标店铺下载源没有这个组: ") + group);
        return 1;
    }
    if (const int code = LogInForCommandStep(*app, account))
        return code;
    ProgressPanelState panel;
    QObject::connect(&panel, &ProgressPanelState::captionSet, &panel, [](const QString &c) { SayOnStderr(c); });
    QObject::connect(&app->jobs(), &JobHost::debugAdded, &panel, [](const QString &t) { SayOnStderr(t); });
    OnSaleImportJob job(app->jobs(), app->client(), app->db(), panel,
                        [hosts = app->endpoints()](const QString &id) { return hosts.itemPageOf(id); });
    const auto outcome = WaitForJob(job, &OnSaleImportJob::ended, [&] { return job.start(groupId, account); });
    return outcome == OnSaleImportJob::Outcome::Completed ? 0 : 1;
}

} // namespace

int RunLists(CommandContext &ctx)
{
    QStringList args = ctx.arguments;
    const QString sub = args.isEmpty() ? QString() : args.takeFirst();
    if (sub == QStringLiteral("show"))
        return show(ctx, args);
    if (sub == QStringLiteral("import-onsale"))
        return importOnSale(ctx, args);
    if (sub == QStringLiteral("add-links"))
        return RunListsAddLinks(ctx, args);
    ctx.ui.error(kUsage);
    return 2;
}

