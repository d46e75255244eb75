#pragma once

#include "store/UploadJournal.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Settling: a journal row left "sent" (the program ended, or the reply never
// came, between the call and its reply) is decided by reading the item back
// from the shop before anything else is sent.
//
// Incremental quantity: the shop showing before + increment means applied
// ("done", TB_Object written), before means not applied ("refused" with the
// reason; the row is sent again in the normal course), anything else
// "unsettled": no run sends that SKU again until the seller decides
// (`journal settle ID --applied|--not-applied`). Full quantity, price,
// listing and delisting: the value the shop shows decides done or not
// applied, and TB_Object takes the shop's value either way. A planned
// listing time cannot be read back: it is left unsettled for the seller.
struct SettleVerdict
{
    QString state;     // done, refused, unsettled
    QString shopValue; // what the shop shows ("" when the item was not found)
    QString message;
};

// The verdict on one sent row from a taobao.items.list.get reply.
SettleVerdict JudgeSent(const JournalEntry &entry, const QString &reply);
// Stores the verdict: the journal's state and TB_Object in one transaction.
bool StoreVerdict(QSqlDatabase db, const JournalEntry &entry, const SettleVerdict &verdict, QString *error);
// The seller's decision on an unsettled (or sent) row: applied writes
// TB_Object with the value sent; not applied leaves it. False with a message
// for an unknown id or a row already settled.
bool SettleByHand(QSqlDatabase db, qint64 id, bool applied, QString *error);

// The sent rows of a run, in batches of item ids for the read-back.
class SentRowSettler
{
public:
    // Loads the sent rows (every account; the read-back needs no session).
    bool load(const QSqlDatabase &db, QString *error);
    bool pending() const { return !m_rows.isEmpty(); }
    // Item ids joined by "," for the read-backs, 20 a batch.
    QStringList batches() const;
    // The reply for one batch: judges its rows and stores each verdict.
    bool take(QSqlDatabase db, const QString &batch, const QString &reply, QString *error);

    // What the settling decided, in order.
    const QList<QPair<JournalEntry, SettleVerdict>> &settled() const { return m_settled; }

private:
    QList<JournalEntry> m_rows;
    QList<QPair<JournalEntry, SettleVerdict>> m_settled;
};
