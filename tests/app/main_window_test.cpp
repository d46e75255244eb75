// The main window on a real database, driven offscreen with a scripted
// interaction and a recording desktop.
#include "app/BuiltinAppKey.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "app/ui/About.h"
#include "app/ui/ListView.h"
#include "jobs/RequestJob.h"
#include "app/ui/MainWindow.h"
#include "source/ui/SourcePane.h"
#include "sync/DifferenceQuery.h"
#include "TestRig.h"
#include "store/DataModule.h"
#include "store/Parameters.h"
#include "store/Settings.h"
#include "top/TopClient.h"
#include "base/TextRoutines.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProgressBar>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <memory>

class MainWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestRig> m_rig;

    void openData()
    {
        m_rig->app.reset();
        QVERIFY(m_rig->open());
    }
    std::unique_ptr<TfrmMain> makeWindow(bool show = true)
    {
        auto w = std::make_unique<TfrmMain>(*m_rig->app);
        if (show) {
            w->resize(1280, 800);
            w->show();
        }
        return w;
    }
    template <class T> static T *child(QObject *w, const char *name)
    {
        T *c = w->findChild<T *>(QString::fromLatin1(name));
        if (!c)
            qWarning("missing %s", name);
        return c;
    }

private Q_SLOTS:
    void init()
    {
        Intervals::setScale(0.01);
        m_rig = std::make_unique<TestRig>();
        openData();
    }
    void cleanup()
    {
        m_rig.reset();
        Intervals::setScale(1.0);
    }

    void layoutCarriesTheComponentNames()
    {
        auto w = makeWindow(false);
        const char *names[] = {"_PanelSource",
                               "_SourcePage",
                               "_RzListView",
                               "_SourcePanelTop",
                               "_PanelSource_Total",
                               "_lblSourceUpdate",
                               "_AppKey",
                               "_AppSecret",
                               "_PanelObject",
                               "_ObjectToolbar",
                               "_SourceToolbar",
                               "_users",
                               "_Uniqid",
                               "_UpgradeStock",
                               "_ObjectPage",
                               "_RzListViewTo",
                               "_RzListViewPrice",
                               "_RzListViewStock",
                               "_RzListView_Inventory",
                               "_ProcessPanel1",
                               "_ProcessPanel2",
                               "_lblCaption1",
                               "_lblCaption2",
                               "lblTry",
                               "lblTry2",
                               "_Cancel1",
                               "_Cancel2",
                               "_PanelWebBrowser1",
                               "_PanelWebBrowser2",
                               "_Debug",
                               "_VersionStatus",
                               "_StatusTips",
                               "_RzTrayIcon",
                               "_NoShowOnly",
                               "_chkEasy",
                               "_SourceKeyword",
                               "_InventoryKeyword",
                               "_RefreshData_Source",
                               "_NowDatetime",
                               "_EndTime",
                               "_TimerShow",
                               "_PopupMenuSource",
                               "_PopupMenuObject",
                               "_PopupMenuSourcePrice",
                               "PopupMenuInventory",
                               "_PopupMenuSync",
                               "_PopupMenuOther",
                               "PopupMenuTool"};
        for (const char *n : names)
            QVERIFY2(w->findChild<QObject *>(QString::fromLatin1(n)), n);

        auto *page = child<QTabWidget>(w.get(), "_ObjectPage");
        QCOMPARE(page->count(), 5);
        QVERIFY(!page->isTabVisible(1));
        for (int i : {0, 2, 3, 4})
            QVERIFY(page->isTabVisible(i));
        QCOMPARE(page->tabText(0), QStringLiteral(" 目标:店铺宝贝(我的店铺)"));
        QCOMPARE(page->tabText(3), QStringLiteral("仓库中等待上架的宝贝"));

        auto *key = child<QComboBox>(w.get(), "_Uniqid");
        QCOMPARE(key->count(), 9);
        QCOMPARE(key->itemText(8), QStringLiteral("货号+SKU(尺码)"));
        auto *mode = child<QComboBox>(w.get(), "_UpgradeStock");
        QCOMPARE(mode->itemText(0), QStringLiteral("1.全量"));
        QCOMPARE(mode->itemText(1), QStringLiteral("2.增量"));

        // hidden at start
        QVERIFY(child<QWidget>(w.get(), "_ProcessPanel1")->isHidden());
        QVERIFY(child<QWidget>(w.get(), "_ProcessPanel2")->isHidden());
        QVERIFY(child<QLabel>(w.get(), "lblTry")->isHidden());
        QCOMPARE(child<QLabel>(w.get(), "lblTry2")->text(), QStringLiteral("重试 = 10"));
        QVERIFY(child<QWidget>(w.get(), "_Debug")->isHidden());
        QCOMPARE(child<QPlainTextEdit>(w.get(), "_Debug")->toPlainText(), QStringLiteral("Debug"));
        QVERIFY(!child<QSystemTrayIcon>(w.get(), "_RzTrayIcon")->isVisible());
        QCOMPARE(child<QLineEdit>(w.get(), "_AppKey")->text(), BuiltinAppKey());
        QCOMPARE(child<QLineEdit>(w.get(), "_AppSecret")->text(), BuiltinAppSecret());

        // menu captions, trailing blanks included
        auto caption = [&](const char *name) { return child<QAction>(w.get(), name)->text(); };
        QCOMPARE(caption("D2"), QStringLiteral("退出(&X)") + QString(14, QLatin1Char(' ')));
        QCOMPARE(caption("H2"), QStringLiteral("联机帮助(&H)") + QString(12, QLatin1Char(' ')));
        QCOMPARE(caption("_delisting"), QStringLiteral("执行商品下架") + QString(9, QLatin1Char(' ')));
        QCOMPARE(caption("N10"), QStringLiteral("安装 SQLCE 动态库(dll) ...  "));
        QVERIFY(!child<QAction>(w.get(), "NUpload")->isEnabled());

        // every command and component name names one thing
        QSet<QString> seen;
        for (QObject *o : w->findChildren<QObject *>()) {
            const QString name = o->objectName();
            const bool command = qobject_cast<QAction *>(o) || qobject_cast<QMenu *>(o);
            if (name.isEmpty() || (!command && !name.startsWith(QLatin1Char('_'))))
                continue;
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
        // the target toolbar's buttons come before the account and matching-key boxes
        auto *bar = child<QToolBar>(w.get(), "_ObjectToolbar");
        QStringList order;
        for (QAction *a : bar->actions())
            if (QWidget *c = bar->widgetForAction(a); c && !c->objectName().isEmpty())
                order << c->objectName();
        QCOMPARE(order.first(), QStringLiteral("_AccountAdmin"));
        QCOMPARE(order.indexOf(QStringLiteral("_Other")) + 1, order.indexOf(QStringLiteral("_users")));
        QCOMPARE(order.last(), QStringLiteral("_UpgradeStock"));
    }

    void creationAndFirstShowState()
    {
        QVERIFY(SetParam(m_rig->db(), 9999, QStringLiteral("3")));
        QVERIFY(SetParam(m_rig->db(), 1, QStringLiteral("2026/01/02 03:04:05")));
        QSqlQuery q(m_rig->db());
        QVERIFY(q.exec(QStringLiteral("delete from _Parameter where NM=6")));
        Clock::setNow(QDateTime(QDate(2026, 5, 6), QTime(13, 14, 15)));
        auto w = makeWindow(false);
        Clock::reset();

        QCOMPARE(w->windowTitle(), QStringLiteral("奥万淘宝店铺库存同步助手 V") + GetVersionText().left(3));
        QCOMPARE(child<QLabel>(w.get(), "_VersionStatus")->text(),
                 QStringLiteral("版本:") + GetVersionText());
        QCOMPARE(w->appKey(), BuiltinAppKey());
        QVERIFY(w->authorizationAddress().endsWith(QStringLiteral("?appkey=") + BuiltinAppKey()));

        Clock::setNow(QDateTime(QDate(2026, 5, 6), QTime(13, 14, 15)));
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->show();
        Clock::reset();
        QVERIFY(ParamExists(m_rig->db(), 6));
        QVERIFY(child<QCheckBox>(w.get(), "_chkEasy")->isChecked());
        auto *key = child<QComboBox>(w.get(), "_Uniqid");
        QCOMPARE(key->currentIndex(), 3);
        QCOMPARE(key->property("Tag").toInt(), 3);
        QCOMPARE(key->palette().color(QPalette::Button), QColor(252, 247, 186));
        auto *mode = child<QComboBox>(w.get(), "_UpgradeStock");
        QCOMPARE(mode->currentIndex(), 0);
        QCOMPARE(mode->palette().color(QPalette::Button), QColor(237, 128, 128));
        QCOMPARE(
            child<QLabel>(w.get(), "_StatusTips")->text(),
            QStringLiteral(
                "注意事项:\"主商家编码+SKU商家编码\" 作为同步的关联值,如源与目标不一致,将不能同步到数据."));
        QCOMPARE(child<QDateTimeEdit>(w.get(), "_NowDatetime")->dateTime(),
                 QDateTime(QDate(2026, 5, 6), QTime(8, 0)));
        QCOMPARE(child<QTimeEdit>(w.get(), "_EndTime")->time(), QTime(22, 0));

        // the first load runs once, from the show timer
        QVERIFY(loaded.wait(2000));
        QCOMPARE(child<QLabel>(w.get(), "_lblSourceUpdate")->text(),
                 QStringLiteral("更新时间:2026/01/02 03:04:05"));
        QTest::qWait(30);
        QCOMPARE(loaded.count(), 1);
        QVERIFY(m_rig->ui.records().isEmpty());
    }

    void hideNonUniqueOptionFromTheStoredFlag()
    {
        {
            auto w = makeWindow();
            QVERIFY(!child<QCheckBox>(w.get(), "_NoShowOnly")->isChecked());
        }
        QVERIFY(SetParam(m_rig->db(), 200, QStringLiteral("1")));
        openData(); // the data module reads NM 200 at start
        QCOMPARE(m_rig->app->hideNonUniqueFlag(), 1);
        auto w = makeWindow();
        QVERIFY(child<QCheckBox>(w.get(), "_NoShowOnly")->isChecked());
    }

    void ctrlAltITogglesTheDebugMemo()
    {
        auto w = makeWindow();
        auto *debug = child<QWidget>(w.get(), "_Debug");
        QVERIFY(debug->isHidden());
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!debug->isHidden());
        // key preview: the window sees it even when a control has the key
        QTest::keyClick(child<QWidget>(w.get(), "_ObjectKeyword"), Qt::Key_I,
                        Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(debug->isHidden());

        QTest::keyClick(w.get(), Qt::Key_I, Qt::AltModifier);
        QVERIFY(debug->isHidden());
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier);
        QVERIFY(debug->isHidden());
        QTest::keyClick(w.get(), Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(debug->isHidden());
        // the edit box keeps its own plain letters
        auto *edit = child<QLineEdit>(w.get(), "_ObjectKeyword");
        QTest::keyClicks(edit, QStringLiteral("iI"));
        QCOMPARE(edit->text(), QStringLiteral("iI"));
    }

    void debugMemoEchoesRequestsOnlyWhileShown()
    {
        auto w = makeWindow();
        auto *memo = child<QPlainTextEdit>(w.get(), "_Debug");
        TopClient &client = m_rig->app->client();
        auto echo = [&](const char *body) {
            client.clearReplyBuffer();
            client.intake(QByteArray(body), QString());
        };
        echo("<hidden1/>");
        m_rig->app->jobs().debug(QStringLiteral("数据库错误一"));
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        echo("<shown/>");
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        echo("<hidden2/>");
        m_rig->app->jobs().debug(QStringLiteral("数据库错误二"));
        const QString text = memo->toPlainText();
        QVERIFY(text.contains(QStringLiteral("<shown/>")));
        QVERIFY(!text.contains(QStringLiteral("<hidden1/>")));
        QVERIFY(!text.contains(QStringLiteral("<hidden2/>")));
        // the job host's lines are written also while the memo is hidden
        QVERIFY(text.contains(QStringLiteral("数据库错误一")));
        QVERIFY(text.contains(QStringLiteral("数据库错误二")));

        // the client outlives the window: a shown memo's echo ends with it
        QTest::keyClick(w.get(), Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
        w.reset();
        echo("<after/>");
    }

    void exitAsksFirstCloseBoxDoesNot()
    {
        auto w = makeWindow();
        m_rig->ui.answerQuestion(false);
        child<QAction>(w.get(), "D2")->trigger();
        QVERIFY(w->isVisible());
        QCOMPARE(m_rig->ui.records().size(), 1);
        QCOMPARE(m_rig->ui.last()->caption, QStringLiteral("提示"));
        QCOMPARE(m_rig->ui.last()->text, QStringLiteral("是否要退出软件?"));
        QCOMPARE(m_rig->ui.last()->icon, Interaction::Icon::Question);

        m_rig->ui.answerQuestion(true);
        w->D2Click();
        QVERIFY(!w->isVisible());
        QCOMPARE(m_rig->ui.records().size(), 2);

        auto other = makeWindow();
        m_rig->ui.clear();
        QVERIFY(other->close());
        QVERIFY(!other->isVisible());
        QVERIFY(m_rig->ui.records().isEmpty());
    }

    void sourcePaneExpandsAndCollapses()
    {
        auto w = makeWindow();
        auto *panel = child<QWidget>(w.get(), "_PanelSource");
        auto *total = child<QWidget>(w.get(), "_PanelSource_Total");
        auto *page = child<QTabWidget>(w.get(), "_SourcePage");
        auto *list = child<QWidget>(w.get(), "_RzListView");
        auto *filter = child<QWidget>(w.get(), "_SourcePanelTop");
        auto *button = child<QToolButton>(w.get(), "_ShowSourcePage");
        auto *menu = child<QAction>(w.get(), "NShowSourcePage");
        auto *refresh = child<QToolButton>(w.get(), "_RefreshData_Source");

        QCOMPARE(panel->height(), total->height() + 5);
        QVERIFY(list->isHidden());
        for (int i = 0; i < page->count(); ++i)
            QVERIFY(!page->isTabVisible(i));
        QCOMPARE(menu->text(), QStringLiteral("显示源宝贝表列表(&V)"));
        QVERIFY(!refresh->isEnabled());

        w->setCancelFlag(true);
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!w->cancelFlag());
        QVERIFY(!list->isHidden());
        QVERIFY(!filter->isHidden());
        QCOMPARE(panel->height(), 319);
        for (int i = 0; i < page->count(); ++i)
            QVERIFY(page->isTabVisible(i));
        QCOMPARE(button->text(), QStringLiteral("隐藏源宝贝列表"));
        QCOMPARE(menu->text(), QStringLiteral("隐藏源宝贝列表"));
        QCOMPARE(button->property("ImageIndex").toInt(), 10);
        QVERIFY(refresh->isEnabled());

        menu->trigger();
        QVERIFY(list->isHidden());
        QVERIFY(filter->isHidden());
        QCOMPARE(panel->height(), total->height() + 5);
        QCOMPARE(button->text(), QStringLiteral("显示源宝贝列表"));
        QCOMPARE(menu->text(), QStringLiteral("显示源宝贝列表"));
        QCOMPARE(button->property("ImageIndex").toInt(), 9);
        QVERIFY(!refresh->isEnabled());

        // nothing happens while a progress panel is shown
        w->jobs().panel2().show(QStringLiteral("正在下载中...(0%)"), true);
        QVERIFY(!child<QWidget>(w.get(), "_ProcessPanel2")->isHidden());
        // its bar shows the caption's percentage, and moves while there is none
        auto *bar = child<QProgressBar>(w.get(), "_ProcessPanel2_Animate");
        w->jobs().panel2().setCaption(QStringLiteral("店铺:a\r\n正在上传最新库存数量到目标店铺...(33%)"));
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 33);
        QVERIFY(bar->isTextVisible());
        if (const QString shots = qEnvironmentVariable("STOCKSYNC_SHOT_DIR"); !shots.isEmpty()) {
            QDir().mkpath(shots);
            child<QWidget>(w.get(), "_ProcessPanel2")->grab().save(QDir(shots).filePath(QStringLiteral("progress_panel.png")));
        }
        w->jobs().panel2().setCaption(QStringLiteral("读取数据中..."));
        QCOMPARE(bar->maximum(), 0);
        // before a login the upload's tooltip says why it is grey
        auto *upload = child<QWidget>(w.get(), "_Upload");
        QVERIFY(!upload->isEnabled());
        QVERIFY2(upload->toolTip().contains(QStringLiteral("需要先登录")), qPrintable(upload->toolTip()));
        w->setCancelFlag(true);
        w->sourcePane().ShowSourcePageClick();
        QVERIFY(list->isHidden());
        QVERIFY(w->cancelFlag());
    }

    void loginBrowserPanelStaysCentred()
    {
        auto w = makeWindow();
        auto *panel = child<QWidget>(w.get(), "_PanelWebBrowser1");
        for (QSize size : {QSize(1280, 800), QSize(1001, 777)}) {
            w->resize(size);
            QApplication::processEvents();
            const QWidget *area = panel->parentWidget();
            QCOMPARE(panel->x(), qRound(area->width() / 2.0 - panel->width() / 2.0));
            QCOMPARE(panel->y(), qRound(area->height() / 2.0 - panel->height() / 2.0));
        }
    }

    void enableControlSwitchesTheFourTogether()
    {
        auto w = makeWindow();
        const char *names[] = {"_ObjectPage", "_SourcePage", "_ObjectToolbar", "_SourceToolbar"};
        w->EnableControl(false);
        for (const char *n : names)
            QVERIFY2(!child<QWidget>(w.get(), n)->isEnabled(), n);
        QVERIFY(child<QWidget>(w.get(), "_PanelObject")->isEnabled());
        w->EnableControl(true);
        for (const char *n : names)
            QVERIFY2(child<QWidget>(w.get(), n)->isEnabled(), n);
    }

    void headerClickSortsTheListDescendingFirst()
    {
        auto w = makeWindow();
        ListModel *model = w->targetModel();
        std::vector<ListRow> rows;
        for (const char *n : {"9.4", "100", "10"}) {
            ListRow r;
            r.caption = QStringLiteral("shop");
            for (int c = 0; c < 15; ++c)
                r.cells.append(c == 4 ? QString::fromLatin1(n) : QString());
            r.cells.append(QString::fromLatin1(n)); // Uniqid
            rows.push_back(r);
        }
        model->setRows(rows);
        auto *view = child<ListView>(w.get(), "_RzListViewTo");
        QVERIFY(view->isColumnHidden(16));
        QVERIFY(!view->isColumnHidden(5));
        QHeaderView *header = view->header();
        const QPoint at(header->sectionViewportPosition(5) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(model->row(0).cells.at(4), QStringLiteral("100"));
        QCOMPARE(model->row(2).cells.at(4), QStringLiteral("9.4"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(model->row(0).cells.at(4), QStringLiteral("9.4"));
        QCOMPARE(model->row(2).cells.at(4), QStringLiteral("100"));
        // the source list keeps its own direction
        QVERIFY(!w->sourceModel()->sortAscendingNext());
    }

    void theFirstLoadAndTheSourceSideReloadTheTargetList()
    {
        QVERIFY(SetParam(m_rig->db(), 2, QStringLiteral("2026/02/03 04:05:06")));
        auto pair = [&](const char *code) {
            QSqlQuery q(m_rig->db());
            return q.exec(QStringLiteral("insert into TB_Source(outer_id,color,sku,num) values('%1','白','M',7)")
                              .arg(QLatin1String(code))) &&
                   q.exec(QStringLiteral("insert into TB_Object(UserID,outer_id,color,sku,num) "
                                         "values('shopA','%1','白','M',5)")
                              .arg(QLatin1String(code)));
        };
        QVERIFY(pair("A1"));
        auto w = makeWindow(false);
        QSignalSpy loaded(w.get(), &TfrmMain::firstLoadFinished);
        w->show();
        QVERIFY(loaded.wait(2000));
        // the first load ran the query, for the account in the box (none yet)
        QVERIFY(!m_rig->app->differenceQuery().statements().isEmpty());
        QCOMPARE(child<QLabel>(w.get(), "_lblObjectUpdate")->text(),
                 QStringLiteral("目标店铺更新时间:2026/02/03 04:05:06"));
        QCOMPARE(w->targetModel()->count(), 0);

        child<QComboBox>(w.get(), "_users")->addItem(QStringLiteral("shopA"));
        Q_EMIT w->sourcePane().targetReloadWanted();
        QCOMPARE(w->targetModel()->count(), 1);
        QVERIFY(w->targetModel()->isChecked(0));
        QVERIFY(pair("A2"));
        child<QPushButton>(w.get(), "_Cancel2")->click();
        QCOMPARE(w->targetModel()->count(), 2);
        QVERIFY(m_rig->ui.records().isEmpty());
    }

    void otherFunctionsOnlyOnTheFirstTargetTab()
    {
        auto w = makeWindow();
        auto *page = child<QTabWidget>(w.get(), "_ObjectPage");
        auto *other = child<QToolButton>(w.get(), "_Other");
        QVERIFY(other->isEnabled());
        page->setCurrentIndex(3);
        QVERIFY(!other->isEnabled());
        page->setCurrentIndex(0);
        QVERIFY(other->isEnabled());
    }

    void toolsAndHelpCommands()
    {
        Settings settings(m_rig->db());
        QVERIFY(settings.set(Setting::HelpAddress, QStringLiteral("http://127.0.0.1:1/help.html")));
        QVERIFY(settings.set(Setting::WebsiteAddress, QStringLiteral("http://127.0.0.1:1/")));
        QVERIFY(settings.set(Setting::FeedbackAddress, QStringLiteral("mailto:help@localhost")));
        QFile updater(m_rig->path() + QStringLiteral("/Update"));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.close();
        QVERIFY(settings.set(Setting::UpdaterProgram, updater.fileName()));
        auto w = makeWindow();
        child<QAction>(w.get(), "N19")->trigger();
        QCOMPARE(m_rig->desktop.startedPrograms().size(), 1);
        child<QAction>(w.get(), "H2")->trigger();
        child<QAction>(w.get(), "K1")->trigger();
        child<QAction>(w.get(), "F2")->trigger();
        QCOMPARE(m_rig->desktop.openedUrls().size(), 3);

        // optimise declined, then accepted
        child<QAction>(w.get(), "est1")->trigger();
        QCOMPARE(m_rig->ui.last()->text, QStringLiteral("是否对本机数据库进行优化?"));
        m_rig->ui.answerQuestion(true);
        child<QAction>(w.get(), "est1")->trigger();
        QCOMPARE(m_rig->ui.last()->text, QStringLiteral("完成对本机数据库优化"));
        child<QAction>(w.get(), "N10")->trigger();
        QCOMPARE(m_rig->ui.last()->kind, ScriptedInteraction::Kind::Message);

        // online update: No keeps the window, Yes starts the updater and ends
        child<QAction>(w.get(), "NUpdateOnline")->trigger();
        QCOMPARE(m_rig->ui.last()->caption, QStringLiteral("在线升级"));
        QVERIFY(w->isVisible());
        m_rig->ui.answerQuestion(true);
        QTest::mouseClick(child<QToolButton>(w.get(), "_UpdateOnline"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(m_rig->desktop.startedPrograms().size(), 2);
    }

    void aboutWindowClosesOnClickAndCtrlW()
    {
        TfrmAbout about(QStringLiteral("1.0.0.1"));
        auto *version = about.findChild<QLabel *>(QStringLiteral("lblVersion"));
        QCOMPARE(version->text(), QStringLiteral("版本：1.0.0.1"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(version, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        about.activateWindow();
        QTest::keyClick(&about, Qt::Key_W, Qt::ControlModifier);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
