#include "reports/ui/TargetBrowserWindow.h"

#include "app/Application.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "reports/TargetBrowser.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

using namespace ui;

TfrmTB_Object::TfrmTB_Object(Application &app, std::function<QString()> accounts, QWidget *parent)
    : QDialog(parent), m_app(app), m_accounts(std::move(accounts))
{
    setObjectName(QStringLiteral("TfrmTB_Object"));
    setWindowTitle(QStringLiteral("目标店铺(我的店铺)已下载数据"));
    resize(1000, 600);
    m_model = new ListModel(this);
    m_browser = new TargetBrowser(app.db(), *m_model, app.desktop(), this);
    // a fill that goes on after load() returned updates the totals bar at its end
    connect(m_model, &ListModel::fillFinished, this, [this] { m_total->setText(m_browser->totals()); });
    const TopEndpoints hosts = app.endpoints();
    m_browser->setItemPageAddress([hosts](const QString &id) { return hosts.itemPageOf(id); });

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *bar = named(new QToolBar(this), QStringLiteral("_ToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(QStringLiteral("关闭"), this, &QDialog::accept)->setObjectName(QStringLiteral("_Close"));
    bar->addAction(QStringLiteral("刷新"), this, &TfrmTB_Object::GetData_TB_Object)
        ->setObjectName(QStringLiteral("_Refresh"));
    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);
    auto *search = new QWidget(bar);
    auto *row = new QHBoxLayout(search);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(label(search, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(search), QStringLiteral("_ObjectKeyword"));
    m_keyword->setMinimumWidth(160);
    row->addWidget(m_keyword);
    QPushButton *go = button(search, QStringLiteral("_Search"), QStringLiteral("搜索"));
    row->addWidget(go);
    m_rows200 = checkBox(search, QStringLiteral("_chkrows200"), QStringLiteral("只显示前200行"), true);
    row->addWidget(m_rows200);
    m_chkSearch = checkBox(search, QStringLiteral("chkSearch"), QStringLiteral("仅搜索"));
    row->addWidget(m_chkSearch);
    m_fields = named(new QComboBox(search), QStringLiteral("_fields"));
    m_fields->addItems(TargetBrowser::fieldCaptions());
    m_fields->setCurrentIndex(TargetBrowser::kDefaultField);
    m_fields->setEnabled(false);
    row->addWidget(m_fields);
    bar->addWidget(search);
    column->addWidget(bar);

    m_list = named(new ListView(this), QStringLiteral("_RzListViewTo"));
    m_list->setListModel(m_model);
    m_list->setCheckBoxes(true);
    m_list->setImages(ListView::smallImages());
    column->addWidget(m_list, 1);
    m_total = label(this, QStringLiteral(" 当前显示共 0 项"), QStringLiteral("_PanelObject_Total"));
    column->addWidget(m_total);

    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenu"));
    m_popup->addAction(QStringLiteral("全选"), this, &TfrmTB_Object::N1Click)->setObjectName(QStringLiteral("N1"));
    QMenu *copy = m_popup->addMenu(QStringLiteral("复制文本"));
    copy->setObjectName(QStringLiteral("N6"));
    const struct
    {
        const char *name;
        const char *caption;
        int cell;
    } copies[] = {
        {"N7", "复制宝贝名称", TargetBrowser::Title},      {"N8", "复制主商家编码", TargetBrowser::OuterId},
        {"N9", "复制颜色", TargetBrowser::Color},          {"SKU3", "复制SKU(尺码)", TargetBrowser::Sku},
        {"SKU1", "复制数量", TargetBrowser::Num},          {"N11", "复制价格", TargetBrowser::Price},
        {"SKU4", "复制SKU商家编码", TargetBrowser::OuterIdSku}, {"ID1", "复制商品数字ID", TargetBrowser::NumIid},
        {"SKUID1", "复制SKUID", TargetBrowser::SkuId},     {"N78", "复制货号", TargetBrowser::Oldcode},
        {"N57", "复制URL链接", -1},
    };
    for (const auto &c : copies) {
        QAction *a = copy->addAction(QString::fromUtf8(c.caption), this, &TfrmTB_Object::CopyClick);
        a->setObjectName(QString::fromLatin1(c.name));
        a->setProperty("Tag", c.cell);
    }
    m_popup->addAction(QStringLiteral("打开所选项网页地址"), this, &TfrmTB_Object::N31Click)
        ->setObjectName(QStringLiteral("N31"));
    m_list->setPopupMenu(m_popup);

    connect(go, &QPushButton::clicked, this, &TfrmTB_Object::GetData_TB_Object);
    connect(m_keyword, &QLineEdit::returnPressed, this, &TfrmTB_Object::GetData_TB_Object);
    connect(m_rows200, &QCheckBox::toggled, this, &TfrmTB_Object::GetData_TB_Object);
    connect(m_chkSearch, &QCheckBox::clicked, this, &TfrmTB_Object::chkSearchClick);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TfrmTB_Object::GetData_TB_Object);
}

TfrmTB_Object::~TfrmTB_Object() = default;

void TfrmTB_Object::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Intervals::arm(m_timer, 200, true);
}

void TfrmTB_Object::GetData_TB_Object()
{
    if (m_loading)
        return;
    m_loading = true;
    m_total->setText(QStringLiteral("读取数据中..."));
    TargetBrowser::Search s;
    s.keyword = m_keyword->text();
    s.fieldOnly = m_chkSearch->isChecked();
    s.field = m_fields->currentIndex();
    s.first200 = m_rows200->isChecked();
    if (!m_browser->load(m_accounts ? m_accounts() : m_app.currentAccount(), s))
        m_app.ui().message(Interaction::errorCaption(), m_browser->error(), Interaction::Icon::Error);
    if (!m_model->filling())
        m_total->setText(m_browser->totals());
    m_loading = false;
}

void TfrmTB_Object::chkSearchClick()
{
    m_fields->setEnabled(m_chkSearch->isChecked());
}

void TfrmTB_Object::N1Click()
{
    m_list->selectAll();
}

void TfrmTB_Object::CopyClick()
{
    auto *action = qobject_cast<QAction *>(sender());
    const int cell = action ? action->property("Tag").toInt() : 0;
    if (cell < 0)
        m_browser->copyItemPages(m_list->selectedModelRows());
    else
        m_browser->copyCell(m_list->selectedModelRows(), cell);
}

void TfrmTB_Object::N31Click()
{
    m_browser->openItemPage(m_list->selectedModelRows());
}
