#include "top/LocalHttpServer.h"

#include "app/BuiltinAppKey.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "top/PlatformMessages.h"
#include "top/TopClient.h"
#include "top/WinHTTP.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

// Expected signatures below were worked out with md5sum over the signing
// text written out by hand (secret + key value pairs + secret, UTF-8).
namespace {
const char *const kF1 =
    "nick,props_name,approve_status,title,num,price,property_alias,outer_id,num_iid,sku.sku_id,"
    "sku.properties_name,sku.properties,sku.quantity,sku.price,sku.outer_id,is_fenxiao";
const char *const kListGetSign = "2D4AF00D1130F3F954DE777076787399";
const char *const kListingNoSessionSign = "2E405136013147145EE2BD29200D71CE";
const char *const kInventorySign = "FE437FFCD34A8D031C2152E347F57C5C";
const char *const kChineseSign = "78B2F122178C13300E9DE4042AD665CC";    // a=1 b=中文, secret s3cr3t, UTF-8
const char *const kChineseGbkSign = "92F99FCA9DEEC079952B249FC1CA0E0F"; // the same over GBK bytes
} // namespace

class TopRequestTest : public QObject
{
    Q_OBJECT

    struct Gateway
    {
        LocalHttpServer srv;
        TopClient client;
        QStringList debug;
        Gateway()
        {
            srv.Post("/router/rest", [](const httplib::Request &, httplib::Response &res) {
                res.set_content("<ok/>", "text/xml;charset=UTF-8");
            });
            client.setAppKey(BuiltinAppKey(), BuiltinAppSecret());
            TopEndpoints e = TopEndpoints::defaults();
            e.gateway = srv.url(QStringLiteral("/router/rest"));
            client.setEndpoints(e);
            client.setDebugSink([this](const QString &text) { debug.append(text); });
        }
        // Runs one builder and returns the body the gateway received.
        template <typename Build> QByteArray send(Build build)
        {
            TWinHTTP http;
            QSignalSpy done(&http, &TWinHTTP::OnDone);
            const int before = int(srv.seen().size());
            if (!build(http))
                return {};
            if (!done.wait(5000))
                return {};
            const QList<SeenRequest> seen = srv.seen();
            if (seen.size() <= before)
                return {};
            const SeenRequest r = seen.at(before);
            lastReferer = r.header("Referer");
            lastTarget = r.target;
            return r.body;
        }
        QByteArray lastReferer;
        QByteArray lastTarget;
    };

    static QByteArrayList keysOf(const QByteArray &body)
    {
        QByteArrayList keys;
        for (const QByteArray &pair : body.split('&'))
            keys.append(pair.left(pair.indexOf('=')));
        return keys;
    }
    static QString valueOf(const QByteArray &body, const QString &key)
    {
        return QUrlQuery(QString::fromLatin1(body)).queryItemValue(key, QUrl::FullyDecoded);
    }

private Q_SLOTS:
    void init() { Clock::setNow(QDateTime(QDate(2012, 6, 29), QTime(9, 5, 7))); }
    void cleanup() { Clock::reset(); }

    void signatures()
    {
        const QString sign = GetSign(QStringLiteral("a=1\r\nb=中文"), QStringLiteral("s3cr3t"));
        QCOMPARE(sign, QString::fromLatin1(kChineseSign));
        QVERIFY(sign != QString::fromLatin1(kChineseGbkSign));
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9A-F]{32}$")).match(sign).hasMatch());

        // Whatever order the lines are added in, sorting gives one body and one signature.
        TopParams a;
        a.add(QStringLiteral("v"), QStringLiteral("2.0"));
        a.add(QStringLiteral("num_iids"), QStringLiteral("1001,1002"));
        a.add(QStringLiteral("sign_method"), QStringLiteral("md5"));
        a.add(QStringLiteral("method"), QStringLiteral("taobao.items.list.get"));
        a.add(QStringLiteral("timestamp"), QStringLiteral("2012-06-29 09:05:07"));
        a.add(QStringLiteral("fields"), QString::fromLatin1(kF1));
        a.add(QStringLiteral("format"), QStringLiteral("xml"));
        a.add(QStringLiteral("app_key"), BuiltinAppKey());
        TopClient client;
        client.setAppKey(BuiltinAppKey(), BuiltinAppSecret());
        TopParams b = client.commonParams(QStringLiteral("taobao.items.list.get"));
        b.add(QStringLiteral("num_iids"), QStringLiteral("1001,1002"));
        b.add(QStringLiteral("fields"), QString::fromLatin1(kF1));
        a.sort();
        b.sort();
        QCOMPARE(a.text(), b.text());
        QCOMPARE(a.sign(BuiltinAppSecret()), QString::fromLatin1(kListGetSign));
        QCOMPARE(GetSign(a.text(), BuiltinAppSecret()), QString::fromLatin1(kListGetSign));
        QCOMPARE(a.body(BuiltinAppSecret()), b.body(BuiltinAppSecret()));
    }

    void sourceItemRequest()
    {
        Gateway g;
        g.client.setSessionKey(QStringLiteral("SESS-1")); // never sent by the source download
        const QByteArray body = g.send([&](TWinHTTP &http) {
            return g.client.taobao_items_list_get(QStringLiteral("1001,1002"), http);
        });
        const QByteArray expected =
            QByteArray("app_key=21770501&fields=") + QUrl::toPercentEncoding(QString::fromLatin1(kF1)) +
            "&format=xml&method=taobao.items.list.get&num_iids=1001%2C1002&sign_method=md5"
            "&timestamp=2012-06-29%2009%3A05%3A07&v=2.0&sign=" +
            kListGetSign;
        QCOMPARE(body, expected);
        QCOMPARE(g.lastTarget, QByteArray("/router/rest"));
        QCOMPARE(g.lastReferer, QStringLiteral("http://127.0.0.1:%1").arg(g.srv.port()).toLatin1());
        QVERIFY(!body.contains(BuiltinAppSecret().toLatin1()));
        QVERIFY(g.debug.isEmpty()); // this builder does not echo
    }

    void listingKeepsItsKeyOrder()
    {
        Gateway g; // no session key held: the line is sent empty and signed as the bare key
        const QByteArray body = g.send([&](TWinHTTP &http) {
            return g.client.taobao_item_update_listing(QStringLiteral("520001"), QStringLiteral("3"), http);
        });
        QCOMPARE(keysOf(body), QByteArrayList({"app_key", "format", "method", "num", "num_iid", "session",
                                               "sign_method", "timestamp", "v", "sign"}));
        QVERIFY(body.contains("&session=&"));
        QCOMPARE(valueOf(body, QStringLiteral("sign")), QString::fromLatin1(kListingNoSessionSign));
        QCOMPARE(g.debug.size(), 1);
        QCOMPARE(g.debug.at(0), QString::fromLatin1(body));
        QVERIFY(!g.debug.at(0).contains(BuiltinAppSecret()));

        const QByteArray body2 = g.send([&](TWinHTTP &http) {
            return g.client.taobao_item_update_listing2(QStringLiteral("520001"), QStringLiteral("3"), http);
        });
        QCOMPARE(body2, body);
    }

    void reservedCharactersInValues()
    {
        Gateway g;
        g.client.setSessionKey(QStringLiteral("SESS-1"));
        const QByteArray body = g.send([&](TWinHTTP &http) {
            return g.client.taobao_items_inventory_get(QStringLiteral("  红色 T恤&5%+=1 "),
                                                       QStringLiteral("1"), QStringLiteral("100"), http);
        });
        // The value arrives whole; the signature is over the unencoded text.
        QCOMPARE(valueOf(body, QStringLiteral("q")), QStringLiteral("红色 T恤&5%+=1"));
        QCOMPARE(valueOf(body, QStringLiteral("sign")), QString::fromLatin1(kInventorySign));
        QCOMPARE(keysOf(body).size(), 12);
        QVERIFY(body.contains("q=%E7%BA%A2%E8%89%B2%20T%E6%81%A4%265%25%2B%3D1&"));

        // Without a keyword there is no q line.
        const QByteArray bare = g.send([&](TWinHTTP &http) {
            return g.client.taobao_items_inventory_get(QStringLiteral(" "), QStringLiteral("1"),
                                                       QStringLiteral("100"), http);
        });
        QVERIFY(!keysOf(bare).contains("q"));
    }

    void sessionAndMethodRules()
    {
        Gateway g;
        auto keys = [&](auto build) { return keysOf(g.send(build)); };
        // "when held": no line without a session key
        QVERIFY(!keys([&](TWinHTTP &h) {
                     return g.client.taobao_items_list_get3(QStringLiteral("1"), h);
                 }).contains("session"));
        QVERIFY(!keys([&](TWinHTTP &h) {
                     return g.client.taobao_items_onsale_get(QStringLiteral("1"), h);
                 }).contains("session"));
        // "always"
        QVERIFY(keys([&](TWinHTTP &h) {
                    return g.client.taobao_items_custom_get(QStringLiteral("A-1"), h);
                }).contains("session"));
        g.client.setSessionKey(QStringLiteral("SESS-1"));
        QVERIFY(keys([&](TWinHTTP &h) {
                    return g.client.taobao_items_list_get3(QStringLiteral("1"), h);
                }).contains("session"));
        QVERIFY(!keys([&](TWinHTTP &h) {
                     return g.client.taobao_items_list_get(QStringLiteral("1"), h);
                 }).contains("session"));

        // Price: the item form without properties, the SKU form with them.
        g.debug.clear();
        QByteArray b = g.send([&](TWinHTTP &h) {
            return g.client.taobao_item_sku_price_update(QStringLiteral("7"), QStringLiteral("9.5"),
                                                         QString(), QString(), h);
        });
        QCOMPARE(valueOf(b, QStringLiteral("method")), QStringLiteral("taobao.item.price.update"));
        b = g.send([&](TWinHTTP &h) {
            return g.client.taobao_item_sku_price_update(QStringLiteral("7"), QStringLiteral("9.5"),
                                                         QStringLiteral("1627207:28320"),
                                                         QStringLiteral("12"), h);
        });
        QCOMPARE(valueOf(b, QStringLiteral("method")), QStringLiteral("taobao.item.sku.price.update"));
        QCOMPARE(valueOf(b, QStringLiteral("properties")), QStringLiteral("1627207:28320"));
        QCOMPARE(valueOf(b, QStringLiteral("item_price")), QStringLiteral("12"));
        // Quantity: sku_id only for a SKU.
        b = g.send([&](TWinHTTP &h) {
            return g.client.taobao_item_quantity_update(QStringLiteral("7"), QStringLiteral("5"),
                                                        QStringLiteral("1"), QString(), h);
        });
        QVERIFY(!keysOf(b).contains("sku_id"));
        QCOMPARE(g.debug.size(), 3); // the update builders echo
        g.send([&](TWinHTTP &h) { return g.client.taobao_item_update_delisting(QStringLiteral("7"), h); });
        g.send([&](TWinHTTP &h) {
            return g.client.taobao_item_update(QStringLiteral("7"), QStringLiteral("2012-07-01 10:00:00"), h);
        });
        QCOMPARE(g.debug.size(), 3);
    }

    void betweenMarkers()
    {
        const QString s = QStringLiteral("<msg>"), e = QStringLiteral("</msg>");
        QCOMPARE(GetBetween(QStringLiteral("a<msg></msg>b"), s, e), QString());
        QCOMPARE(GetBetween(QStringLiteral("a<msg>open"), s, e), QString());
        QCOMPARE(GetBetween(QStringLiteral("</msg><msg>x"), s, e), QString());
        QCOMPARE(GetBetween(QStringLiteral("<msg>one</msg><msg>two</msg>"), s, e), QStringLiteral("one"));
        QCOMPARE(GetBetween(QStringLiteral("x"), s, e), QString());
    }

    void replyIntake()
    {
        TopClient client;
        QStringList debug;
        client.setDebugSink([&](const QString &t) { debug.append(t); });

        QVERIFY(client.intake(QByteArray("<items_list_get_response>标题🙂</items_list_get_response>"),
                              TopErrorPrefix::download())
                    .ok());
        QCOMPARE(client.replyBuffer(), QStringLiteral("<items_list_get_response>标题🙂</items_list_get_response>"));
        QCOMPARE(debug, QStringList{client.replyBuffer()});

        client.clearReplyBuffer();
        const QByteArray withSub =
            "<?xml version=\"1.0\"?><error_response><code>27</code><msg>Invalid session</msg>"
            "<sub_code>invalid-sessionkey</sub_code><sub_msg>会话失效</sub_msg></error_response>";
        const TopIntake failed = client.intake(withSub, TopErrorPrefix::quantityUpload());
        QVERIFY(!failed.ok());
        // what it means and what to do first, then the platform's own words
        QCOMPARE(failed.message, QStringLiteral("上传库存失败.\r\n错误原因: ") +
                                     PlatformMessages::explain(27, QStringLiteral("invalid-sessionkey"),
                                                               failed.errorText));
        QVERIFY(failed.message.contains(QStringLiteral("重新登录")));
        QVERIFY(failed.message.endsWith(QStringLiteral("\r\n平台原文: Invalid session, invalid-sessionkey, 会话失效")));
        QCOMPARE(failed.errorText, QStringLiteral("Invalid session,invalid-sessionkey,会话失效"));

        client.clearReplyBuffer();
        const TopIntake bare = client.intake(
            QByteArray("<error_response><code>15</code><msg>Remote service error</msg></error_response>"),
            TopErrorPrefix::download());
        QCOMPARE(bare.errorText, QStringLiteral("Remote service error,,"));
    }

    void repliesThatAreNotThePlatformsFail()
    {
        // What a proxy or a broken gateway may answer with status 200: none
        // of it is a reply, and a body cut off on the way is a transport error.
        LocalHttpServer srv;
        const QList<QPair<std::string, std::string>> unreadable{
            {"<!DOCTYPE html><html><body><h1>502 Bad Gateway</h1></body></html>", "text/html"},
            {"", "text/xml"},
            {R"({"items_list_get_response":{"items":{"item":[]}}})", "application/json"},
            {"<items_list_get_response><items><item><num_iid>1</num_iid></items>", "text/xml"},
            {"<items_list_get_response/><items_list_get_response/>", "text/xml"}};
        for (int i = 0; i < unreadable.size(); ++i) {
            const auto body = unreadable.at(i);
            srv.Post("/unreadable/" + std::to_string(i), [body](const httplib::Request &, httplib::Response &res) {
                res.set_content(body.first, body.second.c_str());
            });
        }
        srv.Post("/good", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("<?xml version=\"1.0\"?><items_list_get_response><items list=\"true\"/>"
                            "</items_list_get_response>",
                            "text/xml;charset=UTF-8");
        });
        srv.Post("/chunked", [](const httplib::Request &, httplib::Response &res) {
            res.set_chunked_content_provider("text/xml", [](size_t offset, httplib::DataSink &sink) {
                if (offset > 0)
                    return false; // the connection drops before the last chunk
                const std::string half = "<items_list_get_response><items><item><num_iid>1</num_iid>";
                sink.write(half.data(), half.size());
                return true;
            });
        });
        srv.Post("/short", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(1000, "text/xml", [](size_t offset, size_t, httplib::DataSink &sink) {
                if (offset > 0)
                    return false;
                const std::string part = "<items_list_get_response><items>";
                sink.write(part.data(), part.size());
                return true;
            });
        });

        TopClient client;
        client.setAppKey(BuiltinAppKey(), BuiltinAppSecret());
        struct Outcome
        {
            bool done = false;
            TopIntake intake;
            QString error;
        };
        auto fetch = [&](const std::string &path) {
            TopEndpoints e = TopEndpoints::defaults();
            e.gateway = srv.url(QString::fromStdString(path));
            client.setEndpoints(e);
            TWinHTTP http;
            http.setTimeouts(10000);
            Outcome out;
            bool over = false;
            connect(&http, &TWinHTTP::OnDone, this, [&](const QString &, qint64, const QByteArray &body) {
                out.done = true;
                out.intake = client.intake(body, TopErrorPrefix::download());
                over = true;
            });
            connect(&http, &TWinHTTP::OnAnyError, this, [&](const QString &why) {
                out.error = why;
                over = true;
            });
            if (client.taobao_items_list_get(QStringLiteral("1"), http) &&
                !QTest::qWaitFor([&] { return over; }, 5000))
                out.error = QStringLiteral("no event");
            return out;
        };

        const Outcome good = fetch("/good");
        QVERIFY(good.done);
        QVERIFY(good.intake.ok());

        for (int i = 0; i < unreadable.size(); ++i) {
            const Outcome out = fetch("/unreadable/" + std::to_string(i));
            QVERIFY2(out.done, qPrintable(out.error));
            QVERIFY2(!out.intake.ok(), unreadable.at(i).first.c_str());
            QCOMPARE(out.intake.kind, TopIntake::Kind::Unreadable);
            QCOMPARE(out.intake.message,
                     QStringLiteral("下载失败.\r\n错误原因: 返回的数据无法识别(不是开放平台的XML应答)"));
        }

        for (const char *cut : {"/chunked", "/short"}) {
            const Outcome out = fetch(cut);
            QVERIFY2(!out.done, cut);
            QVERIFY2(out.error.startsWith(QStringLiteral("应答不完整,连接中断 (received ")), qPrintable(out.error));
        }
    }
};

QTEST_GUILESS_MAIN(TopRequestTest)
#include "toprequest_test.moc"
