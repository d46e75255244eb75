#include "lists/ui/GroupBox.h"

#include "lists/ItemListEditor.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>

namespace {

// A menu that stays open when a check item is clicked.
class StayOpenMenu : public QMenu
{
public:
    using QMenu::QMenu;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QAction *a = actionAt(event->position().toPoint());
        if (a && a->isEnabled() && a->isCheckable()) {
            a->trigger();
            event->accept();
            return;
        }
        QMenu::mouseReleaseEvent(event);
    }
};

} // namespace

GroupBox::GroupBox(QWidget *parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("_Group"));
    setAutoDefault(false);
    setMinimumWidth(180);
    setStyleSheet(QStringLiteral("QPushButton { text-align: left; padding: 3px 18px 3px 6px; }"));
    setMaximumWidth(320);
    m_menu = new StayOpenMenu(this);
    m_menu->setObjectName(QStringLiteral("_GroupMenu"));
    setMenu(m_menu);
    showNames();
}

void GroupBox::setGroups(const QList<ItemGroup> &groups)
{
    m_menu->clear();
    m_groupActions.clear();
    QAction *all = m_menu->addAction(QStringLiteral("全选"));
    QAction *none = m_menu->addAction(QStringLiteral("取消全选"));
    connect(all, &QAction::triggered, this, [this] {
        for (QAction *a : m_groupActions)
            a->setChecked(true);
        showNames();
        Q_EMIT allTicked(true);
    });
    connect(none, &QAction::triggered, this, [this] {
        for (QAction *a : m_groupActions)
            a->setChecked(false);
        showNames();
        Q_EMIT allTicked(false);
    });
    m_menu->addSeparator();
    for (int i = 0; i < groups.size(); ++i) {
        // "&" in a name is text, not a shortcut
        QAction *a = m_menu->addAction(QString(groups.at(i).name).replace(QStringLiteral("&"), QStringLiteral("&&")));
        a->setData(groups.at(i).name);
        a->setCheckable(true);
        a->setChecked(groups.at(i).ticked);
        connect(a, &QAction::toggled, this, [this, i](bool on) {
            showNames();
            Q_EMIT groupTicked(i, on);
        });
        m_groupActions << a;
    }
    showNames();
}

void GroupBox::showNames()
{
    QStringList names;
    for (QAction *a : m_groupActions)
        if (a->isChecked())
            names << a->data().toString();
    const QString text = names.join(QLatin1Char(','));
    setText(fontMetrics().elidedText(text, Qt::ElideRight, maximumWidth() - 30));
    setToolTip(text);
}
