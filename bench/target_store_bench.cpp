// Storing the target download's replies: the 250 replies of a 5 000-item x
// 6-SKU target shop (30 000 rows) decoded, checked against the account and
// gathered by the job's ProcessXML_Object3 (with the list entries' refresh),
// then put in place of the account's TB_Object rows as a completed download
// does, against a bare prepared-insert loop of the same rows into TB_Object in
// one transaction, measured in the same run.
#include "BenchFixture.h"
#include "jobs/RequestJob.h"
#include "target/TargetDownload.h"
#include "top/TopClient.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

namespace {

void BM_BareInsertLoop(benchmark::State &state)
{
    bench::StoreFolder store(ItemLists::TargetList);
    bench::BareInsertLoop(state, store, QStringLiteral("TB_Object"), QStringLiteral("UserID"));
}
BENCHMARK(BM_BareInsertLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProcessXmlObject3(benchmark::State &state)
{
    bench::StoreFolder store(ItemLists::TargetList);
    JobHost host(store.ui);
    TopClient client;
    TargetDownloadJob job(host, client, store.db());
    job.setAccount(bench::Replies().nick);
    for (auto _ : state) {
        state.PauseTiming();
        store.empty(QStringLiteral("TB_Object"));
        state.ResumeTiming();
        for (const QString &reply : bench::Replies().replies)
            job.ProcessXML_Object3(reply);
        job.replaceTargetRows();
    }
    QSqlQuery q(store.db());
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
