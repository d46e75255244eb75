// Undoing uploads from the history window: the selected journal rows go back
// to what they found only after the seller said Yes to the plan (No is the
// default, and No sends nothing), as a run of their own that the history
// then shows.
#include "TestRig.h"
#include "base/ListModel.h"
#include "history/ui/UploadHistoryWindow.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/QuantityUpload.h"
#include "sync/Revert.h"
#include "top/TopClient.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {
const QString kShop = QStringLiteral("sandbox_c_1");
const QString kUpdate = QStringLiteral("taobao.item.quantity.update");
const qint64 kT100 = 610000003001; // SKU 6100000030011 holds 10, 6100000030013 holds 5
} // namespace

class RevertWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void revertSelectedRows()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        rig.app->client().setSessionKey(rig.sandbox.sessionFor(kShop));
        rig.app->selectAccount(kShop, false);
        QSqlQuery q(rig.app->db());
        for (const QString &sku : {QStringLiteral("6100000030011"), QStringLiteral("6100000030013")}) {
            q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,bCheck) "
                                     "values(?,'T恤','T100','黑色',?,?,10,?,?,1)"));
            for (const QVariant &v : QVariantList{kShop, sku.right(1), sku.endsWith(QLatin1Char('1')) ? 10 : 5,
                                                  QString::number(kT100), sku})
                q.addBindValue(v);
            QVERIFY(q.exec());
        }
        QVERIFY(q.exec(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) values"
                                      "('源','T100','黑色','1',3,10,'1','2'),('源','T100','黑色','3',7,10,'1','3')")));
        DifferenceOptions &o = rig.app->differenceQuery().options();
        o.account = kShop;
        o.uploadMode = UploadMode::Full;
        o.view = ViewFilter::Differ;
        QCOMPARE(rig.app->differenceQuery().GetData_TB_Object(QString()), DifferenceQuery::Outcome::Completed);
        QSignalSpy uploaded(&rig.app->quantityUpload(), &QuantityUploadJob::ended);
        QVERIFY(rig.app->quantityUpload().UploadClick(true));
        QVERIFY(uploaded.wait(30000));
        QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 3);
        QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030013), 7);
        const int sent = rig.sandbox.callCount(kUpdate);

        TfrmUploadHistory w(rig.app->db(), rig.ui, rig.desktop, {});
        w.setApplication(rig.app.get());
        w.resize(1200, 500);
        w.show();
        QCOMPARE(w.shownRows().size(), 2);
        auto *revert = w.findChild<QPushButton *>(QStringLiteral("_HistoryRevertRows"));
        QVERIFY(revert && revert->isVisible() && revert->isEnabled());
        // the newest row: SKU ...13, 5 -> 7
        w.historyView()->selectionModel()->select(w.historyView()->model()->index(0, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(w.shownRows().first().skuId, QStringLiteral("6100000030013"));
        if (const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR"); !dir.isEmpty()) {
            QDir().mkpath(dir);
            QVERIFY(w.grab().save(QDir(dir).filePath(QStringLiteral("upload_history_revert.png"))));
        }

        // No: the plan was read from the shop, nothing was sent
        rig.ui.answerQuestion(false);
        revert->click();
        QTRY_VERIFY_WITH_TIMEOUT(revert->isEnabled(), 30000);
        QCOMPARE(rig.sandbox.callCount(kUpdate), sent);
        const ScriptedInteraction::Record *asked = rig.ui.last();
        QVERIFY(asked && asked->kind == ScriptedInteraction::Kind::Question);
        QCOMPARE(asked->icon, Interaction::Icon::Warning); // No is the default
        QVERIFY2(asked->text.contains(QStringLiteral("T恤 (ID 610000003001, SKU 6100000030013) 库存: 7 → 5")),
                 qPrintable(asked->text));

        // Yes: that SKU goes back, the other stays; the history shows the revert
        rig.ui.answerQuestion(true);
        QSignalSpy finished(w.revertRun(), &RevertRun::finished);
        QSignalSpy shopChanged(&w, &TfrmUploadHistory::shopChanged); // the main list reads again
        revert->click();
        QVERIFY(finished.wait(30000));
        QCOMPARE(shopChanged.count(), 1);
        QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030013), 5);
        QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 3);
        QCOMPARE(rig.sandbox.callCount(kUpdate), sent + 1);
        QCOMPARE(w.shownRows().size(), 3);
        QCOMPARE(w.shownRows().first().startedBy, QStringLiteral("revert"));
        QCOMPARE(w.shownRows().first().after, QStringLiteral("5"));
        QCOMPARE(w.shownCycles().size(), 1);
        QCOMPARE(w.shownCycles().first().startedBy, QStringLiteral("revert"));
        QVERIFY(rig.ui.messages().last().contains(QStringLiteral("撤销完成: 已撤销 1 行")));
        // on the cycles' page the command is the cycle's
        w.pages()->setCurrentIndex(1);
        auto *revertCycle = w.findChild<QPushButton *>(QStringLiteral("_HistoryRevertCycle"));
        QVERIFY(revertCycle->isVisible() && !revert->isVisible());
        if (const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR"); !dir.isEmpty())
            QVERIFY(w.grab().save(QDir(dir).filePath(QStringLiteral("upload_history_revert_cycle.png"))));
        QSqlQuery t(rig.app->db());
        QVERIFY(t.exec(QStringLiteral("select num from TB_Object where sku_id='6100000030013'")) && t.next());
        QCOMPARE(t.value(0).toInt(), 5);

        // a price goes back through the price upload, by the SKU's property
        // pairs (read from the shop when the target row has none)
        QVERIFY(rig.sandbox.setSkuPrice(kT100, 6100000030011, QStringLiteral("12.00")));
        JournalEntry price;
        price.account = kShop;
        price.numIid = QString::number(kT100);
        price.skuId = QStringLiteral("6100000030011");
        price.kind = QStringLiteral("price");
        price.mode = QStringLiteral("sku");
        price.before = QStringLiteral("10");
        price.after = QStringLiteral("12");
        price.startedBy = QStringLiteral("person");
        price.title = QStringLiteral("T恤");
        QVERIFY(UploadJournal(rig.app->db()).append(price));
        RevertRun &run = *w.revertRun();
        RevertSelection one;
        one.ids << UploadJournal(rig.app->db()).read().last().id;
        one.account = kShop;
        QString error;
        QVERIFY2(run.plan(one, &error), qPrintable(error));
        QSignalSpy read(&run, &RevertRun::readBackDone);
        QVERIFY(run.readBack());
        QVERIFY(read.wait(30000));
        QCOMPARE(run.revertableCount(), 1);
        QVERIFY(run.run(GuardPolicy::Hold));
        QVERIFY(finished.wait(30000));
        QCOMPARE(run.outcome(), RevertRun::Outcome::Completed);
        QCOMPARE(rig.sandbox.skuPrice(kT100, 6100000030011), QStringLiteral("10.00"));
        QCOMPARE(rig.sandbox.calls(QStringLiteral("taobao.item.sku.price.update")).size(), 1);
        QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.price.update")), 0);
        const QList<JournalEntry> rows = UploadJournal(rig.app->db()).read();
        QCOMPARE(rows.last().kind, QStringLiteral("price"));
        QCOMPARE(rows.last().startedBy, QStringLiteral("revert"));
        QCOMPARE(rows.last().state, UploadJournal::doneState());
        QCOMPARE(rows.last().cycleId, run.cycleId());
    }
};

QTEST_MAIN(RevertWindowTest)
#include "revert_window_test.moc"
