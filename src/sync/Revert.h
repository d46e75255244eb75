#pragma once

#include "store/Settings.h"
#include "sync/Guardrails.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <memory>

class DifferenceQuery;
class JobHost;
class ListModel;
class PriceUploadJob;
class QuantityUploadJob;
class ShopReadBack;
class TopClient;

// What a revert undoes: the rows of one sync cycle, the rows since a time,
// or rows chosen in the history; of one account, or of every account.
struct RevertSelection
{
    qint64 cycleId = 0;
    QDateTime since;
    QList<qint64> ids;
    QString account; // empty: every account
};

// One SKU (or item without SKUs) and kind as a revert sees it: the journal
// rows of the selection that changed it, the value they found and the value
// they left.
struct RevertRow
{
    QString account;
    QString numIid;
    QString skuId;
    QString title;
    QString color;
    QString size;
    QString kind;              // "quantity", "price"; other kinds are only named as skipped
    QList<qint64> journalIds;  // the rows it undoes, oldest first
    QString after;             // what the last of them left in the shop
    QString revertTo;          // what the shop had before the first of them
    QString current;           // what the shop shows now ("" until it was read back)
    QString uniqid;            // the target row
    QString properties;        // the SKU's property pairs (the price update needs them)
    QString skip;              // why it is not reverted ("" when it is)
    QString result;            // after the run: what became of it
    bool reverted = false;

    bool revertable() const { return skip.isEmpty(); }
};

// Undoing a run: puts the quantities and prices that the chosen journal rows
// changed back to the values they found. It is a run of its own, with its
// own TB_Sync_Cycle row (started by "revert") and journal rows, and it goes
// through the ordinary uploads: the quantity upload and the price upload
// are fed the rows to revert instead of the target list, so the write-ahead
// record, the settling of rows left "sent", the guardrails and the journal
// work as for any upload.
//
// Only what can be undone safely is sent. A row is skipped, with the reason,
// when it was not done (refused, unsettled, sent), when it is a listing,
// delisting or listing time, when a later journal row changed the same SKU,
// when the local target row is gone, or when the shop, read back just
// before, no longer shows the value the run left there.
//
// Quantities go back as an increment: the difference between the value the
// run found and the value it left (type 2), sent only after the shop was
// seen showing the value it left. A sale in the seconds between the
// read-back and the update is kept, where setting the old value outright
// would overwrite it and offer goods already sold; and a lost reply is
// settled by the quantity upload's read-back, so the increment is never
// applied twice.
class RevertRun : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Completed,  // every revertable row was sent (some may have been refused)
        NothingToDo,
        Held,       // a guardrail held the run: nothing was sent
        Failed,     // a step ended early (error reply, network, database, cancel)
    };

    RevertRun(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent = nullptr);
    ~RevertRun() override;

    // Reads the journal rows of the selection and works out what a revert
    // would send. False with *error when the selection names nothing that
    // can be read (an unknown cycle or record): then nothing else happened.
    bool plan(const RevertSelection &selection, QString *error);
    // Reads the items of the revertable rows back from the shop (no session
    // needed); a row the shop no longer shows at its "after" is skipped.
    // readBackDone() when over; false when nothing had to be read.
    bool readBack();
    // Sends the revertable rows: the quantities, then the prices; a row that
    // a run of the program changed since the plan is skipped. finished() when
    // over; false (finished() not emitted) when nothing was left to send
    // (outcome NothingToDo) or another job runs (Failed).
    bool run(GuardPolicy policy);

    const QList<RevertRow> &rows() const { return m_rows; }
    int revertableCount() const;
    Outcome outcome() const { return m_outcome; }
    const QString &failure() const { return m_failure; }
    // The guardrail's view of what the run was about to send.
    const UploadPreview &preview() const { return m_preview; }
    qint64 cycleId() const { return m_cycleId; }
    int refusedCount() const;

    // The plan as a question for the seller (several lines).
    QString planText() const;
    // The plan (or, after a run, its outcome) as records: a header line of
    // captions, then one line per row.
    QList<QStringList> planRecords() const;

Q_SIGNALS:
    void readBackDone(bool ok);
    void finished(RevertRun::Outcome outcome);

private:
    void readBackOver(bool ok);
    void startQuantities();
    void quantitiesEnded(int outcome);
    void startPrices();
    void pricesEnded(int outcome);
    void done(Outcome outcome, const QString &failure = QString());
    QList<int> rowsOfKind(const QString &kind) const;
    // Names the change of the row's SKU in a journal row after `afterId`
    // that the revert does not undo itself ("" when there is none); false
    // when the journal cannot be read.
    bool laterChange(const RevertRow &row, qint64 afterId, QString *change, QString *error) const;

    JobHost &m_host;
    TopClient &m_client;
    QSqlDatabase m_db;
    Settings m_settings;
    std::unique_ptr<ListModel> m_quantityModel;
    std::unique_ptr<ListModel> m_priceModel;
    std::unique_ptr<DifferenceQuery> m_quantityList;
    std::unique_ptr<QuantityUploadJob> m_quantity;
    std::unique_ptr<PriceUploadJob> m_price;
    std::unique_ptr<ShopReadBack> m_readBack;
    QList<RevertRow> m_rows;
    QString m_account;
    GuardPolicy m_policy = GuardPolicy::Hold;
    Outcome m_outcome = Outcome::NothingToDo;
    QString m_failure;
    UploadPreview m_preview;
    qint64 m_cycleId = 0;
    qint64 m_journalMark = 0; // the newest journal row when the plan was made
    bool m_running = false;
    bool m_quantityStep = false;
    bool m_priceStep = false;
};
