#include "top/ItemDecoding.h"
#include "top/ReplyText.h"
#include "top/TopClient.h"

#include <QFile>
#include <QStringEncoder>
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

    void itemAndSkuFieldsComeFromTheirOwnElements()
    {
        // The platform's documentation writes an item's outer_id, price and
        // title after its skus element, and a SKU need not carry an outer_id.
        const QString documented = QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"utf-8\" ?><items_list_get_response><items list=\"true\"><item>"
            "<num_iid>3838293428</num_iid><nick>tbtest561</nick><num>10</num>"
            "<skus list=\"true\"><sku><sku_id>1230005</sku_id><properties>1627207:28320</properties>"
            "<properties_name>1627207:28320:颜色分类:白色</properties_name><quantity>4</quantity>"
            "<price>200.07</price></sku>"
            "<sku><outer_id>SKU-B</outer_id><sku_id>1230006</sku_id><quantity>6</quantity><price>210.00</price></sku>"
            "</skus><outer_id>ITEM-A</outer_id><price>200.07</price><approve_status>onsale</approve_status>"
            "<title>文档里的宝贝</title><is_fenxiao>1</is_fenxiao></item>"
            "<item><title>Before</title><skus list=\"true\"><sku><title>not the item's</title><price>1</price></sku>"
            "</skus><price>2</price><outer_id>ITEM-B</outer_id></item></items></items_list_get_response>");
        const QList<ItemRecord> items = DecodeItems(documented, true);
        QCOMPARE(items.size(), 2);
        const ItemRecord &a = items.at(0);
        QCOMPARE(a.outerId, QStringLiteral("ITEM-A"));
        QCOMPARE(a.price, QStringLiteral("200.07"));
        QCOMPARE(a.title, QStringLiteral("文档里的宝贝"));
        QCOMPARE(a.approveStatus, QStringLiteral("onsale"));
        QCOMPARE(a.isFenxiao, QStringLiteral("1"));
        QCOMPARE(a.skus.size(), 2);
        QCOMPARE(a.skus.at(0).outerId, QString()); // not the item's code
        QCOMPARE(a.skus.at(0).quantity, QStringLiteral("4"));
        QCOMPARE(a.skus.at(0).color, QStringLiteral("白色"));
        QCOMPARE(a.skus.at(1).outerId, QStringLiteral("SKU-B"));
        QCOMPARE(a.skus.at(1).price, QStringLiteral("210.00"));
        const ItemRecord &b = items.at(1);
        QCOMPARE(b.title, QStringLiteral("Before")); // a SKU's title is not the item's
        QCOMPARE(b.price, QStringLiteral("2"));
        QCOMPARE(b.skus.at(0).price, QStringLiteral("1"));

        // the same reply in alphabetical order decodes alike
        const QList<ItemRecord> sorted = DecodeItems(reply("items_list.xml"), true);
        QCOMPARE(sorted.at(0).outerId, QStringLiteral("T-1001"));
        QCOMPARE(sorted.at(0).skus.at(2).outerId, QString());
    }

    void bodiesAreCleanedAndConvertedBeforeParsing()
    {
        const QByteArray head = "<?xml version=\"1.0\" encoding=\"utf-8\"?><items_list_get_response><items><item>"
                                "<num_iid>1</num_iid><num>3</num><price>5.00</price><title>";
        const QByteArray tail = "</title></item><item><num_iid>2</num_iid><num>1</num><price>1</price></item>"
                                "</items></items_list_get_response>";
        // one NUL byte (and other C0 controls) in a title: the reply is read, the controls left out
        TopClient client;
        const TopIntake nul =
            client.intake(head + QByteArray("A\0B\x01\x1f\tC", 7) + tail, TopErrorPrefix::download(), false);
        QVERIFY2(nul.ok(), qPrintable(nul.message));
        QList<ItemRecord> items = DecodeItems(client.replyBuffer(), true);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0).title, QStringLiteral("AB\tC"));
        // a character reference brings none in either
        QCOMPARE(DecodeItems(QString::fromUtf8(head + "x&#1;y" + tail), true).at(0).title, QStringLiteral("xy"));

        // GBK bytes that say so in the declaration, or in the Content-Type
        QStringEncoder gbk("GB18030");
        QVERIFY(gbk.isValid());
        const QString title = QStringLiteral("纯棉T恤 黑色");
        QByteArray gbkHead = head;
        gbkHead.replace("utf-8", "GBK");
        for (const char *encoding : {"GBK", "gb2312", "GB18030"}) {
            QByteArray h = head;
            h.replace("utf-8", encoding);
            TopClient c;
            const TopIntake r = c.intake(h + QByteArray(gbk.encode(title)) + tail, TopErrorPrefix::download(), false);
            QVERIFY2(r.ok(), encoding);
            QCOMPARE(DecodeItems(c.replyBuffer(), true).at(0).title, title);
        }
        const QByteArray bare = "<items_list_get_response><items><item><title>" + QByteArray(gbk.encode(title)) +
                                "</title></item></items></items_list_get_response>";
        TopClient byHeader;
        QVERIFY(byHeader.intake(bare, TopErrorPrefix::download(), false, QStringLiteral("text/xml;charset=GBK")).ok());
        QCOMPARE(DecodeItems(byHeader.replyBuffer(), true).at(0).title, title);
        // the bytes path does the same
        QStringList titles;
        QVERIFY(DecodeItems(gbkHead + QByteArray(gbk.encode(title)) + tail, true,
                            [&](const ItemRecord &r) { titles << r.title; }));
        QCOMPARE(titles.value(0), title);

        // GBK bytes that claim to be UTF-8, or a charset the program cannot read: refused, not garbled
        TopClient garbled;
        const TopIntake bad = garbled.intake(bare, TopErrorPrefix::download(), false);
        QCOMPARE(bad.kind, TopIntake::Kind::Unreadable);
        QVERIFY(bad.message.startsWith(TopErrorPrefix::download() + UnreadableReplyText()));
        QVERIFY(bad.message.contains(QStringLiteral("UTF-8")));
        TopClient unknown;
        QCOMPARE(unknown.intake(bare, TopErrorPrefix::download(), false, QStringLiteral("text/xml; charset=\"koi8-x\""))
                     .kind,
                 TopIntake::Kind::Unreadable);

        QCOMPARE(ContentTypeCharset(QStringLiteral("text/xml;charset=UTF-8")), QStringLiteral("utf-8"));
        QCOMPARE(ContentTypeCharset(QStringLiteral("text/xml; x-charset=gbk")), QString());
        QCOMPARE(DeclaredXmlEncoding("\xEF\xBB\xBF <?xml version='1.0' encoding='GB2312' ?><a/>"),
                 QStringLiteral("gb2312"));
        QCOMPARE(DeclaredXmlEncoding("<a encoding=\"gbk\"/>"), QString());
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
