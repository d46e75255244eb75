// The lists' fill over 100 000 rows, each beside a bare select of the same
// rows and columns measured in the same iteration: the source list (time to
// its first 100 rows with the window's background filling, the full fill),
// the target list (the difference query's fill against the bare join), and
// a header-click sort of 100 000 rows by a Chinese text column.
// Each figure is the best of five iterations.
#include "BenchFixture.h"
#include "base/Desktop.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceList.h"
#include "store/Settings.h"
#include "sync/DifferenceQuery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 100000;

struct Shops : bench::DataFolder
{
    Shops()
    {
        bench::RowOptions o;
        o.familyTitles = true;
        o.sourceNick = QStringLiteral("supplier");
        bench::FillRows(db(), kRows, o);
    }
};

Shops &shops()
{
    static Shops s;
    return s;
}

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

// The best of the iterations: on a shared machine the other figures are
// the same work plus other programs' time.
void best(double &figure, double v)
{
    figure = figure == 0 ? v : std::min(figure, v);
}

// The source list's select read into memory, every column as text.
double bareSourceSelect()
{
    QElapsedTimer t;
    t.start();
    benchmark::DoNotOptimize(bench::ReadSourceSelect(shops().db()));
    return ms(t);
}

void BM_SourceListFill(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    RecordingDesktop desktop;
    SourceList list(shops().data->ADOConn(), model, jobs, shops().ui, desktop);
    double bare = 0, full = 0, first = 0;
    for (auto _ : state) {
        best(bare, bareSourceSelect());
        // the window: the first screen, then the rest between events
        ListModel::setBackgroundFilling(true);
        QElapsedTimer t;
        t.start();
        list.GetData_TB_Source(QString(), true);
        best(first, ms(t));
        if (model.count() < 100)
            state.SkipWithError("fewer than 100 rows at once");
        model.finishFill();
        ListModel::setBackgroundFilling(false);
        // the whole fill in one go, as the command line reads it
        t.restart();
        list.GetData_TB_Source(QString(), true);
        const double fullNow = ms(t);
        best(full, fullNow);
        state.SetIterationTime(fullNow / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["bare_select_ms"] = bare;
    state.counters["full_fill_ms"] = full;
    state.counters["full_to_bare_ratio"] = full / bare;
    state.counters["first_rows_ms"] = first;
}
BENCHMARK(BM_SourceListFill)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_TargetListFill(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    Settings settings(shops().data->ADOConn());
    DifferenceQuery query(shops().data->ADOConn(), model, jobs, shops().ui, settings);
    query.options().account = QStringLiteral("shop");
    query.options().view = ViewFilter::All;
    query.options().storeUniqueOnly = false;
    double bare = 0, full = 0, first = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(bench::ReadDifferenceSelect(shops().db(), query.options()));
        best(bare, ms(t));
        ListModel::setBackgroundFilling(true);
        t.restart();
        query.GetData_TB_Object(QString());
        best(first, ms(t));
        model.finishFill();
        ListModel::setBackgroundFilling(false);
        t.restart();
        query.GetData_TB_Object(QString());
        const double fullNow = ms(t);
        best(full, fullNow);
        state.SetIterationTime(fullNow / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["bare_join_ms"] = bare;
    state.counters["full_fill_ms"] = full;
    state.counters["full_to_bare_ratio"] = full / bare;
    state.counters["first_rows_ms"] = first;
}
BENCHMARK(BM_TargetListFill)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_SortByTitle(benchmark::State &state)
{
    JobHost jobs(shops().ui);
    ListModel model;
    RecordingDesktop desktop;
    SourceList list(shops().data->ADOConn(), model, jobs, shops().ui, desktop);
    list.filter().codeFilter = SourceListFilter::All;
    list.GetData_TB_Source(QString(), true);
    double sortMs = 0, numberMs = 0, bare = 0;
    for (auto _ : state) {
        // baseline: a plain std::sort of the same texts by UTF-16 code
        QStringList texts;
        texts.reserve(model.count());
        for (const ListRow &r : model.rows())
            texts << r.caption;
        QElapsedTimer t;
        t.start();
        std::sort(texts.begin(), texts.end());
        best(bare, ms(t));
        t.restart();
        model.sortByColumn(0); // Chinese titles
        const double sortNow = ms(t);
        best(sortMs, sortNow);
        t.restart();
        model.sortByColumn(5); // quantities, by magnitude
        best(numberMs, ms(t));
        state.SetIterationTime(sortNow / 1000.0);
    }
    state.counters["rows"] = model.count();
    state.counters["sort_title_ms"] = sortMs;
    state.counters["sort_number_ms"] = numberMs;
    state.counters["bare_utf16_sort_ms"] = bare;
    state.counters["title_to_bare_ratio"] = sortMs / bare;
}
BENCHMARK(BM_SortByTitle)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
