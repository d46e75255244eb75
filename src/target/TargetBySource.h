#pragma once

#include "jobs/ComponentJob.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

class TopClient;

// The target download by source configuration: for every merchant code of
// the source side the logged-in shop is asked for its own items with that
// code (taobao.items.custom.get with the session, one code per request). A
// code is asked for once however many source rows carry it, and an item is
// stored once however many codes find it. The rows, owned by the current
// account, gather in TB_Object_Download; when every code has been asked they
// replace the account's rows of TB_Object, with the time of the download
// (NM 2), in one transaction. Any other end leaves the account's rows and NM 2
// as the last complete download left them. A transport error sends the same
// code again at once, four times at most.
class TargetBySourceJob : public ComponentJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, NothingToDo, ErrorReply, NetworkGaveUp, DatabaseError, Cancelled };

    TargetBySourceJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent = nullptr);

    // The current account (the text of _users) the rows belong to.
    void setAccount(const QString &account) { m_account = account; }
    const QString &account() const { return m_account; }
    // The confirmed matching-key mode (0-8) when the job starts.
    void setMatchingKey(std::function<int()> key) { m_key = std::move(key); }
    // The window reloads the target list (and shows NM 2).
    void setReloadLists(std::function<void()> reload) { m_reload = std::move(reload); }

    // _DownloadClick: starts the job; false when it did not start (busy, a
    // target download-source list exists, no source rows, no codes, the
    // question answered No).
    bool DownloadClick();
    // The refusals of a start, shown: a target download-source list exists,
    // no source rows, no account. The command line asks before it logs in.
    bool mayStart();

    // The codes the job asks for in a matching-key mode: SKU merchant codes
    // of TB_Source in mode 1, the merchant codes of the ticked list entries
    // otherwise; trimmed, each once, in the order they first occur.
    static QStringList MerchantCodes(const QSqlDatabase &db, int matchingKey, QString *error = nullptr);

    Outcome outcome() const { return m_outcome; }
    const QString &lastStatement() const { return m_lastStatement; }
    // ProcessXML_Object: stores one reply; false after a database error,
    // recorded in the debug memo.
    bool ProcessXML_Object(const QString &reply);
    // The gathered rows in place of the account's rows, and NM 2, all or nothing.
    bool replaceTargetRows();

Q_SIGNALS:
    void ended(TargetBySourceJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override;
    QString progressCaption(int percent) const override;
    QString trayHintFor(const QString &caption) const override;
    void sendFirst() override;
    void finish() override;
    void onCancelled() override;
    // WinHTTPDone, WinHTTPAnyError
    void componentDone(const QByteArray &body) override;
    void componentError(const QString &message) override;

private:
    void over(Outcome outcome);

    TopClient &m_client;
    QSqlDatabase m_db;
    Outcome m_outcome = Outcome::NothingToDo;
    QString m_lastStatement;
    QString m_account;
    QSet<QString> m_stored; // item ids stored in this run
    std::function<int()> m_key;
    std::function<void()> m_reload;
};
