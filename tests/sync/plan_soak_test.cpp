// The headless plan left running: more than forty cycles in incremental
// mode against the stand-in with random faults (seeded, so a failure comes
// back the same way): lost connections, replies lost after the shop applied
// the change, error 7 with its wait, one item refused, an expired session,
// and the program killed in the middle of a cycle and started again. At the
// end every SKU holds its first quantity plus its increment once for every
// time it was due, the journal agrees with the shop, and no cycle stalled.
#include "DemoShops.h"
#include "app/PlanCommand.h"
#include "app/UploadCommands.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/SyncCycleLog.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/SyncCycle.h"
#include "top/ErrorScope.h"
#include "top/TopClient.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

namespace {

const QString kShop = QStringLiteral("sandbox_c_1");
const QString kUpdate = QStringLiteral("taobao.item.quantity.update");
const QString kRead = QStringLiteral("taobao.items.list.get");
using topsandbox::Fault;

struct TargetSku
{
    qint64 numIid = 0;
    qint64 skuId = 0; // 0: an item without SKUs
    int initial = 0;
    int increment = 0;
    int due = 0; // times the row was armed
};

} // namespace

class PlanSoakTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }
    void fortyCyclesWithFaults();

private:
    int shopQuantity(TestRig &rig, const TargetSku &t) const
    {
        return t.skuId ? rig.sandbox.skuQuantity(t.numIid, t.skuId) : rig.sandbox.itemQuantity(t.numIid);
    }
};

void PlanSoakTest::fortyCyclesWithFaults()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(ListDemoShopsAndDownloadSeller(rig, kShop));
    const Settings settings(rig.db());
    QVERIFY(settings.set(Setting::UploadMode, QStringLiteral("1")));
    QVERIFY(settings.setFlag(Setting::SyncDownload, true));
    QVERIFY(settings.setFlag(Setting::SyncUpload, true));
    QVERIFY(settings.set(Setting::CurrentAccount, kShop));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("update TB_Object set bcheck=1")));

    // what each target row is due: a download of the source, then the comparison as the plan runs it
    {
        SyncSummary first = RunSyncCycle(*rig.app, kShop, std::make_pair(true, false), true);
        QVERIFY(first.ok());
    }
    QHash<QString, TargetSku> rows; // by TB_Object Uniqid
    QHash<QString, int> listed;
    const ListModel &model = rig.app->targetModel();
    for (int r = 0; r < model.count(); ++r) {
        const ListRow &row = model.row(r);
        const QString id = row.cells.value(CellUniqid);
        ++listed[id];
        TargetSku &t = rows[id];
        t.numIid = row.cells.value(CellNumIid).toLongLong();
        t.skuId = row.cells.value(CellSkuId).toLongLong();
        t.increment = row.cells.value(CellSourceNum).toInt();
        t.due = 1;
    }
    for (auto it = rows.begin(); it != rows.end(); ++it) {
        it->initial = shopQuantity(rig, *it);
        if (listed.value(it.key()) > 1)
            it->due = 0; // a duplicated key: never incremented
    }
    QVERIFY2(rows.size() >= 8, qPrintable(QString::number(rows.size())));

    QRandomGenerator random(20261209);
    int cycles = 0;
    int logins = 0;
    qint64 longest = 0;
    bool killNow = false;
    bool killed = false;
    PlanLoop *running = nullptr;

    // one cycle as the plan command runs it: the session kept, a new one only
    // after 27/53, that cycle then run once more
    const CycleRunner runner = [&](Application &app, const QString &account) -> CycleSummary {
        QElapsedTimer clock;
        clock.start();
        ++cycles;
        // arm two rows that were uploaded: each is due its increment once more
        QList<QString> done;
        QSqlQuery armed(app.db());
        armed.exec(QStringLiteral("select Uniqid from TB_Object where bcheck=0"));
        while (armed.next())
            if (rows.value(armed.value(0).toString()).due > 0)
                done << armed.value(0).toString();
        for (int i = 0; i < 2 && !done.isEmpty(); ++i) {
            const QString id = done.takeAt(random.bounded(int(done.size())));
            armed.prepare(QStringLiteral("update TB_Object set bcheck=1 where Uniqid=?"));
            armed.addBindValue(id.toLongLong());
            armed.exec();
            ++rows[id].due;
        }
        switch (random.bounded(8)) {
        case 0:
            rig.sandbox.injectFault(kUpdate, Fault::closeConnection(), 1 + random.bounded(2));
            break;
        case 1:
            rig.sandbox.injectFault(kUpdate, Fault::truncatedBody(), 1);
            break;
        case 2:
            rig.sandbox.injectFault(kUpdate, Fault::error(7, QString(), QString(),
                                                          QStringLiteral("This ban will last for 1 more seconds")));
            break;
        case 3:
            rig.sandbox.injectFault(kUpdate, Fault::error(15, QStringLiteral("isv.item-is-locked"),
                                                          QStringLiteral("商品被锁定")));
            break;
        case 4:
            rig.sandbox.injectFault(kUpdate, Fault::error(27, QString(), QString(), QStringLiteral("Invalid session")));
            break;
        case 5:
            rig.sandbox.injectFault(kRead, Fault::truncatedBody(), 1);
            rig.sandbox.injectFault(kUpdate, Fault::truncatedBody(), 1);
            break;
        default:
            break;
        }
        if (app.client().sessionKey().isEmpty()) {
            app.client().setSessionKey(rig.sandbox.sessionFor(kShop));
            ++logins;
        }
        if (killNow) {
            // the program dies while the reply of an update is out
            killNow = false;
            killed = true;
            rig.sandbox.clearFaults();
            rig.sandbox.injectFault(kUpdate, Fault::delay(300), 1);
            DifferenceQuery &query = app.differenceQuery();
            query.options() = DifferenceQuery::storedOptions(app.settings());
            query.options().account = account;
            app.syncCycle().clearSteps();
            QEventLoop wait;
            QTimer poll;
            connect(&poll, &QTimer::timeout, &wait, [&] {
                if (app.quantityUpload().requestOut() &&
                    !UploadJournal(app.db()).inState(UploadJournal::sentState()).isEmpty())
                    wait.quit();
            });
            poll.start(2);
            connect(&app.syncCycle(), &SyncCycle::finished, &wait, &QEventLoop::quit);
            app.syncCycle().start(true);
            wait.exec();
            running->stop();
            return {false, QStringLiteral("killed")};
        }
        SyncSummary s = RunSyncCycle(app, account, std::nullopt, true);
        if (SessionExpired(s.failureCode)) {
            app.client().setSessionKey(rig.sandbox.sessionFor(kShop));
            ++logins;
            s = RunSyncCycle(app, account, std::nullopt, true);
        }
        rig.sandbox.clearFaults();
        longest = std::max(longest, clock.elapsed());
        if (cycles == 20)
            killNow = true;
        if (cycles >= 44)
            running->stop();
        return {s.ok(), SyncSummaryText(s, true)};
    };

    QStringList lines;
    auto say = [&](const QString &line) { lines << line; };
    {
        PlanLoop loop(*rig.app, kShop, runner, say);
        loop.setIntervalSeconds(1);
        running = &loop;
        loop.run();
    }
    QVERIFY(killed);
    // the program is gone with the reply still out; the shop applies the update late
    rig.app.reset();
    QTest::qWait(500);
    QVERIFY(rig.open());
    {
        PlanLoop loop(*rig.app, kShop, runner, say);
        loop.setIntervalSeconds(1);
        running = &loop;
        loop.run();
    }
    QVERIFY2(cycles >= 44, qPrintable(lines.join(QLatin1Char('\n'))));
    // a last cycle without faults takes what is still due
    rig.sandbox.clearFaults();
    const SyncSummary last = RunSyncCycle(*rig.app, kShop, std::nullopt, true);
    QVERIFY2(last.ok(), qPrintable(last.failures.join(QLatin1Char(' '))));
    QVERIFY2(longest < 20000, qPrintable(QString::number(longest)));

    // every SKU holds what the rules give, and the journal says so
    const QList<JournalEntry> journal = UploadJournal(rig.db()).read();
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        const TargetSku &t = *it;
        const int expected = t.initial + t.due * t.increment;
        QCOMPARE(shopQuantity(rig, t), expected);
        int doneRows = 0;
        QString lastAfter;
        for (const JournalEntry &e : journal)
            if (e.numIid.toLongLong() == t.numIid && e.skuId.toLongLong() == t.skuId &&
                e.state == UploadJournal::doneState()) {
                ++doneRows;
                lastAfter = e.after;
            }
        QCOMPARE(doneRows, t.due);
        if (t.due > 0)
            QCOMPARE(lastAfter.toInt(), expected);
        QSqlQuery row(rig.db());
        row.prepare(QStringLiteral("select num from TB_Object where Uniqid=?"));
        row.addBindValue(it.key().toLongLong());
        QVERIFY(row.exec() && row.next());
        QCOMPARE(row.value(0).toInt(), expected);
    }
    for (const JournalEntry &e : journal) {
        QVERIFY2(e.state != UploadJournal::sentState(), qPrintable(QString::number(e.id)));
        QVERIFY2(e.state != UploadJournal::unsettledState(), qPrintable(e.message));
    }
    // one login for the first cycle, one after the restart, one per expired session
    QVERIFY(logins >= 2);
    QVERIFY(logins < cycles / 2);
    // every cycle is on record
    QVERIFY(SyncCycleLog(rig.db()).read().size() >= 44);
    // the faults did reach the runs: refusals on record, and updates whose reply was lost
    int refused = 0, done = 0;
    for (const JournalEntry &e : journal) {
        refused += e.state == UploadJournal::refusedState();
        done += e.state == UploadJournal::doneState();
    }
    qInfo("cycles %d, logins %d, journal %d (done %d, refused %d), rows %d, longest cycle %lld ms", cycles, logins,
          int(journal.size()), done, refused, int(rows.size()), longest);
    QVERIFY(refused > 0);
    QVERIFY(done > rows.size());
}

QTEST_GUILESS_MAIN(PlanSoakTest)
#include "plan_soak_test.moc"
