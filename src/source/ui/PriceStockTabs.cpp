#include "source/ui/PriceStockTabs.h"
#include "app/Application.h"
#include "app/ui/ListView.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "source/PriceStockLists.h"
#include "source/ui/PriceStockPages.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

PriceStockTabs::PriceStockTabs(Application &app, QTabWidget *sourcePage, QObject *parent)
    : QObject(parent), m_sourcePage(sourcePage),
      m_lists(new PriceStockLists(app.db(), app.jobs(), app.ui(), app.desktop(), this))
{
    setObjectName(QStringLiteral("PriceStockTabs"));
    m_pricePage = new PriceListPage(&m_lists->model(PriceStockLists::Price));
    m_stockPage = new StockListPage(&m_lists->model(PriceStockLists::Stock));
    m_lists->setAccount([&app] { return app.currentAccount(); });

    connect(m_lists, &PriceStockLists::totalsChanged, this, [this](int kind, const QString &text) {
        (kind == PriceStockLists::Price ? m_pricePage : static_cast<ListPage *>(m_stockPage))
            ->totalsLabel()
            ->setText(text);
    });
    connect(m_pricePage->importButton(), &QPushButton::clicked, this, &PriceStockTabs::Import_PriceClick);
    connect(m_pricePage->searchButton(), &QPushButton::clicked, this, &PriceStockTabs::SourcePriceSearchClick);
    // Enter in the price keyword box clicks the search button
    connect(m_pricePage->keyword(), &QLineEdit::returnPressed, this, &PriceStockTabs::SourcePriceSearchClick);
    connect(m_pricePage->onlyMissingBox(), &QCheckBox::clicked, this, &PriceStockTabs::_chkShowPriceListClick);
    connect(m_stockPage->importButton(), &QPushButton::clicked, this, &PriceStockTabs::ImportStockClick);
    connect(m_stockPage->searchButton(), &QPushButton::clicked, this, &PriceStockTabs::SourceStockSearchClick);
    connect(m_stockPage->mergeButton(), &QPushButton::clicked, this, &PriceStockTabs::RzBitBtn2Click);
    connect(m_sourcePage, &QTabWidget::currentChanged, this, &PriceStockTabs::SourcePageChange);
}

PriceStockTabs::~PriceStockTabs() = default;

void PriceStockTabs::bindPopup(const std::function<QAction *(const char *)> &action)
{
    for (const char *n : {"NPrice01", "NPrice02", "NEditPrice01", "NEditPrice02", "NPriceDelete", "_ClearPrice"})
        m_priceItems.push_back(action(n));
    for (const char *n : {"NStock01", "NStock02", "NStock03", "NStock04", "NStock05", "NStock06", "NEditStock01",
                          "NEditStock02", "NEditStock03", "NEditStock04", "NEditStock06", "NEditStock05",
                          "NStockDelete", "_ClearStock"})
        m_stockItems.push_back(action(n));
    SourcePageChange(m_sourcePage->currentIndex());
}

void PriceStockTabs::SourcePageChange(int index)
{
    if (index != PriceTab && index != StockTab)
        return;
    for (QAction *a : m_priceItems)
        a->setVisible(index == PriceTab);
    for (QAction *a : m_stockItems)
        a->setVisible(index == StockTab);
    if (index == PriceTab)
        GetData_TB_Source_Price(QString());
    else
        GetData_TB_Source_Stock(QString());
}

void PriceStockTabs::GetData_TB_Source_Price(const QString &keyword)
{
    m_lists->setOnlyMissingFromTarget(m_pricePage->onlyMissingBox()->isChecked());
    m_lists->list(PriceStockLists::Price, keyword);
}

void PriceStockTabs::GetData_TB_Source_Stock(const QString &keyword)
{
    m_lists->list(PriceStockLists::Stock, keyword);
}

int PriceStockTabs::tagOfSender() const
{
    auto *a = qobject_cast<QAction *>(sender());
    return a ? a->property("Tag").toInt() : 0;
}

std::vector<int> PriceStockTabs::selected(bool price) const
{
    return (price ? m_pricePage->list() : m_stockPage->list())->selectedModelRows();
}

int PriceStockTabs::firstSelected(bool price) const
{
    const std::vector<int> rows = selected(price);
    return rows.empty() ? -1 : rows.front();
}

void PriceStockTabs::Import_PriceClick()
{
    m_lists->setOnlyMissingFromTarget(m_pricePage->onlyMissingBox()->isChecked());
    m_lists->importClick(PriceStockLists::Price, m_pricePage->appendBox()->isChecked());
}

void PriceStockTabs::SourcePriceSearchClick()
{
    GetData_TB_Source_Price(TrimText(m_pricePage->keyword()->text()));
}

void PriceStockTabs::_chkShowPriceListClick()
{
    GetData_TB_Source_Price(QString());
}

void PriceStockTabs::ImportStockClick()
{
    m_lists->importClick(PriceStockLists::Stock, m_stockPage->appendBox()->isChecked());
}

void PriceStockTabs::SourceStockSearchClick()
{
    GetData_TB_Source_Stock(m_stockPage->keyword()->text());
}

void PriceStockTabs::RzBitBtn2Click()
{
    m_lists->mergeClick(m_stockPage->keyword()->text());
}

void PriceStockTabs::A1Click()
{
    if (m_sourcePage->currentIndex() == PriceTab)
        m_pricePage->list()->selectAll();
    else if (m_sourcePage->currentIndex() == StockTab)
        m_stockPage->list()->selectAll();
}

void PriceStockTabs::NPrice01Click()
{
    m_lists->copy(PriceStockLists::Price, selected(true), tagOfSender());
}

void PriceStockTabs::NStock02Click()
{
    m_lists->copy(PriceStockLists::Stock, selected(false), tagOfSender());
}

void PriceStockTabs::NEditPrice01Click()
{
    m_lists->editCell(PriceStockLists::Price, firstSelected(true), 0);
}

void PriceStockTabs::NEditPrice02Click()
{
    m_lists->editCell(PriceStockLists::Price, firstSelected(true), 1);
}

void PriceStockTabs::NEditStock01Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 0);
}

void PriceStockTabs::NEditStock02Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 1);
}

void PriceStockTabs::NEditStock03Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 2);
}

void PriceStockTabs::NEditStock04Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 3);
}

void PriceStockTabs::NEditStock05Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 5);
}

void PriceStockTabs::NEditStock06Click()
{
    m_lists->editCell(PriceStockLists::Stock, firstSelected(false), 4);
}

void PriceStockTabs::NPriceDeleteClick()
{
    if (selected(true).empty())
        m_pricePage->list()->setFocus();
    m_lists->deleteRows(PriceStockLists::Price, selected(true));
}

void PriceStockTabs::NStockDeleteClick()
{
    if (selected(false).empty())
        m_stockPage->list()->setFocus();
    m_lists->deleteRows(PriceStockLists::Stock, selected(false));
}

void PriceStockTabs::ClearPriceClick()
{
    m_lists->setOnlyMissingFromTarget(m_pricePage->onlyMissingBox()->isChecked());
    m_lists->clearClick(PriceStockLists::Price, m_pricePage->keyword()->text());
}

void PriceStockTabs::ClearStockClick()
{
    m_lists->clearClick(PriceStockLists::Stock, m_stockPage->keyword()->text());
}

void PriceStockTabs::F1Click()
{
    if (m_sourcePage->currentIndex() == PriceTab)
        GetData_TB_Source_Price(QString());
    else if (m_sourcePage->currentIndex() == StockTab)
        GetData_TB_Source_Stock(QString());
}
