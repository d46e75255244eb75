// The stand-in gateway spoken to over HTTP, as the program speaks to it.
#include "SandboxClient.h"
#include "TopSandbox.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace sandboxtest;
using topsandbox::Fault;
using topsandbox::TopSandbox;

namespace {

const QString F1 =
    QStringLiteral("nick,props_name,approve_status,title,num,price,property_alias,outer_id,num_iid,"
                   "sku.sku_id,sku.properties_name,sku.properties,sku.quantity,sku.price,sku.outer_id,"
                   "is_fenxiao");
const QString seller = QStringLiteral("sandbox_c_1");
const QString sellerSession = QStringLiteral("sandbox-session-c-1");
const QString listGet = QStringLiteral("taobao.items.list.get");
const QString quantityUpdate = QStringLiteral("taobao.item.quantity.update");

QString allDemoIds()
{
    QStringList ids;
    for (int i = 1; i <= 9; ++i)
        ids << QString::number(610000003000LL + i);
    for (int i = 1; i <= 7; ++i)
        ids << QString::number(520000001000LL + i);
    for (int i = 1; i <= 4; ++i)
        ids << QString::number(530000002000LL + i);
    return ids.join(QLatin1Char(','));
}

// Sends a request as `curl -X POST URL` does, without body and without
// Content-Length, and returns the status line of the answer.
QByteArray bareRequestStatus(int port, const QByteArray &method, const QByteArray &path)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(quint16(port));
    QByteArray reply;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0) {
        const QByteArray request =
            method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: curl\r\nAccept: */*\r\n\r\n";
        ::send(fd, request.constData(), size_t(request.size()), 0);
        char buf[4096];
        while (!reply.contains("\r\n")) {
            const auto n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            reply.append(buf, qsizetype(n));
        }
    }
    ::close(fd);
    return reply.left(reply.indexOf("\r\n"));
}

} // namespace

class SandboxGatewayTest : public QObject
{
    Q_OBJECT

    TopSandbox sandbox;
    int port = 0;
    QStringList unsorted; // replies whose elements were out of order

    QByteArray update(const QString &method, const Args &own, const QString &session = sellerSession)
    {
        const QByteArray xml = Client(port).call(method, own, session);
        if (!childrenSorted(xml))
            unsorted << QString::fromUtf8(xml);
        return xml;
    }
    QByteArray readItem(qint64 numIid)
    {
        return update(listGet,
                      {{QStringLiteral("fields"), F1}, {QStringLiteral("num_iids"), QString::number(numIid)}},
                      QString());
    }

private Q_SLOTS:
    void initTestCase()
    {
        sandbox.setClock(
            [] { return QDateTime::fromString(fixedTime, QStringLiteral("yyyy-MM-dd HH:mm:ss")); });
        port = sandbox.start(0);
        QVERIFY(port > 0);
    }

    void init()
    {
        QString error;
        QVERIFY2(sandbox.loadFixture(QStringLiteral(SANDBOX_FIXTURE), &error), qPrintable(error));
        sandbox.clearCalls();
        sandbox.clearFaults();
        sandbox.setRateLimit(0, 1);
        unsorted.clear();
    }

    void cleanup() { QVERIFY2(unsorted.isEmpty(), qPrintable(unsorted.join(QLatin1Char('\n')))); }

    void listGetOfTwentyIdsReturnsThemWithSkus()
    {
        QString itemsList;
        const QByteArray xml =
            update(listGet, {{QStringLiteral("fields"), F1}, {QStringLiteral("num_iids"), allDemoIds()}});
        QVERIFY2(xml.contains("<items_list_get_response>"), xml.constData());
        const QList<XmlItem> items = itemsOf(xml, &itemsList);
        QCOMPARE(itemsList, QStringLiteral("true"));
        QCOMPARE(items.size(), 20);
        const QStringList ids = allDemoIds().split(QLatin1Char(','));
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(items[i].field.value(QStringLiteral("num_iid")), ids[i]);
            QStringList sorted = items[i].order;
            sorted.sort();
            QCOMPARE(items[i].order, sorted); // elements in alphabetical order, title after skus
            QVERIFY(items[i].field.contains(QStringLiteral("nick")));
            QVERIFY(items[i].field.contains(QStringLiteral("is_fenxiao")));
        }
        // A T-shirt of the seller: six SKUs, colour and size in properties_name, prices with two decimals.
        const XmlItem &tee = items[0];
        QCOMPARE(tee.field.value(QStringLiteral("nick")), seller);
        QCOMPARE(tee.field.value(QStringLiteral("price")), QStringLiteral("69.00"));
        QCOMPARE(tee.field.value(QStringLiteral("is_fenxiao")), QStringLiteral("1"));
        QCOMPARE(tee.skusList, QStringLiteral("true"));
        QCOMPARE(tee.skus.size(), 6);
        QCOMPARE(tee.skuOrder, words("outer_id price properties properties_name quantity sku_id"));
        QCOMPARE(tee.skus[0].value(QStringLiteral("sku_id")), QStringLiteral("6100000030011"));
        QCOMPARE(tee.skus[0].value(QStringLiteral("properties_name")),
                 QStringLiteral("1627207:28341:颜色分类:黑色;20509:28314:尺码:S"));
        QCOMPARE(tee.field.value(QStringLiteral("num")).toInt(), 10 + 30 + 5 + 3 + 15 + 20);
        QVERIFY(tee.field.value(QStringLiteral("props_name")).contains(QStringLiteral("货号:T100-A")));
        // Apostrophes and characters outside GBK arrive intact; an item without SKUs has no skus element.
        QCOMPARE(items[1].field.value(QStringLiteral("title")),
                 QStringLiteral("Levi's 风格 直筒牛仔裤 深蓝"));
        QCOMPARE(items[1].field.value(QStringLiteral("property_alias")),
                 QStringLiteral("1627207:28338:深蓝水洗"));
        QVERIFY(items[2].field.value(QStringLiteral("title")).contains(QStringLiteral("✨")));
        QVERIFY(!items[2].order.contains(QStringLiteral("skus")));
        QCOMPARE(items[2].field.value(QStringLiteral("num")), QStringLiteral("100"));
        QCOMPARE(items[18].field.value(QStringLiteral("price")), QStringLiteral("49.00"));
        QVERIFY(!items[18].field.contains(QStringLiteral("outer_id"))); // no merchant code set

        // Without nick and is_fenxiao in the fields, neither is sent.
        const QByteArray f2 = update(QStringLiteral("taobao.items.custom.get"),
                                     {{QStringLiteral("outer_id"), QStringLiteral("T100")},
                                      {QStringLiteral("fields"), QStringLiteral("num_iid,title,sku.sku_id")}},
                                     sellerSession);
        const QList<XmlItem> own = itemsOf(f2);
        QCOMPARE(own.size(), 1); // the session's own items only, not the supplier's T100
        QCOMPARE(own[0].field.value(QStringLiteral("num_iid")), QStringLiteral("610000003001"));
        QVERIFY(!own[0].field.contains(QStringLiteral("nick")));
        QVERIFY(!own[0].field.contains(QStringLiteral("is_fenxiao")));
        QCOMPARE(own[0].skuOrder, QStringList{QStringLiteral("sku_id")});
    }

    void errorReplies_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("msg");
        QTest::newRow("wrong signature") << "sign" << 25 << "Invalid signature";
        QTest::newRow("stale timestamp") << "stale" << 31 << "Invalid timestamp";
        QTest::newRow("21 ids") << "21ids" << 41 << "Invalid arguments:num_iids";
        QTest::newRow("missing session") << "nosession" << 26 << "Missing session";
        QTest::newRow("unknown session") << "badsession" << 27 << "Invalid session";
        QTest::newRow("unknown app key") << "appkey" << 29 << "Invalid app Key";
        QTest::newRow("unknown method") << "method" << 22 << "Invalid method";
        QTest::newRow("missing argument") << "noquantity" << 40 << "Missing required arguments:quantity";
        QTest::newRow("wrong version") << "version" << 33 << "Invalid version";
    }

    void errorReplies()
    {
        QFETCH(QString, what);
        QFETCH(int, code);
        QFETCH(QString, msg);
        QString method = what == QStringLiteral("nosession") || what == QStringLiteral("badsession") ||
                                 what == QStringLiteral("noquantity")
                             ? quantityUpdate
                             : listGet;
        if (what == QStringLiteral("method"))
            method = QStringLiteral("taobao.items.nothing.get");
        Pairs p = common(method,
                         what == QStringLiteral("stale") ? QStringLiteral("2026-12-09 09:49:59") : fixedTime);
        if (what == QStringLiteral("appkey"))
            p[0].second = QStringLiteral("12345678");
        if (what == QStringLiteral("version"))
            p[5].second = QStringLiteral("1.0");
        if (method == listGet) {
            QStringList ids = allDemoIds().split(QLatin1Char(','));
            if (what == QStringLiteral("21ids"))
                ids << QStringLiteral("610000003001");
            p << qMakePair(QStringLiteral("fields"), F1)
              << qMakePair(QStringLiteral("num_iids"), ids.join(QLatin1Char(',')));
        } else {
            p << qMakePair(QStringLiteral("num_iid"), QStringLiteral("610000003003"));
            if (what != QStringLiteral("noquantity"))
                p << qMakePair(QStringLiteral("quantity"), QStringLiteral("5"));
            if (what == QStringLiteral("noquantity"))
                p << qMakePair(QStringLiteral("session"), sellerSession);
            if (what == QStringLiteral("badsession"))
                p << qMakePair(QStringLiteral("session"), QStringLiteral("no-such-session"));
            if (what == QStringLiteral("nosession"))
                p << qMakePair(QStringLiteral("session"), QString()); // "session=" with nothing behind it
        }
        QString sign = md5Sign(p, appSecret);
        if (what == QStringLiteral("sign"))
            sign[0] = sign[0] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        const QByteArray xml = Client(port).postBody(rawBody(p, sign));
        QCOMPARE(errorCode(xml), code);
        QCOMPARE(firstText(xml, QStringLiteral("msg")), msg);
        QCOMPARE(sandbox.itemQuantity(610000003003), 100); // no error changes the model
        const auto calls = sandbox.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].errorCode, code);
        QCOMPARE(calls[0].signatureValid, what != QStringLiteral("sign") && what != QStringLiteral("appkey"));
    }

    void quantityUpdatesChangeTheNextRead()
    {
        const QString tee = QStringLiteral("610000003001");
        // Full update of one SKU (黑色 M, 30 -> 7): the item's num follows the sum of its SKUs.
        QByteArray xml =
            update(quantityUpdate, {{QStringLiteral("num_iid"), tee},
                                    {QStringLiteral("quantity"), QStringLiteral("7")},
                                    {QStringLiteral("type"), QStringLiteral("1")},
                                    {QStringLiteral("sku_id"), QStringLiteral("6100000030012")}});
        QVERIFY2(xml.contains("<item_quantity_update_response>"), xml.constData());
        QCOMPARE(sandbox.skuQuantity(610000003001, 6100000030012), 7);
        QCOMPARE(sandbox.itemQuantity(610000003001), 10 + 7 + 5 + 3 + 15 + 20);
        // Incremental (白色 L, 20 - 4).
        xml = update(quantityUpdate, {{QStringLiteral("num_iid"), tee},
                                      {QStringLiteral("quantity"), QStringLiteral("-4")},
                                      {QStringLiteral("type"), QStringLiteral("2")},
                                      {QStringLiteral("sku_id"), QStringLiteral("6100000030016")}});
        QCOMPARE(errorCode(xml), 0);
        const QList<XmlItem> read = itemsOf(readItem(610000003001));
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0].skus[1].value(QStringLiteral("quantity")), QStringLiteral("7"));
        QCOMPARE(read[0].skus[5].value(QStringLiteral("quantity")), QStringLiteral("16"));
        QCOMPARE(read[0].field.value(QStringLiteral("num")).toInt(), 10 + 7 + 5 + 3 + 15 + 16);
        // An item without SKUs, both modes.
        update(quantityUpdate, {{QStringLiteral("num_iid"), QStringLiteral("610000003003")},
                                {QStringLiteral("quantity"), QStringLiteral("120")},
                                {QStringLiteral("type"), QStringLiteral("1")}});
        update(quantityUpdate, {{QStringLiteral("num_iid"), QStringLiteral("610000003003")},
                                {QStringLiteral("quantity"), QStringLiteral("5")},
                                {QStringLiteral("type"), QStringLiteral("2")}});
        QCOMPARE(firstText(readItem(610000003003), QStringLiteral("num")), QStringLiteral("125"));

        // Refused without a change: below zero, an unknown SKU, a SKU item without sku_id,
        // another seller's item, an item that does not exist.
        struct Case
        {
            Args own;
            const char *subCode;
        };
        const QList<Case> refused = {
            {{{"num_iid", tee}, {"quantity", "-11"}, {"type", "2"}, {"sku_id", "6100000030011"}},
             "isv.item-quantity-item-update-service-error:IC_QUANTITY_LESS_THAN_ZERO"},
            {{{"num_iid", tee}, {"quantity", "1"}, {"sku_id", "5200000010011"}},
             "isv.item-quantity-item-update-service-error:IC_SKU_NOT_EXIST"},
            {{{"num_iid", tee}, {"quantity", "1"}},
             "isv.item-quantity-item-update-service-error:IC_SKU_ID_REQUIRED"},
            {{{"num_iid", "520000001003"}, {"quantity", "1"}}, "isv.invalid-permission:update-item"},
            {{{"num_iid", "610000009999"}, {"quantity", "1"}}, "isv.item-not-exist:invalid-numIid-or-iid"},
        };
        const QByteArray before = sandbox.stateJson();
        for (const Case &c : refused) {
            xml = update(quantityUpdate, c.own);
            QCOMPARE(errorCode(xml), 15);
            QCOMPARE(firstText(xml, QStringLiteral("sub_code")), QString::fromUtf8(c.subCode));
        }
        QCOMPARE(sandbox.stateJson(), before);
    }

    void priceUpdatesAndTheItemPriceRule()
    {
        // An item without SKUs.
        QByteArray xml = update(QStringLiteral("taobao.item.price.update"),
                                {{QStringLiteral("num_iid"), QStringLiteral("610000003006")},
                                 {QStringLiteral("price"), QStringLiteral("32.5")}});
        QCOMPARE(errorCode(xml), 0);
        QCOMPARE(firstText(readItem(610000003006), QStringLiteral("price")), QStringLiteral("32.50"));

        // The bag (two SKUs at 55.00, item 55.00). Lowering one SKU keeps the item inside the range.
        const QString skuPrice = QStringLiteral("taobao.item.sku.price.update");
        const QString bag = QStringLiteral("610000003004");
        xml = update(
            skuPrice,
            {{"num_iid", bag}, {"properties", "1627207:28321"}, {"price", "50.00"}, {"item_price", "55.00"}});
        QCOMPARE(errorCode(xml), 0);
        QCOMPARE(sandbox.skuPrice(610000003004, 6100000030041), QStringLiteral("50.00"));
        // The last SKU at the old price may not leave the item price behind ...
        xml = update(skuPrice, {{"num_iid", bag}, {"properties", "1627207:28341"}, {"price", "50.00"}});
        QCOMPARE(errorCode(xml), 15);
        QCOMPARE(firstText(xml, QStringLiteral("sub_code")),
                 QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_ITME_SKU_PRICE_UNMATCH"));
        QCOMPARE(sandbox.skuPrice(610000003004, 6100000030042), QStringLiteral("55.00"));
        // ... unless the item price moves along with it.
        xml = update(
            skuPrice,
            {{"num_iid", bag}, {"properties", "1627207:28341"}, {"price", "50.00"}, {"item_price", "50"}});
        QCOMPARE(errorCode(xml), 0);
        const QList<XmlItem> read = itemsOf(readItem(610000003004));
        QCOMPARE(read[0].field.value(QStringLiteral("price")), QStringLiteral("50.00"));
        QCOMPARE(read[0].skus[1].value(QStringLiteral("price")), QStringLiteral("50.00"));
        // An item price outside the range on its own is refused too; so are unknown properties.
        xml = update(QStringLiteral("taobao.item.price.update"), {{"num_iid", bag}, {"price", "60.00"}});
        QCOMPARE(firstText(xml, QStringLiteral("sub_code")),
                 QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_ITME_SKU_PRICE_UNMATCH"));
        xml = update(skuPrice, {{"num_iid", bag}, {"properties", "1627207:99999"}, {"price", "50.00"}});
        QCOMPARE(firstText(xml, QStringLiteral("sub_code")),
                 QStringLiteral("isv.invalid-parameter:sku-properties"));
        xml = update(skuPrice, {{"num_iid", bag}, {"properties", "1627207:28341"}, {"price", "50.001"}});
        QCOMPARE(firstText(xml, QStringLiteral("msg")), QStringLiteral("Invalid arguments:price"));

        // Without the short authorization a price change is refused with the phrase the program looks for.
        sandbox.setPriceAuthorized(seller, false);
        xml = update(QStringLiteral("taobao.item.price.update"),
                     {{"num_iid", "610000003006"}, {"price", "40.00"}});
        QVERIFY(errorCode(xml) != 0);
        QVERIFY(QString::fromUtf8(xml).contains(QStringLiteral("Insufficient session permissions")));
        QCOMPARE(sandbox.itemPrice(610000003006), QStringLiteral("32.50"));
    }

    void listingDelistingAndPages()
    {
        const QString fields = QStringLiteral(
            "num_iid,title,approve_status,list_time,delist_time,has_showcase,valid_thru,seller_cids");
        auto inventory = [&](const Args &extra) {
            Pairs own{{QStringLiteral("fields"), fields}};
            own += extra.p;
            return update(QStringLiteral("taobao.items.inventory.get"), own, sellerSession);
        };
        QByteArray xml = inventory({});
        QCOMPARE(firstText(xml, QStringLiteral("total_results")), QStringLiteral("2"));
        QCOMPARE(itemsOf(xml).size(), 2);
        xml = inventory({{QStringLiteral("q"), QStringLiteral("羽绒服")}});
        QCOMPARE(firstText(xml, QStringLiteral("total_results")), QStringLiteral("1"));
        QCOMPARE(firstText(xml, QStringLiteral("num_iid")), QStringLiteral("610000003008"));
        QCOMPARE(errorCode(inventory({{QStringLiteral("page_size"), QStringLiteral("201")}})), 41);

        // Delisting moves an item into the warehouse, listing back onto the shelf.
        update(QStringLiteral("taobao.item.update.delisting"), {{"num_iid", "610000003003"}});
        QCOMPARE(sandbox.approveStatus(610000003003), QStringLiteral("instock"));
        xml = inventory({{QStringLiteral("page_no"), QStringLiteral("2")},
                         {QStringLiteral("page_size"), QStringLiteral("2")}});
        QCOMPARE(firstText(xml, QStringLiteral("total_results")), QStringLiteral("3"));
        QCOMPARE(itemsOf(xml).size(), 1);
        xml =
            update(QStringLiteral("taobao.item.update.listing"), {{"num", "5"}, {"num_iid", "610000003003"}});
        QCOMPARE(errorCode(xml), 0);
        QCOMPARE(sandbox.approveStatus(610000003003), QStringLiteral("onsale"));
        QCOMPARE(sandbox.itemQuantity(610000003003), 5);
        QCOMPARE(errorCode(update(QStringLiteral("taobao.item.update.listing"),
                                  {{"num", "0"}, {"num_iid", "610000003007"}})),
                 41);

        // A planned listing time is stored and read back.
        xml = update(QStringLiteral("taobao.item.update"),
                     {{"num_iid", "610000003007"}, {"list_time", "2026-12-10 20:30:00"}});
        QCOMPARE(errorCode(xml), 0);
        QCOMPARE(sandbox.item(610000003007)->listTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 QStringLiteral("2026-12-10 20:30:00"));

        // On-sale pages of a supplier: 6 on sale, pages of 4.
        Args own{{QStringLiteral("fields"), QStringLiteral("nick,approve_status,title,outer_id,num_iid")},
                 {QStringLiteral("page_no"), QStringLiteral("2")},
                 {QStringLiteral("page_size"), QStringLiteral("4")}};
        xml = update(QStringLiteral("taobao.items.onsale.get"), own, QStringLiteral("sandbox-session-c-2"));
        QCOMPARE(firstText(xml, QStringLiteral("total_results")), QStringLiteral("6"));
        const QList<XmlItem> page = itemsOf(xml);
        QCOMPARE(page.size(), 2);
        QCOMPARE(page[0].field.value(QStringLiteral("nick")), QStringLiteral("sandbox_c_2"));
    }

    void faultsAffectExactlyTheirCall()
    {
        const Args own{{"num_iid", "610000003003"}, {"quantity", "1"}, {"type", "2"}};
        Client client(port);
        client.http.set_read_timeout(0, 500000);

        sandbox.injectFault(quantityUpdate,
                            Fault::error(15, QStringLiteral("isp.top-remote-connection-timeout")));
        QByteArray xml = client.call(quantityUpdate, own, sellerSession);
        QCOMPARE(firstText(xml, QStringLiteral("sub_code")),
                 QStringLiteral("isp.top-remote-connection-timeout"));
        QCOMPARE(sandbox.itemQuantity(610000003003), 100);
        QCOMPARE(errorCode(client.call(quantityUpdate, own, sellerSession)), 0);
        QCOMPARE(sandbox.itemQuantity(610000003003), 101);

        // A fault for one method leaves the others alone.
        sandbox.injectFault(quantityUpdate, Fault::http500());
        QCOMPARE(errorCode(readItem(610000003003)), 0);
        int status = 0;
        Pairs p = common(quantityUpdate) + own.p + Args{{"session", sellerSession}}.p;
        client.postBody(rawBody(p, md5Sign(p, appSecret)), &status);
        QCOMPARE(status, 500);
        QCOMPARE(sandbox.itemQuantity(610000003003), 101);

        sandbox.injectFault(quantityUpdate, Fault::closeConnection());
        auto res = client.http.Post("/router/rest", rawBody(p, md5Sign(p, appSecret)),
                                    "application/x-www-form-urlencoded");
        QVERIFY(!res);
        QCOMPARE(sandbox.itemQuantity(610000003003), 101);

        // A truncated reply and a late one: the update was carried out, the reply is lost.
        sandbox.injectFault(quantityUpdate, Fault::truncatedBody());
        res = client.http.Post("/router/rest", rawBody(p, md5Sign(p, appSecret)),
                               "application/x-www-form-urlencoded");
        QVERIFY(!res);
        QCOMPARE(sandbox.itemQuantity(610000003003), 102);
        sandbox.injectFault(quantityUpdate, Fault::delay(1500));
        res = client.http.Post("/router/rest", rawBody(p, md5Sign(p, appSecret)),
                               "application/x-www-form-urlencoded");
        QVERIFY(!res);
        QTRY_COMPARE(sandbox.itemQuantity(610000003003), 103);

        Client again(port);
        QCOMPARE(errorCode(again.call(quantityUpdate, own, sellerSession)), 0);
        QCOMPARE(sandbox.itemQuantity(610000003003), 104);
        QCOMPARE(sandbox.pendingFaults(quantityUpdate), 0);

        QStringList faults;
        for (const auto &c : sandbox.calls(quantityUpdate))
            faults << c.fault;
        QCOMPARE(faults, QString::fromUtf8("error,,http500,close,truncate,delay,").split(QLatin1Char(',')));
    }

    void adminPathsAndRateLimit()
    {
        httplib::Client admin("127.0.0.1", port);
        auto res = admin.Post("/_sandbox/fault", "method=taobao.items.list.get&kind=error&code=7&count=2",
                              "application/x-www-form-urlencoded");
        QVERIFY(res && res->status == 200);
        QCOMPARE(sandbox.pendingFaults(listGet), 2);
        QCOMPARE(errorCode(readItem(610000003001)), 7);
        QCOMPARE(errorCode(readItem(610000003001)), 7);
        QCOMPARE(errorCode(readItem(610000003001)), 0);
        QCOMPARE(
            admin.Post("/_sandbox/fault", "method=x&kind=melt", "application/x-www-form-urlencoded")->status,
            400);

        // Clearing the faults as the README does it: a POST without body.
        QVERIFY(admin.Post("/_sandbox/fault", "method=taobao.items.list.get&kind=close&count=3",
                           "application/x-www-form-urlencoded"));
        QCOMPARE(sandbox.pendingFaults(listGet), 3);
        QCOMPARE(bareRequestStatus(port, "POST", "/_sandbox/faults/clear"), QByteArray("HTTP/1.1 200 OK"));
        QCOMPARE(sandbox.pendingFaults(listGet), 0);

        update(quantityUpdate, {{"num_iid", "610000003003"}, {"quantity", "42"}});
        res = admin.Get("/_sandbox/state");
        QVERIFY(res && res->status == 200);
        const QJsonArray shops = QJsonDocument::fromJson(QByteArray::fromStdString(res->body))
                                     .object()
                                     .value(QStringLiteral("shops"))
                                     .toArray();
        QCOMPARE(shops.size(), 3);
        QCOMPARE(shops[0]
                     .toObject()
                     .value(QStringLiteral("items"))
                     .toArray()[2]
                     .toObject()
                     .value(QStringLiteral("num"))
                     .toInt(),
                 42);
        res = admin.Get("/_sandbox/calls");
        QCOMPARE(QJsonDocument::fromJson(QByteArray::fromStdString(res->body)).array().size(), 4);

        // Two calls a minute, then the ban with the time it has left.
        QVERIFY(
            admin.Post("/_sandbox/rate-limit", "calls=2&seconds=60", "application/x-www-form-urlencoded"));
        QCOMPARE(errorCode(readItem(610000003001)), 0);
        QCOMPARE(errorCode(readItem(610000003001)), 0);
        const QByteArray xml = readItem(610000003001);
        QCOMPARE(errorCode(xml), 7);
        QCOMPARE(firstText(xml, QStringLiteral("msg")), QStringLiteral("App Call Limited"));
        QCOMPARE(firstText(xml, QStringLiteral("sub_code")),
                 QStringLiteral("accesscontrol.limited-by-app-api-access-count"));
        QCOMPARE(firstText(xml, QStringLiteral("sub_msg")),
                 QStringLiteral("This ban will last for 60 more seconds"));
    }
};

QTEST_GUILESS_MAIN(SandboxGatewayTest)
#include "sandbox_gateway_test.moc"
