#pragma once

#include "history/UploadHistory.h"

#include <QDialog>
#include <QSqlDatabase>
#include <functional>

class Application;
class Desktop;
class Interaction;
class RevertRun;
struct RevertSelection;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;

// "上传记录": what the program changed in the shops, newest first, with the
// filters, copy, CSV export and the item's page; beside it, on a tab of its
// own, the synchronisation cycles. The rows come from `UploadHistory`; the
// window only shows them.
class TfrmUploadHistory : public QDialog
{
    Q_OBJECT
public:
    using ItemPage = std::function<QString(const QString &numIid)>;

    TfrmUploadHistory(const QSqlDatabase &db, Interaction &ui, Desktop &desktop, ItemPage itemPage,
                      QWidget *parent = nullptr);

    // The filter as the controls stand.
    HistoryFilter filter() const;
    const QList<HistoryRow> &shownRows() const { return m_rows; }
    const QList<CycleRow> &shownCycles() const { return m_cycles; }
    QTableView *historyView() const { return m_view; }
    QTableView *cycleView() const { return m_cycleView; }
    QTabWidget *pages() const { return m_pages; }
    // The program whose jobs undo a run (the revert commands stay disabled without it).
    void setApplication(Application *app);
    RevertRun *revertRun() const { return m_revert; }

public Q_SLOTS:
    // Reads the journal and the cycles again with the filter.
    void RefreshClick();
    void CopyClick();
    void ExportClick();
    void OpenPageClick();
    // "撤销这次同步": the selected cycle's quantities and prices go back to
    // what the cycle found; "撤销选中的记录": the same for the selected rows.
    // Both show the plan as a question (No the default) and then run it.
    void RevertCycleClick();
    void RevertRowsClick();

Q_SIGNALS:
    // A revert changed quantities or prices in the shop (and the local rows):
    // lists that show them read them again.
    void shopChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The rows selected in the list; all shown rows when none is.
    QList<HistoryRow> selectedRows() const;
    void loadAccounts();
    void startRevert(const RevertSelection &selection);
    void revertReadBack(bool ok);
    void revertFinished();
    void updateRevertCommands();

    QSqlDatabase m_db;
    Interaction &m_ui;
    Desktop &m_desktop;
    ItemPage m_itemPage;
    UploadHistory m_history;
    QList<HistoryRow> m_rows;
    QList<CycleRow> m_cycles;

    QCheckBox *m_byDate = nullptr;
    QDateEdit *m_from = nullptr;
    QDateEdit *m_to = nullptr;
    QComboBox *m_account = nullptr;
    QComboBox *m_kind = nullptr;
    QComboBox *m_state = nullptr;
    QLineEdit *m_keyword = nullptr;
    QTabWidget *m_pages = nullptr;
    QTableView *m_view = nullptr;
    QTableView *m_cycleView = nullptr;
    QStandardItemModel *m_model = nullptr;
    QStandardItemModel *m_cycleModel = nullptr;
    QLabel *m_total = nullptr;
    QPushButton *m_revertCycle = nullptr;
    QPushButton *m_revertRows = nullptr;
    Application *m_app = nullptr;
    RevertRun *m_revert = nullptr;
    bool m_reverting = false;
};
