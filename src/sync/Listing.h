#pragma once

#include "sync/ShopRowJob.h"

// Listing and delisting of the target list's ticked rows (`_listing`
// "执行商品上架", `_delisting` "执行商品下架"): one call per item, keyed by
// account + item id, so that the other SKU rows of an item sent in the run
// are done without a request. A success sets the row's status, and the
// status of every row of the item under the row's account in TB_Object; a
// complete run stores its start (NM 2) and fills the list again. The listing
// quantity is the sum of the item's target quantities of the row's own
// account. No retry after a transport error.
class ListingJob : public ShopRowJob
{
    Q_OBJECT
public:
    enum class Kind { Delisting, Listing };

    ListingJob(Kind kind, JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &model,
               QObject *parent = nullptr);

    Kind kind() const { return m_kind; }
    // _delistingClick / _listingClick: false when nothing started.
    bool start();

    // The item's total target quantity under the account, as text; empty
    // when the account has no row of the item.
    static QString ListingQuantity(const QSqlDatabase &db, const QString &account, const QString &numIid,
                                   bool *ok = nullptr);

protected:
    QString progressCaption(int percent) const override;
    void sendRow(int row) override;
    QString sentItemKey(int row) const override;
    void rowAlreadySent(int row) override;
    void rowSucceeded(const QString &reply) override;
    QString errorPrefix(const QString &errorText) const override;
    void finish() override;

private:
    QString word() const; // 下架 / 上架
    QString statusText() const;
    QString statusValue() const;

    Kind m_kind;
};
