// The signature check against digests worked out by hand (md5sum over the
// signing text: secret + sorted name/value pairs without empty values + secret).
#include "SandboxClient.h"
#include "SandboxSigning.h"
#include "TopSandbox.h"

#include <QTest>
#include <QUrl>

using namespace sandboxtest;

namespace {

struct Vector
{
    const char *name;
    Pairs pairs;
    QString secret;
    QString digest;
};

QList<Vector> vectors()
{
    auto pairs = [](const QString &method, Args own) {
        Pairs p = common(method);
        p += own.p;
        return p;
    };
    return {
        {"list.get",
         pairs(QStringLiteral("taobao.items.list.get"),
               {{"fields", "num_iid,title"}, {"num_iids", "610000003003"}}),
         appSecret, QStringLiteral("3962C53760DA10BE5F9FDE06502D70E1")},
        // An empty session is left out of the digest: the same digest as above.
        {"empty session",
         pairs(QStringLiteral("taobao.items.list.get"),
               {{"fields", "num_iid,title"}, {"num_iids", "610000003003"}, {"session", ""}}),
         appSecret, QStringLiteral("3962C53760DA10BE5F9FDE06502D70E1")},
        // num sorts before num_iid (byte order of the names).
        {"listing",
         pairs(QStringLiteral("taobao.item.update.listing"),
               {{"num_iid", "610000003007"}, {"num", "5"}, {"session", "sandbox-session-c-1"}}),
         appSecret, QStringLiteral("995BE04136AC9D91DACFE86E3F0CE8A0")},
        // Chinese values are hashed as UTF-8.
        {"chinese keyword",
         pairs(QStringLiteral("taobao.items.inventory.get"), {{"fields", "num_iid,title"},
                                                              {"q", "羽绒服"},
                                                              {"page_no", "1"},
                                                              {"page_size", "20"},
                                                              {"session", "sandbox-session-c-1"}}),
         appSecret, QStringLiteral("348872E51247AAEF26F343EC57B6BC90")},
        {"reserved characters",
         pairs(QStringLiteral("taobao.items.onsale.get"),
               {{"fields", "num_iid,title"}, {"q", "50+ & 速干"}, {"session", "sandbox-session-c-2"}}),
         appSecret, QStringLiteral("65477BCD6414C5087F6FF8E2E9C1851A")},
        {"other application",
         [] {
             Pairs p = common(QStringLiteral("taobao.items.list.get"));
             p[0].second = QStringLiteral("12345678");
             p += Args{{"fields", "num_iid,title"}, {"num_iids", "610000003003"}}.p;
             return p;
         }(),
         QStringLiteral("secretXYZ"), QStringLiteral("FD9EF321C1106A574B80FE00DE38F25A")},
    };
}

} // namespace

class SandboxSigningTest : public QObject
{
    Q_OBJECT

    topsandbox::TopSandbox sandbox;
    int port = 0;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(sandbox.loadFixture(QStringLiteral(SANDBOX_FIXTURE)));
        sandbox.addApp(QStringLiteral("12345678"), QStringLiteral("secretXYZ"));
        sandbox.setClock(
            [] { return QDateTime::fromString(fixedTime, QStringLiteral("yyyy-MM-dd HH:mm:ss")); });
        port = sandbox.start(0);
        QVERIFY(port > 0);
    }

    void digestsMatchTheHandWorkedVectors()
    {
        for (const Vector &v : vectors()) {
            // Both the sandbox and the tests' own signer agree with md5sum ...
            QCOMPARE(topsandbox::topSignature(v.pairs, v.secret), v.digest);
            QCOMPARE(md5Sign(v.pairs, v.secret), v.digest);
            // ... and the gateway accepts the call, however the pairs are ordered in the body.
            Pairs reversed(v.pairs.rbegin(), v.pairs.rend());
            for (const Pairs &order : {v.pairs, reversed}) {
                Pairs withSign = order;
                withSign.append({QStringLiteral("sign"), v.digest});
                const QByteArray body = topsandbox::encodeForm(withSign);
                const QByteArray xml = Client(port).postBody(body.toStdString());
                QVERIFY2(
                    !xml.contains("<error_response>"),
                    qPrintable(QString::fromUtf8(v.name) + QStringLiteral(": ") + QString::fromUtf8(xml)));
                QVERIFY(sandbox.calls().last().signatureValid);
            }
        }
        // The keyword with "+" and "&" arrived as it was signed.
        QCOMPARE(sandbox.calls(QStringLiteral("taobao.items.onsale.get")).last().param(QStringLiteral("q")),
                 QStringLiteral("50+ & 速干"));
    }

    void unencodedBodiesAsTheProgramSendsThem()
    {
        // The program sends values as they are: the blank of the timestamp and Chinese text arrive intact.
        for (int i : {0, 1, 2, 3}) {
            const Vector v = vectors()[i];
            const QByteArray xml = Client(port).postBody(rawBody(v.pairs, v.digest));
            QVERIFY2(!xml.contains("<error_response>"), xml.constData());
        }
        // A keyword left in GBK is not UTF-8: refused as such, whatever its signature.
        std::string gbk = rawBody(vectors()[3].pairs, vectors()[3].digest);
        const size_t at = gbk.find("羽绒服");
        QVERIFY(at != std::string::npos);
        gbk.replace(at, std::string("羽绒服").size(), "\xD3\xF0\xC8\xDE\xB7\xFE");
        QCOMPARE(firstText(Client(port).postBody(gbk), QStringLiteral("msg")),
                 QStringLiteral("Invalid encoding"));
        // A raw "+" reads as a blank in a form body, so such a value no longer matches its signature.
        const Vector v = vectors()[4];
        const QByteArray xml = Client(port).postBody(rawBody(v.pairs, v.digest));
        QCOMPARE(errorCode(xml), 25);
    }

    void signatureDetails()
    {
        Pairs p = vectors()[0].pairs;
        // Lower-case hex, a changed value and a signature under another secret are refused.
        for (const QString &sign :
             {QStringLiteral("3962c53760da10be5f9fde06502d70e1"), md5Sign(p, QStringLiteral("secretXYZ"))}) {
            QCOMPARE(errorCode(Client(port).postBody(rawBody(p, sign))), 25);
            QVERIFY(!sandbox.calls().last().signatureValid);
        }
        p[3].second = QStringLiteral("HMAC"); // sign_method
        QCOMPARE(firstText(Client(port).postBody(rawBody(p, md5Sign(p, appSecret))), QStringLiteral("msg")),
                 QStringLiteral("Invalid arguments:sign_method"));
        // Within ten minutes either way the timestamp is accepted.
        for (const char *t : {"2026-12-09 09:50:00", "2026-12-09 10:10:00"}) {
            Pairs q = common(QStringLiteral("taobao.items.list.get"), QString::fromUtf8(t));
            q += vectors()[0].pairs.mid(6);
            QCOMPARE(errorCode(Client(port).postBody(rawBody(q, md5Sign(q, appSecret)))), 0);
        }
    }

    void formDecoding()
    {
        const topsandbox::Params p = topsandbox::decodeForm("a=1+2&b=%E7%BE%BD%2B&c=&d&e=50%&f=x=y");
        QCOMPARE(p.size(), 6);
        QCOMPARE(p[0].second, QStringLiteral("1 2"));
        QCOMPARE(p[1].second, QStringLiteral("羽+"));
        QCOMPARE(p[2].second, QString());
        QCOMPARE(p[3].first, QStringLiteral("d"));
        QCOMPARE(p[4].second, QStringLiteral("50%"));
        QCOMPARE(p[5].second, QStringLiteral("x=y"));
    }
};

QTEST_GUILESS_MAIN(SandboxSigningTest)
#include "sandbox_signing_test.moc"
