#pragma once

#include "shop/ShopAccounts.h"

#include <QDialog>

class Interaction;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The edit dialog of one shop account: member name, password and remark.
// Its tag is 0 for a new account and the account's Uniqid for an edited one;
// it closes with Accepted only after the account has been saved.
class TfrmAccountModi : public QDialog
{
    Q_OBJECT
public:
    TfrmAccountModi(ShopAccounts &accounts, Interaction &ui, QWidget *parent = nullptr);

    // Empty fields, caption "添加店铺帐号", tag 0.
    void prepareAdd();
    // The account's fields with the placeholder for its password, caption
    // "修改店铺帐号", tag its Uniqid. The stored form stays with the dialog.
    void prepareModify(const ShopAccount &account);
    qint64 tag() const { return m_tag; }

public Q_SLOTS:
    void OKClick();
    void CancleClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ShopAccounts &m_accounts;
    Interaction &m_ui;
    QLineEdit *m_userName;
    QLineEdit *m_password;
    QPlainTextEdit *m_remark;
    QPushButton *m_ok;
    QPushButton *m_cancel;
    qint64 m_tag = 0;
    QString m_storedBefore;
    QString m_nameBefore;
};
