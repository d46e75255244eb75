// The source side of the main window against the platform stand-in: the
// download button, the panel that mirrors the job, the list and its popup.
#include "TestRig.h"
#include "TopSandbox.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "app/ui/ListView.h"
#include "app/ui/MainWindow.h"
#include "source/ui/SourcePane.h"
#include "lists/ItemLists.h"
#include "source/SourceDownload.h"
#include "store/DataModule.h"
#include "store/Parameters.h"
#include "top/Endpoints.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

class SourcePaneTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRig> m_rig;

    template <class T> static T *child(QObject *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qWarning("missing %s", name);
        return c;
    }

    std::unique_ptr<TfrmMain> window()
    {
        auto w = std::make_unique<TfrmMain>(*m_rig->app);
        w->resize(1280, 800);
        w->show();
        return w;
    }

private Q_SLOTS:
    void init()
    {
        Intervals::setScale(0.01);
        m_rig = std::make_unique<TestRig>();
        QVERIFY(m_rig->openWithSandbox());
        QString error;
        QCOMPARE(ItemLists(m_rig->db())
                     .addItems(ItemLists::SourceList,
                               {QStringLiteral("520000001001"), QStringLiteral("520000001003"),
                                QStringLiteral("530000002003")},
                               &error),
                 3);
    }
    void cleanup()
    {
        m_rig.reset();
        Intervals::setScale(1.0);
    }

    void downloadFromTheToolbarFillsTheList()
    {
        auto w = window();
        auto *panel = child<QFrame>(w.get(), "_ProcessPanel1");
        auto *caption = child<QLabel>(w.get(), "_lblCaption1");
        auto *cancel = child<QPushButton>(w.get(), "_Cancel1");
        QSignalSpy ended(&w->sourceDownload(), &SourceDownloadJob::ended);
        QTest::mouseClick(child<QToolButton>(w.get(), "_FromDownload"), Qt::LeftButton);
        // the panel mirrors the job while its request is out
        QVERIFY(!panel->isHidden());
        QVERIFY(!cancel->isHidden());
        QCOMPARE(caption->text(), QStringLiteral("正在下载源宝贝库存数据...(0%)"));
        QTRY_COMPARE(ended.count(), 1);
        QVERIFY(panel->isHidden());
        QCOMPARE(m_rig->ui.messages().last(), QStringLiteral("完成\"下载源宝贝库存数据\",请确认."));
        // every call signed with the built-in pair
        QCOMPARE(m_rig->sandbox.callCount(QStringLiteral("taobao.items.list.get")), 1);
        QVERIFY(m_rig->sandbox.calls().first().signatureValid);

        // collapsed: the totals; expanded: the rows
        QVERIFY(child<QLabel>(w.get(), "_PanelSource_Total_Caption")->text().startsWith(QStringLiteral(" 共 ")));
        QTest::mouseClick(child<QToolButton>(w.get(), "_ShowSourcePage"), Qt::LeftButton);
        ListModel *model = w->sourceModel();
        QVERIFY(model->count() > 3);
        // 530000002003 has no merchant code: hidden under the start filter
        for (const ListRow &r : model->rows())
            QVERIFY(r.cells.at(6) != QStringLiteral("530000002003"));
        QTest::mouseClick(child<QRadioButton>(w.get(), "_chkouterid1"), Qt::LeftButton);
        QVERIFY(child<QLabel>(w.get(), "_PanelSource_Total_Caption")->text().contains(QStringLiteral("无商家编码")));
        const int all = model->count();

        // search with Enter in the keyword box
        auto *keyword = child<QLineEdit>(w.get(), "_SourceKeyword");
        keyword->setText(QStringLiteral("  S300 "));
        QTest::keyClick(keyword, Qt::Key_Return);
        QVERIFY(model->count() > 0 && model->count() < all);
        for (const ListRow &r : model->rows())
            QCOMPARE(r.cells.at(0), QStringLiteral("S300"));

        // popup: copy the merchant codes of the selected rows
        auto *view = child<ListView>(w.get(), "_RzListView");
        view->selectAll();
        child<QAction>(w.get(), "N8")->trigger();
        QCOMPARE(m_rig->desktop.clipboardText().split(QStringLiteral("\r\n")).size(), model->count());
        child<QAction>(w.get(), "N31")->trigger();
        QVERIFY(m_rig->desktop.openedUrls().last().startsWith(m_rig->sandbox.baseUrl() + QStringLiteral("/item.htm?id=")));
    }

    void popupMenuInItsOrder()
    {
        auto w = window();
        auto *menu = child<QMenu>(w.get(), "_PopupMenuSource");
        QStringList captions;
        for (QAction *a : menu->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{QStringLiteral("全选"), QStringLiteral("删除选中项"), QStringLiteral("复制文本"),
                                        QStringLiteral("复制URL链接"), QStringLiteral("简易统计工具"),
                                        QStringLiteral("选中项另存为..."), QStringLiteral("高级功能"),
                                        QStringLiteral("打开所选项网页地址")}));
        QCOMPARE(child<QMenu>(w.get(), "N6")->actions().size(), 11);
        QCOMPARE(child<QAction>(w.get(), "N78")->property("Tag").toInt(), 11);
    }

    void cancelHidesThePanelAndTheEasySettingIsStored()
    {
        auto w = window();
        m_rig->sandbox.injectFault(QStringLiteral("taobao.items.list.get"), topsandbox::Fault::closeConnection(), 10);
        QSignalSpy ended(&w->sourceDownload(), &SourceDownloadJob::ended);
        w->sourcePane().FromDownloadClick();
        // the countdown shows in lblTry
        auto *retry = child<QLabel>(w.get(), "lblTry");
        QTRY_VERIFY(!retry->isHidden());
        QVERIFY(retry->text().startsWith(QStringLiteral("重试 = ")));
        QTest::mouseClick(child<QPushButton>(w.get(), "_Cancel1"), Qt::LeftButton);
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(w->sourceDownload().outcome(), SourceDownloadJob::Outcome::Cancelled);
        QVERIFY(child<QFrame>(w.get(), "_ProcessPanel1")->isHidden());
        QVERIFY(retry->isHidden());
        QTest::qWait(200);
        QVERIFY(child<QFrame>(w.get(), "_ProcessPanel1")->isHidden());

        auto *easy = child<QCheckBox>(w.get(), "_chkEasy");
        QVERIFY(easy->isChecked());
        QTest::mouseClick(easy, Qt::LeftButton);
        QCOMPARE(GetParam(m_rig->db(), 6), QStringLiteral("0"));
    }
};

QTEST_MAIN(SourcePaneTest)
#include "source_pane_test.moc"
