#include "lists/OnSaleImport.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "store/SqlValues.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kCaption = QStringLiteral("正在下载当前店铺销售中列表...");

} // namespace

OnSaleImportJob::OnSaleImportJob(JobHost &host, TopClient &client, const QSqlDatabase &db, ProgressPanelState &panel,
                                 std::function<QString(const QString &)> itemPage, QObject *parent)
    : ComponentJob(host, 1000, TransportRule::NoHandler, parent), m_client(client), m_db(db), m_panel(panel),
      m_itemPage(std::move(itemPage))
{
}

bool OnSaleImportJob::start(int group, const QString &nick)
{
    if (m_panel.shown())
        return false;
    m_page = 1;
    m_total = 0;
    m_totalResults.clear();
    m_group = group;
    m_nick = TrimText(nick);
    m_outcome = Outcome::Completed;
    // the pages are not known in advance: one work item stands for the walk
    begin({QStringLiteral("sale")}, kCaption, true);
    return true;
}

QString OnSaleImportJob::progressCaption(int) const
{
    return kCaption + QLatin1Char('(') + QString::number(m_total) + QLatin1Char('/') + m_totalResults +
           QLatin1Char(')');
}

void OnSaleImportJob::sendFirst()
{
    if (!m_client.taobao_items_onsale_get(QString::number(m_page), *component()))
        componentError(QStringLiteral("busy"));
}

void OnSaleImportJob::componentDone(const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::download(), false);
    if (!reply.ok()) {
        if (errorReply(reply) == ErrorReplyEnd::Ended)
            over(Outcome::ErrorReply);
        return;
    }
    int items = 0;
    QString error;
    if (!ProcessXML_Sale(m_client.replyBuffer(), &items, &error)) {
        end();
        m_staged.clear();
        m_panel.hide();
        host().debug(QStringLiteral("Error:") + error);
        host().ui().warn(error);
        over(Outcome::DatabaseError);
        return;
    }
    m_panel.setCaption(progressCaption(0));
    if (wasCancelled()) {
        end();
        onCancelled();
        return;
    }
    if (items == kPageSize) {
        ++m_page;
        armTimer();
        return;
    }
    advance();
}

void OnSaleImportJob::componentError(const QString &message)
{
    host().debug(QStringLiteral("网络通讯错误: ") + message);
    const bool cancelled = wasCancelled();
    end();
    replaceComponent();
    m_staged.clear();
    m_panel.hide();
    if (cancelled) {
        over(Outcome::Cancelled);
        return;
    }
    host().ui().error(JobHost::networkErrorText());
    over(Outcome::NetworkFailed);
}

bool OnSaleImportJob::ProcessXML_Sale(const QString &reply, int *itemsOnPage, QString *error)
{
    Q_UNUSED(error);
    const QList<ItemRecord> items = DecodeItems(reply, false);
    if (m_page == 1) {
        m_staged.clear();
        m_total = 0;
    }
    for (const ItemRecord &item : items)
        m_staged.push_back(item);
    m_total += static_cast<int>(items.size());
    m_totalResults = TrimText(GetBetween(reply, QStringLiteral("<total_results>"), QStringLiteral("</total_results>")));
    *itemsOnPage = static_cast<int>(items.size());
    return true;
}

bool OnSaleImportJob::storeStaged(QString *error)
{
    auto fail = [&](const QSqlQuery &q) {
        *error = q.lastError().text();
        m_db.rollback();
        return false;
    };
    if (!m_db.transaction()) {
        *error = m_db.lastError().text();
        return false;
    }
    QSqlQuery q(m_db);
    // every target-list entry of this shop, in every group, gives way to the shop's list as it is now
    q.prepare(QStringLiteral("delete from TB_URL where tag=1 and nick=?"));
    q.addBindValue(SqlText(m_nick));
    if (!q.exec())
        return fail(q);
    // an item the target list already holds (added by its id, from another
    // shop's page, or twice in the pages) is not entered twice
    QSqlQuery exists(m_db);
    exists.prepare(QStringLiteral("select 1 from TB_URL where tag=1 and num_iid=?"));
    q.prepare(QStringLiteral("Insert Into TB_URL (Tag,uGroup,nick,approve_status,title,outer_id,num_iid,detail_url)\n"
                             "values(1,?,?,?,?,?,?,?)"));
    for (const ItemRecord &item : m_staged) {
        const QString id = TrimText(item.numIid);
        exists.addBindValue(SqlText(id));
        if (!exists.exec())
            return fail(exists);
        if (exists.next())
            continue;
        exists.finish();
        for (const QVariant &v : {QVariant(m_group), SqlText(item.nick), SqlText(item.approveStatus),
                                  SqlText(item.title), SqlText(item.outerId), SqlText(id), SqlText(m_itemPage(id))})
            q.addBindValue(v);
        if (!q.exec())
            return fail(q);
    }
    if (!m_db.commit()) {
        *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    return true;
}

void OnSaleImportJob::finish()
{
    QString error;
    const bool stored = storeStaged(&error);
    m_staged.clear();
    m_panel.hide();
    if (!stored) {
        // nothing of the download is stored; the earlier entries stay as they were
        host().debug(QStringLiteral("Error:") + error);
        host().ui().warn(error);
        over(Outcome::DatabaseError);
        return;
    }
    if (m_reload)
        m_reload();
    host().ui().info(QStringLiteral("完成\"下载当前店铺销售中列表\",请确认."));
    over(Outcome::Completed);
}

void OnSaleImportJob::onCancelled()
{
    m_staged.clear();
    m_panel.hide();
    if (m_reload)
        m_reload();
    over(Outcome::Cancelled);
}

void OnSaleImportJob::over(Outcome outcome)
{
    m_outcome = outcome;
    Q_EMIT ended(outcome);
}
