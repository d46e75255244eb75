#pragma once

#include "source/ItemListDownload.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <functional>

class TopClient;
struct ItemRecord;

// The source download: fetches the ticked item ids of the source
// download-source list in batches of 20 (one taobao.items.list.get each),
// gathers one row per SKU (or per item without SKUs) in TB_Source_Download,
// keeps the list's entries current, and when every batch has come in puts the
// rows in place of TB_Source, with the custom merchant codes and the time of
// the download (NM 1), in one transaction. Any other end leaves TB_Source and
// NM 1 as the last complete download left them. Ids the platform refuses
// are split out, marked and reported (ItemListDownloadJob).
class SourceDownloadJob : public ItemListDownloadJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, NothingToDo, ErrorReply, NetworkGaveUp, DatabaseError, Cancelled };

    SourceDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent = nullptr);

    // _FromDownloadClick: starts the job; false when it did not start
    // (busy, or nothing ticked).
    bool FromDownloadClick();

    // The text of _users, shown in the tray hint.
    void setAccountText(std::function<QString()> account) { m_account = std::move(account); }
    // Finish step 4: the window reloads its lists (source list or totals, then the target list).
    void setReloadLists(std::function<void()> reload) { m_reload = std::move(reload); }
    // Hand-over to a running sync plan: upload step on (true) or off (false).
    void setPlanHandOver(std::function<void(bool uploadStep)> handOver) { m_handOver = std::move(handOver); }

    Outcome outcome() const { return m_outcome; }
    // The statement last prepared while storing (shown in the debug memo after an error).
    const QString &lastStatement() const { return m_lastStatement; }
    // ProcessXML_Source: stores one reply (every item and SKU row into
    // TB_Source_Download, the list's entries); false after a database error,
    // recorded in the debug memo.
    bool ProcessXML_Source(const QString &reply);
    // The gathered rows in place of TB_Source, the custom merchant codes
    // applied and NM 1 set to the job's start, all or nothing; false after a
    // database error, recorded in the debug memo.
    bool replaceSourceRows();

Q_SIGNALS:
    // The job is over (every outcome but a start that did not happen).
    void ended(SourceDownloadJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    QString progressCaption(int percent) const override;
    void finish() override;
    QString trayHintFor(const QString &caption) const override;
    void onCancelled() override;

    // taobao_items_list_get; WinHTTP_SourceDone and WinHTTP_SourceAnyError
    // are the shared intake's
    bool sendBatch(const QString &ids) override;
    bool storeReply(const QString &reply) override;
    void errorReplyEnded() override;
    void networkGaveUp() override;

private:
    bool applyCustomCodes(QSqlQuery &q, QString &statement);
    QString refusedMessage() const;
    void over(Outcome outcome);

    QSqlDatabase m_db;
    Outcome m_outcome = Outcome::NothingToDo;
    QString m_lastStatement;
    std::function<QString()> m_account;
    std::function<void()> m_reload;
    std::function<void(bool)> m_handOver;
};
