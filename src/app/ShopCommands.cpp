#include "app/ShopCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"
#include "app/WaitForJob.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/ShopJobs.h"

namespace {

// --account NAME and the command's own options; an error text when they are wrong.
struct Arguments
{
    QString account;
    bool accountGiven = false;
    QHash<QString, QString> options;
};

QString parse(const QStringList &args, const QStringList &allowed, Arguments &a)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &name = args.at(i);
        if (name != QStringLiteral("--account") && !allowed.contains(name))
            return QStringLiteral("未知的参数: ") + name;
        if (i + 1 >= args.size())
            return name + QStringLiteral(" 需要一个值");
        const QString value = args.at(++i);
        if (name == QStringLiteral("--account")) {
            a.account = value;
            a.accountGiven = true;
        } else {
            a.options.insert(name, value);
        }
    }
    return {};
}

bool differentPrices(const QString &a, const QString &b)
{
    bool okA = false, okB = false;
    const double x = TrimText(a).toDouble(&okA), y = TrimText(b).toDouble(&okB);
    if (okA && okB)
        return qAbs(x - y) >= 0.005;
    return TrimText(a) != TrimText(b);
}

enum class Job { Price, Delist, List };

int runTargetJob(CommandContext &ctx, const CommandLoginStep &login, Job kind)
{
    const QString usage = kind == Job::Price ? QStringLiteral("用法: upload-price [--account NAME] [--base source|price] [--force]")
                          : kind == Job::Delist ? QStringLiteral("用法: delist [--account NAME]")
                                                : QStringLiteral("用法: list [--account NAME]");
    Arguments args;
    QStringList arguments = ctx.arguments;
    // --force: the price guardrail does not hold the run
    const bool force = kind == Job::Price && arguments.removeAll(QStringLiteral("--force")) > 0;
    QString error = parse(arguments, kind == Job::Price ? QStringList{QStringLiteral("--base")} : QStringList{}, args);
    const QString base = args.options.value(QStringLiteral("--base"), QStringLiteral("source"));
    if (error.isEmpty() && base != QStringLiteral("source") && base != QStringLiteral("price"))
        error = QStringLiteral("无效的 --base: ") + base;
    if (!error.isEmpty()) {
        ctx.ui.error(error + QStringLiteral("\n") + usage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    const QString account = args.accountGiven ? args.account : app->settings().text(Setting::CurrentAccount);
    if (TrimText(account).isEmpty()) {
        ctx.ui.error(QStringLiteral("请选择登录帐号: --account NAME"));
        return 2;
    }
    if (const int refused = login(*app, account, kind == Job::Price))
        return refused;

    DifferenceQuery &query = app->differenceQuery();
    DifferenceOptions &o = query.options();
    o = DifferenceQuery::storedOptions(app->settings());
    o.account = account;
    o.storeUniqueOnly = false;
    o.view = kind == Job::Delist ? ViewFilter::SourceOff
             : kind == Job::List ? ViewFilter::SourceOn
             : base == QStringLiteral("price") ? ViewFilter::PriceList
                                               : ViewFilter::All;
    switch (query.GetData_TB_Object(QString())) {
    case DifferenceQuery::Outcome::Completed:
        break;
    case DifferenceQuery::Outcome::Refused:
        return 2;
    case DifferenceQuery::Outcome::Busy:
    case DifferenceQuery::Outcome::Failed:
        return 1;
    }
    ListModel &model = app->targetModel();
    if (kind == Job::Price) {
        // the rows whose prices differ, as numbers: 100 and 100.00 are the same price
        for (int r = 0; r < model.count(); ++r)
            model.setChecked(r, differentPrices(model.row(r).cells.value(CellPrice),
                                                model.row(r).cells.value(CellSourcePrice)));
    }
    const int ticked = model.checkedCount();
    if (ticked == 0) {
        SayOnStderr(QStringLiteral("没有要处理的宝贝."));
        return 0;
    }

    ShopJobs &jobs = app->shopJobs();
    ShopRowJob &job = kind == Job::Price    ? static_cast<ShopRowJob &>(jobs.price)
                      : kind == Job::Delist ? static_cast<ShopRowJob &>(jobs.delisting)
                                            : static_cast<ShopRowJob &>(jobs.listing);
    int changes = 0;
    PrintCsvRow({QStringLiteral("淘宝会员号"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
                         QStringLiteral("宝贝名称"), QStringLiteral("原值"), QStringLiteral("新值")});
    QObject::connect(&job, &ShopRowJob::changed, &job,
                     [&](const QString &acc, const QString &id, const QString &sku, const QString &title,
                         const QString &before, const QString &after) {
                         ++changes;
                         PrintCsvRow({acc, id, sku, title, before, after});
                     });
    jobs.price.setGuardPolicy(force ? GuardPolicy::Force : GuardPolicy::Hold);
    const auto ended = WaitForJob(job, &ShopRowJob::ended, [&] {
        return kind == Job::Price ? jobs.price._updatepriceClick()
               : kind == Job::Delist ? jobs.delisting.start()
                                     : jobs.listing.start();
    });
    if (!ended) {
        if (kind == Job::Price && jobs.price.held()) {
            SayOnStderr(QStringLiteral("上传保护: 本次没有上传价格 (加 --force 仍然上传)."));
            for (const QString &line : jobs.price.preview().text().split(QStringLiteral("\r\n")))
                SayOnStderr(line);
            return 4;
        }
        return 1;
    }
    const ShopRowJob::Outcome outcome = *ended;
    const QList<ShopRowJob::Refusal> refused = job.refusedRows();
    SayOnStderr(QStringLiteral("完成: ") + QString::number(ticked - model.checkedCount()) + QStringLiteral("/") +
                    QString::number(ticked) + QStringLiteral(" 行, ") + QString::number(changes) +
                    QStringLiteral(" 次更新") +
                    (refused.isEmpty() ? QString()
                                       : QStringLiteral(", 被平台拒绝 ") + QString::number(refused.size()) +
                                             QStringLiteral(" 行")) +
                    QStringLiteral("."));
    if (!refused.isEmpty()) {
        SayOnStderr(QStringLiteral("被平台拒绝的行:"));
        for (const ShopRowJob::Refusal &f : refused)
            SayOnStderr(CsvLine({f.account, f.numIid, f.skuId, f.title, f.reason}));
    }
    if (outcome == ShopRowJob::Outcome::Completed)
        return refused.isEmpty() ? 0 : 1;
    SayOnStderr(QStringLiteral("未完成的行:"));
    for (int r : model.checkedRows()) {
        const ListRow &row = model.row(r);
        SayOnStderr(CsvLine({row.caption, row.cells.value(CellNumIid), row.cells.value(CellSkuId),
                             row.cells.value(CellTitle)}));
    }
    return 1;
}

bool pageValue(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    *value = TrimText(text).toInt(&ok);
    return ok && *value >= low && *value <= high;
}

} // namespace

int RunUploadPrice(CommandContext &ctx, const CommandLoginStep &login)
{
    return runTargetJob(ctx, login, Job::Price);
}

int RunDelist(CommandContext &ctx, const CommandLoginStep &login)
{
    return runTargetJob(ctx, login, Job::Delist);
}

int RunList(CommandContext &ctx, const CommandLoginStep &login)
{
    return runTargetJob(ctx, login, Job::List);
}

int RunWarehouse(CommandContext &ctx, const CommandLoginStep &login)
{
    const QString usage = QStringLiteral("用法: warehouse download [--account NAME] [--q TEXT] [--page N] "
                                         "[--page-size N] | warehouse show [--account NAME]");
    QStringList rest = ctx.arguments;
    const QString sub = rest.isEmpty() ? QString() : rest.takeFirst();
    Arguments args;
    QString error;
    if (sub == QStringLiteral("download"))
        error = parse(rest, {QStringLiteral("--q"), QStringLiteral("--page"), QStringLiteral("--page-size")}, args);
    else if (sub == QStringLiteral("show"))
        error = parse(rest, {}, args);
    else
        error = QStringLiteral("需要 download 或 show");
    int page = 1, pageSize = 200;
    if (error.isEmpty() && !pageValue(args.options.value(QStringLiteral("--page"), QStringLiteral("1")), 1, 101, &page))
        error = QStringLiteral("--page 需要 1 到 101 之间的数字");
    if (error.isEmpty() &&
        !pageValue(args.options.value(QStringLiteral("--page-size"), QStringLiteral("200")), 1, 200, &pageSize))
        error = QStringLiteral("--page-size 需要 1 到 200 之间的数字");
    if (!error.isEmpty()) {
        ctx.ui.error(error + QStringLiteral("\n") + usage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    const QString account = args.accountGiven ? args.account : app->settings().text(Setting::CurrentAccount);
    ShopJobs &jobs = app->shopJobs();
    jobs.warehouse.account = account;
    if (sub == QStringLiteral("download")) {
        if (TrimText(account).isEmpty()) {
            ctx.ui.error(QStringLiteral("请选择登录帐号: --account NAME"));
            return 2;
        }
        if (const int refused = login(*app, account, false))
            return refused;
        const auto outcome = WaitForJob(jobs.warehouseDownload, &ShopRowJob::ended, [&] {
            return jobs.warehouseDownload._inventoryClick(args.options.value(QStringLiteral("--q")), page, pageSize);
        });
        if (outcome != ShopRowJob::Outcome::Completed)
            return 1;
        SayOnStderr(QStringLiteral("已下载仓库中宝贝 ") + QString::number(jobs.warehouseDownload.storedCount()) +
                        QStringLiteral(" 个 (第 ") + QString::number(page) + QStringLiteral(" 页)."));
        return 0;
    }
    if (!jobs.warehouse.reload())
        return 1;
    const ListModel &model = jobs.warehouseModel;
    QStringList header = WarehouseList::headers();
    PrintCsvRow(header);
    for (const ListRow &r : model.rows()) {
        QStringList fields{r.caption};
        for (int c = 0; c <= WhNick; ++c)
            fields << r.cells.value(c);
        PrintCsvRow(fields);
    }
    SayOnStderr(jobs.warehouse.totalsText());
    return 0;
}
