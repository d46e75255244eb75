// The one table from the platform's error codes, sub-codes and transport
// causes to a sentence that tells the seller what to do, followed by the
// platform's own words; and whether an error ends a run or refuses one item.
#include "top/PlatformMessages.h"

#include <QtTest>

using namespace PlatformMessages;

class PlatformMessagesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyNamedCaseHasItsRemedy_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("subCode");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("endsRun");
        QTest::newRow("call limit") << 7 << QStringLiteral("accesscontrol.limited-by-app-api-access-count")
                                    << QStringLiteral("等待") << true;
        QTest::newRow("call limit, no sub-code") << 7 << QString() << QStringLiteral("等待") << true;
        QTest::newRow("permission") << 11 << QString() << QStringLiteral("权限") << true;
        QTest::newRow("busy") << 15 << QStringLiteral("isp.top-remote-connection-timeout")
                              << QStringLiteral("过几分钟再试") << true;
        QTest::newRow("remote error") << 15 << QString() << QStringLiteral("再试") << true;
        QTest::newRow("signature") << 25 << QString() << QStringLiteral("应用证书") << true;
        QTest::newRow("app key") << 29 << QString() << QStringLiteral("应用证书") << true;
        QTest::newRow("missing session") << 26 << QString() << QStringLiteral("登录") << true;
        QTest::newRow("invalid session") << 27 << QStringLiteral("invalid-sessionkey")
                                         << QStringLiteral("重新登录") << true;
        QTest::newRow("session expired") << 53 << QString() << QStringLiteral("重新登录") << true;
        QTest::newRow("27 with an unknown sub-code") << 27 << QStringLiteral("isv.whatever")
                                                     << QStringLiteral("重新登录") << true;
        QTest::newRow("locked") << 15 << QStringLiteral("isv.item-is-locked") << QStringLiteral("锁定") << false;
        QTest::newRow("sku price range")
            << 15 << QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_SKU_PRICE_OUT_OF_RANGE")
            << QStringLiteral("10%") << false;
        QTest::newRow("item price range")
            << 15 << QStringLiteral("isv.item-update-service-error:IC_CHECKSTEP_ITME_SKU_PRICE_UNMATCH")
            << QStringLiteral("价格范围") << false;
        QTest::newRow("nothing to sell") << 15 << QStringLiteral("isv.item-listing-service-error:IC_ITEM_QUANTITY_ZERO")
                                         << QStringLiteral("数量为 0") << false;
        QTest::newRow("another business refusal") << 15 << QStringLiteral("isv.something-new")
                                                  << QStringLiteral("这个宝贝") << false;
        // a missing parameter without an isv. sub-code is the call's fault, as the upload jobs judge it
        QTest::newRow("missing parameter") << 40 << QString() << QStringLiteral("缺少必需的参数") << true;
        QTest::newRow("unknown code") << 999 << QString() << QStringLiteral("原文") << true;
    }

    void everyNamedCaseHasItsRemedy()
    {
        QFETCH(int, code);
        QFETCH(QString, subCode);
        QFETCH(QString, words);
        QFETCH(bool, endsRun);
        const QString text = explain(code, subCode, QStringLiteral("Some msg,") + subCode + QStringLiteral(","));
        QVERIFY2(text.contains(words), qPrintable(text));
        QCOMPARE(scopeOf(code, subCode) == Scope::Run, endsRun);
        // the platform's own words follow, without the empty parts
        QVERIFY2(text.contains(QStringLiteral("\r\n平台原文: Some msg")), qPrintable(text));
        QVERIFY2(!text.endsWith(QLatin1Char(',')) && !text.endsWith(QStringLiteral(", ")), qPrintable(text));
    }

    void theMeasuredTimeOutReadsAsAdvice()
    {
        const QString text = explain(15, QStringLiteral("isp.top-remote-connection-timeout"),
                                     QStringLiteral("Remote service error,isp.top-remote-connection-timeout,"));
        QVERIFY(text.startsWith(QStringLiteral("淘宝开放平台繁忙")));
        QVERIFY(text.endsWith(QStringLiteral("平台原文: Remote service error, isp.top-remote-connection-timeout")));
        QVERIFY(lookup(15, u"isp.top-remote-connection-timeout").tryLater);
        QVERIFY(!lookup(27, u"invalid-sessionkey").tryLater);
        // a reply without any text still names its code
        QVERIFY(explain(27, QString(), QStringLiteral(",,")).endsWith(QStringLiteral("错误代码 27")));
    }

    void transportCausesGetTheirSentence()
    {
        const QString timeout = explainTransport(QStringLiteral("等待服务器应答超时 (receive timeout after 10000 ms)"));
        QVERIFY(timeout.contains(QStringLiteral("没有及时应答")));
        QVERIFY(timeout.endsWith(QStringLiteral("原因: 等待服务器应答超时 (receive timeout after 10000 ms)")));
        QVERIFY(explainTransport(QStringLiteral("找不到服务器 (x)")).contains(QStringLiteral("DNS")));
        QVERIFY(explainTransport(QStringLiteral("odd")).startsWith(QStringLiteral("网络通讯错误")));
    }
};

QTEST_GUILESS_MAIN(PlatformMessagesTest)
#include "platform_messages_test.moc"
