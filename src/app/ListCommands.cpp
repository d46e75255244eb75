#include "app/ListCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DiffCommand.h"
#include "app/CommandOutput.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "reports/StockStatistics.h"
#include "reports/UnmatchedKeys.h"
#include "source/PriceStockLists.h"
#include "store/Settings.h"
#include "sync/MatchingKeys.h"

#include <cstdio>

namespace {

QByteArray csvLine(const QStringList &fields)
{
    return CsvLine(fields).toUtf8() + "\r\n";
}

// header, then caption and shown cells of every row
QByteArray csv(const QStringList &headers, const std::vector<ListRow> &rows, const QString &lead = QString())
{
    QStringList head = headers;
    if (!lead.isNull())
        head.prepend(QStringLiteral("来源"));
    QByteArray out = csvLine(head);
    const int cells = static_cast<int>(headers.size()) - 1;
    for (const ListRow &r : rows) {
        QStringList fields;
        if (!lead.isNull())
            fields << lead;
        fields << r.caption;
        for (int c = 0; c < cells; ++c)
            fields << r.cells.value(c);
        out += csvLine(fields);
    }
    return out;
}

int runImport(CommandContext &ctx, PriceStockLists::Kind kind, const QString &name)
{
    QString file;
    bool append = false;
    for (const QString &a : ctx.arguments) {
        if (a == QStringLiteral("--append"))
            append = true;
        else if (file.isEmpty() && !a.startsWith(QStringLiteral("--")))
            file = a;
        else {
            ctx.ui.error(QStringLiteral("用法: ") + name + QStringLiteral(" FILE [--append]"));
            return 2;
        }
    }
    if (file.isEmpty()) {
        ctx.ui.error(QStringLiteral("用法: ") + name + QStringLiteral(" FILE [--append]"));
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PriceStockLists lists(app->db(), app->jobs(), ctx.ui, app->desktop());
    const PriceStockLists::ImportResult r = lists.importFile(kind, file, append);
    if (!r.ok) {
        ctx.ui.warn(PriceStockLists::importMessage(kind, r));
        return 1;
    }
    ctx.ui.info(PriceStockLists::importMessage(kind, r));
    return 0;
}

int runShow(CommandContext &ctx, PriceStockLists::Kind kind, const QString &name)
{
    QStringList args = ctx.arguments;
    const QString usage = QStringLiteral("用法: ") + name +
                          (kind == PriceStockLists::Price ? QStringLiteral(" show [--keyword K] [--missing]")
                                                          : QStringLiteral(" show [--keyword K]"));
    if (args.isEmpty() || args.takeFirst() != QStringLiteral("show")) {
        ctx.ui.error(usage);
        return 2;
    }
    QString keyword;
    bool missing = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QStringLiteral("--keyword") && i + 1 < args.size()) {
            keyword = args.at(++i);
        } else if (kind == PriceStockLists::Price && args.at(i) == QStringLiteral("--missing")) {
            missing = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PriceStockLists lists(app->db(), app->jobs(), ctx.ui, app->desktop());
    lists.setOnlyMissingFromTarget(missing);
    // the account last selected (the window's account box starts with it)
    const QString account = app->settings().text(Setting::CurrentAccount).trimmed();
    lists.setAccount([account] { return account; });
    std::vector<ListRow> rows;
    QString error;
    // the window trims the price keyword, not the stock keyword
    if (!lists.read(kind, kind == PriceStockLists::Price ? keyword.trimmed() : keyword, rows, &error)) {
        ctx.ui.error(error);
        return 1;
    }
    PrintCsv(csv(PriceStockLists::headers(kind), rows));
    SayOnStderr(QStringLiteral(" 当前显示共 ") + QString::number(rows.size()) + QStringLiteral(" 项"));
    return 0;
}

} // namespace

int RunImportPrices(CommandContext &ctx)
{
    return runImport(ctx, PriceStockLists::Price, QStringLiteral("import-prices"));
}

int RunImportStock(CommandContext &ctx)
{
    return runImport(ctx, PriceStockLists::Stock, QStringLiteral("import-stock"));
}

int RunPrices(CommandContext &ctx)
{
    return runShow(ctx, PriceStockLists::Price, QStringLiteral("prices"));
}

int RunStock(CommandContext &ctx)
{
    return runShow(ctx, PriceStockLists::Stock, QStringLiteral("stock"));
}

int RunMergeStock(CommandContext &ctx)
{
    if (!ctx.arguments.isEmpty()) {
        ctx.ui.error(QStringLiteral("用法: merge-stock"));
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    PriceStockLists lists(app->db(), app->jobs(), ctx.ui, app->desktop());
    int before = 0, after = 0;
    QString error;
    if (!lists.mergeStock(&before, &after, &error)) {
        ctx.ui.error(error);
        return 1;
    }
    ctx.ui.info(QStringLiteral("完成合并重复行,请确认 (") + QString::number(before) + QStringLiteral(" 行 -> ") +
                QString::number(after) + QStringLiteral(" 行)"));
    return 0;
}

int RunReport(CommandContext &ctx)
{
    QStringList args = ctx.arguments;
    const QString usage = QStringLiteral("用法: report duplicates|stats|unmatched [--account NAME] [--key 0-8] "
                                         "(stats: [--stock] [--only-differing] [--by-target]; unmatched: [--stock])");
    const QString which = args.isEmpty() ? QString() : args.takeFirst();
    const bool unmatched = which == QStringLiteral("unmatched");
    if (which != QStringLiteral("duplicates") && which != QStringLiteral("stats") && !unmatched) {
        ctx.ui.error(usage);
        return 2;
    }
    StatisticsOptions o;
    bool hasAccount = false, hasKey = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        bool ok = true;
        if (a == QStringLiteral("--account") && i + 1 < args.size()) {
            o.account = args.at(++i);
            hasAccount = true;
        } else if (a == QStringLiteral("--key") && i + 1 < args.size()) {
            o.matchingKey = args.at(++i).toInt(&ok);
            ok = ok && MatchingKeys::isValid(o.matchingKey);
            hasKey = true;
        } else if ((which == QStringLiteral("stats") || unmatched) && a == QStringLiteral("--stock")) {
            o.stockList = true;
        } else if (which == QStringLiteral("stats") && a == QStringLiteral("--only-differing")) {
            o.onlyDiffering = true;
        } else if (which == QStringLiteral("stats") && a == QStringLiteral("--by-target")) {
            o.byTarget = true;
        } else {
            ok = false;
        }
        if (!ok) {
            ctx.ui.error(usage);
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    if (!hasAccount)
        o.account = app->settings().text(Setting::CurrentAccount).trimmed();
    if (!hasKey) {
        o.matchingKey = app->settings().integer(Setting::MatchingKey);
        if (!MatchingKeys::isValid(o.matchingKey))
            o.matchingKey = 0;
    }
    QString error;
    if (unmatched) {
        // what pairs with nothing: the usual reason a SKU is never synchronised
        UnmatchedOptions u;
        u.matchingKey = o.matchingKey;
        u.accounts = o.account;
        u.stockList = o.stockList;
        u.normalisedKeys = app->settings().flag(Setting::NormalisedKeys);
        std::vector<ListRow> rows;
        if (!UnmatchedKeys(app->db()).run(u, rows, &error)) {
            ctx.ui.error(error);
            return 1;
        }
        PrintCsv(csv(UnmatchedKeys::headers(u.matchingKey), rows));
        int targetKeys = 0;
        for (const ListRow &r : rows)
            targetKeys += r.caption == UnmatchedKeys::targetSide() ? 1 : 0;
        SayOnStderr(QStringLiteral("关联值: ") + MatchingKeys::caption(u.matchingKey) + QStringLiteral("; 目标 ") +
                          QString::number(UnmatchedKeys::rowsOnSide(rows, UnmatchedKeys::targetSide())) +
                          QStringLiteral(" 行 (") + QString::number(targetKeys) + QStringLiteral(" 个关联值), 源 ") +
                          QString::number(UnmatchedKeys::rowsOnSide(rows, UnmatchedKeys::sourceSide())) +
                          QStringLiteral(" 行 (") + QString::number(rows.size() - static_cast<size_t>(targetKeys)) +
                          QStringLiteral(" 个关联值) 没有配对"));
        return 0;
    }
    if (which == QStringLiteral("duplicates")) {
        DuplicateKeys keys(app->db());
        const QStringList headers{QStringLiteral("序号"), DuplicateKeys::codeCaption(o.matchingKey),
                                  QStringLiteral("唯一值"), QStringLiteral("个数")};
        std::vector<ListRow> source, target;
        if (!keys.source(o.matchingKey, source, &error) || !keys.target(o.matchingKey, o.account, target, &error)) {
            ctx.ui.error(error);
            return 1;
        }
        QByteArray out = csv(headers, source, QStringLiteral("源"));
        out += csv(headers, target, QStringLiteral("目标")).mid(csvLine(QStringList{QStringLiteral("来源")} + headers).size());
        PrintCsv(out);
        SayOnStderr(QStringLiteral("关联值: ") + MatchingKeys::caption(o.matchingKey) + QStringLiteral("; 源 ") +
                          QString::number(source.size()) + QStringLiteral(" 项, 目标 ") +
                          QString::number(target.size()) + QStringLiteral(" 项不唯一"));
        return 0;
    }
    StockStatistics stats(app->db());
    std::vector<ListRow> rows;
    if (!stats.summary(o, rows, &error)) {
        ctx.ui.error(error);
        return 1;
    }
    const QString code = StockStatistics::byArticleNumber(o.matchingKey) ? QStringLiteral("货号")
                                                                         : QStringLiteral("主商家编码");
    PrintCsv(csv({QStringLiteral("NO"), code, QStringLiteral("源:个数"), QStringLiteral("目标:个数")}, rows));
    int differ = 0;
    for (const ListRow &r : rows)
        differ += StockStatistics::countsDiffer(r) ? 1 : 0;
    SayOnStderr(QStringLiteral("共 ") + QString::number(rows.size()) + QStringLiteral(" 项, 其中个数不同 ") +
                      QString::number(differ) + QStringLiteral(" 项"));
    return 0;
}
