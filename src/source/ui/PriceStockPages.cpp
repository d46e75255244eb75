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

PriceListPage::PriceListPage(ListModel *model, QWidget *parent)
    : ListPage(QStringLiteral("TabSheet2"), QStringLiteral("_RzListViewPrice"), model, parent)
{
    QHBoxLayout *row = nullptr;
    QWidget *bar = importBar(QStringLiteral("_PanelPriceTop"), &row);
    row->addWidget(m_import = button(bar, QStringLiteral("_Import_Price"), QStringLiteral("导入商品价格列表...")));
    row->addWidget(m_append = checkBox(bar, QStringLiteral("_chkAppend"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(m_keyword = named(new QLineEdit(bar), QStringLiteral("_SourceKeywordPrice")));
    m_keyword->setMaximumWidth(180);
    row->addWidget(m_search = button(bar, QStringLiteral("_SourcePriceSearch"), QStringLiteral("搜索")));
    row->addWidget(m_onlyMissing =
                       checkBox(bar, QStringLiteral("_chkShowPriceList"), QStringLiteral("仅显示目标列表没有的商品")));
    row->addStretch();
    setFilterBar(bar);

    list()->setCheckBoxes(false);
    list()->setColumnWidth(1, 220);
    addTotalsLine(QStringLiteral("_PanelSource_Total_Price"), QStringLiteral(" 当前显示共 0 项"));
}

StockListPage::StockListPage(ListModel *model, QWidget *parent)
    : ListPage(QStringLiteral("TabSheet3"), QStringLiteral("_RzListViewStock"), model, parent)
{
    QHBoxLayout *row = nullptr;
    QWidget *bar = importBar(QStringLiteral("_PanelStockTop"), &row);
    row->addWidget(m_import = button(bar, QStringLiteral("_ImportStock"), QStringLiteral("导入商品库存列表...")));
    row->addWidget(m_append = checkBox(bar, QStringLiteral("_appendStock"), QStringLiteral("追加模式")));
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    row->addWidget(m_keyword = named(new QLineEdit(bar), QStringLiteral("_SourceKeywordStock")));
    m_keyword->setMaximumWidth(180);
    row->addWidget(m_search = button(bar, QStringLiteral("_SourceStockSearch"), QStringLiteral("搜索")));
    row->addWidget(m_merge = button(bar, QStringLiteral("RzBitBtn2"), QStringLiteral("合并重复行")));
    row->addStretch();
    setFilterBar(bar);

    list()->setCheckBoxes(false);
    list()->setColumnWidth(1, 160);
    addTotalsLine(QStringLiteral("_PanelSource_Total_Stock"), QStringLiteral(" 当前显示共 0 项"));
}
