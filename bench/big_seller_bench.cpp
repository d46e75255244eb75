// The big seller, end to end, on generated stand-in shops: the seller and one
// supplier with the same number of SKUs (1 000, 10 000, 50 000; 6 SKUs an
// item), half of the seller's SKUs differing from the supplier's.
//
// Per size, in this order:
//  - the real program headless on the prepared data folder, as a child
//    process: `download-source`, then `diff --view differ` (the cycle's
//    download and its difference query with the list; the log-in and the
//    paced upload are left out: the log-in of a generated shop asks for a
//    person, and 25 000 updates at 200 ms take 80 minutes, which the
//    in-process cycle below covers). The larger of the two children's peak
//    resident memory (VmHWM of the process, sampled until it ends).
//  - the difference list's fill into the window's model (view "differ"),
//    beside the bare join of the same rows in the same run;
//  - one whole sync cycle in-process with the pacing scaled to zero, beside
//    the stand-in answering the very same requests replayed on one
//    keep-alive connection (the baseline): the program's own time per
//    request and its share of the 200 ms pacing.
#include "BenchFixture.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "sync/DifferenceQuery.h"
#include "sync/SyncCycle.h"
#include "top/TopClient.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>

#ifndef STOCKSYNC_EXE
#define STOCKSYNC_EXE ""
#endif

namespace {

using bench::kSeller;

// kB of a process's peak resident set, or -1.
long peakKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Runs one headless command on the data folder; its peak RSS in MB, or -1.
double headlessPeakMb(const QString &dataDir, const QStringList &command, QString *failure)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STOCKSYNC_EXE), QStringList{QStringLiteral("--data-dir"), dataDir} + command);
    if (!p.waitForStarted(30000)) {
        *failure = QStringLiteral("the program did not start");
        return -1;
    }
    const qint64 pid = p.processId();
    long peak = -1;
    while (!p.waitForFinished(50)) {
        peak = std::max(peak, peakKb(pid));
        p.readAllStandardOutput(); // the list itself is not kept
    }
    if (p.exitCode() != 0) {
        *failure = QString::fromUtf8(p.readAllStandardError().right(400));
        return -1;
    }
    return peak / 1024.0;
}

// The headless halves of a cycle that need no log-in: the source download
// and the difference query with its list (the cycle's own steps), each the
// real program; the larger peak.
double headlessSyncPeakMb(const QString &dataDir, QString *failure)
{
    const double download = headlessPeakMb(dataDir, {QStringLiteral("download-source")}, failure);
    if (download < 0)
        return -1;
    const double diff = headlessPeakMb(
        dataDir, {QStringLiteral("diff"), QStringLiteral("--account"), kSeller, QStringLiteral("--view"), QStringLiteral("differ")},
        failure);
    return diff < 0 ? -1 : std::max(download, diff);
}

void BM_BigSeller(benchmark::State &state)
{
    const int skus = int(state.range(0));
    int argc = 1;
    char name[] = "big_seller_bench";
    char *argv[] = {name};
    QCoreApplication qapp(argc, argv);
    Intervals::setScale(0.0);
    TestRig rig;
    bench::SellerAndSupplierOptions prepared;
    prepared.items = (skus + 5) / 6;
    prepared.callLogLimit = 200000;
    prepared.storeAccount = true; // the headless commands log in with it
    std::string failure;
    if (!bench::OpenSellerAndSupplier(rig, prepared, &failure)) {
        state.SkipWithError(failure.c_str());
        return;
    }
    double peakMb = -1;
    for (auto _ : state) {
        // 1. the headless commands
        rig.app.reset(); // the program takes the data folder
        QString failure;
        peakMb = headlessSyncPeakMb(rig.path(), &failure);
        if (peakMb < 0) {
            state.SkipWithError(QString(QStringLiteral("headless command failed: ") + failure).toStdString().c_str());
            break;
        }
        rig.open();
        Application &app2 = *rig.app;

        // 2. the difference list's fill into the window's model
        DifferenceQuery &query = app2.differenceQuery();
        query.options().account = kSeller;
        query.options().ignoreKeyCheck = true;
        query.options().view = ViewFilter::Differ;
        query.options().storeUniqueOnly = false;
        QElapsedTimer t;
        t.start();
        benchmark::DoNotOptimize(bench::ReadDifferenceSelect(app2.db(), query.options()));
        const double bareMs = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        query.GetData_TB_Object(QString());
        const double fillMs = double(t.nsecsElapsed()) / 1e6;
        state.counters["diff_rows"] = query.model().count();
        state.counters["diff_fill_ms"] = fillMs;
        state.counters["diff_bare_join_ms"] = bareMs;
        state.counters["diff_fill_to_bare_ratio"] = fillMs / bareMs;

        // 3. one whole cycle in-process, pacing scaled to zero, beside the stand-in's own time
        app2.client().setSessionKey(rig.sandbox.sessionFor(kSeller));
        SyncCycle &cycle = app2.syncCycle();
        cycle.setSteps(true, true);
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
        const QList<topsandbox::RecordedCall> calls = rig.sandbox.calls();
        const double standInUs = bench::ReplayCallsUs(rig.sandbox, calls);
        const double requests = double(calls.size());
        const double programUs = cycleUs - standInUs;
        state.SetIterationTime(cycleUs / 1e6);
        state.counters["skus_per_shop"] = skus;
        state.counters["requests"] = requests;
        state.counters["rows_uploaded"] = cycle.summary().rowsUploaded;
        state.counters["standin_us_per_request"] = standInUs / requests;
        state.counters["program_us_per_request"] = programUs / requests;
        state.counters["program_share_of_200ms_pacing"] = programUs / requests / 200000.0;
        state.counters["headless_peak_rss_mb"] = peakMb;
    }
    Intervals::setScale(1.0);
}

} // namespace

BENCHMARK(BM_BigSeller)->Arg(1000)->Arg(10000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
