// The sync plan against fake steps on a real database: the start checks, the
// interval counted from the end of a cycle, the plans with one step, cancel,
// settings changed while it runs, and a cycle that comes due while a job
// started by hand is running.
#include "TestRig.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/SyncCycleLog.h"
#include "sync/SyncPlan.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

struct FakeSteps : PlanSteps
{
    bool busy = false;
    bool authorized = true;
    Start downloadStart = Start::Started;
    Start uploadStart = Start::Started;
    int queries = 0;
    int downloads = 0;
    int uploads = 0;
    int ticked = -1;

    int tickedRows() const override { return ticked; }
    bool jobRunning() const override { return busy; }
    bool uploadAllowed() const override { return authorized; }
    QString account() const override { return QStringLiteral("sandbox_c_1"); }
    void showDifferences() override { ++queries; }
    Start startDownload() override
    {
        ++downloads;
        return downloadStart;
    }
    Start startUpload() override
    {
        ++uploads;
        return uploadStart;
    }
};

const QString kWaiting = QStringLiteral("同步计划状态:等待中...(间隔:5分钟)-sandbox_c_1");
const QString kRunning = QStringLiteral("同步计划状态: 执行中...(sandbox_c_1)");
const QString kSourceTime = QStringLiteral("2026/12/09 10:00:00");
const QString kTargetTime = QStringLiteral("2026/12/09 10:01:30");

} // namespace

class SyncPlanTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRig> m_rig;
    FakeSteps m_steps;
    std::unique_ptr<SyncPlan> m_plan;

    const Settings &settings() { return m_rig->app->settings(); }
    void configure(int minutes, bool download, bool upload)
    {
        QVERIFY((PlanSettings{minutes, download, upload}.save(settings())));
    }
    void targetRow()
    {
        QSqlQuery q(m_rig->db());
        QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,outer_id,num,price,num_iid) "
                                      "values('sandbox_c_1','衬衫','T100',3,10,'610000003001')")));
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            m_plan->TimerSyncTimer();
    }
    // Both steps on, a ticked source entry, a target row, an authorized account.
    void readyToStart(int minutes = 3, bool download = true, bool upload = true)
    {
        configure(minutes, download, upload);
        QVERIFY(m_rig->list({QStringLiteral("520000001001")}));
        targetRow();
    }

private Q_SLOTS:
    void init()
    {
        Intervals::setScale(1.0);
        Clock::setNow(QDateTime(QDate(2026, 12, 9), QTime(10, 30, 0)));
        m_rig = std::make_unique<TestRig>();
        QVERIFY(m_rig->open());
        m_steps = FakeSteps();
        m_plan = std::make_unique<SyncPlan>(m_rig->db(), settings(), m_rig->app->jobs(), m_rig->ui, m_steps);
        QVERIFY(settings().set(Setting::SourceDownloadTime, kSourceTime));
        QVERIFY(settings().set(Setting::TargetDownloadTime, kTargetTime));
    }
    void cleanup()
    {
        m_plan.reset();
        m_rig.reset();
        Clock::reset();
        Intervals::setScale(1.0);
    }

    void eachStartCheckRefusesWithItsWarning()
    {
        auto refused = [this](const QString &text) {
            m_rig->ui.clear();
            QVERIFY(!m_plan->N24Click());
            QCOMPARE(m_rig->ui.messages(), QStringList{text});
            QCOMPARE(m_rig->ui.last()->icon, Interaction::Icon::Warning);
            QVERIFY(!m_plan->running());
            QVERIFY(!m_rig->app->jobs().planRunning());
            QCOMPARE(m_plan->tray(), SyncPlan::Tray::Hidden);
        };
        configure(10, false, false);
        refused(QStringLiteral("请至\"设置同步计划\",选择同步项."));
        configure(10, true, true);
        refused(QStringLiteral("没有配置下载源,请进入<配置源下载源>进行配置勾选"));
        // a ticked entry of either list will do
        QVERIFY(m_rig->list({QStringLiteral("610000003001")}, ItemLists::TargetList));
        m_steps.authorized = false;
        refused(QStringLiteral("由于上传目标店铺最新库存数量,需要有店铺的管理权限,请先\"登录\"店铺帐号."));
        m_steps.authorized = true;
        refused(QStringLiteral("请先通过\"下载目标店铺宝贝列表\"进行初始化目标店铺宝贝列表."));
        QCOMPARE(m_steps.queries, 0);

        // under the busy guard nothing happens
        targetRow();
        m_steps.busy = true;
        m_rig->ui.clear();
        QVERIFY(!m_plan->N24Click());
        QVERIFY(m_rig->ui.records().isEmpty());
        m_steps.busy = false;
        QVERIFY(m_plan->N24Click());
    }

    void cyclesComeOneIntervalAfterTheEndOfThePrevious()
    {
        readyToStart(3); // below 5: every 5 minutes
        QSignalSpy running(m_plan.get(), &SyncPlan::runningChanged);
        QVERIFY(m_plan->N24Click());
        QCOMPARE(running.count(), 1);
        QCOMPARE(m_plan->interval(), 5);
        QCOMPARE(m_steps.queries, 1);
        QVERIFY(m_rig->app->jobs().planRunning());
        QCOMPARE(m_plan->tray(), SyncPlan::Tray::Still);
        QCOMPARE(m_plan->hint(), kWaiting);
        QVERIFY(m_plan->timerOn());

        ticks(299);
        QCOMPARE(m_steps.downloads, 0);
        ticks(1);
        QCOMPARE(m_steps.downloads, 1);
        QCOMPARE(m_plan->state(), SyncPlan::State::Downloading);
        QCOMPARE(m_plan->hint(), kRunning);
        QCOMPARE(m_plan->tray(), SyncPlan::Tray::Animated);
        QVERIFY(!m_plan->timerOn());
        ticks(900); // a long download counts for nothing
        QCOMPARE(m_steps.downloads, 1);

        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        QCOMPARE(m_steps.uploads, 1);
        QCOMPARE(m_plan->hint(), QStringLiteral("同步计划状态:(sandbox_c_1)\r\n完成下载:") + kSourceTime +
                                     QStringLiteral("\r\n正在上传..."));
        m_plan->stepFinished(SyncPlan::Step::Upload, SyncPlan::Result::Completed);
        QCOMPARE(m_plan->hint(), kWaiting + QStringLiteral("\r\n完成下载:") + kSourceTime +
                                     QStringLiteral("\r\n完成上传:") + kTargetTime);
        QCOMPARE(m_plan->tray(), SyncPlan::Tray::Still);
        QCOMPARE(m_plan->countdown(), 0);
        ticks(299);
        QCOMPARE(m_steps.downloads, 1);
        ticks(1);
        QCOMPARE(m_steps.downloads, 2);
    }

    void theTimerRunsTheCycle()
    {
        readyToStart(5, true, false);
        Intervals::setScale(0.00001);
        QVERIFY(m_plan->N24Click());
        QTRY_COMPARE(m_steps.downloads, 1);
        QCOMPARE(m_plan->hint(), kRunning);
    }

    void plansWithOneStep()
    {
        // download only: no authorized account and no target rows needed
        configure(5, true, false);
        QVERIFY(m_rig->list({QStringLiteral("520000001001")}));
        m_steps.authorized = false;
        QVERIFY(m_plan->N24Click());
        ticks(300);
        QCOMPARE(m_steps.downloads, 1);
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        QCOMPARE(m_steps.uploads, 0);
        QCOMPARE(m_plan->hint(), kWaiting + QStringLiteral("\r\n完成下载:") + kSourceTime);
        QCOMPARE(m_plan->state(), SyncPlan::State::Waiting);
        m_plan->N29Click();

        // upload only: the upload straight away; nothing ticked is done at once
        configure(5, false, true);
        m_steps.authorized = true;
        targetRow();
        QVERIFY(m_plan->N24Click());
        m_steps.uploadStart = PlanSteps::Start::NothingToDo;
        ticks(300);
        QCOMPARE(m_steps.downloads, 1);
        QCOMPARE(m_steps.uploads, 1);
        QCOMPARE(m_plan->state(), SyncPlan::State::Waiting);
        QCOMPARE(m_plan->hint(), kWaiting + QStringLiteral("\r\n完成上传:2026/12/09 10:30:00"));
        m_steps.uploadStart = PlanSteps::Start::Started;
        ticks(300);
        QCOMPARE(m_steps.uploads, 2);
        m_plan->stepFinished(SyncPlan::Step::Upload, SyncPlan::Result::Completed);
        QCOMPARE(m_plan->hint(), kWaiting + QStringLiteral("\r\n完成上传:") + kTargetTime);
        QCOMPARE(m_steps.downloads, 1);
    }

    void cancelEndsThePlan()
    {
        readyToStart(5);
        QVERIFY(m_plan->N24Click());
        ticks(120);
        QSignalSpy running(m_plan.get(), &SyncPlan::runningChanged);
        m_plan->N29Click();
        QCOMPARE(running.count(), 1);
        QCOMPARE(running.at(0).at(0).toBool(), false);
        QVERIFY(!m_plan->running());
        QVERIFY(!m_rig->app->jobs().planRunning());
        QCOMPARE(m_plan->tray(), SyncPlan::Tray::Hidden);
        QVERIFY(!m_plan->timerOn());
        ticks(1000);
        QCOMPARE(m_steps.downloads, 0);

        // cancelled during a cycle: the download's end no longer hands over
        QVERIFY(m_plan->N24Click());
        ticks(300);
        QCOMPARE(m_steps.downloads, 1);
        m_plan->N29Click();
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        QCOMPARE(m_steps.uploads, 0);
        QVERIFY(!m_plan->running());
    }

    void settingsChangedWhileRunningWaitForTheNextStart()
    {
        readyToStart(5);
        QVERIFY(m_plan->N24Click());
        configure(30, true, false);
        ticks(300);
        QCOMPARE(m_steps.downloads, 1);
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        QCOMPARE(m_steps.uploads, 1);
        m_plan->N29Click();
        QVERIFY(m_plan->N24Click());
        QCOMPARE(m_plan->interval(), 30);
        QVERIFY(!m_plan->uploadStep());
    }

    void aCycleDueDuringAManualJobStartsWhenItEnds()
    {
        readyToStart(5);
        QVERIFY(m_plan->N24Click());
        ticks(299);
        m_steps.busy = true;
        ticks(1);
        ticks(200);
        QCOMPARE(m_steps.downloads, 0);
        QVERIFY(m_plan->timerOn());
        QCOMPARE(m_plan->hint(), kWaiting);
        m_steps.busy = false;
        ticks(1);
        QCOMPARE(m_steps.downloads, 1);
        QCOMPARE(m_plan->hint(), kRunning);
    }

    void failuresStopTheCyclingCancelsWaitForTheNext()
    {
        readyToStart(5);
        QVERIFY(m_plan->N24Click());
        // a step cancelled by the user ends the cycle only
        ticks(300);
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Cancelled);
        QCOMPARE(m_plan->state(), SyncPlan::State::Waiting);
        QCOMPARE(m_plan->hint(), kWaiting);
        ticks(300);
        QCOMPARE(m_steps.downloads, 2);

        // an error reply of the upload: running, still, no further cycle
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        const QString last = m_plan->hint();
        m_plan->stepFinished(SyncPlan::Step::Upload, SyncPlan::Result::Failed);
        QCOMPARE(m_plan->state(), SyncPlan::State::Stalled);
        QVERIFY(m_plan->running());
        QCOMPARE(m_plan->tray(), SyncPlan::Tray::Still);
        QCOMPARE(m_plan->hint(), last);
        ticks(1000);
        QCOMPARE(m_steps.downloads, 2);

        // nothing left to download: the plan says so (the download keeps quiet while it runs)
        m_plan->N29Click();
        QVERIFY(m_plan->N24Click());
        m_steps.downloadStart = PlanSteps::Start::NothingToDo;
        m_rig->ui.clear();
        ticks(300);
        QCOMPARE(m_rig->ui.messages(),
                 QStringList{QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选")});
        QCOMPARE(m_plan->state(), SyncPlan::State::Stalled);
    }

    // "立即同步" starts the cycle a due tick would, refuses while anything
    // runs, and restarts a stalled plan; the tray's note carries the next
    // run's time and the last cycle's counts; a failed or held cycle is
    // reported with its reason and recorded.
    void runNowAndTheTraysNote()
    {
        readyToStart(5);
        QSignalSpy trouble(m_plan.get(), &SyncPlan::cycleTrouble);
        QCOMPARE(m_plan->cycleNote(), QString());
        QVERIFY(m_plan->N24Click());
        QCOMPARE(m_plan->cycleNote(), QStringLiteral("\r\n下次同步:10:35"));

        m_steps.busy = true;
        QVERIFY(!m_plan->runNow());
        QCOMPARE(m_rig->ui.messages(), QStringList{QStringLiteral("正在执行同步或其他任务, 请等它结束后再点\"立即同步\".")});
        QCOMPARE(m_steps.downloads, 0);
        m_steps.busy = false;
        QVERIFY(m_plan->runNow());
        QCOMPARE(m_steps.downloads, 1);
        QCOMPARE(m_plan->hint(), kRunning);
        QVERIFY(!m_plan->runNow()); // the cycle itself runs
        QCOMPARE(m_steps.downloads, 1);

        m_steps.ticked = 5;
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        QCOMPARE(m_steps.uploads, 1);
        m_plan->cycle().uploaded = 4; // what the window's upload fills in
        m_plan->cycle().refused = 1;
        Clock::advance(60 * 1000);
        m_plan->stepFinished(SyncPlan::Step::Upload, SyncPlan::Result::Completed);
        QCOMPARE(m_plan->cycleNote(), QStringLiteral("\r\n下次同步:10:36\r\n上次同步:下载0,差异5,上传4,拒绝1"));
        QCOMPARE(trouble.count(), 0);

        // a failing download: said with its reason, recorded, the plan stalls; run now starts it again
        QVERIFY(m_plan->runNow());
        m_plan->setStepError(QStringLiteral("下载失败.\r\n错误原因: isv.item-not-exist"));
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Failed);
        QCOMPARE(m_plan->state(), SyncPlan::State::Stalled);
        QCOMPARE(trouble.count(), 1);
        QCOMPARE(trouble.last().value(0).toBool(), true);
        QCOMPARE(trouble.last().value(1).toString(), QStringLiteral("下载失败.\r\n错误原因: isv.item-not-exist"));
        QVERIFY(m_plan->cycleNote().endsWith(QStringLiteral(",失败\r\n同步失败,计划已暂停(可右击图标\"立即同步\")")));
        const QList<CycleRecord> cycles = SyncCycleLog(m_rig->db()).read();
        QCOMPARE(cycles.size(), 2);
        QCOMPARE(cycles.last().error, QStringLiteral("下载失败.\r\n错误原因: isv.item-not-exist"));
        QVERIFY(cycles.last().ended.isValid());
        QVERIFY(m_plan->runNow());
        QCOMPARE(m_steps.downloads, 3);

        // a guardrail that holds the upload: said, the plan waits for the next cycle
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        m_plan->cycle().held = QStringLiteral("库存改为0的行占 80%");
        m_plan->stepFinished(SyncPlan::Step::Upload, SyncPlan::Result::Held);
        QCOMPARE(m_plan->state(), SyncPlan::State::Waiting);
        QCOMPARE(trouble.count(), 2);
        QCOMPARE(trouble.last().value(0).toBool(), false);
        QCOMPARE(trouble.last().value(1).toString(), QStringLiteral("库存改为0的行占 80%"));
        QVERIFY(m_plan->cycleNote().endsWith(QStringLiteral(",上传保护拦下")));

        m_plan->N29Click();
        m_rig->ui.clear();
        QVERIFY(!m_plan->runNow());
        QCOMPARE(m_rig->ui.messages(), QStringList{QStringLiteral("同步计划没有在执行.")});
    }

    // A cycle without its upload step is recorded as ended, with the
    // differing rows of the download's query.
    void aDownloadOnlyCycleIsRecorded()
    {
        readyToStart(5, true, false);
        QVERIFY(m_plan->N24Click());
        ticks(300);
        m_steps.ticked = 7;
        m_plan->stepFinished(SyncPlan::Step::Download, SyncPlan::Result::Completed);
        const QList<CycleRecord> cycles = SyncCycleLog(m_rig->db()).read();
        QCOMPARE(cycles.size(), 1);
        QVERIFY(cycles.first().ended.isValid());
        QCOMPARE(cycles.first().differing, 7);
        QVERIFY(cycles.first().error.isEmpty());
        QVERIFY(m_plan->cycleNote().endsWith(QStringLiteral("\r\n上次同步:下载0,差异7")));
    }
};

QTEST_GUILESS_MAIN(SyncPlanTest)
#include "sync_plan_test.moc"
