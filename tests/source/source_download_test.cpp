#include "TestDataDir.h"
#include "app/BuiltinAppKey.h"
#include "base/Clock.h"
#include "jobs/RequestJob.h"
#include "lists/ItemLists.h"
#include "TopSandbox.h"
#include "source/SourceDownload.h"
#include "store/Parameters.h"
#include "store/Settings.h"
#include "top/Endpoints.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

using topsandbox::Fault;
using topsandbox::TopSandbox;

namespace {

// One supplier shop: an item with three SKUs, one without SKUs, one in the
// warehouse with a custom code set in the list.
const QString kFixture = QStringLiteral(STOCKSYNC_TEST_DATA "/source/supplier.json");

struct Rig
{
    TestDataDir d;
    TopSandbox sandbox;
    std::unique_ptr<JobHost> host;
    TopClient client;
    std::unique_ptr<SourceDownloadJob> job;
    QStringList captions;

    bool open(bool generated, int items = 0)
    {
        if (generated) {
            topsandbox::GenerateOptions g;
            g.shops = 1;
            g.items = items;
            g.skus = 0;
            sandbox.generate(g);
        } else if (!sandbox.loadFixture(kFixture)) {
            return false;
        }
        if (sandbox.start(0) <= 0 || !d.open())
            return false;
        client.setAppKey(BuiltinAppKey(), BuiltinAppSecret());
        client.setEndpoints(TopEndpoints::onBase(sandbox.baseUrl()));
        host = std::make_unique<JobHost>(d.ui);
        job = std::make_unique<SourceDownloadJob>(*host, client, d.db());
        QObject::connect(&host->panel1(), &ProgressPanelState::captionSet, &host->panel1(),
                         [this](const QString &c) { captions << c; });
        return true;
    }

    void list(const QStringList &ids)
    {
        QString error;
        QVERIFY2(ItemLists(d.db()).addItems(ItemLists::SourceList, ids, &error) >= 0, qPrintable(error));
    }

    QStringList generatedIds(int n) const
    {
        QStringList out;
        const QList<qint64> ids = sandbox.itemIds(sandbox.nicks().value(0));
        for (int i = 0; i < n && i < ids.size(); ++i)
            out << QString::number(ids.at(i));
        return out;
    }

    int count(const QString &sql) const
    {
        QSqlQuery q(d.db());
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

    // the rows and time of an earlier complete download
    void previousDownload()
    {
        QSqlQuery q(d.db());
        QVERIFY(q.exec(QStringLiteral("insert into TB_Source(title,num_iid) values('earlier','1')")));
        SetParam(d.db(), 1, QStringLiteral("2026/01/01 00:00:00"));
    }
    bool previousDownloadKept() const
    {
        return count(QStringLiteral("select count(*) from TB_Source")) == 1 &&
               count(QStringLiteral("select count(*) from TB_Source where title='earlier'")) == 1 &&
               GetParam(d.db(), 1) == QStringLiteral("2026/01/01 00:00:00");
    }

    bool runToEnd()
    {
        QSignalSpy ended(job.get(), &SourceDownloadJob::ended);
        if (!job->FromDownloadClick())
            return false;
        return ended.wait(20000);
    }
};

QList<int> batchSizes(const TopSandbox &sandbox)
{
    QList<int> sizes;
    for (const auto &call : sandbox.calls(QStringLiteral("taobao.items.list.get")))
        sizes << int(call.param(QStringLiteral("num_iids")).split(QLatin1Char(',')).size());
    return sizes;
}

} // namespace

class SourceDownloadTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // the components wait 10 s for the platform: 1 s here, a tenth of every interval
    void init() { Intervals::setScale(0.1); }
    void cleanup()
    {
        Intervals::setScale(1.0);
        Clock::reset();
    }
    void batchesOfTwentyWithTheirCaptions_data();
    void batchesOfTwentyWithTheirCaptions();
    void nothingTickedDeletesNothing();
    void storesEverySkuAndKeepsTheListCurrent();
    void errorReplyOnTheSecondBatchKeepsThePreviousDownload();
    void cancelStoresTheReplyInFlightAndSendsNothingMore();
    void refusedConnectionsGiveFiveCountdownsThenTheMessage();
    void temporaryRefusalsAreWaitedOut();
    void easySizesFollowTheSettingDuringADownload();
    void databaseErrorStopsWithThePanelShown();
    void refusedIdsAreSplitOutMarkedAndTheRestCompletes();
};

void SourceDownloadTest::batchesOfTwentyWithTheirCaptions_data()
{
    QTest::addColumn<int>("ids");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("41") << 41 << QList<int>{20, 20, 1};
    QTest::newRow("45") << 45 << QList<int>{20, 20, 5};
}

void SourceDownloadTest::batchesOfTwentyWithTheirCaptions()
{
    QFETCH(int, ids);
    QFETCH(QList<int>, sizes);
    Rig rig;
    QVERIFY(rig.open(true, ids));
    rig.list(rig.generatedIds(ids));
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Completed);
    QCOMPARE(batchSizes(rig.sandbox), sizes);
    for (const auto &call : rig.sandbox.calls())
        QVERIFY(call.signatureValid);
    QCOMPARE(rig.captions.mid(0, 3), (QStringList{QStringLiteral("正在下载源宝贝库存数据...(0%)"),
                                                  QStringLiteral("正在下载源宝贝库存数据...(33%)"),
                                                  QStringLiteral("正在下载源宝贝库存数据...(67%)")}));
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), ids);
    QVERIFY(!rig.host->busy());
    QCOMPARE(rig.d.ui.messages().last(), QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
}

void SourceDownloadTest::nothingTickedDeletesNothing()
{
    Rig rig;
    QVERIFY(rig.open(false));
    rig.list({QStringLiteral("800001")});
    QSqlQuery q(rig.d.db());
    QVERIFY(q.exec(QStringLiteral("update TB_URL set bCheck=0")));
    QVERIFY(q.exec(QStringLiteral("insert into TB_Source(title,num_iid) values('old','1')")));
    QVERIFY(!rig.job->FromDownloadClick());
    QCOMPARE(rig.d.ui.messages(), QStringList{QStringLiteral("没有配置源下载源,请进入<配置源下载源>进行配置勾选")});
    QVERIFY(rig.d.ui.last()->icon == Interaction::Icon::Warning);
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), 1);
    QCOMPARE(rig.sandbox.callCount(), 0);
    QVERIFY(!rig.host->busy());

    // a list that cannot be read is a database error, not an empty list
    QVERIFY(q.exec(QStringLiteral("alter table TB_URL rename to TB_URL_gone")));
    QVERIFY(!rig.job->FromDownloadClick());
    QVERIFY(rig.d.ui.last()->icon == Interaction::Icon::Error);
    QVERIFY(rig.d.ui.messages().last().contains(QStringLiteral("TB_URL"), Qt::CaseInsensitive));
    QVERIFY(!rig.host->busy());
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), 1);
}

void SourceDownloadTest::storesEverySkuAndKeepsTheListCurrent()
{
    Rig rig;
    QVERIFY(rig.open(false));
    rig.list({QStringLiteral("800001"), QStringLiteral("800002"), QStringLiteral("800003")});
    QSqlQuery q(rig.d.db());
    // 800002: the entry already has a code and the status is unchanged: its code stays
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id='KEEP', approve_status='onsale' where num_iid='800002'")));
    // 800003: it had a code but its status changed: the item's code comes in
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id='OLD', approve_status='onsale', outer_id2='null' "
                                  "where num_iid='800003'")));
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id2=' A100 ' where num_iid='800001'")));
    QVERIFY(q.exec(QStringLiteral("insert into TB_Source(title,num_iid) values('stale','1')")));
    SetParam(rig.d.db(), 6, QStringLiteral("1"));
    const QDateTime start(QDate(2026, 12, 9), QTime(7, 30, 0));
    Clock::setNow(start);
    rig.sandbox.setClock([start] { return start; });

    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.d.ui.messages().join(QLatin1Char('\n')), QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Completed);
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source where num_iid='1'")), 0);
    // three SKUs, three rows, all with the custom code
    QVERIFY(q.exec(QStringLiteral("select outer_id,color,sku,num,price,outer_id_sku,sku_id,oldcode,is_fenxiao,nick,"
                                  "title,sku_properties from TB_Source where num_iid='800001' order by sku_id")));
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 12; ++i)
            cells << q.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, (QStringList{
                       QStringLiteral("A100|红色|尺码:S|10|99|C100-R-S|9001|H-1|1|supplier_1|Tom's 外套|1627207:1;20509:1"),
                       QStringLiteral("A100|红色|尺码:M|12|99.5|C100-R-M|9002|H-1|1|supplier_1|Tom's 外套|1627207:1;20509:2"),
                       QStringLiteral("A100|蓝色|尺码:S|8|99|C100-B-S|9003|H-1|1|supplier_1|Tom's 外套|1627207:2;20509:1")}));
    // items without SKUs: one row each; "null" empties the code
    QVERIFY(q.exec(QStringLiteral("select num_iid,outer_id,num,price,approve_status,sku_id from TB_Source "
                                  "where num_iid<>'800001' order by num_iid")));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString() + QLatin1Char('|') + q.value(2).toString() + QLatin1Char('|') + q.value(3).toString(),
             QStringLiteral("D200|7|30"));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QString());
    QCOMPARE(q.value(4).toString(), QStringLiteral("instock"));
    QVERIFY(!q.next());

    QVERIFY(q.exec(QStringLiteral("select num_iid,outer_id,title,nick,approve_status from TB_URL order by num_iid")));
    QStringList entries;
    while (q.next())
        entries << QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(), q.value(4).toString()}
                       .join(QLatin1Char('|'));
    QCOMPARE(entries, (QStringList{QStringLiteral("800001|C100|Tom's 外套|supplier_1|onsale"),
                                   QStringLiteral("800002|KEEP|||onsale"),
                                   QStringLiteral("800003|E300|帽子|supplier_1|instock")}));
    // NM 1 holds the job's start
    QCOMPARE(GetParam(rig.d.db(), 1), QStringLiteral("2026/12/09 07:30:00"));
}

void SourceDownloadTest::errorReplyOnTheSecondBatchKeepsThePreviousDownload()
{
    Intervals::setScale(1.0); // 200 ms between batches: time to arm the fault
    Rig rig;
    QVERIFY(rig.open(true, 30));
    rig.list(rig.generatedIds(30));
    rig.previousDownload();
    QSignalSpy ended(rig.job.get(), &SourceDownloadJob::ended);
    QVERIFY(rig.job->FromDownloadClick());
    QTRY_COMPARE(rig.count(QStringLiteral("select count(*) from TB_Source_Download")), 20);
    // a ban longer than five minutes is not waited out
    rig.sandbox.injectFault(QStringLiteral("taobao.items.list.get"),
                            Fault::error(7, QStringLiteral("accesscontrol.limited-by-app-api-access-count"),
                                         QStringLiteral("This ban will last for 600 more seconds")));
    QVERIFY(ended.wait(10000));
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::ErrorReply);
    QCOMPARE(rig.d.ui.messages().size(), 1);
    QVERIFY(rig.d.ui.messages().first().startsWith(QStringLiteral("下载失败.\r\n错误原因: 调用开放平台的次数已达上限")));
    QVERIFY(rig.d.ui.messages().first().endsWith(
        QStringLiteral("平台原文: App Call Limited, accesscontrol.limited-by-app-api-access-count, "
                       "This ban will last for 600 more seconds")));
    QVERIFY(rig.previousDownloadKept());
    QVERIFY(!rig.host->busy());
}

void SourceDownloadTest::cancelStoresTheReplyInFlightAndSendsNothingMore()
{
    Rig rig;
    QVERIFY(rig.open(true, 45));
    rig.list(rig.generatedIds(45));
    rig.previousDownload();
    QSignalSpy ended(rig.job.get(), &SourceDownloadJob::ended);
    QVERIFY(rig.job->FromDownloadClick());
    rig.host->cancelSourceSide(); // the first request is on its way
    rig.host->clearCancel();      // "刷新" before its reply arrives
    QVERIFY(!rig.host->panel1().shown());
    QTRY_COMPARE(rig.count(QStringLiteral("select count(*) from TB_Source_Download")), 20);
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Cancelled);
    QTest::qWait(100);
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.list.get")), 1);
    QVERIFY(!rig.host->busy());
    QVERIFY(rig.previousDownloadKept());
    QVERIFY(rig.d.ui.messages().isEmpty());

    // started again at once, while a cancelled request is still out: it runs
    // to the end without a countdown
    rig.sandbox.injectFault(QStringLiteral("taobao.items.list.get"), Fault::delay(300));
    QVERIFY(rig.job->FromDownloadClick());
    rig.host->cancelSourceSide();
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Completed);
    QCOMPARE(rig.host->errorCount(), 0);
    QVERIFY(!rig.host->panel1().retryShown());
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), 45);
}

void SourceDownloadTest::refusedConnectionsGiveFiveCountdownsThenTheMessage()
{
    Rig rig;
    QVERIFY(rig.open(true, 3));
    rig.list(rig.generatedIds(3));
    rig.previousDownload();
    // a port where nothing listens any more
    const QString base = rig.sandbox.baseUrl();
    rig.sandbox.stop();
    rig.client.setEndpoints(TopEndpoints::onBase(base));
    QStringList retries;
    connect(&rig.host->panel1(), &ProgressPanelState::changed, this, [&] {
        if (rig.host->panel1().retryShown() && retries.value(retries.size() - 1) != rig.host->panel1().retryText())
            retries << rig.host->panel1().retryText();
        else if (!rig.host->panel1().retryShown() && !retries.isEmpty() && retries.last() != QStringLiteral("-"))
            retries << QStringLiteral("-");
    });
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::NetworkGaveUp);
    QStringList oneCountdown;
    for (int i = 10; i >= 1; --i)
        oneCountdown << QStringLiteral("重试 = ") + QString::number(i);
    oneCountdown << QStringLiteral("-");
    QCOMPARE(retries, oneCountdown + oneCountdown + oneCountdown + oneCountdown + oneCountdown);
    QCOMPARE(rig.d.ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QVERIFY(!rig.host->panel1().shown() && !rig.host->panel2().shown());
    QCOMPARE(rig.host->errorCount(), 5);
    QVERIFY(rig.previousDownloadKept());
    // why, in the debug memo, once per failure
    QCOMPARE(rig.host->debugLines().size(), 6);
    QVERIFY(rig.host->debugLines().first().size() > QStringLiteral("网络通讯错误: ").size());
    // the replaced component is set up as the window's components are
    QCOMPARE(rig.job->component()->Agent(), TWinHTTP::browserAgent());
    QCOMPARE(rig.job->component()->ConnectTimeout(), 10000);
    QCOMPARE(rig.job->component()->SendTimeout(), 10000);
    QCOMPARE(rig.job->component()->ReceiveTimeout(), 10000);
}

void SourceDownloadTest::temporaryRefusalsAreWaitedOut()
{
    Rig rig;
    QVERIFY(rig.open(true, 3));
    rig.list(rig.generatedIds(3));
    rig.sandbox.injectFault(QStringLiteral("taobao.items.list.get"),
                            Fault::error(7, QStringLiteral("accesscontrol.limited-by-app-api-access-count"),
                                         QStringLiteral("This ban will last for 4 more seconds")));
    rig.sandbox.injectFault(QStringLiteral("taobao.items.list.get"),
                            Fault::error(15, QStringLiteral("isp.top-remote-connection-timeout")));
    QStringList retries;
    connect(&rig.host->panel1(), &ProgressPanelState::changed, this, [&] {
        if (rig.host->panel1().retryShown() && retries.value(retries.size() - 1) != rig.host->panel1().retryText())
            retries << rig.host->panel1().retryText();
    });
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Completed);
    QCOMPARE(retries.first(), QStringLiteral("重试 = 4"));
    QVERIFY(retries.contains(QStringLiteral("重试 = 10")));
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.list.get")), 3);
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), 3);
    QCOMPARE(rig.d.ui.messages(), QStringList{QStringLiteral("完成\"下载源宝贝库存数据\",请确认.")});
}

void SourceDownloadTest::easySizesFollowTheSettingDuringADownload()
{
    Rig rig;
    QVERIFY(rig.open(false));
    const QString reply = QString::fromUtf8(rig.sandbox.handleForm(rig.sandbox.signedForm(
        QStringLiteral("taobao.items.list.get"),
        {{QStringLiteral("fields"), TopClient::fieldsF1()}, {QStringLiteral("num_iids"), QStringLiteral("800001")}})));
    const QString size = QStringLiteral("select sku from TB_Source_Download where sku_id='9001' order by Uniqid desc");
    QVERIFY(Settings(rig.d.db()).setFlag(Setting::EasySku, false));
    QVERIFY(rig.job->ProcessXML_Source(reply));
    QSqlQuery q(rig.d.db());
    QVERIFY(q.exec(size) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("1627207:1:颜色分类:红色;20509:1:尺码:S"));
    QVERIFY(Settings(rig.d.db()).setFlag(Setting::EasySku, true));
    QVERIFY(rig.job->ProcessXML_Source(reply));
    QVERIFY(q.exec(size) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("尺码:S"));
}

void SourceDownloadTest::databaseErrorStopsWithThePanelShown()
{
    Rig rig;
    QVERIFY(rig.open(false));
    rig.list({QStringLiteral("800001"), QStringLiteral("800002")});
    rig.previousDownload();
    // the database refuses the second item's row
    QSqlQuery q(rig.d.db());
    QVERIFY(q.exec(QStringLiteral("create trigger refuse before insert on TB_Source_Download when new.num_iid='800002' "
                                  "begin select raise(abort, 'disk full'); end")));
    QSignalSpy ended(rig.job.get(), &SourceDownloadJob::ended);
    QVERIFY(rig.job->FromDownloadClick());
    QVERIFY(ended.wait(5000));
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::DatabaseError);
    QVERIFY(rig.host->panel1().shown()); // until the user cancels
    QVERIFY(rig.host->debugLines().last().contains(QStringLiteral("disk full")));
    QVERIFY(rig.host->debugLines().last().contains(QStringLiteral("Insert Into TB_Source_Download(")));
    QVERIFY(rig.previousDownloadKept());
    rig.host->cancelSourceSide();
    QVERIFY(!rig.host->busy());

    // every reply stored, but putting them in place fails: the custom codes,
    // TB_Source and NM 1 all stay as they were, and it is not reported done
    QVERIFY(q.exec(QStringLiteral("drop trigger refuse")));
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id2='A100' where num_iid='800001'")));
    QVERIFY(q.exec(QStringLiteral("create trigger refuse before insert on TB_Source when new.num_iid='800002' "
                                  "begin select raise(abort, 'disk full'); end")));
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::DatabaseError);
    QVERIFY(rig.host->panel1().shown());
    QVERIFY(rig.host->debugLines().last().contains(QStringLiteral("Insert Into TB_Source(")));
    QVERIFY(rig.d.ui.messages().isEmpty());
    QVERIFY(rig.previousDownloadKept());
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source_Download where outer_id='A100'")), 0);
    rig.host->cancelSourceSide();

    // a failing custom-code step ends the same way
    QVERIFY(q.exec(QStringLiteral("drop trigger refuse")));
    QVERIFY(q.exec(QStringLiteral("create trigger refuse before update on TB_Source_Download "
                                  "begin select raise(abort, 'disk full'); end")));
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::DatabaseError);
    QVERIFY(rig.host->debugLines().last().contains(QStringLiteral("update TB_Source_Download set outer_id=?")));
    QVERIFY(rig.d.ui.messages().isEmpty());
    QVERIFY(rig.previousDownloadKept());
}


void SourceDownloadTest::refusedIdsAreSplitOutMarkedAndTheRestCompletes()
{
    Rig rig;
    QVERIFY(rig.open(true, 24));
    // the longest id the platform takes (a signed 64-bit Number) is sent like any other
    rig.list(rig.generatedIds(24) << QStringLiteral("9223372036854775807"));
    rig.previousDownload();
    // an id no Number holds, as an older list may carry: the platform refuses its whole batch
    QSqlQuery q(rig.d.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_URL(Tag,bCheck,uGroup,num_iid) "
                                  "select Tag,1,uGroup,'92233720368547758070' from TB_URL limit 1")));
    QVERIFY(rig.runToEnd());
    QCOMPARE(rig.job->outcome(), SourceDownloadJob::Outcome::Completed);
    QCOMPARE(rig.job->refusedIds(), QStringList{QStringLiteral("92233720368547758070")});
    // the refused batch goes again in halves until the refused id stands alone
    QCOMPARE(batchSizes(rig.sandbox), (QList<int>{20, 6, 3, 3, 2, 1}));
    // every valid item came, and the download replaced the previous one
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_Source")), 24);
    QVERIFY(GetParam(rig.d.db(), 1) != QStringLiteral("2026/01/01 00:00:00"));
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_URL where refused<>''")), 1);
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_URL where refused<>'' and "
                                      "num_iid='92233720368547758070'")),
             1);
    // the seller is told which id, as a warning rather than a plain success
    QVERIFY(rig.d.ui.last()->icon == Interaction::Icon::Warning);
    QVERIFY(rig.d.ui.messages().last().contains(QStringLiteral("92233720368547758070")));
    QVERIFY(rig.d.ui.messages().last().contains(QStringLiteral("Invalid arguments:num_iids")));
    QVERIFY(!rig.host->busy());

    // once the entry is gone from the ticked list, the next download clears nothing else and refuses nothing
    QVERIFY(q.exec(QStringLiteral("update TB_URL set bCheck=0 where num_iid='92233720368547758070'")));
    QVERIFY(rig.runToEnd());
    QVERIFY(rig.job->refusedIds().isEmpty());
    QCOMPARE(rig.d.ui.messages().last(), QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
    QCOMPARE(rig.count(QStringLiteral("select count(*) from TB_URL where refused<>''")), 1);
}

QTEST_GUILESS_MAIN(SourceDownloadTest)
#include "source_download_test.moc"
