// The plan without a window: cycles at the interval of NM 100 (at least five
// minutes), a line per cycle, a failed cycle reported and the next one run,
// and SIGINT ending the loop after the request in flight, exit code 0.
#include "TestRig.h"
#include "app/PlanCommand.h"
#include "app/StopSignals.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "store/Settings.h"

#include <QSqlQuery>
#include <QtTest>
#include <csignal>

class PlanCommandTest : public QObject
{
    Q_OBJECT

    static int count(TestRig &rig, const QString &sql)
    {
        QSqlQuery q(rig.db());
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

private Q_SLOTS:
    void init() { Clock::setNow(QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0))); }
    void cleanup()
    {
        Clock::reset();
        Intervals::setScale(1.0);
    }

    void cyclesAtTheIntervalUntilInterrupted()
    {
        TestRig rig;
        QVERIFY(rig.open());
        QVERIFY(rig.app->settings().setInteger(Setting::SyncInterval, 3));
        Intervals::setScale(0.00001); // five minutes in three milliseconds
        StopSignals signals_;
        QVERIFY(signals_.installed());

        QStringList lines;
        QStringList accounts;
        std::unique_ptr<PlanLoop> loop;
        int calls = 0;
        auto runner = [&](Application &, const QString &account) {
            accounts << account;
            Clock::advance(60 * 1000);
            switch (++calls) {
            case 1:
                return CycleSummary{true, QStringLiteral("下载 11 个宝贝,\r\n上传 3 个")};
            case 2:
                return CycleSummary{false, QStringLiteral("网络通讯错误,请稍候重试.")};
            default:
                // interrupted while the step runs: the step still ends
                std::raise(SIGINT);
                if (!QTest::qWaitFor([&] { return loop->stopping(); }, 5000))
                    return CycleSummary{false, QStringLiteral("no stop")};
                return CycleSummary{true, QStringLiteral("上传 0 个")};
            }
        };
        loop = std::make_unique<PlanLoop>(*rig.app, QStringLiteral("sandbox_c_1"), runner,
                                          [&](const QString &line) { lines << line; });
        connect(&signals_, &StopSignals::stopRequested, loop.get(), &PlanLoop::stop);
        QCOMPARE(loop->minutes(), 5);
        QCOMPARE(loop->run(), 0);
        QCOMPARE(calls, 3);
        QCOMPARE(accounts, QStringList(3, QStringLiteral("sandbox_c_1")));
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("2026/12/09 08:01:00 下载 11 个宝贝, 上传 3 个"),
                            QStringLiteral("下次同步: 2026/12/09 08:06:00"),
                            QStringLiteral("2026/12/09 08:02:00 同步失败: 网络通讯错误,请稍候重试."),
                            QStringLiteral("下次同步: 2026/12/09 08:07:00"),
                            QStringLiteral("2026/12/09 08:03:00 上传 0 个"),
                            QStringLiteral("同步计划已停止."),
                        }));
    }

    void anInterruptEndsTheJobAfterTheRequestInFlight()
    {
        Clock::reset(); // the stand-in checks the requests' time stamps
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        QStringList ids;
        for (int i = 1; i <= 7; ++i)
            ids << QStringLiteral("52000000100%1").arg(i);
        for (int i = 0; i < 34; ++i)
            ids << QString::number(590000000000LL + i); // three batches of 20, 20 and 1
        QVERIFY(rig.list(ids));
        StopSignals signals_;
        std::unique_ptr<PlanLoop> loop;
        SourceDownloadJob::Outcome outcome = SourceDownloadJob::Outcome::Completed;
        auto runner = [&](Application &app, const QString &) {
            SourceDownloadJob &job = app.sourceDownload();
            QEventLoop wait;
            connect(&job, &SourceDownloadJob::ended, &wait, [&](SourceDownloadJob::Outcome o) {
                outcome = o;
                wait.quit();
            });
            if (!job.FromDownloadClick())
                return CycleSummary{false, QStringLiteral("not started")};
            std::raise(SIGINT); // the first request is out
            wait.exec();
            return CycleSummary{outcome == SourceDownloadJob::Outcome::Completed, QStringLiteral("下载")};
        };
        QStringList lines;
        loop = std::make_unique<PlanLoop>(*rig.app, QString(), runner, [&](const QString &l) { lines << l; });
        connect(&signals_, &StopSignals::stopRequested, loop.get(), &PlanLoop::stop);
        QCOMPARE(loop->run(), 0);
        QVERIFY2(outcome == SourceDownloadJob::Outcome::Cancelled,
                 qPrintable(rig.ui.messages().join(QLatin1Char('|'))));
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.list.get")), 1);
        // the reply in flight was stored; the source rows of the last complete download stay
        QCOMPARE(count(rig, QStringLiteral("select count(*) from TB_Source_Download")) > 0, true);
        QCOMPARE(count(rig, QStringLiteral("select count(*) from TB_Source")), 0);
        QCOMPARE(lines.size(), 2);
        QVERIFY(!rig.app->jobs().busy());
    }
};

QTEST_GUILESS_MAIN(PlanCommandTest)
#include "plan_command_test.moc"
