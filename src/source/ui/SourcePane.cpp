#include "source/ui/SourcePane.h"
#include "app/Application.h"
#include "app/MainWindowState.h"
#include "app/ui/ListPage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "jobs/RequestJob.h"
#include "lists/ui/FromDownload.h"
#include "source/SourceDownload.h"
#include "source/SourceList.h"
#include "source/ui/PriceStockPages.h"
#include "source/ui/PriceStockTabs.h"
#include "store/Settings.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace ui;


SourcePane::SourcePane(Application &app, QWidget *parent)
    : QWidget(parent), m_db(app.db()), m_jobs(app.jobs()), m_logic(app.sourceList()),
      m_download(app.sourceDownload()), m_app(app)
{
    setObjectName(QStringLiteral("_PanelSource"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(2, 2, 2, 0);
    column->setSpacing(0);

    m_listPage = new ListPage(QStringLiteral("TabSheet1"), QStringLiteral("_RzListView"), &app.sourceModel());
    m_listPage->model()->setHeaders(SourceList::headers());
    m_listPage->list()->setCheckBoxes(false);
    m_listPage->list()->setColumnWidth(0, 260);
    m_filterBar = buildFilterBar();
    m_listPage->setFilterBar(m_filterBar);
    m_sourcePage = named(new QTabWidget(this), QStringLiteral("_SourcePage"));
    m_priceStock = new PriceStockTabs(app, m_sourcePage, this);
    m_pricePage = m_priceStock->pricePage();
    m_stockPage = m_priceStock->stockPage();

    m_sourcePage->addTab(m_listPage, QStringLiteral(" 源:宝贝列表(对方的店铺)"));
    m_sourcePage->addTab(m_pricePage, QStringLiteral("自宝义商品价格列表"));
    m_sourcePage->addTab(m_stockPage, QStringLiteral("自宝义商品库存列表"));
    column->addWidget(m_sourcePage, 1);

    m_totalsBar = TotalsBar(this, QStringLiteral("_PanelSource_Total"), QStringLiteral("更新时间:"),
                            &m_lblSourceUpdate, QStringLiteral("_lblSourceUpdate"));
    m_totals = label(m_totalsBar, QString(), QStringLiteral("_PanelSource_Total_Caption"));
    static_cast<QHBoxLayout *>(m_totalsBar->layout())->insertWidget(0, m_totals);
    column->addWidget(m_totalsBar);

    // the list starts hidden with its filter bar; the View command shows both
    m_listPage->list()->setHidden(true);
    m_filterBar->setHidden(true);

    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenuSource"));
    m_pricePopup = named(new QMenu(this), QStringLiteral("_PopupMenuSourcePrice"));
    m_listPage->list()->setPopupMenu(m_popup);
    m_pricePage->list()->setPopupMenu(m_pricePopup);
    m_stockPage->list()->setPopupMenu(m_pricePopup);

    connect(&m_logic, &SourceList::totalsChanged, m_totals, &QLabel::setText);
    connect(&m_logic, &SourceList::updateLabelChanged, m_lblSourceUpdate, &QLabel::setText);
    m_download.setReloadLists([this] {
        if (listShown())
            GetData_TB_Source(QString());
        else
            GetTotal_Source();
        Q_EMIT targetReloadWanted();
    });
}

QWidget *SourcePane::buildFilterBar()
{
    auto *bar = named(new QWidget, QStringLiteral("_SourcePanelTop"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    auto *group = new QButtonGroup(bar);
    const char *names[] = {"_chkouterid1", "_chkouterid2", "_chkouterid3", "_chkouterid4"};
    const char *captions[] = {"显示所有", "仅有商家编码宝贝", "仅无商家编码宝贝", "仅目标店铺没有的宝贝"};
    for (int i = 0; i < 4; ++i) {
        m_codeFilter[i] = radio(bar, group, QString::fromLatin1(names[i]), QString::fromUtf8(captions[i]));
        connect(m_codeFilter[i], &QRadioButton::clicked, this, &SourcePane::chkouterid2Click);
        row->addWidget(m_codeFilter[i]);
    }
    m_codeFilter[1]->setChecked(true);
    row->addSpacing(12);
    row->addWidget(label(bar, QStringLiteral("关键字:")));
    m_keyword = named(new QLineEdit(bar), QStringLiteral("_SourceKeyword"));
    m_keyword->setMaximumWidth(180);
    connect(m_keyword, &QLineEdit::returnPressed, this, &SourcePane::SourceSearchClick);
    row->addWidget(m_keyword);
    QPushButton *search = button(bar, QStringLiteral("_SourceSearch"), QStringLiteral("搜索"));
    connect(search, &QPushButton::clicked, this, &SourcePane::SourceSearchClick);
    row->addWidget(search);
    m_exactSearch = checkBox(bar, QStringLiteral("chkSearch"), QStringLiteral("仅搜索"));
    row->addWidget(m_exactSearch);
    m_fields = named(new QComboBox(bar), QStringLiteral("_fields"));
    m_fields->addItems(SourceList::searchFields());
    m_fields->setCurrentIndex(6);
    m_fields->setEnabled(false);
    connect(m_exactSearch, &QCheckBox::toggled, m_fields, &QWidget::setEnabled);
    row->addWidget(m_fields);
    m_chkEasy = checkBox(bar, QStringLiteral("_chkEasy"), QStringLiteral("简易SKU(尺码)"));
    connect(m_chkEasy, &QCheckBox::clicked, this, &SourcePane::chkEasyClick);
    row->addWidget(m_chkEasy);
    row->addStretch();
    return bar;
}

void SourcePane::setCommandControls(QToolButton *showSourcePage, QAction *menuShowSourcePage, QToolButton *refresh)
{
    m_showButton = showSourcePage;
    m_showAction = menuShowSourcePage;
    m_refreshButton = refresh;
    m_showButton->setProperty("ImageIndex", 9);
}

ListView *SourcePane::sourceList() const
{
    return m_listPage->list();
}

ListModel *SourcePane::sourceModel() const
{
    return m_listPage->model();
}

bool SourcePane::listShown() const
{
    return !sourceList()->isHidden();
}

void SourcePane::applyShowSettings(const ShowSettings &show)
{
    applyLook(false);
    m_sourcePage->setCurrentIndex(0);
    m_chkEasy->setChecked(show.easySku);
}

void SourcePane::firstLoad()
{
    if (listShown())
        GetData_TB_Source(QString());
    else
        m_logic.showUpdateTime();
    GetTotal_Source();
}

void SourcePane::applyLook(bool expanded)
{
    const SourcePaneLook look = SourcePaneLookFor(expanded, m_totalsBar->height());
    for (int i = 0; i < m_sourcePage->count(); ++i)
        m_sourcePage->setTabVisible(i, expanded);
    m_sourcePage->setHidden(!expanded);
    setFixedHeight(look.height);
    sourceList()->setHidden(!expanded);
    m_filterBar->setHidden(!expanded);
    if (m_showButton) {
        m_showButton->setText(look.caption);
        m_showButton->setProperty("ImageIndex", look.imageIndex);
    }
}

void SourcePane::ShowSourcePageClick()
{
    if (m_jobs.busy())
        return;
    m_jobs.clearCancel();
    const bool expand = !listShown();
    applyLook(expand);
    if (m_showAction)
        m_showAction->setText(SourcePaneLookFor(expand, 0).caption);
    if (expand)
        GetData_TB_Source(TrimText(m_keyword->text()));
    else
        GetTotal_Source();
    if (m_refreshButton)
        m_refreshButton->setEnabled(expand);
}

void SourcePane::readFilter()
{
    SourceListFilter &f = m_logic.filter();
    f.codeFilter = SourceListFilter::WithCode;
    for (int i = 0; i < 4; ++i)
        if (m_codeFilter[i]->isChecked())
            f.codeFilter = static_cast<SourceListFilter::CodeFilter>(i + 1);
    f.exactSearch = m_exactSearch->isChecked();
    f.field = m_fields->currentIndex();
    f.matchingKey = m_matchingKey ? m_matchingKey() : 0;
}

std::vector<int> SourcePane::selectedRows() const
{
    return sourceList()->selectedModelRows();
}

void SourcePane::GetData_TB_Source(const QString &keyword)
{
    readFilter();
    m_logic.GetData_TB_Source(keyword, listShown());
}

void SourcePane::GetTotal_Source()
{
    m_logic.GetTotal_Source();
}

void SourcePane::FromDownloadClick()
{
    m_download.FromDownloadClick();
}

void SourcePane::SourceConfigClick()
{
    if (m_jobs.busy())
        return;
    m_jobs.clearCancel();
    TfrmFromDownload::OpenModal(m_app, this, 0, QStringLiteral("配置源下载源(对方店铺)"));
    // the target list's source views read the source list's codes
    Q_EMIT targetReloadWanted();
}

void SourcePane::Cancel1Click()
{
    m_jobs.cancelSourceSide();
    if (listShown())
        GetData_TB_Source(QString());
    Q_EMIT targetReloadWanted();
}

void SourcePane::RefreshData_SourceClick()
{
    if (m_jobs.busy())
        return;
    m_jobs.clearCancel();
    GetData_TB_Source(QString());
}

void SourcePane::SourceSearchClick()
{
    GetData_TB_Source(TrimText(m_keyword->text()));
}

void SourcePane::chkouterid2Click()
{
    GetData_TB_Source(TrimText(m_keyword->text()));
}

void SourcePane::chkEasyClick()
{
    Settings(m_db).setFlag(Setting::EasySku, m_chkEasy->isChecked());
}

void SourcePane::N1Click()
{
    sourceList()->selectAll();
}

void SourcePane::N3Click()
{
    m_logic.deleteRows(selectedRows());
    if (selectedRows().empty())
        sourceList()->setFocus();
}

void SourcePane::N7Click()
{
    auto *action = qobject_cast<QAction *>(sender());
    m_logic.CopyText_Source(selectedRows(), action ? action->property("Tag").toInt() : -1);
}

void SourcePane::N13Click()
{
    m_logic.exportRows(selectedRows());
}

void SourcePane::N31Click()
{
    m_logic.openItemPage(selectedRows());
}

void SourcePane::N57Click()
{
    m_logic.copyItemPages(selectedRows());
}

void SourcePane::N70Click()
{
    m_logic.emptyAll();
}
