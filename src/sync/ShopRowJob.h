#pragma once

#include "jobs/RequestJob.h"

#include <QSqlDatabase>
#include <QString>
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
// done ticked. Every successful call is appended to the upload journal.
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

Q_SIGNALS:
    // One change the shop accepted (the command line prints it).
    void changed(const QString &account, const QString &numIid, const QString &skuId, const QString &title,
                 const QString &before, const QString &after);
    // The run is over (every outcome but a start that did not happen).
    void ended(ShopRowJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    void replaceComponent() override;
    void onCancelled() override;
    bool hideBothPanelsOnGiveUp() const override { return m_hideBothOnGiveUp; }

    // A reply of the current row: the job's own processing of a success.
    virtual void rowSucceeded(const QString &reply) = 0;
    // The prefix of the error message, chosen by the error text.
    virtual QString errorPrefix(const QString &errorText) const = 0;

    TopClient &client() { return m_client; }
    QSqlDatabase &db() { return m_db; }
    TWinHTTP &http() { return *m_http; }
    void over(Outcome outcome);
    void reloadList();
    void setHideBothOnGiveUp(bool on) { m_hideBothOnGiveUp = on; }
    // Appends a successful call to the journal; a failure goes to the debug memo.
    void journal(JournalEntry entry);
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

    TopClient &m_client;
    QSqlDatabase m_db;
    ListModel &m_model;
    TWinHTTP *m_http = nullptr;
    Outcome m_outcome = Outcome::NothingToDo;
    std::function<void()> m_reload;
    bool m_hideBothOnGiveUp = true;
};
