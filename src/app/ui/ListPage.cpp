#include "app/ui/ListPage.h"
#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/ListModel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ListPage::ListPage(const QString &pageName, const QString &listName, ListModel *model, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(pageName);
    m_column = new QVBoxLayout(this);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(0);
    m_model = model ? model : new ListModel(this);
    m_list = ui::named(new ListView(this), listName);
    m_model->setBanding(true);
    m_list->setListModel(m_model);
    m_column->addWidget(m_list, 1);
}

void ListPage::setFilterBar(QWidget *bar)
{
    m_filterBar = bar;
    bar->setParent(this);
    m_column->insertWidget(0, bar);
}

QLabel *ListPage::addTotalsLine(const QString &name, const QString &text)
{
    m_column->addWidget(TotalsBar(this, name, text, &m_totals));
    return m_totals;
}

QFrame *TotalsBar(QWidget *parent, const QString &name, const QString &text, QLabel **label,
                  const QString &labelName)
{
    auto *bar = ui::named(new QFrame(parent), name);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setFixedHeight(26);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(6, 0, 6, 0);
    QLabel *l = ui::label(bar, text, labelName);
    row->addWidget(l);
    row->addStretch();
    if (label)
        *label = l;
    return bar;
}
