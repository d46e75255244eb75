#include "sync/ShopRowJob.h"

#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "store/UploadJournal.h"
#include "top/ErrorScope.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSqlError>

ShopRowJob::ShopRowJob(JobHost &host, TopClient &client, const QSqlDatabase &db, ListModel &model, QObject *parent)
    : RequestJob(host, 200, TransportRule::NoRetry, parent), m_client(client), m_db(db), m_model(model)
{
    createComponent();
}

ShopRowJob::~ShopRowJob()
{
    delete m_http;
}

void ShopRowJob::createComponent()
{
    m_http = new TWinHTTP();
    m_http->setAgent(TWinHTTP::browserAgent());
    m_http->setTimeouts(10000);
    connect(m_http, &TWinHTTP::OnDone, this, &ShopRowJob::httpDone);
    connect(m_http, &TWinHTTP::OnAnyError, this, &ShopRowJob::httpAnyError);
}

void ShopRowJob::replaceComponent()
{
    TWinHTTP *old = m_http;
    old->disconnect(this);
    createComponent();
    old->release();
}

ProgressPanelState &ShopRowJob::panel()
{
    return host().panel2();
}

void ShopRowJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void ShopRowJob::over(Outcome outcome)
{
    m_outcome = outcome;
    m_settling = false;
    retickRefused();
    tellEnd(outcome);
    Q_EMIT ended(outcome);
}

void ShopRowJob::tellEnd(Outcome outcome)
{
    if (outcome == Outcome::Completed && !m_refused.isEmpty() && !host().planRunning()) {
        QStringList lines{QStringLiteral("以下宝贝被平台拒绝 (仍然勾选):")};
        for (const Refusal &f : std::as_const(m_refused))
            lines << QStringLiteral("  ") + f.title + QStringLiteral(" (ID ") + f.numIid + QStringLiteral("): ") + f.reason;
        host().ui().warn(lines.join(QStringLiteral("\r\n")));
    }
}

void ShopRowJob::reloadList()
{
    if (m_reload)
        m_reload();
}

int ShopRowJob::firstTicked() const
{
    for (int r = 0; r < m_model.count(); ++r)
        if (m_model.isChecked(r))
            return r;
    return -1;
}

QString ShopRowJob::startedBy() const
{
    if (!m_startedByOverride.isEmpty())
        return m_startedByOverride;
    return const_cast<ShopRowJob *>(this)->host().planRunning() ? QStringLiteral("plan") : QStringLiteral("person");
}

bool ShopRowJob::beginSettled(const QString &startCaption, bool sentItemList)
{
    m_refused.clear();
    m_failureCode = 0;
    m_journalId = 0;
    m_startCaption = startCaption;
    m_sentItemList = sentItemList;
    QString error;
    if (!m_settler.load(m_db, &error)) {
        host().ui().error(QStringLiteral("无法读取上传记录: ") + error);
        return false;
    }
    if (m_settler.pending()) {
        m_settling = true;
        begin(m_settler.batches(), QStringLiteral("正在核对上次没有确认的上传..."), true);
        return true;
    }
    return beginRows(m_model, startCaption, true, sentItemList);
}

bool ShopRowJob::settleFinished()
{
    if (!m_settling)
        return false;
    m_settling = false;
    for (const auto &[e, v] : m_settler.settled())
        host().debug(QStringLiteral("上传记录 ") + QString::number(e.id) + QStringLiteral(" (") + e.title +
                     QStringLiteral(", ID ") + e.numIid + QStringLiteral("): ") + v.state +
                     (v.message.isEmpty() ? QString() : QStringLiteral(" ") + v.message));
    return beginRows(m_model, m_startCaption, true, m_sentItemList);
}

void ShopRowJob::sendFirst()
{
    if (!m_client.taobao_items_list_get3(items().value(0), *m_http))
        transportError(QStringLiteral("busy"));
}

bool ShopRowJob::writeAhead(JournalEntry entry)
{
    entry.at = Clock::now();
    entry.startedBy = startedBy();
    entry.cycleId = m_cycleId;
    QString error;
    m_journalId = UploadJournal(m_db).begin(entry, &error);
    if (m_journalId > 0)
        return true;
    databaseError(QStringLiteral("无法写入上传记录, 没有发送: ") + error);
    return false;
}

bool ShopRowJob::journalDone(QString *error)
{
    if (m_journalId <= 0)
        return true;
    const bool ok = UploadJournal(m_db).mark(m_journalId, UploadJournal::doneState(), QString(), QString(), error);
    return ok;
}

bool ShopRowJob::storeDone(const std::function<bool(QString *)> &change)
{
    QString error;
    bool ok = m_db.transaction();
    if (!ok)
        error = m_db.lastError().text();
    ok = ok && change(&error) && journalDone(&error);
    if (ok && !m_db.commit()) {
        ok = false;
        error = m_db.lastError().text();
    }
    if (!ok) {
        m_db.rollback();
        // the record stays "sent": the next run settles it by reading the shop
        databaseError(QStringLiteral("店铺已接受更改, 但无法保存到本机数据库: ") + error +
                      QStringLiteral("\r\n下次执行前会先核对店铺中的宝贝."));
        return false;
    }
    m_journalId = 0;
    return true;
}

void ShopRowJob::refusalDetails(int row, Refusal &f) const
{
    const ListRow &r = m_model.row(row);
    f.account = r.caption;
    f.title = r.cells.value(0);
    f.numIid = r.cells.value(9);
    f.skuId = r.cells.value(10);
    f.uniqid = r.uniqid();
}

bool ShopRowJob::itemRefused(const QString &account, const QString &numIid) const
{
    for (const Refusal &r : m_refused)
        if (r.account == account && r.numIid == numIid)
            return true;
    return false;
}

void ShopRowJob::retickRefused()
{
    for (const Refusal &f : std::as_const(m_refused))
        for (int r = 0; r < m_model.count(); ++r)
            if (m_model.row(r).uniqid() == f.uniqid && !m_model.isChecked(r))
                m_model.setChecked(r, true);
}

void ShopRowJob::databaseError(const QString &error)
{
    host().debug(QStringLiteral("Error:") + error);
    host().ui().message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    panel().hide();
    end();
    over(Outcome::DatabaseError);
}

void ShopRowJob::httpDone(const QString &, qint64, const QByteArray &body)
{
    TopIntake reply = m_client.intake(body, QString());
    if (!reply.ok()) {
        reply.message = errorPrefix(reply.errorText) + reply.message; // the intake's explanation
        const bool temporary = TemporaryWait(reply) > 0;
        if (!m_settling && !temporary && items().isEmpty() && currentRow() >= 0 && ErrorScopeOf(reply) == ErrorScope::Item &&
            reply.kind == TopIntake::Kind::ErrorReply) {
            // this item is refused; the others still go
            QString error;
            if (m_journalId > 0 &&
                !UploadJournal(m_db).mark(m_journalId, UploadJournal::refusedState(), reply.errorText, QString(), &error))
                host().debug(QStringLiteral("Error:") + error);
            m_journalId = 0;
            Refusal f;
            f.reason = reply.errorText;
            refusalDetails(currentRow(), f);
            m_refused.append(f);
            host().debug(reply.message);
            Q_EMIT refused(f.account, f.numIid, f.skuId, f.title, f.reason);
            rowDone();
            return;
        }
        if (!temporary && !m_settling && m_journalId > 0 && reply.kind == TopIntake::Kind::ErrorReply) {
            QString error;
            if (!UploadJournal(m_db).mark(m_journalId, UploadJournal::refusedState(), reply.errorText, QString(), &error))
                host().debug(QStringLiteral("Error:") + error);
            m_journalId = 0;
        }
        if (errorReply(reply) == ErrorReplyEnd::Ended) {
            m_failureCode = reply.code;
            over(Outcome::ErrorReply);
        }
        return;
    }
    if (m_settling) {
        QString error;
        if (!m_settler.take(m_db, items().value(0), m_client.replyBuffer(), &error)) {
            databaseError(QStringLiteral("无法保存核对结果: ") + error);
            return;
        }
        advance();
        return;
    }
    rowSucceeded(m_client.replyBuffer());
}

void ShopRowJob::httpAnyError(const QString &message)
{
    const bool cancelled = wasCancelled();
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (!cancelled)
        over(Outcome::NetworkError);
}
