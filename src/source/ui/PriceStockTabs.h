#pragma once

#include <QObject>
#include <functional>
#include <vector>

class Application;
class PriceListPage;
class PriceStockLists;
class QAction;
class QTabWidget;
class StockListPage;

// The commands of the price and stock tabs of `_SourcePage`: the buttons and
// boxes on the tabs and the items of their popup `_PopupMenuSourcePrice`,
// which shows the price items on the price tab and the stock items on the
// stock tab. The handlers forward to PriceStockLists.
class PriceStockTabs : public QObject
{
    Q_OBJECT
public:
    enum TabIndex { SourceTab = 0, PriceTab = 1, StockTab = 2 };

    PriceStockTabs(Application &app, QTabWidget *sourcePage, QObject *parent = nullptr);
    ~PriceStockTabs() override;

    PriceListPage *pricePage() const { return m_pricePage; }
    StockListPage *stockPage() const { return m_stockPage; }
    PriceStockLists &lists() const { return *m_lists; }

    // The popup's items, found by their names in the command table.
    void bindPopup(const std::function<QAction *(const char *)> &action);

public Q_SLOTS:
    void SourcePageChange(int index);
    void Import_PriceClick();
    void SourcePriceSearchClick();
    void _chkShowPriceListClick();
    void ImportStockClick();
    void SourceStockSearchClick();
    void RzBitBtn2Click();
    void A1Click();
    void NPrice01Click();
    void NStock02Click();
    void NEditPrice01Click();
    void NEditPrice02Click();
    void NEditStock01Click();
    void NEditStock02Click();
    void NEditStock03Click();
    void NEditStock04Click();
    void NEditStock05Click();
    void NEditStock06Click();
    void NPriceDeleteClick();
    void NStockDeleteClick();
    void ClearPriceClick();
    void ClearStockClick();
    void F1Click();

    void GetData_TB_Source_Price(const QString &keyword);
    void GetData_TB_Source_Stock(const QString &keyword);

private:
    int tagOfSender() const;
    int firstSelected(bool price) const;
    std::vector<int> selected(bool price) const;

    QTabWidget *m_sourcePage;
    PriceStockLists *m_lists;
    PriceListPage *m_pricePage = nullptr;
    StockListPage *m_stockPage = nullptr;
    std::vector<QAction *> m_priceItems;
    std::vector<QAction *> m_stockItems;
};
