#pragma once

#include <QWidget>

class ListModel;
class ListView;
class QFrame;
class QLabel;
class QVBoxLayout;

// The shape the program's lists share: a filter bar on top (set by the
// page's owner), the list, and a totals line under it.
class ListPage : public QWidget
{
    Q_OBJECT
public:
    // listName: the list view's name; model: the list's rows, or null for a
    // model of the page's own.
    ListPage(const QString &pageName, const QString &listName, ListModel *model, QWidget *parent = nullptr);

    void setFilterBar(QWidget *bar);
    // Adds the totals line with its first text.
    QLabel *addTotalsLine(const QString &name, const QString &text);

    ListView *list() const { return m_list; }
    ListModel *model() const { return m_model; }
    QWidget *filterBar() const { return m_filterBar; }
    QLabel *totalsLabel() const { return m_totals; }

private:
    QVBoxLayout *m_column = nullptr;
    QWidget *m_filterBar = nullptr;
    ListModel *m_model = nullptr;
    ListView *m_list = nullptr;
    QLabel *m_totals = nullptr;
};

// A framed one-line bar with a label on the left (the totals lines).
QFrame *TotalsBar(QWidget *parent, const QString &name, const QString &text, QLabel **label,
                  const QString &labelName = QString());
