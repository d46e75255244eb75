#include "top/ItemDecoding.h"
#include "top/TopClient.h"

#include <QFile>
#include <QTest>

namespace {
QString reply(const char *name)
{
    QFile f(QStringLiteral(STOCKSYNC_TEST_DATA "/top/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing test reply %s", name);
    return QString::fromUtf8(f.readAll());
}
} // namespace

class DecodeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flattening()
    {
        const QString xml = QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
            "<items_list_get_response><items list=\"true\"><item><num_iid>42</num_iid><outer_id/>"
            "<skus list=\"true\"><sku><sku_id>7</sku_id></sku></skus><title>A &amp; B</title></item></items>"
            "<total_results>1</total_results></items_list_get_response>");
        const QStringList lines = XmlToLines(xml);
        const QString item = QStringLiteral("item") + QString(54, QLatin1Char('-'));
        const QString sku = QStringLiteral("sku") + QString(54, QLatin1Char('-'));
        QCOMPARE(lines, QStringList({item, QStringLiteral("<num_iid>=42"), QStringLiteral("<outer_id>="), sku,
                                     QStringLiteral("<sku_id>=7"), QStringLiteral("<title>=A & B"),
                                     QStringLiteral("<total_results>=1")}));
        QCOMPARE(ItemSeparator(), item);
        QCOMPARE(SkuSeparator(), sku);

        // Other methods' outermost element gives a line; attributes are child nodes.
        const QStringList custom = XmlToLines(QStringLiteral("<items_custom_get_response><x a=\"1\">v</x>"
                                                             "</items_custom_get_response>"));
        QCOMPARE(custom, QStringList({QStringLiteral("<items_custom_get_response>="), QStringLiteral("<x>=v"),
                                      QStringLiteral("<a>=1")}));

        QVERIFY(XmlToLines(QString()).isEmpty());
        QVERIFY(XmlToLines(reply("gateway_down.html")).isEmpty());
        QVERIFY(XmlToLines(QStringLiteral("<item><num>1</num>")).isEmpty()); // broken off
    }

    void textHelpers()
    {
        QCOMPARE(SplitText(QStringLiteral("a;b;;c"), QStringLiteral(";")),
                 QStringList({QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c")}));
        QCOMPARE(SplitText(QStringLiteral("abc"), QStringLiteral(";")), QStringList{QStringLiteral("abc")});
        QCOMPARE(SplitText(QStringLiteral(";x;"), QStringLiteral(";")),
                 QStringList({QString(), QStringLiteral("x"), QString()}));
        QCOMPARE(SplitText(QStringLiteral("a;b;c"), QStringLiteral(";"), 1),
                 QStringList({QStringLiteral("a"), QStringLiteral("b;c")}));
        QCOMPARE(PosOfNth(2, QLatin1Char(':'), u"10:11:米白"), qsizetype(6));
        QCOMPARE(PosOfNth(3, QLatin1Char(':'), u"10:11"), qsizetype(0));
        QCOMPARE(PosOfNth(0, QLatin1Char(':'), u"10:11"), qsizetype(0));
        QCOMPARE(CountOf(u":", u"10:11:颜色分类:白色;20:21:尺码:S"), qsizetype(6));
        QCOMPARE(CountOf(u"aa", u"aaaa"), qsizetype(2));
        QCOMPARE(CountOf(u":", u""), qsizetype(0));
    }

    void derivedValues()
    {
        const QString pn = QStringLiteral("10:11:颜色分类:白色;20:21:尺码:S");
        QCOMPARE(SkuColor(pn, {}), QStringLiteral("白色"));
        QCOMPARE(SkuColor(pn, AliasTable(QStringLiteral("10:11:米白"))), QStringLiteral("米白"));
        QCOMPARE(SkuColor(pn, AliasTable(QStringLiteral("10:12:灰;10:11:Dad's"))), QStringLiteral("Dad's"));
        QCOMPARE(SkuColor(QStringLiteral("20:21:尺码:S"), {}), QString());
        QCOMPARE(SkuColor(QStringLiteral("20:21:尺码:S;10:11:颜色:蓝"), {}), QStringLiteral("蓝"));
        QCOMPARE(SkuColor(QString(), AliasTable(QStringLiteral("无冒号"))), QString());
        QCOMPARE(SkuSize(pn, true), QStringLiteral("尺码:S"));
        QCOMPARE(SkuSize(pn, false), pn);
        QCOMPARE(SkuSize(QStringLiteral("20:21:尺码:S"), true), QStringLiteral("尺码:S"));
        QCOMPARE(SkuSize(QString(), true), QString());

        QCOMPARE(ArticleNumber(QStringLiteral("30:31:品牌:X;40:41:货号:A-01")), QStringLiteral("A-01"));
        QCOMPARE(ArticleNumber(QStringLiteral("40:41:货号:A-01;30:31:品牌:X")), QStringLiteral("A-01"));
        QCOMPARE(ArticleNumber(QStringLiteral("30:31:品牌:X")), QString());

        // An entry without a second ":" has an empty key, and the whole entry as text.
        const auto table = AliasTable(QStringLiteral(" 10:11:米白;无冒号;20:21:a:b"));
        QCOMPARE(table.size(), 3);
        QCOMPARE(table.at(0), qMakePair(QStringLiteral("10:11"), QStringLiteral("米白")));
        QCOMPARE(table.at(1), qMakePair(QString(), QStringLiteral("无冒号")));
        QCOMPARE(table.at(2), qMakePair(QStringLiteral("20:21"), QStringLiteral("a:b")));
    }

    void itemsReply()
    {
        const QList<ItemRecord> items = DecodeItems(reply("items_list.xml"), true);
        QCOMPARE(items.size(), 3);

        const ItemRecord &a = items.at(0);
        QCOMPARE(a.numIid, QStringLiteral("16372516340"));
        QCOMPARE(a.nick, QStringLiteral("源头工厂店"));
        QCOMPARE(a.approveStatus, QStringLiteral("onsale"));
        QCOMPARE(a.num, QStringLiteral("12"));
        QCOMPARE(a.outerId, QStringLiteral("T-1001"));
        QCOMPARE(a.price, QStringLiteral("59.00"));
        QCOMPARE(a.oldcode, QStringLiteral("A-01")); // 货号 is the last entry of props_name
        QCOMPARE(a.isFenxiao, QStringLiteral("0"));
        QCOMPARE(a.title, QStringLiteral("2012夏装 纯棉T恤 Tom's 🙂")); // read after the last SKU
        QCOMPARE(a.skus.size(), 3);
        const SkuRecord &s0 = a.skus.at(0);
        QCOMPARE(s0.outerId, QStringLiteral("T-1001-W-S"));
        QCOMPARE(s0.skuId, QStringLiteral("30051234001"));
        QCOMPARE(s0.quantity, QStringLiteral("5"));
        QCOMPARE(s0.price, QStringLiteral("59.00"));
        QCOMPARE(s0.properties, QStringLiteral("1627207:28320;20509:28314"));
        QCOMPARE(s0.propertiesName, QStringLiteral("1627207:28320:颜色分类:白色;20509:28314:尺码:S"));
        QCOMPARE(s0.color, QStringLiteral("米白"));
        QCOMPARE(s0.sku, QStringLiteral("尺码:S"));
        QCOMPARE(a.skus.at(1).color, QStringLiteral("Dad's 黑")); // the apostrophe once
        QCOMPARE(a.skus.at(1).price, QStringLiteral("61.50"));
        QCOMPARE(a.skus.at(2).color, QStringLiteral("咖啡")); // line feed of the alias removed
        QCOMPARE(a.skus.at(2).outerId, QString());

        const ItemRecord &b = items.at(1); // no SKUs, no is_fenxiao
        QVERIFY(b.skus.isEmpty());
        QCOMPARE(b.isFenxiao, QStringLiteral("0"));
        QCOMPARE(b.num, QStringLiteral("40"));
        QCOMPARE(b.price, QStringLiteral("19.90"));
        QCOMPARE(b.outerId, QString());
        QCOMPARE(b.oldcode, QStringLiteral("B-02"));
        QCOMPARE(b.title, QStringLiteral("帆布包 <限量> & 赠品"));
        QVERIFY(b.aliases.isEmpty());

        const ItemRecord &c = items.at(2);
        QCOMPARE(c.isFenxiao, QStringLiteral("2"));
        QCOMPARE(c.oldcode, QString());
        QCOMPARE(c.title, QStringLiteral("运动鞋"));
        QCOMPARE(c.skus.size(), 3);
        QCOMPARE(c.skus.at(0).color, QString());              // no alias, no colour label
        QCOMPARE(c.skus.at(1).color, QStringLiteral("中码")); // the alias of its first property
        QCOMPARE(c.skus.at(2).color, QStringLiteral("黑色")); // "颜色:" as the fallback label
        QCOMPARE(c.skus.at(2).sku, QStringLiteral("颜色:黑色"));

        // Without the easy setting the size text is the whole properties_name.
        const QList<ItemRecord> full = DecodeItems(reply("items_list.xml"), false);
        QCOMPARE(full.at(0).skus.at(0).sku, full.at(0).skus.at(0).propertiesName);

        // Records are handed over one by one, in reply order.
        QStringList order;
        DecodeItems(reply("items_list.xml").toUtf8(), true,
                    [&](const ItemRecord &r) { order.append(r.numIid); });
        QCOMPARE(order, QStringList({QStringLiteral("16372516340"), QStringLiteral("16372516341"),
                                     QStringLiteral("16372516342")}));
    }

    void otherMethodsReply()
    {
        const QList<ItemRecord> items = DecodeItems(reply("items_custom.xml"), true);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).nick, QString()); // not asked for
        QCOMPARE(items.at(0).oldcode, QStringLiteral("A-01"));
        QCOMPARE(items.at(0).skus.at(0).color, QStringLiteral("奶白"));
        QCOMPARE(items.at(0).title, QStringLiteral("目标店 纯棉T恤"));
    }

    void repliesWithoutItems()
    {
        QVERIFY(DecodeItems(QString(), true).isEmpty());
        QVERIFY(DecodeItems(reply("gateway_down.html"), true).isEmpty());
        QVERIFY(DecodeItems(QStringLiteral("<items_list_get_response><items list=\"true\"/>"
                                           "</items_list_get_response>"),
                            true)
                    .isEmpty());
        QVERIFY(DecodeItems(reply("error_with_sub.xml"), true).isEmpty());

        // Only a reply of the platform decodes, even to nothing; the rest says it failed.
        auto decodes = [](const QString &text) {
            int items = 0;
            const bool read = DecodeItems(text, true, [&items](const ItemRecord &) { ++items; });
            const bool readUtf8 = DecodeItems(text.toUtf8(), true, [&items](const ItemRecord &) { ++items; });
            return read && readUtf8 ? items : read || readUtf8 ? -2 : -1;
        };
        QCOMPARE(decodes(reply("items_list.xml")), 2 * 3);
        QCOMPARE(decodes(QStringLiteral("<items_list_get_response><items list=\"true\"/></items_list_get_response>")),
                 0);
        QCOMPARE(decodes(reply("error_with_sub.xml")), 0);
        QCOMPARE(decodes(QString()), -1);
        QCOMPARE(decodes(reply("gateway_down.html")), -1);
        QCOMPARE(decodes(QStringLiteral(R"({"items_list_get_response":{"items":{}}})")), -1);
        QCOMPARE(decodes(QStringLiteral("<items><item><num_iid>1</num_iid></item></items>")), -1);
        QCOMPARE(decodes(QStringLiteral("<items_list_get_response><items><item><num_iid>1</num_iid></item>")), -1);

        QCOMPARE(ErrorReplyText(reply("error_with_sub.xml")),
                 QStringLiteral("Invalid session,invalid-sessionkey,SessionKey非法"));
        QCOMPARE(ErrorReplyText(reply("error_plain.xml")), QStringLiteral("App Call Limited,,"));
    }

    void valueCannotFakeALine()
    {
        // A title that holds a marker does not shadow the field it names.
        const QString xml = QStringLiteral("<items_list_get_response><items><item>"
                                           "<title>x&#10;&lt;num&gt;=99</title><num>5</num></item></items>"
                                           "</items_list_get_response>");
        const QList<ItemRecord> items = DecodeItems(xml, true);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.at(0).num, QStringLiteral("5"));
    }
};

QTEST_GUILESS_MAIN(DecodeTest)
#include "decode_test.moc"
