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
    // Rows at or after `since` (all rows when since is invalid), oldest first.
    QList<JournalEntry> read(const QDateTime &since = QDateTime(), QString *error = nullptr) const;

    // Time format stored in the table: sorts as text.
    static QString timeText(const QDateTime &at);
    // Reads "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd", "yyyy/MM/dd hh:mm:ss",
    // "yyyy/MM/dd" or ISO 8601; invalid on anything else.
    static QDateTime parseTime(const QString &text);

private:
    QSqlDatabase m_db;
};
