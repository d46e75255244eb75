#include "target/ui/TargetListPage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"
#include "source/SourceList.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace ui;

TargetListPage::TargetListPage(QWidget *parent)
    : ListPage(QStringLiteral("TabSheetObject"), QStringLiteral("_RzListViewTo"), nullptr, parent)
{
    setFilterBar(buildFilterBar());
    model()->setHeaders({QStringLiteral("淘宝会员号"), QStringLiteral("宝贝名称"), QStringLiteral("主商家编码"),
                         QStringLiteral("颜色"), QStringLiteral("SKU(尺码)"), QStringLiteral("数量"),
                         QStringLiteral("源数量"), QStringLiteral("价格"), QStringLiteral("源价格"),
                         QStringLiteral("SKU商家编码"), QStringLiteral("商品数字ID"), QStringLiteral("SKUID"),
                         QStringLiteral("状态"), QStringLiteral("SKU属性值"), QStringLiteral("货号"), QString()});
    ListView *view = list();
    view->setCheckBoxes(true);
    view->setColumnWidth(1, 260);
    // columns kept narrow as in the original layout: item id, SKU id, SKU properties, the blank one
    view->setColumnWidth(10, 1);
    view->setColumnWidth(11, 1);
    view->setColumnWidth(13, 0);
    view->setColumnWidth(15, 0);
    addTotalsLine(QStringLiteral("_PanelObject_Total"), QStringLiteral(" 当前显示共 0 项"));
}

QWidget *TargetListPage::buildFilterBar()
{
    auto *options = named(new QWidget, QStringLiteral("_PanelObjectTop"));
    auto *grid = new QVBoxLayout(options);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    auto *filters = new QButtonGroup(options);
    auto *row1 = new QHBoxLayout;
    const struct
    {
        const char *name;
        const char *caption;
    } first[] = {{"_chkstock1", "显示所有"},
                 {"_chkstock2", "仅显示有库存差异的宝贝"},
                 {"_chkstock3", "仅显示无库存差异宝贝"},
                 {"_chkstock4", "源已下架的宝贝"},
                 {"_chkstock5", "源未下架目标已下架的宝贝"},
                 {"_chkbig", "仅显示源价格大于目标价格"},
                 {"_chksmall", "仅显示源价格小于目标价格"}};
    for (const auto &r : first) {
        QRadioButton *b = radio(options, filters, QString::fromLatin1(r.name), QString::fromUtf8(r.caption));
        b->setChecked(QLatin1String(r.name) == QLatin1String("_chkstock2"));
        row1->addWidget(b);
    }
    row1->addStretch();
    grid->addLayout(row1);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(radio(options, filters, QStringLiteral("_chkUsePrice"), QStringLiteral("使用自定义商品价格列表")));
    QCheckBox *onlyDiff = checkBox(options, QStringLiteral("_chkShowPrice"), QStringLiteral("只显示差异"), true);
    onlyDiff->setEnabled(false);
    row2->addWidget(onlyDiff);
    row2->addWidget(radio(options, filters, QStringLiteral("_chkUseStock"), QStringLiteral("使用自定义商品库存列表")));
    m_noShowOnly = checkBox(options, QStringLiteral("_NoShowOnly"), QStringLiteral("不显示不是唯一关联值的宝贝"));
    row2->addWidget(m_noShowOnly);
    row2->addSpacing(12);
    row2->addWidget(label(options, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(options), QStringLiteral("_ObjectKeyword"));
    m_keyword->setMaximumWidth(180);
    row2->addWidget(m_keyword);
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
    QLabel *note = label(options,
                         QStringLiteral("提示:只有当对方的店铺与自己的店铺宝贝关联值一致时,才会显示在目标“店铺宝贝("
                                        "我的店铺)”的列表中,请维护好两边店铺的宝贝关联值。"),
                         QStringLiteral("_lblObjectNote"));
    note->setStyleSheet(QStringLiteral("color: rgb(168, 4, 4);"));
    grid->addWidget(note);
    return options;
}
