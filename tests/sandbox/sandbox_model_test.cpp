// Fixtures, the generator and the command line of top-sandbox.
#include "SandboxClient.h"
#include "TopSandbox.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace topsandbox;

class SandboxModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoFixtureShape()
    {
        TopSandbox s;
        QString error;
        QVERIFY2(s.loadFixture(QStringLiteral(SANDBOX_FIXTURE), &error), qPrintable(error));
        QCOMPARE(s.nicks(), sandboxtest::words("sandbox_c_1 sandbox_c_2 sandbox_b_01"));
        QCOMPARE(s.sessionFor(QStringLiteral("sandbox_c_1")), QStringLiteral("sandbox-session-c-1"));
        QCOMPARE(s.sessionFor(QStringLiteral("sandbox_b_01")), QStringLiteral("sandbox-session-b-01"));
        QCOMPARE(s.passwordFor(QStringLiteral("sandbox_c_2")), QStringLiteral("taobao1234"));
        QCOMPARE(s.itemIds(QStringLiteral("sandbox_c_1")).size(), 9);
        // Every item price lies within its SKUs' price range, and num is the SKUs' sum.
        ShopModel m;
        s.modify([&m](ShopModel &model) { m = model; });
        for (const Shop &shop : m.shops())
            for (const Item &it : shop.items) {
                if (it.skus.isEmpty())
                    continue;
                qint64 lo = it.skus[0].priceCents, hi = lo;
                int sum = 0;
                for (const Sku &k : it.skus) {
                    lo = std::min(lo, k.priceCents);
                    hi = std::max(hi, k.priceCents);
                    sum += k.quantity;
                }
                QVERIFY2(it.priceCents >= lo && it.priceCents <= hi, qPrintable(QString::number(it.numIid)));
                QCOMPARE(it.num, sum);
            }
        // The state is itself a fixture: loading it gives the same state.
        const QByteArray state = s.stateJson();
        TopSandbox t;
        QVERIFY(t.loadFixtureJson(state, &error));
        QCOMPARE(t.stateJson(), state);
    }

    void badFixturesAreRefusedWhole()
    {
        const QByteArray good = R"({"shops":[{"nick":"a","items":[{"num_iid":1,"price":"1.00"}]}]})";
        const QList<QByteArray> bad = {
            R"({"shops":[{"nick":"a","items":[{"num_iid":1,"price":"1.00"},{"num_iid":1,"price":"2.00"}]}]})",
            R"({"shops":[{"nick":"a","items":[{"num_iid":1,"price":"1.005"}]}]})",
            R"({"shops":[{"nick":"a","items":[{"num_iid":1,"price":"1","approve_status":"sold"}]}]})",
            R"({"shops":[{"nick":"a","items":[]},{"nick":"a","items":[]}]})",
            R"({"shops":[{"nick":"a","items":[{"num_iid":1,"price":"1","skus":[{"sku_id":5,"properties":"1:2","price":"1"},{"sku_id":5,"properties":"1:3","price":"1"}]}]}]})",
            "not json",
        };
        for (const QByteArray &json : bad) {
            TopSandbox s;
            QVERIFY(s.loadFixtureJson(good));
            QString error;
            QVERIFY2(!s.loadFixtureJson(json, &error), json.constData());
            QVERIFY(!error.isEmpty());
            QCOMPARE(s.itemPrice(1), QStringLiteral("1.00")); // the earlier model stays
        }
    }

    void pricesAndGenerator()
    {
        qint64 c = 0;
        QVERIFY(parsePrice(QStringLiteral("12.5"), &c) && c == 1250);
        QVERIFY(parsePrice(QStringLiteral("0.01"), &c) && c == 1);
        for (const char *t : {"0", "-1", "1.234", "1.", ".5", "1e3", "", "12,5"})
            QVERIFY2(!parsePrice(QString::fromUtf8(t), &c), t);
        QCOMPARE(priceText(1205), QStringLiteral("12.05"));

        GenerateOptions o;
        QVERIFY(GenerateOptions::parse(QStringLiteral("shops=2,items=50,skus=6,seed=7"), &o, nullptr));
        QVERIFY(!GenerateOptions::parse(QStringLiteral("shops=2,colours=3"), &o, nullptr));
        TopSandbox a, b, other;
        a.generate(o);
        b.generate(o);
        o.seed = 8;
        other.generate(o);
        QCOMPARE(a.stateJson(), b.stateJson());
        QVERIFY(a.stateJson() != other.stateJson());
        QCOMPARE(a.itemIds(QStringLiteral("gen_shop_2")).size(), 50);
        const auto item = a.item(a.itemIds(QStringLiteral("gen_shop_1")).first());
        QCOMPARE(item->skus.size(), 6);
        QCOMPARE(a.sessionFor(QStringLiteral("gen_shop_1")), QStringLiteral("gen-session-1"));
    }

    void commandLine()
    {
        QProcess p;
        p.start(QStringLiteral(TOP_SANDBOX_EXE),
                {QStringLiteral("--fixture"), QStringLiteral(SANDBOX_FIXTURE), QStringLiteral("--port"),
                 QStringLiteral("0"), QStringLiteral("--app"), QStringLiteral("12345678:secretXYZ"),
                 QStringLiteral("--fault"),
                 QStringLiteral("method=taobao.items.list.get,kind=error,code=15,sub_code=isp.demo")});
        QVERIFY(p.waitForReadyRead(5000));
        const int port = p.readLine().trimmed().toInt();
        QVERIFY(port > 0);
        httplib::Client admin("127.0.0.1", port);
        auto res = admin.Get("/_sandbox/state");
        QVERIFY(res && res->status == 200);
        QCOMPARE(QJsonDocument::fromJson(QByteArray::fromStdString(res->body))
                     .object()
                     .value(QStringLiteral("shops"))
                     .toArray()
                     .size(),
                 3);
        // The fault given on the command line answers the first call.
        const QByteArray xml = sandboxtest::Client(port).call(QStringLiteral("taobao.items.list.get"), {});
        QCOMPARE(sandboxtest::firstText(xml, QStringLiteral("sub_code")), QStringLiteral("isp.demo"));
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 0);

        QProcess bad;
        bad.start(QStringLiteral(TOP_SANDBOX_EXE), {QStringLiteral("--rate-limit"), QStringLiteral("x")});
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(SandboxModelTest)
#include "sandbox_model_test.moc"
