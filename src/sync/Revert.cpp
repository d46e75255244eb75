#include "sync/Revert.h"

#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/SqlValues.h"
#include "store/SyncCycleLog.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/JournalSettle.h"
#include "sync/PriceUpload.h"
#include "sync/QuantityUpload.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSet>
#include <algorithm>
#include <QSqlError>
#include <QSqlQuery>
#include <functional>
#include <optional>

// Reads items back from the shop, 20 a request (taobao.items.list.get): the
// revert looks at what the shop shows before it changes anything.
class ShopReadBack : public RequestJob
{
public:
    ShopReadBack(JobHost &host, TopClient &client, std::function<void(bool)> over)
        : RequestJob(host, 200, TransportRule::NoRetry), m_client(client), m_over(std::move(over))
    {
        createComponent();
    }
    ~ShopReadBack() override { delete m_http; }

    void start(const QStringList &ids)
    {
        m_replies.clear();
        m_ended = false;
        host().clearCancel();
        begin(Batches(ids), QStringLiteral("正在读取店铺中的宝贝...(0%)"), true);
    }
    // The reply of each batch (item ids joined by ",").
    const QHash<QString, QString> &replies() const { return m_replies; }

protected:
    ProgressPanelState &panel() override { return host().panel2(); }
    QString progressCaption(int percent) const override
    {
        return QStringLiteral("正在读取店铺中的宝贝...(") + QString::number(percent) + QStringLiteral("%)");
    }
    void sendFirst() override
    {
        if (!m_client.taobao_items_list_get3(items().value(0), *m_http))
            lost(QStringLiteral("busy"));
    }
    void finish() override
    {
        panel().hide();
        ended(true);
    }
    void replaceComponent() override
    {
        TWinHTTP *old = m_http;
        old->disconnect(this);
        createComponent();
        old->release();
    }
    void onCancelled() override { ended(false); }

private:
    void createComponent()
    {
        m_http = new TWinHTTP();
        m_http->setAgent(TWinHTTP::browserAgent());
        m_http->setTimeouts(10000);
        QObject::connect(m_http, &TWinHTTP::OnDone, this,
                         [this](const QString &, qint64, const QByteArray &body) { replied(body); });
        QObject::connect(m_http, &TWinHTTP::OnAnyError, this, [this](const QString &message) { lost(message); });
    }
    void replied(const QByteArray &body)
    {
        const TopIntake reply = m_client.intake(body, QStringLiteral("读取店铺中的宝贝失败.\r\n"));
        if (!reply.ok()) {
            if (errorReply(reply) == ErrorReplyEnd::Ended)
                ended(false);
            return;
        }
        m_replies.insert(items().value(0), m_client.replyBuffer());
        advance();
    }
    void lost(const QString &message)
    {
        const bool cancelled = wasCancelled();
        transportError(QStringLiteral("网络通讯错误: ") + message);
        if (!cancelled)
            ended(false);
    }
    void ended(bool ok)
    {
        if (m_ended)
            return;
        m_ended = true;
        m_over(ok);
    }

    TopClient &m_client;
    std::function<void(bool)> m_over;
    TWinHTTP *m_http = nullptr;
    QHash<QString, QString> m_replies;
    bool m_ended = false;
};

namespace {

std::optional<qlonglong> whole(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}

QString kindText(const QString &kind)
{
    if (kind == QStringLiteral("quantity"))
        return QStringLiteral("库存");
    if (kind == QStringLiteral("price"))
        return QStringLiteral("价格");
    if (kind == QStringLiteral("list"))
        return QStringLiteral("上架");
    if (kind == QStringLiteral("delist"))
        return QStringLiteral("下架");
    if (kind == QStringLiteral("list_time"))
        return QStringLiteral("上架时间");
    return kind;
}

QString rowName(const RevertRow &r)
{
    QString text = r.title + QStringLiteral(" (ID ") + r.numIid;
    if (!r.skuId.isEmpty())
        text += QStringLiteral(", SKU ") + r.skuId;
    return text + QLatin1Char(')');
}

QString idsText(const QList<qint64> &ids)
{
    QStringList out;
    for (qint64 id : ids)
        out << QString::number(id);
    return out.join(QLatin1Char(' '));
}

RevertRow rowOf(const JournalEntry &e)
{
    RevertRow r;
    r.account = e.account;
    r.numIid = e.numIid.trimmed();
    r.skuId = e.skuId.trimmed();
    r.title = e.title;
    r.kind = e.kind;
    r.journalIds << e.id;
    r.revertTo = e.before.trimmed();
    r.after = e.after.trimmed();
    return r;
}

// Why a journal row is not undone; "" when it may be.
QString skipOf(const JournalEntry &e, const QString &account)
{
    if (!account.isEmpty() && e.account.trimmed() != account)
        return QStringLiteral("其他帐号 (") + e.account + QStringLiteral(") 的记录, 不撤销");
    if (e.kind != QStringLiteral("quantity") && e.kind != QStringLiteral("price"))
        return kindText(e.kind) + QStringLiteral("不撤销, 请在程序中另行处理");
    if (e.state == UploadJournal::refusedState())
        return QStringLiteral("这次更新没有生效, 无需撤销");
    if (e.state != UploadJournal::doneState())
        return QStringLiteral("这次更新没有确认 (") + e.state +
               QStringLiteral("), 请先核对店铺后确认 (journal settle), 不撤销");
    if (e.before.trimmed().isEmpty())
        return QStringLiteral("没有记录更新前的值, 无法撤销");
    return {};
}

} // namespace

RevertRun::RevertRun(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent)
    : QObject(parent), m_host(host), m_client(client), m_db(db), m_settings(db),
      m_quantityModel(std::make_unique<ListModel>()), m_priceModel(std::make_unique<ListModel>())
{
    m_quantityList = std::make_unique<DifferenceQuery>(m_db, *m_quantityModel, host, host.ui(), m_settings);
    m_quantityList->options().uploadMode = UploadMode::Incremental;
    m_quantity = std::make_unique<QuantityUploadJob>(host, client, m_db, *m_quantityList);
    // the rows are the revert's own: nothing to fill again at the end
    m_quantity->setReloadLists([] {});
    m_quantity->setStartedBy(QStringLiteral("revert"));
    connect(m_quantity.get(), &QuantityUploadJob::ended, this,
            [this](QuantityUploadJob::Outcome o) { quantitiesEnded(static_cast<int>(o)); });
    m_price = std::make_unique<PriceUploadJob>(host, client, m_db, *m_priceModel);
    m_price->setStartedBy(QStringLiteral("revert"));
    m_price->setAsk(false);
    connect(m_price.get(), &ShopRowJob::ended, this, [this](ShopRowJob::Outcome o) { pricesEnded(static_cast<int>(o)); });
    connect(m_price.get(), &ShopRowJob::changed, this,
            [this](const QString &account, const QString &numIid, const QString &skuId, const QString &,
                   const QString &, const QString &) {
                for (RevertRow &r : m_rows)
                    if (r.kind == QStringLiteral("price") && r.revertable() && r.account == account &&
                        r.numIid == numIid.trimmed() && r.skuId == skuId.trimmed()) {
                        r.reverted = true;
                        r.result = QStringLiteral("已撤销");
                    }
            });
    connect(m_price.get(), &ShopRowJob::refused, this,
            [this](const QString &account, const QString &numIid, const QString &skuId, const QString &,
                   const QString &reason) {
                for (RevertRow &r : m_rows)
                    if (r.kind == QStringLiteral("price") && r.revertable() && r.account == account &&
                        r.numIid == numIid.trimmed() && r.skuId == skuId.trimmed())
                        r.result = QStringLiteral("被平台拒绝: ") + reason;
            });
    m_readBack = std::make_unique<ShopReadBack>(host, client, [this](bool ok) { readBackOver(ok); });
}

RevertRun::~RevertRun() = default;

bool RevertRun::plan(const RevertSelection &selection, QString *error)
{
    m_rows.clear();
    m_failure.clear();
    m_preview = UploadPreview();
    m_cycleId = 0;
    m_outcome = Outcome::NothingToDo;
    m_account = selection.account.trimmed();
    const UploadJournal journal(m_db);
    QString err;
    QList<JournalEntry> entries;
    if (selection.cycleId > 0) {
        bool known = false;
        for (const CycleRecord &c : SyncCycleLog(m_db).read(&err))
            known = known || c.id == selection.cycleId;
        if (!err.isEmpty()) {
            *error = QStringLiteral("无法读取同步记录: ") + err;
            return false;
        }
        if (!known) {
            *error = QStringLiteral("没有编号为 ") + QString::number(selection.cycleId) + QStringLiteral(" 的同步记录");
            return false;
        }
        entries = journal.inCycle(selection.cycleId, &err);
    } else if (selection.since.isValid()) {
        entries = journal.read(selection.since, &err);
    } else {
        for (qint64 id : selection.ids) {
            const JournalEntry e = journal.entry(id, &err);
            if (!err.isEmpty())
                break;
            if (e.id == 0) {
                *error = QStringLiteral("没有编号为 ") + QString::number(id) + QStringLiteral(" 的上传记录");
                return false;
            }
            entries << e;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const JournalEntry &a, const JournalEntry &b) { return a.id < b.id; });
    }
    if (!err.isEmpty()) {
        *error = QStringLiteral("无法读取上传记录: ") + err;
        return false;
    }

    // one row per SKU and kind: several runs in the selection that changed
    // it go back to what the first of them found
    QHash<QString, int> byKey;
    for (const JournalEntry &e : std::as_const(entries)) {
        const QString skip = skipOf(e, m_account);
        if (!skip.isEmpty()) {
            RevertRow r = rowOf(e);
            r.skip = skip;
            m_rows << r;
            continue;
        }
        const QString key = e.account + QChar(1) + e.numIid.trimmed() + QChar(1) + e.skuId.trimmed() + QChar(1) + e.kind;
        if (const auto at = byKey.constFind(key); at != byKey.cend()) {
            RevertRow &r = m_rows[at.value()];
            r.journalIds << e.id;
            r.after = e.after.trimmed();
            continue;
        }
        byKey.insert(key, static_cast<int>(m_rows.size()));
        m_rows << rowOf(e);
    }

    QSqlQuery mark(m_db);
    if (!mark.exec(QStringLiteral("select coalesce(max(Uniqid),0) from TB_Upload_Journal")) || !mark.next()) {
        *error = QStringLiteral("无法读取上传记录: ") + mark.lastError().text();
        return false;
    }
    m_journalMark = mark.value(0).toLongLong();
    QSqlQuery target(m_db);
    target.prepare(QStringLiteral("select Uniqid,sku_properties,color,sku from TB_Object where UserId=? and num_iid=? "
                                  "and sku_id=? order by Uniqid limit 1"));
    for (RevertRow &r : m_rows) {
        if (!r.revertable())
            continue;
        // a later change of the same SKU, outside what is reverted
        QString change;
        if (!laterChange(r, r.journalIds.first(), &change, error))
            return false;
        if (!change.isEmpty())
            r.skip = QStringLiteral("之后又被更改过 (") + change + QStringLiteral("), 不撤销");
        if (!r.revertable())
            continue;
        if (r.kind == QStringLiteral("quantity") && (!whole(r.revertTo) || !whole(r.after))) {
            r.skip = QStringLiteral("数量不是整数 (") + r.revertTo + QStringLiteral(" → ") + r.after + QStringLiteral("), 无法撤销");
            continue;
        }
        target.addBindValue(SqlText(r.account));
        target.addBindValue(SqlText(r.numIid));
        target.addBindValue(SqlText(r.skuId));
        if (!target.exec()) {
            *error = QStringLiteral("无法读取目标宝贝: ") + target.lastError().text();
            return false;
        }
        if (!target.next()) {
            r.skip = QStringLiteral("本机没有这个宝贝的目标行 (请先下载目标店铺宝贝), 不撤销");
            continue;
        }
        r.uniqid = target.value(0).toString();
        r.properties = target.value(1).toString().trimmed();
        r.color = target.value(2).toString();
        r.size = target.value(3).toString();
    }
    return true;
}

bool RevertRun::laterChange(const RevertRow &r, qint64 afterId, QString *change, QString *error) const
{
    QSqlQuery later(m_db);
    later.prepare(QStringLiteral("select Uniqid,at from TB_Upload_Journal where UserId=? and num_iid=? and sku_id=? "
                                 "and kind=? and Uniqid>? and state<>'refused' order by Uniqid"));
    later.addBindValue(SqlText(r.account));
    later.addBindValue(SqlText(r.numIid));
    later.addBindValue(SqlText(r.skuId));
    later.addBindValue(r.kind);
    later.addBindValue(afterId);
    if (!later.exec()) {
        *error = QStringLiteral("无法读取上传记录: ") + later.lastError().text();
        return false;
    }
    change->clear();
    while (later.next())
        if (!r.journalIds.contains(later.value(0).toLongLong())) {
            *change = QStringLiteral("上传记录 ") + later.value(0).toString() + QStringLiteral(", ") +
                      later.value(1).toString();
            break;
        }
    return true;
}

int RevertRun::revertableCount() const
{
    int n = 0;
    for (const RevertRow &r : m_rows)
        n += r.revertable() ? 1 : 0;
    return n;
}

int RevertRun::refusedCount() const
{
    int n = 0;
    for (const RevertRow &r : m_rows)
        n += r.result.startsWith(QStringLiteral("被平台拒绝")) ? 1 : 0;
    return n;
}

bool RevertRun::readBack()
{
    QStringList ids;
    for (const RevertRow &r : std::as_const(m_rows))
        if (r.revertable() && !ids.contains(r.numIid))
            ids << r.numIid;
    if (ids.isEmpty() || m_host.busy())
        return false;
    m_readBack->start(ids);
    return true;
}

void RevertRun::readBackOver(bool ok)
{
    if (ok) {
        const QHash<QString, QString> &replies = m_readBack->replies();
        for (RevertRow &r : m_rows) {
            if (!r.revertable())
                continue;
            QString reply;
            for (auto it = replies.cbegin(); it != replies.cend(); ++it)
                if (it.key().split(QLatin1Char(',')).contains(r.numIid))
                    reply = it.value();
            // the settling's judgement: does the shop show what the run left?
            JournalEntry e;
            e.numIid = r.numIid;
            e.skuId = r.skuId;
            e.kind = r.kind;
            e.mode = QStringLiteral("full");
            e.after = r.after;
            const SettleVerdict v = JudgeSent(e, reply);
            r.current = v.shopValue;
            if (v.shopValue.isEmpty())
                r.skip = QStringLiteral("在店铺中没有找到这个宝贝, 不撤销");
            else if (v.state != UploadJournal::doneState())
                r.skip = QStringLiteral("店铺中现为 ") + v.shopValue + QStringLiteral(", 不是更新后的 ") + r.after +
                         QStringLiteral(": 之后又被更改过, 不撤销");
            if (!r.revertable() || r.kind != QStringLiteral("price") || r.skuId.isEmpty())
                continue;
            // a SKU's price goes by its property pairs; without them the
            // update would change the item's own price
            DecodeItems(reply, false, [&r](const ItemRecord &item) {
                if (item.numIid.trimmed() != r.numIid)
                    return;
                for (const SkuRecord &sku : item.skus)
                    if (sku.skuId.trimmed() == r.skuId && !sku.properties.trimmed().isEmpty())
                        r.properties = sku.properties.trimmed();
            });
            if (r.properties.isEmpty())
                r.skip = QStringLiteral("店铺没有给出这个SKU的属性, 无法撤销价格");
        }
    } else {
        m_failure = QStringLiteral("无法读取店铺中的宝贝, 没有撤销.");
    }
    Q_EMIT readBackDone(ok);
}

QList<int> RevertRun::rowsOfKind(const QString &kind) const
{
    QList<int> out;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).kind == kind && m_rows.at(i).revertable())
            out << i;
    return out;
}

bool RevertRun::run(GuardPolicy policy)
{
    if (m_running || m_host.busy()) {
        m_outcome = Outcome::Failed;
        m_failure = QStringLiteral("另一个任务正在执行, 没有撤销.");
        return false;
    }
    // a run of the program since the plan (the seller read the question
    // meanwhile) changed the SKU again: it is left as it is now
    for (RevertRow &r : m_rows) {
        if (!r.revertable())
            continue;
        QString change, error;
        if (!laterChange(r, m_journalMark, &change, &error))
            change = error;
        if (!change.isEmpty())
            r.skip = QStringLiteral("撤销前又被更改过 (") + change + QStringLiteral("), 不撤销");
    }
    m_quantityStep = !rowsOfKind(QStringLiteral("quantity")).isEmpty();
    m_priceStep = !rowsOfKind(QStringLiteral("price")).isEmpty();
    if (!m_quantityStep && !m_priceStep) {
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    m_policy = policy;
    m_running = true;
    m_failure.clear();
    for (RevertRow &r : m_rows)
        if (r.revertable()) {
            r.result.clear();
            r.reverted = false;
        }
    QString account = m_account;
    if (account.isEmpty())
        for (const RevertRow &r : std::as_const(m_rows))
            if (r.revertable()) {
                account = r.account;
                break;
            }
    QString error;
    m_cycleId = SyncCycleLog(m_db).begin(QStringLiteral("revert"), account, &error);
    if (m_cycleId == 0)
        m_host.debug(QStringLiteral("Error:") + error);
    m_quantity->setCycleId(m_cycleId);
    m_price->setCycleId(m_cycleId);
    if (m_quantityStep)
        startQuantities();
    else
        startPrices();
    return true;
}

namespace {
// A row of the target list's layout for the uploads.
ListRow listRow(const RevertRow &r, const QString &num, const QString &sourceNum, const QString &price,
                const QString &sourcePrice)
{
    ListRow row;
    row.caption = r.account;
    row.checked = true;
    row.cells = QStringList{r.title,   QString(),     r.color,      r.size,  num,       sourceNum,
                            price,     sourcePrice,   QString(),    r.numIid, r.skuId,  QString(),
                            r.properties, QString(),  QString(),    r.uniqid};
    return row;
}
} // namespace

void RevertRun::startQuantities()
{
    std::vector<ListRow> rows;
    for (int i : rowsOfKind(QStringLiteral("quantity"))) {
        const RevertRow &r = m_rows.at(i);
        // back by the difference, from the value the shop was seen to show
        const qlonglong now = whole(r.current).value_or(0);
        const qlonglong back = whole(r.revertTo).value_or(0) - now;
        rows.push_back(listRow(r, QString::number(now), QString::number(back), QString(), QString()));
    }
    m_quantityModel->setRows(std::move(rows));
    m_quantity->setGuardPolicy(m_policy);
    m_quantityStep = true;
    bool ended = false;
    QMetaObject::Connection c =
        connect(m_quantity.get(), &QuantityUploadJob::ended, this, [&ended] { ended = true; });
    const bool started = m_quantity->UploadClick(false, false);
    disconnect(c);
    if (!started && !ended) {
        m_quantityStep = false;
        done(Outcome::Failed, QStringLiteral("另一个任务正在执行, 没有撤销."));
    }
}

void RevertRun::quantitiesEnded(int outcome)
{
    if (!m_running || !m_quantityStep)
        return;
    m_quantityStep = false;
    using O = QuantityUploadJob::Outcome;
    const auto sameRow = [](const RevertRow &r, const QuantityRow &q) {
        return r.kind == QStringLiteral("quantity") && r.revertable() && r.account == q.account &&
               r.numIid == q.numIid && r.skuId == q.skuId;
    };
    for (RevertRow &r : m_rows) {
        if (r.kind != QStringLiteral("quantity") || !r.revertable())
            continue;
        for (const QuantityRow &q : m_quantity->uploaded())
            if (sameRow(r, q)) {
                r.reverted = true;
                r.result = QStringLiteral("已撤销");
            }
        for (const QuantityRow &q : m_quantity->refused())
            if (sameRow(r, q))
                r.result = QStringLiteral("被平台拒绝: ") + q.reason;
        for (const QuantityRow &q : m_quantity->skipped())
            if (sameRow(r, q))
                r.result = QStringLiteral("没有发送: ") + q.reason;
        if (r.result.isEmpty())
            r.result = QStringLiteral("没有发送");
    }
    m_preview = m_quantity->preview();
    switch (static_cast<O>(outcome)) {
    case O::Completed:
    case O::NothingTicked:
        // after the quantity upload has returned from its end
        QMetaObject::invokeMethod(this, [this] { startPrices(); }, Qt::QueuedConnection);
        return;
    case O::Held:
        done(Outcome::Held, m_quantity->failureText());
        return;
    default:
        done(Outcome::Failed, m_quantity->failureText().isEmpty() ? QStringLiteral("撤销库存没有完成.")
                                                                  : m_quantity->failureText());
        return;
    }
}

void RevertRun::startPrices()
{
    const QList<int> which = rowsOfKind(QStringLiteral("price"));
    if (which.isEmpty()) {
        done(Outcome::Completed);
        return;
    }
    std::vector<ListRow> rows;
    for (int i : which) {
        const RevertRow &r = m_rows.at(i);
        rows.push_back(listRow(r, QString(), QString(), r.current, r.revertTo));
    }
    m_priceModel->setRows(std::move(rows));
    m_price->setGuardPolicy(m_policy);
    m_priceStep = true;
    bool ended = false;
    QMetaObject::Connection c = connect(m_price.get(), &ShopRowJob::ended, this, [&ended] { ended = true; });
    const bool started = m_price->_updatepriceClick();
    disconnect(c);
    if (started || ended)
        return;
    m_priceStep = false;
    for (int i : which)
        m_rows[i].result = QStringLiteral("没有发送");
    if (m_price->held()) {
        m_preview = m_price->preview();
        done(Outcome::Held, QStringLiteral("上传保护: 本次没有上传价格.\r\n") + m_preview.text());
        return;
    }
    done(Outcome::Failed, QStringLiteral("撤销价格没有开始."));
}

void RevertRun::pricesEnded(int outcome)
{
    if (!m_running || !m_priceStep)
        return;
    m_priceStep = false;
    for (RevertRow &r : m_rows)
        if (r.kind == QStringLiteral("price") && r.revertable() && r.result.isEmpty())
            r.result = QStringLiteral("没有发送");
    if (static_cast<ShopRowJob::Outcome>(outcome) == ShopRowJob::Outcome::Completed)
        done(Outcome::Completed);
    else
        done(Outcome::Failed, QStringLiteral("撤销价格没有完成."));
}

void RevertRun::done(Outcome outcome, const QString &failure)
{
    m_running = false;
    m_outcome = outcome;
    m_failure = failure;
    if (outcome != Outcome::Completed)
        for (RevertRow &r : m_rows)
            if (r.revertable() && r.result.isEmpty())
                r.result = QStringLiteral("没有发送");
    m_quantity->setCycleId(0);
    m_price->setCycleId(0);
    if (m_cycleId > 0) {
        CycleRecord c;
        c.id = m_cycleId;
        c.differing = revertableCount();
        for (const RevertRow &r : std::as_const(m_rows))
            c.uploaded += r.reverted ? 1 : 0;
        c.refused = refusedCount();
        if (outcome == Outcome::Held)
            c.held = m_preview.held.isEmpty() ? failure : m_preview.held;
        else if (outcome == Outcome::Failed)
            c.error = failure;
        QString error;
        if (!SyncCycleLog(m_db).finish(c, &error))
            m_host.debug(QStringLiteral("Error:") + error);
    }
    Q_EMIT finished(outcome);
}

QString RevertRun::planText() const
{
    QStringList lines;
    const QList<int> quantities = rowsOfKind(QStringLiteral("quantity"));
    const QList<int> prices = rowsOfKind(QStringLiteral("price"));
    lines << QStringLiteral("将把 %1 行改回更新前的值 (库存 %2 行, 价格 %3 行):")
                 .arg(quantities.size() + prices.size())
                 .arg(quantities.size())
                 .arg(prices.size());
    constexpr int kShown = 12;
    int shown = 0;
    for (const RevertRow &r : m_rows) {
        if (!r.revertable())
            continue;
        if (++shown > kShown)
            break;
        lines << QStringLiteral("  ") + rowName(r) + QStringLiteral(" ") + kindText(r.kind) + QStringLiteral(": ") +
                     (r.current.isEmpty() ? r.after : r.current) + QStringLiteral(" → ") + r.revertTo;
    }
    if (shown > kShown)
        lines << QStringLiteral("  ... 共 %1 行").arg(quantities.size() + prices.size());
    const int skipped = static_cast<int>(m_rows.size()) - revertableCount();
    if (skipped > 0) {
        lines << QStringLiteral("跳过 %1 行:").arg(skipped);
        shown = 0;
        for (const RevertRow &r : m_rows) {
            if (r.revertable())
                continue;
            if (++shown > kShown) {
                lines << QStringLiteral("  ... 共 %1 行").arg(skipped);
                break;
            }
            lines << QStringLiteral("  ") + rowName(r) + QStringLiteral(" ") + kindText(r.kind) + QStringLiteral(": ") + r.skip;
        }
    }
    return lines.join(QStringLiteral("\r\n"));
}

QList<QStringList> RevertRun::planRecords() const
{
    QList<QStringList> out{{QStringLiteral("帐号"), QStringLiteral("商品数字ID"), QStringLiteral("SKU ID"),
                            QStringLiteral("宝贝名称"), QStringLiteral("类别"), QStringLiteral("店铺现值"),
                            QStringLiteral("更新后"), QStringLiteral("撤销为"), QStringLiteral("操作"),
                            QStringLiteral("上传记录")}};
    for (const RevertRow &r : m_rows) {
        QString action;
        if (!r.revertable())
            action = QStringLiteral("跳过: ") + r.skip;
        else if (!r.result.isEmpty())
            action = r.result;
        else
            action = QStringLiteral("撤销");
        out << QStringList{r.account, r.numIid,  r.skuId, r.title, kindText(r.kind), r.current,
                           r.after,   r.revertTo, action, idsText(r.journalIds)};
    }
    return out;
}
