#include "source/SourceDownload.h"

#include "base/Interaction.h"
#include "lists/MerchantCodes.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "base/TextRoutines.h"
#include "source/StagedDownload.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kStartCaption = QStringLiteral("正在下载源宝贝库存数据...(0%)");
const QString kFinishCaption = QStringLiteral("下载完毕,正在刷新并保存数据...");
const QString kStagingTable = QStringLiteral("TB_Source_Download");
const QString kMarkRefused = QStringLiteral("update TB_URL set refused=? where tag=0 and trim(num_iid)=?");

} // namespace

SourceDownloadJob::SourceDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent)
    : ComponentJob(host, 200, TransportRule::Countdown, parent), m_client(client), m_db(db)
{
}

ProgressPanelState &SourceDownloadJob::panel()
{
    return host().panel1();
}

QString SourceDownloadJob::progressCaption(int percent) const
{
    return QStringLiteral("正在下载源宝贝库存数据...(") + QString::number(percent) + QStringLiteral("%)");
}

QString SourceDownloadJob::trayHintFor(const QString &caption) const
{
    return QStringLiteral("同步计划状态: 执行中...(") + (m_account ? m_account() : QString()) + QStringLiteral(")\r\n") +
           caption;
}

bool SourceDownloadJob::FromDownloadClick()
{
    if (host().busy())
        return false;
    releaseOldRun();
    host().clearCancel();

    auto refuse = [this](const QSqlQuery &q, const QString &statement) {
        host().debug(q.lastError().text() + QStringLiteral("\r\n") + statement);
        host().ui().message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
        return false;
    };
    const QString select = QStringLiteral("select bcheck,num_iid from tb_url where tag=0 and bcheck=1 and num_iid<>''");
    QSqlQuery q(m_db);
    QStringList ids;
    if (!q.exec(select))
        return refuse(q, select);
    while (q.next())
        ids << TrimText(q.value(1).toString());
    if (ids.isEmpty()) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选"));
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    const QStringList batches = Batches(ids);
    // the replies gather beside TB_Source; it is replaced only when the download completes
    const QString empty = QStringLiteral("delete from ") + kStagingTable;
    if (!q.exec(empty))
        return refuse(q, empty);
    host().resetErrors();
    m_refused.clear();
    m_outcome = Outcome::Completed;
    begin(batches, kStartCaption, true);
    return true;
}

void SourceDownloadJob::sendFirst()
{
    if (!m_client.taobao_items_list_get(items().first(), *component())) {
        // a component still busy cannot happen with one request at a time;
        // treat it as a transport failure rather than stalling
        componentError(QStringLiteral("busy"));
    }
}

void SourceDownloadJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::download(), true, replyContentType());
    if (!reply.ok()) {
        if (IsRefusedIdsReply(reply)) {
            refusedBatch(reply);
            return;
        }
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(Outcome::ErrorReply);
        return;
    }
    if (!ProcessXML_Source(m_client.replyBuffer())) {
        // the job stops where it is; the panel stays until the user cancels
        end();
        over(Outcome::DatabaseError);
        return;
    }
    advance();
}

bool SourceDownloadJob::IsRefusedIdsReply(const TopIntake &reply)
{
    return reply.kind == TopIntake::Kind::ErrorReply && reply.code == 41 &&
           reply.errorText.contains(QStringLiteral("num_iids"));
}

QString SourceDownloadJob::refusedMessage() const
{
    return QStringLiteral("开放平台拒绝了以下商品数字ID (Invalid arguments:num_iids), 这些宝贝没有下载, "
                          "已在源下载源列表中标记为\"ID被拒绝\"; 其余宝贝已下载:\r\n") +
           m_refused.join(QStringLiteral("\r\n"));
}

void SourceDownloadJob::refusedBatch(const TopIntake &reply)
{
    // The platform refuses a whole batch for one id it does not take: the
    // batch goes again in halves until the refused ids stand alone.
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

void SourceDownloadJob::markRefused(const QString &id)
{
    QSqlQuery q(m_db);
    q.prepare(kMarkRefused);
    q.addBindValue(RefusedMark());
    q.addBindValue(id);
    if (!q.exec())
        host().debug(q.lastError().text() + QStringLiteral("\r\n") + kMarkRefused);
}

void SourceDownloadJob::componentError(const QString &message)
{
    const bool givingUp = !wasCancelled() && host().errorCount() >= 5;
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (givingUp)
        over(Outcome::NetworkGaveUp);
}

namespace {
const QString kRefreshEntry = QStringLiteral("update TB_URL set\nouter_id=?,\ntitle=?,\nnick=?,\napprove_status=?\n"
                                             "where tag=0 and num_iid=?\nand (outer_id='' or approve_status<>?)");
} // namespace

bool SourceDownloadJob::ProcessXML_Source(const QString &reply)
{
    bool ok = true;
    // the user may switch the easy sizes while a download runs
    const bool easySku = Settings(m_db).flag(Setting::EasySku);
    m_db.transaction();
    {
        StagedItemRows rows(m_db, kStagingTable, QStringLiteral("nick"));
        QSqlQuery refresh(m_db);
        refresh.prepare(kRefreshEntry);
        DecodeItems(reply, easySku, [&](const ItemRecord &item) {
            if (ok)
                ok = storeItem(item, rows, refresh);
        });
    }
    // the list entries refreshed before a failing item keep their news; the
    // gathered rows count only once the whole download has come in
    m_db.commit();
    return ok;
}

bool SourceDownloadJob::storeItem(const ItemRecord &item, StagedItemRows &rows, QSqlQuery &refresh)
{
    auto fail = [this](const QString &why, const QString &statement) {
        m_lastStatement = statement;
        host().debug(why + QStringLiteral("\r\n") + statement);
        return false;
    };
    if (!rows.store(item, item.nick))
        return fail(rows.error(), rows.statement());
    // the entry's refresh after each row is the same update every time: once per item
    for (const QString &v : {item.outerId, item.title, item.nick, item.approveStatus, item.numIid, item.approveStatus})
        refresh.addBindValue(SqlText(v));
    if (!refresh.exec())
        return fail(refresh.lastError().text(), kRefreshEntry);
    return true;
}

void SourceDownloadJob::finish()
{
    host().panel1().setCaption(kFinishCaption);
    if (!replaceSourceRows()) {
        // the previous download stays; the panel stays until the user cancels
        over(Outcome::DatabaseError);
        return;
    }
    host().panel1().hide();
    if (m_reload)
        m_reload();
    if (!m_refused.isEmpty())
        host().debug(refusedMessage());
    if (!host().planRunning()) {
        if (m_refused.isEmpty())
            host().ui().info(QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
        else
            host().ui().warn(QStringLiteral("完成\"下载源宝贝库存数据\". ") + refusedMessage());
    } else if (m_handOver) {
        m_handOver(Settings(m_db).flag(Setting::SyncUpload));
    }
    over(Outcome::Completed);
}

bool SourceDownloadJob::replaceSourceRows()
{
    StagedReplace replace(m_db);
    QString statement;
    const QString columns = QStringLiteral("title,oldcode,is_fenxiao,sku_properties,nick,outer_id_sku,approve_status,"
                                           "outer_id,color,sku,num,price,num_iid,sku_id");
    const bool ok = replace.begin() &&
                    (applyCustomCodes(replace.query(), statement) || replace.fail(statement)) &&
                    replace.exec(QStringLiteral("delete from TB_Source")) &&
                    markRefusedIds(replace) &&
                    replace.move(kStagingTable, QStringLiteral("TB_Source"), columns) &&
                    (Settings(m_db).set(Setting::SourceDownloadTime, startTime()) ||
                     replace.fail(QStringLiteral("Update _parameter set ParaValue=? where NM=1"),
                                  m_db.lastError().text())) &&
                    replace.commit();
    if (!ok) {
        m_lastStatement = replace.statement();
        host().debug(replace.error() + QStringLiteral("\r\n") + replace.statement());
    }
    return ok;
}

bool SourceDownloadJob::markRefusedIds(StagedReplace &replace)
{
    // the marks of the ids fetched are those of this download
    if (!replace.exec(QStringLiteral("update TB_URL set refused='' where tag=0 and bcheck=1 and refused<>''")))
        return false;
    for (const QString &id : std::as_const(m_refused))
        if (!replace.exec(kMarkRefused, {RefusedMark(), id}))
            return false;
    return true;
}

QString SourceDownloadJob::RefusedMark()
{
    return QStringLiteral("Invalid arguments:num_iids");
}

bool SourceDownloadJob::applyCustomCodes(QSqlQuery &q, QString &statement)
{
    statement = QStringLiteral("select num_iid,outer_id2 from TB_URL where tag=0 and outer_id2<>''");
    if (!q.exec(statement))
        return false;
    QList<QPair<QString, QString>> rows;
    while (q.next())
        rows.append({TrimText(q.value(0).toString()), TrimText(q.value(1).toString())});
    statement = QStringLiteral("update ") + kStagingTable + QStringLiteral(" set outer_id=?\nwhere num_iid=?");
    q.prepare(statement);
    QElapsedTimer shown;
    shown.start();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        // the caption follows a few times a second; the window repaints it if it likes
        if (i == 0 || shown.elapsed() >= 100) {
            host().panel1().setCaption(kFinishCaption + QString::number(i + 1) + QLatin1Char('/') +
                                       QString::number(rows.size()));
            shown.restart();
        }
        const QString code = EffectiveMerchantCode(QString(), rows.at(i).second);
        q.addBindValue(code);
        q.addBindValue(rows.at(i).first);
        if (!q.exec())
            return false;
    }
    return true;
}

void SourceDownloadJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void SourceDownloadJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
