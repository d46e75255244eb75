#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class Interaction;
class ListModel;
class RequestJob;
struct TopIntake;

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
    // The shared cancel flag of the window: set by the cancel buttons, cleared
    // by the window before its own commands. A stopped job stays stopped by
    // itself; the flag no longer decides that.
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
    // A job gives control back to the running plan, which waits for its next interval.
    void handBackToPlan() { Q_EMIT planHandBack(); }

    // Cancel buttons: set the flag, cancel the job of that side and hide the
    // panel (the window reloads its lists).
    void cancelSourceSide();
    void cancelTargetSide();

    // Countdown of a job: one-second ticks (ten unless told) shown in the
    // retry label of the job's panel, then the job resends the item in
    // flight. A cancel stops the countdown and the job.
    void startRetryCountdown(RequestJob *job, ProgressPanelState &panel, int seconds = 10);
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
    void planHandBack();

private:
    friend class RequestJob;
    void tryTick();
    void stopCountdown();
    void cancelSide(ProgressPanelState &panel);

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
    RequestJob *m_active = nullptr; // the job started last, while it runs
    QStringList m_debug;
};

// One request job: a walk over work items (list-walking) or over the ticked
// rows of a list (row-walking) with exactly one request in flight, paced by
// the job's timer. Subclasses send the request for an item or a row, store
// replies and finish; the common steps live here.
//
// A cancel ends the job itself: the reply in flight is still processed, but
// it arms neither the timer nor a countdown (only a last work item still
// finishes). A new start while the old request is out replaces the component.
//
// Temporary refusals of the platform (error 7 with "This ban will last N more
// seconds", N <= 300; error 15 with a time-out sub_code) are waited out with
// the countdown (N seconds, or ten) and the same request goes again, at most
// five times per job; every other error reply ends the job.
class RequestJob : public QObject
{
    Q_OBJECT
public:
    enum class TransportRule { Countdown, Immediate, NoRetry, NoHandler };

    RequestJob(JobHost &host, int intervalMs, TransportRule rule, QObject *parent = nullptr);
    ~RequestJob() override;

    JobHost &host() { return m_host; }
    bool running() const { return m_running; }
    // The job was ended by a cancel (until the next start).
    bool wasCancelled() const { return m_cancelled; }
    // A request of the job is out (its event has not arrived yet).
    bool requestOut() const { return m_inFlight; }
    const QString &startTime() const { return m_startTime; }
    int doneCount() const { return m_done; }
    const QStringList &items() const { return m_items; }
    // Row-walking: the row whose request is out (where it is now: the list
    // may have been sorted since; -1 when it left the list), and the ticked
    // rows at the start.
    int currentRow() const;
    int rowTotal() const { return m_rowTotal; }
    // Waits for temporary platform refusals used up in this run.
    int platformWaits() const { return m_platformWaits; }
    // percentage of a walk, rounded half to even
    static int Percent(int done, int total);
    // item ids joined by "," in batches of size (the last may be shorter)
    static QStringList Batches(const QStringList &ids, int size = 20);
    // Seconds to wait before sending the refused request again, or -1 when
    // the error reply ends the job.
    static int TemporaryWait(const TopIntake &reply);
    static constexpr int kMaxPlatformWaits = 5;
    static constexpr int kLongestBan = 300;

    // Called when the countdown runs out: resend the item in flight.
    void resumeAfterCountdown();
    // Called by a cancel: the job is over; a request still out stays out and
    // its reply is still processed.
    void cancel();
    // Ends the job now (a cancel during a countdown, or at the next tick).
    void stop();

protected:
    // Row-walking: the line added to the message that ends a run early, naming
    // how many ticked rows were not sent (empty for other jobs or none left).
    // The uploads say what went up, what was refused and what was not sent.
    virtual QString rowsLeftNote() const;
    // The panel the job shows, and whether the countdown uses lblTry (panel 1).
    virtual ProgressPanelState &panel() = 0;
    virtual QString progressCaption(int percent) const = 0;
    // List-walking: sends the request for the first remaining work item.
    virtual void sendFirst() {}
    // Row-walking: sends the request for a row of the model.
    virtual void sendRow(int row) { Q_UNUSED(row); }
    // Row-walking with the sent-item list: the key of a row's item (empty:
    // always send); a row whose key was sent in this run is not sent again
    // but marked done at once through rowAlreadySent().
    virtual QString sentItemKey(int row) const
    {
        Q_UNUSED(row);
        return {};
    }
    virtual void rowAlreadySent(int row) { Q_UNUSED(row); }
    // After the last item: the job's own finish (store the start time, reload, report).
    virtual void finish() = 0;
    // A transport error replaces the job's HTTP component by a fresh one.
    virtual void replaceComponent() {}
    // Before the countdown rule acts (the tray icon stops animating).
    virtual void onTransportError() {}
    // The immediate rule during a sync-plan run: the plan waits for its next interval.
    virtual void handBackToPlan() { m_host.handBackToPlan(); }
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

    // A start while the request of a cancelled run is still out: that run
    // ends now and the busy component is replaced by a fresh one (begin does
    // this too; a job calls it first when it prepares its storage).
    void releaseOldRun();
    // Steps 6 to 8 of a start: start time, counters, panel, first request.
    void begin(const QStringList &items, const QString &startCaption, bool cancelShown);
    // The same for a row-walking job over the ticked rows of the model, in
    // the model's current order; false (nothing started) when none is ticked.
    bool beginRows(ListModel &model, const QString &startCaption, bool cancelShown, bool sentItemList = false);
    // A reply processed: count it, drop the item, finish or arm the timer.
    void advance();
    // A list-walking job learns of more work from a reply (the next page):
    // the item joins the end of the list, before advance() is called.
    void appendItem(const QString &item) { m_items.append(item); }
    // The item in flight is to be sent again as these pieces (a batch split
    // up): they take its place at the front and the timer is armed.
    void replaceCurrentItem(const QStringList &pieces);
    // Row-walking: the current row's reply processed: untick it, move to the
    // next ticked row, finish or arm the timer.
    void rowDone();
    // A job that ends early (error reply, database error): hides nothing by itself.
    void end();
    void armTimer();
    // A transport error of the request in flight, handled by the job's rule;
    // the cause goes to the debug memo.
    void transportError(const QString &cause = QString());
    // An error reply: waits and resends when the platform refused for a
    // while; otherwise reports it, hides the panel and ends the job.
    enum class ErrorReplyEnd { Waiting, Ended };
    ErrorReplyEnd errorReply(const TopIntake &reply);

private:
    friend class JobHost;
    void tick();
    void start(const QString &startCaption, bool cancelShown);
    void sendCurrent();
    int nextTickedRow() const;
    void countdownOver();

    JobHost &m_host;
    TransportRule m_rule;
    QTimer m_timer;
    int m_intervalMs;
    QStringList m_items;
    int m_done = 0;
    QString m_startTime;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_inFlight = false;
    bool m_platformWait = false; // the countdown under way waits for the platform
    int m_platformWaits = 0;
    // row-walking
    ListModel *m_model = nullptr;
    int m_row = -1;       // position when the row was chosen
    quint64 m_rowKey = 0; // the row's id in the model, which a sort keeps
    int m_rowTotal = 0;
    bool m_useSentItems = false;
    QStringList m_sentItems;
};
