#pragma once

#include "jobs/RequestJob.h"
#include "sync/JournalSettle.h"

#include <QSqlDatabase>
#include <QString>
#include <QList>
#include <functional>

class ListModel;
class TopClient;
class TWinHTTP;
struct JournalEntry;

// A row-walking job that changes items of the shop, one update call per
// ticked row of a list (or per item, with the sent-item list): the price
// upload, listing, delisting, the warehouse's immediate listing and the
// planned listing times. Shows progress panel 2; an error reply or a
// transport error ends the run with its message and leaves the rows not yet
// done ticked.
//
// Write-ahead: before each call a journal row "sent" is committed on its
// own (nothing is sent when it cannot be); the reply moves it to "done" in
// the transaction that stores the change, or to "refused" with the
// platform's text. A run first settles the rows an earlier run left "sent"
// by reading the items back (JournalSettle.h). An error reply that refuses
// one item (ErrorScope::Item) leaves its row ticked and the run goes on;
// errors about the call, the key or the session end the run.
class ShopRowJob : public RequestJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, NothingToDo, ErrorReply, NetworkError, DatabaseError, Cancelled };

    ShopRowJob(JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &model,
               QObject *parent = nullptr);
    ~ShopRowJob() override;

    ListModel &model() { return m_model; }
    Outcome outcome() const { return m_outcome; }
    // The list is filled again at the end of a complete run.
    void setReloadList(std::function<void()> reload) { m_reload = std::move(reload); }
    TWinHTTP *component() const { return m_http; }
    // The sync cycle the journal rows of the run belong to (0: none), and who
    // the journal names as having started it (empty: "plan" or "person").
    void setCycleId(qint64 id) { m_cycleId = id; }
    void setStartedBy(const QString &startedBy) { m_startedByOverride = startedBy; }

    // A row the platform refused in the last run.
    struct Refusal
    {
        QString account, numIid, skuId, title, uniqid, reason;
    };
    const QList<Refusal> &refusedRows() const { return m_refused; }
    // The error code of the reply that ended the run (0: none).
    int failureCode() const { return m_failureCode; }

Q_SIGNALS:
    // One change the shop accepted (the command line prints it).
    void changed(const QString &account, const QString &numIid, const QString &skuId, const QString &title,
                 const QString &before, const QString &after);
    // One row the platform refused; the run goes on.
    void refused(const QString &account, const QString &numIid, const QString &skuId, const QString &title,
                 const QString &reason);
    // The run is over (every outcome but a start that did not happen).
    void ended(ShopRowJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    void replaceComponent() override;
    void onCancelled() override;
    bool hideBothPanelsOnGiveUp() const override { return m_hideBothOnGiveUp; }
    void sendFirst() override;

    // A reply of the current row: the job's own processing of a success.
    virtual void rowSucceeded(const QString &reply) = 0;
    // The prefix of the error message, chosen by the error text.
    virtual QString errorPrefix(const QString &errorText) const = 0;

    TopClient &client() { return m_client; }
    QSqlDatabase &db() { return m_db; }
    TWinHTTP &http() { return *m_http; }
    void over(Outcome outcome);
    // At the end of a run, before the ended() signal: by default a run the
    // seller started names the rows the platform refused.
    virtual void tellEnd(Outcome outcome);
    void reloadList();
    void setHideBothOnGiveUp(bool on) { m_hideBothOnGiveUp = on; }
    // Starts the walk over the ticked rows, after settling the journal rows
    // an earlier run left "sent"; false when nothing started.
    bool beginSettled(const QString &startCaption, bool sentItemList = false);
    // The subclass's finish() asks first: true when the settling has just
    // ended and the walk over the rows has started instead.
    bool settleFinished();
    // Commits the write-ahead record of the current row; false (the run
    // ended with the message, nothing sent) when it cannot be written.
    bool writeAhead(JournalEntry entry);
    // The current row's record becomes "done" (inside the caller's transaction).
    bool journalDone(QString *error);
    // Stores the change of a success in one transaction with the record's
    // "done"; false (the run ended with the message) when it cannot.
    bool storeDone(const std::function<bool(QString *)> &change);
    // The item of the row was refused in this run (listing's other SKU rows).
    bool itemRefused(const QString &account, const QString &numIid) const;
    // Fills a refusal's item from a row (target list layout unless a job says otherwise).
    virtual void refusalDetails(int row, Refusal &refusal) const;
    // "person", or "plan" while the sync plan runs.
    QString startedBy() const;
    // A statement failed while a row was under way: the message, the panel
    // hidden, the run ended.
    void databaseError(const QString &error);
    // The first ticked row of the list, or -1.
    int firstTicked() const;

private Q_SLOTS:
    void httpDone(const QString &contentType, qint64 fileSize, const QByteArray &body);
    void httpAnyError(const QString &message);

private:
    void createComponent();
    void retickRefused();

    TopClient &m_client;
    QSqlDatabase m_db;
    ListModel &m_model;
    TWinHTTP *m_http = nullptr;
    Outcome m_outcome = Outcome::NothingToDo;
    std::function<void()> m_reload;
    bool m_hideBothOnGiveUp = true;
    SentRowSettler m_settler;
    bool m_settling = false;
    bool m_sentItemList = false;
    QString m_startCaption;
    qint64 m_journalId = 0;
    QList<Refusal> m_refused;
    int m_failureCode = 0;
    qint64 m_cycleId = 0;
    QString m_startedByOverride;
};
