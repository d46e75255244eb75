#pragma once

#include "reports/UnmatchedKeys.h"

#include <QDialog>
#include <QSqlDatabase>

class Interaction;
class ListModel;
class QLabel;

// "未配对的关联值": the target rows of the account that pair with no source
// row and the source rows that pair with no target row, by key value with
// their counts (the same rows as `stocksync report unmatched`). Opened from
// the difference view's filter row, recomputed on every opening.
class TfrmUnmatched : public QDialog
{
    Q_OBJECT
public:
    TfrmUnmatched(const QSqlDatabase &db, Interaction &ui, QWidget *parent = nullptr);

    // Computes the rows for the options and shows the counts.
    void setContext(const UnmatchedOptions &options, const QString &keyText);

    ListModel *model() const { return m_model; }
    QLabel *totals() const { return m_totals; }

private:
    UnmatchedKeys m_keys;
    Interaction &m_ui;
    ListModel *m_model = nullptr;
    QLabel *m_keyLabel = nullptr;
    QLabel *m_totals = nullptr;
};
