#pragma once

#include "jobs/ComponentJob.h"
#include "top/ItemDecoding.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>

class TopClient;

// The on-sale download of the item-list dialog: the on-sale items of the
// logged-in shop into the target list, page by page (taobao.items.onsale.get,
// 200 a page, with the session), one second apart, into one group; a page of
// exactly 200 items asks for the next one. The pages are gathered first; only
// when the last one has come in are the shop's earlier target-list entries
// (in every group) replaced by them, in one transaction. An error reply, a
// transport failure, a cancel and a storing error end the job with their
// message, hide the dialog's panel and leave the earlier entries, with their
// merchant-code overrides and ticks, exactly as they were.
class OnSaleImportJob : public ComponentJob
{
    Q_OBJECT
public:
    enum class Outcome { Completed, ErrorReply, NetworkFailed, DatabaseError, Cancelled };

    // panel: the dialog's own progress panel.
    OnSaleImportJob(JobHost &host, TopClient &client, const QSqlDatabase &db, ProgressPanelState &panel,
                    std::function<QString(const QString &)> itemPage, QObject *parent = nullptr);

    // Starts at page 1: nick is the logged-in account, group the Uniqid of
    // the target-list group the items go into. False when the panel is busy.
    bool start(int group, const QString &nick);

    // After the last page: the dialog relists.
    void setReloadList(std::function<void()> reload) { m_reload = std::move(reload); }

    int pageNo() const { return m_page; }
    int runningTotal() const { return m_total; }
    QString totalResults() const { return m_totalResults; }
    Outcome outcome() const { return m_outcome; }

    // ProcessXML_Sale: gathers one page (nothing is stored before the last);
    // false with the reason in *error.
    bool ProcessXML_Sale(const QString &reply, int *itemsOnPage, QString *error);

    static constexpr int kPageSize = 200;

Q_SIGNALS:
    void ended(OnSaleImportJob::Outcome outcome);

protected:
    ProgressPanelState &panel() override { return m_panel; }
    QString progressCaption(int percent) const override;
    void sendFirst() override;
    void finish() override;
    void onCancelled() override;
    // WinHTTP_SaleDone, WinHTTP_SaleAnyError
    void componentDone(const QByteArray &body) override;
    void componentError(const QString &message) override;

private:
    void over(Outcome outcome);
    // The gathered pages in place of the shop's earlier entries, in one transaction.
    bool storeStaged(QString *error);

    TopClient &m_client;
    QSqlDatabase m_db;
    ProgressPanelState &m_panel;
    std::function<QString(const QString &)> m_itemPage;
    std::function<void()> m_reload;
    int m_page = 1;
    int m_total = 0;
    QString m_totalResults;
    int m_group = 0;
    QString m_nick;
    QList<ItemRecord> m_staged; // the pages read so far
    Outcome m_outcome = Outcome::Completed;
};
