#include "app/UploadCommands.h"
#include "app/CommandLogin.h"
#include "history/UploadHistory.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"
#include "app/DiffCommand.h"
#include "base/CsvWriter.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/SyncCycleLog.h"
#include "store/UploadJournal.h"
#include "sync/JournalSettle.h"
#include "sync/Revert.h"
#include "sync/SyncCycle.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

void writeLine(std::FILE *to, const QString &text)
{
    if (to == stdout)
        PrintDataLine(text);
    else
        SayOnStderr(text);
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
    bool dryRun = false;
    bool force = false;
};

void rowsOnStderr(const QString &heading, const QList<QuantityRow> &rows)
{
    if (rows.isEmpty())
        return;
    writeLine(stderr, heading);
    for (const QuantityRow &r : rows)
        writeLine(stderr, rowLine(r) + (r.reason.isEmpty() ? QString() : QStringLiteral("\t") + r.reason));
}

// Opens the program, logs the account in and runs one cycle with the given
// steps (unset: the stored ones); the exit code.
// The jobs' progress captions and debug lines on standard error.
void progressOnStderr(Application &app)
{
    for (ProgressPanelState *panel : {&app.jobs().panel1(), &app.jobs().panel2()})
        QObject::connect(panel, &ProgressPanelState::captionSet, panel, [](const QString &c) { writeLine(stderr, c); });
    QObject::connect(&app.jobs(), &JobHost::debugAdded, &app.jobs(), [](const QString &text) { writeLine(stderr, text); });
}

int runCycle(CommandContext &ctx, const CycleLoginStep &login, const QString &usage, bool jsonAllowed,
             bool dryRunAllowed, std::optional<std::pair<bool, bool>> steps)
{
    CycleArguments a;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &arg = ctx.arguments.at(i);
        if (arg == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            a.account = ctx.arguments.at(++i).trimmed();
            a.accountGiven = true;
        } else if (jsonAllowed && arg == QStringLiteral("--json")) {
            a.json = true;
        } else if (dryRunAllowed && arg == QStringLiteral("--dry-run")) {
            a.dryRun = true;
        } else if (arg == QStringLiteral("--force")) {
            a.force = true;
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
    progressOnStderr(*app);

    // a dry run sends nothing to the shop and needs no session
    if (!a.dryRun)
        if (const int loggedIn = login(*app, a.account); loggedIn != 0)
            return loggedIn;

    app->syncCycle().setDryRun(a.dryRun);
    app->syncCycle().setForce(a.force);
    const SyncSummary s = RunSyncCycle(*app, a.account, steps, false);
    app->syncCycle().setDryRun(false);
    app->syncCycle().setForce(false);

    if (a.json) {
        PrintJson(s.toJson());
    } else {
        for (const QuantityRow &r : a.dryRun ? s.planned : s.uploaded)
            writeLine(stdout, rowLine(r));
        writeLine(stdout, SyncSummaryText(s, s.downloadStep));
        rowsOnStderr(QStringLiteral("被平台拒绝的宝贝:"), s.refused);
        rowsOnStderr(QStringLiteral("跳过的宝贝:"), s.skipped);
        rowsOnStderr(QStringLiteral("未上传的宝贝:"), s.notUploaded);
        for (const QString &line : s.settled)
            writeLine(stderr, line);
        if (a.dryRun || !s.held.isEmpty())
            for (const QString &line : s.preview.text().split(QStringLiteral("\r\n")))
                writeLine(stderr, line);
        if (!s.held.isEmpty() && !a.dryRun)
            writeLine(stderr, QStringLiteral("上传保护: 本次没有上传 (加 --force 仍然上传)."));
    }
    if (!s.held.isEmpty() && (a.dryRun || s.outcome == SyncSummary::Outcome::Held))
        return 4;
    switch (s.outcome) {
    case SyncSummary::Outcome::Completed:
        return s.refused.isEmpty() ? 0 : 1;
    case SyncSummary::Outcome::QueryRefused:
        return 2;
    case SyncSummary::Outcome::Held:
        return 4;
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
    if (!s.refused.isEmpty())
        text += QStringLiteral(", 被平台拒绝 ") + QString::number(s.refused.size()) + QStringLiteral(" 行");
    if (!s.skipped.isEmpty())
        text += QStringLiteral(", 跳过 ") + QString::number(s.skipped.size()) + QStringLiteral(" 行");
    if (!s.notUploaded.isEmpty())
        text += QStringLiteral(", 未上传 ") + QString::number(s.notUploaded.size()) + QStringLiteral(" 行");
    if (s.dryRun)
        text += QStringLiteral(", 试运行: 将上传 ") + QString::number(s.planned.size()) + QStringLiteral(" 行");
    if (!s.held.isEmpty())
        text += QStringLiteral(", 上传保护: ") + s.held;
    return text + QLatin1Char('.');
}

int RunUploadQuantity(CommandContext &ctx, const CycleLoginStep &login)
{
    return runCycle(ctx, login, QStringLiteral("用法: upload-quantity [--account NAME] [--dry-run] [--force]"), false,
                    true, std::make_pair(false, true));
}

int RunSync(CommandContext &ctx, const CycleLoginStep &login)
{
    return runCycle(ctx, login, QStringLiteral("用法: sync [--account NAME] [--dry-run] [--force] [--json]"), true, true,
                    std::nullopt);
}

namespace {

void writeCsv(const QList<QStringList> &records)
{
    CsvWriter csv;
    csv.addRows(records);
    PrintCsv(csv);
}

// journal settle ID --applied|--not-applied
int settleJournal(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: journal settle ID --applied|--not-applied");
    const QStringList &args = ctx.arguments;
    bool ok = false;
    const qint64 id = args.value(1).toLongLong(&ok);
    const QString how = args.value(2);
    if (args.size() != 3 || !ok || id <= 0 ||
        (how != QStringLiteral("--applied") && how != QStringLiteral("--not-applied"))) {
        ctx.ui.error(usage);
        return 2;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    QString error;
    if (!SettleByHand(app->db(), id, how == QStringLiteral("--applied"), &error)) {
        ctx.ui.error(error);
        return error.startsWith(QStringLiteral("没有编号")) || error.contains(QStringLiteral("无需确认")) ? 2 : 1;
    }
    writeLine(stderr, QStringLiteral("上传记录 ") + QString::number(id) +
                          (how == QStringLiteral("--applied") ? QStringLiteral(" 已确认为已生效.")
                                                              : QStringLiteral(" 已确认为没有生效.")));
    return 0;
}

// journal revert --cycle ID | --since TIME [--dry-run] [--force] [--account NAME]
int revertJournal(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: journal revert --cycle ID | --since TIME [--dry-run] [--force] [--account NAME] "
                                         "(TIME 如 \"2026-01-31 08:00:00\" 或 2026-01-31)");
    RevertSelection selection;
    bool cycleGiven = false, sinceGiven = false, dryRun = false, force = false, accountGiven = false;
    for (qsizetype i = 1; i < ctx.arguments.size(); ++i) {
        const QString &arg = ctx.arguments.at(i);
        const bool hasValue = i + 1 < ctx.arguments.size();
        if (arg == QStringLiteral("--cycle") && hasValue && !cycleGiven) {
            bool ok = false;
            selection.cycleId = ctx.arguments.at(++i).trimmed().toLongLong(&ok);
            if (!ok || selection.cycleId <= 0) {
                ctx.ui.error(QStringLiteral("无效的同步记录编号: ") + ctx.arguments.at(i) + QLatin1Char('\n') + usage);
                return 2;
            }
            cycleGiven = true;
        } else if (arg == QStringLiteral("--since") && hasValue && !sinceGiven) {
            selection.since = UploadJournal::parseTime(ctx.arguments.at(++i));
            if (!selection.since.isValid()) {
                ctx.ui.error(QStringLiteral("无法识别的时间: ") + ctx.arguments.at(i) + QLatin1Char('\n') + usage);
                return 2;
            }
            sinceGiven = true;
        } else if (arg == QStringLiteral("--account") && hasValue && !accountGiven) {
            selection.account = ctx.arguments.at(++i).trimmed();
            accountGiven = true;
        } else if (arg == QStringLiteral("--dry-run")) {
            dryRun = true;
        } else if (arg == QStringLiteral("--force")) {
            force = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    if (cycleGiven == sinceGiven) {
        ctx.ui.error(QStringLiteral("请给出 --cycle 或 --since 中的一个.\n") + usage);
        return 2;
    }
    StderrInteraction messages;
    CommandContext inner{ctx.dataDir, ctx.arguments, messages};
    inner.readOnly = ctx.readOnly;
    const auto app = OpenApplication(inner);
    if (!app)
        return 1;
    if (!accountGiven)
        selection.account = app->settings().text(Setting::CurrentAccount).trimmed();
    if (selection.account.isEmpty()) {
        writeLine(stderr, QStringLiteral("没有选择店铺帐号: 请用 --account NAME 指定.\n") + usage);
        return 2;
    }
    progressOnStderr(*app);

    RevertRun revert(app->jobs(), app->client(), app->db());
    QString error;
    if (!revert.plan(selection, &error)) {
        writeLine(stderr, error);
        return error.startsWith(QStringLiteral("没有编号")) ? 2 : 1;
    }
    // what the shop shows now decides which rows can go back
    {
        QEventLoop loop;
        bool ok = true;
        QObject::connect(&revert, &RevertRun::readBackDone, &loop, [&](bool done) {
            ok = done;
            loop.quit();
        }, Qt::QueuedConnection);
        if (revert.readBack())
            loop.exec();
        if (!ok) {
            writeLine(stderr, revert.failure());
            return 1;
        }
    }
    const int planned = revert.revertableCount();
    const int skipped = static_cast<int>(revert.rows().size()) - planned;
    if (dryRun || planned == 0) {
        writeCsv(revert.planRecords());
        writeLine(stderr, (dryRun ? QStringLiteral("试运行, 没有发送: 将撤销 ") : QStringLiteral("没有可撤销的记录: 撤销 ")) +
                              QString::number(planned) + QStringLiteral(" 行, 跳过 ") + QString::number(skipped) +
                              QStringLiteral(" 行."));
        return 0;
    }
    bool prices = false;
    for (const RevertRow &r : revert.rows())
        prices = prices || (r.revertable() && r.kind == QStringLiteral("price"));
    if (const int loggedIn = LogInForCommandStep(*app, selection.account, prices); loggedIn != 0)
        return loggedIn;
    {
        QEventLoop loop;
        QObject::connect(&revert, &RevertRun::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        if (revert.run(force ? GuardPolicy::Force : GuardPolicy::Hold))
            loop.exec();
    }
    writeCsv(revert.planRecords());
    int reverted = 0;
    for (const RevertRow &r : revert.rows())
        reverted += r.reverted ? 1 : 0;
    const int refused = revert.refusedCount();
    QString summary = (revert.outcome() == RevertRun::Outcome::Completed ? QStringLiteral("撤销完成: 已撤销 ")
                                                                        : QStringLiteral("撤销未完成: 已撤销 ")) +
                      QString::number(reverted) + QStringLiteral(" 行, 跳过 ") + QString::number(skipped) +
                      QStringLiteral(" 行");
    if (refused > 0)
        summary += QStringLiteral(", 被平台拒绝 ") + QString::number(refused) + QStringLiteral(" 行");
    if (revert.cycleId() > 0)
        summary += QStringLiteral(" (同步记录 ") + QString::number(revert.cycleId()) + QLatin1Char(')');
    writeLine(stderr, summary + QLatin1Char('.'));
    switch (revert.outcome()) {
    case RevertRun::Outcome::Completed:
    case RevertRun::Outcome::NothingToDo:
        return refused > 0 ? 1 : 0;
    case RevertRun::Outcome::Held:
        for (const QString &line : revert.preview().text().split(QStringLiteral("\r\n")))
            writeLine(stderr, line);
        writeLine(stderr, QStringLiteral("上传保护: 本次没有撤销 (加 --force 仍然撤销)."));
        return 4;
    case RevertRun::Outcome::Failed:
        if (!revert.failure().isEmpty())
            writeLine(stderr, revert.failure());
        return 1;
    }
    return 1;
}

} // namespace

int RunJournal(CommandContext &ctx)
{
    if (ctx.arguments.value(0) == QStringLiteral("settle"))
        return settleJournal(ctx);
    if (ctx.arguments.value(0) == QStringLiteral("revert"))
        return revertJournal(ctx);
    const QString usage = QStringLiteral("用法: journal [--since TIME] [--state sent|done|refused|unsettled] | journal --cycles | "
                                         "journal settle ID --applied|--not-applied | "
                                         "journal revert --cycle ID|--since TIME [--dry-run] [--force] [--account NAME] (TIME 如 \"2026-01-31 08:00:00\" 或 2026-01-31)");
    QDateTime since;
    QString state;
    bool cycles = false;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &arg = ctx.arguments.at(i);
        if (arg == QStringLiteral("--since") && i + 1 < ctx.arguments.size()) {
            since = UploadJournal::parseTime(ctx.arguments.at(++i));
            if (!since.isValid()) {
                ctx.ui.error(QStringLiteral("无法识别的时间: ") + ctx.arguments.at(i) + QLatin1Char('\n') + usage);
                return 2;
            }
        } else if (arg == QStringLiteral("--state") && i + 1 < ctx.arguments.size()) {
            state = ctx.arguments.at(++i);
            if (!QStringList{QStringLiteral("sent"), QStringLiteral("done"), QStringLiteral("refused"),
                             QStringLiteral("unsettled")}
                     .contains(state)) {
                ctx.ui.error(QStringLiteral("无效的状态: ") + state + QLatin1Char('\n') + usage);
                return 2;
            }
        } else if (arg == QStringLiteral("--cycles")) {
            cycles = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    QString error;
    QList<QStringList> records;
    if (cycles) {
        const QList<CycleRecord> rows = SyncCycleLog(app->db()).read(&error);
        if (!error.isEmpty()) {
            ctx.ui.error(error);
            return 1;
        }
        records << QStringList{QStringLiteral("编号"), QStringLiteral("开始"), QStringLiteral("结束"),
                               QStringLiteral("执行者"), QStringLiteral("帐号"), QStringLiteral("下载"),
                               QStringLiteral("有差异"), QStringLiteral("已上传"), QStringLiteral("被拒绝"),
                               QStringLiteral("上传保护"), QStringLiteral("错误")};
        for (const CycleRecord &r : rows)
            records << QStringList{QString::number(r.id), UploadJournal::timeText(r.started),
                                   r.ended.isValid() ? UploadJournal::timeText(r.ended) : QString(), r.startedBy,
                                   r.account, QString::number(r.downloaded), QString::number(r.differing),
                                   QString::number(r.uploaded), QString::number(r.refused), r.held, r.error};
        writeCsv(records);
        return 0;
    }
    const QList<JournalEntry> rows = UploadJournal(app->db()).read(since, &error, state);
    if (!error.isEmpty()) {
        ctx.ui.error(error);
        return 1;
    }
    records << QStringList{QStringLiteral("时间"),   QStringLiteral("帐号"),   QStringLiteral("商品数字ID"),
                           QStringLiteral("SKU ID"), QStringLiteral("类别"),   QStringLiteral("方式"),
                           QStringLiteral("更新前"), QStringLiteral("更新后"), QStringLiteral("执行者"),
                           QStringLiteral("宝贝名称"), QStringLiteral("状态"), QStringLiteral("说明"),
                           QStringLiteral("编号"),   QStringLiteral("同步周期")};
    for (const JournalEntry &e : rows)
        records << QStringList{UploadJournal::timeText(e.at), e.account, e.numIid, e.skuId, e.kind, e.mode,
                               e.before, e.after, e.startedBy, e.title, e.state, e.message, QString::number(e.id),
                               e.cycleId > 0 ? QString::number(e.cycleId) : QString()};
    writeCsv(records);
    return 0;
}
