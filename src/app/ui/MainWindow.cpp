#include "app/ui/MainWindow.h"
#include "history/ui/UploadHistoryWindow.h"
#include "app/Application.h"
#include "app/BuiltinAppKey.h"
#include "app/HelpCommands.h"
#include "app/ui/About.h"
#include "app/ui/ActionTable.h"
#include "app/ui/LoginShow.h"
#include "app/ui/ProgressPanel.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "source/SourceList.h"
#include "source/ui/PriceStockTabs.h"
#include "source/ui/SourcePane.h"
#include "reports/ui/TotalForm.h"
#include "reports/ui/TotalForm1.h"
#include "store/Maintenance.h"
#include "store/Parameters.h"
#include "sync/DifferenceQuery.h"
#include "sync/QuantityUpload.h"
#include "sync/SyncPlan.h"
#include "sync/ui/SyncConfig.h"
#include "sync/ui/SyncPlanFrame.h"
#include "shop/ui/LoginPanels.h"
#include "target/ui/TargetPane.h"
#include "target/ui/WarehousePage.h"
#include "top/Endpoints.h"
#include "top/TopClient.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

using namespace ui;

TfrmMain::TfrmMain(Application &app, QWidget *parent)
    : QMainWindow(parent), m_app(app), m_db(app.db()), m_ui(app.ui()), m_desktop(app.desktop()),
      m_jobs(app.jobs()), m_client(app.client()), m_sourceDownload(app.sourceDownload())
{
    LoadProgramResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ProgramIcon());
    m_timerShow = named(new QTimer(this), QStringLiteral("_TimerShow"));
    connect(m_timerShow, &QTimer::timeout, this, &TfrmMain::TimerShowTimer);

    m_sourceToolbar = named(new QToolBar(QStringLiteral("下载宝贝库存"), this), QStringLiteral("_SourceToolbar"));
    m_sourceToolbar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, m_sourceToolbar);
    addToolBarBreak();
    buildKeyToolbar();

    auto *central = named(new QWidget(this), QStringLiteral("centralWidget"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    m_sourcePane = new SourcePane(app, central);
    m_targetPane = new TargetPane(app, central);
    column->addWidget(m_sourcePane);
    column->addWidget(m_targetPane, 1);
    m_debug = named(new QPlainTextEdit(central), QStringLiteral("_Debug"));
    m_debug->setPlainText(QStringLiteral("Debug"));
    m_debug->setFixedHeight(140);
    column->addWidget(m_debug);
    setCentralWidget(central);
    setDebugShown(false);

    m_processPanel1 = new ProgressPanel(m_jobs.panel1(), 1, central);
    m_processPanel2 = new ProgressPanel(m_jobs.panel2(), 2, central);
    buildBrowserPanels();
    buildStatusBar();
    buildTray();
    m_syncPlan = new SyncPlanFrame(app, *this, *m_targetPane, *m_tray, this);
    // the plan's upload step is the quantity upload the user starts with `_Upload`
    QuantityUploadJob &upload = app.quantityUpload();
    m_syncPlan->setQuantityUpload([&upload]() {
        return upload.UploadClick(true) ? PlanSteps::Start::Started : PlanSteps::Start::NothingToDo;
    });
    connect(&upload, &QuantityUploadJob::ended, m_syncPlan, [this](QuantityUploadJob::Outcome outcome) {
        switch (outcome) {
        case QuantityUploadJob::Outcome::Completed:
            m_syncPlan->uploadFinished(SyncPlan::Result::Completed);
            return;
        case QuantityUploadJob::Outcome::NothingTicked:
            m_syncPlan->uploadFinished(SyncPlan::Result::NothingToUpload);
            return;
        case QuantityUploadJob::Outcome::Cancelled:
            m_syncPlan->uploadFinished(SyncPlan::Result::Cancelled);
            return;
        case QuantityUploadJob::Outcome::Held:
            m_syncPlan->uploadFinished(SyncPlan::Result::Held);
            return;
        default:
            m_syncPlan->uploadFinished(SyncPlan::Result::Failed);
            return;
        }
    });
    buildCommands();

    // the panes meet here
    connect(m_processPanel1, &ProgressPanel::cancelClicked, m_sourcePane, &SourcePane::Cancel1Click);
    // while the login holds the target side's panel its cancel button is the login's
    connect(m_processPanel2, &ProgressPanel::cancelClicked, this, [this] {
        if (m_loginPanels->holdsProgress())
            m_loginPanels->cancelProgress();
        else
            m_targetPane->Cancel2Click();
    });
    connect(m_processPanel1, &ProgressPanel::aboutToShow, this, &TfrmMain::placeFloatingPanels);
    connect(m_processPanel2, &ProgressPanel::aboutToShow, this, &TfrmMain::placeFloatingPanels);
    connect(m_sourcePane, &SourcePane::targetReloadWanted, m_targetPane, [this] { m_targetPane->GetData_TB_Object(QString()); });
    connect(&app.sourceList(), &SourceList::controlsEnabled, this, &TfrmMain::EnableControl);
    connect(&app.differenceQuery(), &DifferenceQuery::controlsEnabled, this, &TfrmMain::EnableControl);
    connect(m_targetPane, &TargetPane::statusTipsChanged, m_statusTips, &QLabel::setText);
    connect(m_targetPane, &TargetPane::uploadReported, this, &TfrmMain::showUploadResult);
    m_sourcePane->setMatchingKey([this] { return m_targetPane->matchingKey(); });
    m_sourceDownload.setAccountText([this] { return m_targetPane->currentAccount(); });
    // database errors and transport causes reach the memo also while it is hidden
    connect(&m_jobs, &JobHost::debugAdded, this, &TfrmMain::appendDebug);
    // the tray's hint is the plan's (SyncPlanFrame): the status text with the next run and the last counts

    // key preview: the window sees its keys before its controls do
    qApp->installEventFilter(this);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    if (qApp)
        qApp->removeEventFilter(this);
    // the services outlive the window
    m_client.setDebugSink({});
    m_sourceDownload.setAccountText({});
    m_sourceDownload.setReloadLists({});
}

void TfrmMain::buildCommands()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    ActionBuilder builder;
    builder.addPlace(Place::MenuBar, menuBar());
    builder.addPlace(Place::SourceToolbar, m_sourceToolbar);
    builder.addPlace(Place::ObjectToolbar, m_targetPane->toolbar(), m_targetPane->toolbarAnchor());
    builder.addPlace(Place::SourcePopup, m_sourcePane->popupMenu());
    builder.addPlace(Place::ObjectPopup, m_targetPane->popupMenu());
    builder.addPlace(Place::PricePopup, m_sourcePane->pricePopupMenu());
    builder.addPlace(Place::InventoryPopup, m_targetPane->inventoryPopupMenu());
    builder.addPlace(Place::TrayMenu, m_popupSync);
    builder.addHandler(Pane::Frame, this);
    builder.addHandler(Pane::Source, m_sourcePane);
    builder.addHandler(Pane::Target, m_targetPane);
    builder.addHandler(Pane::PriceStock, m_sourcePane->priceStockTabs());
    builder.addHandler(Pane::Warehouse, m_targetPane->warehousePage());
    builder.build(MainWindowActions());

    m_sourcePane->setCommandControls(builder.button("_ShowSourcePage"), builder.action("NShowSourcePage"),
                                     builder.button("_RefreshData_Source"));
    m_targetPane->setOtherButton(builder.button("_Other"));
    m_sourcePane->priceStockTabs()->bindPopup([&builder](const char *name) { return builder.action(name); });
    m_syncPlan->setUploadButton(builder.button("_Upload"));

    LoginPanels::Commands login;
    login.login = builder.button("_Login");
    login.userGrade = builder.action("_UserGrade");
    login.updatePrice = builder.action("_updateprice");
    login.enabledByLogin = {builder.action("NDownload"), builder.action("NUpload"), builder.button("_Upload"),
                            builder.action("_delisting"), builder.action("_listing"), builder.action("_UserGrade")};
    m_loginPanels->setCommands(login);
    connect(login.login, &QToolButton::clicked, m_loginPanels, &LoginPanels::LoginClick);
    connect(login.userGrade, &QAction::triggered, m_loginPanels, &LoginPanels::UserGradeClick);
}

void TfrmMain::buildKeyToolbar()
{
    m_keyToolbar = named(new QToolBar(this), QStringLiteral("_KeyToolbar"));
    auto *key = named(new QLineEdit(BuiltinAppKey(), m_keyToolbar), QStringLiteral("_AppKey"));
    auto *secret = named(new QLineEdit(BuiltinAppSecret(), m_keyToolbar), QStringLiteral("_AppSecret"));
    m_keyToolbar->addWidget(key)->setVisible(false);
    m_keyToolbar->addWidget(secret)->setVisible(false);
    addToolBar(Qt::TopToolBarArea, m_keyToolbar);
    m_keyToolbar->setHidden(true);
}

void TfrmMain::buildBrowserPanels()
{
    m_loginPanels = new LoginPanels(m_app, *m_targetPane, centralWidget(), this);
    m_panelWebBrowser1 = m_loginPanels->browserPanel();
    m_panelWebBrowser2 = m_loginPanels->framePanel();
    m_loginPanels->setDebugMemo([this] { return !m_debug->isHidden(); }, [this](const QString &text) { appendDebug(text); });
    connect(m_loginPanels, &LoginPanels::centreWanted, this, &TfrmMain::FormResize);
}

void TfrmMain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("RzStatusBar1"));
    m_versionStatus = label(statusBar(), QString(), QStringLiteral("_VersionStatus"));
    m_versionStatus->setMinimumWidth(140);
    // the note until the window's first show names the key in force
    m_statusTips = label(statusBar(),
                         QStringLiteral("注意事项:商家编码+颜色+SKU 作为同步的唯一值,如源与目标不一致,将无法同步"),
                         QStringLiteral("_StatusTips"));
    statusBar()->addWidget(m_versionStatus);
    statusBar()->addWidget(m_statusTips, 1);
    // a permanent widget: hints and short messages do not cover it
    m_uploadResult = label(statusBar(), QString(), QStringLiteral("_UploadResult"));
    statusBar()->addPermanentWidget(m_uploadResult);
    m_uploadResult->hide();
}

void TfrmMain::showUploadResult(const QString &headline)
{
    m_uploadResult->setText(Clock::now().toString(QStringLiteral("HH:mm")) + QLatin1Char(' ') + headline);
    m_uploadResult->setToolTip(QStringLiteral("最近一次上传的结果; 每一行的详情见 \"上传记录\""));
    m_uploadResult->show();
}

void TfrmMain::buildTray()
{
    m_tray = named(new QSystemTrayIcon(ProgramIcon(), this), QStringLiteral("_RzTrayIcon"));
    m_tray->setToolTip(ApplicationTitle());
    m_tray->setProperty("Tag", 0);
    m_popupSync = named(new QMenu(this), QStringLiteral("_PopupMenuSync"));
    m_tray->setContextMenu(m_popupSync);
    m_tray->hide();
}

ListModel *TfrmMain::sourceModel() const
{
    return m_sourcePane->sourceModel();
}

ListModel *TfrmMain::targetModel() const
{
    return m_targetPane->targetModel();
}

bool TfrmMain::busy() const
{
    return m_jobs.busy();
}

bool TfrmMain::cancelFlag() const
{
    return m_jobs.cancelled();
}

void TfrmMain::setCancelFlag(bool on)
{
    m_jobs.setCancelFlag(on);
}

// --- handlers -------------------------------------------------------------

void TfrmMain::FormCreate()
{
    m_productName = ProductName();
    m_versionText = GetVersionText();
    m_versionStatus->setText(VersionStatusCaption(m_versionText));
    m_programFolder = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    setWindowTitle(MainWindowCaption(m_productName, m_versionText));
    SetColor();

    m_appKey = m_app.appKey().key;
    m_appSecret = m_app.appKey().secret;

    const TopEndpoints &endpoints = m_app.endpoints();
    m_gateway = endpoints.gateway;
    m_gatewayRoot = endpoints.gatewayRoot();
    m_authorizationAddress = endpoints.authorizationAddress(m_appKey);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // the window is shown once; hiding it into the tray and back does not
    // start it over
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    m_show = LoadShowSettings(m_db, m_app.hideNonUniqueFlag(), Clock::now());
    m_panelWebBrowser1->lower();
    m_panelWebBrowser2->lower();
    m_targetPane->applyShowSettings(m_show);
    m_sourcePane->applyShowSettings(m_show);
    m_statusTips->setText(m_show.statusTips);
    Intervals::arm(*m_timerShow, 200, true);
}

void TfrmMain::TimerShowTimer()
{
    m_timerShow->stop();
    m_sourcePane->firstLoad();
    m_targetPane->firstLoad();
    m_firstLoadDone = true;
    Q_EMIT firstLoadFinished();
}

void TfrmMain::SetColor()
{
    // menus: icon bar, background, selection gradient and frame
    const QString menus = QStringLiteral(
        "QMenu { background-color: rgb(246,246,246); border: 1px solid rgb(200,200,200); }"
        "QMenu::icon { background-color: rgb(233,238,238); }"
        "QMenu::item { padding: 4px 24px 4px 28px; border: 1px solid transparent; }"
        "QMenu::item:selected { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(237,128,128), "
        "stop:1 rgb(237,128,128)); border: 1px solid rgb(168,4,4); color: black; }"
        "QMenu::item:disabled { color: rgb(150,150,150); }"
        "QMenu::separator { height: 1px; background: rgb(210,210,210); margin: 3px 4px 3px 28px; }");
    const QString buttons = QStringLiteral(
        "QToolBar QToolButton { padding: 3px 4px; border: 1px solid transparent; }"
        "QToolBar QToolButton:hover, QToolBar QToolButton:pressed { background-color: rgb(237,128,128); "
        "border: 1px solid rgb(168,4,4); }");
    menuBar()->setStyleSheet(menus + QStringLiteral("QMenuBar::item:selected { background-color: rgb(237,128,128); }"));
    for (QMenu *m : findChildren<QMenu *>())
        m->setStyleSheet(menus);
    m_sourceToolbar->setStyleSheet(buttons);
    m_targetPane->toolbar()->setStyleSheet(buttons);
}

void TfrmMain::EnableControl(bool enabled)
{
    m_targetPane->objectPage()->setEnabled(enabled);
    m_sourcePane->sourcePage()->setEnabled(enabled);
    m_targetPane->toolbar()->setEnabled(enabled);
    m_sourceToolbar->setEnabled(enabled);
}

void TfrmMain::placeFloatingPanels()
{
    QWidget *area = centralWidget();
    if (!area)
        return;
    auto centre = [](QWidget *panel, const QRect &over) {
        panel->move(over.x() + static_cast<int>(std::round(over.width() / 2.0 - panel->width() / 2.0)),
                    over.y() + static_cast<int>(std::round(over.height() / 2.0 - panel->height() / 2.0)));
    };
    centre(m_processPanel1, m_sourcePane->geometry().united(QRect(0, 0, area->width(), 200)));
    centre(m_processPanel2, m_targetPane->geometry());
    centre(m_panelWebBrowser2, area->rect());
}

void TfrmMain::FormResize()
{
    QWidget *area = centralWidget();
    if (!area)
        return;
    const int top = static_cast<int>(std::round(area->height() / 2.0 - m_panelWebBrowser1->height() / 2.0));
    const int left = static_cast<int>(std::round(area->width() / 2.0 - m_panelWebBrowser1->width() / 2.0));
    m_panelWebBrowser1->move(left, top);
    placeFloatingPanels();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::setDebugShown(bool shown)
{
    m_debug->setHidden(!shown);
    m_targetPane->setDebugMemoShown(shown);
    // request bodies and replies are echoed only while the memo is shown
    if (shown)
        m_client.setDebugSink([this](const QString &text) { appendDebug(text); });
    else
        m_client.setDebugSink({});
}

bool TfrmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::AltModifier;
    if (key != Qt::Key_I || (modifiers & both) != both)
        return false;
    setDebugShown(m_debug->isHidden());
    return true;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (FormKeyDown(key->key(), key->modifiers()))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::D2Click()
{
    if (m_ui.question(Interaction::tipCaption(), QStringLiteral("是否要退出软件?"), Interaction::Icon::Question))
        close();
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // nothing is saved on exit: every setting is written when it changes
    event->accept();
    m_tray->hide();
    QMainWindow::closeEvent(event);
    // ends the program even when another window is still open
    QCoreApplication::quit();
}

void TfrmMain::est1Click()
{
    if (!m_ui.ask(QStringLiteral("是否对本机数据库进行优化?")))
        return;
    QString error;
    if (DatabaseMaintenance(m_db).optimise(&error) < 0)
        m_ui.message(Interaction::errorCaption(), error, Interaction::Icon::Error);
    else
        m_ui.info(QStringLiteral("完成对本机数据库优化"));
}

void TfrmMain::N10Click()
{
    m_ui.info(DatabaseMaintenance::providerNote(m_productName));
}

void TfrmMain::N19Click()
{
    HelpCommands(m_desktop, m_ui, m_programFolder, m_app.settings()).calculator();
}

void TfrmMain::H2Click()
{
    HelpCommands(m_desktop, m_ui, m_programFolder, m_app.settings()).onlineHelp();
}

void TfrmMain::WebsiteClick()
{
    HelpCommands(m_desktop, m_ui, m_programFolder, m_app.settings()).website();
}

void TfrmMain::F2Click()
{
    HelpCommands(m_desktop, m_ui, m_programFolder, m_app.settings()).feedback();
}

void TfrmMain::UpdateOnlineClick()
{
    if (HelpCommands(m_desktop, m_ui, m_programFolder, m_app.settings()).updateOnline())
        close();
}

void TfrmMain::AboutClick()
{
    if (!m_about)
        m_about = new TfrmAbout(m_versionText, this);
    m_about->exec();
}

void TfrmMain::N37Click()
{
    if (!m_totalForm)
        m_totalForm = new TfrmTotalForm(m_db, m_ui, m_desktop,
                                        [this](const QString &id) { return m_app.endpoints().itemPageOf(id); }, this);
    m_totalForm->setContext(m_targetPane->matchingKey(), m_targetPane->currentAccount());
    m_totalForm->exec();
}

void TfrmMain::UploadHistoryClick()
{
    if (!m_uploadHistory) {
        m_uploadHistory = new TfrmUploadHistory(
            m_db, m_ui, m_desktop, [this](const QString &id) { return m_app.endpoints().itemPageOf(id); }, this);
        // the target list shows what a revert put back
        connect(m_uploadHistory, &TfrmUploadHistory::shopChanged, m_targetPane, &TargetPane::RefeshObjectClick);
    }
    m_uploadHistory->setApplication(&m_app);
    if (m_uploadHistory->isVisible())
        m_uploadHistory->RefreshClick();
    m_uploadHistory->show();
    m_uploadHistory->raise();
    m_uploadHistory->activateWindow();
}

void TfrmMain::N61Click()
{
    if (!m_totalForm1)
        m_totalForm1 = new TfrmTotalForm1(m_db, m_ui, m_desktop, this);
    m_totalForm1->setContext(m_targetPane->matchingKey(), m_targetPane->matchingKeyText(),
                             m_targetPane->currentAccount());
    m_totalForm1->exec();
}

void TfrmMain::N24Click()
{
    m_syncPlan->plan().N24Click();
}

void TfrmMain::N25Click()
{
    if (busy())
        return;
    if (!m_syncConfig)
        m_syncConfig = new TfrmSyncConfig(m_app.settings(), m_ui, this);
    m_syncConfig->exec();
}

void TfrmMain::N29Click()
{
    m_syncPlan->plan().N29Click();
}

void TfrmMain::NShowMainClick()
{
    m_syncPlan->showWindow();
}

void TfrmMain::NSyncNowClick()
{
    m_syncPlan->plan().runNow();
}

void TfrmMain::appendDebug(const QString &text)
{
    m_debug->appendPlainText(text);
}
