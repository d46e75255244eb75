// The shop commands as a seller runs them: the program logs in through the
// stand-in's pages in offscreen browsers, upload-price with the short
// authorization that a price change needs.
#include "TestRig.h"
#include "shop/ShopAccounts.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

class PriceCommandTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uploadPriceAndWarehouse()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        ShopAccounts::Edit edit;
        edit.userName = QStringLiteral("sandbox_c_1");
        edit.password = QStringLiteral("taobao1234");
        QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);
        // only a session asked for with the short authorization may change prices
        rig.sandbox.setPriceAuthorized(QStringLiteral("sandbox_c_1"), false);
        QSqlQuery q(rig.db());
        for (const char *sql :
             {"insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id,approve_status) "
              "values('T恤','T100','黑色','S',8,72,'520000001001','5200000010011','onsale')",
              "insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,sku_properties,"
              "approve_status) values('sandbox_c_1','T恤','T100','黑色','S',10,69,'610000003001','6100000030011',"
              "'1627207:28341;20509:28314','onsale')"})
            QVERIFY(q.exec(QString::fromUtf8(sql)));
        rig.app.reset(); // the command takes the data folder

        auto run = [&](const QStringList &args, QByteArray *out, QByteArray *err) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(STOCKSYNC_EXE), QStringList{QStringLiteral("--data-dir"), rig.path()} + args);
            if (!p.waitForFinished(180000))
                return -1;
            *out = p.readAllStandardOutput();
            *err = p.readAllStandardError();
            return p.exitCode();
        };
        QByteArray out, err;
        QCOMPARE(run({QStringLiteral("upload-price"), QStringLiteral("--account"), QStringLiteral("sandbox_c_1")}, &out,
                     &err),
                 0);
        QVERIFY2(out.contains("sandbox_c_1,610000003001,6100000030011,T恤,69,72"), out.constData());
        QCOMPARE(rig.sandbox.skuPrice(610000003001, 6100000030011), QStringLiteral("72.00"));

        QCOMPARE(run({QStringLiteral("warehouse"), QStringLiteral("download"), QStringLiteral("--account"),
                      QStringLiteral("sandbox_c_1"), QStringLiteral("--page-size"), QStringLiteral("1"),
                      QStringLiteral("--page"), QStringLiteral("2")},
                     &out, &err),
                 0);
        QCOMPARE(run({QStringLiteral("warehouse"), QStringLiteral("show"), QStringLiteral("--account"),
                      QStringLiteral("sandbox_c_1")},
                     &out, &err),
                 0);
        const QList<QByteArray> lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2); // the header and the second page's one item
        QVERIFY(lines.last().contains("610000003008"));
        QCOMPARE(run({QStringLiteral("warehouse"), QStringLiteral("download"), QStringLiteral("--page"),
                      QStringLiteral("102")},
                     &out, &err),
                 2);
    }
};

QTEST_GUILESS_MAIN(PriceCommandTest)
#include "price_command_test.moc"
