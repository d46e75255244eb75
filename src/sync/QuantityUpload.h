#pragma once

#include "jobs/RequestJob.h"
#include "sync/DifferenceOptions.h"
#include "sync/Guardrails.h"
#include "sync/JournalSettle.h"
#include "sync/UploadReport.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class DifferenceQuery;
class ListModel;
class TopClient;
class TWinHTTP;

// One row of the target list as the upload sends it.
struct QuantityRow
{
    QString account; // the row's caption (TB_Object.UserId)
    QString numIid;
    QString skuId;   // empty for an item without SKUs
    QString title;
    QString color;
    QString size;
    QString before;  // the target quantity shown (cell 4)
    QString source;  // the source quantity (cell 5): the new quantity, or the increment
    QString after;   // the target quantity after the update
    QString uniqid;  // the target row
    QString reason;  // refused or skipped: the platform's text or why it was left out
};


// The quantity upload: walks the ticked rows of the target list from the top,
// sends one taobao.item.quantity.update per row (type 1 full, type 2
// incremental; sku_id only for SKU rows), and for each success writes the new
// quantity into TB_Object (incremental: bcheck=0 too) and one row into the
// upload journal, in one transaction, and unticks the row. A complete run
// stores its start time as NM 2 and runs the difference query once.
//
// Write-ahead: before each call a journal row "sent" is committed on its
// own; the reply moves it to "done" in the transaction that writes TB_Object,
// or to "refused" with the platform's text. A row that cannot be written
// ends the run before anything is sent. A run first settles every row left
// "sent" by an earlier run (JournalSettle.h) by reading the items back.
//
// Transport failures are retried after the ten-second countdown, five times
// per run. A lost reply of an incremental update may have been applied: before
// it is sent again the item is read back; the target quantity plus the
// increment means it was applied (the row is done), the target quantity
// unchanged means it was not (sent again), anything else leaves the row
// unsettled for the seller, so an increment is never applied twice.
//
// An error reply that refuses one item (ErrorScope::Item) leaves that row
// ticked, journals the refusal and goes on; errors about the call, the key
// or the session end the run. Before sending, the guardrails look at what
// the run is about to send; a held run sends nothing.
class QuantityUploadJob : public RequestJob
{
    Q_OBJECT
public:
    enum class Outcome {
        Completed,     // every ticked row uploaded
        NothingTicked, // no row ticked: nothing sent
        ErrorReply,    // the platform refused a row; the rest stay ticked
        NetworkGaveUp, // the sixth transport failure of the run
        BadRow,        // a row whose quantities are not whole numbers
        DatabaseError, // the platform took the row but it could not be stored
        Cancelled,
        Held,          // a guardrail held the run: nothing sent
        DryRun,        // the preview was made; nothing sent by design
    };

    QuantityUploadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, DifferenceQuery &query,
                      QObject *parent = nullptr);
    ~QuantityUploadJob() override;

    // The text of _users, shown in the tray hint while the job runs.
    void setAccountText(std::function<QString()> account) { m_account = std::move(account); }
    // The refresh at the end of a complete run; unset, the difference query
    // runs with an empty keyword and its current options.
    void setReloadLists(std::function<void()> reload) { m_reload = std::move(reload); }

    // _UploadClick. startedByPlan (or a running plan) skips the warning and
    // the question; the journal records who started the run. True when a run
    // started; false when busy, declined or nothing is ticked (then ended()
    // reports NothingTicked, so a plan goes back to waiting).
    // ask: false when the caller has asked already (a revert shows its plan
    // as the question); the guardrail question is still asked.
    bool UploadClick(bool startedByPlan = false, bool ask = true);

    // How a held guardrail is met (the window asks; the plan always holds
    // unless Force).
    void setGuardPolicy(GuardPolicy policy) { m_policy = policy; }
    // A dry run works out the preview and what would be sent, and sends nothing.
    void setDryRun(bool on) { m_dryRun = on; }
    // The sync cycle the journal rows of the run belong to (0: none).
    void setCycleId(qint64 id) { m_cycleId = id; }
    // Who the journal names as having started the run ("revert" for the
    // undoing of a run); empty: "plan" or "person".
    void setStartedBy(const QString &startedBy) { m_startedBy = startedBy; }
    qint64 cycleId() const { return m_cycleId; }
    // The source guardrail of the cycle: its text holds the run ("" none).
    void setSourceHeld(const QString &held) { m_sourceHeld = held; }

    Outcome outcome() const { return m_outcome; }
    UploadMode mode() const { return m_mode; }
    bool startedByPlan() const { return m_byPlan; }
    // Rows uploaded in the last run, in order.
    const QList<QuantityRow> &uploaded() const { return m_uploaded; }
    // Ticked rows of the list that were not uploaded (after the run ended),
    // each with the quantity it was to get.
    QList<QuantityRow> notUploaded() const;
    // The message that ended the last run early (empty after a complete run).
    const QString &failureText() const { return m_failure; }
    // The error code of the reply that ended the run (0: none).
    int failureCode() const { return m_failureCode; }
    // Rows the platform refused (each with its text), rows left out before
    // sending (duplicated keys, unsettled rows; each with the reason), and
    // what the run's settling found.
    const QList<QuantityRow> &refused() const { return m_refused; }
    const QList<QuantityRow> &skipped() const { return m_skipped; }
    QStringList settleNotes() const { return m_settleNotes; }
    // What the last run did: uploaded, refused and not uploaded rows, taken
    // when the run ended (before the list is filled again). A run the seller
    // started ends with its text as a message.
    const UploadReport &report() const { return m_report; }
    // The preview of the last start (empty rows before any).
    const UploadPreview &preview() const { return m_preview; }
    // The rows the last start would send (a dry run's "what would be sent").
    const QList<QuantityRow> &planned() const { return m_planned; }
    TWinHTTP *component() const { return m_http; }

    // The row of the target list as the upload reads it.
    static QuantityRow RowOf(const ListModel &model, int row);
    static QString NothingTickedText() { return QStringLiteral("目标店铺没有勾选要更新新库存的宝贝."); }
    static QString QuestionText() { return QStringLiteral("是否要上传更新目标店铺的宝贝库存数量?"); }

Q_SIGNALS:
    // Each row the platform took, after it was stored.
    void rowUploaded(const QuantityRow &row);
    // The tray icon stops animating and shows its first image.
    void trayIconStill();
    // The run is over (also NothingTicked): the hand-back to the sync plan.
    void ended(QuantityUploadJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    QString progressCaption(int percent) const override;
    void sendRow(int row) override;
    void sendFirst() override;
    void finish() override;
    void replaceComponent() override;
    void onTransportError() override;
    void onCancelled() override;
    QString trayHintFor(const QString &caption) const override;
    QString rowsLeftNote() const override;

private Q_SLOTS:
    void WinHTTPUploadDone(const QString &contentType, qint64 fileSize, const QByteArray &body);
    void WinHTTPUploadAnyError(const QString &message);

private:
    void createComponent();
    // Before the first row: duplicated keys, unsettled rows, the guardrails.
    // False when the run must not start (held, declined, dry run).
    bool prepareRows(bool silent);
    void startRows();
    void settleReply(const QString &reply);
    void applySettledToList();
    bool writeAhead(QString *error);
    void refuseRow(const QString &text);
    void retickRefused();
    // A transport failure (or a reply that did not arrive whole).
    void lostReply(const QString &cause);
    void readBackDone(const QString &reply);
    // The platform took the current row: store it, untick, go on.
    void rowTaken();
    void stopWith(Outcome outcome, const QString &message);
    // The report of the run as it stands: rows still ticked that were
    // neither refused nor left out count as not reached.
    UploadReport reportNow(UploadReport::End end) const;
    void over(Outcome outcome);

    TopClient &m_client;
    QSqlDatabase m_db;
    DifferenceQuery &m_query;
    TWinHTTP *m_http = nullptr;
    UploadMode m_mode = UploadMode::Full;
    bool m_byPlan = false;
    // The current row's update may have been applied: read it back first.
    bool m_readBackPending = false;
    bool m_readBackOut = false; // the request out is the read-back
    QuantityRow m_current;
    Outcome m_outcome = Outcome::NothingTicked;
    QString m_failure;
    QList<QuantityRow> m_uploaded;
    QList<QuantityRow> m_refused;
    QList<QuantityRow> m_skipped;
    QList<QuantityRow> m_planned;
    QStringList m_settleNotes;
    UploadPreview m_preview;
    UploadReport m_report;
    bool m_reportTaken = false;
    GuardPolicy m_policy = GuardPolicy::Ask;
    bool m_dryRun = false;
    bool m_settling = false;
    SentRowSettler m_settler;
    qint64 m_cycleId = 0;
    qint64 m_journalId = 0; // the current row's write-ahead record
    int m_failureCode = 0;
    QString m_sourceHeld;
    QString m_startedBy;
    QString m_startCaption;
    std::function<QString()> m_account;
    std::function<void()> m_reload;
};
