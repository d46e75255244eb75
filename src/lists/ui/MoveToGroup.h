#pragma once

#include "lists/ItemListEditor.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class Interaction;
class QComboBox;

// "移动到组...": the groups of the item-list dialog's mode in a drop-down
// (the first chosen); "确定" asks, moves the handed rows and closes with OK.
class TfrmMoveToGroup : public QDialog
{
    Q_OBJECT
public:
    TfrmMoveToGroup(ItemListEditor &editor, const QStringList &uniqids, Interaction &ui, QWidget *parent = nullptr);

    QComboBox *groupBox() const { return m_group; }

public Q_SLOTS:
    void OkClick();

private:
    ItemListEditor &m_editor;
    QStringList m_uniqids;
    Interaction &m_ui;
    QList<ItemGroup> m_groups;
    QComboBox *m_group = nullptr;
};
