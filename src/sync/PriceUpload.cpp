#include "sync/PriceUpload.h"

#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceRows.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSqlError>
#include <QSet>
#include <QSqlQuery>

namespace {
const QString kShortAuthMarker = QStringLiteral("Insufficient session permissions");

// The price as a number for the comparison in SQL; texts like "100.00" and
// "100" are the same price.
QVariant priceValue(const QString &text)
{
    bool ok = false;
    const double v = TrimText(text).toDouble(&ok);
    return ok ? QVariant(v) : QVariant(TrimText(text));
}
} // namespace

QString PriceUploadJob::ItemPriceFor(int inStock, int atOldPrice, const QString &targetPrice,
                                     const QString &sourcePrice)
{
    if (inStock < 2)
        return {};
    return atOldPrice > 1 ? targetPrice : sourcePrice;
}

bool PriceUploadJob::_updatepriceClick()
{
    m_held = false;
    m_preview = UploadPreview();
    if (host().busy())
        return false;
    m_report = UploadReport();
    m_report.kind = UploadReport::Kind::Price;
    m_reportTaken = false;
    m_uploaded = 0;
    const int first = firstTicked();
    if (first < 0) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("目标店铺没有勾选要更新价格的宝贝."));
        return false;
    }
    if (!m_dryRun && m_ask && !host().ui().ask(QStringLiteral("是否要对目标店铺的勾选的宝贝执行商品更新价格?\r\n"
                                                     "(提示:淘宝规定,SKU价格只能在主价格的上下10%,否则无法更改)")))
        return false;
    host().clearCancel();
    // what the run is about to send, and whether it looks like a broken feed
    QList<PreviewRow> rows;
    for (int r = 0; r < model().count(); ++r) {
        if (!model().isChecked(r))
            continue;
        const ListRow &row = model().row(r);
        rows.append(PreviewRow{row.caption, row.cells.value(CellNumIid), row.cells.value(CellSkuId),
                               row.cells.value(CellTitle), row.cells.value(CellPrice), row.cells.value(CellSourcePrice)});
    }
    m_preview = Guardrails::price(rows, Settings(db()));
    if (m_dryRun)
        return false;
    if (m_preview.isHeld()) {
        const bool silent = host().planRunning();
        bool go = m_policy == GuardPolicy::Force;
        if (m_policy == GuardPolicy::Ask && !silent)
            go = host().ui().question(Interaction::tipCaption(), Guardrails::question(m_preview),
                                      Interaction::Icon::Warning);
        if (!go) {
            m_held = true;
            m_report = reportNow(UploadReport::End::Held);
            m_report.stopped = m_preview.text();
            m_reportTaken = true;
            host().debug(QStringLiteral("上传保护: 本次没有上传价格.\r\n") + m_preview.text());
            return false;
        }
        host().debug(QStringLiteral("上传保护已被忽略: ") + m_preview.held);
    }
    const QString account = model().row(first).caption;
    return beginSettled(QStringLiteral("店铺:") + account + QStringLiteral("\r\n") +
                        QStringLiteral("正在执行商品更新价格...(0%)"));
}

QString PriceUploadJob::progressCaption(int percent) const
{
    return QStringLiteral("正在执行商品更新价格...(") + QString::number(percent) + QStringLiteral("%)");
}

void PriceUploadJob::sendRow(int row)
{
    const ListRow &r = model().row(row);
    const QString account = r.caption;
    const QString numIid = r.cells.value(CellNumIid);
    const QString targetPrice = r.cells.value(CellPrice);
    const QString sourcePrice = r.cells.value(CellSourcePrice);
    const QString properties = r.cells.value(CellSkuProperties);

    QString itemPrice;
    if (!properties.isEmpty()) {
        int counts[2] = {0, 0};
        QSqlQuery q(db());
        const QString base = QStringLiteral("Select Count(*) from TB_Object Where num<>0 and num_iid=? and UserId=?");
        for (int i = 0; i < 2; ++i) {
            q.prepare(i == 0 ? base : QString(base + QStringLiteral(" and price=?")));
            q.addBindValue(SqlText(numIid));
            q.addBindValue(SqlText(account));
            if (i == 1)
                q.addBindValue(priceValue(targetPrice));
            if (!q.exec() || !q.next()) {
                databaseError(q.lastError().text());
                return;
            }
            counts[i] = q.value(0).toInt();
        }
        itemPrice = ItemPriceFor(counts[0], counts[1], targetPrice, sourcePrice);
    }
    JournalEntry e;
    e.account = account;
    e.numIid = numIid;
    e.skuId = r.cells.value(CellSkuId);
    e.kind = QStringLiteral("price");
    e.mode = properties.isEmpty() ? QStringLiteral("item") : QStringLiteral("sku");
    e.before = targetPrice;
    e.after = sourcePrice;
    e.title = r.cells.value(CellTitle);
    if (!writeAhead(e))
        return;
    if (!client().taobao_item_sku_price_update(numIid, sourcePrice, properties, itemPrice, http()))
        transportError(QStringLiteral("busy"));
}

QString PriceUploadJob::errorPrefix(const QString &errorText) const
{
    return errorText.contains(kShortAuthMarker) ? TopErrorPrefix::priceUploadShortAuth()
                                                : TopErrorPrefix::priceUpload();
}

void PriceUploadJob::rowSucceeded(const QString &)
{
    const int row = currentRow();
    const ListRow r = model().row(row);
    const QString before = r.cells.value(CellPrice);
    const QString after = r.cells.value(CellSourcePrice);
    const bool stored = storeDone([&](QString *error) {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("Update TB_Object Set Price=? where num_iid=? and uniqid=?"));
        q.addBindValue(priceValue(after));
        q.addBindValue(SqlText(r.cells.value(CellNumIid)));
        q.addBindValue(r.uniqid().toLongLong());
        if (!q.exec()) {
            *error = q.lastError().text();
            return false;
        }
        return true;
    });
    if (!stored)
        return;
    model().setCell(row, CellPrice, after);
    ++m_uploaded;
    Q_EMIT changed(r.caption, r.cells.value(CellNumIid), r.cells.value(CellSkuId), r.cells.value(CellTitle), before,
                   after);
    rowDone();
}

void PriceUploadJob::finish()
{
    if (settleFinished())
        return;
    // what the run did, before the list is filled again
    m_report = reportNow(UploadReport::End::Completed);
    m_reportTaken = true;
    Settings(db()).set(Setting::TargetDownloadTime, startTime());
    host().panel2().setCaption(QStringLiteral("完成执行商品更新价格."));
    host().panel2().hide();
    reloadList();
    over(Outcome::Completed);
}

UploadReport PriceUploadJob::reportNow(UploadReport::End end) const
{
    UploadReport r;
    r.kind = UploadReport::Kind::Price;
    r.end = end;
    r.uploaded = m_uploaded;
    QSet<QString> refused;
    for (const Refusal &f : refusedRows()) {
        r.refused.append({f.title, f.numIid, f.skuId, f.reason});
        refused.insert(f.uniqid);
    }
    const ListModel &rows = const_cast<PriceUploadJob *>(this)->model();
    for (int row = 0; row < rows.count(); ++row) {
        if (!rows.isChecked(row) || refused.contains(rows.row(row).uniqid()))
            continue;
        const ListRow &r2 = rows.row(row);
        r.notUploaded.append({r2.cells.value(CellTitle), r2.cells.value(CellNumIid), r2.cells.value(CellSkuId), QString()});
    }
    return r;
}

QString PriceUploadJob::rowsLeftNote() const
{
    return QStringLiteral("\r\n") + reportNow(UploadReport::End::Failed).noteAfterError();
}

void PriceUploadJob::tellEnd(Outcome outcome)
{
    if (!m_reportTaken) {
        UploadReport::End end = UploadReport::End::Failed;
        if (outcome == Outcome::Completed || outcome == Outcome::NothingToDo)
            end = UploadReport::End::Completed;
        else if (outcome == Outcome::Cancelled)
            end = UploadReport::End::Cancelled;
        m_report = reportNow(end);
        m_reportTaken = true;
    }
    // a run the seller started ends with what it did (errors have said so in their message)
    const bool said = outcome == Outcome::Completed || outcome == Outcome::Cancelled;
    if (!said || host().planRunning())
        return;
    if (m_report.clean())
        host().ui().info(m_report.text());
    else
        host().ui().warn(m_report.text());
}
