#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Application;
struct CommandContext;

// What one synchronisation cycle did, for the plan's line on the terminal.
struct CycleSummary
{
    bool ok = false;
    QString text;
    bool held = false; // a guardrail held the upload: nothing was sent
};

// One cycle (source download, difference query, quantity upload, by NM
// 101/102) on the account, run to its end on the caller's event loop.
using CycleRunner = std::function<CycleSummary(Application &app, const QString &account)>;

// The cycle the `plan` command runs: by default one that keeps the session
// from cycle to cycle (LogInForCommandStep before the first cycle that
// uploads and after error 27 or 53); an empty runner makes the command say
// it is not available.
void SetPlanCycleRunner(CycleRunner runner);
const CycleRunner &PlanCycleRunner();

// The sync plan without a window: a cycle at once, then one every interval
// (NM 100 minutes, at least 5) counted from the end of the previous cycle, a
// line per cycle with its time and summary, until stop(). A failed cycle is
// reported and the next one comes at the next interval.
class PlanLoop : public QObject
{
    Q_OBJECT
public:
    PlanLoop(Application &app, const QString &account, CycleRunner runner,
             std::function<void(const QString &)> out, QObject *parent = nullptr);

    int minutes() const { return m_minutes; }
    // Tests only: the interval in seconds instead of minutes (users keep the
    // five-minute floor). The command takes it from STOCKSYNC_TEST_PLAN_SECONDS.
    void setIntervalSeconds(int seconds) { m_seconds = seconds; }
    int cycles() const { return m_cycles; }
    bool stopping() const { return m_stop; }
    // Runs until stop(); the exit code (0).
    int run();

public Q_SLOTS:
    // Ends the loop: while it waits, at once; during a cycle, after the
    // request in flight (its reply is still stored) and before any other.
    void stop();

private:
    void cancelShownPanels();

    Application &m_app;
    QString m_account;
    CycleRunner m_runner;
    std::function<void(const QString &)> m_out;
    int m_minutes = 5;
    int m_seconds = 0;
    int m_cycles = 0;
    bool m_inCycle = false;
    bool m_stop = false;
    std::function<void()> m_quitWait;
};

// stocksync [--data-dir DIR] plan [--account NAME]
int RunPlan(CommandContext &ctx);
