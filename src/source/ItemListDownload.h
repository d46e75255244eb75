#pragma once

#include "jobs/ComponentJob.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class TopClient;
class StagedReplace;
struct TopIntake;

// What the two downloads by item id share (taobao.items.list.get in batches
// of 20 over the ticked entries of a download-source list: the source list,
// Tag 0, or the target list, Tag 1): reading the ticked ids, the reply
// intake, the transport rule, and the ids the platform refuses.
//
// The platform refuses a whole batch for one id it does not take ("Invalid
// arguments:num_iids"): the batch goes again in halves until the refused ids
// stand alone; they are reported by id, marked in TB_URL.refused, and the
// download completes with the rest.
class ItemListDownloadJob : public ComponentJob
{
    Q_OBJECT
public:
    const QStringList &refusedIds() const { return m_refused; }
    static bool IsRefusedIdsReply(const TopIntake &reply);
    // The text TB_URL.refused holds for an id the platform refused.
    static QString RefusedMark();

protected:
    ItemListDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, int tag, int intervalMs,
                        QObject *parent);

    // The trimmed ids of the ticked entries, in list order; false after a
    // database error, recorded and shown.
    bool tickedIds(QStringList &ids);
    // Empties the staging table the replies gather in; false as above.
    bool emptyStaging(const QString &staging);
    // A new run: no id refused yet.
    void clearRefused() { m_refused.clear(); }
    // In the transaction of the finish: the marks of the ids fetched become
    // those of this download.
    bool markRefusedIds(StagedReplace &replace);
    // The seller's message about the refused ids; listName names the list
    // where they are marked.
    QString refusedMessage(const QString &listName) const;

    // Sends one batch of ids; false when the component would not start.
    virtual bool sendBatch(const QString &ids) = 0;
    // Stores one reply; false when storing ended the job.
    virtual bool storeReply(const QString &reply) = 0;
    // An error reply ended the job.
    virtual void errorReplyEnded() = 0;
    // The fifth transport error in a run ended the job.
    virtual void networkGaveUp() = 0;

    TopClient &client() { return m_client; }
    const QSqlDatabase &db() const { return m_db; }

    void sendFirst() override;
    void componentDone(const QByteArray &body) override;
    void componentError(const QString &message) override;

private:
    void refusedBatch(const TopIntake &reply);
    void markRefused(const QString &id);
    bool refuse(const QString &error, const QString &statement);

    TopClient &m_client;
    QSqlDatabase m_db;
    int m_tag;
    QStringList m_refused;
};
