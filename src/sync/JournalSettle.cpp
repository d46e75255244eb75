#include "sync/JournalSettle.h"

#include "jobs/RequestJob.h"
#include "store/SqlValues.h"
#include "top/ItemDecoding.h"

#include <QSqlError>
#include <QSqlQuery>
#include <functional>
#include <optional>

namespace {

std::optional<qlonglong> whole(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}

bool samePrice(const QString &a, const QString &b)
{
    bool okA = false, okB = false;
    const double x = a.trimmed().toDouble(&okA), y = b.trimmed().toDouble(&okB);
    return okA && okB ? qAbs(x - y) < 0.005 : a.trimmed() == b.trimmed();
}

QString statusOf(const QString &kind)
{
    return kind == QStringLiteral("delist") ? QStringLiteral("instock") : QStringLiteral("onsale");
}

// The value the shop shows for the row's kind ("" when the item or SKU is missing).
QString shownValue(const JournalEntry &e, const QString &reply)
{
    QString shown;
    DecodeItems(reply, false, [&](const ItemRecord &item) {
        if (item.numIid.trimmed() != e.numIid.trimmed())
            return;
        if (e.kind == QStringLiteral("list") || e.kind == QStringLiteral("delist")) {
            shown = item.approveStatus.trimmed();
            return;
        }
        if (e.skuId.isEmpty()) {
            shown = e.kind == QStringLiteral("price") ? item.price.trimmed() : item.num.trimmed();
            return;
        }
        for (const SkuRecord &sku : item.skus)
            if (sku.skuId.trimmed() == e.skuId.trimmed())
                shown = e.kind == QStringLiteral("price") ? sku.price.trimmed() : sku.quantity.trimmed();
    });
    return shown;
}

QString notApplied(const QString &shown)
{
    return QStringLiteral("没有生效 (应答丢失后核对店铺: ") + shown + QStringLiteral(")");
}

} // namespace

SettleVerdict JudgeSent(const JournalEntry &e, const QString &reply)
{
    SettleVerdict v;
    if (e.kind == QStringLiteral("list_time")) {
        v.state = UploadJournal::unsettledState();
        v.message = QStringLiteral("无法从店铺读回计划上架时间, 请核对后确认");
        return v;
    }
    v.shopValue = shownValue(e, reply);
    if (v.shopValue.isEmpty()) {
        v.state = e.kind == QStringLiteral("quantity") && e.mode == QStringLiteral("incremental")
                      ? UploadJournal::unsettledState()
                      : UploadJournal::refusedState();
        v.message = QStringLiteral("应答丢失, 在店铺中没有找到该宝贝, 无法核对");
        return v;
    }
    if (e.kind == QStringLiteral("quantity")) {
        const auto shop = whole(v.shopValue);
        const auto before = whole(e.before);
        const auto after = whole(e.after);
        if (shop && after && *shop == *after) {
            v.state = UploadJournal::doneState();
            return v;
        }
        if (e.mode == QStringLiteral("incremental")) {
            if (shop && before && *shop == *before) {
                v.state = UploadJournal::refusedState();
                v.message = notApplied(v.shopValue);
                return v;
            }
            v.state = UploadJournal::unsettledState();
            v.message = QStringLiteral("增量更新的应答丢失, 店铺中的库存现为 ") + v.shopValue +
                        QStringLiteral(", 既不是更新前的 ") + e.before + QStringLiteral(" 也不是更新后的 ") + e.after +
                        QStringLiteral("; 为免重复增加库存, 该SKU不再上传, 请核对后确认");
            return v;
        }
        v.state = UploadJournal::refusedState();
        v.message = notApplied(v.shopValue);
        return v;
    }
    if (e.kind == QStringLiteral("price")) {
        v.state = samePrice(v.shopValue, e.after) ? UploadJournal::doneState() : UploadJournal::refusedState();
    } else {
        v.state = v.shopValue == statusOf(e.kind) ? UploadJournal::doneState() : UploadJournal::refusedState();
    }
    if (v.state != UploadJournal::doneState())
        v.message = notApplied(v.shopValue);
    return v;
}

namespace {
// TB_Object takes the value the shop shows (or, settled by hand, the value sent).
bool writeTarget(QSqlDatabase &db, const JournalEntry &e, const QString &value, bool applied, QString *error)
{
    if (value.isEmpty() || e.kind == QStringLiteral("list_time"))
        return true;
    QSqlQuery q(db);
    if (e.kind == QStringLiteral("quantity")) {
        const bool clear = applied && e.mode == QStringLiteral("incremental");
        q.prepare(clear ? QStringLiteral("update TB_Object set bcheck=0,num=? where UserId=? and num_iid=? and sku_id=?")
                        : QStringLiteral("update TB_Object set num=? where UserId=? and num_iid=? and sku_id=?"));
        q.addBindValue(value.toLongLong());
    } else if (e.kind == QStringLiteral("price")) {
        q.prepare(QStringLiteral("update TB_Object set Price=? where UserId=? and num_iid=? and sku_id=?"));
        q.addBindValue(value.toDouble());
    } else if (e.kind == QStringLiteral("list") || e.kind == QStringLiteral("delist")) {
        if (e.mode == QStringLiteral("warehouse"))
            return true;
        q.prepare(QStringLiteral("update TB_Object set approve_status=? where UserId=? and num_iid=?"));
        q.addBindValue(value);
    } else {
        return true;
    }
    q.addBindValue(SqlText(e.account));
    q.addBindValue(SqlText(e.numIid));
    if (e.kind == QStringLiteral("quantity") || e.kind == QStringLiteral("price"))
        q.addBindValue(SqlText(e.skuId));
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return true;
}

bool inTransaction(QSqlDatabase &db, const std::function<bool(QString *)> &work, QString *error)
{
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    if (!work(error) || !db.commit()) {
        if (error && error->isEmpty())
            *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}
} // namespace

bool StoreVerdict(QSqlDatabase db, const JournalEntry &e, const SettleVerdict &v, QString *error)
{
    return inTransaction(
        db,
        [&](QString *err) {
            const bool applied = v.state == UploadJournal::doneState();
            if (v.state != UploadJournal::unsettledState() && !writeTarget(db, e, v.shopValue, applied, err))
                return false;
            return UploadJournal(db).mark(e.id, v.state, v.message, QString(), err);
        },
        error);
}

bool SettleByHand(QSqlDatabase db, qint64 id, bool applied, QString *error)
{
    const JournalEntry e = UploadJournal(db).entry(id, error);
    if (e.id == 0) {
        if (error && error->isEmpty())
            *error = QStringLiteral("没有编号为 ") + QString::number(id) + QStringLiteral(" 的上传记录");
        return false;
    }
    if (e.state != UploadJournal::unsettledState() && e.state != UploadJournal::sentState()) {
        if (error)
            *error = QStringLiteral("编号为 ") + QString::number(id) + QStringLiteral(" 的上传记录已经是 ") + e.state +
                     QStringLiteral(", 无需确认");
        return false;
    }
    return inTransaction(
        db,
        [&](QString *err) {
            if (applied && e.kind == QStringLiteral("quantity") && !writeTarget(db, e, e.after, true, err))
                return false;
            return UploadJournal(db).mark(e.id, applied ? UploadJournal::doneState() : UploadJournal::refusedState(),
                                          applied ? QStringLiteral("卖家确认: 已生效")
                                                  : QStringLiteral("卖家确认: 没有生效"),
                                          QString(), err);
        },
        error);
}

bool SentRowSettler::load(const QSqlDatabase &db, QString *error)
{
    m_settled.clear();
    QString err;
    m_rows = UploadJournal(db).inState(UploadJournal::sentState(), QString(), &err);
    if (!err.isEmpty()) {
        if (error)
            *error = err;
        return false;
    }
    return true;
}

QStringList SentRowSettler::batches() const
{
    QStringList ids;
    for (const JournalEntry &e : m_rows)
        if (!ids.contains(e.numIid.trimmed()))
            ids << e.numIid.trimmed();
    return RequestJob::Batches(ids);
}

bool SentRowSettler::take(QSqlDatabase db, const QString &batch, const QString &reply, QString *error)
{
    const QStringList ids = batch.split(QLatin1Char(','));
    for (qsizetype i = 0; i < m_rows.size();) {
        const JournalEntry e = m_rows.at(i);
        if (!ids.contains(e.numIid.trimmed())) {
            ++i;
            continue;
        }
        const SettleVerdict v = JudgeSent(e, reply);
        if (!StoreVerdict(db, e, v, error))
            return false;
        m_settled.append({e, v});
        m_rows.removeAt(i);
    }
    return true;
}
