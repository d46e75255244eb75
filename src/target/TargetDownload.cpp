#include "target/TargetDownload.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "source/StagedDownload.h"
#include "lists/MerchantCodes.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kFinishCaption = QStringLiteral("下载完毕,正在刷新并保存数据...");
const QString kStagingTable = QStringLiteral("TB_Object_Download");

const QString kRefreshEntry = QStringLiteral("update TB_URL set\nouter_id=?,\ntitle=?,\nnick=?,\napprove_status=?\n"
                                             "where tag=1 and num_iid=?");
const QString kKeepCodeLine = QStringLiteral("\nand (outer_id='' or approve_status<>?)");
const QString kNullEntry =
    QStringLiteral("update tb_url set\nouter_id=''\nwhere tag=1 and num_iid=?\nand outer_id2='null'");

} // namespace

TargetDownloadJob::TargetDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db,
                                     QObject *parent)
    : ItemListDownloadJob(host, client, db, 1, 100, parent), m_db(db)
{
}

ProgressPanelState &TargetDownloadJob::panel()
{
    return host().panel2();
}

QString TargetDownloadJob::progressCaption(int percent) const
{
    return QStringLiteral("正在下载目标店铺宝贝数据...(") + QString::number(percent) + QStringLiteral("%)");
}

bool TargetDownloadJob::N62Click()
{
    if (host().busy())
        return false;
    if (TrimText(m_account).isEmpty()) {
        host().ui().warn(QStringLiteral("请选择登录帐号."));
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    releaseOldRun();
    host().clearCancel();
    host().resetErrors();

    QStringList ids;
    if (!tickedIds(ids)) {
        m_outcome = Outcome::DatabaseError;
        return false;
    }
    if (ids.isEmpty()) {
        host().ui().warn(QStringLiteral("没有配置目标店铺下载源,请进入<配置目标店铺下载源>进行配置勾选"));
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    if (!host().planRunning() &&
        !host().ui().ask(QStringLiteral("是否 “使用[目标店铺配置]下载目标店铺宝贝列表”?"))) {
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    const QStringList batches = Batches(ids);
    // the replies gather beside TB_Object; the account's rows are replaced
    // only when the download completes
    if (!emptyStaging(kStagingTable)) {
        m_outcome = Outcome::DatabaseError;
        return false;
    }
    m_storedNick.clear();
    clearRefused();
    m_outcome = Outcome::Completed;
    begin(batches, QStringLiteral("店铺:") + m_account + QStringLiteral("\r\n") + QStringLiteral("正在下载中...(0%)"),
          true);
    return true;
}

bool TargetDownloadJob::sendBatch(const QString &ids)
{
    return client().taobao_items_list_get3(ids, *component());
}

bool TargetDownloadJob::storeReply(const QString &reply)
{
    switch (ProcessXML_Object3(reply)) {
    case Stored::Ok:
        return true;
    case Stored::NickMismatch:
        end();
        over(Outcome::NickMismatch);
        return false;
    case Stored::DatabaseError:
        // the job stops where it is; the panel stays until the user cancels
        end();
        over(Outcome::DatabaseError);
        return false;
    }
    return false;
}

void TargetDownloadJob::errorReplyEnded()
{
    over(Outcome::ErrorReply);
}

void TargetDownloadJob::networkGaveUp()
{
    over(Outcome::NetworkGaveUp);
}

QString TargetDownloadJob::refusedMessage() const
{
    return ItemListDownloadJob::refusedMessage(QStringLiteral("目标店铺下载源列表"));
}

TargetDownloadJob::Stored TargetDownloadJob::ProcessXML_Object3(const QString &reply)
{
    const QString account = TrimText(m_account).toUpper();
    const QString refreshText = kRefreshEntry + (m_noOuterId ? QString() : kKeepCodeLine);
    QSqlQuery refresh(m_db);
    refresh.prepare(refreshText);
    QSqlQuery nullEntry(m_db);
    nullEntry.prepare(kNullEntry);
    ReplyItemSteps steps;
    steps.admit = [&](const ItemRecord &item) {
        return item.nick.toUpper() == account ? ReplyItemSteps::Admit::Store : ReplyItemSteps::Admit::Stop;
    };
    steps.owner = [](const ItemRecord &item) { return item.nick; };
    steps.after = [&](const ItemRecord &item, QString &why, QString &statement) {
        m_storedNick = item.nick;
        // the entry's refresh after each row is the same update every time: once per item
        const QString code = m_noOuterId ? QString(QLatin1String("")) : item.outerId;
        for (const QString &v : {code, item.title, item.nick, item.approveStatus, item.numIid})
            refresh.addBindValue(SqlText(v));
        if (!m_noOuterId)
            refresh.addBindValue(SqlText(item.approveStatus));
        if (!refresh.exec()) {
            why = refresh.lastError().text();
            statement = refreshText;
            return false;
        }
        // an entry whose custom code is "null" keeps no merchant code
        nullEntry.addBindValue(SqlText(item.numIid));
        if (!nullEntry.exec()) {
            why = nullEntry.lastError().text();
            statement = kNullEntry;
            return false;
        }
        return true;
    };
    const ReplyStored stored = StoreReplyItems(m_db, reply, kStagingTable, QStringLiteral("userid"), steps);
    switch (stored.result) {
    case ReplyStored::Result::Ok:
        return Stored::Ok;
    case ReplyStored::Result::Stopped:
        host().ui().warn(QStringLiteral("下载失败，选择的登录帐号与下载的宝贝所属卖家不一致,请选择正确的帐号再下载."));
        host().panel2().hide();
        return Stored::NickMismatch;
    case ReplyStored::Result::Failed:
        break;
    }
    m_lastStatement = stored.statement;
    host().debug(QStringLiteral("Error:") + stored.error + QStringLiteral("\r\n") + stored.statement);
    return Stored::DatabaseError;
}

void TargetDownloadJob::finish()
{
    host().panel2().setCaption(kFinishCaption);
    if (!replaceTargetRows()) {
        // the previous download stays; the panel stays until the user cancels
        over(Outcome::DatabaseError);
        return;
    }
    host().panel2().hide();
    if (m_reload)
        m_reload();
    if (refusedIds().isEmpty()) {
        host().ui().info(QStringLiteral("完成\"使用目标店铺配置下载目标店铺宝贝列表\",请确认."));
    } else {
        host().debug(refusedMessage());
        host().ui().warn(QStringLiteral("完成\"使用目标店铺配置下载目标店铺宝贝列表\". ") + refusedMessage());
    }
    over(Outcome::Completed);
}

bool TargetDownloadJob::replaceTargetRows()
{
    StagedReplace replace(m_db);
    QString statement;
    const QString columns = QStringLiteral("UserID,title,oldcode,is_fenxiao,sku_properties,outer_id_sku,"
                                           "approve_status,outer_id,color,sku,num,price,num_iid,sku_id");
    const bool ok =
        replace.begin() &&
        replace.exec(QStringLiteral("delete from TB_Object where UserID=?"), {SqlText(m_account)}) &&
        markRefusedIds(replace) && replace.move(kStagingTable, QStringLiteral("TB_Object"), columns) &&
        (!m_noOuterId || replace.exec(QStringLiteral("Update Tb_Object Set outer_id=''\nwhere UserId=?"),
                                      {SqlText(m_account)})) &&
        (applyCustomCodes(replace.query(), statement) || replace.fail(statement)) &&
        (Settings(m_db).set(Setting::TargetDownloadTime, startTime()) ||
         replace.fail(QStringLiteral("Update _parameter set ParaValue=? where NM=2"),
                      m_db.lastError().text())) &&
        replace.commit();
    if (!ok) {
        m_lastStatement = replace.statement();
        host().debug(QStringLiteral("Error:") + replace.error() + QStringLiteral("\r\n") + replace.statement());
    }
    return ok;
}

bool TargetDownloadJob::applyCustomCodes(QSqlQuery &q, QString &statement)
{
    statement = QStringLiteral("select num_iid,outer_id2 from TB_URL where tag=1 and outer_id2<>''");
    if (!q.exec(statement))
        return false;
    QList<QPair<QString, QString>> rows;
    while (q.next())
        rows.append({TrimText(q.value(0).toString()), TrimText(q.value(1).toString())});
    // the rows are those the job stored, under the nick they were stored with
    if (m_storedNick.isEmpty())
        return true;
    statement = QStringLiteral("update tb_object set outer_id=?\nwhere num_iid=? and userid=?");
    q.prepare(statement);
    QElapsedTimer shown;
    shown.start();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        // the caption follows a few times a second; the window repaints it if it likes
        if (i == 0 || shown.elapsed() >= 100) {
            host().panel2().setCaption(kFinishCaption + QString::number(i + 1) + QLatin1Char('/') +
                                       QString::number(rows.size()));
            shown.restart();
        }
        const QString code = EffectiveMerchantCode(QString(), rows.at(i).second);
        q.addBindValue(SqlText(code));
        q.addBindValue(SqlText(rows.at(i).first));
        q.addBindValue(SqlText(m_storedNick));
        if (!q.exec())
            return false;
    }
    return true;
}

void TargetDownloadJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void TargetDownloadJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
