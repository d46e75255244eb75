// Storing the source download's replies: the 250 replies of a 5 000-item x
// 6-SKU source shop (30 000 rows) decoded and gathered by the job's
// ProcessXML_Source, then put in place of TB_Source as a completed download
// does, against a bare prepared-insert loop of the same rows into TB_Source
// in one transaction, measured in the same run.
#include "BenchFixture.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "top/TopClient.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

namespace {

void BM_BareInsertLoop(benchmark::State &state)
{
    bench::StoreFolder store(ItemLists::SourceList);
    bench::BareInsertLoop(state, store, QStringLiteral("TB_Source"), QStringLiteral("nick"));
}
BENCHMARK(BM_BareInsertLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ProcessXmlSource(benchmark::State &state)
{
    bench::StoreFolder store(ItemLists::SourceList);
    JobHost host(store.ui);
    TopClient client;
    SourceDownloadJob job(host, client, store.db());
    for (auto _ : state) {
        state.PauseTiming();
        store.empty(QStringLiteral("TB_Source"));
        state.ResumeTiming();
        for (const QString &reply : bench::Replies().replies)
            job.ProcessXML_Source(reply);
        job.replaceSourceRows();
    }
    QSqlQuery q(store.db());
    q.exec(QStringLiteral("select count(*) from TB_Source"));
    q.next();
    state.counters["rows"] = q.value(0).toInt();
}
BENCHMARK(BM_ProcessXmlSource)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
