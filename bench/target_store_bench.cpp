// Storing the target download's replies: the 250 replies of a 5 000-item x
// 6-SKU target shop (30 000 rows) decoded, checked against the account and
// gathered by the job's ProcessXML_Object3 (with the list entries' refresh),
// then put in place of the account's TB_Object rows as a completed download
// does, against a bare prepared-insert loop of the same rows into TB_Object in
// one transaction, measured in the same run.
#include "TopSandbox.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"
#include "lists/ItemLists.h"
#include "target/TargetDownload.h"
#include "store/DataModule.h"
#include "top/ItemDecoding.h"
#include "top/TopClient.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Replies
{
    QStringList replies;
    QStringList ids;
    QString nick;
    QList<ItemRecord> items; // decoded once, for the bare loop

    Replies()
    {
        topsandbox::TopSandbox sandbox;
        topsandbox::GenerateOptions o;
        topsandbox::GenerateOptions::parse(QStringLiteral("shops=1,items=5000,skus=6,seed=1"), &o, nullptr);
        sandbox.generate(o);
        nick = sandbox.nicks().first();
        for (qint64 id : sandbox.itemIds(sandbox.nicks().first()))
            ids << QString::number(id);
        for (const QString &batch : RequestJob::Batches(ids)) {
            const QByteArray form = sandbox.signedForm(
                QStringLiteral("taobao.items.list.get"),
                {{QStringLiteral("fields"), TopClient::fieldsF1()}, {QStringLiteral("num_iids"), batch}});
            replies << QString::fromUtf8(sandbox.handleForm(form));
            items += DecodeItems(replies.last(), true);
        }
    }
};

Replies &replies()
{
    static Replies r;
    return r;
}

struct Store
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<TADOMain> data;
    Store()
    {
        data = std::make_unique<TADOMain>(dir.path());
        data->DataModuleCreate();
        QString error;
        ItemLists(data->ADOConn()).addItems(ItemLists::TargetList, replies().ids, &error);
    }
    void empty()
    {
        QSqlQuery q(data->ADOConn());
        q.exec(QStringLiteral("delete from TB_Object"));
        q.exec(QStringLiteral("delete from TB_Object_Download"));
    }
};

void BM_BareInsertLoop(benchmark::State &state)
{
    Store store;
    QSqlDatabase db = store.data->ADOConn();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.empty();
        state.ResumeTiming();
        rows = 0;
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("Insert Into TB_Object (title,oldcode,is_fenxiao,sku_properties,UserID,outer_id_sku,"
                                 "approve_status,outer_id,color,sku,num,price,num_iid,sku_id) "
                                 "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (const ItemRecord &item : replies().items)
            for (const SkuRecord &sku : item.skus) {
                for (const QVariant &v :
                     {QVariant(item.title), QVariant(item.oldcode), QVariant(0), QVariant(sku.properties),
                      QVariant(item.nick), QVariant(sku.outerId), QVariant(item.approveStatus),
                      QVariant(item.outerId), QVariant(sku.color), QVariant(sku.sku),
                      QVariant(sku.quantity.toLongLong()), QVariant(sku.price.toDouble()), QVariant(item.numIid),
                      QVariant(sku.skuId)})
                    q.addBindValue(v);
                q.exec();
                ++rows;
            }
        db.commit();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_BareInsertLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProcessXmlObject3(benchmark::State &state)
{
    Store store;
    JobHost host(store.ui);
    TopClient client;
    TargetDownloadJob job(host, client, store.data->ADOConn());
    job.setAccount(replies().nick);
    for (auto _ : state) {
        state.PauseTiming();
        store.empty();
        state.ResumeTiming();
        for (const QString &reply : replies().replies)
            job.ProcessXML_Object3(reply);
        job.replaceTargetRows();
    }
    QSqlQuery q(store.data->ADOConn());
    q.exec(QStringLiteral("select count(*) from TB_Object"));
    q.next();
    state.counters["rows"] = q.value(0).toInt();
}
BENCHMARK(BM_ProcessXmlObject3)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
