#include "source/ui/PriceStockPages.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"

#include <QHBoxLayout>
#include <QLineEdit>

using namespace ui;

namespace {
QWidget *importBar(const QString &name, QHBoxLayout **row)
{
    auto *bar = named(new QWidget, name);
    *row = new QHBoxLayout(bar);
    (*row)->setContentsMargins(4, 2, 4, 2);
    return bar;
}
} // namespace

PriceListPage::PriceListPage(QWidget *parent)
    : ListPage(QStringLiteral("TabSheet2"), QStringLiteral("_RzListViewPrice"), nullptr, parent)
{
    QHBoxLayout *row = nullptr;
    QWidget *bar = importBar(QStringLiteral("_PanelPriceTop"), &row);
    row->addWidget(button(bar, QStringLiteral("_Import_Price"), QStringLiteral("导入商品价格列表...")));
    row->addWidget(checkBox(bar, QStringLiteral("_chkAppend"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(named(new QLineEdit(bar), QStringLiteral("_SourceKeywordPrice")));
    row->addWidget(button(bar, QStringLiteral("_SourcePriceSearch"), QStringLiteral("搜索")));
    row->addWidget(checkBox(bar, QStringLiteral("_chkShowPriceList"), QStringLiteral("仅显示目标列表没有的商品")));
    row->addStretch();
    setFilterBar(bar);

    model()->setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("价格")});
    list()->setCheckBoxes(false);
    addTotalsLine(QStringLiteral("_PanelSource_Total_Price"), QStringLiteral(" 当前显示共 0 项"));
}

StockListPage::StockListPage(QWidget *parent)
    : ListPage(QStringLiteral("TabSheet3"), QStringLiteral("_RzListViewStock"), nullptr, parent)
{
    QHBoxLayout *row = nullptr;
    QWidget *bar = importBar(QStringLiteral("_PanelStockTop"), &row);
    row->addWidget(button(bar, QStringLiteral("_ImportStock"), QStringLiteral("导入商品库存列表...")));
    row->addWidget(checkBox(bar, QStringLiteral("_appendStock"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(named(new QLineEdit(bar), QStringLiteral("_SourceKeywordStock")));
    row->addWidget(button(bar, QStringLiteral("_SourceStockSearch"), QStringLiteral("搜索")));
    row->addWidget(button(bar, QStringLiteral("RzBitBtn2"), QStringLiteral("合并重复行")));
    row->addStretch();
    setFilterBar(bar);

    model()->setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("颜色"),
                         QStringLiteral("SKU(尺码)"), QStringLiteral("SKU商家编码"), QStringLiteral("货号"),
                         QStringLiteral("数量")});
    list()->setCheckBoxes(false);
    addTotalsLine(QStringLiteral("_PanelSource_Total_Stock"), QStringLiteral(" 当前显示共 0 项"));
}
