// The warehouse tab in the main window: choosing it lists the account's
// warehouse rows, the planner fills the planned times, and the popup and
// "其他功能" carry this program's commands. With STOCKSYNC_SHOT_DIR set the
// tab and the menu are saved there as pictures.
#include "TestRig.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ListView.h"
#include "base/ListModel.h"
#include "shop/ShopAccounts.h"
#include "store/Settings.h"
#include "target/Warehouse.h"
#include "target/ui/TargetPane.h"
#include "target/ui/WarehousePage.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

namespace {
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name)));
}
} // namespace

class WarehousePageTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tabPlannerAndMenus()
    {
        TestRig rig;
        QVERIFY(rig.open());
        ShopAccounts::Edit edit;
        edit.userName = QStringLiteral("sandbox_c_1");
        edit.password = QStringLiteral("taobao1234");
        QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);
        QVERIFY(rig.app->settings().set(Setting::CurrentAccount, QStringLiteral("sandbox_c_1")));
        QSqlQuery q(rig.db());
        const char *items[][3] = {{"防晒衣 UPF50+ 轻薄透气", "F500", "610000003007"},
                                  {"冬款羽绒服 加厚连帽 黑色", "D600", "610000003008"},
                                  {"渔夫帽 Bob's 同款 春夏", "H900", "610000003009"},
                                  {"Levi's 风格 直筒牛仔裤 深蓝", "J200", "610000003002"}};
        for (const auto &it : items) {
            q.prepare(QStringLiteral("insert into TB_Object_Inventory(title,outer_id,num_iid,nick,num,price,list_time,"
                                     "delist_time,approve_status,valid_thru,has_showcase) values(?,?,?,'sandbox_c_1',"
                                     "24,99,'2026-11-25 20:00:00','2026-12-02 20:00:00','instock',7,'false')"));
            for (const char *v : it)
                q.addBindValue(QString::fromUtf8(v));
            QVERIFY(q.exec());
        }

        TfrmMain w(*rig.app);
        QSignalSpy loaded(&w, &TfrmMain::firstLoadFinished);
        w.resize(1280, 800);
        w.show();
        QVERIFY(loaded.wait(3000));
        TargetPane &pane = w.targetPane();
        pane.objectPage()->setCurrentIndex(3);
        WarehousePage *page = pane.warehousePage();
        ListModel *model = page->model();
        QCOMPARE(model->count(), 4);
        QCOMPARE(page->totalsLabel()->text(),
                 QStringLiteral("  当前仓库显示 4  项"));
        // the planner starts at 08:00 today and ends the day at 22:00
        QCOMPARE(page->nowDatetime()->time(), QTime(8, 0));
        QCOMPARE(page->endTime()->time(), QTime(22, 0));
        page->nowDatetime()->setDateTime(QDateTime(QDate(2026, 12, 10), QTime(21, 50)));
        model->setChecked(1, true);
        model->setChecked(2, true);
        model->setChecked(3, true);
        rig.ui.answerQuestion(true);
        page->findChild<QPushButton *>(QStringLiteral("RzToolButton3"))->click();
        QCOMPARE(model->row(3).cells.value(WhPlanned), QStringLiteral("2026-12-10 21:50:00"));
        QCOMPARE(model->row(1).cells.value(WhPlanned), QStringLiteral("2026-12-10 22:00:00"));
        // the login's commands wait for a login
        QVERIFY(!page->findChild<QPushButton *>(QStringLiteral("_onsaleUpload"))->isEnabled());
        QTest::qWait(50);
        shoot(&w, QStringLiteral("warehouse_tab.png"));

        // the popup's copy items read the Tag of the cell they copy
        QMenu *popup = pane.inventoryPopupMenu();
        QAction *nick = popup->findChild<QAction *>(QStringLiteral("InventoryCopy12"));
        QVERIFY(nick);
        page->list()->selectAll();
        nick->trigger();
        QCOMPARE(rig.desktop.clipboardText(), QStringList(4, QStringLiteral("sandbox_c_1")).join(QStringLiteral("\r\n")));

        // "其他功能"
        auto *other = w.findChild<QToolButton *>(QStringLiteral("_Other"));
        QVERIFY(other && other->menu());
        for (const char *name : {"_delisting", "_listing", "_updateprice"}) {
            QAction *a = other->menu()->findChild<QAction *>(QString::fromLatin1(name));
            QVERIFY(a);
            QVERIFY(!a->isEnabled());
        }
        pane.objectPage()->setCurrentIndex(0);
        other->menu()->popup(other->mapToGlobal(QPoint(0, other->height())));
        QTest::qWait(50);
        shoot(other->menu(), QStringLiteral("other_menu.png"));
        popup->popup(QPoint(100, 100));
        QTest::qWait(50);
        shoot(popup, QStringLiteral("warehouse_popup.png"));
        popup->hide();
        other->menu()->hide();
    }
};

QTEST_MAIN(WarehousePageTest)
#include "warehouse_page_test.moc"
