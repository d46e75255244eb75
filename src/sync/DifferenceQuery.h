#pragma once

#include "sync/DifferenceOptions.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

class Interaction;
class JobHost;
class QSqlQuery;
struct SqlStatement;
class ListModel;
class Settings;

// The target list `_RzListViewTo` and the difference query that fills it:
// the target rows of the chosen accounts paired with the comparison base on
// the matching key, with the formulas applied, ticked where they should be
// uploaded. The window fills options() from the target page's controls and
// shows the model, the totals and the update label.
class DifferenceQuery : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Completed, // the list holds the rows
        Busy,      // a progress panel was shown: nothing happened
        Refused,   // too many duplicate keys: the list is empty
        Failed,    // a statement failed: the list is empty
    };

    DifferenceQuery(const QSqlDatabase &db, ListModel &model, JobHost &jobs, Interaction &ui,
                    const Settings &settings, QObject *parent = nullptr);

    // The options as stored: key mode (both indexes), upload mode, the
    // uniqueness option, the formulas and the current account.
    static DifferenceOptions storedOptions(const Settings &settings);

    DifferenceOptions &options() { return m_options; }
    const DifferenceOptions &options() const { return m_options; }
    ListModel &model() { return m_model; }

    // GetData_TB_Object: runs the query with the options and refills the list.
    Outcome GetData_TB_Object(const QString &keyword);
    // GetTotal_Object: the totals line over the rows shown.
    void GetTotal_Object();
    // GetUploadIndex: the first ticked row, or -1.
    int GetUploadIndex() const;

    // The tick commands of _PopupMenuObject.
    void checkAll();                           // "勾选所有"
    void uncheckAll();                         // "所有不勾选"
    void checkSelected(const std::vector<int> &rows);   // "选中-勾选"
    void uncheckSelected(const std::vector<int> &rows); // "选中-取消勾选"

    const QString &totalsText() const { return m_totals; }
    const QString &updateLabel() const { return m_updateLabel; }
    // The statements of the last query, in the order they ran.
    const QStringList &statements() const { return m_statements; }

    static QString tooManyDuplicatesText();

Q_SIGNALS:
    // EnableControl of the window: false while the query runs.
    void controlsEnabled(bool enabled);
    void totalsChanged(const QString &text);
    void updateLabelChanged(const QString &text);
    // A few times a second while the list fills: rows read of the result's
    // rows. The panel's caption says the same.
    void progress(int done, int total);
    // The last row of a query is in the list (in the window some time after
    // GetData_TB_Object returned).
    void filled();

private:
    bool run(const SqlStatement &statement, QSqlQuery &q);
    Outcome fail(const QString &error);
    void setTotals(const QString &text);
    void setUpdateLabel(const QString &text);
    void end();

    QSqlDatabase m_db;
    ListModel &m_model;
    JobHost &m_jobs;
    Interaction &m_ui;
    const Settings &m_settings;
    DifferenceOptions m_options;
    QString m_totals;
    QString m_updateLabel;
    QStringList m_statements;
    bool m_fillRunning = false;
};
