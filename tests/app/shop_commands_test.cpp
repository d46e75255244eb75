// The commands upload-price and delist on the stand-in, with the login step
// replaced by handing the session over: exit codes and what reaches the shop.
#include "TestRig.h"
#include "app/CommandLine.h"
#include "app/ShopCommands.h"
#include "top/TopClient.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

class ShopCommandsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.05); }
    void cleanup() { Intervals::setScale(1.0); }

    void delistAndUploadPrice()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        QSqlQuery q(rig.db());
        // T100 黑色/S: the source item is off sale and cheaper by a yuan
        for (const char *sql :
             {"insert into TB_URL(num_iid,outer_id,Tag,approve_status,bcheck) values('520000001001','T100',0,'instock',1)",
              "insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id,approve_status) "
              "values('T恤','T100','黑色','S',8,68,'520000001001','5200000010011','instock')",
              "insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,sku_properties,"
              "approve_status) values('sandbox_c_1','T恤','T100','黑色','S',10,69.00,'610000003001','6100000030011',"
              "'1627207:28341;20509:28314','onsale')"})
            QVERIFY2(q.exec(QString::fromUtf8(sql)), qPrintable(QString::fromUtf8(sql)));
        const QString session = rig.sandbox.sessionFor(QStringLiteral("sandbox_c_1"));
        rig.app.reset(); // the command takes the data folder

        QStringList logins;
        int refusal = 0;
        const CommandLoginStep login = [&](Application &app, const QString &account, bool shortAuthorization) {
            logins << account + (shortAuthorization ? QStringLiteral("+usergrade") : QString());
            app.client().setSessionKey(session);
            return refusal;
        };
        auto run = [&](int (*command)(CommandContext &, const CommandLoginStep &), const QStringList &args) {
            rig.ui.answerQuestion(true);
            CommandContext ctx{rig.path(), args, rig.ui};
            return command(ctx, login);
        };
        const QStringList account{QStringLiteral("--account"), QStringLiteral("sandbox_c_1")};

        QCOMPARE(run(RunDelist, account), 0);
        QCOMPARE(rig.sandbox.approveStatus(610000003001), QStringLiteral("instock"));
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.update.delisting")), 1);

        QCOMPARE(run(RunUploadPrice, account), 0);
        QCOMPARE(rig.sandbox.skuPrice(610000003001, 6100000030011), QStringLiteral("68.00"));
        // nothing left to change: done without a request
        QCOMPARE(run(RunUploadPrice, account), 0);
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.sku.price.update")), 1);
        QCOMPARE(logins, (QStringList{QStringLiteral("sandbox_c_1"), QStringLiteral("sandbox_c_1+usergrade"),
                                      QStringLiteral("sandbox_c_1+usergrade")}));

        // a refused item: exit 1; a login that needs a person: its code; wrong arguments: 2
        rig.sandbox.injectFault(QStringLiteral("taobao.item.sku.price.update"),
                                topsandbox::Fault::error(15, QStringLiteral("isv.item-update-service-error")));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
            db.setDatabaseName(rig.path() + QStringLiteral("/TBData/TBData.db"));
            QVERIFY(db.open());
            QSqlQuery u(db);
            QVERIFY(u.exec(QStringLiteral("update TB_Source set price=66")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("side"));
        // (the platform refuses that item: the run goes on, the exit code says so)
        QCOMPARE(run(RunUploadPrice, account), 1);
        QVERIFY(rig.ui.messages().last().contains(QStringLiteral("被平台拒绝")));
        QVERIFY(rig.ui.messages().last().contains(QStringLiteral("isv.item-update-service-error")));
        refusal = 3;
        QCOMPARE(run(RunUploadPrice, account), 3);
        QCOMPARE(run(RunUploadPrice, QStringList{QStringLiteral("--base"), QStringLiteral("stock")}), 2);
    }
};

QTEST_GUILESS_MAIN(ShopCommandsTest)
#include "shop_commands_test.moc"
