#pragma once

#include "reports/StockStatistics.h"

#include <QDialog>
#include <QSqlDatabase>
#include <functional>

class Desktop;
class Interaction;
class ListModel;
class ListView;
class QCheckBox;
class QLabel;
class QRadioButton;

// "源与目标宝贝检查统计工具": SKU rows per main merchant code (or article
// number) on the source side and in the current target account, and on a
// double click the SKU rows of one code on both sides, the source SKUs the
// target lacks in red. Created once, recomputed on every opening.
class TfrmTotalForm : public QDialog
{
    Q_OBJECT
public:
    TfrmTotalForm(const QSqlDatabase &db, Interaction &ui, Desktop &desktop,
                  std::function<QString(const QString &)> itemPage, QWidget *parent = nullptr);

    // The matching key and account of the main window; recomputes.
    void setContext(int matchingKey, const QString &account);
    const StatisticsOptions &options() const { return m_options; }

    ListModel *summaryModel() const { return m_summary; }
    ListModel *sourceModel() const { return m_source; }
    ListModel *targetModel() const { return m_target; }
    ListView *summaryList() const { return m_summaryList; }

public Q_SLOTS:
    // Any option changed: clears the details and recomputes.
    void OptionClick();
    void RzListViewDblClick();
    void CopyCodeClick();
    void CopyUrlClick();
    // The detail lists' copy items (Tag 0, 1, 2: code, colour, size).
    void CopySourceClick();
    void CopyObjectClick();
    void recompute();

private:
    QWidget *buildOptions();
    void copyCells(ListView *view, int cell);
    void retitle();

    StockStatistics m_stats;
    Interaction &m_ui;
    Desktop &m_desktop;
    std::function<QString(const QString &)> m_itemPage;
    StatisticsOptions m_options;

    QRadioButton *m_op1 = nullptr;
    QRadioButton *m_op2 = nullptr;
    QCheckBox *m_chkOnly = nullptr;
    QRadioButton *m_optotal1 = nullptr;
    QRadioButton *m_optotal2 = nullptr;
    QLabel *m_sourceLabel = nullptr;
    ListModel *m_summary = nullptr;
    ListModel *m_source = nullptr;
    ListModel *m_target = nullptr;
    ListView *m_summaryList = nullptr;
    ListView *m_sourceList = nullptr;
    ListView *m_targetList = nullptr;
};
