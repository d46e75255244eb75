#include "target/ui/TargetPane.h"
#include "app/Application.h"
#include "app/MainWindowState.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "target/ui/TargetListPage.h"
#include "target/ui/WarehousePage.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace ui;

namespace {
void attachPopup(ListView *view, QMenu *menu)
{
    QObject::connect(view, &QWidget::customContextMenuRequested, menu, [view, menu](const QPoint &pos) {
        if (!menu->isEmpty())
            menu->popup(view->viewport()->mapToGlobal(pos));
    });
}

void colourSelector(QComboBox *box, uint value)
{
    QPalette pal = box->palette();
    pal.setColor(QPalette::Button, rgb(value));
    pal.setColor(QPalette::Base, rgb(value));
    box->setPalette(pal);
    box->setProperty("Color", value);
}
} // namespace

TargetPane::TargetPane(Application &app, QWidget *parent) : QWidget(parent), m_jobs(app.jobs())
{
    setObjectName(QStringLiteral("_PanelObject"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(2, 0, 2, 0);
    column->setSpacing(0);
    buildToolbar();
    column->addWidget(m_toolbar);

    m_targetPage = new TargetListPage;
    m_warehousePage = new WarehousePage;
    m_objectPage = named(new QTabWidget(this), QStringLiteral("_ObjectPage"));
    m_objectPage->addTab(m_targetPage, QStringLiteral(" 目标:店铺宝贝(我的店铺)"));
    m_objectPage->addTab(named(new QWidget, QStringLiteral("TabSheetSku")), QStringLiteral("目标店铺SKU同步管理"));
    auto *formulas = named(new QWidget, QStringLiteral("TabSheetFormula"));
    (new QVBoxLayout(formulas))->addStretch();
    m_objectPage->addTab(formulas, QStringLiteral("自定义公式(未启用)"));
    m_objectPage->addTab(m_warehousePage, QStringLiteral("仓库中等待上架的宝贝"));
    m_objectPage->addTab(buildOptionsTab(), QStringLiteral("高级选项"));
    m_objectPage->setTabVisible(1, false);
    connect(m_objectPage, &QTabWidget::currentChanged, this, &TargetPane::ObjectPageChange);
    column->addWidget(m_objectPage, 1);

    connect(m_targetPage->noShowOnly(), &QCheckBox::clicked, this, &TargetPane::NoShowOnlyClick);
    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenuObject"));
    m_inventoryPopup = named(new QMenu(this), QStringLiteral("PopupMenuInventory"));
    attachPopup(m_targetPage->list(), m_popup);
    attachPopup(m_warehousePage->list(), m_inventoryPopup);
}

void TargetPane::buildToolbar()
{
    m_toolbar = named(new QToolBar(this), QStringLiteral("_ObjectToolbar"));
    m_anchor = m_toolbar->addSeparator();

    m_users = named(new QComboBox(m_toolbar), QStringLiteral("_users"));
    m_users->setMinimumWidth(100);
    m_toolbar->addWidget(m_users);
    const QString keyHint = QStringLiteral("唯一值是作为同步的唯一识别标志,如源与目标不一致,将不能同步到数据.");
    QLabel *keyLabel = label(m_toolbar, QStringLiteral(" 关联值:"), QStringLiteral("_lblUniqid"));
    keyLabel->setToolTip(keyHint);
    m_toolbar->addWidget(keyLabel);
    m_uniqid = named(new QComboBox(m_toolbar), QStringLiteral("_Uniqid"));
    m_uniqid->addItems(MatchingKeyCaptions());
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
    column->addWidget(
        checkBox(tab, QStringLiteral("_chkNoOuter_id"), QStringLiteral("下载目标宝贝时，不下载主商家编码")));
    column->addWidget(checkBox(tab, QStringLiteral("_chkIgore"), QStringLiteral("忽略关联值检查")));
    column->addWidget(checkBox(tab, QStringLiteral("chkLogin"), QStringLiteral("登录时检查 淘宝证书 Appkey  权限")));
    column->addStretch();
    return tab;
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

void TargetPane::applyShowSettings(const ShowSettings &show)
{
    QCheckBox *noShowOnly = m_targetPage->noShowOnly();
    if (noShowOnly->isChecked() != show.hideNonUnique) {
        noShowOnly->setChecked(show.hideNonUnique);
        NoShowOnlyClick();
    }
    m_warehousePage->nowDatetime()->setDateTime(show.plannedStart);
    m_warehousePage->endTime()->setTime(show.windowEnd);
    m_objectPage->setCurrentIndex(0);
    GetFormula();

    m_uniqid->setCurrentIndex(show.keyMode);
    m_uniqid->setProperty("Tag", show.keyMode);
    colourSelector(m_uniqid, show.keyColor);
    m_upgradeStock->setCurrentIndex(show.uploadMode);
    m_upgradeStock->setProperty("Tag", show.uploadMode);
    colourSelector(m_upgradeStock, show.uploadColor);
    ShowHideObjectOption();
}

void TargetPane::firstLoad()
{
    GetUserList();
    GetData_TB_Object(QString());
}

void TargetPane::ObjectPageChange(int index)
{
    if (index == 3) {
        // the warehouse list loads here once it exists
    }
    if (m_otherButton)
        m_otherButton->setEnabled(index == 0);
}

void TargetPane::MenuItem1Click()
{
    m_targetPage->list()->selectAll();
}

void TargetPane::Cancel2Click()
{
    m_jobs.cancelTargetSide();
    GetData_TB_Object(QString());
}

void TargetPane::GetUserList() {}
void TargetPane::GetData_TB_Object(const QString &) {}
void TargetPane::GetFormula() {}
void TargetPane::ShowHideObjectOption() {}
void TargetPane::NoShowOnlyClick() {}
