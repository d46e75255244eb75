#include "app/HostSettings.h"
#include "store/Settings.h"
#include "TestDataDir.h"
#include "app/CommandLine.h"
#include "lists/ItemLists.h"
#include "store/Parameters.h"
#include "top/Endpoints.h"

#include <QSqlQuery>
#include <QtTest>

class ItemListsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addsTickedEntriesToTheDefaultGroup();
    void useSandboxPointsEveryHostAndBack();
};

void ItemListsTest::addsTickedEntriesToTheDefaultGroup()
{
    TestDataDir d;
    QVERIFY(d.open());
    ItemLists lists(d.db());
    QString error;
    QCOMPARE(lists.addItems(ItemLists::SourceList, {QStringLiteral(" 601 "), QStringLiteral("602"), QStringLiteral("601")},
                            &error),
             2);
    QCOMPARE(lists.addItems(ItemLists::SourceList, {QStringLiteral("602"), QStringLiteral("603")}, &error), 1);
    // a bad id refuses the whole call
    QCOMPARE(lists.addItems(ItemLists::SourceList, {QStringLiteral("604"), QStringLiteral("60'5")}, &error), -1);
    QVERIFY(error.contains(QStringLiteral("60'5")));
    // item ids the platform can hold, without leading zeros; nothing of a refused call is stored
    for (const char *bad : {"0", "000", "9223372036854775808", "1234567890123456789012345678901234567890", "-5", "1.5"}) {
        QCOMPARE(lists.addItems(ItemLists::SourceList, {QStringLiteral("605"), QString::fromLatin1(bad)}, &error), -1);
        QVERIFY2(error.contains(QString::fromLatin1(bad)), bad);
    }
    QCOMPARE(lists.addItems(ItemLists::SourceList, {QStringLiteral("00603"), QStringLiteral("9223372036854775807")}, &error),
             1);
    QCOMPARE(lists.addItems(ItemLists::TargetList, {QStringLiteral("601")}, &error), 1);

    QSqlQuery q(d.db());
    QVERIFY(q.exec(QStringLiteral("select u.Tag, u.bCheck, u.num_iid, g.GroupName, g.Tag from TB_URL u "
                                  "join TB_Groups g on g.Uniqid=u.uGroup order by u.Uniqid")));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1|%2|%3|%4|%5")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                         q.value(4).toString());
    QCOMPARE(rows, (QStringList{QStringLiteral("0|1|601|默认组|0"), QStringLiteral("0|1|602|默认组|0"),
                                QStringLiteral("0|1|603|默认组|0"),
                                QStringLiteral("0|1|9223372036854775807|默认组|0"), QStringLiteral("1|1|601|默认组|1")}));
}

void ItemListsTest::useSandboxPointsEveryHostAndBack()
{
    TestDataDir d;
    const CommandTable::Command *use = CommandTable::find(QStringLiteral("use-sandbox"));
    QVERIFY(use);
    CommandContext ctx{d.path(), {QStringLiteral("http://127.0.0.1:8765/")}, d.ui};
    QCOMPARE(use->run(ctx), 0);
    QVERIFY(d.open());
    TopEndpoints e = LoadEndpoints(Settings(d.db()));
    // On 127.0.0.1 the stand-in's pages get hosts of their own.
    QCOMPARE(e.gateway, QStringLiteral("http://127.0.0.1:8765/router/rest"));
    QCOMPARE(e.gatewayRoot(), QStringLiteral("http://127.0.0.1:8765"));
    QCOMPARE(e.authorizationAddress(QStringLiteral("123")), QStringLiteral("http://127.0.0.2:8765/container?appkey=123"));
    QCOMPARE(e.loginPage, QStringLiteral("http://127.0.0.4:8765/member/login.jhtml"));
    QCOMPARE(e.itemPageOf(QStringLiteral("9")), QStringLiteral("http://127.0.0.1:8765/item.htm?id=9"));
    QCOMPARE(e.openContainer, QStringLiteral("http://127.0.0.3:8765/container"));
    QCOMPARE(e.openSite, QStringLiteral("http://127.0.0.3:8765/"));
    // Any other base carries every host.
    ctx.arguments = {QStringLiteral("http://localhost:9000")};
    QCOMPARE(use->run(ctx), 0);
    e = LoadEndpoints(Settings(d.db()));
    QCOMPARE(e.container, QStringLiteral("http://localhost:9000/container"));
    QCOMPARE(e.loginPage, QStringLiteral("http://localhost:9000/member/login.jhtml"));
    QCOMPARE(e.openContainer, QStringLiteral("http://localhost:9000/container"));
    QCOMPARE(e.openSite, QStringLiteral("http://localhost:9000/"));

    ctx.arguments = {QStringLiteral("ftp://x")};
    QCOMPARE(use->run(ctx), 2);
    ctx.arguments = {QStringLiteral("off")};
    QCOMPARE(use->run(ctx), 0);
    e = LoadEndpoints(Settings(d.db()));
    QCOMPARE(e.gateway, TopEndpoints::defaults().gateway);
    QVERIFY(e.gateway.startsWith(QStringLiteral("https://")));
    QCOMPARE(e.openContainer, TopEndpoints::defaults().openContainer);
    QVERIFY(e.openSite.startsWith(QStringLiteral("https://")));
}

QTEST_GUILESS_MAIN(ItemListsTest)
#include "item_lists_test.moc"
