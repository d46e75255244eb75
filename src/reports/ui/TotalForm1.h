#pragma once

#include "reports/StockStatistics.h"

#include <QDialog>
#include <QSqlDatabase>

class Desktop;
class Interaction;
class ListModel;
class ListView;
class QLabel;
class QMenu;

// " 关联值检查工具": the matching-key values that occur more than once among
// the source rows and among the current account's target rows. Created once,
// recomputed on every opening.
class TfrmTotalForm1 : public QDialog
{
    Q_OBJECT
public:
    TfrmTotalForm1(const QSqlDatabase &db, Interaction &ui, Desktop &desktop, QWidget *parent = nullptr);

    // The matching key (index and the text of _Uniqid) and the account; recomputes.
    void setContext(int matchingKey, const QString &keyText, const QString &account);

    ListModel *sourceModel() const { return m_source; }
    ListModel *targetModel() const { return m_target; }
    QLabel *keyLabel() const { return m_keyLabel; }

public Q_SLOTS:
    void CopySourceClick();
    void CopyObjectClick();

private:
    void copyFirst(ListView *view);

    DuplicateKeys m_keys;
    Interaction &m_ui;
    Desktop &m_desktop;
    QLabel *m_keyLabel = nullptr;
    ListModel *m_source = nullptr;
    ListModel *m_target = nullptr;
    ListView *m_sourceList = nullptr;
    ListView *m_targetList = nullptr;
    QAction *m_copyTarget = nullptr;
};
