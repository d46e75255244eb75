#include "app/TargetCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "reports/TargetBrowser.h"
#include "store/Settings.h"

int RunTargetsShow(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: targets show [--account NAME] [--keyword K]");
    if (ctx.arguments.value(0) != QStringLiteral("show")) {
        ctx.ui.error(usage);
        return 2;
    }
    QString account;
    bool accountGiven = false;
    TargetBrowser::Search search;
    search.first200 = false;
    for (qsizetype i = 1; i < ctx.arguments.size(); ++i) {
        const QString &a = ctx.arguments.at(i);
        if (a == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            account = ctx.arguments.at(++i);
            accountGiven = true;
        } else if (a == QStringLiteral("--keyword") && i + 1 < ctx.arguments.size()) {
            search.keyword = ctx.arguments.at(++i);
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
    ListModel model;
    TargetBrowser browser(app->db(), model, app->desktop());
    if (!browser.load(account, search)) {
        ctx.ui.error(browser.error());
        return 1;
    }
    CsvWriter csv;
    csv.addRow(TargetBrowser::headers());
    for (const ListRow &r : model.rows()) {
        QStringList fields{r.caption};
        for (int c = 0; c < TargetBrowser::Uniqid; ++c)
            fields << r.cells.value(c);
        csv.addRow(fields);
    }
    PrintCsv(csv);
    SayOnStderr(browser.totals().trimmed());
    return 0;
}
