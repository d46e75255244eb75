#include "target/ui/TargetListPage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"
#include "sync/DifferenceRows.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

using namespace ui;

TargetListPage::TargetListPage(ListModel *model, QWidget *parent)
    : ListPage(QStringLiteral("TabSheetObject"), QStringLiteral("_RzListViewTo"), model, parent)
{
    setFilterBar(buildFilterBar());
    if (this->model()->headers().isEmpty())
        this->model()->setHeaders(DifferenceHeaders());
    ListView *view = list();
    view->setCheckBoxes(true);
    view->setImages(ListView::smallImages());
    view->setColumnWidth(0, 110);
    view->setColumnWidth(1, 260);
    // columns kept narrow as in the original layout: item id, SKU id, SKU properties, the blank one
    view->setColumnWidth(10, 1);
    view->setColumnWidth(11, 1);
    view->setColumnWidth(13, 0);
    view->setColumnWidth(15, 0);
    QLabel *totals = addTotalsLine(QStringLiteral("_PanelObject_Total"), QStringLiteral(" 当前显示共 0 项"));
    totals->setMinimumWidth(420);
    m_update = label(totals->parentWidget(), QStringLiteral("目标店铺更新时间:"), QStringLiteral("_lblObjectUpdate"));
    static_cast<QHBoxLayout *>(totals->parentWidget()->layout())->addWidget(m_update);
}

ViewFilter TargetListPage::view() const
{
    for (int i = 0; i < ViewFilterCount; ++i)
        if (m_views.at(static_cast<size_t>(i))->isChecked())
            return static_cast<ViewFilter>(i);
    return ViewFilter::Differ;
}

QWidget *TargetListPage::buildFilterBar()
{
    auto *top = named(new QWidget, QStringLiteral("_PanelObjectTop"));
    auto *topColumn = new QVBoxLayout(top);
    topColumn->setContentsMargins(0, 0, 0, 0);
    topColumn->setSpacing(0);
    m_optionBar = named(new QFrame(top), QStringLiteral("_PanelObjectBar"));
    topColumn->addWidget(m_optionBar);
    QWidget *options = m_optionBar;
    auto *grid = new QVBoxLayout(options);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setSpacing(2);
    auto *filters = new QButtonGroup(options);
    auto add = [&](ViewFilter v, const char *name) {
        QRadioButton *b = radio(options, filters, QString::fromLatin1(name), ViewFilterCaption(v, UploadMode::Full));
        m_views.at(static_cast<size_t>(v)) = b;
        return b;
    };
    auto *row1 = new QHBoxLayout;
    row1->addWidget(add(ViewFilter::All, "_chkstock1"));
    row1->addWidget(add(ViewFilter::Differ, "_chkstock2"));
    row1->addWidget(add(ViewFilter::Same, "_chkstock3"));
    row1->addWidget(add(ViewFilter::SourceOff, "_chkstock4"));
    row1->addWidget(add(ViewFilter::SourceOn, "_chkstock5"));
    row1->addWidget(add(ViewFilter::PriceUp, "_chkbig"));
    row1->addWidget(add(ViewFilter::PriceDown, "_chksmall"));
    row1->addStretch();
    grid->addLayout(row1);
    viewButton(ViewFilter::Differ)->setChecked(true);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(add(ViewFilter::PriceList, "_chkUsePrice"));
    m_showPrice = checkBox(options, QStringLiteral("_chkShowPrice"), QStringLiteral("只显示差异"), true);
    m_showPrice->setEnabled(false);
    row2->addWidget(m_showPrice);
    row2->addWidget(add(ViewFilter::StockList, "_chkUseStock"));
    m_noShowOnly = checkBox(options, QStringLiteral("_NoShowOnly"), QStringLiteral("不显示不是唯一关联值的宝贝"));
    row2->addWidget(m_noShowOnly);
    row2->addSpacing(12);
    row2->addWidget(label(options, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(options), QStringLiteral("_ObjectKeyword"));
    m_keyword->setMaximumWidth(180);
    row2->addWidget(m_keyword);
    m_search = button(options, QStringLiteral("_ObjectSearch"), QStringLiteral("搜索"));
    row2->addWidget(m_search);
    m_exactSearch = checkBox(options, QStringLiteral("chksearch1"), QStringLiteral("仅搜索"));
    row2->addWidget(m_exactSearch);
    m_fields = named(new QComboBox(options), QStringLiteral("_fields1"));
    m_fields->addItems(DifferenceSearchFields());
    m_fields->setCurrentIndex(6);
    m_fields->setEnabled(false);
    connect(m_exactSearch, &QCheckBox::toggled, m_fields, &QWidget::setEnabled);
    row2->addWidget(m_fields);
    row2->addSpacing(12);
    m_unmatched = button(options, QStringLiteral("_Unmatched"), QStringLiteral("未配对..."));
    m_unmatched->setToolTip(QStringLiteral("查看目标与源中关联值没有配对的宝贝 (这些宝贝不会同步)"));
    row2->addWidget(m_unmatched);
    row2->addStretch();
    grid->addLayout(row2);
    QLabel *note = label(options,
                         QStringLiteral("提示:只有当对方的店铺与自己的店铺宝贝关联值一致时,才会显示在目标“店铺宝贝("
                                        "我的店铺)”的列表中,请维护好两边店铺的宝贝关联值。"),
                         QStringLiteral("_lblObjectNote"));
    note->setStyleSheet(QStringLiteral("color: rgb(168, 4, 4);"));
    grid->addWidget(note);
    return top;
}
