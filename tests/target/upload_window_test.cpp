// "上传最新库存到目标店铺" in the main window: the toolbar button runs the
// quantity upload over the ticked rows of the target list, panel 2 follows
// it, and the list is refreshed at the end.
#include "TestRig.h"
#include "app/ui/MainWindow.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "shop/ShopAccounts.h"
#include "sync/DifferenceQuery.h"
#include "sync/QuantityUpload.h"
#include "top/TopClient.h"

#include <QDir>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class UploadWindowTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uploadButtonRunsTheJob()
    {
        Intervals::setScale(0.05);
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        const QString shop = QStringLiteral("sandbox_c_1");
        ShopAccounts::Edit edit;
        edit.userName = shop;
        edit.password = QStringLiteral("taobao1234");
        QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);
        rig.app->selectAccount(shop, true);
        rig.app->client().setSessionKey(rig.sandbox.sessionFor(shop));
        QSqlQuery q(rig.db());
        for (const auto &[size, sku, target, source] :
             {std::tuple{"S", "6100000030011", 10, 4}, std::tuple{"M", "6100000030012", 30, 8},
              std::tuple{"L", "6100000030013", 5, 9}}) {
            q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,"
                                     "bCheck) values(?,'T恤 T100','T100','黑色',?,?,59,'610000003001',?,1)"));
            for (const QVariant &v : QVariantList{shop, QString::fromLatin1(size), target, QString::fromLatin1(sku)})
                q.addBindValue(v);
            QVERIFY(q.exec());
            q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                     "values('源 T100','T100','黑色',?,?,49,'520000001001','1')"));
            q.addBindValue(QString::fromLatin1(size));
            q.addBindValue(source);
            QVERIFY(q.exec());
        }
        TfrmMain w(*rig.app);
        QSignalSpy loaded(&w, &TfrmMain::firstLoadFinished);
        w.resize(1280, 800);
        w.show();
        loaded.wait(3000);
        ListModel &model = rig.app->targetModel();
        QCOMPARE(model.checkedCount(), 3);

        auto *upload = w.findChild<QToolButton *>(QStringLiteral("_Upload"));
        QVERIFY(upload);
        upload->setEnabled(true); // as the login does
        const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
        connect(&rig.app->jobs().panel2(), &ProgressPanelState::captionSet, this, [&](const QString &caption) {
            // after the panel has shown the caption
            if (!dir.isEmpty() && caption.endsWith(QStringLiteral("%)")))
                QTimer::singleShot(0, &w, [&w, dir, percent = caption.mid(caption.lastIndexOf(QLatin1Char('(')) + 1).chopped(2)] {
                    w.grab().save(QDir(dir).filePath(QStringLiteral("quantity_upload_") + percent +
                                                     QStringLiteral(".png")));
                });
        });
        rig.ui.answerQuestion(true);
        QSignalSpy ended(&rig.app->quantityUpload(), &QuantityUploadJob::ended);
        upload->click();
        QVERIFY(ended.wait(20000));
        QCOMPARE(rig.app->quantityUpload().outcome(), QuantityUploadJob::Outcome::Completed);
        QCOMPARE(rig.ui.records().first().text, QuantityUploadJob::QuestionText());
        QCOMPARE(rig.sandbox.skuQuantity(610000003001, 6100000030013), 9);
        // refreshed by the pane: the uploaded rows no longer differ
        QCOMPARE(model.count(), 0);
        if (!dir.isEmpty())
            QVERIFY(w.grab().save(QDir(dir).filePath(QStringLiteral("quantity_upload_done.png"))));
        Intervals::setScale(1.0);
    }
};

QTEST_MAIN(UploadWindowTest)
#include "upload_window_test.moc"
