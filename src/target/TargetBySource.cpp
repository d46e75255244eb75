#include "target/TargetBySource.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "source/StagedDownload.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const QString kStagingTable = QStringLiteral("TB_Object_Download");
const QString kColumns = QStringLiteral("UserID,title,oldcode,is_fenxiao,sku_properties,outer_id_sku,"
                                        "approve_status,outer_id,color,sku,num,price,num_iid,sku_id");
} // namespace

TargetBySourceJob::TargetBySourceJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent)
    : ComponentJob(host, 100, TransportRule::Immediate, parent), m_client(client), m_db(db)
{
}

ProgressPanelState &TargetBySourceJob::panel()
{
    return host().panel2();
}

QString TargetBySourceJob::progressCaption(int percent) const
{
    return QStringLiteral("店铺:") + m_account + QStringLiteral("\r\n正在下载目标店铺宝贝列表...(") +
           QString::number(percent) + QStringLiteral("%)");
}

QString TargetBySourceJob::trayHintFor(const QString &caption) const
{
    return QStringLiteral("同步计划状态: 执行中...(") + m_account + QStringLiteral(")\r\n") + caption;
}

QStringList TargetBySourceJob::MerchantCodes(const QSqlDatabase &db, int matchingKey, QString *error)
{
    const QString select = matchingKey == 1
                               ? QStringLiteral("select outer_id_sku from TB_Source where outer_id_sku<>''")
                               : QStringLiteral("select outer_id from TB_URL where bcheck=1 and outer_id<>''");
    QSqlQuery q(db);
    QStringList codes;
    if (!q.exec(select)) {
        if (error)
            *error = q.lastError().text() + QStringLiteral("\r\n") + select;
        return codes;
    }
    // a code several source rows carry finds the same items: it is asked for once
    QSet<QString> seen;
    while (q.next()) {
        const QString code = TrimText(q.value(0).toString());
        if (!code.isEmpty() && !seen.contains(code)) {
            seen.insert(code);
            codes << code;
        }
    }
    return codes;
}

bool TargetBySourceJob::mayStart()
{
    m_outcome = Outcome::NothingToDo;
    QSqlQuery q(m_db);
    qlonglong n = 0;
    auto count = [&](const QString &sql) {
        if (!q.exec(sql) || !q.next()) {
            const QString error = q.lastError().text() + QStringLiteral("\r\n") + sql;
            host().debug(error);
            host().ui().message(Interaction::errorCaption(), error, Interaction::Icon::Error);
            m_outcome = Outcome::DatabaseError;
            return false;
        }
        n = q.value(0).toLongLong();
        return true;
    };
    if (!count(QStringLiteral("select count(*) from tb_url where tag=1")))
        return false;
    if (n >= 1) {
        host().ui().warn(QStringLiteral("已存在配置目标下载源,请[使用目标店铺配置下载目标店铺宝贝列表]。"));
        return false;
    }
    if (!count(QStringLiteral("select count(*) from TB_Source")))
        return false;
    if (n == 0) {
        host().ui().warn(
            QStringLiteral("没有定义任何源宝贝数据,请先\"下载源宝贝库存数据\",或\"从文件源获取宝贝库存数据"));
        return false;
    }
    // the rows belong to the account: without one they would belong to nobody
    if (TrimText(m_account).isEmpty()) {
        host().ui().warn(QStringLiteral("请选择登录帐号."));
        return false;
    }
    return true;
}

bool TargetBySourceJob::DownloadClick()
{
    if (host().busy())
        return false;
    if (!mayStart())
        return false;
    auto refuse = [this](const QString &error) {
        host().debug(error);
        host().ui().message(Interaction::errorCaption(), error, Interaction::Icon::Error);
        m_outcome = Outcome::DatabaseError;
        return false;
    };
    QSqlQuery q(m_db);
    if (!host().planRunning() && !host().ui().ask(QStringLiteral("是否 “使用[源店铺配置]下载目标店铺宝贝列表”?")))
        return false;
    releaseOldRun();
    host().clearCancel();
    host().resetErrors();
    const int key = m_key ? m_key() : 0;
    QString error;
    const QStringList codes = MerchantCodes(m_db, key, &error);
    if (!error.isEmpty())
        return refuse(error);
    if (codes.isEmpty()) {
        host().ui().warn(key == 1 ? QStringLiteral("\"未定义下载源\"或\"没有有SKU商家编码的宝贝\"的下载源.")
                                  : QStringLiteral("\"未定义下载源\"或\"没有有商家编码的宝贝\"的下载源."));
        return false;
    }
    // the replies gather beside TB_Object; the account's rows are replaced
    // only when the download completes
    const QString empty = QStringLiteral("delete from ") + kStagingTable;
    if (!q.exec(empty))
        return refuse(q.lastError().text() + QStringLiteral("\r\n") + empty);
    m_stored.clear();
    m_outcome = Outcome::Completed;
    begin(codes, QStringLiteral("店铺:") + m_account + QStringLiteral("\r\n") + QStringLiteral("正在下载中...(0%)"),
          true);
    return true;
}

void TargetBySourceJob::sendFirst()
{
    if (!m_client.taobao_items_custom_get(items().first(), *component()))
        componentError(QStringLiteral("busy"));
}

void TargetBySourceJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::targetDownload(), true, replyContentType());
    if (!reply.ok()) {
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(Outcome::ErrorReply);
        return;
    }
    if (!ProcessXML_Object(m_client.replyBuffer())) {
        // the job stops where it is; the panel stays until the user cancels
        end();
        over(Outcome::DatabaseError);
        return;
    }
    advance();
}

void TargetBySourceJob::componentError(const QString &message)
{
    // the fifth failure in a row is the last: four retries in all
    const bool givingUp = !wasCancelled() && host().errorCount() >= 4;
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (givingUp)
        over(Outcome::NetworkGaveUp);
}

bool TargetBySourceJob::ProcessXML_Object(const QString &reply)
{
    ReplyItemSteps steps;
    // an item two codes find (its SKUs carry both) is stored once
    steps.admit = [this](const ItemRecord &item) {
        return m_stored.contains(item.numIid) ? ReplyItemSteps::Admit::Skip : ReplyItemSteps::Admit::Store;
    };
    steps.owner = [this](const ItemRecord &) { return m_account; };
    steps.after = [this](const ItemRecord &item, QString &, QString &) {
        m_stored.insert(item.numIid);
        return true;
    };
    steps.rollBackOnFailure = true;
    const ReplyStored stored = StoreReplyItems(m_db, reply, kStagingTable, QStringLiteral("UserID"), steps);
    if (stored.result == ReplyStored::Result::Ok)
        return true;
    m_lastStatement = stored.statement;
    host().debug(stored.error + QStringLiteral("\r\n") + stored.statement);
    return false;
}

void TargetBySourceJob::finish()
{
    if (!replaceTargetRows()) {
        over(Outcome::DatabaseError);
        return;
    }
    host().panel2().setCaption(QStringLiteral("下载完成."));
    host().panel2().hide();
    if (m_reload)
        m_reload();
    over(Outcome::Completed);
}

bool TargetBySourceJob::replaceTargetRows()
{
    StagedReplace replace(m_db);
    const bool ok = replace.begin() &&
                    replace.exec(QStringLiteral("delete from TB_Object where UserID=?"), {SqlText(m_account)}) &&
                    replace.move(kStagingTable, QStringLiteral("TB_Object"), kColumns) &&
                    (Settings(m_db).set(Setting::TargetDownloadTime, startTime()) ||
                     replace.fail(QStringLiteral("Update _parameter set ParaValue=? where NM=2"),
                                  m_db.lastError().text())) &&
                    replace.commit();
    if (!ok) {
        m_lastStatement = replace.statement();
        host().debug(replace.error() + QStringLiteral("\r\n") + replace.statement());
    }
    return ok;
}

void TargetBySourceJob::onCancelled()
{
    over(Outcome::Cancelled);
}

void TargetBySourceJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
