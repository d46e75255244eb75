#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "top/TopClient.h"

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
    void fail(const QString &cause = QString()) { transportError(cause); }
    bool refuse(const TopIntake &r) { return errorReply(r) == ErrorReplyEnd::Ended; }

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

// A row-walking job over a list: one request per ticked row; rows with
// the same key are one item when the sent-item list is on.
class RowJob : public RequestJob
{
public:
    RowJob(JobHost &host, ListModel &model) : RequestJob(host, 200, TransportRule::NoRetry), m_model(model) {}

    bool start(bool sentItems = false) { return beginRows(m_model, QStringLiteral("正在上传...(0%)"), true, sentItems); }
    void reply() { rowDone(); }
    bool refuse(const TopIntake &r) { return errorReply(r) == ErrorReplyEnd::Ended; }

    QList<int> sent;
    QStringList captions;
    QList<int> skipped;
    int finished = 0;

protected:
    ProgressPanelState &panel() override { return host().panel2(); }
    QString progressCaption(int p) const override
    {
        return QStringLiteral("正在上传...(") + QString::number(p) + QStringLiteral("%)");
    }
    void sendRow(int row) override
    {
        sent.append(row);
        captions.append(host().panel2().caption());
    }
    QString sentItemKey(int row) const override { return m_model.row(row).cells.value(0); }
    void rowAlreadySent(int row) override { skipped.append(row); }
    void finish() override
    {
        ++finished;
        host().panel2().hide();
    }

private:
    ListModel &m_model;
};

TopIntake refusal(int code, const QString &subCode, const QString &subMsg)
{
    TopIntake r;
    r.kind = TopIntake::Kind::ErrorReply;
    r.code = code;
    r.subCode = subCode;
    r.errorText = QStringLiteral("App Call Limited,") + subCode + QLatin1Char(',') + subMsg;
    r.message = QStringLiteral("下载失败.\r\n错误原因: ") + r.errorText;
    return r;
}

TopIntake ban(int seconds)
{
    return refusal(7, QStringLiteral("accesscontrol.limited-by-app-api-access-count"),
                   QStringLiteral("This ban will last for ") + QString::number(seconds) + QStringLiteral(" more seconds"));
}

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
    void cancelledJobStaysCancelled();
    void temporaryRefusalsAreWaitedOutFiveTimes();
    void rowWalkUnticksDoneRowsInListOrder();
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
        job.fail(QStringLiteral("connection refused"));
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
    // why, for the debug memo
    QCOMPARE(host.debugLines().size(), 5);
    QCOMPARE(host.debugLines().first(), QStringLiteral("connection refused"));
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

void RequestJobTest::cancelledJobStaysCancelled()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    // the window clears the shared flag ("刷新") before the reply in flight arrives
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    job.start(ids(41));
    host.cancelSourceSide();
    host.clearCancel();
    job.reply();
    QTest::qWait(50);
    QCOMPARE(job.sent.size(), 1);
    QVERIFY(!job.running());
    QVERIFY(job.wasCancelled());
    QVERIFY(!host.panel1().shown());

    // ... or that reply fails: no hidden countdown brings the panel back
    ScriptedJob failing(host, RequestJob::TransportRule::Countdown);
    failing.start(ids(41));
    host.cancelSourceSide();
    host.clearCancel();
    failing.fail(QStringLiteral("timed out"));
    QVERIFY(!host.countdownRunning());
    QVERIFY(!failing.running());
    QTest::qWait(50);
    QVERIFY(!host.panel1().shown());
    QCOMPARE(failing.sent.size(), 1);

    // a new start while the cancelled run's request is out: a fresh component,
    // no countdown, no retry used up
    ScriptedJob again(host, RequestJob::TransportRule::Countdown);
    again.start(ids(41));
    host.cancelSourceSide();
    again.start(ids(41));
    QCOMPARE(again.replaced, 1);
    QCOMPARE(again.sent.size(), 2);
    QVERIFY(again.running() && !again.wasCancelled());
    QVERIFY(!host.countdownRunning());
    QCOMPARE(host.errorCount(), 0);
    again.reply();
    QTRY_COMPARE(again.sent.size(), 3);
    QVERIFY(ui.messages().isEmpty());
}

void RequestJobTest::temporaryRefusalsAreWaitedOutFiveTimes()
{
    QCOMPARE(RequestJob::TemporaryWait(ban(42)), 42);
    QCOMPARE(RequestJob::TemporaryWait(ban(300)), 300);
    QCOMPARE(RequestJob::TemporaryWait(ban(301)), -1); // a longer ban ends the job
    QCOMPARE(RequestJob::TemporaryWait(refusal(7, QString(), QStringLiteral("This ban will last 5 more seconds"))), 5);
    QCOMPARE(RequestJob::TemporaryWait(refusal(7, QStringLiteral("x"), QString())), -1);
    QCOMPARE(RequestJob::TemporaryWait(refusal(15, QStringLiteral("isp.top-remote-connection-timeout"), QString())), 10);
    QCOMPARE(RequestJob::TemporaryWait(refusal(15, QStringLiteral("isp.remote-service-timeout"), QString())), 10);
    QCOMPARE(RequestJob::TemporaryWait(refusal(15, QStringLiteral("isv.item-not-exist"), QString())), -1);

    ScriptedInteraction ui;
    JobHost host(ui);
    ScriptedJob job(host, RequestJob::TransportRule::Countdown);
    job.start(ids(30));
    QVERIFY(!job.refuse(ban(3)));
    QCOMPARE(host.panel1().retryText(), QStringLiteral("重试 = 3"));
    QTRY_COMPARE(job.sent.size(), 2); // the same batch again
    QCOMPARE(job.sent.at(1), job.sent.at(0));
    QVERIFY(!job.refuse(refusal(15, QStringLiteral("isp.remote-service-timeout"), QString())));
    QCOMPARE(host.panel1().retryText(), QStringLiteral("重试 = 10"));
    QTRY_COMPARE(job.sent.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!job.refuse(ban(1)));
        QTRY_COMPARE(job.sent.size(), 4 + i);
    }
    QCOMPARE(host.errorCount(), 0); // the network's retries are still all there
    QVERIFY(ui.messages().isEmpty());
    QVERIFY(job.refuse(ban(1))); // the sixth ends the job as any error reply
    QCOMPARE(ui.messages(), QStringList{ban(1).message});
    QVERIFY(!job.running() && !host.panel1().shown());

    // another error reply ends the job at once
    ScriptedJob other(host, RequestJob::TransportRule::Countdown);
    other.start(ids(30));
    QVERIFY(other.refuse(ban(600)));
    QVERIFY(!other.running() && !host.countdownRunning());
}

void RequestJobTest::rowWalkUnticksDoneRowsInListOrder()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ListModel model;
    std::vector<ListRow> rows;
    for (int i = 0; i < 10; ++i) {
        ListRow r;
        r.caption = QString::number(i);
        r.cells = {QStringLiteral("item") + QString::number(i), QString::number(i)};
        r.checked = i != 1 && i != 5; // 8 ticked rows
        rows.push_back(r);
    }
    model.setRows(rows);
    RowJob job(host, model);
    QVERIFY(job.start());
    QCOMPARE(job.rowTotal(), 8);
    job.reply();
    QTRY_COMPARE(job.sent.size(), 2);
    job.reply();
    QTRY_COMPARE(job.sent.size(), 3);
    QCOMPARE(job.sent, (QList<int>{0, 2, 3}));
    QCOMPARE(job.captions, (QStringList{QStringLiteral("正在上传...(0%)"), QStringLiteral("正在上传...(12%)"),
                                        QStringLiteral("正在上传...(25%)")}));
    // an error reply on the third row: it and the rows after it stay ticked
    QVERIFY(job.refuse(refusal(27, QStringLiteral("invalid-sessionkey"), QString())));
    QCOMPARE(model.checkedRows(), (std::vector<int>{3, 4, 6, 7, 8, 9}));
    QVERIFY(!job.running());
    QCOMPARE(job.finished, 0);

    // the sent-item list: rows of an item already sent are done without a request
    for (int r : {4, 6})
        model.setCell(r, 0, QStringLiteral("item3"));
    RowJob items(host, model);
    QVERIFY(items.start(true));
    for (int i = 0; i < 4; ++i) {
        QTRY_COMPARE(items.sent.size(), i + 1);
        items.reply();
    }
    QTRY_COMPARE(items.finished, 1);
    QCOMPARE(items.sent, (QList<int>{3, 7, 8, 9}));
    QCOMPARE(items.skipped, (QList<int>{4, 6}));
    QCOMPARE(model.checkedCount(), 0);

    RowJob none(host, model);
    QVERIFY(!none.start());
    QVERIFY(!host.busy());
}

QTEST_GUILESS_MAIN(RequestJobTest)
#include "request_job_test.moc"
