#include "lists/ui/ListsCommand.h"

#include "app/ListsCommand.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "lists/ItemListEditor.h"
#include "lists/OnSaleImport.h"
#include "shop/ShopAccounts.h"
#include "store/Settings.h"
#include "shop/ui/LoginCommand.h"

#include <QEventLoop>
#include <cstdio>

namespace {

const QString kUsage = QStringLiteral("用法: lists show --source|--target [--group NAME]\n"
                                      "      lists import-onsale [--account NAME] --group NAME\n"
                                      "      lists add-links --source|--target [--group NAME] < 链接文件");

void say(FILE *to, const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fputs((flat + QLatin1Char('\n')).toUtf8().constData(), to);
    std::fflush(to);
}

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
    std::fwrite(csv.constData(), 1, static_cast<size_t>(csv.size()), stdout);
    std::fflush(stdout);
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
    switch (LogInForCommand(*app, account)) {
    case CommandLogin::LoggedIn:
        break;
    case CommandLogin::NeedsPerson:
        say(stderr, QStringLiteral("登录需要人工操作 (验证码、手机校验或授权页面), 请在程序窗口中完成登录."));
        return 3;
    case CommandLogin::TimedOut:
        say(stderr, QStringLiteral("登录超时: 登录页面没有在两分钟内完成."));
        return 1;
    case CommandLogin::PasswordRefused:
    case CommandLogin::Failed:
        return 1;
    }
    ProgressPanelState panel;
    QObject::connect(&panel, &ProgressPanelState::captionSet, &panel, [](const QString &c) { say(stderr, c); });
    QObject::connect(&app->jobs(), &JobHost::debugAdded, &panel, [](const QString &t) { say(stderr, t); });
    OnSaleImportJob job(app->jobs(), app->client(), app->db(), panel,
                        [hosts = app->endpoints()](const QString &id) { return hosts.itemPageOf(id); });
    QEventLoop loop;
    OnSaleImportJob::Outcome outcome = OnSaleImportJob::Outcome::Cancelled;
    QObject::connect(&job, &OnSaleImportJob::ended, &loop, [&](OnSaleImportJob::Outcome o) {
        outcome = o;
        loop.quit();
    });
    if (!job.start(groupId, account))
        return 1;
    if (job.running())
        loop.exec();
    return outcome == OnSaleImportJob::Outcome::Completed ? 0 : 1;
}

} // namespace

int RunListsCommand(CommandContext &ctx)
{
    QStringList args = ctx.arguments;
    const QString sub = args.isEmpty() ? QString() : args.takeFirst();
    if (sub == QStringLiteral("show"))
        return show(ctx, args);
    if (sub == QStringLiteral("import-onsale"))
        return importOnSale(ctx, args);
    if (sub == QStringLiteral("add-links"))
        return RunLists(ctx);
    ctx.ui.error(kUsage);
    return 2;
}

void RegisterListsCommands()
{
    CommandTable::Command lists{QStringLiteral("lists"),
                                QStringLiteral("lists show --source|--target [--group NAME] | lists import-onsale "
                                               "[--account NAME] --group NAME | lists add-links --source|--target [--group NAME]"),
                                QStringLiteral("显示下载源宝贝列表 (CSV); 或登录后下载当前店铺销售中列表到目标店铺下载源的组"),
                                RunListsCommand};
    lists.needsWindowSystem = true;
    CommandTable::add(lists);
}
