// The target item browser and the target list's download commands in the
// main window, on a real database (and the stand-in's demo seller shop).
#include "TestRig.h"
#include "app/ui/ListView.h"
#include "app/ui/MainWindow.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "reports/TargetBrowser.h"
#include "reports/ui/TargetBrowserWindow.h"
#include "shop/ShopAccounts.h"
#include "store/Parameters.h"
#include "source/SourceDownload.h"
#include "target/TargetDownload.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

namespace {

// Pictures for a person to look at, when STOCKSYNC_SHOTS names a folder.
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOTS");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        w->grab().save(dir + QLatin1Char('/') + name);
}

void selectRows(ListView *view, const QList<int> &rows)
{
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TargetBrowserTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }
    void rowLimitKeywordsAndCopies();
    void downloadInTheWindowAndTheListCommands();
};

void TargetBrowserTest::rowLimitKeywordsAndCopies()
{
    TestRig rig;
    QVERIFY(rig.open());
    QSqlDatabase db = rig.db();
    QVERIFY(db.transaction());
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,"
                             "approve_status,is_fenxiao) values(?,?,?,?,?,?,?,?,?,?,?)"));
    for (int i = 0; i < 350; ++i) {
        const QString title = i == 7 ? QStringLiteral("Levi's 牛仔裤") : QStringLiteral("衬衫 %1").arg(i);
        const QString color = i % 2 ? QStringLiteral("红") : QStringLiteral("红色");
        for (const QVariant &v : QVariantList{QStringLiteral("me"), title, QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')),
                                              color, QStringLiteral("M"), i, 10.5, QString::number(600000 + i),
                                              QString::number(6000000 + i), i % 3 ? QStringLiteral("onsale")
                                                                                    : QStringLiteral("instock"),
                                              i % 2})
            q.addBindValue(v);
        QVERIFY(q.exec());
    }
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('other','x','1')")));
    QVERIFY(db.commit());

    QString accounts = QStringLiteral("me");
    TfrmTB_Object w(*rig.app, [&accounts]() { return accounts; });
    w.resize(1100, 520);
    w.show();
    auto *total = w.findChild<QLabel *>(QStringLiteral("_PanelObject_Total"));
    QTRY_COMPARE(total->text(), QStringLiteral(" 当前显示共 200 项"));
    ListModel &model = *w.list()->listModel();
    QCOMPARE(model.row(0).cells.value(TargetBrowser::OuterId), QStringLiteral("C000"));
    QCOMPARE(model.row(0).cells.value(TargetBrowser::Status), QStringLiteral("已下架"));
    QCOMPARE(model.row(1).cells.value(TargetBrowser::Status), QStringLiteral("销售中"));
    QCOMPARE(model.row(1).imageIndex, 1);
    QCOMPARE(model.data(model.index(2, 1), ListModel::BackgroundRgbRole).toUInt(), 0xFFF0F0u);
    shoot(&w, QStringLiteral("target_browser.png"));

    w.findChild<QCheckBox *>(QStringLiteral("_chkrows200"))->setChecked(false);
    QCOMPARE(total->text(), QStringLiteral(" 当前显示共 350 项"));

    // an apostrophe is just a character of the pattern
    auto *keyword = w.findChild<QLineEdit *>(QStringLiteral("_ObjectKeyword"));
    keyword->setText(QStringLiteral("levi'S"));
    w.GetData_TB_Object();
    QCOMPARE(model.count(), 1);
    QCOMPARE(model.row(0).cells.value(TargetBrowser::Title), QStringLiteral("Levi's 牛仔裤"));

    // "仅搜索" with "颜色": the keyword is the whole pattern
    auto *fields = w.findChild<QComboBox *>(QStringLiteral("_fields"));
    QVERIFY(!fields->isEnabled());
    QTest::mouseClick(w.findChild<QCheckBox *>(QStringLiteral("chkSearch")), Qt::LeftButton);
    QVERIFY(fields->isEnabled());
    fields->setCurrentIndex(2);
    keyword->setText(QStringLiteral("红"));
    w.GetData_TB_Object();
    QCOMPARE(model.count(), 175);

    // the item pages of three rows, and the first one opened
    selectRows(w.list(), {4, 0, 2});
    w.findChild<QAction *>(QStringLiteral("N57"))->trigger();
    const QStringList pages = rig.desktop.clipboardText().split(QStringLiteral("\r\n"));
    QCOMPARE(pages.size(), 3);
    QCOMPARE(pages.first(), rig.app->endpoints().itemPageOf(model.row(0).cells.value(TargetBrowser::NumIid)));
    w.findChild<QAction *>(QStringLiteral("N31"))->trigger();
    QCOMPARE(rig.desktop.openedUrls(), QStringList{pages.first()});
    w.findChild<QAction *>(QStringLiteral("SKUID1"))->trigger();
    QCOMPARE(rig.desktop.clipboardText().split(QStringLiteral("\r\n")).size(), 3);

    // several accounts separated by ","
    accounts = QStringLiteral("me,other");
    QTest::mouseClick(w.findChild<QCheckBox *>(QStringLiteral("chkSearch")), Qt::LeftButton);
    keyword->clear();
    w.GetData_TB_Object();
    QCOMPARE(model.count(), 351);
}

void TargetBrowserTest::downloadInTheWindowAndTheListCommands()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    ShopAccounts::Edit account;
    account.userName = QStringLiteral("sandbox_c_1");
    account.password = QStringLiteral("taobao1234");
    QCOMPARE(rig.app->shopAccounts().save(account, rig.ui), ShopAccounts::Saved::Yes);
    SetParam(rig.db(), 3, QStringLiteral("sandbox_c_1"));
    QStringList ids;
    for (int i = 1; i <= 9; ++i)
        ids << QStringLiteral("61000000300%1").arg(i);
    QVERIFY(rig.list(ids, ItemLists::TargetList));
    // the suppliers' side, so that the list pairs the seller's rows
    QStringList sourceIds;
    for (int i = 1; i <= 7; ++i)
        sourceIds << QStringLiteral("52000000100%1").arg(i);
    for (int i = 1; i <= 4; ++i)
        sourceIds << QStringLiteral("53000000200%1").arg(i);
    QVERIFY(rig.list(sourceIds));
    QSignalSpy sourceEnded(&rig.app->sourceDownload(), &SourceDownloadJob::ended);
    QVERIFY(rig.app->sourceDownload().FromDownloadClick());
    QVERIFY(sourceEnded.wait(20000));
    const QString sourceTime = GetParam(rig.db(), 1);

    TfrmMain w(*rig.app);
    QSignalSpy loaded(&w, &TfrmMain::firstLoadFinished);
    w.resize(1280, 800);
    w.show();
    QVERIFY(loaded.wait(5000));
    rig.ui.clear();
    rig.ui.answerQuestion(true);
    QSignalSpy ended(&rig.app->targetDownload(), &TargetDownloadJob::ended);
    w.findChild<QToolButton *>(QStringLiteral("_DownloadGroup"))->click();
    QVERIFY(ended.wait(20000));
    QCOMPARE(rig.app->targetDownload().outcome(), TargetDownloadJob::Outcome::Completed);
    auto *update = w.findChild<QLabel *>(QStringLiteral("_lblObjectUpdate"));
    QVERIFY(!GetParam(rig.db(), 2).isEmpty());
    QCOMPARE(update->text(), QStringLiteral("目标店铺更新时间:") + GetParam(rig.db(), 2));
    QCOMPARE(GetParam(rig.db(), 1), sourceTime);
    QTest::mouseClick(w.findChild<QRadioButton *>(QStringLiteral("_chkstock1")), Qt::LeftButton);
    auto *view = w.findChild<ListView *>(QStringLiteral("_RzListViewTo"));
    ListModel &model = *view->listModel();
    QVERIFY(model.count() > 0);
    QCoreApplication::processEvents(); // the layouts follow the new texts
    shoot(&w, QStringLiteral("target_list_after_download.png"));

    // the merchant codes of two rows, in list order
    selectRows(view, {1, 0});
    w.findChild<QAction *>(QStringLiteral("ObjectCopy1"))->trigger();
    QCOMPARE(rig.desktop.clipboardText(), model.row(0).cells.value(1) + QStringLiteral("\r\n") +
                                              model.row(1).cells.value(1));

    // delete one row, then empty the account
    const int before = model.count();
    selectRows(view, {0});
    rig.ui.answerQuestion(true);
    w.findChild<QAction *>(QStringLiteral("MenuItem3"))->trigger();
    QCOMPARE(model.count(), before - 1);
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Object")) && q.next());
    const int stored = q.value(0).toInt();
    rig.ui.answerQuestion(true);
    w.findChild<QAction *>(QStringLiteral("N67"))->trigger();
    QCOMPARE(rig.ui.messages().last(), QStringLiteral("完成清空目标店铺所有已下载数据，请确认."));
    QCOMPARE(model.count(), 0);
    QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Object")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QVERIFY(stored > 0);
}

QTEST_MAIN(TargetBrowserTest)
#include "target_browser_test.moc"
