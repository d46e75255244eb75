#include "app/PlanCommand.h"

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/CommandLogin.h"
#include "app/UploadCommands.h"
#include "app/StopSignals.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/SyncCycle.h"
#include "sync/SyncPlan.h"
#include "top/ErrorScope.h"
#include "top/TopClient.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// One cycle of the plan command. The session is kept from cycle to cycle:
// the account logs in before the first cycle that uploads and again only
// when the platform says the session is invalid or has expired (27, 53);
// that cycle is then run once more. A login for every cycle is slow and
// invites the platform's risk checks.
CycleSummary sessionKeepingCycle(Application &app, const QString &account)
{
    static QString loggedIn; // the account whose session the client holds
    const PlanSettings settings = PlanSettings::load(app.settings());
    auto ensureSession = [&](bool again) {
        if (!settings.upload)
            return true;
        if (!again && loggedIn == account && !app.client().sessionKey().isEmpty())
            return true;
        loggedIn.clear();
        if (LogInForCommandStep(app, account) != 0)
            return false;
        loggedIn = account;
        return true;
    };
    if (!ensureSession(false))
        return {false, QStringLiteral("登录失败, 本次没有同步: ") + account};
    SyncSummary s = RunSyncCycle(app, account, std::nullopt, true);
    if (SessionExpired(s.failureCode)) {
        if (!ensureSession(true))
            return {false, QStringLiteral("会话已失效, 重新登录失败, 本次没有同步: ") + account};
        s = RunSyncCycle(app, account, std::nullopt, true);
    }
    QString text = SyncSummaryText(s, s.downloadStep);
    if (!s.failures.isEmpty())
        text += QLatin1Char(' ') + s.failures.join(QLatin1Char(' '));
    for (const QuantityRow &r : s.refused)
        text += QStringLiteral(" 被拒绝: ") + r.title + QStringLiteral(" (ID ") + r.numIid + QStringLiteral(") ") + r.reason;
    CycleSummary summary{s.ok(), text};
    summary.held = s.outcome == SyncSummary::Outcome::Held;
    return summary;
}

CycleRunner &runnerSlot()
{
    // the plan's own cycle unless a test hands in another
    static CycleRunner runner = sessionKeepingCycle;
    return runner;
}
// the longest wait one timer takes in milliseconds, scaled or not
constexpr int kLongestMinutes = 7 * 24 * 60;
} // namespace

void SetPlanCycleRunner(CycleRunner runner)
{
    runnerSlot() = std::move(runner);
}

const CycleRunner &PlanCycleRunner()
{
    return runnerSlot();
}

PlanLoop::PlanLoop(Application &app, const QString &account, CycleRunner runner,
                   std::function<void(const QString &)> out, QObject *parent)
    : QObject(parent), m_app(app), m_account(account), m_runner(std::move(runner)), m_out(std::move(out))
{
    m_minutes = std::min(PlanSettings::load(app.settings()).interval(), kLongestMinutes);
    JobHost &jobs = app.jobs();
    // a job that starts after the stop was asked for ends after its first request
    for (ProgressPanelState *panel : {&jobs.panel1(), &jobs.panel2()})
        connect(
            panel, &ProgressPanelState::changed, this,
            [this, panel] {
                if (m_stop && m_inCycle && panel->shown())
                    cancelShownPanels();
            },
            Qt::QueuedConnection);
}

int PlanLoop::run()
{
    while (!m_stop) {
        m_inCycle = true;
        const CycleSummary summary = m_runner(m_app, m_account);
        m_inCycle = false;
        ++m_cycles;
        QString text = summary.text;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        m_out(Clock::nowText() + QLatin1Char(' ') +
              (summary.held ? QStringLiteral("上传保护, 本次没有上传: ")
                            : summary.ok ? QString() : QStringLiteral("同步失败: ")) +
              text);
        if (m_stop)
            break;
        const qint64 waitSeconds = m_seconds > 0 ? m_seconds : qint64(m_minutes) * 60;
        m_out(QStringLiteral("下次同步: ") +
              Clock::now().addSecs(waitSeconds).toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
        QEventLoop wait;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
        m_quitWait = [&wait] { wait.quit(); };
        if (m_seconds > 0)
            Intervals::arm(timer, m_seconds * 1000, true);
        else
            Intervals::arm(timer, m_minutes * 60 * 1000, true);
        wait.exec();
        m_quitWait = nullptr;
    }
    m_out(QStringLiteral("同步计划已停止."));
    return 0;
}

void PlanLoop::stop()
{
    if (m_stop)
        return;
    m_stop = true;
    if (m_quitWait)
        m_quitWait();
    if (m_inCycle)
        cancelShownPanels();
}

void PlanLoop::cancelShownPanels()
{
    JobHost &jobs = m_app.jobs();
    if (jobs.panel1().shown())
        jobs.cancelSourceSide();
    if (jobs.panel2().shown())
        jobs.cancelTargetSide();
}

int RunPlan(CommandContext &ctx)
{
    const QString usage = QStringLiteral("用法: plan [--account NAME]");
    QString account;
    bool accountGiven = false;
    for (qsizetype i = 0; i < ctx.arguments.size(); ++i) {
        const QString &a = ctx.arguments.at(i);
        if (a == QStringLiteral("--account") && i + 1 < ctx.arguments.size()) {
            account = ctx.arguments.at(++i);
            accountGiven = true;
        } else {
            ctx.ui.error(usage);
            return 2;
        }
    }
    if (!PlanCycleRunner()) {
        ctx.ui.error(QStringLiteral("同步计划命令暂不可用: 本程序还没有同步周期 (下载, 比较, 上传)."));
        return 1;
    }
    const auto app = OpenApplication(ctx);
    if (!app)
        return 1;
    const PlanSettings settings = PlanSettings::load(app->settings());
    if (!settings.download && !settings.upload) {
        ctx.ui.warn(QStringLiteral("请至\"设置同步计划\",选择同步项."));
        return 1;
    }
    if (!accountGiven)
        account = app->settings().text(Setting::CurrentAccount).trimmed();

    auto say = [](const QString &line) {
        std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
        std::fflush(stdout);
    };
    PlanLoop loop(*app, account, PlanCycleRunner(), say);
    // for the tests' soak and signal runs only
    const int testSeconds = qEnvironmentVariableIntValue("STOCKSYNC_TEST_PLAN_SECONDS");
    if (testSeconds > 0)
        loop.setIntervalSeconds(testSeconds);
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &loop, &PlanLoop::stop);
    say(QStringLiteral("同步计划: 每隔 ") + QString::number(loop.minutes()) +
        QStringLiteral(" 分钟同步一次 (帐号: ") + account + QStringLiteral("), Ctrl+C 结束"));
    return loop.run();
}
