#include "target/ui/WarehousePage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"

#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

using namespace ui;

WarehousePage::WarehousePage(QWidget *parent)
    : ListPage(QStringLiteral("TabSheetInventory"), QStringLiteral("_RzListView_Inventory"), nullptr, parent)
{
    setFilterBar(buildTopBar());
    model()->setHeaders({QStringLiteral("宝贝名称"), QStringLiteral("商家编码"), QStringLiteral("上架时间"),
                         QStringLiteral("下架时间"), QStringLiteral("剩余时间"), QStringLiteral("计划上架时间"),
                         QStringLiteral("橱窗推荐"), QStringLiteral("有效天数"), QStringLiteral("数量"),
                         QStringLiteral("价格"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
                         QStringLiteral("状态"), QStringLiteral("卖家昵称")});
    ListView *view = list();
    view->setCheckBoxes(true);
    view->setColumnWidth(0, 260);
    view->setColumnWidth(10, 1);
    view->setColumnWidth(11, 1);
    addTotalsLine(QStringLiteral("_PanelInventory"), QStringLiteral("  当前仓库显示 0  项"));
}

QWidget *WarehousePage::buildTopBar()
{
    auto *top = named(new QWidget, QStringLiteral("_PanelInventoryTop"));
    auto *rows = new QVBoxLayout(top);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto *row1 = new QHBoxLayout;
    QPushButton *download = button(top, QStringLiteral("_inventory"), QStringLiteral("下载仓库中宝贝列表"));
    download->setEnabled(false);
    m_loginCommands.append(download);
    row1->addWidget(download);
    row1->addWidget(label(top, QStringLiteral("下载条件：标题")));
    auto *query = named(new QLineEdit(top), QStringLiteral("_q"));
    row1->addWidget(query);
    m_loginCommands.append(query);
    row1->addWidget(label(top, QStringLiteral("条数:")));
    auto *pageSize = named(new QSpinBox(top), QStringLiteral("_page_size"));
    pageSize->setRange(1, 200);
    pageSize->setValue(200);
    row1->addWidget(pageSize);
    m_loginCommands.append(pageSize);
    row1->addWidget(label(top, QStringLiteral("页:")));
    auto *pageNo = named(new QSpinBox(top), QStringLiteral("_page_no"));
    pageNo->setRange(1, 101);
    pageNo->setValue(1);
    row1->addWidget(pageNo);
    m_loginCommands.append(pageNo);
    row1->addSpacing(12);
    row1->addWidget(label(top, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(top), QStringLiteral("_InventoryKeyword"));
    m_keyword->setMaximumWidth(160);
    row1->addWidget(m_keyword);
    row1->addWidget(button(top, QStringLiteral("_SearchInventory"), QStringLiteral("搜索")));
    row1->addWidget(button(top, QStringLiteral("RzToolButton2"), QStringLiteral("刷新")));
    row1->addStretch();
    rows->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    auto *group = new QButtonGroup(top);
    QRadioButton *all = radio(top, group, QStringLiteral("_chkInventory00"), QStringLiteral("显示所有"));
    all->setChecked(true);
    row2->addWidget(all);
    QRadioButton *withList = radio(top, group, QStringLiteral("_chkInventory03"), QStringLiteral("与配置源下载源关联"));
    withList->setToolTip(QStringLiteral("以主商家编码做为关联值,显示源下载源中与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withList);
    QRadioButton *withPrice =
        radio(top, group, QStringLiteral("_chkInventory01"), QStringLiteral("与自定义商品价格列表关联"));
    withPrice->setToolTip(
        QStringLiteral("以主商家编码做为关联值,显示自定义商品价格列表与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withPrice);
    QRadioButton *withStock =
        radio(top, group, QStringLiteral("_chkInventory02"), QStringLiteral("与自定义商品库存列表关联"));
    withStock->setToolTip(
        QStringLiteral("以主商家编码做为关联值,显示自定义商品库存列表与仓库中同时都有的宝贝,可以根据显示上架商品"));
    row2->addWidget(withStock);
    QCheckBox *onSale = checkBox(top, QStringLiteral("_chkOnlyOnSales"), QStringLiteral("关联时,只含销售中宝贝"), true);
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
    m_loginCommands.append(plan);
    row3->addWidget(plan);
    row3->addStretch();
    rows->addLayout(row3);
    return top;
}

void WarehousePage::setLoginCommandsEnabled(bool enabled)
{
    for (QWidget *w : std::as_const(m_loginCommands))
        w->setEnabled(enabled);
}
