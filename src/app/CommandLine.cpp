#include "app/CommandLine.h"

#include "app/AccountCommands.h"
#include "app/Application.h"
#include "app/CommandLogin.h"
#include "app/CommandOutput.h"
#include "app/DiffCommand.h"
#include "app/JobCommands.h"
#include "app/ListCommands.h"
#include "app/ListsCommand.h"
#include "app/PlanCommand.h"
#include "app/ShopCommands.h"
#include "app/TargetCommands.h"
#include "app/UploadCommands.h"
#include "app/WaitForJob.h"
#include "base/CsvWriter.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "jobs/PlatformCallJob.h"
#include "lists/ItemLists.h"
#include "store/DataModule.h"
#include "top/Endpoints.h"
#include "top/ItemSkus.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>

CommandLineRequest ParseCommandLine(const QStringList &arguments)
{
    CommandLineRequest r;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (!r.command.isEmpty()) {
            r.arguments.append(a);
        } else if (a == QStringLiteral("--data-dir")) {
            if (i + 1 >= arguments.size()) {
                r.error = QStringLiteral("--data-dir 需要一个文件夹");
                return r;
            }
            r.dataDir = arguments.at(++i);
            r.dataDirGiven = true;
        } else if (a.startsWith(QStringLiteral("--data-dir="))) {
            r.dataDir = a.mid(11);
            r.dataDirGiven = true;
        } else if (a == QStringLiteral("--verbose")) {
            r.verbose = true;
        } else if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            r.help = true;
        } else if (a.startsWith(QLatin1Char('-'))) {
            // options of the window toolkit (-platform, -style, ...) pass through
            if (a == QStringLiteral("-platform") || a == QStringLiteral("-style") || a == QStringLiteral("-display"))
                ++i;
        } else {
            r.command = a;
        }
    }
    if (r.dataDirGiven && r.dataDir.trimmed().isEmpty())
        r.error = QStringLiteral("--data-dir 不能为空: 请写出数据文件夹 (其中有 TBData 文件夹)");
    return r;
}

QString CheckDataDir(const CommandLineRequest &request)
{
    if (!request.dataDirGiven || request.command.isEmpty() || request.command == QStringLiteral("init-db"))
        return {};
    const QString shown = QDir::toNativeSeparators(request.dataDir);
    const QFileInfo folder(request.dataDir);
    if (!folder.exists())
        return QStringLiteral("数据文件夹不存在: ") + shown +
               QStringLiteral("\n请检查 --data-dir 的拼写; 新的数据文件夹请先用 init-db 创建.");
    if (!folder.isDir())
        return QStringLiteral("--data-dir 应是一个文件夹: ") + shown;
    if (!QFileInfo(QDir(request.dataDir).filePath(QStringLiteral("TBData"))).isDir())
        return QStringLiteral("这不是本程序的数据文件夹 (其中没有 TBData 文件夹): ") + shown +
               QStringLiteral("\n请检查 --data-dir 的拼写; 新的数据文件夹请先用 init-db 创建.");
    return {};
}

bool IsReadOnlyCommand(const QString &command, const QStringList &arguments)
{
    static const QStringList alwaysReading{QStringLiteral("diff"), QStringLiteral("journal"),
                                           QStringLiteral("report"), QStringLiteral("sku-get")};
    // commands whose "show" only lists
    static const QStringList showing{QStringLiteral("targets"), QStringLiteral("lists"),
                                     QStringLiteral("prices"), QStringLiteral("stock"),
                                     QStringLiteral("warehouse")};
    // journal settle and journal revert change the journal (and the shop)
    if (command == QStringLiteral("journal") &&
        (arguments.value(0) == QStringLiteral("settle") ||
         (arguments.value(0) == QStringLiteral("revert") && !arguments.contains(QStringLiteral("--dry-run")))))
        return false;
    if (alwaysReading.contains(command))
        return true;
    return showing.contains(command) && !arguments.isEmpty() && arguments.first() == QStringLiteral("show");
}

std::unique_ptr<Application> OpenApplication(CommandContext &ctx)
{
    // nothing on the command line opens pages or uses the clipboard
    static RecordingDesktop desktop;
    auto app = std::make_unique<Application>(ctx.ui, desktop, ctx.dataDir);
    if (!app->open(ctx.readOnly ? Application::Access::Reader : Application::Access::Holder))
        return nullptr;
    return app;
}

namespace {

int initDatabase(CommandContext &ctx)
{
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    ctx.ui.message(Interaction::tipCaption(), QStringLiteral("数据库已就绪: ") + app->databasePath(),
                   Interaction::Icon::Information);
    return 0;
}

int addItems(CommandContext &ctx)
{
    QStringList args = ctx.arguments;
    ItemLists::Tag tag = ItemLists::SourceList;
    if (!args.isEmpty() && args.first() == QStringLiteral("--source")) {
        args.removeFirst();
    } else if (!args.isEmpty() && args.first() == QStringLiteral("--target")) {
        tag = ItemLists::TargetList;
        args.removeFirst();
    }
    if (args.isEmpty()) {
        ctx.ui.error(QStringLiteral("用法: add-items --source ID... (或 --target ID...)"));
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    QString error;
    const int added = ItemLists(app->db()).addItems(tag, args, &error);
    if (added < 0) {
        ctx.ui.error(error);
        return 1;
    }
    ctx.ui.info(QStringLiteral("已添加 ") + QString::number(added) + QStringLiteral(" 个宝贝到") +
                (tag == ItemLists::SourceList ? QStringLiteral("源") : QStringLiteral("目标")) +
                QStringLiteral("下载源 (默认组)"));
    return 0;
}

int useSandbox(CommandContext &ctx)
{
    if (ctx.arguments.size() != 1) {
        ctx.ui.error(QStringLiteral("用法: use-sandbox BASE_URL (例如 http://127.0.0.1:8765) 或 use-sandbox off"));
        return 2;
    }
    QString base = ctx.arguments.first();
    const bool off = base == QStringLiteral("off");
    if (!off) {
        while (base.endsWith(QLatin1Char('/')))
            base.chop(1);
        const QUrl url(base);
        if (!url.isValid() || (url.scheme() != QStringLiteral("http") && url.scheme() != QStringLiteral("https")) ||
            url.host().isEmpty()) {
            ctx.ui.error(QStringLiteral("无效的地址: ") + ctx.arguments.first());
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    const TopEndpoints hosts = off ? TopEndpoints::none() : TopEndpoints::onSandbox(base);
    if (!app->saveEndpoints(hosts)) {
        ctx.ui.error(app->db().lastError().text());
        return 1;
    }
    ctx.ui.info(QStringLiteral("接口地址: ") + app->endpoints().gateway);
    return 0;
}

// sku-get NUM_IID: the item's SKUs (taobao.item.skus.get, no session) as CSV.
int skuGet(CommandContext &ctx)
{
    const QString id = ctx.arguments.size() == 1 ? ItemLists::NormalItemId(ctx.arguments.first()) : QString();
    if (id.isEmpty()) {
        ctx.ui.error(QStringLiteral("用法: sku-get NUM_IID (商品数字ID: 不超过19位的正整数)"));
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    FollowJobsOnTerminal(app->jobs());
    QList<ItemSku> skus;
    PlatformCallJob job(app->jobs(), app->client(), app->jobs().panel1(), QStringLiteral("正在读取宝贝SKU..."),
                        taobao_item_skus_get, [&skus](const QString &reply, const QString &) {
                            QString why;
                            DecodeItemSkus(reply, &skus, &why);
                            return why;
                        });
    if (WaitForJob(job, &PlatformCallJob::ended, [&] { return job.start({id}); }) !=
        PlatformCallJob::Outcome::Completed)
        return 1;
    CsvWriter csv;
    csv.addRow({QStringLiteral("sku_id"), QStringLiteral("properties_name"), QStringLiteral("quantity"),
                QStringLiteral("price"), QStringLiteral("outer_id")});
    for (const ItemSku &s : skus)
        csv.addRow({s.skuId, s.propertiesName, s.quantity, s.price, s.outerId});
    PrintCsv(csv);
    SayOnStderr(QStringLiteral("商品 ") + id + QStringLiteral(" 共 ") + QString::number(skus.size()) +
                QStringLiteral(" 个SKU."));
    return 0;
}

// The login step of the commands that log in first (the login itself is
// handed in by the program, see SetCommandLogIn).
int logIn(Application &app, const QString &account)
{
    return LogInForCommandStep(app, account.trimmed());
}

int logInShop(Application &app, const QString &account, bool shortAuthorization)
{
    return LogInForCommandStep(app, account, shortAuthorization);
}

// A command that logs in first runs on the window system (its browsers).
CommandTable::Command loggingIn(CommandTable::Command c)
{
    c.needsWindowSystem = true;
    return c;
}

QList<CommandTable::Command> buildCommands()
{
    return {
        {QStringLiteral("init-db"), QStringLiteral("init-db"),
         QStringLiteral("创建或升级数据库 TBData/TBData.db, 然后退出"), initDatabase},
        {QStringLiteral("add-items"), QStringLiteral("add-items --source|--target ID..."),
         QStringLiteral("把宝贝数字ID加入源 (或目标) 下载源的默认组, 已勾选"), addItems},
        {QStringLiteral("download-source"), QStringLiteral("download-source"),
         QStringLiteral("下载源宝贝库存数据 (源下载源中已勾选的宝贝) 到 TB_Source"), RunDownloadSource},
        {QStringLiteral("use-sandbox"), QStringLiteral("use-sandbox BASE_URL|off"),
         QStringLiteral("让程序的所有地址都指向 BASE_URL (本机测试服务); off 恢复正式地址"), useSandbox},
        {QStringLiteral("diff"),
         QStringLiteral("diff [--account NAME] [--key 0-8] [--mode full|incremental] [--base source|price|stock] "
                        "[--view all|differ|same|source-off|source-on|price-up|price-down] [--unique] "
                         "[--ignore-key-check] [--keyword K]"),
         QStringLiteral("比较目标店铺宝贝与源 (或价格/库存列表), 以 CSV 输出列表, 合计写到标准错误"), RunDiff},
        {QStringLiteral("accounts"), QStringLiteral("accounts add NAME [--remark TEXT] | list | remove NAME"),
         QStringLiteral("店铺帐号: 添加 (密码从标准输入读一行), 列出 (不含密码), 删除"),
         [](CommandContext &c) { return RunAccounts(c); }},
        {QStringLiteral("import-prices"), QStringLiteral("import-prices FILE [--append]"),
         QStringLiteral("从 CSV 文件导入商品价格列表 (主商家编码,价格); 一行出错则什么都不改"), RunImportPrices},
        {QStringLiteral("import-stock"), QStringLiteral("import-stock FILE [--append]"),
         QStringLiteral("从 CSV 文件导入商品库存列表 (主商家编码,颜色,SKU(尺码),SKU商家编码,货号,数量)"), RunImportStock},
        {QStringLiteral("prices"), QStringLiteral("prices show [--keyword K] [--missing]"),
         QStringLiteral("以 CSV 输出商品价格列表"), RunPrices},
        {QStringLiteral("stock"), QStringLiteral("stock show [--keyword K]"),
         QStringLiteral("以 CSV 输出商品库存列表"), RunStock},
        {QStringLiteral("merge-stock"), QStringLiteral("merge-stock"),
         QStringLiteral("合并商品库存列表的重复行 (数量相加)"), RunMergeStock},
        {QStringLiteral("report"),
         QStringLiteral("report duplicates|stats|unmatched [--account NAME] [--key 0-8] [--stock] [--only-differing] "
                        "[--by-target]"),
         QStringLiteral("以 CSV 输出关联值检查 (duplicates), 源与目标宝贝检查统计 (stats) 或没有配对的关联值 "
                        "(unmatched, 第一列为 目标/源)"),
         RunReport},
        {QStringLiteral("journal"),
         QStringLiteral("journal [--since TIME] [--state sent|done|refused|unsettled] | journal --cycles | "
                        "journal settle ID --applied|--not-applied | "
                        "journal revert --cycle ID|--since TIME [--dry-run] [--force] [--account NAME]"),
         QStringLiteral("上传记录 (每次更改店铺的调用一行, 含状态) 或同步周期 (--cycles) 以 CSV 输出; settle: 确认一条没有确认的上传记录; "
                        "revert: 把一次同步 (或某时间以来) 更改的库存和价格改回更新前的值"),
         RunJournal, true},
        loggingIn({QStringLiteral("login"), QStringLiteral("login NAME"),
                   QStringLiteral("用保存的密码登录店铺帐号 NAME (在不显示的浏览器中)"), RunLogin}),
        loggingIn({QStringLiteral("download-target"),
                   QStringLiteral("download-target [--account NAME] [--by-source] [--no-outer-id] [--login]"),
                   QStringLiteral("下载目标店铺宝贝列表到 TB_Object: 使用目标店铺配置 (目标下载源中已勾选的宝贝), "
                                  "或 --by-source 使用源店铺配置 (先登录); 帐号默认为上次选择的帐号"),
                   [](CommandContext &ctx) { return RunDownloadTarget(ctx, logIn); }}),
        {QStringLiteral("sku-get"), QStringLiteral("sku-get NUM_IID"),
         QStringLiteral("以 CSV 输出宝贝的 SKU (sku_id,properties_name,quantity,price,outer_id), 无需登录"), skuGet},
        {QStringLiteral("targets"), QStringLiteral("targets show [--account NAME] [--keyword K]"),
         QStringLiteral("以 CSV 输出帐号已下载的目标店铺宝贝 (TB_Object)"), RunTargetsShow},
        loggingIn({QStringLiteral("plan"), QStringLiteral("plan [--account NAME]"),
                   QStringLiteral("执行同步计划 (无窗口): 每隔 NM 100 分钟 (至少 5 分钟) 同步一次, 每次一行, Ctrl+C 结束"),
                   RunPlan}),
        loggingIn({QStringLiteral("upload-quantity"), QStringLiteral("upload-quantity [--account NAME] [--dry-run] [--force]"),
                   QStringLiteral("登录后比较库存 (仅显示有库存差异的宝贝), 上传最新库存数量到目标店铺"),
                   [](CommandContext &c) { return RunUploadQuantity(c, logIn); }}),
        loggingIn({QStringLiteral("sync"), QStringLiteral("sync [--account NAME] [--dry-run] [--force] [--json]"),
                   QStringLiteral("执行一次同步: 下载源宝贝库存, 比较, 上传最新库存 (按同步计划的设置)"),
                   [](CommandContext &c) { return RunSync(c, logIn); }}),
        loggingIn({QStringLiteral("upload-price"),
                   QStringLiteral("upload-price [--account NAME] [--base source|price] [--force]"),
                   QStringLiteral("登录 (含短授权) 后上传更新商品价格: 价格与源 (或价格列表) 不同的行"),
                   [](CommandContext &c) { return RunUploadPrice(c, logInShop); }}),
        loggingIn({QStringLiteral("delist"), QStringLiteral("delist [--account NAME]"),
                   QStringLiteral("登录后执行商品下架: \"源已下架的宝贝\"中勾选的行"),
                   [](CommandContext &c) { return RunDelist(c, logInShop); }}),
        loggingIn({QStringLiteral("list"), QStringLiteral("list [--account NAME]"),
                   QStringLiteral("登录后执行商品上架: \"源未下架目标已下架的宝贝\"中勾选的行"),
                   [](CommandContext &c) { return RunList(c, logInShop); }}),
        loggingIn({QStringLiteral("warehouse"),
                   QStringLiteral("warehouse download [--account NAME] [--q TEXT] [--page N] [--page-size N] | show "
                                  "[--account NAME]"),
                   QStringLiteral("下载一页仓库中宝贝列表 (先登录), 或以 CSV 输出已下载的仓库列表"),
                   [](CommandContext &c) { return RunWarehouse(c, logInShop); }}),
        loggingIn({QStringLiteral("lists"),
                   QStringLiteral("lists show --source|--target [--group NAME] | lists import-onsale "
                                  "[--account NAME] --group NAME | lists add-links --source|--target [--group NAME]"),
                   QStringLiteral("显示下载源宝贝列表 (CSV); 或登录后下载当前店铺销售中列表到目标店铺下载源的组"),
                   RunLists}),
    };
}

} // namespace

namespace {
QList<CommandTable::Command> &commandList()
{
    static QList<CommandTable::Command> table = buildCommands();
    return table;
}
} // namespace

const QList<CommandTable::Command> &CommandTable::commands()
{
    return commandList();
}

void CommandTable::add(const Command &command)
{
    if (!find(command.name))
        commandList().append(command);
}

const CommandTable::Command *CommandTable::find(const QString &name)
{
    for (const Command &c : commands())
        if (c.name == name)
            return &c;
    return nullptr;
}

QString CommandTable::helpText()
{
    QString text = QStringLiteral("用法: stocksync [--data-dir DIR] [COMMAND [ARGS...]]\n"
                                  "  不带 COMMAND 时启动程序窗口.\n"
                                  "  --data-dir DIR   数据库放在 DIR/TBData/TBData.db (默认: 程序所在文件夹);\n"
                                  "                   DIR 须已是数据文件夹 (有 TBData), 新文件夹先用 init-db 创建\n"
                                  "  --verbose        内嵌浏览器的诊断信息也写到标准错误\n"
                                  "  只读的命令 (diff, journal, report, sku-get, targets/lists/prices/stock/warehouse show)\n"
                                  "  可在窗口或 plan 运行时同时使用; 其他命令这时会被拒绝.\n\n"
                                  "命令:\n");
    for (const Command &c : commands())
        text += QStringLiteral("  ") + c.usage.leftJustified(28) + QLatin1Char(' ') + c.summary + QLatin1Char('\n');
    return text;
}
