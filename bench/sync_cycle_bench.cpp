// One whole sync cycle (source download, difference query, quantity upload)
// against the in-process stand-in: a generated supplier and seller shop of
// 1000 items with 6 SKUs each, half the seller's SKUs differing from the
// supplier's, pacing scaled to zero. Measured in the same run as a baseline:
// the stand-in answering the very same requests (replayed on one keep-alive
// connection). The counters give the program's own time per request beside
// the stand-in's, and the program's share of the 200 ms pacing.
#include "BenchFixture.h"
#include "jobs/RequestJob.h"
#include "sync/SyncCycle.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace {

void BM_SyncCycle(benchmark::State &state)
{
    int argc = 1;
    char name[] = "sync_cycle_bench";
    char *argv[] = {name};
    QCoreApplication qapp(argc, argv);
    Intervals::setScale(0.0);
    TestRig rig;
    std::string failure;
    if (!bench::OpenSellerAndSupplier(rig, {}, &failure)) {
        state.SkipWithError(failure.c_str());
        return;
    }
    Application &app = *rig.app;
    app.differenceQuery().options().account = bench::kSeller;
    app.differenceQuery().options().ignoreKeyCheck = true;
    SyncCycle &cycle = app.syncCycle();
    cycle.setSteps(true, true);

    double programUs = 0, standInUs = 0, requests = 0, uploaded = 0;
    for (auto _ : state) {
        rig.sandbox.clearCalls();
        QEventLoop loop;
        QObject::connect(&cycle, &SyncCycle::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        QElapsedTimer whole;
        whole.start();
        if (cycle.start(true))
            loop.exec();
        const double cycleUs = double(whole.nsecsElapsed()) / 1000.0;
        if (!cycle.summary().ok()) {
            state.SkipWithError("the cycle did not complete");
            break;
        }
        uploaded = cycle.summary().rowsUploaded;
        // the baseline: the stand-in answers the same requests, nothing else in between
        // (the full-mode updates set the same quantities again; the reads change nothing)
        state.PauseTiming();
        const QList<topsandbox::RecordedCall> calls = rig.sandbox.calls();
        standInUs = bench::ReplayCallsUs(rig.sandbox, calls);
        requests = double(calls.size());
        programUs = cycleUs - standInUs;
        state.ResumeTiming();
    }
    if (requests > 0) {
        state.counters["requests"] = requests;
        state.counters["rows_uploaded"] = uploaded;
        state.counters["standin_us_per_request"] = standInUs / requests;
        state.counters["program_us_per_request"] = programUs / requests;
        state.counters["program_to_standin_ratio"] = programUs / standInUs;
        state.counters["program_share_of_200ms_pacing"] = programUs / requests / 200000.0;
    }
    Intervals::setScale(1.0);
}

} // namespace

BENCHMARK(BM_SyncCycle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
