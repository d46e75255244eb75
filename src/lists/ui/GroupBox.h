#pragma once

#include <QList>
#include <QPushButton>

class QAction;
class QMenu;
struct ItemGroup;

// The group box `_Group`: a drop-down whose items carry check boxes, with
// "全选" and "取消全选" on top; it shows the ticked names joined by ",". The
// menu stays open while items are ticked.
class GroupBox : public QPushButton
{
    Q_OBJECT
public:
    explicit GroupBox(QWidget *parent = nullptr);

    void setGroups(const QList<ItemGroup> &groups);
    QMenu *groupMenu() const { return m_menu; }

Q_SIGNALS:
    // _GroupChange: one group ticked or unticked (index in the list), or all.
    void groupTicked(int index, bool ticked);
    void allTicked(bool ticked);

private:
    void showNames();

    QMenu *m_menu = nullptr;
    QList<QAction *> m_groupActions;
};
