// Pasted item links, the add-links command and the keyword encoding of the shop search.
#include "TestRig.h"
#include "app/CommandLine.h"
#include "app/ListLinksCommand.h"
#include "lists/ItemLinks.h"
#include "lists/ShopSearch.h"

#include <QBuffer>
#include <QSqlQuery>
#include <QtTest>

class ItemLinksTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pastedLinksAreCheckedLineByLine();
    void addLinksCommandStoresAllOrNothing();
    void keywordsAreSentInGbkPercentEncoding();

private:
    static QStringList rows(const QSqlDatabase &db)
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("select u.Tag, g.GroupName, u.num_iid, u.detail_url, u.bCheck from TB_URL u "
                              "left join TB_Groups g on g.Uniqid=u.uGroup order by u.Uniqid"));
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1|%2|%3|%4|%5")
                       .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                            q.value(4).toString());
        return out;
    }
};

void ItemLinksTest::pastedLinksAreCheckedLineByLine()
{
    TestRig rig;
    QVERIFY(rig.open()); // the public hosts
    const ItemLinks links(rig.db(), ItemLinks::prefixesOf(rig.app->endpoints()));
    QCOMPARE(links.prefixes().taobao, QStringLiteral("https://item.taobao.com/item.htm?id="));
    QCOMPARE(links.prefixes().tmall, QStringLiteral("https://detail.tmall.com/item.htm?id="));
    const int defaultGroup = links.groupId(0, QStringLiteral("默认组"));
    QVERIFY(defaultGroup > 0);
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_Groups(GroupName,Tag) values('女装',0)")));
    const int otherGroup = links.groupId(0, QStringLiteral("女装"));

    // Lines 2 (extra parameter), 4 (another host), 5 (not a number) and 6 (no id) are bad; blank lines are skipped.
    const QString bad = QStringLiteral("http://item.taobao.com/item.htm?id=1001\n"
                                       "http://item.taobao.com/item.htm?id=1002&spm=3\n"
                                       "\n"
                                       "http://item.jd.com/item.htm?id=1003\n"
                                       "https://detail.tmall.com/item.htm?id=12.5\n"
                                       "  https://detail.tmall.com/item.htm?id=  \n");
    QVERIFY(!AddPastedLinks(rig.ui, links, 0, defaultGroup, bad, true));
    const QString shown = rig.ui.messages().last();
    QVERIFY(shown.startsWith(QStringLiteral("以下淘宝宝贝链接地址格式不正确,请重新输入.格式如: "
                                            "https://item.taobao.com/item.htm?id=数字\r\n或 "
                                            "https://detail.tmall.com/item.htm?id=数字\"\r\n\r\n")));
    QVERIFY(shown.endsWith(QStringLiteral("第 2 行:http://item.taobao.com/item.htm?id=1002&spm=3\r\n\r\n"
                                          "第 4 行:http://item.jd.com/item.htm?id=1003\r\n\r\n"
                                          "第 5 行:https://detail.tmall.com/item.htm?id=12.5\r\n\r\n"
                                          "第 6 行:https://detail.tmall.com/item.htm?id=\r\n\r\n")));
    QVERIFY(!shown.contains(QStringLiteral("第 1 行")));
    QCOMPARE(rig.ui.records().last().icon, Interaction::Icon::Warning);
    QVERIFY(!AddPastedLinks(rig.ui, links, 0, defaultGroup, QStringLiteral(" \n \n"), true));
    QVERIFY(rig.ui.messages().last().startsWith(QStringLiteral("请输入淘宝的宝贝链接地址.格式如:")));
    QVERIFY(rows(rig.db()).isEmpty());

    // No to the question stores nothing.
    QVERIFY(!AddPastedLinks(rig.ui, links, 0, otherGroup, QStringLiteral("http://item.taobao.com/item.htm?id=1001"), true));
    QCOMPARE(rig.ui.records().last().text, QStringLiteral("是否确认添加至下载源?"));
    QVERIFY(rows(rig.db()).isEmpty());

    // http and https, any case in the prefix, stored as pasted (trimmed); ids already in the list (any group,
    // same list) are skipped silently, also within the paste.
    rig.ui.answerQuestion(true);
    QVERIFY(AddPastedLinks(rig.ui, links, 0, otherGroup, QStringLiteral("http://item.taobao.com/item.htm?id=1001"), true));
    rig.ui.answerQuestion(true);
    int added = -1;
    QVERIFY(AddPastedLinks(rig.ui, links, 0, defaultGroup,
                           QStringLiteral("HTTP://ITEM.TAOBAO.COM/Item.htm?ID=1001\r\n"
                                          "  HTTPS://Detail.Tmall.com/item.htm?id=2002  \r\n"
                                          "https://item.taobao.com/item.htm?id=3003\r\n"
                                          "http://detail.tmall.com/item.htm?id=2002\r\n"),
                           true, {}, &added));
    QCOMPARE(added, 2);
    // the other list holds its own entries
    rig.ui.answerQuestion(true);
    QVERIFY(AddPastedLinks(rig.ui, links, 1, links.groupId(1, QStringLiteral("默认组")),
                           QStringLiteral("https://item.taobao.com/item.htm?id=1001"), true));
    QCOMPARE(rows(rig.db()), (QStringList{QStringLiteral("0|女装|1001|http://item.taobao.com/item.htm?id=1001|1"),
                                         QStringLiteral("0|默认组|2002|HTTPS://Detail.Tmall.com/item.htm?id=2002|1"),
                                         QStringLiteral("0|默认组|3003|https://item.taobao.com/item.htm?id=3003|1"),
                                         QStringLiteral("1|默认组|1001|https://item.taobao.com/item.htm?id=1001|1")}));
    // a group that is gone takes nothing
    QVERIFY(!AddPastedLinks(rig.ui, links, 0, -1, QStringLiteral("https://item.taobao.com/item.htm?id=4004"), false));
    QCOMPARE(rows(rig.db()).size(), 4);
}

void ItemLinksTest::addLinksCommandStoresAllOrNothing()
{
    TestRig rig;
    QVERIFY(rig.open());
    rig.app.reset(); // the command opens the folder itself
    ScriptedInteraction ui;
    CommandContext ctx{rig.path(), {}, ui};
    const auto run = [&](const QStringList &args, const QByteArray &input) {
        QBuffer in;
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        return RunListsAddLinks(ctx, args, &in);
    };
    QCOMPARE(run({QStringLiteral("--group")}, {}), 2);
    QCOMPARE(run({QStringLiteral("--source"), QStringLiteral("--group"), QStringLiteral("无此组")},
                 "https://item.taobao.com/item.htm?id=1\n"),
             1);
    QVERIFY(ui.messages().last().contains(QStringLiteral("无此组")));
    QCOMPARE(run({QStringLiteral("--target")},
                 "https://item.taobao.com/item.htm?id=11\nhttps://item.taobao.com/item.htm?id=12#x\n"),
             1);
    QVERIFY(ui.messages().last().endsWith(QStringLiteral("第 2 行:https://item.taobao.com/item.htm?id=12#x\r\n\r\n")));
    QCOMPARE(run({QStringLiteral("--target")},
                 "\xEF\xBB\xBFhttps://item.taobao.com/item.htm?id=11\nhttp://detail.tmall.com/item.htm?id=12\n"),
             0);
    QCOMPARE(ui.messages().last(), QStringLiteral("已添加 2 个宝贝到目标下载源 (默认组)"));

    QVERIFY(rig.open());
    QCOMPARE(rows(rig.db()), (QStringList{QStringLiteral("1|默认组|11|https://item.taobao.com/item.htm?id=11|1"),
                                         QStringLiteral("1|默认组|12|http://detail.tmall.com/item.htm?id=12|1")}));
}

void ItemLinksTest::keywordsAreSentInGbkPercentEncoding()
{
    QCOMPARE(ShopSearch::URLEncode(QStringLiteral("纯棉 T恤")), QByteArray("%B4%BF%C3%DE+T%D0%F4"));
    QCOMPARE(ShopSearch::URLEncode(QStringLiteral("Tom's 100%_a-b.c!$()*@~&=")),
             QByteArray("Tom's+100%25_a-b.c!$()*@%7E%26%3D"));
    // outside GBK: the four GB18030 bytes, so that nothing turns into "?"
    QCOMPARE(ShopSearch::URLEncode(QStringLiteral("👕")), QByteArray("%949%D19"));
    QCOMPARE(ShopSearch::URLEncode(QString()), QByteArray());
    // an empty keyword of an old-style shop is sent as "null"
    QVERIFY(ShopSearch::firstRequest(ShopSearch::OldShop, QStringLiteral("http://s"), {}).body.contains("&searchWord=null&"));
    QCOMPARE(ShopSearch::pageRequest(ShopSearch::TmallShop, QStringLiteral("http://s"), "k", 3).body,
             QByteArray("search=y&orderType=hotsell_desc&viewType=list&keyword=k&pageNo=3&tsearch=y#anchor"));
}

QTEST_GUILESS_MAIN(ItemLinksTest)
#include "item_links_test.moc"
