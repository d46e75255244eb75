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

} // namespace

SourceDownloadJob::SourceDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db,
                                     QObject *parent)
    : ItemListDownloadJob(host, client, db, 0, 200, parent), m_db(db)
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

    QStringList ids;
    if (!tickedIds(ids))
        return false;
    if (ids.isEmpty()) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选"));
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    const QStringList batches = Batches(ids);
    // the replies gather beside TB_Source; it is replaced only when the download completes
    if (!emptyStaging(kStagingTable))
        return false;
    host().resetErrors();
    clearRefused();
    m_outcome = Outcome::Completed;
    begin(batches, kStartCaption, true);
    return true;
}

bool SourceDownloadJob::sendBatch(const QString &ids)
{
    return client().taobao_items_list_get(ids, *component());
}

bool SourceDownloadJob::storeReply(const QString &reply)
{
    if (ProcessXML_Source(reply))
        return true;
    // the job stops where it is; the panel stays until the user cancels
    end();
    over(Outcome::DatabaseError);
    return false;
}

void SourceDownloadJob::errorReplyEnded()
{
    over(Outcome::ErrorReply);
}

void SourceDownloadJob::networkGaveUp()
{
    over(Outcome::NetworkGaveUp);
}

QString SourceDownloadJob::refusedMessage() const
{
    return ItemListDownloadJob::refusedMessage(QStringLiteral("源下载源列表"));
}

namespace {
const QString kRefreshEntry = QStringLiteral("update TB_URL set\nouter_id=?,\ntitle=?,\nnick=?,\napprove_status=?\n"
                                             "where tag=0 and num_iid=?\nand (outer_id='' or approve_status<>?)");
} // namespace

bool SourceDownloadJob::ProcessXML_Source(const QString &reply)
{
    QSqlQuery refresh(m_db);
    refresh.prepare(kRefreshEntry);
    ReplyItemSteps steps;
    steps.owner = [](const ItemRecord &item) { return item.nick; };
    // the entry's refresh after each row is the same update every time: once per item
    steps.after = [&](const ItemRecord &item, QString &why, QString &statement) {
        for (const QString &v :
             {item.outerId, item.title, item.nick, item.approveStatus, item.numIid, item.approveStatus})
            refresh.addBindValue(SqlText(v));
        if (refresh.exec())
            return true;
        why = refresh.lastError().text();
        statement = kRefreshEntry;
        return false;
    };
    const ReplyStored stored = StoreReplyItems(m_db, reply, kStagingTable, QStringLiteral("nick"), steps);
    if (stored.result == ReplyStored::Result::Ok)
        return true;
    m_lastStatement = stored.statement;
    host().debug(stored.error + QStringLiteral("\r\n") + stored.statement);
    return false;
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
    if (!refusedIds().isEmpty())
        host().debug(refusedMessage());
    if (!host().planRunning()) {
        if (refusedIds().isEmpty())
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
