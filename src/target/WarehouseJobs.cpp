#include "target/WarehouseJobs.h"

#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "store/SqlValues.h"
#include "store/UploadJournal.h"
#include "target/Warehouse.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
// A refused warehouse row: the item, its shop and its title.
void warehouseRefusal(const ListModel &model, int row, ShopRowJob::Refusal &f)
{
    const ListRow &r = model.row(row);
    f.account = r.cells.value(WhNick);
    f.numIid = r.cells.value(WhNumIid);
    f.title = r.caption;
    f.uniqid = r.uniqid();
}
} // namespace

void ListTimeUploadJob::refusalDetails(int row, Refusal &refusal) const
{
    warehouseRefusal(const_cast<ListTimeUploadJob *>(this)->model(), row, refusal);
}

void WarehouseListingJob::refusalDetails(int row, Refusal &refusal) const
{
    warehouseRefusal(const_cast<WarehouseListingJob *>(this)->model(), row, refusal);
}

// ---------------------------------------------------------------- download

WarehouseDownloadJob::WarehouseDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db,
                                           WarehouseList &list, QObject *parent)
    : ShopRowJob(host, client, db, list.model(), parent), m_list(list)
{
}

bool WarehouseDownloadJob::_inventoryClick(const QString &query, int pageNo, int pageSize)
{
    if (host().busy())
        return false;
    if (!host().ui().ask(QStringLiteral("是否下载仓库中的宝贝列表?")))
        return false;
    host().clearCancel();
    m_query = TrimText(query);
    m_pageNo = QString::number(pageNo);
    m_pageSize = QString::number(pageSize);
    m_stored = 0;
    begin({m_pageNo}, QStringLiteral("正在下载仓库中宝贝列表..."), true);
    return true;
}

QString WarehouseDownloadJob::progressCaption(int) const
{
    return QStringLiteral("正在下载仓库中宝贝列表...");
}

void WarehouseDownloadJob::sendFirst()
{
    if (!client().taobao_items_inventory_get(m_query, m_pageNo, m_pageSize, http()))
        transportError(QStringLiteral("busy"));
}

QString WarehouseDownloadJob::errorPrefix(const QString &) const
{
    return TopErrorPrefix::download();
}

int WarehouseDownloadJob::ProcessXML_Inventory(const QString &reply)
{
    static const char *const fields[] = {"seller_cids", "approve_status", "delist_time", "has_showcase",
                                         "list_time",   "nick",           "num",         "num_iid",
                                         "outer_id",    "price",          "title",       "valid_thru"};
    const QString flat = XmlToLines(reply).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    const QStringList pieces = SplitText(flat, ItemSeparator());
    QSqlDatabase &conn = db();
    conn.transaction();
    QSqlQuery q(conn);
    if (!q.exec(QStringLiteral("Delete from TB_Object_Inventory"))) {
        conn.rollback();
        return -1;
    }
    q.prepare(QStringLiteral("Insert Into TB_Object_Inventory(seller_cids,approve_status,delist_time,has_showcase,"
                             "list_time,nick,num,num_iid,outer_id,price,title,valid_thru)\n"
                             "values(?,?,?,?,?,?,?,?,?,?,?,?)"));
    int stored = 0;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        for (const char *f : fields) {
            const QString name = QString::fromLatin1(f);
            const QString start = QLatin1Char('<') + name + QStringLiteral(">=");
            const QString value = GetBetween(pieces.at(i), start, QStringLiteral("\r"));
            if (name == QStringLiteral("num") || name == QStringLiteral("valid_thru"))
                q.addBindValue(value.toLongLong());
            else if (name == QStringLiteral("price"))
                q.addBindValue(value.toDouble());
            else
                q.addBindValue(SqlText(value));
        }
        if (!q.exec()) {
            host().debug(QStringLiteral("Error:") + q.lastError().text());
            conn.rollback();
            return -1;
        }
        ++stored;
    }
    conn.commit();
    return stored;
}

void WarehouseDownloadJob::rowSucceeded(const QString &reply)
{
    m_stored = ProcessXML_Inventory(reply);
    if (m_stored < 0) {
        databaseError(QStringLiteral("无法保存仓库中宝贝列表: ") + db().lastError().text());
        return;
    }
    advance();
}

void WarehouseDownloadJob::finish()
{
    host().panel2().hide();
    m_list.reload();
    host().ui().info(QStringLiteral("完成\"下载仓库宝贝列表\",请确认."));
    over(Outcome::Completed);
}

// ---------------------------------------------------------------- planned listing times

ListTimeUploadJob::ListTimeUploadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, WarehouseList &list,
                                     QObject *parent)
    : ShopRowJob(host, client, db, list.model(), parent), m_list(list)
{
    setHideBothOnGiveUp(false);
}

bool ListTimeUploadJob::_planuploadClick(const QString &account)
{
    if (host().busy())
        return false;
    if (firstTicked() < 0) {
        host().ui().warn(QStringLiteral("没有勾选要\"上传计划上架时间\"的宝贝."));
        return false;
    }
    if (!host().ui().ask(QStringLiteral("是否要执行\"上传计划上架时间\"?")))
        return false;
    for (int r = 0; r < model().count(); ++r)
        if (model().isChecked(r) && model().row(r).cells.value(WhPlanned).isEmpty())
            model().setChecked(r, false);
    host().clearCancel();
    m_account = account;
    return beginSettled(QStringLiteral("店铺:") + account + QStringLiteral("\r\n") +
                        QStringLiteral("正在执行上传计划上架时间...(0%)"));
}

QString ListTimeUploadJob::progressCaption(int percent) const
{
    return QStringLiteral("店铺:") + m_account + QStringLiteral("\r\n") + QStringLiteral("正在执行上传计划上架时间...(") +
           QString::number(percent) + QStringLiteral("%)");
}

void ListTimeUploadJob::sendRow(int row)
{
    const ListRow &r = model().row(row);
    // the planned time is recorded before it goes out
    JournalEntry e;
    e.account = r.cells.value(WhNick);
    e.numIid = r.cells.value(WhNumIid);
    e.kind = QStringLiteral("list_time");
    e.before = r.cells.value(WhListTime);
    e.after = r.cells.value(WhPlanned);
    e.title = r.caption;
    if (!writeAhead(e))
        return;
    if (!client().taobao_item_update(r.cells.value(WhNumIid), r.cells.value(WhPlanned), http()))
        transportError(QStringLiteral("busy"));
}

QString ListTimeUploadJob::errorPrefix(const QString &) const
{
    return TopErrorPrefix::listTimeUpload();
}

void ListTimeUploadJob::rowSucceeded(const QString &)
{
    const int row = currentRow();
    const ListRow r = model().row(row);
    const QString planned = r.cells.value(WhPlanned);
    const bool stored = storeDone([&](QString *error) {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("update TB_Object_Inventory set list_time=? where uniqid=?"));
        q.addBindValue(SqlText(planned));
        q.addBindValue(r.uniqid().toLongLong());
        if (!q.exec()) {
            *error = q.lastError().text();
            return false;
        }
        return true;
    });
    if (!stored)
        return;
    model().setCell(row, WhListTime, planned);
    model().setCell(row, WhPlanned, QString());
    Q_EMIT changed(r.cells.value(WhNick), r.cells.value(WhNumIid), QString(), r.caption, r.cells.value(WhListTime),
                   planned);
    rowDone();
}

void ListTimeUploadJob::finish()
{
    if (settleFinished())
        return;
    host().panel2().setCaption(QStringLiteral("完成执行上传计划上架时间."));
    host().panel2().hide();
    host().ui().info(QStringLiteral("完成执行上传计划上架时间,请确认."));
    over(Outcome::Completed);
}

// ---------------------------------------------------------------- immediate listing

WarehouseListingJob::WarehouseListingJob(JobHost &host, TopClient &client, const QSqlDatabase &db,
                                         WarehouseList &list, QObject *parent)
    : ShopRowJob(host, client, db, list.model(), parent), m_list(list)
{
}

bool WarehouseListingJob::_onsaleUploadClick()
{
    if (host().busy())
        return false;
    host().clearCancel();
    const int first = firstTicked();
    if (first < 0) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("仓库中等待上架的宝贝列表中没有勾选要上架的宝贝."));
        return false;
    }
    if (!host().planRunning() && !host().ui().ask(QStringLiteral("是否要对仓库中勾选的宝贝执行商品立刻上架?")))
        return false;
    return beginSettled(QStringLiteral("店铺:") + model().row(first).cells.value(WhNick) + QStringLiteral("\r\n") +
                        QStringLiteral("仓库正在执行商品立刻上架...(0%)"));
}

QString WarehouseListingJob::progressCaption(int percent) const
{
    return QStringLiteral("仓库正在执行商品立刻上架...(") + QString::number(percent) + QStringLiteral("%)");
}

void WarehouseListingJob::sendRow(int row)
{
    const ListRow &r = model().row(row);
    JournalEntry e;
    e.account = r.cells.value(WhNick);
    e.numIid = r.cells.value(WhNumIid);
    e.kind = QStringLiteral("list");
    e.mode = QStringLiteral("warehouse");
    e.before = r.cells.value(WhStatus);
    e.after = QStringLiteral("销售中");
    e.title = r.caption;
    if (!writeAhead(e))
        return;
    if (!client().taobao_item_update_listing2(r.cells.value(WhNumIid), r.cells.value(WhNum), http()))
        transportError(QStringLiteral("busy"));
}

QString WarehouseListingJob::errorPrefix(const QString &) const
{
    return TopErrorPrefix::warehouseListing();
}

void WarehouseListingJob::rowSucceeded(const QString &)
{
    const int row = currentRow();
    const ListRow r = model().row(row);
    const bool stored = storeDone([&](QString *error) {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("Delete From TB_Object_Inventory where num_iid=?"));
        q.addBindValue(SqlText(r.cells.value(WhNumIid)));
        if (!q.exec()) {
            *error = q.lastError().text();
            return false;
        }
        return true;
    });
    if (!stored)
        return;
    model().setCell(row, WhStatus, QStringLiteral("销售中"));
    Q_EMIT changed(r.cells.value(WhNick), r.cells.value(WhNumIid), QString(), r.caption, r.cells.value(WhStatus),
                   QStringLiteral("销售中"));
    rowDone();
}

void WarehouseListingJob::finish()
{
    if (settleFinished())
        return;
    host().panel2().setCaption(QStringLiteral("完成执行商品立刻上架."));
    host().panel2().hide();
    m_list.reload();
    over(Outcome::Completed);
}
