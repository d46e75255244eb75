#include "shop/ui/AccountAdmin.h"

#include "app/ui/ListView.h"
#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "base/TextRoutines.h"
#include "shop/ui/AccountModi.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using ui::named;

TfrmAccountAdmin::TfrmAccountAdmin(ShopAccounts &accounts, Interaction &interaction, QWidget *parent)
    : QDialog(parent), m_accounts(accounts), m_ui(interaction)
{
    setObjectName(QStringLiteral("frmAccountAdmin"));
    setWindowTitle(QStringLiteral("店铺帐号管理"));
    setModal(true);
    resize(520, 340);

    m_toolbar = named(new QToolBar(this), QStringLiteral("_ToolBar"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_toolbar->setStyleSheet(QStringLiteral(
        "QToolBar QToolButton { padding: 3px 4px; border: 1px solid transparent; }"
        "QToolBar QToolButton:hover, QToolBar QToolButton:pressed { background-color: rgb(237,128,128); "
        "border: 1px solid rgb(168,4,4); }"));
    m_popup = named(new QMenu(this), QStringLiteral("_PopupMenu"));

    QAction *add =
        action(QStringLiteral("_Add"), QStringLiteral("添加店铺帐号"), &TfrmAccountAdmin::AddClick);
    QAction *modi =
        action(QStringLiteral("_Modi"), QStringLiteral("修改店铺帐号"), &TfrmAccountAdmin::ModiClick);
    QAction *del =
        action(QStringLiteral("_Del"), QStringLiteral("删除店铺帐号"), &TfrmAccountAdmin::DelClick);
    QAction *close = action(QStringLiteral("_Close"), QStringLiteral("关闭"), &TfrmAccountAdmin::CloseClick);
    QAction *all = action(QStringLiteral("N6"), QStringLiteral("全选"), &TfrmAccountAdmin::N6Click);
    m_toolbar->addActions({add, modi, del});
    m_toolbar->addSeparator();
    m_toolbar->addAction(close);
    m_popup->addActions({add, modi, del});
    m_popup->addSeparator();
    m_popup->addAction(all);
    m_popup->addSeparator();
    m_popup->addAction(close);

    m_model = new ListModel(this);
    m_model->setHeaders({QStringLiteral("淘宝会员名"), QStringLiteral("密码"), QStringLiteral("描述")});
    m_list = named(new ListView(this), QStringLiteral("_RzListView"));
    m_list->setCheckBoxes(false);
    m_list->setListModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->header()->resizeSection(0, 150);
    m_list->header()->resizeSection(1, 90);
    m_list->header()->resizeSection(2, 260);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_popup->popup(m_list->viewport()->mapToGlobal(at)); });
    connect(m_list, &QAbstractItemView::doubleClicked, this, &TfrmAccountAdmin::ModiClick);

    m_status = named(new QStatusBar(this), QStringLiteral("_StatusBar"));
    m_status->setSizeGripEnabled(false);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolbar);
    column->addWidget(m_list, 1);
    column->addWidget(m_status);
}

QAction *TfrmAccountAdmin::action(const QString &name, const QString &text, void (TfrmAccountAdmin::*slot)())
{
    auto *a = named(new QAction(text, this), name);
    connect(a, &QAction::triggered, this, slot);
    return a;
}

TfrmAccountModi *TfrmAccountAdmin::editDialog()
{
    if (!m_modi)
        m_modi = new TfrmAccountModi(m_accounts, m_ui, this);
    return m_modi;
}

void TfrmAccountAdmin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    RefreshData();
}

void TfrmAccountAdmin::RefreshData()
{
    m_rows = m_accounts.all();
    std::vector<ListRow> rows;
    rows.reserve(m_rows.size());
    for (const ShopAccount &a : m_rows) {
        ListRow r;
        r.caption = TrimText(a.userName);
        r.cells = {ShopAccounts::maskedPassword(), a.remark, QString::number(a.uniqid)};
        rows.push_back(std::move(r));
    }
    m_model->setRows(std::move(rows));
    m_status->showMessage(ShopAccounts::countText(m_model->count()));
}

std::vector<ShopAccount> TfrmAccountAdmin::selectedAccounts() const
{
    std::vector<ShopAccount> chosen;
    for (int r : m_list->selectedModelRows()) {
        if (r >= 0 && static_cast<size_t>(r) < m_rows.size())
            chosen.push_back(m_rows.at(static_cast<size_t>(r)));
    }
    return chosen;
}

void TfrmAccountAdmin::AddClick()
{
    TfrmAccountModi *modi = editDialog();
    modi->prepareAdd();
    if (modi->exec() == QDialog::Accepted)
        RefreshData();
}

void TfrmAccountAdmin::ModiClick()
{
    const std::vector<ShopAccount> chosen = selectedAccounts();
    if (chosen.empty()) {
        m_ui.warn(QStringLiteral("请选择要修改的店铺帐号."));
        return;
    }
    TfrmAccountModi *modi = editDialog();
    modi->prepareModify(chosen.front());
    if (modi->exec() == QDialog::Accepted)
        RefreshData();
}

void TfrmAccountAdmin::DelClick()
{
    QList<qint64> ids;
    QStringList names;
    for (const ShopAccount &a : selectedAccounts()) {
        ids << a.uniqid;
        names << TrimText(a.userName);
    }
    if (ids.isEmpty()) {
        m_accounts.remove(ids, names, m_ui);
        m_list->setFocus();
        return;
    }
    if (m_accounts.remove(ids, names, m_ui))
        RefreshData();
}

void TfrmAccountAdmin::CloseClick()
{
    close();
}

void TfrmAccountAdmin::N6Click()
{
    m_list->selectAll();
}
