// stocksync sync on the demo shops, as a script runs it: one cycle logs in,
// downloads the suppliers, compares and uploads; afterwards the difference
// query finds nothing to upload and the journal holds one row per changed SKU.
#include "DemoShops.h"
#include "jobs/RequestJob.h"
#include "shop/ShopAccounts.h"
#include "store/Settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QtTest>

namespace {

int runProgram(const QString &dataDir, const QStringList &args, QByteArray *out, QByteArray *err)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The tests run as root, where Chromium's sandbox cannot start; only the
    // tests and the scripts switch it off, never the program.
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STOCKSYNC_EXE), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    if (!p.waitForFinished(240000))
        return -1;
    *out = p.readAllStandardOutput();
    *err = p.readAllStandardError();
    return p.exitCode();
}

} // namespace

class SyncCommandTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneCycleLeavesNothingToUpload()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        const QString shop = QStringLiteral("sandbox_c_1");
        ShopAccounts::Edit edit;
        edit.userName = shop;
        edit.password = QStringLiteral("taobao1234");
        QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);
        // the target rows come from a download of the seller's shop
        QVERIFY(ListDemoShopsAndDownloadSeller(rig, shop));
        rig.app.reset(); // the commands take the data folder

        QByteArray out, err;
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("sync"), QStringLiteral("--account"), shop,
                                         QStringLiteral("--json")}, &out, &err), 0);
        const QJsonObject summary = QJsonDocument::fromJson(out).object();
        QCOMPARE(summary.value(QStringLiteral("outcome")).toString(), QStringLiteral("completed"));
        QVERIFY(summary.value(QStringLiteral("rows_downloaded")).toInt() > 0);
        const int uploaded = summary.value(QStringLiteral("rows_uploaded")).toInt();
        QVERIFY(uploaded > 0);
        QCOMPARE(uploaded, summary.value(QStringLiteral("rows_differing")).toInt());
        // the shop holds what the summary says it was given
        for (const QJsonValue &v : summary.value(QStringLiteral("uploaded")).toArray()) {
            const QJsonObject r = v.toObject();
            const qint64 item = r.value(QStringLiteral("num_iid")).toString().toLongLong();
            const QString sku = r.value(QStringLiteral("sku_id")).toString();
            const int now = sku.isEmpty() ? rig.sandbox.itemQuantity(item) : rig.sandbox.skuQuantity(item, sku.toLongLong());
            QCOMPARE(QString::number(now), r.value(QStringLiteral("after")).toString());
        }

        // a second comparison lists no difference
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("diff"), QStringLiteral("--account"), shop}, &out, &err), 0);
        const QStringList lines = QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);

        // and the upload command finds nothing to send
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("upload-quantity")}, &out, &err), 0);
        QCOMPARE(QString::fromUtf8(out).trimmed(), QStringLiteral("完成: 有库存差异 0 行, 已上传 0 行."));

        // a dry run sends nothing and says what it would send
        const int updates = rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update"));
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("sync"), QStringLiteral("--dry-run"), QStringLiteral("--json")},
                            &out, &err), 0);
        const QJsonObject dry = QJsonDocument::fromJson(out).object();
        QVERIFY(dry.value(QStringLiteral("dry_run")).toBool());
        QCOMPARE(dry.value(QStringLiteral("held")).toString(), QString());
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), updates);
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal"), QStringLiteral("--cycles")}, &out, &err), 0);
        QCOMPARE(QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 4);

        // one journal row per changed SKU
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal")}, &out, &err), 0);
        QStringList rows = QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        rows.removeFirst();
        QCOMPARE(rows.size(), uploaded);
        QSet<QString> skus;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char(','));
            QCOMPARE(f.value(4), QStringLiteral("quantity"));
            skus.insert(f.value(2) + QLatin1Char('/') + f.value(3));
        }
        QCOMPARE(skus.size(), uploaded);
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal"), QStringLiteral("--state"), QStringLiteral("sent")},
                            &out, &err), 0);
        QCOMPARE(QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 1);
        // nothing newer than now
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal"), QStringLiteral("--since"), QStringLiteral("2999-01-01")},
                            &out, &err), 0);
        QCOMPARE(QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 1);

        // undoing the cycle. Malformed calls first: neither or both of --cycle
        // and --since, a time that cannot be read, a cycle that does not exist
        const QString cycle = QString::number(summary.value(QStringLiteral("cycle_id")).toInteger());
        const QString revert = QStringLiteral("revert");
        for (const QStringList &bad : {QStringList{}, QStringList{QStringLiteral("--cycle"), cycle, QStringLiteral("--since"),
                                                                  QStringLiteral("2026-01-01")},
                                       QStringList{QStringLiteral("--since"), QStringLiteral("gestern")},
                                       QStringList{QStringLiteral("--cycle"), QStringLiteral("99999")}})
            QCOMPARE(runProgram(rig.path(), QStringList{QStringLiteral("journal"), revert} + bad, &out, &err), 2);

        // one SKU sold since the cycle: the revert must leave it as the shop has it
        const QJsonArray changed = summary.value(QStringLiteral("uploaded")).toArray();
        QVERIFY(changed.size() >= 2);
        const QJsonObject sold = changed.first().toObject();
        const qint64 soldItem = sold.value(QStringLiteral("num_iid")).toString().toLongLong();
        const QString soldSku = sold.value(QStringLiteral("sku_id")).toString();
        const int soldNow = sold.value(QStringLiteral("after")).toString().toInt() + 3;
        QVERIFY(soldSku.isEmpty() ? rig.sandbox.setItemQuantity(soldItem, soldNow)
                                  : rig.sandbox.setSkuQuantity(soldItem, soldSku.toLongLong(), soldNow));
        const QString soldLine = shop + QLatin1Char(',') + QString::number(soldItem) + QLatin1Char(',') + soldSku + QLatin1Char(',');

        // a dry run prints the plan and sends nothing
        const QStringList revertCycle{QStringLiteral("journal"), revert, QStringLiteral("--cycle"), cycle,
                                      QStringLiteral("--account"), shop};
        QCOMPARE(runProgram(rig.path(), revertCycle + QStringList{QStringLiteral("--dry-run")}, &out, &err), 0);
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), updates);
        QStringList plan = QString::fromUtf8(out).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(plan.size(), uploaded + 1);
        for (const QString &line : plan.mid(1)) {
            if (line.startsWith(soldLine))
                QVERIFY2(line.contains(QStringLiteral("跳过: 店铺中现为 ") + QString::number(soldNow)), qPrintable(line));
            else
                QVERIFY2(line.contains(QStringLiteral(",撤销,")), qPrintable(line));
        }

        // the revert puts every other SKU back where the cycle found it
        QCOMPARE(runProgram(rig.path(), revertCycle, &out, &err), 0);
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), updates + uploaded - 1);
        QVERIFY2(QString::fromUtf8(err).contains(QStringLiteral("撤销完成: 已撤销 ") + QString::number(uploaded - 1)),
                 err.constData());
        for (const QJsonValue &v : changed) {
            const QJsonObject r = v.toObject();
            const qint64 item = r.value(QStringLiteral("num_iid")).toString().toLongLong();
            const QString sku = r.value(QStringLiteral("sku_id")).toString();
            const int now = sku.isEmpty() ? rig.sandbox.itemQuantity(item) : rig.sandbox.skuQuantity(item, sku.toLongLong());
            QCOMPARE(now, r == sold ? soldNow : r.value(QStringLiteral("before")).toString().toInt());
        }
        // as a run of its own, in the journal and among the cycles
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal"), QStringLiteral("--cycles")}, &out, &err), 0);
        QVERIFY(QString::fromUtf8(out).contains(QStringLiteral(",revert,") + shop + QLatin1Char(',')));
        QCOMPARE(runProgram(rig.path(), {QStringLiteral("journal")}, &out, &err), 0);
        QCOMPARE(QString::fromUtf8(out).count(QStringLiteral(",revert,")), uploaded - 1);
        // undone once, the cycle's rows have all been changed since: a second revert sends nothing
        QCOMPARE(runProgram(rig.path(), revertCycle, &out, &err), 0);
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), updates + uploaded - 1);
    }
};

QTEST_GUILESS_MAIN(SyncCommandTest)
#include "sync_command_test.moc"
