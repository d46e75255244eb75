#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class Interaction;
class RequestJob;

// A floating progress panel as state; the window's panel widget mirrors it.
class ProgressPanelState : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool shown() const { return m_shown; }
    const QString &caption() const { return m_caption; }
    bool cancelShown() const { return m_cancelShown; }
    bool retryShown() const { return m_retryShown; }
    const QString &retryText() const { return m_retryText; }

    void show(const QString &caption, bool cancelShown);
    void showAgain();
    void hide();
    void setCaption(const QString &caption);
    void setRetry(bool shown, const QString &text);

Q_SIGNALS:
    void changed();
    // every caption set, in order (tests and the command line follow them)
    void captionSet(const QString &caption);

private:
    bool m_shown = false;
    QString m_caption;
    bool m_cancelShown = false;
    bool m_retryShown = false;
    QString m_retryText = QStringLiteral("重试 = 10");
};

// The state all request jobs of the main window share: the two panels, the
// busy guard, the cancel flag, the error count and the retry countdown. Only
// one job runs at a time.
class JobHost : public QObject
{
    Q_OBJECT
public:
    explicit JobHost(Interaction &ui, QObject *parent = nullptr);

    ProgressPanelState &panel1() { return m_panel1; }
    ProgressPanelState &panel2() { return m_panel2; }
    Interaction &ui() { return m_ui; }

    // Busy guard: a progress panel is shown.
    bool busy() const { return m_panel1.shown() || m_panel2.shown(); }
    bool cancelled() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    void setCancelFlag(bool on) { m_cancel = on; }
    int errorCount() const { return m_errors; }
    void resetErrors() { m_errors = 0; }
    void addError() { ++m_errors; }

    // Set while the sync plan runs: jobs skip their questions and hand back.
    bool planRunning() const { return m_planRunning; }
    void setPlanRunning(bool on) { m_planRunning = on; }
    const QString &trayHint() const { return m_trayHint; }
    void setTrayHint(const QString &hint);

    // Cancel buttons: set the flag and hide the panel (the window reloads its lists).
    void cancelSourceSide();
    void cancelTargetSide();

    // Countdown retry of a job: ten one-second ticks shown in the retry label
    // of the job's panel, then the error count goes up and the job's timer
    // resends the item in flight. A cancel stops the countdown and the job.
    void startRetryCountdown(RequestJob *job, ProgressPanelState &panel);
    bool countdownRunning() const { return m_tryTimer.isActive(); }
    // The message after a job gave up on the network.
    static QString networkErrorText() { return QStringLiteral("网络通讯错误,请稍候重试."); }

    // Debug memo: every text the jobs record for the user.
    void debug(const QString &text);
    const QStringList &debugLines() const { return m_debug; }

Q_SIGNALS:
    void cancelled1();
    void cancelled2();
    void debugAdded(const QString &text);
    void trayHintChanged(const QString &hint);

private:
    void tryTick();
    void stopCountdown();

    Interaction &m_ui;
    ProgressPanelState m_panel1;
    ProgressPanelState m_panel2;
    bool m_cancel = false;
    int m_errors = 0;
    bool m_planRunning = false;
    QString m_trayHint;
    QTimer m_tryTimer;
    int m_tryLeft = 0;
    RequestJob *m_retryJob = nullptr;
    ProgressPanelState *m_retryPanel = nullptr;
    QStringList m_debug;
};

// One request job: a walk over work items (list-walking) or over the ticked
// rows of a list (row-walking) with exactly one request in flight, paced by
// the job's timer. Subclasses send the request for an item, store replies and
// finish; the common steps live here.
class RequestJob : public QObject
{
    Q_OBJECT
public:
    enum class TransportRule { Countdown, Immediate, NoRetry, NoHandler };

    RequestJob(JobHost &host, int intervalMs, TransportRule rule, QObject *parent = nullptr);

    JobHost &host() { return m_host; }
    bool running() const { return m_running; }
    const QString &startTime() const { return m_startTime; }
    int doneCount() const { return m_done; }
    const QStringList &items() const { return m_items; }
    // percentage of a walk, rounded half to even
    static int Percent(int done, int total);
    // item ids joined by "," in batches of size (the last may be shorter)
    static QStringList Batches(const QStringList &ids, int size = 20);

    // Called when the retry countdown runs out: resend the item in flight.
    void resumeAfterCountdown();
    // Called by a cancel: the job is over.
    void stop();

protected:
    // The panel the job shows, and whether the countdown uses lblTry (panel 1).
    virtual ProgressPanelState &panel() = 0;
    virtual QString progressCaption(int percent) const = 0;
    // Sends the request for the first remaining work item.
    virtual void sendFirst() = 0;
    // After the last item: the job's own finish (store the start time, reload, report).
    virtual void finish() = 0;
    // A transport error replaces the job's HTTP component by a fresh one.
    virtual void replaceComponent() {}
    // Before the countdown rule acts (the tray icon stops animating).
    virtual void onTransportError() {}
    // The immediate rule during a sync-plan run: the plan waits for its next interval.
    virtual void handBackToPlan() {}
    // The job was stopped by a cancel (at its next tick, or during a countdown).
    virtual void onCancelled() {}
    // The no-retry rule hides both panels unless a job says otherwise.
    virtual bool hideBothPanelsOnGiveUp() const { return true; }
    // The job's tray hint while it ticks; empty leaves the hint alone.
    virtual QString trayHintFor(const QString &caption) const
    {
        Q_UNUSED(caption);
        return {};
    }

    // Steps 6 to 8 of a start: start time, counters, panel, first request.
    void begin(const QStringList &items, const QString &startCaption, bool cancelShown);
    // A reply processed: count it, drop the item, finish or arm the timer.
    void advance();
    // A job that ends early (error reply, database error): hides nothing by itself.
    void end();
    void armTimer();
    // A transport error of the request in flight, handled by the job's rule.
    void transportError();

private:
    void tick();

    JobHost &m_host;
    TransportRule m_rule;
    QTimer m_timer;
    int m_intervalMs;
    QStringList m_items;
    int m_done = 0;
    QString m_startTime;
    bool m_running = false;
};
