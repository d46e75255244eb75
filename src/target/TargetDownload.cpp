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

TargetDownloadJob::TargetDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent)
    : ComponentJob(host, 100, TransportRule::Countdown, parent), m_client(client), m_db(db)
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

    auto refuse = [this](const QSqlQuery &q, const QString &statement) {
        host().debug(q.lastError().text() + QStringLiteral("\r\n") + statement);
        host().ui().message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
        m_outcome = Outcome::DatabaseError;
        return false;
    };
    const QString select = QStringLiteral("select bcheck,num_iid from tb_url where tag=1 and bcheck=1 and num_iid<>''");
    QSqlQuery q(m_db);
    QStringList ids;
    if (!q.exec(select))
        return refuse(q, select);
    while (q.next())
        ids << TrimText(q.value(1).toString());
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
    const QString empty = QStringLiteral("delete from ") + kStagingTable;
    if (!q.exec(empty))
        return refuse(q, empty);
    m_storedNick.clear();
    m_outcome = Outcome::Completed;
    begin(batches, QStringLiteral("店铺:") + m_account + QStringLiteral("\r\n") + QStringLiteral("正在下载中...(0%)"),
          true);
    return true;
}

void TargetDownloadJob::sendFirst()
{
    if (!m_client.taobao_items_list_get3(items().first(), *component())) {
        // a component still busy cannot happen with one request at a time;
        // treat it as a transport failure rather than stalling
        componentError(QStringLiteral("busy"));
    }
}

void TargetDownloadJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::download(), true, replyContentType());
    if (!reply.ok()) {
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(Outcome::ErrorReply);
        return;
    }
    switch (ProcessXML_Object3(m_client.replyBuffer())) {
    case Stored::Ok:
        advance();
        return;
    case Stored::NickMismatch:
        end();
        over(Outcome::NickMismatch);
        return;
    case Stored::DatabaseError:
        // the job stops where it is; the panel stays until the user cancels
        end();
        over(Outcome::DatabaseError);
        return;
    }
}

void TargetDownloadJob::componentError(const QString &message)
{
    const bool givingUp = !wasCancelled() && host().errorCount() >= 5;
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (givingUp)
        over(Outcome::NetworkGaveUp);
}

// The statements of one reply, prepared once for all its items.
struct TargetDownloadJob::Statements
{
    Statements(const QSqlDatabase &db, bool keepCodeLine)
        : rows(db, kStagingTable, QStringLiteral("userid")), refresh(db), nullEntry(db),
          refreshText(kRefreshEntry + (keepCodeLine ? kKeepCodeLine : QString()))
    {
        refresh.prepare(refreshText);
        nullEntry.prepare(kNullEntry);
    }
    StagedItemRows rows;
    QSqlQuery refresh;
    QSqlQuery nullEntry;
    QString refreshText;
};

TargetDownloadJob::Stored TargetDownloadJob::ProcessXML_Object3(const QString &reply)
{
    Stored result = Stored::Ok;
    // the user may switch the easy sizes while a download runs
    const bool easySku = Settings(m_db).flag(Setting::EasySku);
    const QString account = TrimText(m_account).toUpper();
    m_db.transaction();
    {
        Statements statements(m_db, !m_noOuterId);
        DecodeItems(reply, easySku, [&](const ItemRecord &item) {
            if (result != Stored::Ok)
                return;
            if (item.nick.toUpper() != account) {
                result = Stored::NickMismatch;
                return;
            }
            if (!storeItem(item, statements))
                result = Stored::DatabaseError;
        });
    }
    // the list entries refreshed before a failing item keep their news; the
    // gathered rows count only once the whole download has come in
    m_db.commit();
    if (result == Stored::NickMismatch) {
        host().ui().warn(QStringLiteral("下载失败，选择的登录帐号与下载的宝贝所属卖家不一致,请选择正确的帐号再下载."));
        host().panel2().hide();
    }
    return result;
}

bool TargetDownloadJob::storeItem(const ItemRecord &item, Statements &st)
{
    auto fail = [this](const QString &why, const QString &statement) {
        m_lastStatement = statement;
        host().debug(QStringLiteral("Error:") + why + QStringLiteral("\r\n") + statement);
        return false;
    };
    if (!st.rows.store(item, item.nick))
        return fail(st.rows.error(), st.rows.statement());
    m_storedNick = item.nick;
    // the entry's refresh after each row is the same update every time: once per item
    const QString code = m_noOuterId ? QString(QLatin1String("")) : item.outerId;
    for (const QString &v : {code, item.title, item.nick, item.approveStatus, item.numIid})
        st.refresh.addBindValue(SqlText(v));
    if (!m_noOuterId)
        st.refresh.addBindValue(SqlText(item.approveStatus));
    if (!st.refresh.exec())
        return fail(st.refresh.lastError().text(), st.refreshText);
    // an entry whose custom code is "null" keeps no merchant code
    st.nullEntry.addBindValue(SqlText(item.numIid));
    if (!st.nullEntry.exec())
        return fail(st.nullEntry.lastError().text(), kNullEntry);
    return true;
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
    host().ui().info(QStringLiteral("完成\"使用目标店铺配置下载目标店铺宝贝列表\",请确认."));
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
        replace.move(kStagingTable, QStringLiteral("TB_Object"), columns) &&
        (!m_noOuterId ||
         replace.exec(QStringLiteral("Update Tb_Object Set outer_id=''\nwhere UserId=?"), {SqlText(m_account)})) &&
        (applyCustomCodes(replace.query(), statement) || replace.fail(statement)) &&
        (Settings(m_db).set(Setting::TargetDownloadTime, startTime()) ||
         replace.fail(QStringLiteral("Update _parameter set ParaValue=? where NM=2"), m_db.lastError().text())) &&
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
