#include "target/ui/WarehousePage.h"
#include "app/Application.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "sync/ShopJobs.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

using namespace ui;

WarehousePage::WarehousePage(Application &app, QWidget *parent)
    : ListPage(QStringLiteral("TabSheetInventory"), QStringLiteral("_RzListView_Inventory"),
               &app.shopJobs().warehouseModel, parent),
      m_app(app), m_jobs(app.shopJobs()), m_list(app.shopJobs().warehouse)
{
    setFilterBar(buildTopBar());
    ListView *view = list();
    view->setCheckBoxes(true);
    view->setImages(ListView::smallImages());
    view->setColumnWidth(0, 260);
    // columns: the caption, then cells 0 to 12
    view->setColumnWidth(1, 90);
    for (int c : {2, 3, 5})
        view->setColumnWidth(c, 145);
    view->setColumnWidth(4, 120);
    for (int c : {6, 7, 8, 9})
        view->setColumnWidth(c, 70);
    // the item and SKU ids are there for copying, one pixel wide
    view->header()->setMinimumSectionSize(1);
    view->setColumnWidth(10, 1);
    view->setColumnWidth(11, 1);
    QLabel *totals = addTotalsLine(QStringLiteral("_PanelInventory"), QStringLiteral("  当前仓库显示 0  项"));
    connect(&m_list, &WarehouseList::totalsChanged, totals, &QLabel::setText);
}

QWidget *WarehousePage::buildTopBar()
{
    auto *top = named(new QWidget, QStringLiteral("_PanelInventoryTop"));
    auto *rows = new QVBoxLayout(top);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto *row1 = new QHBoxLayout;
    QPushButton *download = button(top, QStringLiteral("_inventory"), QStringLiteral("下载仓库中宝贝列表"));
    connect(download, &QPushButton::clicked, this, &WarehousePage::_inventoryClick);
    m_loginCommands.append(download);
    row1->addWidget(download);
    row1->addWidget(label(top, QStringLiteral("下载条件：标题")));
    m_query = named(new QLineEdit(top), QStringLiteral("_q"));
    m_query->setMaximumWidth(160);
    row1->addWidget(m_query);
    m_loginCommands.append(m_query);
    row1->addWidget(label(top, QStringLiteral("条数:")));
    m_pageSize = named(new QSpinBox(top), QStringLiteral("_page_size"));
    m_pageSize->setRange(1, 200);
    m_pageSize->setValue(200);
    row1->addWidget(m_pageSize);
    m_loginCommands.append(m_pageSize);
    row1->addWidget(label(top, QStringLiteral("页:")));
    m_pageNo = named(new QSpinBox(top), QStringLiteral("_page_no"));
    m_pageNo->setRange(1, 101);
    m_pageNo->setValue(1);
    row1->addWidget(m_pageNo);
    m_loginCommands.append(m_pageNo);
    row1->addSpacing(12);
    row1->addWidget(label(top, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(top), QStringLiteral("_InventoryKeyword"));
    m_keyword->setMaximumWidth(160);
    row1->addWidget(m_keyword);
    QPushButton *search = button(top, QStringLiteral("_SearchInventory"), QStringLiteral("搜索"));
    connect(search, &QPushButton::clicked, this, &WarehousePage::SearchInventoryClick);
    connect(m_keyword, &QLineEdit::returnPressed, search, &QPushButton::click);
    row1->addWidget(search);
    QPushButton *refresh = button(top, QStringLiteral("RzToolButton2"), QStringLiteral("刷新"));
    connect(refresh, &QPushButton::clicked, this, &WarehousePage::RzToolButton2Click);
    row1->addWidget(refresh);
    row1->addStretch();
    rows->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    auto *group = new QButtonGroup(top);
    const char *names[4] = {"_chkInventory00", "_chkInventory03", "_chkInventory01", "_chkInventory02"};
    const QString captions[4] = {QStringLiteral("显示所有"), QStringLiteral("与配置源下载源关联"),
                                 QStringLiteral("与自定义商品价格列表关联"), QStringLiteral("与自定义商品库存列表关联")};
    const QString hints[4] = {
        QString(),
        QStringLiteral("以主商家编码做为关联值,显示源下载源中与仓库中同时都有的宝贝,可以根据显示上架商品"),
        QStringLiteral("以主商家编码做为关联值,显示自定义商品价格列表与仓库中同时都有的宝贝,可以根据显示上架商品"),
        QStringLiteral("以主商家编码做为关联值,显示自定义商品库存列表与仓库中同时都有的宝贝,可以根据显示上架商品")};
    for (int i = 0; i < 4; ++i) {
        m_views[i] = radio(top, group, QString::fromLatin1(names[i]), captions[i]);
        m_views[i]->setToolTip(hints[i]);
        row2->addWidget(m_views[i]);
        connect(m_views[i], &QRadioButton::clicked, this, &WarehousePage::chkInventoryClick);
    }
    m_views[0]->setChecked(true);
    m_onlyOnSales = checkBox(top, QStringLiteral("_chkOnlyOnSales"), QStringLiteral("关联时,只含销售中宝贝"), true);
    m_onlyOnSales->setEnabled(false);
    connect(m_views[1], &QRadioButton::toggled, m_onlyOnSales, &QWidget::setEnabled);
    connect(m_onlyOnSales, &QCheckBox::clicked, this, &WarehousePage::chkInventoryClick);
    row2->addWidget(m_onlyOnSales);
    row2->addStretch();
    rows->addLayout(row2);

    auto *row3 = new QHBoxLayout;
    row3->addWidget(label(top, QStringLiteral("起始时间:")));
    m_nowDatetime = named(new QDateTimeEdit(top), QStringLiteral("_NowDatetime"));
    m_nowDatetime->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
    row3->addWidget(m_nowDatetime);
    row3->addWidget(label(top, QStringLiteral("间隔:")));
    m_interval = named(new QSpinBox(top), QStringLiteral("_Int"));
    m_interval->setRange(1, 59);
    m_interval->setValue(5);
    row3->addWidget(m_interval);
    row3->addWidget(label(top, QStringLiteral("分钟")));
    m_endTime = named(new QTimeEdit(top), QStringLiteral("_EndTime"));
    m_endTime->setDisplayFormat(QStringLiteral("HH:mm"));
    row3->addWidget(m_endTime);
    QPushButton *plan = button(top, QStringLiteral("RzToolButton3"), QStringLiteral("定义计划上架时间"));
    connect(plan, &QPushButton::clicked, this, &WarehousePage::RzToolButton3Click);
    row3->addWidget(plan);
    QPushButton *upload = button(top, QStringLiteral("_planupload"), QStringLiteral("执行商品计划上架"));
    connect(upload, &QPushButton::clicked, this, &WarehousePage::_planuploadClick);
    m_loginCommands.append(upload);
    row3->addWidget(upload);
    row3->addSpacing(12);
    QPushButton *onsale = button(top, QStringLiteral("_onsaleUpload"), QStringLiteral("执行商品立刻上架"));
    connect(onsale, &QPushButton::clicked, this, &WarehousePage::_onsaleUploadClick);
    m_loginCommands.append(onsale);
    row3->addWidget(onsale);
    row3->addStretch();
    rows->addLayout(row3);
    setLoginCommandsEnabled(false);
    return top;
}

void WarehousePage::setLoginCommandsEnabled(bool enabled)
{
    for (QWidget *w : std::as_const(m_loginCommands))
        w->setEnabled(enabled);
}

void WarehousePage::readOptions()
{
    const WarehouseView views[4] = {WarehouseView::All, WarehouseView::SourceList, WarehouseView::PriceList,
                                    WarehouseView::StockList};
    for (int i = 0; i < 4; ++i)
        if (m_views[i]->isChecked())
            m_list.view = views[i];
    m_list.onlyOnSale = m_onlyOnSales->isChecked();
    m_list.account = m_app.currentAccount();
}

std::vector<int> WarehousePage::selectedRows() const
{
    return list()->selectedModelRows();
}

int WarehousePage::focusedRow() const
{
    const QModelIndex current = list()->currentIndex();
    return current.isValid() && list()->selectionModel()->isSelected(current) ? current.row() : -1;
}

void WarehousePage::load()
{
    readOptions();
    m_list.GetData_TB_Object_inventory(TrimText(m_keyword->text()));
}

void WarehousePage::SearchInventoryClick()
{
    load();
}

void WarehousePage::RzToolButton2Click()
{
    load();
}

void WarehousePage::chkInventoryClick()
{
    load();
}

void WarehousePage::_inventoryClick()
{
    readOptions();
    m_jobs.warehouseDownload._inventoryClick(m_query->text(), m_pageNo->value(), m_pageSize->value());
}

void WarehousePage::RzToolButton3Click()
{
    m_list.RzToolButton3Click(m_nowDatetime->dateTime(), m_interval->value(), m_endTime->time());
}

void WarehousePage::_planuploadClick()
{
    m_jobs.listTimes._planuploadClick(m_app.currentAccount());
}

void WarehousePage::_onsaleUploadClick()
{
    m_jobs.warehouseListing._onsaleUploadClick();
}

void WarehousePage::MenuItem14Click()
{
    list()->selectAll();
}

void WarehousePage::MenuItem16Click()
{
    model()->setAllChecked(true);
}

void WarehousePage::MenuItem17Click()
{
    model()->setAllChecked(false);
}

void WarehousePage::MenuItem19Click()
{
    for (int r : selectedRows())
        model()->setChecked(r, true);
}

void WarehousePage::MenuItem20Click()
{
    for (int r : selectedRows())
        model()->setChecked(r, false);
}

void WarehousePage::MenuItem28Click()
{
    readOptions();
    const int focused = focusedRow();
    m_list.deleteRows(selectedRows(), focused, TrimText(m_keyword->text()));
    if (focused < 0)
        list()->setFocus();
}

void WarehousePage::CopyTextClick()
{
    auto *action = qobject_cast<QAction *>(sender());
    m_list.CopyText_Inventory(selectedRows(), action ? action->property("Tag").toInt() : -1);
}

void WarehousePage::MenuItem41Click()
{
    m_list.exportRows(selectedRows());
}

void WarehousePage::N74Click()
{
    m_list.N74Click(selectedRows());
}

void WarehousePage::MenuItem43Click()
{
    // the row under the cursor, else the first selected one
    const QModelIndex current = list()->currentIndex();
    if (current.isValid()) {
        m_list.openItemPage(current.row());
        return;
    }
    const std::vector<int> rows = list()->selectedModelRows();
    if (!rows.empty())
        m_list.openItemPage(rows.front());
}
