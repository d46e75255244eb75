// sku-get against the stand-in: the item's SKUs as CSV, an error reply with
// the platform's message in Chinese, and ids the program does not take.
#include "TestRig.h"
#include "app/CommandLine.h"
#include "app/CommandOutput.h"

#include <QtTest>

namespace {

const qint64 kItem = 610000003001;

} // namespace

class SkuGetTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.05); }
    void cleanup() { Intervals::setScale(1.0); }

    void skusAsCsv()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        // a merchant code with a comma stays one field
        QStringList expected{QStringLiteral("sku_id,properties_name,quantity,price,outer_id")};
        rig.sandbox.modify([&](topsandbox::ShopModel &m) {
            topsandbox::Item *item = m.item(kItem);
            QVERIFY(item && item->skus.size() > 1);
            item->skus.first().outerId = QStringLiteral("T100,黑");
            for (const topsandbox::Sku &s : item->skus)
                expected << QString::number(s.skuId) + QLatin1Char(',') + s.propertiesName + QLatin1Char(',') +
                                QString::number(s.quantity) + QLatin1Char(',') + topsandbox::priceText(s.priceCents) +
                                QLatin1Char(',') +
                                (s.outerId.contains(QLatin1Char(',')) ? QLatin1Char('"') + s.outerId + QLatin1Char('"')
                                                                      : s.outerId);
        });
        rig.app.reset(); // the command opens the folder itself
        const CommandTable::Command *command = CommandTable::find(QStringLiteral("sku-get"));
        QVERIFY(command);
        auto run = [&](const QStringList &args, CommandOutputCapture &out) {
            Q_UNUSED(out);
            CommandContext ctx{rig.path(), args, rig.ui};
            return command->run(ctx);
        };

        {
            CommandOutputCapture out;
            QCOMPARE(run({QStringLiteral("00") + QString::number(kItem)}, out), 0);
            QCOMPARE(QString::fromUtf8(out.data), expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
            QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.skus.get")), 1);
            QVERIFY(!rig.sandbox.calls().last().hasParam(QStringLiteral("session")));
            QCOMPARE(rig.sandbox.calls().last().param(QStringLiteral("num_iids")), QString::number(kItem));
        }
        {
            // an error reply: the seller's sentence in Chinese and the platform's text; no data
            rig.sandbox.injectFault(QStringLiteral("taobao.item.skus.get"), topsandbox::Fault::error(11));
            CommandOutputCapture out;
            QCOMPARE(run({QString::number(kItem)}, out), 1);
            QVERIFY(out.data.isEmpty());
            const QString message = rig.ui.messages().last();
            QVERIFY2(message.startsWith(QStringLiteral("读取宝贝SKU失败.")), qPrintable(message));
            QVERIFY2(message.contains(QStringLiteral("没有调用这个接口的权限")), qPrintable(message));
        }
        {
            // not an item id: nothing is asked
            CommandOutputCapture out;
            for (const QStringList &args :
                 {QStringList{}, QStringList{QStringLiteral("12a")}, QStringList{QStringLiteral("0")},
                  QStringList{QStringLiteral("-5")}, QStringList{QStringLiteral("9223372036854775808")},
                  QStringList{QStringLiteral("12345678901234567890")},
                  QStringList{QString::number(kItem), QString::number(kItem)}})
                QCOMPARE(run(args, out), 2);
            QVERIFY(out.data.isEmpty());
            QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.skus.get")), 2);
        }
    }
};

QTEST_GUILESS_MAIN(SkuGetTest)
#include "sku_get_test.moc"
