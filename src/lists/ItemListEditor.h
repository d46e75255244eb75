#pragma once

#include "jobs/RequestJob.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class Desktop;
class Interaction;
class ListModel;
class OnSaleImportJob;
class QSqlQuery;
class TopClient;

// One group of the list's group box.
struct ItemGroup
{
    int id = 0;
    QString name; // trimmed, as the box shows it
    bool ticked = false;
};

// The rules of the item-list dialog (TfrmFromDownload) without widgets: one
// of the two download-source lists of TB_URL at a time (mode 0 the source
// list, 1 the target list), its groups, the listing by groups and keyword,
// the ticks and the merchant-code commands. Row arguments are row numbers of
// the model (any order; the commands work in list order).
class ItemListEditor : public QObject
{
    Q_OBJECT
public:
    ItemListEditor(const QSqlDatabase &db, JobHost &host, TopClient &client, Desktop &desktop,
                   std::function<QString(const QString &)> itemPage, QObject *parent = nullptr);
    ~ItemListEditor() override;

    static QStringList headers();

    int mode() const { return m_mode; }
    void setMode(int mode);
    ListModel &model() { return *m_model; }
    // The dialog's own progress panel `_ProcessPanel`: its busy guard.
    ProgressPanelState &panel() { return m_panel; }
    bool busy() const { return m_panel.shown(); }
    OnSaleImportJob &onSale() { return *m_onSale; }

    // The group box.
    const QList<ItemGroup> &groups() const { return m_groups; }
    void GetGroupList();
    // _GroupChange: ticks a group (or every group) and stores the ticked names.
    void setGroupTicked(int index, bool ticked);
    void setAllGroupsTicked(bool ticked);
    QStringList tickedGroupNames() const;

    // What the next listing filters by.
    void setKeyword(const QString &keyword) { m_keyword = keyword; }
    const QString &keyword() const { return m_keyword; }
    // chkObjectConfig: only the rows whose code the other list does not use.
    void setOnlyMissing(bool on) { m_onlyMissing = on; }
    bool onlyMissing() const { return m_onlyMissing; }

    // The listing; false when it did not run (busy, or a statement failed).
    bool GetDataList();
    // The status bar's text, counted anew.
    void GetTotal();
    const QString &statusText() const { return m_status; }

    // The commands of the dialog.
    void StartDownloadClick();                          // save the listed rows' ticks
    void N5Click();                                     // new group
    void N6Click();                                     // rename the first ticked group
    void N7Click();                                     // delete the ticked groups and their rows
    void N1Click(std::vector<int> rows);                // delete rows
    void N10Click(std::vector<int> rows);               // clear both codes
    void NullClick(std::vector<int> rows);              // declare no code (target list)
    void N9Click(std::vector<int> rows);                // set one row's code
    void CreateOuterIDClick(std::vector<int> rows);     // generated codes (source list)
    void CreateOuterID_TitleClick(std::vector<int> rows); // the source item's code by title (target list)
    void W1Click(std::vector<int> rows);                // the code taken from the title
    void N13Click(std::vector<int> rows);               // export
    void CopyText_URL(std::vector<int> rows, int column); // -1 the code, else a cell
    void AccessURLClick(std::vector<int> rows);         // open the first row's address

    // _MoveToClick: the Uniqids of the rows to move (empty, after the
    // message, when none is selected).
    QStringList MoveToClick(std::vector<int> rows);
    // The groups of the mode, in table order, for the move-to-group dialog.
    QList<ItemGroup> groupsOfMode() const;
    // The move itself, after the question; true when the rows moved.
    bool moveToGroup(const QStringList &uniqids, const ItemGroup &group);

    // _DownloadSaleClick: the on-sale items of the logged-in shop (nick) into
    // the first ticked group; false when it did not start.
    bool DownloadSaleClick(const QString &nick);

    // The export's lines: per row the code and cells 0-4.
    QStringList exportLines(std::vector<int> rows) const;

    // Where a listing statement failed, its message (empty otherwise).
    const QString &lastError() const { return m_lastError; }

Q_SIGNALS:
    void groupsChanged();
    void statusChanged(const QString &text);

private:
    bool run(QSqlQuery &q);
    std::vector<int> inListOrder(std::vector<int> rows) const;
    QString rowAddress(int row) const;
    QString countText(const std::vector<int> &rows) const;
    void storeTickedGroups();
    bool updateRows(const std::vector<int> &rows, const QString &statement, const QVariantList &values);

    QSqlDatabase m_db;
    JobHost &m_host;
    Interaction &m_ui;
    Desktop &m_desktop;
    std::function<QString(const QString &)> m_itemPage;
    ListModel *m_model = nullptr;
    ProgressPanelState m_panel;
    OnSaleImportJob *m_onSale = nullptr;
    int m_mode = 0;
    QList<ItemGroup> m_groups;
    QString m_keyword;
    bool m_onlyMissing = false;
    QString m_status;
    QString m_lastError;
};

// The list of one mode as CSV (UTF-8, RFC 4180 quoting): a header line, then
// per entry its effective code, item id, title, status, seller nick and tick
// ("1"/"0"). group: a group name of the mode, or empty for every group.
// False with the reason in *error when the group is unknown or a statement fails.
bool ItemListCsv(const QSqlDatabase &db, int mode, const QString &group, QByteArray *csv, QString *error);

// The Uniqid of the group of the mode with that name (letter case aside), or 0.
int ItemGroupId(const QSqlDatabase &db, int mode, const QString &name);
