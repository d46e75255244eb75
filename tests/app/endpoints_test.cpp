#include "app/HostSettings.h"
#include "store/Parameters.h"
#include "store/Settings.h"
#include "top/Endpoints.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

class EndpointsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void overrideRows()
    {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("endpoints"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(
                QStringLiteral("Create Table _Parameter (NM int, ParaValue text, ParaDesc text)")));
            const Settings settings(db);

            // Without rows: the public hosts, over HTTPS.
            const TopEndpoints d = LoadEndpoints(settings);
            QVERIFY(d.gateway.startsWith(QStringLiteral("https://")));
            QVERIFY(d.gateway.endsWith(QStringLiteral("/router/rest")));

            // An empty row does not override; a stand-in base address moves every host.
            QVERIFY(settings.set(Setting::GatewayHost, QStringLiteral(" ")));
            QCOMPARE(LoadEndpoints(settings).gateway, d.gateway);
            QVERIFY(SaveEndpoints(settings, TopEndpoints::onBase(QStringLiteral("http://127.0.0.1:8800/"))));
            const TopEndpoints e = LoadEndpoints(settings);
            QCOMPARE(e.gateway, QStringLiteral("http://127.0.0.1:8800/router/rest"));
            QCOMPARE(e.container, QStringLiteral("http://127.0.0.1:8800/container"));
            QCOMPARE(e.loginPage, QStringLiteral("http://127.0.0.1:8800/member/login.jhtml"));
            QCOMPARE(e.itemPage, QStringLiteral("http://127.0.0.1:8800/item.htm"));
            QCOMPARE(e.gatewayRoot(), QStringLiteral("http://127.0.0.1:8800"));
            QCOMPARE(e.itemPageOf(QStringLiteral("42")),
                     QStringLiteral("http://127.0.0.1:8800/item.htm?id=42"));
            QCOMPARE(GetParam(db, 903), e.itemPage);
            QCOMPARE(GetParam(db, 904), QStringLiteral("http://127.0.0.1:8800/container"));
            QCOMPARE(GetParam(db, 905), QStringLiteral("http://127.0.0.1:8800/"));
            QVERIFY(d.openContainer.startsWith(QStringLiteral("https://")));
            QVERIFY(d.openSite.startsWith(QStringLiteral("https://")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("endpoints"));
    }
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "endpoints_test.moc"
