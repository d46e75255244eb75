#pragma once

#include "sync/ShopRowJob.h"

class WarehouseList;

// "下载仓库中宝贝列表": one page of the shop's warehouse items
// (taobao.items.inventory.get) in place of TB_Object_Inventory. An error
// reply leaves the table as it was; a transport error ends the run with its
// message.
class WarehouseDownloadJob : public ShopRowJob
{
    Q_OBJECT
public:
    WarehouseDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, WarehouseList &list,
                         QObject *parent = nullptr);

    // _inventoryClick: false when nothing started (busy, No).
    bool _inventoryClick(const QString &query, int pageNo, int pageSize);
    // ProcessXML_Inventory: the page in place of the table, in one
    // transaction; the number of items stored, or -1 after a database error.
    int ProcessXML_Inventory(const QString &reply);
    int storedCount() const { return m_stored; }

protected:
    QString progressCaption(int percent) const override;
    void sendFirst() override;
    void rowSucceeded(const QString &reply) override;
    QString errorPrefix(const QString &errorText) const override;
    void finish() override;

private:
    WarehouseList &m_list;
    QString m_query;
    QString m_pageNo;
    QString m_pageSize;
    int m_stored = 0;
};

// "执行商品计划上架": the planned listing time of each ticked warehouse row
// (taobao.item.update with list_time); rows without a planned time are
// unticked first.
class ListTimeUploadJob : public ShopRowJob
{
    Q_OBJECT
public:
    ListTimeUploadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, WarehouseList &list,
                      QObject *parent = nullptr);

    // _planuploadClick: false when nothing started.
    bool _planuploadClick(const QString &account);

protected:
    QString progressCaption(int percent) const override;
    void sendRow(int row) override;
    void rowSucceeded(const QString &reply) override;
    QString errorPrefix(const QString &errorText) const override;
    void finish() override;
    void refusalDetails(int row, Refusal &refusal) const override;

private:
    WarehouseList &m_list;
    QString m_account;
};

// "执行商品立刻上架": puts the ticked warehouse items on sale at once with
// the row's quantity; a listed item leaves TB_Object_Inventory, and the list
// is filled again at the end. A transport error ends the run with its message.
class WarehouseListingJob : public ShopRowJob
{
    Q_OBJECT
public:
    WarehouseListingJob(JobHost &host, TopClient &client, const QSqlDatabase &db, WarehouseList &list,
                        QObject *parent = nullptr);

    // _onsaleUploadClick: false when nothing started.
    bool _onsaleUploadClick();

protected:
    QString progressCaption(int percent) const override;
    void sendRow(int row) override;
    void rowSucceeded(const QString &reply) override;
    QString errorPrefix(const QString &errorText) const override;
    void finish() override;
    void refusalDetails(int row, Refusal &refusal) const override;

private:
    WarehouseList &m_list;
};
