// The item-list dialog offscreen: its openings, its mode's controls, the
// header sorting, and the main window's two commands that open it.
#include "TestRig.h"
#include "app/ui/ListView.h"
#include "app/ui/MainWindow.h"
#include "base/ListModel.h"
#include "lists/ItemListEditor.h"
#include "lists/ui/FromDownload.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

void entry(const QSqlDatabase &db, int tag, const QString &id, const QString &title, const QString &code)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into TB_URL(bCheck,Tag,uGroup,num_iid,detail_url,title,outer_id,approve_status,"
                             "nick) values(1,?,(select min(Uniqid) from TB_Groups where Tag=?),?,?,?,?,?,?)"));
    for (const QVariant &v : {QVariant(tag), QVariant(tag), QVariant(id),
                              QVariant(QStringLiteral("http://127.0.0.1/item.htm?id=") + id), QVariant(title),
                              QVariant(code), QVariant(QStringLiteral("onsale")),
                              QVariant(tag ? QStringLiteral("sandbox_c_1") : QStringLiteral("sandbox_c_2"))})
        q.addBindValue(v);
    QVERIFY(q.exec());
}

QStringList codes(const ListModel &m)
{
    QStringList out;
    for (const ListRow &r : m.rows())
        out << r.caption;
    return out;
}

// A picture for the eye, when a folder is named for it.
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name);
}

} // namespace

class FromDownloadTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openingsAndModes();
    void mainWindowCommandsOpenTheDialog();
};

void FromDownloadTest::openingsAndModes()
{
    TestRig rig;
    QVERIFY(rig.open());
    ItemLists(rig.db()).defaultGroup(ItemLists::TargetList);
    entry(rig.db(), 0, QStringLiteral("520000001001"), QStringLiteral("春款外套 T100"), QStringLiteral("9"));
    entry(rig.db(), 0, QStringLiteral("520000001002"), QStringLiteral("夏季长裙"), QStringLiteral("10"));
    entry(rig.db(), 0, QStringLiteral("520000001003"), QStringLiteral("秋款外套"), QStringLiteral("100"));
    entry(rig.db(), 1, QStringLiteral("610000003001"), QStringLiteral("我的外套"), QStringLiteral("T100"));

    TfrmFromDownload dialog(*rig.app);
    dialog.setMode(0, QStringLiteral("配置源下载源(对方店铺)"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *keyword = dialog.findChild<QLineEdit *>(QStringLiteral("_Keyword"));
    QVERIFY(keyword);
    QCOMPARE(dialog.editor().model().count(), 3);
    QCOMPARE(dialog.statusBar()->currentMessage(), QStringLiteral(" 共 3 项  ,  当前显示3 项"));
    QVERIFY(dialog.findChild<QAction *>(QStringLiteral("_CreateOuterID"))->isVisible());
    QVERIFY(!dialog.findChild<QAction *>(QStringLiteral("_Null"))->isVisible());
    QVERIFY(!dialog.findChild<QAction *>(QStringLiteral("_DownloadSale"))->isVisible());
    QCOMPARE(dialog.findChild<QCheckBox *>(QStringLiteral("chkObjectConfig"))->text(),
             QStringLiteral("显示[配置目标店铺下载源]没有的宝贝"));
    shoot(&dialog, QStringLiteral("from_download_source.png"));

    // header sorting compares text only; the first sort is descending
    Q_EMIT dialog.list()->header()->sectionClicked(0);
    QCOMPARE(codes(dialog.editor().model()), (QStringList{QStringLiteral("9"), QStringLiteral("100"), QStringLiteral("10")}));
    Q_EMIT dialog.list()->header()->sectionClicked(0);
    QCOMPARE(codes(dialog.editor().model()), (QStringList{QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("9")}));

    // a keyword typed and left in the box still filters the next opening's first listing
    keyword->setText(QStringLiteral("外套"));
    dialog.reject();
    dialog.show();
    QCOMPARE(dialog.editor().model().count(), 2);
    QVERIFY(keyword->text().isEmpty());
    dialog.reject();
    dialog.show();
    QCOMPARE(dialog.editor().model().count(), 3);
    dialog.reject();

    // the target mode's controls; the on-sale download waits for a login
    dialog.setMode(1, QStringLiteral("配置目标下载源(我的店铺)"));
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("配置目标下载源(我的店铺)"));
    QCOMPARE(dialog.editor().model().count(), 1);
    auto *sale = dialog.findChild<QAction *>(QStringLiteral("_DownloadSale"));
    QVERIFY(sale->isVisible());
    QVERIFY(!sale->isEnabled());
    QVERIFY(dialog.findChild<QAction *>(QStringLiteral("_Null"))->isVisible());
    QVERIFY(!dialog.findChild<QAction *>(QStringLiteral("_CreateOuterID"))->isVisible());
    QCOMPARE(dialog.findChild<QAction *>(QStringLiteral("_SearchURL"))->text(), QStringLiteral("搜索添加宝贝链接(目标店铺)"));
    dialog.setLoginState([] { return true; }, [] { return QStringLiteral("sandbox_c_1"); });
    dialog.reject();
    dialog.show();
    QVERIFY(sale->isEnabled());
    // the link collection is asked for the first ticked group
    QSignalSpy links(&dialog, &TfrmFromDownload::addLinksRequested);
    dialog.editor().setAllGroupsTicked(false);
    dialog.findChild<QAction *>(QStringLiteral("_SearchURL"))->trigger();
    QCOMPARE(links.count(), 0);
    dialog.editor().setGroupTicked(0, true);
    dialog.findChild<QAction *>(QStringLiteral("_SearchURL"))->trigger();
    QCOMPARE(links.count(), 1);
    QCOMPARE(links.first().at(1).toString(), QStringLiteral("默认组"));
    dialog.list()->selectAll();
    shoot(&dialog, QStringLiteral("from_download_target.png"));
    dialog.reject();
}

void FromDownloadTest::mainWindowCommandsOpenTheDialog()
{
    TestRig rig;
    QVERIFY(rig.open());
    TfrmMain window(*rig.app);
    window.resize(1280, 800);
    window.show();
    QStringList seen;
    auto closeWhenShown = [&seen] {
        QTimer::singleShot(0, [&seen] {
            TfrmFromDownload *d = TfrmFromDownload::current();
            if (!d || !d->isVisible())
                return;
            seen << QString::number(d->editor().mode()) + d->windowTitle();
            d->reject();
        });
    };
    // toolbar buttons and menu items
    auto trigger = [&window](const char *name) {
        if (auto *b = window.findChild<QToolButton *>(QString::fromLatin1(name)))
            b->click();
        else if (auto *a = window.findChild<QAction *>(QString::fromLatin1(name)))
            a->trigger();
        else
            QFAIL(name);
    };
    for (const char *name : {"_SourceConfig", "N33", "_ObjectConfig", "NObjectConfig"}) {
        closeWhenShown();
        trigger(name);
    }
    QCOMPARE(seen, (QStringList{QStringLiteral("0配置源下载源(对方店铺)"), QStringLiteral("0配置源下载源(对方店铺)"),
                                QStringLiteral("1配置目标下载源(我的店铺)"), QStringLiteral("1配置目标下载源(我的店铺)")}));
    // not while a job shows its panel
    rig.app->jobs().panel2().show(QStringLiteral("x"), false);
    closeWhenShown();
    trigger("_ObjectConfig");
    QCOMPARE(seen.size(), 4);
    rig.app->jobs().panel2().hide();
}

QTEST_MAIN(FromDownloadTest)
#include "from_download_test.moc"
