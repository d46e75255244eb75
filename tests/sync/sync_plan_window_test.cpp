// The sync plan in the main window: the settings dialog, and a plan that
// downloads from the stand-in in its cycle, with the window in the
// notification area, the status texts in the tray hint and the status bar,
// and the tray's cancel bringing the window back.
#include "TestRig.h"
#include "app/ui/MainWindow.h"
#include "base/Clock.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "sync/SyncPlan.h"
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
        QCOMPARE(tray->toolTip(), waiting);
        QCOMPARE(status->text(), waiting);

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
        QVERIFY(rig.ui.records().isEmpty()); // no completion message while the plan runs
        QCOMPARE(tray->toolTip(), waiting + QStringLiteral("\r\n完成下载:") +
                                      rig.app->settings().text(Setting::SourceDownloadTime));
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Source")) && q.next());
        QVERIFY(q.value(0).toInt() > 0);

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
    }
};

QTEST_MAIN(SyncPlanWindowTest)
#include "sync_plan_window_test.moc"
