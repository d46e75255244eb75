#include "sync/QuantityUpload.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "store/Settings.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "top/ErrorScope.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QHash>
#include <QSet>
#include <algorithm>
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
    if (m_settling)
        return QStringLiteral("正在核对上次没有确认的上传...(") + QString::number(percent) + QStringLiteral("%)");
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

bool QuantityUploadJob::UploadClick(bool startedByPlan, bool ask)
{
    if (host().busy())
        return false;
    releaseOldRun();
    host().clearCancel();
    host().resetErrors();
    const bool silent = startedByPlan || host().planRunning();
    m_byPlan = startedByPlan;
    m_uploaded.clear();
    m_refused.clear();
    m_skipped.clear();
    m_planned.clear();
    m_settleNotes.clear();
    m_preview = UploadPreview();
    m_report = UploadReport();
    m_reportTaken = false;
    m_failure.clear();
    m_failureCode = 0;
    m_readBackPending = false;
    m_readBackOut = false;
    m_settling = false;
    m_journalId = 0;
    const int first = m_query.GetUploadIndex();
    if (first < 0) {
        if (!silent && !m_dryRun)
            host().ui().warn(NothingTickedText());
        over(m_dryRun ? Outcome::DryRun : Outcome::NothingTicked);
        return false;
    }
    if (!silent && ask && !m_dryRun && !host().ui().ask(QuestionText()))
        return false;
    // the mode the list was filled under
    m_mode = m_query.options().uploadMode;
    m_outcome = Outcome::Completed;
    const QuantityRow row = RowOf(m_query.model(), first);
    m_startCaption = QStringLiteral("店铺:") + row.account + QStringLiteral("\r\n") +
                     QStringLiteral("正在上传最新库存...(0%)");
    if (!prepareRows(silent))
        return false;
    if (m_query.GetUploadIndex() < 0) {
        // every ticked row was left out
        over(Outcome::Completed);
        return false;
    }
    QString error;
    if (!m_settler.load(m_db, &error)) {
        stopWith(Outcome::DatabaseError, QStringLiteral("上传库存失败.\r\n无法读取上传记录: ") + error);
        return false;
    }
    if (m_settler.pending()) {
        m_settling = true;
        begin(m_settler.batches(), QStringLiteral("正在核对上次没有确认的上传...(0%)"), true);
        return true;
    }
    startRows();
    return true;
}

bool QuantityUploadJob::prepareRows(bool silent)
{
    ListModel &model = m_query.model();
    const UploadJournal journal(m_db);
    // a target row listed once per matching source row
    QHash<QString, QList<int>> byTarget;
    for (int r = 0; r < model.count(); ++r)
        if (model.isChecked(r))
            byTarget[RowOf(model, r).uniqid].append(r);
    for (auto it = byTarget.cbegin(); it != byTarget.cend(); ++it) {
        const QList<int> &rows = it.value();
        if (rows.size() < 2)
            continue;
        bool same = m_mode == UploadMode::Full;
        for (int r : rows)
            if (RowOf(model, r).source != RowOf(model, rows.first()).source)
                same = false;
        for (qsizetype i = same ? 1 : 0; i < rows.size(); ++i)
            model.setChecked(rows.at(i), false);
        if (same)
            continue;
        QuantityRow skipped = RowOf(model, rows.first());
        skipped.reason = m_mode == UploadMode::Incremental
                             ? QStringLiteral("关联值重复: 目标宝贝与 ") + QString::number(rows.size()) +
                                   QStringLiteral(" 个源宝贝关联, 增量方式不上传")
                             : QStringLiteral("关联值重复: 关联的 ") + QString::number(rows.size()) +
                                   QStringLiteral(" 个源宝贝的数量不一致, 不上传");
        m_skipped.append(skipped);
    }
    // rows whose earlier update waits for the seller's decision
    QList<PreviewRow> preview;
    for (int r = 0; r < model.count(); ++r) {
        if (!model.isChecked(r))
            continue;
        QuantityRow q = RowOf(model, r);
        if (journal.isHeld(q.account, q.numIid, q.skuId, QStringLiteral("quantity"))) {
            model.setChecked(r, false);
            q.reason = QStringLiteral("上次的更新没有确认 (journal settle), 不再上传");
            m_skipped.append(q);
            continue;
        }
        const auto source = wholeNumber(q.source);
        const auto before = wholeNumber(q.before);
        q.after = !source ? q.source
                          : m_mode == UploadMode::Full ? QString::number(*source)
                                                       : QString::number(before.value_or(0) + *source);
        m_planned.append(q);
        preview.append(PreviewRow{q.account, q.numIid, q.skuId, q.title, q.before, q.after});
    }
    for (const QuantityRow &q : std::as_const(m_skipped))
        host().debug(QStringLiteral("跳过 ") + rowName(q) + QStringLiteral(": ") + q.reason);
    m_preview = Guardrails::quantity(preview, Settings(m_db));
    if (!m_sourceHeld.isEmpty() && !m_preview.isHeld())
        m_preview.held = m_sourceHeld;
    if (m_dryRun) {
        over(Outcome::DryRun);
        return false;
    }
    if (!m_preview.isHeld())
        return true;
    switch (m_policy) {
    case GuardPolicy::Force:
        host().debug(QStringLiteral("上传保护已被忽略 (--force): ") + m_preview.held);
        return true;
    case GuardPolicy::Ask:
        if (!silent) {
            if (host().ui().question(Interaction::tipCaption(), Guardrails::question(m_preview),
                                     Interaction::Icon::Warning))
                return true;
            m_failure = m_preview.text();
            over(Outcome::Held);
            return false;
        }
        break;
    case GuardPolicy::Hold:
        break;
    }
    m_failure = QStringLiteral("上传保护: 本次没有上传.\r\n") + m_preview.text();
    host().debug(m_failure);
    over(Outcome::Held);
    return false;
}

void QuantityUploadJob::startRows()
{
    if (m_query.GetUploadIndex() < 0) {
        finish();
        return;
    }
    beginRows(m_query.model(), m_startCaption, true);
}

void QuantityUploadJob::sendFirst()
{
    // the settling: read the items of the rows left "sent" back
    if (!m_client.taobao_items_list_get3(items().value(0), *m_http))
        WinHTTPUploadAnyError(QStringLiteral("busy"));
}

void QuantityUploadJob::settleReply(const QString &reply)
{
    QString error;
    if (!m_settler.take(m_db, items().value(0), reply, &error)) {
        host().debug(QStringLiteral("Error:") + error);
        stopWith(Outcome::DatabaseError, QStringLiteral("上传库存失败.\r\n无法保存核对结果: ") + error);
        return;
    }
    advance();
}

void QuantityUploadJob::applySettledToList()
{
    ListModel &model = m_query.model();
    for (const auto &[e, v] : m_settler.settled()) {
        if (e.kind != QStringLiteral("quantity"))
            continue;
        m_settleNotes << QStringLiteral("上传记录 ") + QString::number(e.id) + QStringLiteral(" (") + e.title +
                             QStringLiteral(", ID ") + e.numIid + QStringLiteral("): ") + v.state +
                             (v.message.isEmpty() ? QString() : QStringLiteral(" ") + v.message);
        host().debug(m_settleNotes.last());
        for (int r = 0; r < model.count(); ++r) {
            if (!model.isChecked(r))
                continue;
            QuantityRow q = RowOf(model, r);
            if (q.account != e.account || q.numIid != e.numIid.trimmed() || q.skuId != e.skuId.trimmed())
                continue;
            if (v.state == UploadJournal::unsettledState()) {
                model.setChecked(r, false);
                q.reason = v.message;
                m_skipped.append(q);
                continue;
            }
            if (!v.shopValue.isEmpty())
                model.setCell(r, CellNum, v.shopValue);
            // an increment the shop took already is not sent again
            const bool applied = v.state == UploadJournal::doneState();
            if ((m_mode == UploadMode::Incremental && applied) ||
                (m_mode == UploadMode::Full && v.shopValue == q.source))
                model.setChecked(r, false);
        }
    }
}

bool QuantityUploadJob::writeAhead(QString *error)
{
    JournalEntry e;
    e.at = Clock::now();
    e.account = m_current.account;
    e.numIid = m_current.numIid;
    e.skuId = m_current.skuId;
    e.kind = QStringLiteral("quantity");
    e.mode = m_mode == UploadMode::Full ? QStringLiteral("full") : QStringLiteral("incremental");
    e.before = m_current.before;
    e.after = m_mode == UploadMode::Full
                  ? QString::number(wholeNumber(m_current.source).value_or(0))
                  : QString::number(wholeNumber(m_current.before).value_or(0) +
                                    wholeNumber(m_current.source).value_or(0));
    e.startedBy = !m_startedBy.isEmpty() ? m_startedBy : m_byPlan ? QStringLiteral("plan") : QStringLiteral("person");
    e.title = m_current.title;
    e.cycleId = m_cycleId;
    m_journalId = UploadJournal(m_db).begin(e, error);
    return m_journalId > 0;
}

void QuantityUploadJob::sendRow(int row)
{
    const QString previousUniqid = m_current.uniqid;
    m_current = RowOf(m_query.model(), row);
    if (m_current.uniqid != previousUniqid && !m_readBackPending)
        m_journalId = 0;
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
        // nothing goes out without a committed record
        QString error;
        if (m_journalId == 0 && !writeAhead(&error)) {
            host().debug(QStringLiteral("Error:") + error);
            stopWith(Outcome::DatabaseError, QStringLiteral("上传库存失败.\r\n无法写入上传记录, ") + rowName(m_current) +
                                                 QStringLiteral(" 没有发送: ") + error);
            return;
        }
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
    if (m_settling) {
        if (!reply.ok()) {
            if (errorReply(reply) == ErrorReplyEnd::Ended) {
                m_failure = reply.message;
                m_failureCode = reply.code;
                over(Outcome::ErrorReply);
            }
            return;
        }
        settleReply(m_client.replyBuffer());
        return;
    }
    if (!reply.ok()) {
        const bool temporary = TemporaryWait(reply) > 0;
        // a remote time-out may have carried an increment out all the same
        if (m_mode == UploadMode::Incremental && !m_readBackOut && reply.code == 15 && temporary)
            m_readBackPending = true;
        if (!temporary && !m_readBackOut && !m_readBackPending && ErrorScopeOf(reply) == ErrorScope::Item) {
            refuseRow(reply.errorText);
            return;
        }
        if (!temporary && !m_readBackPending && m_journalId > 0) {
            QString error;
            if (!UploadJournal(m_db).mark(m_journalId, UploadJournal::refusedState(), reply.errorText, QString(), &error))
                host().debug(QStringLiteral("Error:") + error);
            m_journalId = 0;
        }
        if (errorReply(reply) == ErrorReplyEnd::Ended) {
            m_failure = reply.message;
            m_failureCode = reply.code;
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

void QuantityUploadJob::refuseRow(const QString &text)
{
    QString error;
    if (m_journalId > 0 &&
        !UploadJournal(m_db).mark(m_journalId, UploadJournal::refusedState(), text, QString(), &error))
        host().debug(QStringLiteral("Error:") + error);
    m_journalId = 0;
    QuantityRow row = m_current;
    row.reason = text;
    m_refused.append(row);
    host().debug(TopErrorPrefix::quantityUpload() + rowName(row) + QStringLiteral(": ") + text);
    // the walk goes on; the row is ticked again when the run is over
    rowDone();
}

void QuantityUploadJob::retickRefused()
{
    ListModel &model = m_query.model();
    for (const QuantityRow &q : std::as_const(m_refused))
        for (int r = 0; r < model.count(); ++r)
            if (model.row(r).cells.value(CellUniqid).trimmed() == q.uniqid && !model.isChecked(r))
                model.setChecked(r, true);
}

void QuantityUploadJob::WinHTTPUploadAnyError(const QString &message)
{
    lostReply(QStringLiteral("网络通讯错误: ") + message);
}

void QuantityUploadJob::lostReply(const QString &cause)
{
    if (m_mode == UploadMode::Incremental && !m_settling)
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
    JournalEntry e = UploadJournal(m_db).entry(m_journalId);
    if (e.id == 0) {
        // no record to settle against: judge by the list row
        e.account = m_current.account;
        e.numIid = m_current.numIid;
        e.skuId = m_current.skuId;
        e.kind = QStringLiteral("quantity");
        e.mode = QStringLiteral("incremental");
        e.before = m_current.before;
        e.after = QString::number(wholeNumber(m_current.before).value_or(0) + wholeNumber(m_current.source).value_or(0));
    }
    const SettleVerdict v = JudgeSent(e, reply);
    if (v.state == UploadJournal::doneState()) {
        rowTaken();
        return;
    }
    if (v.state == UploadJournal::refusedState()) {
        // it did not go through: the tick sends the update again under the same record
        m_readBackPending = false;
        armTimer();
        return;
    }
    QString error;
    if (e.id > 0 && !StoreVerdict(m_db, e, v, &error))
        host().debug(QStringLiteral("Error:") + error);
    m_readBackPending = false;
    m_journalId = 0;
    QuantityRow row = m_current;
    row.reason = v.message;
    m_skipped.append(row);
    host().ui().error(TopErrorPrefix::quantityUpload() + rowName(m_current) + QStringLiteral(": ") + v.message);
    // the row is left out (unticked); the run goes on with the others
    rowDone();
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
    if (stored)
        stored = UploadJournal(m_db).mark(m_journalId, UploadJournal::doneState(), QString(), row.after, &error);
    if (stored && !m_db.commit()) {
        stored = false;
        error = m_db.lastError().text();
    }
    if (!stored) {
        m_db.rollback();
        host().debug(QStringLiteral("Error:") + error);
        // the record stays "sent": the next run settles it by reading the shop
        stopWith(Outcome::DatabaseError,
                 QStringLiteral("上传库存失败.\r\n") + rowName(row) + QStringLiteral(" 在店铺中已更新为 ") + row.after +
                     QStringLiteral(", 但无法保存到本机数据库: ") + error +
                     QStringLiteral("\r\n下次上传前会先核对店铺中的库存, 不会重复增加."));
        return;
    }
    m_journalId = 0;
    ListModel &model = m_query.model();
    if (currentRow() >= 0 && currentRow() < model.count())
        model.setCell(currentRow(), CellNum, row.after);
    m_uploaded.append(row);
    Q_EMIT rowUploaded(row);
    rowDone();
}

void QuantityUploadJob::finish()
{
    if (m_settling) {
        m_settling = false;
        applySettledToList();
        startRows();
        return;
    }
    // what the run did, before the list is filled again
    m_report = reportNow(UploadReport::End::Completed);
    m_reportTaken = true;
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

UploadReport QuantityUploadJob::reportNow(UploadReport::End end) const
{
    UploadReport r;
    r.kind = UploadReport::Kind::Quantity;
    r.end = end;
    r.uploaded = static_cast<int>(m_uploaded.size());
    QSet<QString> named;
    for (const QuantityRow &q : m_refused) {
        r.refused.append({q.title, q.numIid, q.skuId, q.reason});
        named.insert(q.uniqid);
    }
    for (const QuantityRow &q : m_skipped) {
        r.notUploaded.append({q.title, q.numIid, q.skuId, q.reason});
        named.insert(q.uniqid);
    }
    const ListModel &model = m_query.model();
    for (int row = 0; row < model.count(); ++row) {
        if (!model.isChecked(row))
            continue;
        const QuantityRow q = RowOf(model, row);
        if (!named.contains(q.uniqid))
            r.notUploaded.append({q.title, q.numIid, q.skuId, QString()});
    }
    if (end != UploadReport::End::Completed)
        r.stopped = m_failure;
    return r;
}

QString QuantityUploadJob::rowsLeftNote() const
{
    return QStringLiteral("\r\n") + reportNow(UploadReport::End::Failed).noteAfterError();
}

void QuantityUploadJob::over(Outcome outcome)
{
    m_outcome = outcome;
    m_settling = false;
    if (!m_reportTaken) {
        UploadReport::End end = UploadReport::End::Failed;
        if (outcome == Outcome::Completed || outcome == Outcome::NothingTicked || outcome == Outcome::DryRun)
            end = UploadReport::End::Completed;
        else if (outcome == Outcome::Cancelled)
            end = UploadReport::End::Cancelled;
        else if (outcome == Outcome::Held)
            end = UploadReport::End::Held;
        m_report = reportNow(end);
        m_reportTaken = true;
    }
    retickRefused();
    // a run the seller started ends with what it did (errors have said so in their message)
    const bool said = outcome == Outcome::Completed || outcome == Outcome::Cancelled;
    if (said && !m_byPlan && !host().planRunning() && !m_dryRun) {
        if (m_report.clean())
            host().ui().info(m_report.text());
        else
            host().ui().warn(m_report.text());
    }
    Q_EMIT ended(outcome);
}
