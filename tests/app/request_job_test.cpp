#include "base/Clock.h"
#include "base/Interaction.h"
#include "jobs/RequestJob.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// A job whose requests the test answers by hand.
class ScriptedJob : public RequestJob
{
public:
    ScriptedJob(JobHost &host, TransportRule rule) : RequestJob(host, 200, rule) {}

    void start(const QStringList &ids)
    {
        host().clearCancel();
        host().resetErrors();
        begin(Batches(ids), QStringLiteral("正在下载...(0%)"), true);
    }
    void reply() { advance(); }
    void fail() { transportError(); }

    QStringList sent;
    QStringList captions;
    int finished = 0;
    int replaced = 0;

protected:
    ProgressPanelState &panel() override { return host().panel1(); }
    QString progressCaption(int p) const override
    {
        return QStringLiteral("正在下载...(") + QString::number(p) + QStringLiteral("%)");
    }
    void sendFirst() override
    {
        sent.append(items().first());
        captions.append(host().panel1().caption());
    }
    void finish() override
    {
        ++finished;
        host().panel1().hide();
    }
    void replaceComponent() override { ++replaced; }
};

QStringList ids(int n)
{
    QStringList out;
    for (int i = 1; i <= n; ++i)
        out << QString::number(500000000000LL + i);
    return out;
}

} // namespace

class RequestJobTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.001); }
    void cleanup()
    {
        Intervals::setScale(1.0);
        Clock::reset();
    }
    void batchesAndPercentages();
    void cancelDuringARequestStoresTheReplyAndSendsNothingMore();
    void fiveCountdownsThenTheNetworkMessage();
    void cancelStopsTheCountdown();
    void immediateRetryGivesUpOnTheFifthError();
};

void RequestJobTest::batchesAndPercentages()
{
    QCOMPARE(RequestJob::Percent(1, 8), 12); // 12.5 to even
    QCOMPARE(RequestJob::Percent(2, 8), 25);
    QCOMPARE(RequestJob::Percent(1, 3), 33);
    QCOMPARE(RequestJob::Percent(2, 3), 67);
    QCOMPARE(RequestJob::Percent(3, 8), 38); // 37.5 to even
    QCOMPARE(RequestJob::Batches({QStringLiteral(" 1 "), QStringLiteral("2")}, 20), QStringList{QStringLiteral("1,2")});

    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    Clock::setNow(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
    job.start(ids(45));
    QCOMPARE(job.startTime(), QStringLiteral("2026/12/09 10:00:00"));
    QVERIFY(host.busy());
    for (int i = 0; i < 3; ++i) {
        QTRY_COMPARE(job.sent.size(), i + 1);
        job.reply();
    }
    QCOMPARE(job.sent.at(0).count(QLatin1Char(',')), 19);
    QCOMPARE(job.sent.at(1).count(QLatin1Char(',')), 19);
    QCOMPARE(job.sent.at(2).count(QLatin1Char(',')), 4);
    QCOMPARE(job.captions, (QStringList{QStringLiteral("正在下载...(0%)"), QStringLiteral("正在下载...(33%)"),
                                        QStringLiteral("正在下载...(67%)")}));
    QCOMPARE(job.finished, 1);
    QVERIFY(!host.busy());
}

void RequestJobTest::cancelDuringARequestStoresTheReplyAndSendsNothingMore()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    job.start(ids(41));
    QCOMPARE(job.sent.size(), 1);
    host.cancelSourceSide();
    QVERIFY(!host.panel1().shown());
    job.reply(); // the reply in flight still arrives and is processed
    QCOMPARE(job.doneCount(), 1);
    QTest::qWait(50);
    QCOMPARE(job.sent.size(), 1);
    QVERIFY(!job.running());
    QVERIFY(!host.panel1().shown());

    // a cancelled last batch still finishes
    ScriptedJob last(host, RequestJob::TransportRule::Countdown);
    last.start(ids(3));
    host.cancelSourceSide();
    last.reply();
    QCOMPARE(last.finished, 1);
}

void RequestJobTest::fiveCountdownsThenTheNetworkMessage()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    QStringList retryTexts;
    connect(&host.panel1(), &ProgressPanelState::changed, this, [&] {
        if (host.panel1().retryShown() && retryTexts.value(retryTexts.size() - 1) != host.panel1().retryText())
            retryTexts << host.panel1().retryText();
    });
    job.start(ids(30));
    job.reply(); // first batch fine
    QTRY_COMPARE(job.sent.size(), 2);
    for (int round = 0; round < 5; ++round) {
        job.fail();
        QVERIFY(host.countdownRunning());
        QTRY_COMPARE(job.sent.size(), 3 + round); // the same batch again
        QCOMPARE(host.errorCount(), round + 1);
        QVERIFY(host.panel1().shown());
        QVERIFY(!host.panel1().retryShown());
    }
    QCOMPARE(retryTexts.size(), 50);
    QCOMPARE(retryTexts.first(), QStringLiteral("重试 = 10"));
    QCOMPARE(retryTexts.at(9), QStringLiteral("重试 = 1"));
    QCOMPARE(QSet<QString>(job.sent.begin() + 1, job.sent.end()).size(), 1);
    QVERIFY(ui.messages().isEmpty());

    job.fail(); // the sixth error ends it
    QCOMPARE(ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QVERIFY(ui.last()->icon == Interaction::Icon::Error);
    QCOMPARE(ui.last()->caption, QStringLiteral("提示"));
    QVERIFY(!host.panel1().shown() && !host.panel2().shown());
    QVERIFY(!host.countdownRunning());
    QCOMPARE(job.replaced, 6);
    QTest::qWait(50);
    QCOMPARE(job.sent.size(), 7);
}

void RequestJobTest::cancelStopsTheCountdown()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    job.start(ids(5));
    job.fail();
    QVERIFY(host.countdownRunning());
    host.cancelSourceSide();
    QVERIFY(!host.countdownRunning());
    QVERIFY(!host.panel1().retryShown());
    QTest::qWait(60);
    QVERIFY(!host.panel1().shown());
    QCOMPARE(job.sent.size(), 1);
    QVERIFY(!job.running());

    // an error of the request that was out when the user cancelled starts no countdown
    ScriptedJob second(host, RequestJob::TransportRule::Countdown);
    second.start(ids(5));
    host.cancelSourceSide();
    second.fail();
    QVERIFY(!host.countdownRunning());
    QVERIFY(!second.running());
    QVERIFY(!host.panel1().shown());
    QVERIFY(ui.messages().isEmpty());
}

void RequestJobTest::immediateRetryGivesUpOnTheFifthError()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Immediate);
    job.start(ids(5));
    for (int i = 0; i < 4; ++i) {
        job.fail();
        QTRY_COMPARE(job.sent.size(), i + 2);
    }
    QVERIFY(ui.messages().isEmpty());
    job.fail(); // the fifth error ends it
    QCOMPARE(ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QCOMPARE(host.errorCount(), 5);
    QTest::qWait(30);
    QCOMPARE(job.sent.size(), 5);
    QVERIFY(!job.running());
}

QTEST_GUILESS_MAIN(RequestJobTest)
#include "request_job_test.moc"
