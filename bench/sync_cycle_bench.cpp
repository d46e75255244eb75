// One whole sync cycle (source download, difference query, quantity upload)
// against the in-process stand-in: a generated supplier and seller shop of
// 1000 items with 6 SKUs each, half the seller's SKUs differing from the
// supplier's, pacing scaled to zero. Measured in the same run as a baseline:
// the stand-in answering the very same requests (replayed on one keep-alive
// connection). The counters give the program's own time per request beside
// the stand-in's, and the program's share of the 200 ms pacing.
#define SANDBOX_FIXTURE ""
#include "TestRig.h"
#include "jobs/RequestJob.h"
#include "sync/SyncCycle.h"
#include "target/TargetDownload.h"
#include "top/TopClient.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace {

const QString kSeller = QStringLiteral("gen_shop_1");
const QString kSupplier = QStringLiteral("gen_shop_2");

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

void BM_SyncCycle(benchmark::State &state)
{
    int argc = 1;
    char name[] = "sync_cycle_bench";
    char *argv[] = {name};
    QCoreApplication qapp(argc, argv);
    Intervals::setScale(0.0);
    TestRig rig;
    topsandbox::GenerateOptions o;
    topsandbox::GenerateOptions::parse(QStringLiteral("shops=2,items=1000,skus=6,seed=3"), &o, nullptr);
    if (!rig.openWithGenerated(o)) {
        state.SkipWithError("stand-in or program did not start");
        return;
    }
    rig.sandbox.setCallLogLimit(20000);
    rig.sandbox.modify(halfDiffering);
    QStringList source, target;
    for (qint64 id : rig.sandbox.itemIds(kSupplier))
        source << QString::number(id);
    for (qint64 id : rig.sandbox.itemIds(kSeller))
        target << QString::number(id);
    rig.list(source);
    rig.list(target, ItemLists::TargetList);
    Application &app = *rig.app;
    app.client().setSessionKey(rig.sandbox.sessionFor(kSeller));
    rig.ui.answerQuestion(true);
    app.targetDownload().setAccount(kSeller);
    QEventLoop downloading;
    QObject::connect(&app.targetDownload(), &TargetDownloadJob::ended, &downloading, &QEventLoop::quit,
                     Qt::QueuedConnection);
    if (!app.targetDownload().N62Click() || (downloading.exec(), false) ||
        app.targetDownload().outcome() != TargetDownloadJob::Outcome::Completed) {
        state.SkipWithError("target download failed");
        return;
    }
    app.differenceQuery().options().account = kSeller;
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
        httplib::Client client("127.0.0.1", rig.sandbox.port());
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true);
        QElapsedTimer replay;
        replay.start();
        for (const topsandbox::RecordedCall &c : calls)
            client.Post("/router/rest", c.body.toStdString(), "application/x-www-form-urlencoded");
        standInUs = double(replay.nsecsElapsed()) / 1000.0;
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
