#pragma once

#include "store/SyncCycleLog.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>

class Interaction;
class JobHost;
class Settings;

// The plan's three settings (NM 100-102) as the settings dialog shows them.
struct PlanSettings
{
    int minutes = 10;     // NM 100 as stored
    bool download = true; // NM 101 = "1"
    bool upload = true;   // NM 102 = "1"

    // The interval a plan runs with: the stored minutes, at least 5.
    int interval() const { return minutes > 4 ? minutes : 5; }
    static PlanSettings load(const Settings &settings);
    // Stores all three; false when a statement fails.
    bool save(const Settings &settings) const;
};

// What a cycle of the plan is made of: the commands the user clicks. The
// window implements it with its own handlers, tests with a fake. A step
// that starts reports its end through SyncPlan::stepFinished().
class PlanSteps
{
public:
    enum class Start {
        Started,     // the job runs; its end is reported later
        NothingToDo, // nothing to download (no ticked entry) or nothing ticked to upload
        Refused,     // another job holds the busy guard: nothing happened
        Failed,      // could not start; the step has said why
    };
    virtual ~PlanSteps() = default;

    // A request job or a list load holds the busy guard.
    virtual bool jobRunning() const = 0;
    // The quantity upload may run: an authorized shop account (`_Upload` enabled).
    virtual bool uploadAllowed() const = 0;
    // The text of the account box `_users`.
    virtual QString account() const = 0;
    // The view "仅显示有库存差异的宝贝" of the target list, and the difference
    // query with the trimmed keyword.
    virtual void showDifferences() = 0;
    // `_FromDownloadClick`, as if clicked.
    virtual Start startDownload() = 0;
    // `_UploadClick`, as if clicked (it asks nothing while the plan runs).
    virtual Start startUpload() = 0;
    // Ticked rows of the target list (the differing rows after a download's
    // query); -1 when unknown.
    virtual int tickedRows() const { return -1; }
};

// The sync plan: every so many minutes the source download, the difference
// query and the quantity upload, run by the same commands the user clicks,
// while the window waits in the notification area. A one-second timer counts
// the interval from the end of one cycle to the start of the next. The plan
// keeps the settings it read at its start.
//
// A cycle that comes due while a job started by hand runs waits for that job
// to end (the timer looks again every second) and then starts; the plan never
// runs two jobs at once. A failing step (an error reply, the network given up,
// nothing to download) stops the cycling until the plan is started again; the
// plan stays running with its last status text. A step the user cancels ends
// the cycle and the plan waits for the next one.
class SyncPlan : public QObject
{
    Q_OBJECT
public:
    enum class State {
        NotRunning,
        Waiting,     // counting down to the next cycle
        Downloading, // the cycle's source download runs
        Uploading,   // the cycle's quantity upload runs
        Stalled,     // a step failed: running, but no further cycle
    };
    enum class Tray { Hidden, Still, Animated };
    enum class Step { Download, Upload };
    // Held: a guardrail held the upload; nothing was sent, the plan tries
    // again at the next interval.
    enum class Result { Completed, NothingToUpload, Failed, Cancelled, Held };

    SyncPlan(const QSqlDatabase &db, const Settings &settings, JobHost &jobs, Interaction &ui,
             PlanSteps &steps, QObject *parent = nullptr);

    State state() const { return m_state; }
    bool running() const { return m_state != State::NotRunning; }
    Tray tray() const { return m_tray; }
    // The settings the running plan read at its start.
    int interval() const { return m_interval; }
    bool downloadStep() const { return m_download; }
    bool uploadStep() const { return m_upload; }
    // Seconds counted since the plan last went to waiting.
    int countdown() const { return m_countdown; }
    bool timerOn() const { return m_timer.isActive(); }
    // The plan's status text (the tray hint), as the job host holds it.
    QString hint() const;

    // "同步计划状态:等待中...(间隔:" + interval + "分钟)-" + account
    QString waitingText() const;

    // The TB_Sync_Cycle record of the cycle under way (id 0 between cycles);
    // the upload's end fills its counts, the plan stores it when the cycle ends.
    CycleRecord &cycle() { return m_cycle; }
    // The step that failed says why (its message), for the record and the tray.
    void setStepError(const QString &error) { m_stepError = error; }
    // The last cycle as it was stored (ended invalid: none yet).
    const CycleRecord &lastCycle() const { return m_lastCycle; }
    // When the next cycle comes due (invalid unless waiting).
    QDateTime nextRun() const { return m_state == State::Waiting ? m_nextRun : QDateTime(); }
    // What the tray adds to the status text: the next run's time while
    // waiting, the last cycle's counts, and a stalled plan's state. Each line
    // begins with "\r\n"; empty while the plan does not run.
    QString cycleNote() const;

public Q_SLOTS:
    // "执行同步计划(&G)": the checks, the differences shown, then waiting.
    // False when a check refused (its warning shown) or under the busy guard.
    bool N24Click();
    // "取消执行同步计划": the plan ends; a job under way goes on as if started by hand.
    void N29Click();
    // `_TimerSync`, every second while on.
    void TimerSyncTimer();
    // A step the plan started has ended. Steps of other jobs are ignored.
    void stepFinished(SyncPlan::Step step, SyncPlan::Result result);
    // A job handing back to the plan after giving up for now: wait for the next interval.
    void handBack();
    // "立即同步": a cycle now, the way a due cycle starts; also restarts a
    // plan stalled by a failure. Refused with a message while a job or a
    // cycle runs, or when the plan does not run.
    bool runNow();

Q_SIGNALS:
    void runningChanged(bool running);
    // A cycle started; its journal rows carry this TB_Sync_Cycle id.
    void cycleStarted(qint64 id);
    void trayChanged(SyncPlan::Tray tray);
    // cycleNote() has changed.
    void noteChanged();
    // A cycle failed (the plan stalls until it is run again) or a guardrail
    // held its upload (nothing was sent; the next cycle tries again).
    void cycleTrouble(bool failed, const QString &reason);

private:
    void startCycle();
    void runDownload();
    void runUpload();
    // Back to waiting with the given status text: countdown 0, timer on,
    // tray still; the next cycle due in a whole interval or in dueIn seconds.
    void waitAgain(const QString &hint, int dueIn = -1);
    // A failing step: no further cycle until the plan is run again.
    void stall(const QString &reason);
    // Stores the record of the cycle under way with the error or guardrail.
    void recordCycle(const QString &error = QString());
    void setTray(Tray tray);
    void setHint(const QString &hint);
    QString sourceDone() const;
    QString targetDone() const;

    QSqlDatabase m_db;
    const Settings &m_settings;
    JobHost &m_jobs;
    Interaction &m_ui;
    PlanSteps &m_steps;
    QTimer m_timer;
    State m_state = State::NotRunning;
    Tray m_tray = Tray::Hidden;
    int m_interval = 5;
    bool m_download = true;
    bool m_upload = true;
    int m_countdown = 0;
    CycleRecord m_cycle;
    CycleRecord m_lastCycle;
    QDateTime m_nextRun;
    QString m_stepError;
};
