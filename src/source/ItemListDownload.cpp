#include "source/ItemListDownload.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "source/StagedDownload.h"
#include "top/TopClient.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kMarkRefused = QStringLiteral("update TB_URL set refused=? where tag=? and trim(num_iid)=?");
} // namespace

ItemListDownloadJob::ItemListDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, int tag,
                                         int intervalMs, QObject *parent)
    : ComponentJob(host, intervalMs, TransportRule::Countdown, parent), m_client(client), m_db(db), m_tag(tag)
{
}

bool ItemListDownloadJob::refuse(const QString &error, const QString &statement)
{
    host().debug(error + QStringLiteral("\r\n") + statement);
    host().ui().message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    return false;
}

bool ItemListDownloadJob::tickedIds(QStringList &ids)
{
    const QString select = QStringLiteral("select bcheck,num_iid from tb_url where tag=") +
                           QString::number(m_tag) + QStringLiteral(" and bcheck=1 and num_iid<>''");
    QSqlQuery q(m_db);
    if (!q.exec(select))
        return refuse(q.lastError().text(), select);
    while (q.next())
        ids << TrimText(q.value(1).toString());
    return true;
}

bool ItemListDownloadJob::emptyStaging(const QString &staging)
{
    const QString empty = QStringLiteral("delete from ") + staging;
    QSqlQuery q(m_db);
    return q.exec(empty) || refuse(q.lastError().text(), empty);
}

void ItemListDownloadJob::sendFirst()
{
    if (!sendBatch(items().first())) {
        // a component still busy cannot happen with one request at a time;
        // treat it as a transport failure rather than stalling
        componentError(QStringLiteral("busy"));
    }
}

void ItemListDownloadJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::download(), true, replyContentType());
    if (!reply.ok()) {
        if (IsRefusedIdsReply(reply)) {
            refusedBatch(reply);
            return;
        }
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            errorReplyEnded();
        return;
    }
    if (storeReply(m_client.replyBuffer()))
        advance();
}

void ItemListDownloadJob::componentError(const QString &message)
{
    const bool givingUp = !wasCancelled() && host().errorCount() >= 5;
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (givingUp)
        networkGaveUp();
}

bool ItemListDownloadJob::IsRefusedIdsReply(const TopIntake &reply)
{
    return reply.kind == TopIntake::Kind::ErrorReply && reply.code == 41 &&
           reply.errorText.contains(QStringLiteral("num_iids"));
}

QString ItemListDownloadJob::RefusedMark()
{
    return QStringLiteral("Invalid arguments:num_iids");
}

QString ItemListDownloadJob::refusedMessage(const QString &listName) const
{
    return QStringLiteral(
               "开放平台拒绝了以下商品数字ID (Invalid arguments:num_iids), 这些宝贝没有下载, 已在") +
           listName + QStringLiteral("中标记为\"ID被拒绝\"; 其余宝贝已下载:\r\n") +
           m_refused.join(QStringLiteral("\r\n"));
}

void ItemListDownloadJob::refusedBatch(const TopIntake &reply)
{
    const QStringList ids = items().first().split(QLatin1Char(','), Qt::SkipEmptyParts);
    host().debug(reply.message + QStringLiteral("\r\n") + items().first());
    if (ids.size() > 1) {
        const qsizetype half = (ids.size() + 1) / 2;
        replaceCurrentItem({ids.mid(0, half).join(QLatin1Char(',')), ids.mid(half).join(QLatin1Char(','))});
        return;
    }
    if (!ids.isEmpty()) {
        m_refused << ids.first();
        markRefused(ids.first());
    }
    advance();
}

void ItemListDownloadJob::markRefused(const QString &id)
{
    QSqlQuery q(m_db);
    q.prepare(kMarkRefused);
    q.addBindValue(RefusedMark());
    q.addBindValue(m_tag);
    q.addBindValue(id);
    if (!q.exec())
        host().debug(q.lastError().text() + QStringLiteral("\r\n") + kMarkRefused);
}

bool ItemListDownloadJob::markRefusedIds(StagedReplace &replace)
{
    if (!replace.exec(QStringLiteral("update TB_URL set refused='' where tag=? and bcheck=1 and refused<>''"),
                      {m_tag}))
        return false;
    for (const QString &id : std::as_const(m_refused))
        if (!replace.exec(kMarkRefused, {RefusedMark(), m_tag, id}))
            return false;
    return true;
}
