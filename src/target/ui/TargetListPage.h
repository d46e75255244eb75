#pragma once

#include "app/ui/ListPage.h"

class QCheckBox;
class QLineEdit;

// The target list tab " 目标:店铺宝贝(我的店铺)": the filter bar
// `_PanelObjectTop`, the target list `_RzListViewTo` and its totals.
class TargetListPage : public ListPage
{
    Q_OBJECT
public:
    explicit TargetListPage(QWidget *parent = nullptr);

    QCheckBox *noShowOnly() const { return m_noShowOnly; }
    QLineEdit *keyword() const { return m_keyword; }

private:
    QWidget *buildFilterBar();

    QCheckBox *m_noShowOnly = nullptr;
    QLineEdit *m_keyword = nullptr;
};
