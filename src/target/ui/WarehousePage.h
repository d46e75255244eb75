#pragma once

#include "app/ui/ListPage.h"

#include <QList>
#include <vector>

class Application;
class QCheckBox;
class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
struct ShopJobs;
class WarehouseList;

// The warehouse tab "仓库中等待上架的宝贝": download and filter bar,
// planned listing times, the warehouse list `_RzListView_Inventory` and its
// totals. Its handlers forward to the warehouse list and its jobs.
class WarehousePage : public ListPage
{
    Q_OBJECT
public:
    explicit WarehousePage(Application &app, QWidget *parent = nullptr);

    QLineEdit *keyword() const { return m_keyword; }
    QDateTimeEdit *nowDatetime() const { return m_nowDatetime; }
    QTimeEdit *endTime() const { return m_endTime; }
    QSpinBox *interval() const { return m_interval; }
    // `_inventory` with its query fields, `_planupload` and `_onsaleUpload`, enabled by a login.
    void setLoginCommandsEnabled(bool enabled);

public Q_SLOTS:
    // GetData_TB_Object_inventory with the trimmed keyword (the tab's choice).
    void load();
    void _inventoryClick();
    void SearchInventoryClick();
    void RzToolButton2Click();
    void chkInventoryClick();
    void RzToolButton3Click();
    void _planuploadClick();
    void _onsaleUploadClick();
    // the popup
    void MenuItem14Click();
    void MenuItem16Click();
    void MenuItem17Click();
    void MenuItem19Click();
    void MenuItem20Click();
    void MenuItem28Click();
    void CopyTextClick();
    void MenuItem41Click();
    void N74Click();
    void MenuItem43Click();

private:
    QWidget *buildTopBar();
    void readOptions();
    std::vector<int> selectedRows() const;
    int focusedRow() const;

    Application &m_app;
    ShopJobs &m_jobs;
    WarehouseList &m_list;
    QLineEdit *m_keyword = nullptr;
    QLineEdit *m_query = nullptr;
    QSpinBox *m_pageSize = nullptr;
    QSpinBox *m_pageNo = nullptr;
    QSpinBox *m_interval = nullptr;
    QDateTimeEdit *m_nowDatetime = nullptr;
    QTimeEdit *m_endTime = nullptr;
    QRadioButton *m_views[4] = {};
    QCheckBox *m_onlyOnSales = nullptr;
    QList<QWidget *> m_loginCommands;
};
