#pragma once

#include "app/ui/ListPage.h"

// The price list tab "自宝义商品价格列表": import bar, `_RzListViewPrice` and its totals.
class PriceListPage : public ListPage
{
    Q_OBJECT
public:
    explicit PriceListPage(QWidget *parent = nullptr);
};

// The stock list tab "自宝义商品库存列表": import bar, `_RzListViewStock` and its totals.
class StockListPage : public ListPage
{
    Q_OBJECT
public:
    explicit StockListPage(QWidget *parent = nullptr);
};
