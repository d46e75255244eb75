// The difference query: GetData_TB_Object over 100 000 target rows against
// 100 000 source rows (key mode 0, one account, half of the pairs differing)
// against the bare join of the same rows read into memory, in the same run.
#include "BenchFixture.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceStatement.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

constexpr int kRows = 100000;

struct Shops : bench::DataFolder
{
    Shops() { bench::FillRows(db(), kRows, {}); }
};

Shops &shops()
{
    static Shops s;
    return s;
}

double g_bareMs = 0;

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_BareJoin(benchmark::State &state)
{
    QSqlDatabase db = shops().data->ADOConn();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("select a.*,b.price,b.num from TB_Object a inner join TB_Source b\n") +
               JoinCondition(0) + QStringLiteral("\nwhere a.UserID='shop'"));
        const int columns = DifferenceColumnCount;
        std::vector<QString> cells;
        cells.reserve(static_cast<size_t>(kRows) * columns);
        while (q.next())
            for (int c = 0; c < columns; ++c)
                cells.push_back(q.value(c).toString());
        benchmark::DoNotOptimize(cells.data());
        total += msSince(start);
    }
    g_bareMs = total / static_cast<double>(state.iterations());
    state.counters["pairs"] = kRows;
}
BENCHMARK(BM_BareJoin)->Unit(benchmark::kMillisecond);

// state.range(0): the view, Differ (half the pairs listed) or All (every pair)
void BM_GetDataObject(benchmark::State &state)
{
    Shops &s = shops();
    JobHost jobs(s.ui);
    ListModel model;
    const Settings settings(s.data->ADOConn());
    DifferenceQuery query(s.data->ADOConn(), model, jobs, s.ui, settings);
    query.options().account = QStringLiteral("shop");
    query.options().view = static_cast<ViewFilter>(state.range(0));
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        query.GetData_TB_Object(QString());
        benchmark::DoNotOptimize(model.count());
        total += msSince(start);
    }
    const double ms = total / static_cast<double>(state.iterations());
    state.counters["rows"] = model.count();
    state.counters["ms"] = ms;
    if (g_bareMs > 0)
        state.counters["ratio_to_bare_join"] = ms / g_bareMs;
}
BENCHMARK(BM_GetDataObject)
    ->Arg(static_cast<int>(ViewFilter::Differ))
    ->Arg(static_cast<int>(ViewFilter::All))
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
