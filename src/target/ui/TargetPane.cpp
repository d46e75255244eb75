#include "target/ui/TargetPane.h"
#include "reports/ui/UnmatchedWindow.h"
#include "app/Application.h"
#include "app/MainWindowState.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "lists/ui/FromDownload.h"
#include "sync/DifferenceQuery.h"
#include "sync/QuantityUpload.h"
#include "sync/FormulaPage.h"
#include "sync/MatchingKeys.h"
#include "sync/Selectors.h"
#include "sync/ShopJobs.h"
#include "shop/ui/AccountAdmin.h"
#include "store/Settings.h"
#include "sync/ui/FormulaTab.h"
#include "sync/ui/GuardrailBox.h"
#include "reports/ui/TargetBrowserWindow.h"
#include "target/TargetBySource.h"
#include "target/TargetDownload.h"
#include "target/TargetListCommands.h"
#include "target/ui/TargetListPage.h"
#include "target/ui/WarehousePage.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace ui;

namespace {
enum TabIndex { TargetTab = 0, SkuTab = 1, FormulaTabIndex = 2, WarehouseTab = 3, OptionsTab = 4 };


void colourSelector(QComboBox *box, uint value)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Button, rgb(value));
    pal.setColor(QPalette::Base, rgb(value));
    box->setPalette(pal);
    box->setProperty("Color", value);
}

// The normal panel colour, or the given one.
void colourPanel(QWidget *w, bool coloured, uint value)
{
    if (coloured) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, rgb(value));
        w->setPalette(pal);
        w->setAutoFillBackground(true);
    } else {
        w->setPalette(QPalette());
        w->setAutoFillBackground(false);
    }
}
} // namespace

TargetPane::TargetPane(Application &app, QWidget *parent)
    : QWidget(parent), m_app(app), m_jobs(app.jobs()), m_ui(app.ui()), m_settings(app.settings()),
      m_query(app.differenceQuery()), m_formulas(app.formulaPage()), m_keySelector(app.keySelector()),
      m_uploadSelector(app.uploadSelector())
{
    setObjectName(QStringLiteral("_PanelObject"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(2, 0, 2, 0);
    column->setSpacing(0);
    buildToolbar();
    column->addWidget(m_toolbar);

    m_targetPage = new TargetListPage(&app.targetModel());
    m_formulaTab = new FormulaTab(m_formulas);
    m_warehousePage = new WarehousePage(app);
    m_objectPage = named(new QTabWidget(this), QStringLiteral("_ObjectPage"));
    m_objectPage->addTab(m_targetPage, QStringLiteral(" 目标:店铺宝贝(我的店铺)"));
    m_objectPage->addTab(named(new QWidget, QStringLiteral("TabSheetSku")), QStringLiteral("目标店铺SKU同步管理"));
    m_objectPage->addTab(m_formulaTab, m_formulas.tabCaption());
    m_objectPage->addTab(m_warehousePage, QStringLiteral("仓库中等待上架的宝贝"));
    m_objectPage->addTab(buildOptionsTab(), QStringLiteral("高级选项"));
    m_objectPage->setTabVisible(SkuTab, false);
    connect(m_objectPage, &QTabWidget::currentChanged, this, &TargetPane::ObjectPageChange);
    column->addWidget(m_objectPage, 1);

    for (int v = 0; v < ViewFilterCount; ++v)
        connect(m_targetPage->viewButton(static_cast<ViewFilter>(v)), &QRadioButton::toggled, this,
                [this](bool on) {
                    if (on)
                        chkstockClick();
                });
    connect(m_targetPage->noShowOnly(), &QCheckBox::clicked, this, &TargetPane::NoShowOnlyClick);
    connect(m_targetPage->showPrice(), &QCheckBox::clicked, this, &TargetPane::chkShowPriceClick);
    connect(m_targetPage->searchButton(), &QPushButton::clicked, this, &TargetPane::ObjectSearchClick);
    connect(m_targetPage->unmatchedButton(), &QPushButton::clicked, this, &TargetPane::UnmatchedClick);
    connect(m_targetPage->keyword(), &QLineEdit::returnPressed, m_targetPage->searchButton(), &QPushButton::click);
    connect(m_users, &QComboBox::activated, this, &TargetPane::usersClick);
    connect(m_uniqid, &QComboBox::activated, this, &TargetPane::UniqidChange);
    connect(m_upgradeStock, &QComboBox::activated, this, &TargetPane::UpgradeStockChange);
    connect(&m_formulas, &FormulaPage::tabCaptionChanged, this, &TargetPane::ShowFormulaTag);
    app.quantityUpload().setReloadLists([this] { GetData_TB_Object(QString()); });
    app.quantityUpload().setAccountText([this] { return currentAccount(); });
    connect(&m_query, &DifferenceQuery::totalsChanged, m_targetPage->totalsLabel(), &QLabel::setText);
    connect(&m_query, &DifferenceQuery::updateLabelChanged, m_targetPage->updateLabel(), &QLabel::setText);

    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenuObject"));
    m_inventoryPopup = named(new QMenu(this), QStringLiteral("PopupMenuInventory"));
    m_targetPage->list()->setPopupMenu(m_popup);
    m_warehousePage->list()->setPopupMenu(m_inventoryPopup);

    m_listCommands = new TargetListCommands(app.db(), app.targetModel(), m_ui, app.desktop(), this);
    connect(m_listCommands, &TargetListCommands::totalsChanged, m_targetPage->totalsLabel(), &QLabel::setText);
    app.targetDownload().setReloadLists([this]() { GetData_TB_Object(QString()); });
    app.targetBySource().setReloadLists([this]() { GetData_TB_Object(QString()); });
    ShopJobs &shop = app.shopJobs();
    for (ShopRowJob *job : std::initializer_list<ShopRowJob *>{&shop.price, &shop.delisting, &shop.listing})
        job->setReloadList([this] { GetData_TB_Object(QString()); });
    // what each upload did stays in view until the next one
    QuantityUploadJob &upload = app.quantityUpload();
    connect(&upload, &QuantityUploadJob::ended, this, [this, &upload](QuantityUploadJob::Outcome outcome) {
        if (outcome != QuantityUploadJob::Outcome::NothingTicked && outcome != QuantityUploadJob::Outcome::DryRun)
            Q_EMIT uploadReported(upload.report().headline());
    });
    connect(&shop.price, &ShopRowJob::ended, this, [this, &shop] { Q_EMIT uploadReported(shop.price.report().headline()); });
}

void TargetPane::buildToolbar()
{
    m_toolbar = named(new QToolBar(this), QStringLiteral("_ObjectToolbar"));
    m_anchor = m_toolbar->addSeparator();

    m_users = named(new QComboBox(m_toolbar), QStringLiteral("_users"));
    m_users->setMinimumWidth(120);
    m_users->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_toolbar->addWidget(m_users);
    const QString keyHint = QStringLiteral("唯一值是作为同步的唯一识别标志,如源与目标不一致,将不能同步到数据.");
    QLabel *keyLabel = label(m_toolbar, QStringLiteral(" 关联值:"), QStringLiteral("_lblUniqid"));
    keyLabel->setToolTip(keyHint);
    m_toolbar->addWidget(keyLabel);
    m_uniqid = named(new QComboBox(m_toolbar), QStringLiteral("_Uniqid"));
    m_uniqid->addItems(MatchingKeys::captions());
    m_uniqid->setToolTip(keyHint);
    m_uniqid->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_uniqid->setMinimumContentsLength(19);
    m_toolbar->addWidget(m_uniqid);
    const QString uploadHint = QStringLiteral("全量:是指源库存数量直接覆盖更新目标库存数量\r增量:"
                                              "是指源库存数量累加到目标库存数量并更新(如果减少库存,源库存数据填负数即可)");
    QLabel *uploadLabel = label(m_toolbar, QStringLiteral(" 库存更新:"), QStringLiteral("_lblUpgradeStock"));
    uploadLabel->setToolTip(uploadHint);
    m_toolbar->addWidget(uploadLabel);
    m_upgradeStock = named(new QComboBox(m_toolbar), QStringLiteral("_UpgradeStock"));
    m_upgradeStock->addItems(UploadModeCaptions());
    m_upgradeStock->setToolTip(uploadHint);
    m_toolbar->addWidget(m_upgradeStock);
}

QWidget *TargetPane::buildOptionsTab()
{
    auto *tab = named(new QWidget, QStringLiteral("TabSheetOptions"));
    auto *column = new QVBoxLayout(tab);
    m_chkNoOuterId =
        checkBox(tab, QStringLiteral("_chkNoOuter_id"), QStringLiteral("下载目标宝贝时，不下载主商家编码"));
    column->addWidget(m_chkNoOuterId);
    m_chkIgore = checkBox(tab, QStringLiteral("_chkIgore"), QStringLiteral("忽略关联值检查"));
    column->addWidget(m_chkIgore);
    m_chkLogin = checkBox(tab, QStringLiteral("chkLogin"), QStringLiteral("登录时检查 淘宝证书 Appkey  权限"));
    column->addWidget(m_chkLogin);
    m_chkNormalisedKeys = checkBox(tab, QStringLiteral("_chkNormalisedKeys"),
                                   QStringLiteral("关联值比较时忽略首尾空格, 全角字母、数字和符号按半角比较"));
    m_chkNormalisedKeys->setToolTip(QStringLiteral("例如 \"J200 \" 与 \"J200\", \"Ｔ１００\" 与 \"T100\" 视为相同的关联值. "
                                                   "同时用于比较列表、统计工具和关联值检查."));
    m_chkNormalisedKeys->setChecked(m_app.settings().flag(Setting::NormalisedKeys));
    connect(m_chkNormalisedKeys, &QCheckBox::clicked, this, [this](bool on) {
        m_app.settings().setFlag(Setting::NormalisedKeys, on);
        GetData_TB_Object(trimmedKeyword());
    });
    column->addWidget(m_chkNormalisedKeys);
    column->addWidget(new GuardrailBox(m_settings, tab));
    column->addStretch();
    return tab;
}

void TargetPane::setLoginCommandsEnabled(bool enabled)
{
    m_warehousePage->setLoginCommandsEnabled(enabled);
}

ListModel *TargetPane::targetModel() const
{
    return m_targetPage->model();
}

QString TargetPane::currentAccount() const
{
    return m_users->currentText();
}

int TargetPane::matchingKey() const
{
    return m_uniqid->currentIndex();
}

QString TargetPane::matchingKeyText() const
{
    return m_uniqid->currentText();
}

QString TargetPane::trimmedKeyword() const
{
    return TrimText(m_targetPage->keyword()->text());
}

void TargetPane::showConfirmed(QComboBox *box, const ConfirmedSelector &selector)
{
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(selector.shown());
    box->setProperty("Tag", selector.confirmed());
    colourSelector(box, selector.colour());
}

void TargetPane::applyShowSettings(const ShowSettings &show)
{
    QCheckBox *noShowOnly = m_targetPage->noShowOnly();
    if (noShowOnly->isChecked() != show.hideNonUnique) {
        noShowOnly->setChecked(show.hideNonUnique);
        NoShowOnlyClick();
    }
    m_warehousePage->nowDatetime()->setDateTime(show.plannedStart);
    m_warehousePage->endTime()->setTime(show.windowEnd);
    m_objectPage->setCurrentIndex(TargetTab);
    GetFormula();

    m_keySelector.load(m_settings);
    showConfirmed(m_uniqid, m_keySelector);
    m_uploadSelector.load(m_settings);
    showConfirmed(m_upgradeStock, m_uploadSelector);
    ShowHideObjectOption();
}

void TargetPane::firstLoad()
{
    GetUserList();
    GetData_TB_Object(QString());
}

void TargetPane::readOptions()
{
    DifferenceOptions &o = m_query.options();
    // the account box's text: several accounts may be written separated by ","
    o.account = m_users->currentText();
    o.shownKey = m_keySelector.shown();
    o.confirmedKey = m_keySelector.confirmed();
    o.uploadMode = m_uploadSelector.confirmed() == 1 ? UploadMode::Incremental : UploadMode::Full;
    o.view = m_targetPage->view();
    o.onlyPriceDifferences = m_targetPage->showPrice()->isChecked();
    o.uniqueOnly = m_targetPage->noShowOnly()->isChecked();
    o.ignoreKeyCheck = m_chkIgore->isChecked();
    o.noMainCode = m_chkNoOuterId->isChecked();
    o.exactSearch = m_targetPage->exactSearch()->isChecked();
    o.searchField = m_targetPage->fields()->currentIndex();
    // the controls, not the stored settings: an edit not yet saved counts
    o.formulas = m_formulas.formulas();
    o.debugMemo = m_debugMemoShown;
    o.storeUniqueOnly = true;
}

void TargetPane::GetData_TB_Object(const QString &keyword)
{
    readOptions();
    m_query.GetData_TB_Object(keyword);
}

void TargetPane::UnmatchedClick()
{
    if (!m_unmatched)
        m_unmatched = new TfrmUnmatched(m_app.db(), m_ui, this);
    UnmatchedOptions o;
    o.matchingKey = m_keySelector.confirmed();
    o.accounts = currentAccount();
    o.stockList = m_targetPage->view() == ViewFilter::StockList;
    o.normalisedKeys = m_app.settings().flag(Setting::NormalisedKeys);
    m_unmatched->setContext(o, MatchingKeys::caption(o.matchingKey));
    m_unmatched->exec();
}

void TargetPane::GetTotal_Object()
{
    m_query.GetTotal_Object();
}

void TargetPane::ObjectPageChange(int index)
{
    switch (m_formulas.leave()) {
    case FormulaPage::Leave::NotEdited:
        break;
    case FormulaPage::Leave::Saved:
        GetData_TB_Object(trimmedKeyword());
        break;
    case FormulaPage::Leave::Discarded:
        // the stored formulas are back; the tab change goes no further
        GetData_TB_Object(trimmedKeyword());
        return;
    }
    if (index == WarehouseTab)
        m_warehousePage->load();
    if (m_otherButton)
        m_otherButton->setEnabled(index == TargetTab);
}

void TargetPane::viewChanged()
{
    const ViewFilter view = m_targetPage->view();
    m_targetPage->showPrice()->setEnabled(OnlyPriceDifferencesEnabled(view));
    m_objectPage->setTabEnabled(FormulaTabIndex, FormulaTabEnabled(view));
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::chkstockClick()
{
    viewChanged();
}

void TargetPane::NoShowOnlyClick()
{
    viewChanged();
}

void TargetPane::chkShowPriceClick()
{
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::ObjectSearchClick()
{
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::RefeshObjectClick()
{
    if (m_jobs.panel2().shown())
        return;
    m_jobs.clearCancel();
    GetData_TB_Object(QString());
}

void TargetPane::UniqidChange(int index)
{
    const ConfirmedSelector::Choice choice = m_keySelector.choose(index, m_jobs.busy(), m_ui, m_settings);
    showConfirmed(m_uniqid, m_keySelector);
    if (choice == ConfirmedSelector::Choice::Failed)
        m_ui.error(QStringLiteral("无法保存关联值设定."));
    if (choice != ConfirmedSelector::Choice::Confirmed)
        return;
    Q_EMIT statusTipsChanged(MatchingKeyStatusTip(m_keySelector.confirmed()));
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::UpgradeStockChange(int index)
{
    const ConfirmedSelector::Choice choice = m_uploadSelector.choose(index, m_jobs.busy(), m_ui, m_settings);
    showConfirmed(m_upgradeStock, m_uploadSelector);
    if (choice == ConfirmedSelector::Choice::Failed)
        m_ui.error(QStringLiteral("无法保存库存更新方式."));
    if (choice != ConfirmedSelector::Choice::Confirmed)
        return;
    ShowHideObjectOption();
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::ShowHideObjectOption()
{
    const UploadMode mode = m_uploadSelector.confirmed() == 1 ? UploadMode::Incremental : UploadMode::Full;
    const ObjectPagePresentation p = ::ShowHideObjectOption(mode);
    m_targetPage->viewButton(ViewFilter::Differ)->setText(p.differCaption);
    m_targetPage->viewButton(ViewFilter::Same)->setText(p.sameCaption);
    m_objectPage->setTabText(TargetTab, p.tabCaption);
    colourPanel(m_targetPage->optionBar(), p.barColoured, p.barColour);
    colourPanel(m_targetPage, p.barColoured, p.barColour);
    m_targetPage->filterBar()->update();
}

void TargetPane::GetFormula()
{
    m_formulas.GetFormula();
    ShowFormulaTag();
}

void TargetPane::ShowFormulaTag()
{
    m_objectPage->setTabText(FormulaTabIndex, m_formulas.tabCaption());
}

void TargetPane::MenuItem1Click()
{
    m_targetPage->list()->selectAll();
}

void TargetPane::N43Click()
{
    m_query.checkAll();
}

void TargetPane::N44Click()
{
    m_query.uncheckAll();
}

void TargetPane::N45Click()
{
    m_query.checkSelected(m_targetPage->list()->selectedModelRows());
}

void TargetPane::N46Click()
{
    m_query.uncheckSelected(m_targetPage->list()->selectedModelRows());
}

TargetPane::~TargetPane()
{
    // the job outlives the window
    m_app.quantityUpload().setReloadLists({});
    m_app.quantityUpload().setAccountText({});
}

void TargetPane::UploadClick()
{
    m_app.quantityUpload().UploadClick();
}

void TargetPane::_updatepriceClick()
{
    PriceUploadJob &price = m_app.shopJobs().price;
    if (!price._updatepriceClick() && price.held())
        Q_EMIT uploadReported(price.report().headline());
}

void TargetPane::_delistingClick()
{
    m_app.shopJobs().delisting.start();
}

void TargetPane::_listingClick()
{
    m_app.shopJobs().listing.start();
}

void TargetPane::Cancel2Click()
{
    m_jobs.cancelTargetSide();
    GetData_TB_Object(QString());
}

void TargetPane::GetUserList()
{
    const QStringList names = m_app.accountNames();
    const QSignalBlocker quiet(m_users);
    m_users->clear();
    m_users->addItems(names);
    const int last = static_cast<int>(names.indexOf(m_settings.text(Setting::CurrentAccount).trimmed()));
    m_users->setCurrentIndex(last);
    m_app.selectAccount(last >= 0 ? names.at(last) : QString(), false);
}

void TargetPane::usersClick()
{
    m_app.selectAccount(m_users->currentText(), true);
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::ObjectConfigClick()
{
    if (m_jobs.busy())
        return;
    TfrmFromDownload::OpenModal(m_app, this, 1, QStringLiteral("配置目标下载源(我的店铺)"));
    GetData_TB_Object(trimmedKeyword());
}

void TargetPane::AccountAdminClick()
{
    if (m_jobs.busy())
        return;
    if (!m_accountAdmin)
        m_accountAdmin = new TfrmAccountAdmin(m_app.shopAccounts(), m_ui, window());
    m_accountAdmin->exec();
    GetUserList();
}

void TargetPane::N62Click()
{
    TargetDownloadJob &job = m_app.targetDownload();
    job.setAccount(currentAccount());
    job.setNoOuterId(m_chkNoOuterId->isChecked());
    if (job.N62Click())
        m_app.targetModel().clear();
}

void TargetPane::DownloadClick()
{
    TargetBySourceJob &job = m_app.targetBySource();
    job.setAccount(currentAccount());
    if (job.DownloadClick())
        m_app.targetModel().clear();
}

void TargetPane::MenuItem3Click()
{
    m_listCommands->MenuItem3Click(m_targetPage->list()->selectedModelRows());
}

void TargetPane::MenuItem6Click()
{
    auto *action = qobject_cast<QAction *>(sender());
    m_listCommands->CopyText_Object(m_targetPage->list()->selectedModelRows(),
                                    TargetListCommands::CopyCell(action ? action->property("Tag").toInt() : 0));
}

void TargetPane::MenuItem13Click()
{
    m_listCommands->MenuItem13Click(m_targetPage->list()->selectedModelRows());
}

void TargetPane::N67Click()
{
    m_listCommands->N67Click(currentAccount());
}

void TargetPane::N71Click()
{
    if (m_jobs.busy())
        return;
    if (!m_browser)
        m_browser = new TfrmTB_Object(m_app, [this]() { return currentAccount(); }, window());
    m_browser->exec();
}
