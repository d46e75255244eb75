#include "app/TargetCommands.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "reports/TargetBrowser.h"
#include "store/Settings.h"
#include "target/TargetListCommands.h"

#include <cstdio>

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
    QStringList header;
    for (const QString &h : TargetBrowser::headers())
        header << CsvFieldOf(h);
    QByteArray out = header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const ListRow &r : model.rows()) {
        QStringList fields{CsvFieldOf(r.caption)};
        for (int c = 0; c < TargetBrowser::Uniqid; ++c)
            fields << CsvFieldOf(r.cells.value(c));
        out += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
    std::fputs((browser.totals().trimmed() + QLatin1Char('\n')).toUtf8().constData(), stderr);
    return 0;
}
