#include "source/SourceDownload.h"

#include "base/Interaction.h"
#include "lists/MerchantCodes.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "base/TextRoutines.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <optional>

namespace {

const QString kStartCaption = QStringLiteral("正在下载源宝贝库存数据...(0%)");
const QString kFinishCaption = QStringLiteral("下载完毕,正在刷新并保存数据...");
const QString kStagingTable = QStringLiteral("TB_Source_Download");

// Whole number of a reply field; nullopt when it is not one.
std::optional<qlonglong> wholeNumber(const QString &text)
{
    bool ok = false;
    const qlonglong v = TrimText(text).toLongLong(&ok);
    return ok ? std::optional<qlonglong>(v) : std::nullopt;
}

std::optional<double> moneyValue(const QString &text)
{
    bool ok = false;
    const double v = TrimText(text).toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(RoundMoney(v)) : std::nullopt;
}

} // namespace

SourceDownloadJob::SourceDownloadJob(JobHost &host, TopClient &client, const QSqlDatabase &db, QObject *parent)
    : RequestJob(host, 200, TransportRule::Countdown, parent), m_client(client), m_db(db)
{
    createComponent();
}

SourceDownloadJob::~SourceDownloadJob()
{
    delete m_http;
}

void SourceDownloadJob::createComponent()
{
    // placed on the main window: the browser's agent and 10 s time-outs
    m_http = new TWinHTTP();
    m_http->setAgent(TWinHTTP::browserAgent());
    m_http->setTimeouts(10000);
    connect(m_http, &TWinHTTP::OnDone, this, &SourceDownloadJob::WinHTTP_SourceDone);
    connect(m_http, &TWinHTTP::OnAnyError, this, &SourceDownloadJob::WinHTTP_SourceAnyError);
}

void SourceDownloadJob::replaceComponent()
{
    TWinHTTP *old = m_http;
    old->disconnect(this);
    createComponent();
    old->release();
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
    m_outcome = Outcome::Completed;
    begin(batches, kStartCaption, true);
    return true;
}

void SourceDownloadJob::sendFirst()
{
    if (!m_client.taobao_items_list_get(items().first(), *m_http)) {
        // a component still busy cannot happen with one request at a time;
        // treat it as a transport failure rather than stalling
        WinHTTP_SourceAnyError(QStringLiteral("busy"));
    }
}

void SourceDownloadJob::WinHTTP_SourceDone(const QString &, qint64, const QByteArray &body)
{
    const TopIntake reply = m_client.intake(body, TopErrorPrefix::download());
    if (!reply.ok()) {
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

void SourceDownloadJob::WinHTTP_SourceAnyError(const QString &message)
{
    const bool givingUp = !wasCancelled() && host().errorCount() >= 5;
    transportError(QStringLiteral("网络通讯错误: ") + message);
    if (givingUp)
        over(Outcome::NetworkGaveUp);
}

namespace {
const QString kInsertItem = QStringLiteral("Insert Into TB_Source_Download(title,oldcode,is_fenxiao,nick,approve_status,"
                                           "outer_id,num,price,num_iid)\nvalues(?,?,?,?,?,?,?,?,?)");
const QString kInsertSku = QStringLiteral("Insert Into TB_Source_Download (title,oldcode,is_fenxiao,sku_properties,nick,"
                                          "outer_id_sku,approve_status,outer_id,color,sku,num,price,num_iid,sku_id)\n"
                                          "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
const QString kRefreshEntry = QStringLiteral("update TB_URL set\nouter_id=?,\ntitle=?,\nnick=?,\napprove_status=?\n"
                                             "where tag=0 and num_iid=?\nand (outer_id='' or approve_status<>?)");
} // namespace

// The three statements of one reply, prepared once for all its items.
struct SourceDownloadJob::Statements
{
    explicit Statements(const QSqlDatabase &db) : item(db), sku(db), refresh(db)
    {
        item.prepare(kInsertItem);
        sku.prepare(kInsertSku);
        refresh.prepare(kRefreshEntry);
    }
    QSqlQuery item;
    QSqlQuery sku;
    QSqlQuery refresh;
};

bool SourceDownloadJob::ProcessXML_Source(const QString &reply)
{
    bool ok = true;
    // the user may switch the easy sizes while a download runs
    const bool easySku = Settings(m_db).flag(Setting::EasySku);
    m_db.transaction();
    {
        Statements statements(m_db);
        DecodeItems(reply, easySku, [this, &ok, &statements](const ItemRecord &item) {
            if (ok)
                ok = storeItem(item, statements);
        });
    }
    // the list entries refreshed before a failing item keep their news; the
    // gathered rows count only once the whole download has come in
    m_db.commit();
    return ok;
}

bool SourceDownloadJob::storeItem(const ItemRecord &item, Statements &st)
{
    auto fail = [this](const QString &why, const QString &statement) {
        m_lastStatement = statement;
        host().debug(why + QStringLiteral("\r\n") + statement);
        return false;
    };
    auto notNumbers = [&](const QString &what, const QString &statement) {
        return fail(QStringLiteral("宝贝 ") + item.numIid + what + QStringLiteral(" 的数量或价格不是数字"), statement);
    };
    const auto fenxiao = wholeNumber(item.isFenxiao.isEmpty() ? QStringLiteral("0") : item.isFenxiao);

    if (item.skus.isEmpty()) {
        const auto num = wholeNumber(item.num);
        const auto price = moneyValue(item.price);
        if (!fenxiao || !num || !price)
            return notNumbers(QStringLiteral(": num=") + item.num + QStringLiteral(" price=") + item.price +
                                  QStringLiteral(" is_fenxiao=") + item.isFenxiao,
                              kInsertItem);
        for (const QVariant &v : {SqlText(item.title), SqlText(item.oldcode), QVariant(*fenxiao), SqlText(item.nick),
                                  SqlText(item.approveStatus), SqlText(item.outerId), QVariant(*num), QVariant(*price),
                                  SqlText(item.numIid)})
            st.item.addBindValue(v);
        if (!st.item.exec())
            return fail(st.item.lastError().text(), kInsertItem);
    }
    for (const SkuRecord &sku : item.skus) {
        const auto num = wholeNumber(sku.quantity);
        const auto price = moneyValue(sku.price);
        if (!fenxiao || !num || !price)
            return notNumbers(QStringLiteral(" SKU ") + sku.skuId + QStringLiteral(": quantity=") + sku.quantity +
                                  QStringLiteral(" price=") + sku.price,
                              kInsertSku);
        for (const QVariant &v :
             {SqlText(item.title), SqlText(item.oldcode), QVariant(*fenxiao), SqlText(sku.properties),
              SqlText(item.nick), SqlText(sku.outerId), SqlText(item.approveStatus), SqlText(item.outerId),
              SqlText(sku.color), SqlText(sku.sku), QVariant(*num), QVariant(*price), SqlText(item.numIid),
              SqlText(sku.skuId)})
            st.sku.addBindValue(v);
        if (!st.sku.exec())
            return fail(st.sku.lastError().text(), kInsertSku);
    }
    // the entry's refresh after each row is the same update every time: once per item
    for (const QString &v : {item.outerId, item.title, item.nick, item.approveStatus, item.numIid, item.approveStatus})
        st.refresh.addBindValue(SqlText(v));
    if (!st.refresh.exec())
        return fail(st.refresh.lastError().text(), kRefreshEntry);
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
    if (!host().planRunning()) {
        host().ui().info(QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
    } else if (m_handOver) {
        m_handOver(Settings(m_db).flag(Setting::SyncUpload));
    }
    over(Outcome::Completed);
}

bool SourceDownloadJob::replaceSourceRows()
{
    QSqlQuery q(m_db);
    auto fail = [&](const QString &statement, const QString &error) {
        m_lastStatement = statement;
        host().debug(error + QStringLiteral("\r\n") + statement);
        m_db.rollback();
        return false;
    };
    if (!m_db.transaction()) {
        host().debug(m_db.lastError().text());
        return false;
    }
    QString statement;
    if (!applyCustomCodes(q, statement))
        return fail(statement, q.lastError().text());
    const QString columns = QStringLiteral("title,oldcode,is_fenxiao,sku_properties,nick,outer_id_sku,approve_status,"
                                           "outer_id,color,sku,num,price,num_iid,sku_id");
    const QStringList statements = {
        QStringLiteral("delete from TB_Source"),
        QStringLiteral("Insert Into TB_Source(") + columns + QStringLiteral(")\nselect ") + columns +
            QStringLiteral(" from ") + kStagingTable + QStringLiteral(" order by Uniqid"),
        QStringLiteral("delete from ") + kStagingTable,
    };
    for (const QString &st : statements)
        if (!q.exec(st))
            return fail(st, q.lastError().text());
    if (!Settings(m_db).set(Setting::SourceDownloadTime, startTime()))
        return fail(QStringLiteral("Update _parameter set ParaValue=? where NM=1"), m_db.lastError().text());
    if (!m_db.commit())
        return fail(QStringLiteral("commit"), m_db.lastError().text());
    return true;
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
