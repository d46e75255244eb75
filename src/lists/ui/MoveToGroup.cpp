#include "lists/ui/MoveToGroup.h"

#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMoveToGroup::TfrmMoveToGroup(ItemListEditor &editor, const QStringList &uniqids, Interaction &ui,
                                 QWidget *parent)
    : QDialog(parent), m_editor(editor), m_uniqids(uniqids), m_ui(ui), m_groups(editor.groupsOfMode())
{
    setObjectName(QStringLiteral("frmMoveToGroup"));
    setWindowTitle(QStringLiteral("移动到组..."));
    setModal(true);
    auto *column = new QVBoxLayout(this);
    column->addWidget(ui::label(this, QStringLiteral("请选择组:")));
    m_group = ui::named(new QComboBox(this), QStringLiteral("_Group"));
    m_group->setMinimumWidth(260);
    for (const ItemGroup &g : m_groups)
        m_group->addItem(g.name, g.id);
    if (!m_groups.isEmpty())
        m_group->setCurrentIndex(0);
    column->addWidget(m_group);
    auto *row = new QHBoxLayout;
    row->addStretch();
    QPushButton *ok = ui::button(this, QStringLiteral("_OK"), QStringLiteral("确定"));
    QPushButton *cancel = ui::button(this, QStringLiteral("_Cancel"), QStringLiteral("取消"));
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    column->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TfrmMoveToGroup::OkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmMoveToGroup::OkClick()
{
    const int index = m_group->currentIndex();
    if (index < 0 || index >= m_groups.size()) {
        m_ui.warn(QStringLiteral("请选择组."));
        return;
    }
    if (m_editor.moveToGroup(m_uniqids, m_groups.at(index)))
        accept();
}
