#include "BenchFixture.h"

#include "jobs/RequestJob.h"
#include "lists/ItemLists.h"
#include "shop/ShopAccounts.h"
#include "sync/DifferenceStatement.h"
#include "target/TargetDownload.h"
#include "top/TopClient.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlQuery>

namespace bench {

DataFolder::DataFolder()
{
    data = std::make_unique<TADOMain>(dir.path());
    data->DataModuleCreate();
}

namespace {
const char *const kFamilies[] = {"张", "李", "王", "阿", "不", "陈", "刘", "杨", "赵", "黄"};
} // namespace

void FillRows(const QSqlDatabase &db, int rows, const RowOptions &o)
{
    QSqlDatabase conn = db;
    conn.transaction();
    QSqlQuery t(conn);
    t.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,outer_id_sku,"
                             "num_iid,sku_id,approve_status,oldcode) values('shop',?,?,?,?,?,?,?,?,?,?,?)"));
    QSqlQuery s(conn);
    s.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,outer_id_sku,"
                             "num_iid,sku_id,approve_status,oldcode,nick) values(?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < rows; ++i) {
        QString title = QStringLiteral("春季新款连衣裙 女装 %1").arg(i / 6);
        if (o.familyTitles)
            title = QString::fromUtf8(kFamilies[(i / 6) % 10]) + QStringLiteral("记") + title;
        const QVariantList common{title, QStringLiteral("A%1").arg(i / 6), QStringLiteral("红色"),
                                  QStringLiteral("XL%1").arg(i % 6)};
        QList<QSqlQuery *> queries{&s};
        if (o.targetRows)
            queries.prepend(&t);
        for (QSqlQuery *q : queries) {
            for (const QVariant &v : common)
                q->addBindValue(v);
            q->addBindValue(q == &s && o.halfDiffering && i % 2 ? i % 50 + 1 : i % 50);
            q->addBindValue(99.5);
            q->addBindValue(QStringLiteral("A%1-%2").arg(i / 6).arg(i % 6));
            q->addBindValue(QString::number(600000000000LL + i / 6));
            q->addBindValue(QString::number(700000000000LL + i));
            q->addBindValue(QStringLiteral("onsale"));
            q->addBindValue(QStringLiteral("H%1").arg(i / 6));
            if (q == &s)
                q->addBindValue(o.sourceNick.isNull() ? QString(QLatin1String("")) : o.sourceNick);
            q->exec();
        }
    }
    conn.commit();
}

qsizetype ReadSourceSelect(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(
        QStringLiteral("select * from TB_Source where 1=1\nand outer_id<>''\norder by outer_id,color,sku"));
    qsizetype chars = 0;
    while (q.next())
        for (int c = 0; c < 14; ++c)
            chars += q.value(c).toString().size();
    return chars;
}

qsizetype ReadDifferenceSelect(const QSqlDatabase &db, const DifferenceOptions &options)
{
    const SqlStatement s = DifferenceSelect(options, QString());
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(s.sql);
    for (const QVariant &v : s.values)
        q.addBindValue(v);
    q.exec();
    qsizetype chars = 0;
    while (q.next())
        for (int c = 0; c < DifferenceColumnCount; ++c)
            chars += q.value(c).toString().size();
    return chars;
}

const QString kSeller = QStringLiteral("gen_shop_1");
const QString kSupplier = QStringLiteral("gen_shop_2");

namespace {

// Seller SKU k of every item equals the supplier's for even k and differs for odd k.
void halfDiffering(topsandbox::ShopModel &m)
{
    topsandbox::Shop *seller = m.shopByNick(kSeller);
    topsandbox::Shop *supplier = m.shopByNick(kSupplier);
    for (size_t i = 0; i < seller->items.size() && i < supplier->items.size(); ++i) {
        topsandbox::Item &mine = seller->items[i];
        const topsandbox::Item &theirs = supplier->items[i];
        for (int k = 0; k < mine.skus.size() && k < theirs.skus.size(); ++k)
            mine.skus[k].quantity = theirs.skus[k].quantity + (k % 2 == 0 ? 0 : 7);
        mine.approveStatus = QStringLiteral("onsale");
        mine.recount();
    }
}

} // namespace

bool OpenSellerAndSupplier(TestRig &rig, const SellerAndSupplierOptions &options, std::string *failure)
{
    topsandbox::GenerateOptions o;
    topsandbox::GenerateOptions::parse(QStringLiteral("shops=2,items=%1,skus=6,seed=3").arg(options.items),
                                       &o, nullptr);
    if (!rig.openWithGenerated(o)) {
        *failure = "stand-in or program did not start";
        return false;
    }
    rig.sandbox.setCallLogLimit(options.callLogLimit);
    rig.sandbox.modify(halfDiffering);
    QStringList source, target;
    for (qint64 id : rig.sandbox.itemIds(kSupplier))
        source << QString::number(id);
    for (qint64 id : rig.sandbox.itemIds(kSeller))
        target << QString::number(id);
    rig.list(source);
    rig.list(target, ItemLists::TargetList);
    Application &app = *rig.app;
    if (options.storeAccount) {
        ShopAccounts::Edit edit;
        edit.userName = kSeller;
        edit.password = QStringLiteral("taobao1234");
        app.shopAccounts().save(edit, rig.ui);
    }
    app.client().setSessionKey(rig.sandbox.sessionFor(kSeller));
    rig.ui.answerQuestion(true);
    app.targetDownload().setAccount(kSeller);
    QEventLoop downloading;
    QObject::connect(&app.targetDownload(), &TargetDownloadJob::ended, &downloading, &QEventLoop::quit,
                     Qt::QueuedConnection);
    if (!app.targetDownload().N62Click() || (downloading.exec(), false) ||
        app.targetDownload().outcome() != TargetDownloadJob::Outcome::Completed) {
        *failure = "target download failed";
        return false;
    }
    return true;
}

double ReplayCallsUs(topsandbox::TopSandbox &sandbox, const QList<topsandbox::RecordedCall> &calls)
{
    httplib::Client client("127.0.0.1", sandbox.port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    QElapsedTimer replay;
    replay.start();
    for (const topsandbox::RecordedCall &c : calls)
        client.Post("/router/rest", c.body.toStdString(), "application/x-www-form-urlencoded");
    return double(replay.nsecsElapsed()) / 1000.0;
}

GeneratedReplies::GeneratedReplies()
{
    topsandbox::TopSandbox sandbox;
    topsandbox::GenerateOptions o;
    topsandbox::GenerateOptions::parse(QStringLiteral("shops=1,items=5000,skus=6,seed=1"), &o, nullptr);
    sandbox.generate(o);
    nick = sandbox.nicks().first();
    for (qint64 id : sandbox.itemIds(nick))
        ids << QString::number(id);
    for (const QString &batch : RequestJob::Batches(ids)) {
        const QByteArray form = sandbox.signedForm(
            QStringLiteral("taobao.items.list.get"),
            {{QStringLiteral("fields"), TopClient::fieldsF1()}, {QStringLiteral("num_iids"), batch}});
        replies << QString::fromUtf8(sandbox.handleForm(form));
        items += DecodeItems(replies.last(), true);
    }
}

const GeneratedReplies &Replies()
{
    static const GeneratedReplies r;
    return r;
}

StoreFolder::StoreFolder(ItemLists::Tag tag)
{
    QString error;
    ItemLists(db()).addItems(tag, Replies().ids, &error);
}

void StoreFolder::empty(const QString &table)
{
    QSqlQuery q(db());
    q.exec(QStringLiteral("delete from ") + table);
    q.exec(QStringLiteral("delete from ") + table + QStringLiteral("_Download"));
}

void BareInsertLoop(benchmark::State &state, StoreFolder &store, const QString &table,
                    const QString &ownerColumn)
{
    QSqlDatabase db = store.db();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.empty(table);
        state.ResumeTiming();
        rows = 0;
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("Insert Into ") + table +
                  QStringLiteral(" (title,oldcode,is_fenxiao,sku_properties,") + ownerColumn +
                  QStringLiteral(",outer_id_sku,approve_status,outer_id,color,sku,num,price,num_iid,sku_id) "
                                 "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (const ItemRecord &item : Replies().items)
            for (const SkuRecord &sku : item.skus) {
                for (const QVariant &v :
                     {QVariant(item.title), QVariant(item.oldcode), QVariant(0), QVariant(sku.properties),
                      QVariant(item.nick), QVariant(sku.outerId), QVariant(item.approveStatus),
                      QVariant(item.outerId), QVariant(sku.color), QVariant(sku.sku),
                      QVariant(sku.quantity.toLongLong()), QVariant(sku.price.toDouble()),
                      QVariant(item.numIid), QVariant(sku.skuId)})
                    q.addBindValue(v);
                q.exec();
                ++rows;
            }
        db.commit();
    }
    state.counters["rows"] = rows;
}

} // namespace bench
