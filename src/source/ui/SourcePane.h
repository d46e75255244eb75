#pragma once

#include <QSqlDatabase>
#include <QWidget>
#include <functional>
#include <vector>

class Application;
class JobHost;
class ListModel;
class ListPage;
class ListView;
class PriceListPage;
class PriceStockTabs;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTabWidget;
class QToolButton;
class SourceDownloadJob;
class SourceList;
class StockListPage;
struct ShowSettings;

// The source pane `_PanelSource`: the page control `_SourcePage` with the
// source list, the price list and the stock list, the totals bar under it,
// the filter bar and the source list's popup menu. Its handlers forward to
// SourceList and SourceDownloadJob.
class SourcePane : public QWidget
{
    Q_OBJECT
public:
    SourcePane(Application &app, QWidget *parent = nullptr);

    // The commands of the window that the pane changes: the expand button
    // and menu item, and the refresh button.
    void setCommandControls(QToolButton *showSourcePage, QAction *menuShowSourcePage, QToolButton *refresh);
    // The shown matching key (`_Uniqid` of the target pane).
    void setMatchingKey(std::function<int()> key) { m_matchingKey = std::move(key); }

    QMenu *popupMenu() const { return m_popup; }
    // The price and stock tabs' commands and their popup `_PopupMenuSourcePrice`.
    PriceStockTabs *priceStockTabs() const { return m_priceStock; }
    QMenu *pricePopupMenu() const { return m_pricePopup; }
    QTabWidget *sourcePage() const { return m_sourcePage; }
    ListView *sourceList() const;
    ListModel *sourceModel() const;
    bool listShown() const;

    // At the window's first show, and its first load.
    void applyShowSettings(const ShowSettings &show);
    void firstLoad();

public Q_SLOTS:
    void ShowSourcePageClick();
    void FromDownloadClick();
    // "配置源下载源(对方店铺)": the item-list dialog on the source list.
    void SourceConfigClick();
    void Cancel1Click();
    void RefreshData_SourceClick();
    void SourceSearchClick();
    void chkouterid2Click();
    void chkEasyClick();
    void N1Click();
    void N3Click();
    void N7Click();
    void N13Click();
    void N31Click();
    void N57Click();
    void N70Click();

    void GetData_TB_Source(const QString &keyword);
    void GetTotal_Source();

Q_SIGNALS:
    // The target list is to be reloaded (after a cancel or a download).
    void targetReloadWanted();

private:
    QWidget *buildFilterBar();
    void applyLook(bool expanded);
    void readFilter();
    std::vector<int> selectedRows() const;

    QSqlDatabase m_db;
    JobHost &m_jobs;
    SourceList &m_logic;
    SourceDownloadJob &m_download;
    Application &m_app;
    std::function<int()> m_matchingKey;

    QTabWidget *m_sourcePage = nullptr;
    ListPage *m_listPage = nullptr;
    PriceListPage *m_pricePage = nullptr;
    StockListPage *m_stockPage = nullptr;
    PriceStockTabs *m_priceStock = nullptr;
    QWidget *m_filterBar = nullptr;
    QRadioButton *m_codeFilter[4] = {};
    QLineEdit *m_keyword = nullptr;
    QCheckBox *m_exactSearch = nullptr;
    QComboBox *m_fields = nullptr;
    QCheckBox *m_chkEasy = nullptr;
    QFrame *m_totalsBar = nullptr;
    QLabel *m_totals = nullptr;
    QLabel *m_lblSourceUpdate = nullptr;
    QMenu *m_popup = nullptr;
    QMenu *m_pricePopup = nullptr;

    QToolButton *m_showButton = nullptr;
    QAction *m_showAction = nullptr;
    QToolButton *m_refreshButton = nullptr;
};
