#include "sync/QuantityUpload.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "store/Settings.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSqlError>
#include <QSqlQuery>
#include <optional>

namespace {

std::optional<qlonglong> wholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}

// "宝贝 标题 (ID 1, SKU 2)" for the messages about one row.
QString rowName(const QuantityRow &r)
{
    QString text = QStringLiteral("宝贝 ") + r.title + QStringLiteral(" (ID ") + r.numIid;
    if (!r.skuId.isEmpty())
        text += QStringLiteral(", SKU ") + r.skuId;
    return text + QLatin1Char(')');
}

} // namespace

QuantityUploadJob::QuantityUploadJob(JobHost &host, TopClient &client, const QSqlDatabase &db,
                                     DifferenceQuery &query, QObject *parent)
    : RequestJob(host, 200, TransportRule::Countdown, parent), m_client(client), m_db(db), m_query(query)
{
    createComponent();
}

QuantityUploadJob::~QuantityUploadJob()
{
    delete m_http;
}

void QuantityUploadJob::createComponent()
{
    m_http = new TWinHTTP();
    m_http->setAgent(TWinHTTP::browserAgent());
    m_http->setTimeouts(10000);
    connect(m_http, &TWinHTTP::OnDone, this, &QuantityUploadJob::WinHTTPUploadDone);
    connect(m_http, &TWinHTTP::OnAnyError, this, &QuantityUploadJob::WinHTTPUploadAnyError);
}

void QuantityUploadJob::replaceComponent()
{
    TWinHTTP *old = m_http;
    old->disconnect(this);
    createComponent();
    old->release();
}

ProgressPanelState &QuantityUploadJob::panel()
{
    return host().panel2();
}

QString QuantityUploadJob::progressCaption(int percent) const
{
    return QStringLiteral("正在上传最新库存数量到目标店铺...(") + QString::number(percent) + QStringLiteral("%)");
}

QString QuantityUploadJob::trayHintFor(const QString &caption) const
{
    return QStringLiteral("同步计划状态:执行中...(") + (m_account ? m_account() : QString()) + QStringLiteral(")\r\n") +
           caption;
}

QuantityRow QuantityUploadJob::RowOf(const ListModel &model, int r)
{
    const ListRow &row = model.row(r);
    QuantityRow q;
    q.account = row.caption;
    q.title = row.cells.value(CellTitle);
    q.color = row.cells.value(CellColor);
    q.size = row.cells.value(CellSku);
    q.before = row.cells.value(CellNum).trimmed();
    q.source = row.cells.value(CellSourceNum).trimmed();
    q.numIid = row.cells.value(CellNumIid).trimmed();
    q.skuId = row.cells.value(CellSkuId).trimmed();
    q.uniqid = row.cells.value(CellUniqid).trimmed();
    return q;
}

QList<QuantityRow> QuantityUploadJob::notUploaded() const
{
    QList<QuantityRow> rows;
    const ListModel &model = m_query.model();
    for (int r = 0; r < model.count(); ++r) {
        if (!model.isChecked(r))
            continue;
        QuantityRow row = RowOf(model, r);
        // the quantity the row would have had
        const auto source = wholeNumber(row.source);
        const auto before = wholeNumber(row.before);
        if (source && m_mode == UploadMode::Full)
            row.after = QString::number(*source);
        else if (source && before)
            row.after = QString::number(*before + *source);
        rows.append(row);
    }
    return rows;
}

bool QuantityUploadJob::UploadClick(bool startedByPlan)
{
    if (host().busy())
        return false;
    releaseOldRun();
    host().clearCancel();
    host().resetErrors();
    const bool silent = startedByPlan || host().planRunning();
    m_byPlan = startedByPlan;
    m_uploaded.clear();
    m_failure.clear();
    m_readBackPending = false;
    m_readBackOut = false;
    const int first = m_query.GetUploadIndex();
    if (first < 0) {
        if (!silent)
            host().ui().warn(NothingTickedText());
        over(Outcome::NothingTicked);
        return false;
    }
    if (!silent && !host().ui().ask(QuestionText()))
        return false;
    // the mode the list was filled under
    m_mode = m_query.options().uploadMode;
    m_outcome = Outcome::Completed;
    const QuantityRow row = RowOf(m_query.model(), first);
    return beginRows(m_query.model(),
                     QStringLiteral("店铺:") + row.account + QStringLiteral("\r\n") +
                         QStringLiteral("正在上传最新库存...(0%)"),
                     true);
}

void QuantityUploadJob::sendRow(int row)
{
    m_current = RowOf(m_query.model(), row);
    const auto source = wholeNumber(m_current.source);
    const auto before = wholeNumber(m_current.before);
    if (!source || (m_mode == UploadMode::Incremental && !before)) {
        stopWith(Outcome::BadRow, TopErrorPrefix::quantityUpload() + rowName(m_current) +
                                      QStringLiteral(" 的数量不是整数 (数量=") + m_current.before +
                                      QStringLiteral(", 源数量=") + m_current.source + QLatin1Char(')'));
        return;
    }
    bool started = false;
    m_readBackOut = m_readBackPending;
    if (m_readBackOut) {
        // the last update of this row may have gone through: look before sending it again
        started = m_client.taobao_items_list_get3(m_current.numIid, *m_http);
    } else {
        const QString type = m_mode == UploadMode::Incremental ? QStringLiteral("2") : QStringLiteral("1");
        started = m_client.taobao_item_quantity_update(m_current.numIid, QString::number(*source), type,
                                                       m_current.skuId, *m_http);
    }
    if (!started)
        WinHTTPUploadAnyError(QStringLiteral("busy"));
}

void QuantityUploadJob::WinHTTPUploadDone(const QString &, qint64, const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::quantityUpload());
    if (reply.kind == TopIntake::Kind::Unreadable) {
        // a reply that did not arrive whole says nothing about the update
        lostReply(reply.errorText);
        return;
    }
    if (!reply.ok()) {
        // a remote time-out may have carried an increment out all the same
        if (m_mode == UploadMode::Incremental && !m_readBackOut && reply.code == 15 && TemporaryWait(reply) > 0)
            m_readBackPending = true;
        if (errorReply(reply) == ErrorReplyEnd::Ended) {
            m_failure = reply.message;
            over(Outcome::ErrorReply);
        }
        return;
    }
    if (m_readBackOut) {
        readBackDone(m_client.replyBuffer());
        return;
    }
    rowTaken();
}

void QuantityUploadJob::WinHTTPUploadAnyError(const QString &message)
{
    lostReply(QStringLiteral("网络通讯错误: ") + message);
}

void QuantityUploadJob::lostReply(const QString &cause)
{
    if (m_mode == UploadMode::Incremental)
        m_readBackPending = true;
    const bool givingUp = !wasCancelled() && host().errorCount() >= 5;
    transportError(cause);
    if (givingUp) {
        m_failure = JobHost::networkErrorText();
        over(Outcome::NetworkGaveUp);
    }
}

void QuantityUploadJob::onTransportError()
{
    Q_EMIT trayIconStill();
}

void QuantityUploadJob::readBackDone(const QString &reply)
{
    m_readBackOut = false;
    std::optional<qlonglong> shown;
    DecodeItems(reply, false, [&](const ItemRecord &item) {
        if (item.numIid.trimmed() != m_current.numIid)
            return;
        if (m_current.skuId.isEmpty()) {
            shown = wholeNumber(item.num);
            return;
        }
        for (const SkuRecord &sku : item.skus)
            if (sku.skuId.trimmed() == m_current.skuId)
                shown = wholeNumber(sku.quantity);
    });
    const qlonglong before = wholeNumber(m_current.before).value_or(0);
    const qlonglong after = before + wholeNumber(m_current.source).value_or(0);
    if (shown && *shown == after) {
        rowTaken();
        return;
    }
    if (shown && *shown == before) {
        // it did not go through: the tick sends the update again
        m_readBackPending = false;
        armTimer();
        return;
    }
    const QString now = shown ? QStringLiteral("店铺中的库存现为 ") + QString::number(*shown) +
                                    QStringLiteral(", 既不是更新前的 ") + QString::number(before) +
                                    QStringLiteral(" 也不是更新后的 ") + QString::number(after)
                              : QStringLiteral("在店铺中没有找到它");
    stopWith(Outcome::ReadBackMismatch,
             TopErrorPrefix::quantityUpload() + rowName(m_current) +
                 QStringLiteral(" 的增量更新没有收到应答, ") + now +
                 QStringLiteral(".\r\n为免重复增加库存, 上传已停止. 请核对该宝贝的库存, 重新下载目标店铺宝贝后再上传."));
}

void QuantityUploadJob::rowTaken()
{
    m_readBackPending = false;
    QuantityRow row = m_current;
    row.after = m_mode == UploadMode::Full
                    ? QString::number(wholeNumber(row.source).value_or(0))
                    : QString::number(wholeNumber(row.before).value_or(0) + wholeNumber(row.source).value_or(0));

    QString error;
    bool stored = m_db.transaction();
    if (!stored)
        error = m_db.lastError().text();
    if (stored) {
        QSqlQuery q(m_db);
        q.prepare(m_mode == UploadMode::Full ? QStringLiteral("Update TB_Object Set num=? where uniqid=?")
                                             : QStringLiteral("Update TB_Object Set bcheck=0,num=? where uniqid=?"));
        q.addBindValue(row.after.toLongLong());
        q.addBindValue(row.uniqid.toLongLong());
        stored = q.exec();
        if (!stored)
            error = q.lastError().text();
    }
    if (stored) {
        JournalEntry e;
        e.at = Clock::now();
        e.account = row.account;
        e.numIid = row.numIid;
        e.skuId = row.skuId;
        e.kind = QStringLiteral("quantity");
        e.mode = m_mode == UploadMode::Full ? QStringLiteral("full") : QStringLiteral("incremental");
        e.before = row.before;
        e.after = row.after;
        e.startedBy = m_byPlan ? QStringLiteral("plan") : QStringLiteral("person");
        e.title = row.title;
        stored = UploadJournal(m_db).append(e, &error);
    }
    if (stored && !m_db.commit()) {
        stored = false;
        error = m_db.lastError().text();
    }
    if (!stored) {
        m_db.rollback();
        host().debug(QStringLiteral("Error:") + error);
        stopWith(Outcome::DatabaseError,
                 QStringLiteral("上传库存失败.\r\n") + rowName(row) + QStringLiteral(" 在店铺中已更新为 ") + row.after +
                     QStringLiteral(", 但无法保存到本机数据库: ") + error);
        return;
    }
    ListModel &model = m_query.model();
    if (currentRow() >= 0 && currentRow() < model.count())
        model.setCell(currentRow(), CellNum, row.after);
    m_uploaded.append(row);
    Q_EMIT rowUploaded(row);
    rowDone();
}

void QuantityUploadJob::finish()
{
    Settings(m_db).set(Setting::TargetDownloadTime, startTime());
    host().panel2().setCaption(QStringLiteral("上传完成."));
    host().panel2().hide();
    if (m_reload)
        m_reload();
    else
        m_query.GetData_TB_Object(QString());
    Q_EMIT trayIconStill();
    over(Outcome::Completed);
}

void QuantityUploadJob::stopWith(Outcome outcome, const QString &message)
{
    m_failure = message;
    panel().hide();
    end();
    host().ui().error(message);
    over(outcome);
}

void QuantityUploadJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void QuantityUploadJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
