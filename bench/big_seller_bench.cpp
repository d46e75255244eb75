// The big seller, end to end, on generated stand-in shops: the seller and one
// supplier with the same number of SKUs (1 000, 10 000, 50 000; 6 SKUs an
// item), half of the seller's SKUs differing from the supplier's.
//
// Per size, in this order:
//  - the real program headless on the prepared data folder, as a child
//    process: `sync --account SELLER` with the plan's upload step off: the
//    log-in in the offscreen browser with the stored password, the source
//    download and the difference query with its list (25 000 updates at the
//    200 ms pacing would take 80 minutes; the in-process cycle below covers
//    the upload). The program's peak resident memory (VmHWM of the process,
//    sampled until it ends) and the peak of the proportional resident memory
//    summed over the process and its children (the browser's helper
//    processes of the log-in, which share much of their pages).
//  - the difference list's fill into the window's model (view "differ"),
//    beside the bare join of the same rows in the same run;
//  - one whole sync cycle in-process with the pacing scaled to zero, beside
//    the stand-in answering the very same requests replayed on one
//    keep-alive connection (the baseline): the program's own time per
//    request (wall clock, and the CPU time of its thread) and its share of
//    the 200 ms pacing.
#include "BenchFixture.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "sync/DifferenceQuery.h"
#include "sync/SyncCycle.h"
#include "top/TopClient.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <ctime>

#ifndef STOCKSYNC_EXE
#define STOCKSYNC_EXE ""
#endif

namespace {

using bench::kSeller;

// A field in kB of /proc/PID/status ("VmHWM") or /proc/PID/smaps_rollup
// ("Pss"), or -1.
long statusKb(qint64 pid, const char *field, const char *file = "status")
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(file)));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The proportional resident kB (shared pages split among the processes that
// map them) of a process and all its descendants.
long treePssKb(qint64 root)
{
    QHash<qint64, qint64> parent;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray stat = f.readAll();
        // pid (comm) state ppid ...: comm may hold blanks, so read after its ')'
        const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        parent.insert(pid, rest.value(1).toLongLong());
    }
    long total = 0;
    for (auto it = parent.constBegin(); it != parent.constEnd(); ++it) {
        qint64 p = it.key();
        for (int depth = 0; p > 1 && p != root && depth < 64; ++depth)
            p = parent.value(p, 0);
        if (p == root)
            total += std::max(0L, statusKb(it.key(), "Pss", "smaps_rollup"));
    }
    return total;
}

// The CPU time of the calling thread (the program's: jobs, SQL, decoding;
// the stand-in answers on threads of its own).
double threadCpuUs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

struct Peak
{
    double programMb = -1; // the program's own process
    double treeMb = -1;    // the program with its children, proportional set
};

// Runs one headless command on the data folder; its peaks, or programMb -1.
Peak headlessPeak(const QString &dataDir, const QStringList &command, QString *failure)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STOCKSYNC_EXE), QStringList{QStringLiteral("--data-dir"), dataDir} + command);
    Peak peak;
    if (!p.waitForStarted(30000)) {
        *failure = QStringLiteral("the program did not start");
        return peak;
    }
    const qint64 pid = p.processId();
    long program = -1, tree = -1;
    while (!p.waitForFinished(50)) {
        program = std::max(program, statusKb(pid, "VmHWM"));
        tree = std::max(tree, treePssKb(pid));
        p.readAllStandardOutput(); // the list itself is not kept
    }
    if (p.exitCode() != 0) {
        *failure = QString::fromUtf8(p.readAllStandardError().right(400));
        return peak;
    }
    peak.programMb = program / 1024.0;
    peak.treeMb = tree / 1024.0;
    return peak;
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
    // the seller consented to the program once before, as every seller does at
    // the first log-in: the headless log-in meets no page that needs a person
    const QString appKey = rig.app->appKey().key;
    rig.sandbox.modify([&](topsandbox::ShopModel &m) { m.shopByNick(kSeller)->authorizedApps.append(appKey); });
    // the headless sync downloads and compares; the upload is the in-process cycle's
    rig.app->settings().set(Setting::SyncDownload, QStringLiteral("1"));
    rig.app->settings().set(Setting::SyncUpload, QStringLiteral("0"));
    Peak peak;
    for (auto _ : state) {
        // 1. the headless sync
        rig.app.reset(); // the program takes the data folder
        QString failure;
        peak = headlessPeak(rig.path(), {QStringLiteral("sync"), QStringLiteral("--account"), kSeller}, &failure);
        if (peak.programMb < 0) {
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
        const double cpuStartUs = threadCpuUs();
        if (cycle.start(true))
            loop.exec();
        const double cycleUs = double(whole.nsecsElapsed()) / 1000.0;
        const double cycleCpuUs = threadCpuUs() - cpuStartUs;
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
        state.counters["program_cpu_us_per_request"] = cycleCpuUs / requests;
        state.counters["program_share_of_200ms_pacing"] = programUs / requests / 200000.0;
        state.counters["headless_peak_rss_mb"] = peak.programMb;
        state.counters["headless_with_browser_peak_pss_mb"] = peak.treeMb;
    }
    Intervals::setScale(1.0);
}

} // namespace

BENCHMARK(BM_BigSeller)->Arg(1000)->Arg(10000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
