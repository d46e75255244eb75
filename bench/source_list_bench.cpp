// Listing the source list: GetData_TB_Source over 100 000 rows against a bare
// select that reads the same rows and columns, in the same run.
#include "BenchFixture.h"
#include "base/Desktop.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceList.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

struct Shop : bench::DataFolder
{
    explicit Shop(int rows)
    {
        bench::RowOptions o;
        o.targetRows = false;
        o.halfDiffering = false;
        o.sourceNick = QStringLiteral("sandbox_c_1");
        bench::FillRows(db(), rows, o);
    }
};

Shop &shop()
{
    static Shop s(100000);
    return s;
}

void BM_BareSelect(benchmark::State &state)
{
    const QSqlDatabase db = shop().db();
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::ReadSourceSelect(db));
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
