#pragma once

#include "app/ui/ListPage.h"
#include "sync/DifferenceOptions.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The target list tab " 目标:店铺宝贝(我的店铺)": the filter bar
// `_PanelObjectTop` with the options `_PanelObjectBar`, the target list
// `_RzListViewTo` over the difference query's rows, and the totals line with
// the update label.
class TargetListPage : public ListPage
{
    Q_OBJECT
public:
    explicit TargetListPage(ListModel *model, QWidget *parent = nullptr);

    // The radio button of a view filter.
    QRadioButton *viewButton(ViewFilter view) const { return m_views.at(static_cast<size_t>(view)); }
    // The view filter chosen.
    ViewFilter view() const;
    QCheckBox *showPrice() const { return m_showPrice; }
    QCheckBox *noShowOnly() const { return m_noShowOnly; }
    QLineEdit *keyword() const { return m_keyword; }
    QPushButton *searchButton() const { return m_search; }
    // "未配对..." opens the view of what pairs with nothing
    QPushButton *unmatchedButton() const { return m_unmatched; }
    QCheckBox *exactSearch() const { return m_exactSearch; }
    QComboBox *fields() const { return m_fields; }
    QWidget *optionBar() const { return m_optionBar; }
    QLabel *updateLabel() const { return m_update; }

private:
    QWidget *buildFilterBar();

    std::array<QRadioButton *, ViewFilterCount> m_views{};
    QCheckBox *m_showPrice = nullptr;
    QCheckBox *m_noShowOnly = nullptr;
    QPushButton *m_unmatched = nullptr;
    QLineEdit *m_keyword = nullptr;
    QPushButton *m_search = nullptr;
    QCheckBox *m_exactSearch = nullptr;
    QComboBox *m_fields = nullptr;
    QWidget *m_optionBar = nullptr;
    QLabel *m_update = nullptr;
};
