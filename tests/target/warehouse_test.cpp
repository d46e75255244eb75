// The warehouse list: planning and clearing listing times, the remaining
// times, the views, and the download, the planned-time upload and the
// immediate listing against the stand-in.
#include "TestRig.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/UploadJournal.h"
#include "sync/ShopJobs.h"
#include "top/TopClient.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kSeller = QStringLiteral("sandbox_c_1");

void addItem(TestRig &rig, const QString &title, const QString &code, const QString &numIid,
             const QString &delist = QStringLiteral("2012-07-01 10:00:00"))
{
    QSqlQuery q(rig.db());
    q.prepare(QStringLiteral("insert into TB_Object_Inventory(title,outer_id,num_iid,nick,num,price,list_time,"
                             "delist_time,approve_status,valid_thru,has_showcase) values(?,?,?,?,3,9.5,"
                             "'2012-06-24 10:00:00',?,'instock',7,' true ')"));
    for (const QString &v : {title, code, numIid, kSeller, delist})
        q.addBindValue(v);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

QStringList texts(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *t : list)
        out << QString::fromUtf8(t);
    return out;
}

QStringList planned(const ListModel &m)
{
    QStringList out;
    for (const ListRow &r : m.rows())
        out << r.cells.value(WhPlanned);
    return out;
}

ShopRowJob::Outcome run(TestRig &rig, ShopRowJob &job, const std::function<bool()> &start)
{
    rig.ui.answerQuestion(true);
    QSignalSpy ended(&job, &ShopRowJob::ended);
    if (!start())
        return ShopRowJob::Outcome::NothingToDo;
    return ended.wait(20000) ? job.outcome() : ShopRowJob::Outcome::Cancelled;
}

} // namespace

class WarehouseTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.05); }
    void cleanup()
    {
        Intervals::setScale(1.0);
        Clock::reset();
    }

    void listPlanAndClear()
    {
        TestRig rig;
        QVERIFY(rig.open());
        Clock::setNow(QDateTime(QDate(2012, 6, 30), QTime(3, 50)));
        addItem(rig, QStringLiteral("渔夫帽 Bob's 同款"), QStringLiteral("H1"), QStringLiteral("1"));
        addItem(rig, QStringLiteral("衬衫"), QStringLiteral("S1"), QStringLiteral("2"), QStringLiteral("2012-06-29 17:40:00"));
        addItem(rig, QStringLiteral("长裤"), QStringLiteral("S1"), QStringLiteral("3"));
        addItem(rig, QStringLiteral("短裤"), QStringLiteral("P1"), QStringLiteral("4"));
        ShopJobs &jobs = rig.app->shopJobs();
        WarehouseList &list = jobs.warehouse;
        ListModel &m = jobs.warehouseModel;
        list.account = QStringLiteral("SANDBOX_C_1");
        QVERIFY(list.GetData_TB_Object_inventory(QString()));
        QCOMPARE(m.count(), 4);
        QCOMPARE(list.totalsText(), QStringLiteral("  当前仓库显示 4  项"));
        // the apostrophe is stored and listed unchanged; the remaining time counts either way
        QCOMPARE(m.row(0).caption, QStringLiteral("渔夫帽 Bob's 同款"));
        QCOMPARE(m.row(0).cells.value(WhRemaining), QStringLiteral("1天6小时10分钟"));
        QCOMPARE(m.row(1).cells.value(WhRemaining), QStringLiteral("0天10小时10分钟"));
        QCOMPARE(m.row(0).cells.value(WhShowcase), QStringLiteral("已推荐"));
        QCOMPARE(m.row(0).cells.value(WhStatus), QStringLiteral("已下架"));
        QCOMPARE(m.checkedCount(), 0);
        QVERIFY(list.GetData_TB_Object_inventory(QStringLiteral("'s")));
        QCOMPARE(m.count(), 1);

        // the stock list: one row per stock-list row of the code
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("insert into TB_Source_Stock(outer_id,num) values('S1',1)")));
        QVERIFY(q.exec(QStringLiteral("insert into TB_Source_Stock(outer_id,num) values('S1',2)")));
        list.view = WarehouseView::StockList;
        QVERIFY(list.GetData_TB_Object_inventory(QString()));
        QCOMPARE(m.count(), 4);
        list.view = WarehouseView::All;
        QVERIFY(list.GetData_TB_Object_inventory(QString()));

        // 21:50, 5 minutes, window to 22:00, from the bottom row up
        rig.ui.clear();
        m.setAllChecked(true);
        rig.ui.answerQuestion(true);
        list.RzToolButton3Click(QDateTime(QDate(2012, 6, 29), QTime(21, 50)), 5, QTime(22, 0));
        QCOMPARE(planned(m), texts({"2012-06-30 21:50:00", "2012-06-29 22:00:00", "2012-06-29 21:55:00",
                                          "2012-06-29 21:50:00"}));
        // a start after the window's end: a day each
        m.setChecked(1, false);
        rig.ui.answerQuestion(true);
        list.RzToolButton3Click(QDateTime(QDate(2012, 6, 29), QTime(23, 0)), 5, QTime(22, 0));
        QCOMPARE(planned(m), texts({"2012-07-01 23:00:00", "2012-06-29 22:00:00", "2012-06-30 23:00:00",
                                          "2012-06-29 23:00:00"}));
        // clearing works on the selection, not on the ticks
        rig.ui.answerQuestion(true);
        list.N74Click({0, 1});
        QCOMPARE(planned(m), texts({"", "", "2012-06-30 23:00:00", "2012-06-29 23:00:00"}));
        m.setAllChecked(false);
        list.RzToolButton3Click(QDateTime(QDate(2012, 6, 29), QTime(23, 0)), 5, QTime(22, 0));
        QCOMPARE(rig.ui.messages().last(), QStringLiteral("请勾选要定义\"计划上架时间\"的宝贝"));

        list.CopyText_Inventory({2, 0}, WhValidThru);
        QCOMPARE(rig.desktop.clipboardText(), QStringLiteral("7\r\n7"));
        list.CopyText_Inventory({1}, WhNick);
        QCOMPARE(rig.desktop.clipboardText(), kSeller);
        QCOMPARE(list.exportLines({0}).last(),
                 QStringLiteral("渔夫帽 Bob's 同款,H1,2012-06-24 10:00:00,2012-07-01 10:00:00,1天6小时10分钟,,已推荐,7,3,9.5,"
                                "1,,已下架,sandbox_c_1"));
        // a comma or a quote in a field is quoted: the later columns stay in place
        m.setCell(1, WhOuterId, QStringLiteral("S1,\"大\""));
        QCOMPARE(list.exportLines({1}).last().section(QLatin1Char(','), 0, 2),
                 QStringLiteral("衬衫,\"S1,\"\"大\"\"\""));

        // delete reloads with the keyword it was given, trimmed
        QVERIFY(list.GetData_TB_Object_inventory(QStringLiteral("裤")));
        QCOMPARE(m.count(), 2);
        rig.ui.answerQuestion(true);
        list.deleteRows({0}, 0, QStringLiteral(" 裤 "));
        QCOMPARE(m.count(), 1);
        QVERIFY(m.row(0).caption.contains(QStringLiteral("裤")));
    }

    void downloadPlanUploadAndListAtOnce()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        rig.app->client().setSessionKey(rig.sandbox.sessionFor(kSeller));
        QVERIFY(rig.sandbox.setApproveStatus(610000003009, QStringLiteral("instock")));
        ShopJobs &jobs = rig.app->shopJobs();
        ListModel &m = jobs.warehouseModel;
        jobs.warehouse.account = kSeller;
        QCOMPARE(run(rig, jobs.warehouseDownload, [&] { return jobs.warehouseDownload._inventoryClick(QStringLiteral(" "), 1, 200); }),
                 ShopRowJob::Outcome::Completed);
        QCOMPARE(rig.ui.messages().last(), QStringLiteral("完成\"下载仓库宝贝列表\",请确认."));
        const auto call = rig.sandbox.calls(QStringLiteral("taobao.items.inventory.get")).first();
        QVERIFY(!call.hasParam(QStringLiteral("q")));
        QCOMPARE(call.param(QStringLiteral("page_size")), QStringLiteral("200"));
        QCOMPARE(m.count(), 3);
        QStringList titles;
        for (const ListRow &r : m.rows())
            titles << r.caption;
        QVERIFY(titles.contains(QStringLiteral("渔夫帽 Bob's 同款 春夏")));

        // planned times for two rows, one of them cleared: one request
        m.setChecked(0, true);
        m.setChecked(1, true);
        m.setCell(0, WhPlanned, QStringLiteral("2026-12-20 21:00:00"));
        const QString oldListTime = m.row(0).cells.value(WhListTime);
        QCOMPARE(run(rig, jobs.listTimes, [&] { return jobs.listTimes._planuploadClick(kSeller); }),
                 ShopRowJob::Outcome::Completed);
        const auto updates = rig.sandbox.calls(QStringLiteral("taobao.item.update"));
        QCOMPARE(updates.size(), 1);
        QCOMPARE(updates.first().param(QStringLiteral("list_time")), QStringLiteral("2026-12-20 21:00:00"));
        QCOMPARE(m.row(0).cells.value(WhListTime), QStringLiteral("2026-12-20 21:00:00"));
        QCOMPARE(m.row(0).cells.value(WhPlanned), QString());
        QCOMPARE(rig.ui.messages().last(), QStringLiteral("完成执行上传计划上架时间,请确认."));
        const JournalEntry planned = UploadJournal(rig.db()).read().last();
        QCOMPARE(planned.kind, QStringLiteral("list_time"));
        QCOMPARE(planned.before, oldListTime);

        // listed at once: gone from the table and the list
        const QString listed = m.row(2).cells.value(WhNumIid);
        m.setChecked(2, true);
        QCOMPARE(run(rig, jobs.warehouseListing, [&] { return jobs.warehouseListing._onsaleUploadClick(); }),
                 ShopRowJob::Outcome::Completed);
        QCOMPARE(rig.sandbox.approveStatus(listed.toLongLong()), QStringLiteral("onsale"));
        QCOMPARE(m.count(), 2);
        for (const ListRow &r : m.rows())
            QVERIFY(r.cells.value(WhNumIid) != listed);
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Object_Inventory")) && q.next());
        QCOMPARE(q.value(0).toInt(), 2);

        // a network failure of the download: its message, the table kept
        rig.sandbox.injectFault(QStringLiteral("taobao.items.inventory.get"), topsandbox::Fault::closeConnection(), 5);
        QCOMPARE(run(rig, jobs.warehouseDownload, [&] { return jobs.warehouseDownload._inventoryClick(QString(), 1, 200); }),
                 ShopRowJob::Outcome::NetworkError);
        QCOMPARE(rig.ui.messages().last(), QStringLiteral("网络通讯错误,请稍候重试."));
        QVERIFY(!rig.app->jobs().busy());
        QCOMPARE(m.count(), 2);
    }
};

QTEST_GUILESS_MAIN(WarehouseTest)
#include "warehouse_test.moc"
