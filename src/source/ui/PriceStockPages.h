#pragma once

#include "app/ui/ListPage.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

// The price list tab "自宝义商品价格列表": import bar, `_RzListViewPrice` and its totals.
class PriceListPage : public ListPage
{
    Q_OBJECT
public:
    explicit PriceListPage(ListModel *model, QWidget *parent = nullptr);

    QPushButton *importButton() const { return m_import; }
    QCheckBox *appendBox() const { return m_append; }
    QLineEdit *keyword() const { return m_keyword; }
    QPushButton *searchButton() const { return m_search; }
    QCheckBox *onlyMissingBox() const { return m_onlyMissing; }

private:
    QPushButton *m_import = nullptr;
    QCheckBox *m_append = nullptr;
    QLineEdit *m_keyword = nullptr;
    QPushButton *m_search = nullptr;
    QCheckBox *m_onlyMissing = nullptr;
};

// The stock list tab "自宝义商品库存列表": import bar, `_RzListViewStock` and its totals.
class StockListPage : public ListPage
{
    Q_OBJECT
public:
    explicit StockListPage(ListModel *model, QWidget *parent = nullptr);

    QPushButton *importButton() const { return m_import; }
    QCheckBox *appendBox() const { return m_append; }
    QLineEdit *keyword() const { return m_keyword; }
    QPushButton *searchButton() const { return m_search; }
    QPushButton *mergeButton() const { return m_merge; }

private:
    QPushButton *m_import = nullptr;
    QCheckBox *m_append = nullptr;
    QLineEdit *m_keyword = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_merge = nullptr;
};
