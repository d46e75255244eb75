#pragma once

// Small builders for the window's panes: every control that code touches
// carries its component name as the object name.
#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

namespace ui {

inline QColor rgb(uint v)
{
    return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

template <class W> W *named(W *w, const QString &name)
{
    w->setObjectName(name);
    return w;
}

inline QLabel *label(QWidget *parent, const QString &text, const QString &name = QString())
{
    auto *l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

inline QCheckBox *checkBox(QWidget *parent, const QString &name, const QString &text, bool checked = false)
{
    auto *c = named(new QCheckBox(text, parent), name);
    c->setChecked(checked);
    return c;
}

inline QRadioButton *radio(QWidget *parent, QButtonGroup *group, const QString &name, const QString &text)
{
    auto *r = named(new QRadioButton(text, parent), name);
    group->addButton(r);
    return r;
}

inline QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    return named(new QPushButton(text, parent), name);
}

} // namespace ui
