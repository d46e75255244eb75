// Listing the source list: GetData_TB_Source over 100 000 rows against a bare
// select that reads the same rows and columns, in the same run.
#include "base/Interaction.h"
#include "base/Desktop.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceList.h"
#include "store/DataModule.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Shop
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    std::unique_ptr<TADOMain> data;

    explicit Shop(int rows)
    {
        data = std::make_unique<TADOMain>(dir.path());
        data->DataModuleCreate();
        QSqlDatabase db = data->ADOConn();
        db.transaction();
        QSqlQuery q(db);
        q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,outer_id_sku,num_iid,sku_id,"
                                 "approve_status,nick,oldcode) values(?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (int i = 0; i < rows; ++i) {
            const QString item = QString::number(600000000000LL + i / 6);
            for (const QVariant &v :
                 {QVariant(QStringLiteral("春季新款连衣裙 女装 %1").arg(i / 6)), QVariant(QStringLiteral("A%1").arg(i / 6)),
                  QVariant(QStringLiteral("红色")), QVariant(QStringLiteral("XL%1").arg(i % 6)), QVariant(i % 50),
                  QVariant(99.5), QVariant(QStringLiteral("A%1-%2").arg(i / 6).arg(i % 6)), QVariant(item),
                  QVariant(QString::number(700000000000LL + i)), QVariant(QStringLiteral("onsale")),
                  QVariant(QStringLiteral("sandbox_c_1")), QVariant(QStringLiteral("H%1").arg(i / 6))})
                q.addBindValue(v);
            q.exec();
        }
        db.commit();
    }
};

Shop &shop()
{
    static Shop s(100000);
    return s;
}

void BM_BareSelect(benchmark::State &state)
{
    QSqlDatabase db = shop().data->ADOConn();
    for (auto _ : state) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select * from TB_Source where 1=1\nand outer_id<>''\norder by outer_id,color,sku"));
        qsizetype chars = 0;
        while (q.next())
            for (int c = 0; c < 14; ++c)
                chars += q.value(c).toString().size();
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_BareSelect)->Unit(benchmark::kMillisecond);

void BM_GetDataSource(benchmark::State &state)
{
    JobHost jobs(shop().ui);
    ListModel model;
    RecordingDesktop desktop;
    SourceList list(shop().data->ADOConn(), model, jobs, shop().ui, desktop);
    for (auto _ : state) {
        list.GetData_TB_Source(QString(), true);
        benchmark::DoNotOptimize(model.count());
    }
    state.counters["rows"] = model.count();
}
BENCHMARK(BM_GetDataSource)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
