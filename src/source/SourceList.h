#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class JobHost;
class ListModel;

// What the filter bar above the source list asks for.
struct SourceListFilter
{
    enum CodeFilter { All = 1, WithCode = 2, WithoutCode = 3, NotInTarget = 4 };
    CodeFilter codeFilter = WithCode; // _chkouterid1.._chkouterid4
    bool exactSearch = false;         // chkSearch "仅搜索"
    int field = 6;                    // _fields, "货号" at start
    int matchingKey = 0;              // _Uniqid's shown index
    bool normalisedKeys = false;      // setting 120, read at every listing
};

// The select behind the source list, with the keyword bound.
struct SourceListStatement
{
    QString sql;
    QVariantList values;
};
SourceListStatement BuildSourceListStatement(const SourceListFilter &filter, const QString &keyword);

// The source list `_RzListView`: listing, totals, delete, empty, copy,
// export and item pages, over TB_Source. The window's handlers forward here.
class SourceList : public QObject
{
    Q_OBJECT
public:
    SourceList(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui, Desktop &desktop,
               QObject *parent = nullptr);

    // Column captions: the caption column and the 13 shown cells.
    static QStringList headers();
    // The fields of the exact search (_fields).
    static QStringList searchFields();

    SourceListFilter &filter() { return m_filter; }
    // item page address of an item id
    void setItemPageAddress(std::function<QString(const QString &)> address) { m_itemPage = std::move(address); }

    // GetData_TB_Source: refills the list under the filter. Does nothing while
    // a progress panel is shown. listShown: whether _RzListView is on screen.
    bool GetData_TB_Source(const QString &keyword, bool listShown);
    // GetTotal_Source: counts the whole table and refreshes the update label.
    void GetTotal_Source();
    // Just the update label, as at start-up while the list is collapsed.
    void showUpdateTime();

    const QString &totalsText() const { return m_totals; }
    const QString &updateLabel() const { return m_updateLabel; }

    // Commands on the selected rows (row numbers of the model, any order).
    void deleteRows(std::vector<int> selected);    // delete the selected rows
    void emptyAll();                            // empty TB_Source
    void exportRows(std::vector<int> selected);   // export the selected rows
    void CopyText_Source(std::vector<int> selected, int column); // -1 = caption
    void copyItemPages(std::vector<int> selected);   // copy item-page addresses
    void openItemPage(std::vector<int> selected);   // open the first selected row's page

    // Every row of an export: the header line and one line per row.
    QStringList exportLines(std::vector<int> selected) const;

Q_SIGNALS:
    // EnableControl of the window: false while the list fills.
    void controlsEnabled(bool enabled);
    void totalsChanged(const QString &text);
    void updateLabelChanged(const QString &text);
    // A long listing on its way: n of total rows read (a few times a second).
    // Nothing else runs while a list fills; the window may repaint its panel.
    void loadProgress(int n, int total);

private:
    void setTotals(const QString &text);
    void setUpdateLabel(const QString &text);
    QString itemPage(const QString &numIid) const;

    QSqlDatabase m_db;
    ListModel &m_model;
    JobHost &m_jobs;
    Interaction &m_ui;
    Desktop &m_desktop;
    SourceListFilter m_filter;
    QString m_totals;
    QString m_updateLabel;
    std::function<QString(const QString &)> m_itemPage;
};
