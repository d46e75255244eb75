#include "app/UploadCommands.h"
#include "history/UploadHistory.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/DiffCommand.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/UploadJournal.h"
#include "sync/SyncCycle.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

void writeLine(std::FILE *to, const QString &text)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    std::fputs((flat + QLatin1Char('\n')).toUtf8().constData(), to);
    std::fflush(to);
}

// Standard output carries only the command's result: every message box and
// question goes to standard error, and questions take Yes (the command was
// asked for).
class StderrInteraction : public Interaction
{
public:
    void message(const QString &, const QString &text, Icon) override { writeLine(stderr, text); }
    bool question(const QString &, const QString &text, Icon) override
    {
        writeLine(stderr, text + QStringLiteral(" -> 是"));
        return true;
    }
    std::optional<QString> prompt(const QString &, const QString &, const QString &) override { return std::nullopt; }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
};

QString rowLine(const QuantityRow &r)
{
    return QStringList{r.account, r.numIid, r.skuId, r.title, r.color, r.size,
                       r.before + QStringLiteral(" → ") + r.after}
        .join(QLatin1Char('\t'));
}

struct CycleArguments
{
    QString account;
    bool accountGiven = false;
    bool json = false;
};

// Opens the program, logs the account in and runs one cycle with the given
// steps (unset: the stored ones); the exit code.
int runCycle(CommandContext &ctx, const CommandLoginStep &login, const QString &usage, bool jsonAllowed,
             std::optional<std::pair<bool, bool>> steps)
{
    CycleArguments a;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &arg = ctx.arguments.at(i);
        if (arg == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            a.account = ctx.arguments.at(++i).trimmed();
            a.accountGiven = true;
        } else if (jsonAllowed && arg == QStringLiteral("--json")) {
            a.json = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    StderrInteraction messages;
    CommandContext inner{ctx.dataDir, ctx.arguments, messages};
    const auto app = OpenApplication(inner);
    if (!app)
        return 1;
    if (!a.accountGiven)
        a.account = app->settings().text(Setting::CurrentAccount).trimmed();
    if (a.account.isEmpty()) {
        writeLine(stderr, QStringLiteral("没有选择店铺帐号: 请用 --account NAME 指定.\n") + usage);
        return 2;
    }
    // progress on standard error
    for (ProgressPanelState *panel : {&app->jobs().panel1(), &app->jobs().panel2()})
        QObject::connect(panel, &ProgressPanelState::captionSet, panel, [](const QString &c) { writeLine(stderr, c); });
    QObject::connect(&app->jobs(), &JobHost::debugAdded, &app->jobs(),
                     [](const QString &text) { writeLine(stderr, text); });

    if (const int loggedIn = login(*app, a.account); loggedIn != 0)
        return loggedIn;

    const SyncSummary s = RunSyncCycle(*app, a.account, steps, false);

    if (a.json) {
        std::fputs(QJsonDocument(s.toJson()).toJson(QJsonDocument::Compact).constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    } else {
        for (const QuantityRow &r : s.uploaded)
            writeLine(stdout, rowLine(r));
        writeLine(stdout, SyncSummaryText(s, s.downloadStep));
        if (!s.notUploaded.isEmpty()) {
            writeLine(stderr, QStringLiteral("未上传的宝贝:"));
            for (const QuantityRow &r : s.notUploaded)
                writeLine(stderr, rowLine(r));
        }
    }
    switch (s.outcome) {
    case SyncSummary::Outcome::Completed:
        return 0;
    case SyncSummary::Outcome::QueryRefused:
        return 2;
    default:
        return 1;
    }
}

} // namespace

SyncSummary RunSyncCycle(Application &app, const QString &account, std::optional<std::pair<bool, bool>> steps,
                         bool startedByPlan)
{
    DifferenceQuery &query = app.differenceQuery();
    query.options() = DifferenceQuery::storedOptions(app.settings());
    query.options().account = account;
    query.options().storeUniqueOnly = false;
    SyncCycle &cycle = app.syncCycle();
    if (steps)
        cycle.setSteps(steps->first, steps->second);
    else
        cycle.clearSteps();
    QEventLoop loop;
    QObject::connect(&cycle, &SyncCycle::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    if (cycle.start(startedByPlan))
        loop.exec();
    return cycle.summary();
}

QString SyncSummaryText(const SyncSummary &s, bool withDownload)
{
    QString text = s.ok() ? QStringLiteral("完成: ") : QStringLiteral("未完成: ");
    if (withDownload)
        text += QStringLiteral("下载 ") + QString::number(s.rowsDownloaded) + QStringLiteral(" 行, ");
    text += QStringLiteral("有库存差异 ") + QString::number(s.rowsDiffering) + QStringLiteral(" 行, 已上传 ") +
            QString::number(s.rowsUploaded) + QStringLiteral(" 行");
    if (!s.notUploaded.isEmpty())
        text += QStringLiteral(", 未上传 ") + QString::number(s.notUploaded.size()) + QStringLiteral(" 行");
    return text + QLatin1Char('.');
}

int RunUploadQuantity(CommandContext &ctx, const CommandLoginStep &login)
{
    return runCycle(ctx, login, QStringLiteral("用法: upload-quantity [--account NAME]"), false,
                    std::make_pair(false, true));
}

int RunSync(CommandContext &ctx, const CommandLoginStep &login)
{
    return runCycle(ctx, login, QStringLiteral("用法: sync [--account NAME] [--json]"), true, std::nullopt);
}

int RunJournal(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: journal [--since TIME] (TIME 如 \"2026-01-31 08:00:00\" 或 2026-01-31)"
                                         " | journal --cycles");
    QDateTime since;
    if (ctx.arguments == QStringList{QStringLiteral("--cycles")}) {
        // the synchronisation cycles, newest first, as the history window shows them
        const auto app = OpenApplication(ctx);
        if (!app)
            return 1;
        QString error;
        const QList<CycleRow> cycles = UploadHistory(app->db()).cycles(HistoryFilter(), &error);
        if (!error.isEmpty()) {
            ctx.ui.error(error);
            return 1;
        }
        const QByteArray out = UploadHistory::cyclesCsv(cycles).mid(3); // no byte-order mark on a pipe
        std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
        std::fflush(stdout);
        return 0;
    }
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &arg = ctx.arguments.at(i);
        if (arg == QStringLiteral("--since") && i + 1 < ctx.arguments.size()) {
            since = UploadJournal::parseTime(ctx.arguments.at(++i));
            if (!since.isValid()) {
                ctx.ui.error(QStringLiteral("无法识别的时间: ") + ctx.arguments.at(i) + QLatin1Char('\n') + usage);
                return 2;
            }
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    QString error;
    const QList<JournalEntry> rows = UploadJournal(app->db()).read(since, &error);
    if (!error.isEmpty()) {
        ctx.ui.error(error);
        return 1;
    }
    QByteArray out = QStringLiteral("时间,帐号,商品数字ID,SKU ID,类别,方式,更新前,更新后,执行者,宝贝名称\r\n").toUtf8();
    for (const JournalEntry &e : rows) {
        const QStringList fields{UploadJournal::timeText(e.at), e.account, e.numIid, e.skuId, e.kind, e.mode,
                                 e.before, e.after, e.startedBy, e.title};
        QStringList quoted;
        for (const QString &f : fields)
            quoted << CsvField(f);
        out += quoted.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fflush(stdout);
    return 0;
}
