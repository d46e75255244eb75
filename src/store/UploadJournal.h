#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// What the program changed in a shop: one row per update call of the upload
// jobs (quantity, price, listing, delisting, listing time). Rows survive
// restarts and are never pruned. A row's state tells how far the call got:
// "sent" (recorded, reply not yet taken), "done", "refused" (the platform's
// text in message) or "unsettled" (the shop could not tell whether it was
// applied; the seller decides).
struct JournalEntry
{
    QDateTime at;          // when the reply arrived (local time)
    QString account;       // the shop account (TB_Object.UserId)
    QString numIid;
    QString skuId;         // empty for an item without SKUs or an item-level call
    QString kind;          // "quantity", "price", "list", "delist", "list_time"
    QString mode;          // e.g. "full" / "incremental" for quantities; free text otherwise
    QString before;        // value before the call, as shown to the seller
    QString after;         // value after the call
    QString startedBy;     // "plan" for a sync-plan cycle, "person" otherwise
    QString title;         // the item's title, for reading the journal later
    QString state = QStringLiteral("done"); // "sent", "done", "refused", "unsettled"
    QString message;       // the platform's text for a refusal, the reason for unsettled
    qint64 cycleId = 0;    // TB_Sync_Cycle row of the cycle the call belongs to; 0: none
    qint64 id = 0;         // set by the store
};

class UploadJournal
{
public:
    explicit UploadJournal(const QSqlDatabase &db) : m_db(db) {}

    // Appends one row (every value bound). Returns false with the engine's
    // message in *error.
    bool append(const JournalEntry &entry, QString *error = nullptr);
    // Rows at or after `since` (all rows when since is invalid), oldest first;
    // with a state, only the rows in that state.
    QList<JournalEntry> read(const QDateTime &since = QDateTime(), QString *error = nullptr,
                             const QString &state = QString()) const;

    // Write-ahead: commits the row on its own with state "sent" before the
    // call goes out; its id, or 0 with the engine's message in *error (then
    // nothing may be sent).
    qint64 begin(JournalEntry entry, QString *error = nullptr);
    // Moves a row to its final state ("done", "refused", "unsettled"),
    // stamping settled_at; the value after (when given) and the message are
    // stored with it. Runs inside the caller's transaction when one is open.
    bool mark(qint64 id, const QString &state, const QString &message = QString(),
              const QString &after = QString(), QString *error = nullptr);
    // The rows of one sync cycle, oldest first.
    QList<JournalEntry> inCycle(qint64 cycleId, QString *error = nullptr) const;
    // One row by id (id 0 when there is none).
    JournalEntry entry(qint64 id, QString *error = nullptr) const;
    // Rows in a state ("sent": recorded but not settled), oldest first; all
    // accounts when account is empty.
    QList<JournalEntry> inState(const QString &state, const QString &account = QString(),
                                QString *error = nullptr) const;
    // The row waits for the seller: an unsettled row of the same account,
    // item, SKU and kind.
    bool isHeld(const QString &account, const QString &numIid, const QString &skuId, const QString &kind) const;

    static QString sentState() { return QStringLiteral("sent"); }
    static QString doneState() { return QStringLiteral("done"); }
    static QString refusedState() { return QStringLiteral("refused"); }
    static QString unsettledState() { return QStringLiteral("unsettled"); }

    // Time format stored in the table: sorts as text.
    static QString timeText(const QDateTime &at);
    // Reads "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd", "yyyy/MM/dd hh:mm:ss",
    // "yyyy/MM/dd" or ISO 8601; invalid on anything else.
    static QDateTime parseTime(const QString &text);

private:
    QSqlDatabase m_db;
};
