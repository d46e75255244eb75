// The sync plan in the main window: the settings dialog, and a plan that
// downloads from the stand-in in its cycle, with the window in the
// notification area, the status texts in the tray hint and the status bar,
// and the tray's cancel bringing the window back.
#include "TestRig.h"
#include "app/ui/MainWindow.h"
#include "base/Clock.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/QuantityUpload.h"
#include "sync/SyncPlan.h"
#include "top/TopClient.h"
#include "base/Interaction.h"
#include "sync/ui/SyncConfig.h"
#include "sync/ui/SyncPlanFrame.h"
#include "target/ui/TargetListPage.h"
#include "target/ui/TargetPane.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlQuery>
#include <QSystemTrayIcon>
#include <QtTest>

namespace {
// With STOCKSYNC_SHOT_DIR set, pictures of the windows are saved there.
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name)));
}
} // namespace

class SyncPlanWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Intervals::setScale(1.0); }

    void theSettingsDialogReadsAndStores()
    {
        TestRig rig;
        QVERIFY(rig.open());
        const Settings &s = rig.app->settings();
        QVERIFY((PlanSettings{15, false, true}.save(s)));
        TfrmSyncConfig dialog(s, rig.ui);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置同步计划"));
        QCOMPARE(dialog.minute()->value(), 15);
        QVERIFY(!dialog.downloadSource()->isChecked());
        QVERIFY(dialog.uploadObject()->isChecked());
        shoot(&dialog, QStringLiteral("sync_config.png"));

        // below five minutes cannot be typed; "取消" stores nothing
        dialog.minute()->findChild<QLineEdit *>()->setText(QStringLiteral("3"));
        dialog.downloadSource()->setChecked(true);
        dialog.findChild<QPushButton *>(QStringLiteral("_Cancle"))->click();
        QCOMPARE(s.text(Setting::SyncDownload), QStringLiteral("0"));
        QVERIFY(rig.ui.records().isEmpty());

        dialog.show(); // shows the stored values again
        QVERIFY(!dialog.downloadSource()->isChecked());
        dialog.minute()->findChild<QLineEdit *>()->setText(QStringLiteral("3"));
        dialog.downloadSource()->setChecked(true);
        dialog.uploadObject()->setChecked(false);
        // an interval under five minutes is refused with a word; the dialog
        // stays, also when the box has lost the focus to the button first
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(dialog.minute(), &out);
        QCOMPARE(dialog.minute()->text(), QStringLiteral("3"));
        dialog.findChild<QPushButton *>(QStringLiteral("_OK"))->click();
        QCOMPARE(rig.ui.messages(), QStringList{TfrmSyncConfig::IntervalRefusedText(5, 24 * 60)});
        QVERIFY(rig.ui.messages().first().contains(QStringLiteral("最少 5 分钟")));
        QVERIFY(dialog.isVisible());
        QCOMPARE(s.integer(Setting::SyncInterval), 15);
        QCOMPARE(s.text(Setting::SyncDownload), QStringLiteral("0"));

        dialog.minute()->findChild<QLineEdit *>()->setText(QStringLiteral("7"));
        dialog.findChild<QPushButton *>(QStringLiteral("_OK"))->click();
        QCOMPARE(rig.ui.messages().last(), QStringLiteral("设置同步计划完成,请确认."));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(s.integer(Setting::SyncInterval), 7);
        QCOMPARE(s.text(Setting::SyncDownload), QStringLiteral("1"));
        QCOMPARE(s.text(Setting::SyncUpload), QStringLiteral("0"));
    }

    void aPlanCycleInTheWindow()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        QVERIFY(rig.list({QStringLiteral("520000001001"), QStringLiteral("520000001002"),
                          QStringLiteral("530000002001")}));
        QVERIFY((PlanSettings{3, true, false}.save(rig.app->settings())));
        auto w = std::make_unique<TfrmMain>(*rig.app);
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->resize(1280, 800);
        w->show();
        QVERIFY(loaded.wait(5000));
        auto *tray = w->findChild<QSystemTrayIcon *>(QStringLiteral("_RzTrayIcon"));
        QLabel *status = w->syncPlan().statusLabel();
        SyncPlan &plan = w->syncPlan().plan();
        w->targetPane().targetListPage()->viewButton(ViewFilter::All)->setChecked(true);

        w->findChild<QAction *>(QStringLiteral("N24"))->trigger();
        QVERIFY(plan.running());
        QVERIFY(w->targetPane().targetListPage()->viewButton(ViewFilter::Differ)->isChecked());
        QVERIFY(tray->isVisible());
        QCOMPARE(tray->property("Tag").toInt(), 1);
        QVERIFY(!w->isVisible() || w->isMinimized());
        const QString waiting = QStringLiteral("同步计划状态:等待中...(间隔:5分钟)-");
        // the hint says when the next cycle comes
        const QString next = QStringLiteral("\r\n下次同步:") + plan.nextRun().toString(QStringLiteral("HH:mm"));
        QCOMPARE(tray->toolTip(), waiting + next);
        QCOMPARE(status->text(), waiting + QStringLiteral("  ") + next.mid(2));
        // the first time, the seller is told where the window went
        const QStringList notice{SyncPlanFrame::TrayNoticeText(QSystemTrayIcon::isSystemTrayAvailable())};
        QCOMPARE(rig.ui.messages(), notice);
        QVERIFY(rig.app->settings().flag(Setting::PlanTrayNoticeShown));

        const bool shots = !qEnvironmentVariableIsEmpty("STOCKSYNC_SHOT_DIR");
        if (shots) { // the picture shows the download under way
            topsandbox::Fault slow;
            slow.kind = topsandbox::Fault::Delay;
            slow.delayMs = 1500;
            rig.sandbox.injectFault(QStringLiteral("taobao.items.list.get"), slow);
        }
        for (int i = 0; i < 300; ++i)
            plan.TimerSyncTimer();
        QVERIFY(rig.app->jobs().panel1().shown());
        QCOMPARE(plan.tray(), SyncPlan::Tray::Animated);
        QVERIFY(tray->toolTip().startsWith(QStringLiteral("同步计划状态: 执行中...(")));
        if (shots) {
            w->showNormal();
            w->resize(1280, 800);
            QTest::qWait(300);
            shoot(w.get(), QStringLiteral("main_plan_cycle.png"));
            w->showMinimized();
        }
        QTRY_COMPARE_WITH_TIMEOUT(plan.state(), SyncPlan::State::Waiting, 20000);
        QCOMPARE(rig.ui.messages(), notice); // no completion message while the plan runs
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Source")) && q.next());
        QVERIFY(q.value(0).toInt() > 0);
        // then the next run and what the cycle did
        QCOMPARE(tray->toolTip(), waiting + QStringLiteral("\r\n完成下载:") +
                                      rig.app->settings().text(Setting::SourceDownloadTime) + QStringLiteral("\r\n下次同步:") +
                                      plan.nextRun().toString(QStringLiteral("HH:mm")) + QStringLiteral("\r\n上次同步:下载") +
                                      q.value(0).toString() + QStringLiteral(",差异") +
                                      QString::number(w->targetModel()->checkedCount()));

        // the tray's menu cancels the plan and brings the window back
        QAction *cancel = nullptr;
        for (QAction *a : tray->contextMenu()->actions())
            if (a->objectName() == QStringLiteral("N29"))
                cancel = a;
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QStringLiteral("取消执行同步计划"));
        cancel->trigger();
        QVERIFY(!plan.running());
        QVERIFY(!tray->isVisible());
        QCOMPARE(tray->property("Tag").toInt(), 0);
        QVERIFY(w->isVisible() && !w->isMinimized());
        QVERIFY(status->isHidden());
        QVERIFY(!rig.app->jobs().planRunning());

        // said once only
        QVERIFY(plan.N24Click());
        QCOMPARE(rig.ui.messages(), notice);
        plan.N29Click();
    }

    // The tray icon's menu: show the window, a cycle now (refused while one
    // runs), cancel; a double-click on the icon brings the window back.
    void theTrayIconsMenuAndDoubleClick()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        QVERIFY(rig.list({QStringLiteral("520000001001"), QStringLiteral("530000002001")}));
        QVERIFY((PlanSettings{5, true, false}.save(rig.app->settings())));
        QVERIFY(rig.app->settings().setFlag(Setting::PlanTrayNoticeShown, true)); // said before
        auto w = std::make_unique<TfrmMain>(*rig.app);
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->resize(1280, 800);
        w->show();
        QVERIFY(loaded.wait(5000));
        auto *tray = w->findChild<QSystemTrayIcon *>(QStringLiteral("_RzTrayIcon"));
        QMenu *menu = tray->contextMenu();
        QStringList items;
        for (QAction *a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + QLatin1Char(' ') + a->text());
        QCOMPARE(items, (QStringList{QStringLiteral("NShowMain 显示主窗口"), QStringLiteral("NSyncNow 立即同步"),
                                     QStringLiteral("-"), QStringLiteral("N29 取消执行同步计划")}));
        QAction *syncNow = nullptr;
        QAction *showMain = nullptr;
        for (QAction *a : menu->actions()) {
            if (a->objectName() == QStringLiteral("NSyncNow"))
                syncNow = a;
            if (a->objectName() == QStringLiteral("NShowMain"))
                showMain = a;
        }
        QVERIFY(syncNow && showMain);

        SyncPlan &plan = w->syncPlan().plan();
        QVERIFY(plan.N24Click());
        QVERIFY(rig.ui.records().isEmpty()); // the notice was given before
        QVERIFY(!w->isVisible() || w->isMinimized());
        // a double-click on the icon brings the window back, the plan goes on
        Q_EMIT tray->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(w->isVisible() && !w->isMinimized());
        QVERIFY(plan.running());
        w->hide();
        showMain->trigger();
        QVERIFY(w->isVisible() && !w->isMinimized());

        // "立即同步": the cycle starts at once; a second one is refused with a word
        syncNow->trigger();
        QCOMPARE(plan.state(), SyncPlan::State::Downloading);
        QVERIFY(rig.app->jobs().panel1().shown());
        syncNow->trigger();
        QCOMPARE(rig.ui.messages(), QStringList{QStringLiteral("正在执行同步或其他任务, 请等它结束后再点\"立即同步\".")});
        QTRY_COMPARE_WITH_TIMEOUT(plan.state(), SyncPlan::State::Waiting, 20000);
        QVERIFY(tray->toolTip().contains(QStringLiteral("\r\n上次同步:下载")));
        if (!qEnvironmentVariableIsEmpty("STOCKSYNC_SHOT_DIR")) {
            menu->adjustSize();
            shoot(menu, QStringLiteral("tray_menu.png"));
        }
        plan.N29Click();
    }

    // A quantity upload the seller starts ends with what it did: a message
    // naming the refused row, and the same counts kept in the status bar.
    void anUploadEndsWithWhatItDid()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        const QString shop = QStringLiteral("sandbox_c_1");
        rig.app->client().setSessionKey(rig.sandbox.sessionFor(shop));
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("insert into _Account(UserName) values('sandbox_c_1')")));
        QVERIFY(rig.app->settings().set(Setting::CurrentAccount, shop));
        // two target rows of one item, the second with a SKU the item does not have
        for (const char *sku : {"6100000030011", "6100000030019"}) {
            q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                     "values(?,'连衣裙','T100','黑色',?,10,10,'610000003001',?)"));
            for (const QVariant &v : QVariantList{shop, QString::fromLatin1(sku).right(2), QString::fromLatin1(sku)})
                q.addBindValue(v);
            QVERIFY(q.exec());
            q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                     "values('源','T100','黑色',?,4,10,'1','2')"));
            q.addBindValue(QString::fromLatin1(sku).right(2));
            QVERIFY(q.exec());
        }
        auto w = std::make_unique<TfrmMain>(*rig.app);
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->resize(1280, 800);
        w->show();
        QVERIFY(loaded.wait(5000));
        w->targetPane().targetListPage()->viewButton(ViewFilter::Differ)->setChecked(true);
        QTRY_COMPARE(w->targetModel()->checkedCount(), 2);

        auto *result = w->findChild<QLabel *>(QStringLiteral("_UploadResult"));
        QVERIFY(result && result->isHidden());
        QSignalSpy ended(&rig.app->quantityUpload(), &QuantityUploadJob::ended);
        rig.ui.answerQuestion(true);
        w->targetPane().UploadClick();
        QVERIFY(ended.wait(20000));
        const QString headline = QStringLiteral("上传库存完成: 已上传 1 行, 被平台拒绝 1 行, 没有上传 0 行.");
        QCOMPARE(rig.ui.messages().size(), 1);
        QVERIFY(rig.ui.messages().first().startsWith(headline + QStringLiteral("\r\n被平台拒绝的宝贝 (仍然勾选):\r\n"
                                                                                "  宝贝 连衣裙 (ID 610000003001, SKU 6100000030019): ")));
        QVERIFY(result->isVisible());
        QVERIFY(result->text().endsWith(QLatin1Char(' ') + headline));
        // a short message of the status bar does not cover it
        w->statusBar()->showMessage(QStringLiteral("登录成功: sandbox_c_1"), 15000);
        QVERIFY(result->isVisible());

        if (!qEnvironmentVariableIsEmpty("STOCKSYNC_SHOT_DIR")) {
            w->statusBar()->clearMessage();
            QTest::qWait(100);
            shoot(w->statusBar(), QStringLiteral("status_upload_result.png"));
            QMessageBox box(QMessageBox::Warning, Interaction::tipCaption(), rig.ui.messages().first(), QMessageBox::Ok,
                            w.get());
            box.show();
            QTest::qWait(100);
            shoot(&box, QStringLiteral("upload_report_box.png"));
        }
    }
};

QTEST_MAIN(SyncPlanWindowTest)
#include "sync_plan_window_test.moc"
