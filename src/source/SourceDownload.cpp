#include "source/SourceDownload.h"

#include "base/Interaction.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "base/TextRoutines.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <optional>

namespace {

const QString kStartCaption = QStringLiteral("正在下载源宝贝库存数据...(0%)");
const QString kFinishCaption = QStringLiteral("下载完毕,正在刷新并保存数据...");

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
    m_http = new TWinHTTP();
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
    host().clearCancel();

    QSqlQuery q(m_db);
    QStringList ids;
    if (q.exec(QStringLiteral("select bcheck,num_iid from tb_url where tag=0 and bcheck=1 and num_iid<>''")))
        while (q.next())
            ids << TrimText(q.value(1).toString());
    if (ids.isEmpty()) {
        if (!host().planRunning())
            host().ui().warn(QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选"));
        m_outcome = Outcome::NothingToDo;
        return false;
    }
    const QStringList batches = Batches(ids);
    if (!q.exec(QStringLiteral("delete from TB_Source"))) {
        host().ui().message(Interaction::errorCaption(), q.lastError().text(), Interaction::Icon::Error);
        return false;
    }
    host().resetErrors();
    // on until the window first stores the setting
    m_easySku = Settings(m_db).flag(Setting::EasySku);
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
        host().ui().error(reply.message);
        host().panel1().hide();
        end();
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

void SourceDownloadJob::WinHTTP_SourceAnyError(const QString &)
{
    const bool givingUp = !host().cancelled() && host().errorCount() >= 5;
    transportError();
    if (givingUp)
        over(Outcome::NetworkGaveUp);
}

namespace {
const QString kInsertItem = QStringLiteral("Insert Into TB_Source(title,oldcode,is_fenxiao,nick,approve_status,"
                                           "outer_id,num,price,num_iid)\nvalues(?,?,?,?,?,?,?,?,?)");
const QString kInsertSku = QStringLiteral("Insert Into TB_Source (title,oldcode,is_fenxiao,sku_properties,nick,"
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
    m_db.transaction();
    {
        Statements statements(m_db);
        DecodeItems(reply, m_easySku, [this, &ok, &statements](const ItemRecord &item) {
            if (ok)
                ok = storeItem(item, statements);
        });
    }
    // rows stored before a failing one stay, as they would without a transaction
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
    Settings(m_db).set(Setting::SourceDownloadTime, startTime());
    host().panel1().setCaption(kFinishCaption);
    applyCustomCodes();
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

void SourceDownloadJob::applyCustomCodes()
{
    QSqlQuery codes(m_db);
    if (!codes.exec(QStringLiteral("select num_iid,outer_id2 from TB_URL where tag=0 and outer_id2<>''")))
        return;
    QList<QPair<QString, QString>> rows;
    while (codes.next())
        rows.append({TrimText(codes.value(0).toString()), TrimText(codes.value(1).toString())});
    QSqlQuery update(m_db);
    update.prepare(QStringLiteral("update tb_source set outer_id=?\nwhere num_iid=?"));
    QElapsedTimer repaint;
    repaint.start();
    m_db.transaction();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (repaint.elapsed() >= 100 || i == 0) {
            host().panel1().setCaption(kFinishCaption + QString::number(i + 1) + QLatin1Char('/') +
                                       QString::number(rows.size()));
            QCoreApplication::processEvents();
            repaint.restart();
        }
        const QString code = rows.at(i).second == QStringLiteral("null") ? QString(QLatin1String("")) : rows.at(i).second;
        update.addBindValue(code);
        update.addBindValue(rows.at(i).first);
        if (!update.exec())
            host().debug(update.lastError().text() + QStringLiteral("\r\n") + update.lastQuery());
    }
    m_db.commit();
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
