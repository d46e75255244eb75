#pragma once

#include "shop/ShopAccounts.h"

#include <QDialog>
#include <vector>

class Interaction;
class ListModel;
class ListView;
class QAction;
class QMenu;
class QStatusBar;
class QToolBar;
class TfrmAccountModi;

// The shop account dialog: the list of accounts (passwords always masked)
// with add, modify, delete and close on its tool bar and popup menu. The
// edit dialog is made on first use and kept.
class TfrmAccountAdmin : public QDialog
{
    Q_OBJECT
public:
    TfrmAccountAdmin(ShopAccounts &accounts, Interaction &ui, QWidget *parent = nullptr);

    ListView *listView() const { return m_list; }
    ListModel *listModel() const { return m_model; }
    // The edit dialog, made on first use.
    TfrmAccountModi *editDialog();

public Q_SLOTS:
    void RefreshData();
    void AddClick();
    void ModiClick();
    void DelClick();
    void CloseClick();
    void N6Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *action(const QString &name, const QString &text, void (TfrmAccountAdmin::*slot)());
    // Accounts of the selected rows, in list order.
    std::vector<ShopAccount> selectedAccounts() const;

    ShopAccounts &m_accounts;
    Interaction &m_ui;
    ListModel *m_model;
    ListView *m_list;
    QToolBar *m_toolbar;
    QMenu *m_popup;
    QStatusBar *m_status;
    TfrmAccountModi *m_modi = nullptr;
    std::vector<ShopAccount> m_rows; // the accounts behind the list rows
};
