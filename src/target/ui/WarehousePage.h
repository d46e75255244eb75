#pragma once

#include "app/ui/ListPage.h"

#include <QList>

class QDateTimeEdit;
class QLineEdit;
class QTimeEdit;

// The warehouse tab "仓库中等待上架的宝贝": download and filter bar,
// planned listing times, the warehouse list `_RzListView_Inventory` and its totals.
class WarehousePage : public ListPage
{
    Q_OBJECT
public:
    explicit WarehousePage(QWidget *parent = nullptr);

    QLineEdit *keyword() const { return m_keyword; }
    QDateTimeEdit *nowDatetime() const { return m_nowDatetime; }
    QTimeEdit *endTime() const { return m_endTime; }
    // `_inventory` with its query fields and `_planupload`, enabled by a login.
    void setLoginCommandsEnabled(bool enabled);

private:
    QWidget *buildTopBar();

    QLineEdit *m_keyword = nullptr;
    QDateTimeEdit *m_nowDatetime = nullptr;
    QTimeEdit *m_endTime = nullptr;
    QList<QWidget *> m_loginCommands;
};
