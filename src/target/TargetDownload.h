#pragma once

#include "source/ItemListDownload.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>

class TopClient;

// The target download by target configuration: fetches the ticked item ids
// of the target download-source list in batches of 20 (one
// taobao.items.list.get each, with the session when one is held), checks
// that every item belongs to the current account, gathers one row per SKU
// (or per item without SKUs) in TB_Object_Download, keeps the list's entries
// current, and when every batch has come in puts the rows in place of the
// account's rows of TB_Object, with the blanked main codes, the custom
// merchant codes and the time of the download (NM 2), in one transaction.
// Any other end leaves the account's rows and NM 2 as the last complete
// download left them. Ids the platform refuses are split out, marked and
// reported (ItemListDownloadJob).
class TargetDownloadJob : public ItemListDownloadJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, NothingToDo, ErrorReply, NickMismatch, NetworkGaveUp, DatabaseError, Cancelled };

    TargetDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent = nullptr);

    // The current account (the text of _users) the rows belong to.
    void setAccount(const QString &account) { m_account = account; }
    const QString &account() const { return m_account; }
    // _chkNoOuter_id: the rows keep no main merchant code but a custom one.
    void setNoOuterId(bool on) { m_noOuterId = on; }
    bool noOuterId() const { return m_noOuterId; }
    // Finish step 5: the window reloads the target list.
    void setReloadLists(std::function<void()> reload) { m_reload = std::move(reload); }

    // N62Click: starts the job; false when it did not start (busy, no
    // account, nothing ticked, the question answered No).
    bool N62Click();

    Outcome outcome() const { return m_outcome; }
    // The statement last prepared while storing (shown in the debug memo after an error).
    const QString &lastStatement() const { return m_lastStatement; }
    // The seller nick under which the job stored its rows (empty before the first row).
    const QString &storedNick() const { return m_storedNick; }
    // ProcessXML_Object3: stores one reply; Stored, or the nick mismatch
    // (reported, the job ended), or a database error (recorded in the debug memo).
    enum class Stored { Ok, NickMismatch, DatabaseError };
    Stored ProcessXML_Object3(const QString &reply);
    // The gathered rows in place of the account's rows of TB_Object, the
    // main codes blanked (_chkNoOuter_id), the custom merchant codes applied
    // and NM 2 set to the job's start, all or nothing; false after a
    // database error, recorded in the debug memo.
    bool replaceTargetRows();

Q_SIGNALS:
    // The job is over (every outcome but a start that did not happen).
    void ended(TargetDownloadJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    QString progressCaption(int percent) const override;
    void finish() override;
    void onCancelled() override;

    // taobao_items_list_get3; WinHTTP_Object3Done and WinHTTP_Object3AnyError
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
    QString m_account;
    QString m_storedNick;
    bool m_noOuterId = false;
    std::function<void()> m_reload;
};
