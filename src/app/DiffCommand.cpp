#include "app/DiffCommand.h"
#include "app/CommandOutput.h"
#include "base/CsvWriter.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"

#include <cstdio>
#include <optional>

namespace {

// The shown columns with a caption: the caption column and cells 0 to 13.
constexpr int kCsvCells = CellOldcode + 1;

struct ViewName
{
    const char *name;
    ViewFilter view;
};
const ViewName kViews[] = {
    {"all", ViewFilter::All},           {"differ", ViewFilter::Differ},
    {"same", ViewFilter::Same},         {"source-off", ViewFilter::SourceOff},
    {"source-on", ViewFilter::SourceOn}, {"price-up", ViewFilter::PriceUp},
    {"price-down", ViewFilter::PriceDown},
};

QString usage()
{
    return QStringLiteral("用法: diff [--account NAME] [--key 0-8] [--mode full|incremental] "
                          "[--base source|price|stock] "
                          "[--view all|differ|same|source-off|source-on|price-up|price-down] "
                          "[--unique] [--ignore-key-check] [--keyword K]");
}

// Applies the arguments to the stored options; an error text when they are wrong.
QString applyArguments(const QStringList &args, DifferenceOptions &o, QString &keyword)
{
    std::optional<ViewFilter> view;
    std::optional<ComparisonBase> base;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&](QString &out) {
            if (i + 1 >= args.size())
                return false;
            out = args.at(++i);
            return true;
        };
        QString v;
        if (a == QStringLiteral("--unique")) {
            o.uniqueOnly = true;
        } else if (a == QStringLiteral("--ignore-key-check")) {
            o.ignoreKeyCheck = true;
        } else if (a == QStringLiteral("--account")) {
            if (!value(o.account))
                return a + QStringLiteral(" 需要一个值");
        } else if (a == QStringLiteral("--keyword")) {
            if (!value(keyword))
                return a + QStringLiteral(" 需要一个值");
        } else if (a == QStringLiteral("--key")) {
            bool ok = false;
            const int k = value(v) ? v.toInt(&ok) : -1;
            if (!ok || k < 0 || k > 8)
                return QStringLiteral("--key 需要 0 到 8 之间的数字");
            o.shownKey = o.confirmedKey = k;
        } else if (a == QStringLiteral("--mode")) {
            if (!value(v))
                return a + QStringLiteral(" 需要一个值");
            if (v == QStringLiteral("full"))
                o.uploadMode = UploadMode::Full;
            else if (v == QStringLiteral("incremental"))
                o.uploadMode = UploadMode::Incremental;
            else
                return QStringLiteral("无效的 --mode: ") + v;
        } else if (a == QStringLiteral("--base")) {
            if (!value(v))
                return a + QStringLiteral(" 需要一个值");
            if (v == QStringLiteral("source"))
                base = ComparisonBase::Source;
            else if (v == QStringLiteral("price"))
                base = ComparisonBase::PriceList;
            else if (v == QStringLiteral("stock"))
                base = ComparisonBase::StockList;
            else
                return QStringLiteral("无效的 --base: ") + v;
        } else if (a == QStringLiteral("--view")) {
            if (!value(v))
                return a + QStringLiteral(" 需要一个值");
            for (const ViewName &n : kViews)
                if (v == QLatin1String(n.name))
                    view = n.view;
            if (!view)
                return QStringLiteral("无效的 --view: ") + v;
        } else {
            return QStringLiteral("未知的参数: ") + a;
        }
    }
    // the price and stock lists are view filters of their own
    if (base && *base != ComparisonBase::Source) {
        if (view)
            return QStringLiteral("--view 只能与 --base source 一起使用");
        o.view = *base == ComparisonBase::PriceList ? ViewFilter::PriceList : ViewFilter::StockList;
    } else if (view) {
        o.view = *view;
    }
    return {};
}

} // namespace

QByteArray DifferenceCsv(const ListModel &model)
{
    const QStringList headers = DifferenceHeaders();
    CsvWriter csv;
    QStringList fields;
    for (int c = 0; c <= kCsvCells; ++c)
        fields << headers.value(c);
    fields << QStringLiteral("勾选");
    csv.addRow(fields);
    for (const ListRow &r : model.rows()) {
        fields = QStringList{r.caption};
        for (int c = 0; c < kCsvCells; ++c)
            fields << r.cells.value(c);
        fields << (r.checked ? QStringLiteral("1") : QStringLiteral("0"));
        csv.addRow(fields);
    }
    return csv.bytes();
}

int RunDiff(CommandContext &ctx)
{
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    DifferenceQuery &query = app->differenceQuery();
    DifferenceOptions &o = query.options();
    // a run from the command line stores none of its options
    o.storeUniqueOnly = false;
    QString keyword;
    const QString error = applyArguments(ctx.arguments, o, keyword);
    if (!error.isEmpty()) {
        ctx.ui.error(error + QStringLiteral("\n") + usage());
        return 2;
    }
    switch (query.GetData_TB_Object(keyword)) {
    case DifferenceQuery::Outcome::Completed:
        break;
    case DifferenceQuery::Outcome::Refused:
        return 2;
    case DifferenceQuery::Outcome::Busy:
    case DifferenceQuery::Outcome::Failed:
        return 1;
    }
    PrintCsv(DifferenceCsv(app->targetModel()));
    SayOnStderr(query.totalsText());
    return 0;
}
