#pragma once

#include <QDateTime>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class JobHost;
class ListModel;

// Cells of a warehouse list row.
enum WarehouseCell {
    WhOuterId = 0,
    WhListTime = 1,
    WhDelistTime = 2,
    WhRemaining = 3,
    WhPlanned = 4,
    WhShowcase = 5,
    WhValidThru = 6,
    WhNum = 7,
    WhPrice = 8,
    WhNumIid = 9,
    WhSkuId = 10,
    WhStatus = 11,
    WhNick = 12,
    WhUniqid = 13,
};

// Which rows the warehouse list shows: all, or those whose main merchant
// code is also in the source download list, the price list or the stock list.
enum class WarehouseView { All, SourceList, PriceList, StockList };

// The warehouse list `_RzListView_Inventory` over TB_Object_Inventory: the
// view, the remaining times, planning listing times, clearing them, delete,
// copy, export and item pages. The window's handlers forward here.
class WarehouseList : public QObject
{
    Q_OBJECT
public:
    WarehouseList(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui, Desktop &desktop,
                  QObject *parent = nullptr);

    static QStringList headers();
    ListModel &model() { return m_model; }

    // The view options and the account whose rows are shown.
    WarehouseView view = WarehouseView::All;
    bool onlyOnSale = true; // "关联时,只含销售中宝贝", with the source list only
    QString account;
    void setItemPageAddress(std::function<QString(const QString &)> address) { m_itemPage = std::move(address); }

    // GetData_TB_Object_inventory: refills the list; does nothing (false)
    // while a job shows its progress panel.
    bool GetData_TB_Object_inventory(const QString &keyword);
    // The same for the jobs' own finish, after their panel is gone.
    bool reload();
    const QString &totalsText() const { return m_totals; }

    // "1天6小时10分钟": the whole days, hours and minutes between the two times.
    static QString RemainingTimeText(const QDateTime &delist, const QDateTime &now);
    // The planned times of the ticked rows, from the last row up: the start,
    // then one interval later each, and the next day at the start's time of
    // day after a time that reached the end of the daily window.
    void RzToolButton3Click(const QDateTime &start, int intervalMinutes, const QTime &endOfDay);
    // "选中清除上架计划时间": empties the planned time of the selected rows.
    void N74Click(const std::vector<int> &selected);
    // "删除选中项": focused is the focused row (-1 for none).
    // Deletes the selected rows after asking, then fills the list again with
    // the keyword (trimmed), as the view showed it.
    void deleteRows(std::vector<int> selected, int focused, const QString &keyword);
    // Copies one cell (-1: the caption) of the selected rows, one per line.
    void CopyText_Inventory(std::vector<int> selected, int cell);
    void exportRows(std::vector<int> selected);
    QStringList exportLines(std::vector<int> selected) const;
    void openItemPage(int row);
    // The first ticked row, or -1.
    int GetUploadIndex_inventory() const;

    // The select of the view, with the keyword bound.
    QString statement(const QString &keyword, QVariantList *values) const;

Q_SIGNALS:
    void totalsChanged(const QString &text);

private:
    bool fill(const QString &keyword);
    void setTotals(int rows);

    QSqlDatabase m_db;
    ListModel &m_model;
    JobHost &m_jobs;
    Interaction &m_ui;
    Desktop &m_desktop;
    QString m_totals;
    std::function<QString(const QString &)> m_itemPage;
};
