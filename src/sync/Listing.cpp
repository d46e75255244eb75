#include "sync/Listing.h"

#include "base/Interaction.h"
#include "base/ListModel.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceRows.h"
#include "top/TopClient.h"

#include <QSqlError>
#include <QSqlQuery>

ListingJob::ListingJob(Kind kind, JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &model,
                       QObject *parent)
    : ShopRowJob(host, client, db, model, parent), m_kind(kind)
{
}

QString ListingJob::word() const
{
    return m_kind == Kind::Delisting ? QStringLiteral("下架") : QStringLiteral("上架");
}

QString ListingJob::statusText() const
{
    return m_kind == Kind::Delisting ? QStringLiteral("已下架") : QStringLiteral("销售中");
}

QString ListingJob::statusValue() const
{
    return m_kind == Kind::Delisting ? QStringLiteral("instock") : QStringLiteral("onsale");
}

QString ListingJob::ListingQuantity(const QSqlDatabase &db, const QString &account, const QString &numIid, bool *ok)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select sum(num) from Tb_object where num_iid=? and UserId=?"));
    q.addBindValue(SqlText(numIid));
    q.addBindValue(SqlText(account));
    const bool done = q.exec() && q.next();
    if (ok)
        *ok = done;
    return done && !q.value(0).isNull() ? q.value(0).toString() : QString();
}

bool ListingJob::start()
{
    if (host().busy())
        return false;
    host().clearCancel();
    const int first = firstTicked();
    if (first < 0) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("目标店铺没有勾选要") + word() + QStringLiteral("的宝贝."));
        return false;
    }
    if (!host().planRunning() &&
        !host().ui().ask(QStringLiteral("是否要对目标店铺的勾选的宝贝执行商品") + word() + QStringLiteral("?")))
        return false;
    const QString account = model().row(first).caption;
    return beginSettled(QStringLiteral("店铺:") + account + QStringLiteral("\r\n") + QStringLiteral("正在执行商品") +
                            word() + QStringLiteral("...(0%)"),
                        true);
}

QString ListingJob::progressCaption(int percent) const
{
    return QStringLiteral("正在执行商品") + word() + QStringLiteral("...(") + QString::number(percent) +
           QStringLiteral("%)");
}

QString ListingJob::sentItemKey(int row) const
{
    const ListRow &r = const_cast<ListingJob *>(this)->model().row(row);
    return r.caption + r.cells.value(CellNumIid);
}

void ListingJob::sendRow(int row)
{
    const ListRow &r = model().row(row);
    const QString numIid = r.cells.value(CellNumIid);
    JournalEntry e;
    e.account = r.caption;
    e.numIid = numIid;
    e.kind = m_kind == Kind::Delisting ? QStringLiteral("delist") : QStringLiteral("list");
    e.before = r.cells.value(CellStatus);
    e.after = statusText();
    e.title = r.cells.value(CellTitle);
    bool sent = false;
    if (m_kind == Kind::Delisting) {
        if (!writeAhead(e))
            return;
        sent = client().taobao_item_update_delisting(numIid, http());
    } else {
        bool ok = false;
        const QString num = ListingQuantity(db(), r.caption, numIid, &ok);
        if (!ok) {
            databaseError(db().lastError().text());
            return;
        }
        if (!writeAhead(e))
            return;
        sent = client().taobao_item_update_listing(numIid, num, http());
    }
    if (!sent)
        transportError(QStringLiteral("busy"));
}

void ListingJob::rowAlreadySent(int row)
{
    const ListRow &r = model().row(row);
    // another row of an item the platform refused keeps its status
    if (itemRefused(r.caption, r.cells.value(CellNumIid)))
        return;
    model().setCell(row, CellStatus, statusText());
}

QString ListingJob::errorPrefix(const QString &) const
{
    return m_kind == Kind::Delisting ? TopErrorPrefix::delisting() : TopErrorPrefix::listing();
}

void ListingJob::rowSucceeded(const QString &)
{
    const int row = currentRow();
    const ListRow r = model().row(row);
    const QString before = r.cells.value(CellStatus);
    const bool stored = storeDone([&](QString *error) {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("Update TB_Object Set approve_status=? where num_iid=? and UserId=?"));
        q.addBindValue(statusValue());
        q.addBindValue(SqlText(r.cells.value(CellNumIid)));
        q.addBindValue(SqlText(r.caption));
        if (!q.exec()) {
            *error = q.lastError().text();
            return false;
        }
        return true;
    });
    if (!stored)
        return;
    model().setCell(row, CellStatus, statusText());
    Q_EMIT changed(r.caption, r.cells.value(CellNumIid), QString(), r.cells.value(CellTitle), before, statusText());
    rowDone();
}

void ListingJob::finish()
{
    if (settleFinished())
        return;
    Settings(db()).set(Setting::TargetDownloadTime, startTime());
    host().panel2().setCaption(QStringLiteral("完成执行商品") + word() + QStringLiteral("."));
    host().panel2().hide();
    reloadList();
    over(Outcome::Completed);
}
