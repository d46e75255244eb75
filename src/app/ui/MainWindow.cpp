#include "app/ui/MainWindow.h"
#include "app/Application.h"
#include "jobs/RequestJob.h"
#include "source/SourceDownload.h"
#include "source/SourceList.h"
#include "top/TopClient.h"

#include "app/BuiltinAppKey.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "app/HelpCommands.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "app/ui/About.h"
#include "app/ui/ListView.h"
#include "app/ui/LoginShow.h"
#include "store/Maintenance.h"
#include "store/Parameters.h"
#include "base/TextRoutines.h"
#include "top/Endpoints.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace {
QColor rgb(uint v)
{
    return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

QLabel *label(QWidget *parent, const QString &text, const QString &name = QString())
{
    auto *l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

template <class W> W *named(W *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &text, bool checked = false)
{
    auto *c = named(new QCheckBox(text, parent), name);
    c->setChecked(checked);
    return c;
}

QRadioButton *radio(QWidget *parent, QButtonGroup *group, const QString &name, const QString &text)
{
    auto *r = named(new QRadioButton(text, parent), name);
    group->addButton(r);
    return r;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    return named(new QPushButton(text, parent), name);
}

QWidget *totalsBar(QWidget *parent, const QString &name, QLabel **text, const QString &labelName,
                   const QString &initial)
{
    auto *bar = named(new QFrame(parent), name);
    static_cast<QFrame *>(bar)->setFrameShape(QFrame::StyledPanel);
    bar->setFixedHeight(26);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 0, 6, 0);
    QLabel *l = label(bar, initial, labelName);
    row->addWidget(l);
    row->addStretch();
    if (text)
        *text = l;
    return bar;
}

} // namespace

TfrmMain::TfrmMain(Application &app, QWidget *parent)
    : QMainWindow(parent), m_db(app.db()), m_hideNonUniqueFlag(app.hideNonUniqueFlag()), m_ui(app.ui()),
      m_desktop(app.desktop()), m_sourceModel(&app.sourceModel()), m_priceModel(new ListModel(this)),
      m_stockModel(new ListModel(this)), m_targetModel(new ListModel(this)),
      m_inventoryModel(new ListModel(this)), m_app(app), m_jobs(&app.jobs()), m_client(&app.client()),
      m_sourceLogic(&app.sourceList()), m_sourceDownload(&app.sourceDownload())
{
    m_timerShow = new QTimer(this);
    LoadProgramResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ProgramIcon());
    m_timerShow->setObjectName(QStringLiteral("_TimerShow"));
    m_timerShow->setSingleShot(false);
    connect(m_timerShow, &QTimer::timeout, this, &TfrmMain::TimerShowTimer);

    buildMenus();
    buildSourceToolbar();
    addToolBarBreak();
    buildKeyToolbar();

    auto *central = named(new QWidget(this), QStringLiteral("centralWidget"));
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addWidget(buildSourcePane());
    column->addWidget(buildTargetPane(), 1);
    m_debug = named(new QPlainTextEdit(central), QStringLiteral("_Debug"));
    m_debug->setPlainText(QStringLiteral("Debug"));
    m_debug->setFixedHeight(140);
    m_debug->setHidden(true);
    column->addWidget(m_debug);
    setCentralWidget(central);

    buildProgressPanels();
    buildBrowserPanels();
    buildStatusBar();
    buildTray();
    buildPopupMenus();
    buildSourceSide();

    // key preview: the window sees its keys before its controls do
    qApp->installEventFilter(this);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

QAction *TfrmMain::addAction(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

QToolButton *TfrmMain::addToolButton(QToolBar *bar, const QString &name, const QString &caption)
{
    auto *b = named(new QToolButton(bar), name);
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

void TfrmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = named(bar->addMenu(QStringLiteral("文件(&F)")), QStringLiteral("N1"));
    addAction(file, QStringLiteral("N24"), QStringLiteral("执行同步计划(&G)"));
    addAction(file, QStringLiteral("N25"), QStringLiteral("设置同步计划(&P)..."));
    file->addSeparator();
    QAction *quit = addAction(file, QStringLiteral("D2"), QStringLiteral("退出(&X)              "));
    connect(quit, &QAction::triggered, this, &TfrmMain::D2Click);

    QMenu *view = named(bar->addMenu(QStringLiteral("视图(&V)")), QStringLiteral("V1"));
    m_menuShowSourcePage =
        addAction(view, QStringLiteral("NShowSourcePage"), QStringLiteral("显示源宝贝表列表(&V)"));
    connect(m_menuShowSourcePage, &QAction::triggered, this, &TfrmMain::ShowSourcePageClick);

    QMenu *op = named(bar->addMenu(QStringLiteral("操作(&O)")), QStringLiteral("O1"));
    addAction(op, QStringLiteral("N33"), QStringLiteral("配置源下载源(&C)..."));
    addAction(op, QStringLiteral("NFromDownload"), QStringLiteral("下载源宝贝库存数据(&D)"));
    op->addSeparator();
    addAction(op, QStringLiteral("NAccountAdmin"), QStringLiteral("店铺帐号管理(&A)"));
    op->addSeparator();
    addAction(op, QStringLiteral("NDownload"), QStringLiteral("使用源店铺配置下载目标店铺宝贝列表(&I)"))
        ->setEnabled(false);
    op->addSeparator();
    addAction(op, QStringLiteral("NObjectConfig"), QStringLiteral("配置目标店铺下载源"));
    addAction(op, QStringLiteral("N62"), QStringLiteral("使用目标店铺配置下载目标店铺宝贝列表"));
    op->addSeparator();
    addAction(op, QStringLiteral("NUpload"), QStringLiteral("上传最新库存数量到目标店铺(&U)"))
        ->setEnabled(false);

    QMenu *tools = named(bar->addMenu(QStringLiteral("工具(&T)")), QStringLiteral("T1"));
    addAction(tools, QStringLiteral("N37"), QStringLiteral("源与目标宝贝检查统计工具(&C)"));
    addAction(tools, QStringLiteral("N61"), QStringLiteral("关联值自动检查工具(&O)"));
    tools->addSeparator();
    connect(addAction(tools, QStringLiteral("N19"), QStringLiteral("计算器(&C)")), &QAction::triggered, this,
            &TfrmMain::N19Click);
    connect(addAction(tools, QStringLiteral("est1"), QStringLiteral("对本机数据库进行优化...")),
            &QAction::triggered, this, &TfrmMain::est1Click);
    tools->addSeparator();
    connect(addAction(tools, QStringLiteral("N10"), QStringLiteral("安装 SQLCE 动态库(dll) ...  ")),
            &QAction::triggered, this, &TfrmMain::N10Click);

    QMenu *help = named(bar->addMenu(QStringLiteral("帮助(&H)")), QStringLiteral("H1"));
    connect(addAction(help, QStringLiteral("H2"), QStringLiteral("联机帮助(&H)            ")),
            &QAction::triggered, this, &TfrmMain::H2Click);
    connect(addAction(help, QStringLiteral("K1"), QStringLiteral("官方网站(&K)")), &QAction::triggered, this,
            &TfrmMain::WebsiteClick);
    connect(addAction(help, QStringLiteral("F2"), QStringLiteral("意见反馈(&F)")), &QAction::triggered, this,
            &TfrmMain::F2Click);
    help->addSeparator();
    connect(addAction(help, QStringLiteral("NUpdateOnline"), QStringLiteral("在线升级(&U)")),
            &QAction::triggered, this, &TfrmMain::UpdateOnlineClick);
    connect(addAction(help, QStringLiteral("A1"), QStringLiteral("关于(&A)...")), &QAction::triggered, this,
            &TfrmMain::AboutClick);
}

void TfrmMain::buildSourceToolbar()
{
    m_sourceToolbar =
        named(new QToolBar(QStringLiteral("下载宝贝库存"), this), QStringLiteral("_SourceToolbar"));
    m_sourceToolbar->setMovable(false);
    addToolBar(Qt::TopToolBarArea, m_sourceToolbar);

    m_showSourcePage =
        addToolButton(m_sourceToolbar, QStringLiteral("_ShowSourcePage"), QStringLiteral("显示源宝贝列表"));
    m_showSourcePage->setProperty("ImageIndex", 9);
    connect(m_showSourcePage, &QToolButton::clicked, this, &TfrmMain::ShowSourcePageClick);
    m_sourceToolbar->addSeparator();
    addToolButton(m_sourceToolbar, QStringLiteral("_SourceConfig"), QStringLiteral("配置源下载源(对方店铺)"));
    addToolButton(m_sourceToolbar, QStringLiteral("_FromDownload"), QStringLiteral("下载源宝贝库存数据"));
    m_refreshSource =
        addToolButton(m_sourceToolbar, QStringLiteral("_RefreshData_Source"), QStringLiteral("刷新"));
    m_refreshSource->setEnabled(false);
    m_sourceToolbar->addSeparator();

    QToolButton *tool =
        addToolButton(m_sourceToolbar, QStringLiteral("_SimpleTool"), QStringLiteral("简易统计工具"));
    auto *menu = named(new QMenu(tool), QStringLiteral("PopupMenuTool"));
    addAction(menu, QStringLiteral("N38"), QStringLiteral("源与目标宝贝检查统计工具"));
    addAction(menu, QStringLiteral("N63"), QStringLiteral("关联值自动检查工具"));
    menu->addSeparator();
    addAction(menu, QStringLiteral("N72"), QStringLiteral("查看目标店铺当前用户所有已下载的数据"));
    tool->setMenu(menu);
    tool->setPopupMode(QToolButton::InstantPopup);
    m_sourceToolbar->addSeparator();
    QToolButton *update =
        addToolButton(m_sourceToolbar, QStringLiteral("_UpdateOnline"), QStringLiteral("在线升级"));
    connect(update, &QToolButton::clicked, this, &TfrmMain::UpdateOnlineClick);
}

void TfrmMain::buildKeyToolbar()
{
    m_keyToolbar = named(new QToolBar(this), QStringLiteral("_KeyToolbar"));
    m_appKeyEdit = named(new QLineEdit(BuiltinAppKey(), m_keyToolbar), QStringLiteral("_AppKey"));
    m_appSecretEdit = named(new QLineEdit(BuiltinAppSecret(), m_keyToolbar), QStringLiteral("_AppSecret"));
    m_keyToolbar->addWidget(m_appKeyEdit)->setVisible(false);
    m_keyToolbar->addWidget(m_appSecretEdit)->setVisible(false);
    addToolBar(Qt::TopToolBarArea, m_keyToolbar);
    m_keyToolbar->setHidden(true);
}

QWidget *TfrmMain::buildSourcePane()
{
    m_panelSource = named(new QWidget(this), QStringLiteral("_PanelSource"));
    auto *column = new QVBoxLayout(m_panelSource);
    column->setContentsMargins(2, 2, 2, 0);
    column->setSpacing(0);
    m_sourcePage = named(new QTabWidget(m_panelSource), QStringLiteral("_SourcePage"));
    m_sourcePage->addTab(buildSourceListTab(), QStringLiteral(" 源:宝贝列表(对方的店铺)"));
    m_sourcePage->addTab(buildPriceTab(), QStringLiteral("自宝义商品价格列表"));
    m_sourcePage->addTab(buildStockTab(), QStringLiteral("自宝义商品库存列表"));
    column->addWidget(m_sourcePage, 1);
    m_panelSourceTotal = totalsBar(m_panelSource, QStringLiteral("_PanelSource_Total"), &m_lblSourceUpdate,
                                   QStringLiteral("_lblSourceUpdate"), QStringLiteral("更新时间:"));
    column->addWidget(m_panelSourceTotal);
    return m_panelSource;
}

QWidget *TfrmMain::buildSourceListTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheet1"));
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_sourcePanelTop = named(new QWidget(tab), QStringLiteral("_SourcePanelTop"));
    auto *row = new QHBoxLayout(m_sourcePanelTop);
    row->setContentsMargins(4, 2, 4, 2);
    auto *group = new QButtonGroup(m_sourcePanelTop);
    row->addWidget(
        radio(m_sourcePanelTop, group, QStringLiteral("_chkouterid1"), QStringLiteral("显示所有")));
    QRadioButton *withCode =
        radio(m_sourcePanelTop, group, QStringLiteral("_chkouterid2"), QStringLiteral("仅有商家编码宝贝"));
    withCode->setChecked(true);
    row->addWidget(withCode);
    row->addWidget(
        radio(m_sourcePanelTop, group, QStringLiteral("_chkouterid3"), QStringLiteral("仅无商家编码宝贝")));
    row->addWidget(radio(m_sourcePanelTop, group, QStringLiteral("_chkouterid4"),
                         QStringLiteral("仅目标店铺没有的宝贝")));
    row->addSpacing(12);
    row->addWidget(label(m_sourcePanelTop, QStringLiteral("关键字:")));
    m_sourceKeyword = named(new QLineEdit(m_sourcePanelTop), QStringLiteral("_SourceKeyword"));
    m_sourceKeyword->setMaximumWidth(180);
    row->addWidget(m_sourceKeyword);
    row->addWidget(button(m_sourcePanelTop, QStringLiteral("_SourceSearch"), QStringLiteral("搜索")));
    QCheckBox *only = checkBox(m_sourcePanelTop, QStringLiteral("chkSearch"), QStringLiteral("仅搜索"));
    row->addWidget(only);
    auto *fields = named(new QComboBox(m_sourcePanelTop), QStringLiteral("_fields"));
    fields->addItems(SourceList::searchFields());
    fields->setCurrentIndex(6);
    fields->setEnabled(false);
    connect(only, &QCheckBox::toggled, fields, &QWidget::setEnabled);
    row->addWidget(fields);
    m_chkEasy = checkBox(m_sourcePanelTop, QStringLiteral("_chkEasy"), QStringLiteral("简易SKU(尺码)"));
    row->addWidget(m_chkEasy);
    row->addStretch();
    column->addWidget(m_sourcePanelTop);

    m_sourceList = named(new ListView(tab), QStringLiteral("_RzListView"));
    m_sourceModel->setHeaders(SourceList::headers());
    m_sourceModel->setBanding(true);
    m_sourceList->setCheckBoxes(false);
    m_sourceList->setListModel(m_sourceModel);
    m_sourceList->setColumnWidth(0, 260);
    column->addWidget(m_sourceList, 1);

    // the list starts hidden with its filter bar; the View command shows both
    m_sourceList->setHidden(true);
    m_sourcePanelTop->setHidden(true);
    return tab;
}

QWidget *TfrmMain::buildPriceTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheet2"));
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *bar = named(new QWidget(tab), QStringLiteral("_PanelPriceTop"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(button(bar, QStringLiteral("_Import_Price"), QStringLiteral("导入商品价格列表...")));
    row->addWidget(checkBox(bar, QStringLiteral("_chkAppend"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(named(new QLineEdit(bar), QStringLiteral("_SourceKeywordPrice")));
    row->addWidget(button(bar, QStringLiteral("_SourcePriceSearch"), QStringLiteral("搜索")));
    row->addWidget(
        checkBox(bar, QStringLiteral("_chkShowPriceList"), QStringLiteral("仅显示目标列表没有的商品")));
    row->addStretch();
    column->addWidget(bar);

    m_priceList = named(new ListView(tab), QStringLiteral("_RzListViewPrice"));
    m_priceModel->setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("价格")});
    m_priceModel->setBanding(true);
    m_priceList->setCheckBoxes(false);
    m_priceList->setListModel(m_priceModel);
    column->addWidget(m_priceList, 1);
    column->addWidget(totalsBar(tab, QStringLiteral("_PanelSource_Total_Price"), nullptr, QString(),
                                QStringLiteral(" 当前显示共 0 项")));
    return tab;
}

QWidget *TfrmMain::buildStockTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheet3"));
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *bar = named(new QWidget(tab), QStringLiteral("_PanelStockTop"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(button(bar, QStringLiteral("_ImportStock"), QStringLiteral("导入商品库存列表...")));
    row->addWidget(checkBox(bar, QStringLiteral("_appendStock"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(named(new QLineEdit(bar), QStringLiteral("_SourceKeywordStock")));
    row->addWidget(button(bar, QStringLiteral("_SourceStockSearch"), QStringLiteral("搜索")));
    row->addWidget(button(bar, QStringLiteral("RzBitBtn2"), QStringLiteral("合并重复行")));
    row->addStretch();
    column->addWidget(bar);

    m_stockList = named(new ListView(tab), QStringLiteral("_RzListViewStock"));
    m_stockModel->setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("颜色"),
                              QStringLiteral("SKU(尺码)"), QStringLiteral("SKU商家编码"),
                              QStringLiteral("货号"), QStringLiteral("数量")});
    m_stockModel->setBanding(true);
    m_stockList->setCheckBoxes(false);
    m_stockList->setListModel(m_stockModel);
    column->addWidget(m_stockList, 1);
    column->addWidget(totalsBar(tab, QStringLiteral("_PanelSource_Total_Stock"), nullptr, QString(),
                                QStringLiteral(" 当前显示共 0 项")));
    return tab;
}

QWidget *TfrmMain::buildTargetPane()
{
    m_panelObject = named(new QWidget(this), QStringLiteral("_PanelObject"));
    auto *column = new QVBoxLayout(m_panelObject);
    column->setContentsMargins(2, 0, 2, 0);
    column->setSpacing(0);

    m_objectToolbar = named(new QToolBar(m_panelObject), QStringLiteral("_ObjectToolbar"));
    addToolButton(m_objectToolbar, QStringLiteral("_AccountAdmin"), QStringLiteral("帐号管理"));
    addToolButton(m_objectToolbar, QStringLiteral("_Login"), QStringLiteral("登录"));
    m_objectToolbar->addSeparator();
    addToolButton(m_objectToolbar, QStringLiteral("_ObjectConfig"),
                  QStringLiteral("配置目标下载源(我的店铺)"));
    addToolButton(m_objectToolbar, QStringLiteral("_DownloadGroup"), QStringLiteral("下载目标店铺宝贝数据"));
    addToolButton(m_objectToolbar, QStringLiteral("_Upload"), QStringLiteral("上传最新库存到目标店铺"))
        ->setEnabled(false);
    addToolButton(m_objectToolbar, QStringLiteral("_RefeshObject"), QStringLiteral("刷新"));
    m_otherButton = addToolButton(m_objectToolbar, QStringLiteral("_Other"), QStringLiteral("其他功能"));
    auto *other = named(new QMenu(m_otherButton), QStringLiteral("_PopupMenuOther"));
    addAction(other, QStringLiteral("_delisting"), QStringLiteral("执行商品下架         "));
    addAction(other, QStringLiteral("_listing"), QStringLiteral("执行商品上架"));
    other->addSeparator();
    addAction(other, QStringLiteral("_UserGrade"), QStringLiteral("获取短授权"));
    addAction(other, QStringLiteral("_updateprice"), QStringLiteral("上传更新商品价格"));
    m_otherButton->setMenu(other);
    m_otherButton->setPopupMode(QToolButton::InstantPopup);
    m_objectToolbar->addSeparator();

    m_users = named(new QComboBox(m_objectToolbar), QStringLiteral("_users"));
    m_users->setMinimumWidth(100);
    m_objectToolbar->addWidget(m_users);
    const QString keyHint =
        QStringLiteral("唯一值是作为同步的唯一识别标志,如源与目标不一致,将不能同步到数据.");
    QLabel *keyLabel = label(m_objectToolbar, QStringLiteral(" 关联值:"), QStringLiteral("_lblUniqid"));
    keyLabel->setToolTip(keyHint);
    m_objectToolbar->addWidget(keyLabel);
    m_uniqid = named(new QComboBox(m_objectToolbar), QStringLiteral("_Uniqid"));
    m_uniqid->addItems(MatchingKeyCaptions());
    m_uniqid->setToolTip(keyHint);
    m_uniqid->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_uniqid->setMinimumContentsLength(19);
    m_objectToolbar->addWidget(m_uniqid);
    const QString uploadHint =
        QStringLiteral("全量:是指源库存数量直接覆盖更新目标库存数量\r增量:"
                       "是指源库存数量累加到目标库存数量并更新(如果减少库存,源库存数据填负数即可)");
    QLabel *uploadLabel =
        label(m_objectToolbar, QStringLiteral(" 库存更新:"), QStringLiteral("_lblUpgradeStock"));
    uploadLabel->setToolTip(uploadHint);
    m_objectToolbar->addWidget(uploadLabel);
    m_upgradeStock = named(new QComboBox(m_objectToolbar), QStringLiteral("_UpgradeStock"));
    m_upgradeStock->addItems(UploadModeCaptions());
    m_upgradeStock->setToolTip(uploadHint);
    m_objectToolbar->addWidget(m_upgradeStock);
    column->addWidget(m_objectToolbar);

    m_objectPage = named(new QTabWidget(m_panelObject), QStringLiteral("_ObjectPage"));
    m_objectPage->addTab(buildTargetListTab(), QStringLiteral(" 目标:店铺宝贝(我的店铺)"));
    m_objectPage->addTab(named(new QWidget, QStringLiteral("TabSheetSku")),
                         QStringLiteral("目标店铺SKU同步管理"));
    m_objectPage->addTab(buildFormulaTab(), QStringLiteral("自定义公式(未启用)"));
    m_objectPage->addTab(buildInventoryTab(), QStringLiteral("仓库中等待上架的宝贝"));
    m_objectPage->addTab(buildOptionsTab(), QStringLiteral("高级选项"));
    m_objectPage->setTabVisible(1, false);
    connect(m_objectPage, &QTabWidget::currentChanged, this, &TfrmMain::ObjectPageChange);
    column->addWidget(m_objectPage, 1);
    return m_panelObject;
}

QWidget *TfrmMain::buildTargetListTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheetObject"));
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *options = named(new QWidget(tab), QStringLiteral("_PanelObjectTop"));
    auto *grid = new QVBoxLayout(options);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    auto *filters = new QButtonGroup(options);
    auto *row1 = new QHBoxLayout;
    row1->addWidget(radio(options, filters, QStringLiteral("_chkstock1"), QStringLiteral("显示所有")));
    QRadioButton *differ =
        radio(options, filters, QStringLiteral("_chkstock2"), QStringLiteral("仅显示有库存差异的宝贝"));
    differ->setChecked(true);
    row1->addWidget(differ);
    row1->addWidget(
        radio(options, filters, QStringLiteral("_chkstock3"), QStringLiteral("仅显示无库存差异宝贝")));
    row1->addWidget(radio(options, filters, QStringLiteral("_chkstock4"), QStringLiteral("源已下架的宝贝")));
    row1->addWidget(
        radio(options, filters, QStringLiteral("_chkstock5"), QStringLiteral("源未下架目标已下架的宝贝")));
    row1->addWidget(
        radio(options, filters, QStringLiteral("_chkbig"), QStringLiteral("仅显示源价格大于目标价格")));
    row1->addWidget(
        radio(options, filters, QStringLiteral("_chksmall"), QStringLiteral("仅显示源价格小于目标价格")));
    row1->addStretch();
    grid->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(
        radio(options, filters, QStringLiteral("_chkUsePrice"), QStringLiteral("使用自定义商品价格列表")));
    QCheckBox *onlyDiff =
        checkBox(options, QStringLiteral("_chkShowPrice"), QStringLiteral("只显示差异"), true);
    onlyDiff->setEnabled(false);
    row2->addWidget(onlyDiff);
    row2->addWidget(
        radio(options, filters, QStringLiteral("_chkUseStock"), QStringLiteral("使用自定义商品库存列表")));
    m_noShowOnly =
        checkBox(options, QStringLiteral("_NoShowOnly"), QStringLiteral("不显示不是唯一关联值的宝贝"));
    connect(m_noShowOnly, &QCheckBox::clicked, this, &TfrmMain::NoShowOnlyClick);
    row2->addWidget(m_noShowOnly);
    row2->addSpacing(12);
    row2->addWidget(label(options, QStringLiteral("关键字:")));
    auto *keyword = named(new QLineEdit(options), QStringLiteral("_ObjectKeyword"));
    keyword->setMaximumWidth(180);
    row2->addWidget(keyword);
    row2->addWidget(button(options, QStringLiteral("_ObjectSearch"), QStringLiteral("搜索")));
    QCheckBox *only = checkBox(options, QStringLiteral("chksearch1"), QStringLiteral("仅搜索"));
    row2->addWidget(only);
    auto *fields = named(new QComboBox(options), QStringLiteral("_fields1"));
    fields->addItems(SourceList::searchFields());
    fields->setCurrentIndex(6);
    fields->setEnabled(false);
    connect(only, &QCheckBox::toggled, fields, &QWidget::setEnabled);
    row2->addWidget(fields);
    row2->addStretch();
    grid->addLayout(row2);
    QLabel *note =
        label(options,
              QStringLiteral("提示:只有当对方的店铺与自己的店铺宝贝关联值一致时,才会显示在目标“店铺宝贝("
                             "我的店铺)”的列表中,请维护好两边店铺的宝贝关联值。"),
              QStringLiteral("_lblObjectNote"));
    note->setStyleSheet(QStringLiteral("color: rgb(168, 4, 4);"));
    grid->addWidget(note);
    column->addWidget(options);

    m_targetList = named(new ListView(tab), QStringLiteral("_RzListViewTo"));
    m_targetModel->setHeaders(
        {QStringLiteral("淘宝会员号"), QStringLiteral("宝贝名称"), QStringLiteral("主商家编码"),
         QStringLiteral("颜色"), QStringLiteral("SKU(尺码)"), QStringLiteral("数量"),
         QStringLiteral("源数量"), QStringLiteral("价格"), QStringLiteral("源价格"),
         QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
         QStringLiteral("状态"), QStringLiteral("SKU属性值"), QStringLiteral("货号"), QString()});
    m_targetModel->setBanding(true);
    m_targetList->setCheckBoxes(true);
    m_targetList->setListModel(m_targetModel);
    m_targetList->setColumnWidth(1, 260);
    // columns kept narrow as in the original layout: item id, SKU id, SKU properties, the blank one
    m_targetList->setColumnWidth(10, 1);
    m_targetList->setColumnWidth(11, 1);
    m_targetList->setColumnWidth(13, 0);
    m_targetList->setColumnWidth(15, 0);
    column->addWidget(m_targetList, 1);

    column->addWidget(totalsBar(tab, QStringLiteral("_PanelObject_Total"), nullptr, QString(),
                                QStringLiteral(" 当前显示共 0 项")));
    return tab;
}

QWidget *TfrmMain::buildFormulaTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheetFormula"));
    auto *column = new QVBoxLayout(tab);
    column->addStretch();
    return tab;
}

QWidget *TfrmMain::buildInventoryTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheetInventory"));
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *top = named(new QWidget(tab), QStringLiteral("_PanelInventoryTop"));
    auto *rows = new QVBoxLayout(top);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto *row1 = new QHBoxLayout;
    QPushButton *download = button(top, QStringLiteral("_inventory"), QStringLiteral("下载仓库中宝贝列表"));
    download->setEnabled(false);
    row1->addWidget(download);
    row1->addWidget(label(top, QStringLiteral("下载条件：标题")));
    row1->addWidget(named(new QLineEdit(top), QStringLiteral("_q")));
    row1->addWidget(label(top, QStringLiteral("条数:")));
    auto *pageSize = named(new QSpinBox(top), QStringLiteral("_page_size"));
    pageSize->setRange(1, 200);
    pageSize->setValue(200);
    row1->addWidget(pageSize);
    row1->addWidget(label(top, QStringLiteral("页:")));
    auto *pageNo = named(new QSpinBox(top), QStringLiteral("_page_no"));
    pageNo->setRange(1, 101);
    pageNo->setValue(1);
    row1->addWidget(pageNo);
    row1->addSpacing(12);
    row1->addWidget(label(top, QStringLiteral("关键字:")));
    m_inventoryKeyword = named(new QLineEdit(top), QStringLiteral("_InventoryKeyword"));
    m_inventoryKeyword->setMaximumWidth(160);
    row1->addWidget(m_inventoryKeyword);
    row1->addWidget(button(top, QStringLiteral("_SearchInventory"), QStringLiteral("搜索")));
    row1->addWidget(button(top, QStringLiteral("RzToolButton2"), QStringLiteral("刷新")));
    row1->addStretch();
    rows->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    auto *group = new QButtonGroup(top);
    QRadioButton *all = radio(top, group, QStringLiteral("_chkInventory00"), QStringLiteral("显示所有"));
    all->setChecked(true);
    row2->addWidget(all);
    QRadioButton *withList =
        radio(top, group, QStringLiteral("_chkInventory03"), QStringLiteral("与配置源下载源关联"));
    withList->setToolTip(
        QStringLiteral("以主商家编码做为关联值,显示源下载源中与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withList);
    QRadioButton *withPrice =
        radio(top, group, QStringLiteral("_chkInventory01"), QStringLiteral("与自定义商品价格列表关联"));
    withPrice->setToolTip(QStringLiteral(
        "以主商家编码做为关联值,显示自定义商品价格列表与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withPrice);
    QRadioButton *withStock =
        radio(top, group, QStringLiteral("_chkInventory02"), QStringLiteral("与自定义商品库存列表关联"));
    withStock->setToolTip(QStringLiteral(
        "以主商家编码做为关联值,显示自定义商品库存列表与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withStock);
    QCheckBox *onSale =
        checkBox(top, QStringLiteral("_chkOnlyOnSales"), QStringLiteral("关联时,只含销售中宝贝"), true);
    onSale->setEnabled(false);
    connect(withList, &QRadioButton::toggled, onSale, &QWidget::setEnabled);
    row2->addWidget(onSale);
    row2->addStretch();
    rows->addLayout(row2);

    auto *row3 = new QHBoxLayout;
    row3->addWidget(label(top, QStringLiteral("起始时间:")));
    m_nowDatetime = named(new QDateTimeEdit(top), QStringLiteral("_NowDatetime"));
    m_nowDatetime->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    row3->addWidget(m_nowDatetime);
    row3->addWidget(label(top, QStringLiteral("间隔:")));
    auto *interval = named(new QSpinBox(top), QStringLiteral("_Int"));
    interval->setRange(1, 59);
    interval->setValue(5);
    row3->addWidget(interval);
    row3->addWidget(label(top, QStringLiteral("分钟")));
    m_endTime = named(new QTimeEdit(top), QStringLiteral("_EndTime"));
    m_endTime->setDisplayFormat(QStringLiteral("HH:mm"));
    row3->addWidget(m_endTime);
    row3->addWidget(button(top, QStringLiteral("RzToolButton3"), QStringLiteral("定义计划上架时间")));
    QPushButton *plan = button(top, QStringLiteral("_planupload"), QStringLiteral("执行商品计划上架"));
    plan->setEnabled(false);
    row3->addWidget(plan);
    row3->addStretch();
    rows->addLayout(row3);
    column->addWidget(top);

    m_inventoryList = named(new ListView(tab), QStringLiteral("_RzListView_Inventory"));
    m_inventoryModel->setHeaders(
        {QStringLiteral("宝贝名称"), QStringLiteral("商家编码"), QStringLiteral("上架时间"),
         QStringLiteral("下架时间"), QStringLiteral("剩余时间"), QStringLiteral("计划上架时间"),
         QStringLiteral("橱窗推荐"), QStringLiteral("有效天数"), QStringLiteral("数量"),
         QStringLiteral("价格"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
         QStringLiteral("状态"), QStringLiteral("卖家昵称")});
    m_inventoryModel->setBanding(true);
    m_inventoryList->setCheckBoxes(true);
    m_inventoryList->setListModel(m_inventoryModel);
    m_inventoryList->setColumnWidth(0, 260);
    m_inventoryList->setColumnWidth(10, 1);
    m_inventoryList->setColumnWidth(11, 1);
    column->addWidget(m_inventoryList, 1);
    column->addWidget(totalsBar(tab, QStringLiteral("_PanelInventory"), nullptr, QString(),
                                QStringLiteral("  当前仓库显示 0  项")));
    return tab;
}

QWidget *TfrmMain::buildOptionsTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheetOptions"));
    auto *column = new QVBoxLayout(tab);
    column->addWidget(
        checkBox(tab, QStringLiteral("_chkNoOuter_id"), QStringLiteral("下载目标宝贝时，不下载主商家编码")));
    column->addWidget(checkBox(tab, QStringLiteral("_chkIgore"), QStringLiteral("忽略关联值检查")));
    column->addWidget(
        checkBox(tab, QStringLiteral("chkLogin"), QStringLiteral("登录时检查 淘宝证书 Appkey  权限")));
    column->addStretch();
    return tab;
}

void TfrmMain::buildProgressPanels()
{
    auto make = [this](const QString &panelName, const QString &captionName, const QString &tryName,
                       const QString &cancelName, QFrame **panel) {
        auto *p = named(new QFrame(centralWidget()), panelName);
        p->setFrameShape(QFrame::Box);
        p->setAutoFillBackground(true);
        p->setFixedSize(420, 96);
        auto *column = new QVBoxLayout(p);
        column->addWidget(label(p, QString(), captionName));
        auto *animation = named(new QProgressBar(p), panelName + QStringLiteral("_Animate"));
        animation->setRange(0, 0);
        animation->setTextVisible(false);
        column->addWidget(animation);
        auto *row = new QHBoxLayout;
        QLabel *retry = label(p, QStringLiteral("重试 = 10"), tryName);
        retry->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
        retry->setHidden(true);
        row->addWidget(retry);
        row->addStretch();
        QPushButton *cancel = button(p, cancelName, QStringLiteral("取消"));
        row->addWidget(cancel);
        column->addLayout(row);
        p->setHidden(true);
        *panel = p;
        return cancel;
    };
    QPushButton *cancel1 = make(QStringLiteral("_ProcessPanel1"), QStringLiteral("_lblCaption1"),
                                QStringLiteral("lblTry"), QStringLiteral("_Cancel1"), &m_processPanel1);
    cancel1->setHidden(true); // shown by the jobs that can be cancelled
    make(QStringLiteral("_ProcessPanel2"), QStringLiteral("_lblCaption2"), QStringLiteral("lblTry2"),
         QStringLiteral("_Cancel2"), &m_processPanel2);
}

void TfrmMain::buildBrowserPanels()
{
    m_panelWebBrowser1 = named(new QFrame(centralWidget()), QStringLiteral("_PanelWebBrowser1"));
    m_panelWebBrowser1->setFrameShape(QFrame::Box);
    m_panelWebBrowser1->setFixedSize(520, 400);
    auto *column = new QVBoxLayout(m_panelWebBrowser1);
    QLabel *close = label(m_panelWebBrowser1, QStringLiteral("关闭"), QStringLiteral("_CloseWebBrowser"));
    column->addWidget(close, 0, Qt::AlignRight);
    column->addWidget(named(new QWidget(m_panelWebBrowser1), QStringLiteral("_WebBrowser")), 1);
    m_panelWebBrowser1->setHidden(true);

    m_panelWebBrowser2 = named(new QFrame(centralWidget()), QStringLiteral("_PanelWebBrowser2"));
    m_panelWebBrowser2->setFixedSize(320, 240);
    auto *column2 = new QVBoxLayout(m_panelWebBrowser2);
    column2->addWidget(named(new QWidget(m_panelWebBrowser2), QStringLiteral("_WebBrowserFrame")), 1);
    m_panelWebBrowser2->setHidden(true);
}

void TfrmMain::buildStatusBar()
{
    statusBar()->setObjectName(QStringLiteral("RzStatusBar1"));
    m_versionStatus = label(statusBar(), QString(), QStringLiteral("_VersionStatus"));
    m_versionStatus->setMinimumWidth(140);
    m_statusTips = label(statusBar(), QString(), QStringLiteral("_StatusTips"));
    statusBar()->addWidget(m_versionStatus);
    statusBar()->addWidget(m_statusTips, 1);
}

void TfrmMain::buildTray()
{
    m_tray = named(new QSystemTrayIcon(ProgramIcon(), this), QStringLiteral("_RzTrayIcon"));
    m_tray->setToolTip(ApplicationTitle());
    m_tray->setProperty("Tag", 0);
    m_popupSync = named(new QMenu(this), QStringLiteral("_PopupMenuSync"));
    addAction(m_popupSync, QStringLiteral("N29"), QStringLiteral("取消执行同步计划"));
    m_tray->setContextMenu(m_popupSync);
    m_tray->hide();
}

void TfrmMain::buildPopupMenus()
{
    auto *source = named(new QMenu(this), QStringLiteral("_PopupMenuSource"));
    QMenu *sourceTools = named(source->addMenu(QStringLiteral("简易统计工具")), QStringLiteral("N39"));
    addAction(sourceTools, QStringLiteral("N40"), QStringLiteral("商家编码计数对比工具"));
    addAction(sourceTools, QStringLiteral("N64"), QStringLiteral("关联值自动检查工具"));

    auto *object = named(new QMenu(this), QStringLiteral("_PopupMenuObject"));
    QAction *all = addAction(object, QStringLiteral("MenuItem1"), QStringLiteral("全选"));
    connect(all, &QAction::triggered, m_targetList, &QAbstractItemView::selectAll);
    QMenu *objectTools = named(object->addMenu(QStringLiteral("简易统计工具")), QStringLiteral("N41"));
    addAction(objectTools, QStringLiteral("N42"), QStringLiteral("源与目标宝贝检查统计工具"));
    addAction(objectTools, QStringLiteral("N65"), QStringLiteral("关联值自动检查工具"));
    QMenu *advanced = named(object->addMenu(QStringLiteral("高级功能")), QStringLiteral("N66"));
    addAction(advanced, QStringLiteral("N67"), QStringLiteral("清空目标店铺当前用户所有已下载的数据"));
    addAction(advanced, QStringLiteral("N71"), QStringLiteral("查看目标店铺当前用户所有已下载的数据"));

    auto *price = named(new QMenu(this), QStringLiteral("_PopupMenuSourcePrice"));
    auto *inventory = named(new QMenu(this), QStringLiteral("PopupMenuInventory"));

    auto attach = [this](ListView *view, QMenu *menu) {
        connect(view, &QWidget::customContextMenuRequested, menu, [view, menu](const QPoint &pos) {
            if (!menu->isEmpty())
                menu->popup(view->viewport()->mapToGlobal(pos));
        });
    };
    attach(m_sourceList, source);
    attach(m_targetList, object);
    attach(m_priceList, price);
    attach(m_stockList, price);
    attach(m_inventoryList, inventory);
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
    m_show = LoadShowSettings(m_db, m_hideNonUniqueFlag, Clock::now());

    if (m_noShowOnly->isChecked() != m_show.hideNonUnique) {
        m_noShowOnly->setChecked(m_show.hideNonUnique);
        NoShowOnlyClick();
    }
    m_nowDatetime->setDateTime(m_show.plannedStart);
    m_endTime->setTime(m_show.windowEnd);

    m_panelWebBrowser1->lower();
    m_panelWebBrowser2->lower();

    applySourcePaneLook(false);
    m_sourcePage->setCurrentIndex(0);
    m_objectPage->setCurrentIndex(0);

    GetFormula();

    m_chkEasy->setChecked(m_show.easySku);

    m_uniqid->setCurrentIndex(m_show.keyMode);
    m_uniqid->setProperty("Tag", m_show.keyMode);
    colourSelector(m_uniqid, m_show.keyColor);
    m_statusTips->setText(m_show.statusTips);

    m_upgradeStock->setCurrentIndex(m_show.uploadMode);
    m_upgradeStock->setProperty("Tag", m_show.uploadMode);
    colourSelector(m_upgradeStock, m_show.uploadColor);

    ShowHideObjectOption();
    Intervals::arm(*m_timerShow, 200, true);
}

void TfrmMain::TimerShowTimer()
{
    m_timerShow->stop();
    if (!m_sourceList->isHidden())
        GetData_TB_Source(QString());
    else
        m_sourceLogic->showUpdateTime();
    GetTotal_Source();
    GetUserList();
    GetData_TB_Object(QString());
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
    menuBar()->setStyleSheet(
        menus + QStringLiteral("QMenuBar::item:selected { background-color: rgb(237,128,128); }"));
    for (QMenu *m : findChildren<QMenu *>())
        m->setStyleSheet(menus);
    m_sourceToolbar->setStyleSheet(buttons);
    m_objectToolbar->setStyleSheet(buttons);
}

void TfrmMain::colourSelector(QComboBox *box, uint value)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Button, rgb(value));
    pal.setColor(QPalette::Base, rgb(value));
    box->setPalette(pal);
    box->setProperty("Color", value);
}

void TfrmMain::EnableControl(bool enabled)
{
    m_objectPage->setEnabled(enabled);
    m_sourcePage->setEnabled(enabled);
    m_objectToolbar->setEnabled(enabled);
    m_sourceToolbar->setEnabled(enabled);
}

void TfrmMain::applySourcePaneLook(bool expanded)
{
    const SourcePaneLook look = SourcePaneLookFor(expanded, m_panelSourceTotal->height());
    for (int i = 0; i < m_sourcePage->count(); ++i)
        m_sourcePage->setTabVisible(i, expanded);
    m_sourcePage->setHidden(!expanded);
    m_panelSource->setFixedHeight(look.height);
    m_sourceList->setHidden(!expanded);
    m_sourcePanelTop->setHidden(!expanded);
    m_showSourcePage->setText(look.caption);
    m_showSourcePage->setProperty("ImageIndex", look.imageIndex);
}

void TfrmMain::ShowSourcePageClick()
{
    if (busy())
        return;
    m_jobs->clearCancel();
    const bool expand = m_sourceList->isHidden();
    applySourcePaneLook(expand);
    m_menuShowSourcePage->setText(SourcePaneLookFor(expand, 0).caption);
    if (expand) {
        GetData_TB_Source(TrimText(m_sourceKeyword->text()));
        m_refreshSource->setEnabled(true);
    } else {
        GetTotal_Source();
        m_refreshSource->setEnabled(false);
    }
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
    centre(m_processPanel1, m_panelSource->geometry().united(QRect(0, 0, area->width(), 200)));
    centre(m_processPanel2, m_panelObject->geometry());
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

bool TfrmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::AltModifier;
    if (key != Qt::Key_I || (modifiers & both) != both)
        return false;
    m_debug->setHidden(!m_debug->isHidden());
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
    if (m_ui.question(Interaction::tipCaption(), QStringLiteral("是否要退出软件?"),
                      Interaction::Icon::Question))
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
    HelpCommands(m_desktop, m_ui, m_programFolder).calculator();
}

void TfrmMain::H2Click()
{
    HelpCommands(m_desktop, m_ui, m_programFolder).onlineHelp();
}

void TfrmMain::WebsiteClick()
{
    HelpCommands(m_desktop, m_ui, m_programFolder).website();
}

void TfrmMain::F2Click()
{
    HelpCommands(m_desktop, m_ui, m_programFolder).feedback();
}

void TfrmMain::UpdateOnlineClick()
{
    if (HelpCommands(m_desktop, m_ui, m_programFolder).updateOnline())
        close();
}

void TfrmMain::AboutClick()
{
    if (!m_about)
        m_about = new TfrmAbout(m_versionText, this);
    m_about->exec();
}

void TfrmMain::ObjectPageChange(int index)
{
    if (index == 3) {
        // the warehouse list loads here once it exists
    }
    m_otherButton->setEnabled(index == 0);
}

void TfrmMain::appendDebug(const QString &text)
{
    m_debug->appendPlainText(text);
}

void TfrmMain::GetUserList() {}
void TfrmMain::GetData_TB_Object(const QString &) {}
void TfrmMain::GetFormula() {}
void TfrmMain::ShowHideObjectOption() {}
void TfrmMain::NoShowOnlyClick() {}
