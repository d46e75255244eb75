#include "TestRig.h"
#include "jobs/RequestJob.h"
#include "store/Parameters.h"
#include "target/TargetBySource.h"
#include "top/TopClient.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

int count(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

QStringList column(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    QStringList out;
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

// Source rows carrying the SKU merchant codes, and the seller logged in.
void prepare(TestRig &rig, const QStringList &skuCodes)
{
    QSqlQuery q(rig.db());
    for (const QString &code : skuCodes) {
        q.prepare(QStringLiteral("insert into TB_Source(title,outer_id_sku,num_iid) values('s',?,'1')"));
        q.addBindValue(code);
        QVERIFY(q.exec());
    }
    rig.app->client().setSessionKey(QStringLiteral("sandbox-session-c-1"));
    TargetBySourceJob &job = rig.app->targetBySource();
    job.setAccount(QStringLiteral("sandbox_c_1"));
    job.setMatchingKey([] { return 1; });
}

bool run(TestRig &rig)
{
    rig.ui.answerQuestion(true);
    QSignalSpy ended(&rig.app->targetBySource(), &TargetBySourceJob::ended);
    if (!rig.app->targetBySource().DownloadClick())
        return false;
    return ended.wait(20000);
}

} // namespace

class TargetBySourceTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }
    void eachCodeAskedOnceEachItemStoredOnce();
    void refusedWhileATargetListExists();
    void fourImmediateRetriesThenThePreviousDownloadStays();
};

void TargetBySourceTest::eachCodeAskedOnceEachItemStoredOnce()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    prepare(rig, {QStringLiteral(" T100"), QStringLiteral("B400"), QStringLiteral("T100"), QStringLiteral("NOPE"),
                  QStringLiteral("T100 ")});
    SetParam(rig.db(), 1, QStringLiteral("2026/01/01 00:00:00"));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('sandbox_c_1','earlier','1')")));
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('other','kept','2')")));
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetBySource().outcome(), TargetBySourceJob::Outcome::Completed);
    QVERIFY(rig.ui.messages().isEmpty()); // no message box when it completes
    QStringList asked;
    for (const auto &call : rig.sandbox.calls(QStringLiteral("taobao.items.custom.get"))) {
        asked << call.param(QStringLiteral("outer_id"));
        QCOMPARE(call.param(QStringLiteral("session")), QStringLiteral("sandbox-session-c-1"));
    }
    QCOMPARE(asked, (QStringList{QStringLiteral("T100"), QStringLiteral("B400"), QStringLiteral("NOPE")}));
    // 610000003001 with six SKUs and 610000003004 with two, once each, under the account
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object where UserID='sandbox_c_1'")), 8);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from (select sku_id from TB_Object "
                                            "group by sku_id having count(*)>1)")),
             0);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object where title in ('earlier','kept')")), 1);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object_Download")), 0);
    // the target side's time is NM 2; NM 1 is the source side's
    QVERIFY(!GetParam(rig.db(), 2).isEmpty());
    QCOMPARE(GetParam(rig.db(), 1), QStringLiteral("2026/01/01 00:00:00"));
    QVERIFY(!rig.app->jobs().busy());
}

void TargetBySourceTest::refusedWhileATargetListExists()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    prepare(rig, {QStringLiteral("T100")});
    QVERIFY(rig.list({QStringLiteral("610000003001")}, ItemLists::TargetList));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("update TB_URL set bCheck=0 where tag=1"))); // not ticked: refused all the same
    QVERIFY(!rig.app->targetBySource().DownloadClick());
    QCOMPARE(rig.ui.messages(),
             QStringList{QStringLiteral("已存在配置目标下载源,请[使用目标店铺配置下载目标店铺宝贝列表]。")});
    QCOMPARE(rig.sandbox.callCount(), 0);

    // without source rows the hint says where they come from
    QVERIFY(q.exec(QStringLiteral("delete from TB_URL")));
    QVERIFY(q.exec(QStringLiteral("delete from TB_Source")));
    rig.ui.clear();
    QVERIFY(!rig.app->targetBySource().DownloadClick());
    QCOMPARE(rig.ui.messages(),
             QStringList{QStringLiteral(
                 "没有定义任何源宝贝数据,请先\"下载源宝贝库存数据\",或\"从文件源获取宝贝库存数据")});
}

void TargetBySourceTest::fourImmediateRetriesThenThePreviousDownloadStays()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    prepare(rig, {QStringLiteral("T100"), QStringLiteral("B400")});
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('sandbox_c_1','earlier','1')")));
    SetParam(rig.db(), 2, QStringLiteral("2026/01/01 00:00:00"));
    // the first code comes in; the second never does
    rig.sandbox.injectFault(QStringLiteral("taobao.items.custom.get"), topsandbox::Fault::closeConnection(), 1);
    rig.sandbox.injectFault(QStringLiteral("taobao.items.custom.get"), topsandbox::Fault::closeConnection(), 1);
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetBySource().outcome(), TargetBySourceJob::Outcome::Completed);
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.custom.get")), 4); // T100 twice over, then B400
    QCOMPARE(rig.app->jobs().countdownRunning(), false);

    rig.ui.clear();
    rig.sandbox.clearCalls();
    rig.sandbox.injectFault(QStringLiteral("taobao.items.custom.get"), topsandbox::Fault::closeConnection(), 9);
    const QStringList before = column(rig.db(), QStringLiteral("select sku_id from TB_Object order by sku_id"));
    const QString time = GetParam(rig.db(), 2);
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetBySource().outcome(), TargetBySourceJob::Outcome::NetworkGaveUp);
    // the first request and four retries, each at once: no countdown shown
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.custom.get")), 5);
    QCOMPARE(rig.ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QVERIFY(!rig.app->jobs().panel2().retryShown());
    QVERIFY(!rig.app->jobs().busy());
    QCOMPARE(column(rig.db(), QStringLiteral("select sku_id from TB_Object order by sku_id")), before);
    QCOMPARE(GetParam(rig.db(), 2), time);
}

QTEST_GUILESS_MAIN(TargetBySourceTest)
#include "target_by_source_test.moc"
