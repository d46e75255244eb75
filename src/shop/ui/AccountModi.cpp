#include "shop/ui/AccountModi.h"

#include "app/ui/WidgetHelpers.h"
#include "base/Interaction.h"
#include "base/TextRoutines.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

using ui::named;

TfrmAccountModi::TfrmAccountModi(ShopAccounts &accounts, Interaction &interaction, QWidget *parent)
    : QDialog(parent), m_accounts(accounts), m_ui(interaction)
{
    setObjectName(QStringLiteral("frmAccountModi"));
    setWindowTitle(QStringLiteral("添加店铺帐号"));
    setModal(true);

    m_userName = named(new QLineEdit(this), QStringLiteral("_UserName"));
    m_password = named(new QLineEdit(this), QStringLiteral("_Password"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_remark = named(new QPlainTextEdit(this), QStringLiteral("_Remark"));
    m_remark->setTabChangesFocus(true);
    m_remark->setFixedHeight(72);
    m_ok = ui::button(this, QStringLiteral("_OK"), QStringLiteral("确认"));
    m_cancel = ui::button(this, QStringLiteral("_Cancle"), QStringLiteral("取消"));
    // Enter belongs to the fields (it moves on), never to a default button
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);

    auto *grid = new QGridLayout;
    grid->addWidget(ui::label(this, QStringLiteral("淘宝会员名:")), 0, 0, Qt::AlignRight);
    grid->addWidget(m_userName, 0, 1);
    grid->addWidget(ui::label(this, QStringLiteral("密码")), 1, 0, Qt::AlignRight);
    grid->addWidget(m_password, 1, 1);
    grid->addWidget(ui::label(this, QStringLiteral("描述:")), 2, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(m_remark, 2, 1);
    grid->setColumnMinimumWidth(1, 240);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(buttons);
    setTabOrder(m_userName, m_password);
    setTabOrder(m_password, m_remark);
    setTabOrder(m_remark, m_ok);
    setTabOrder(m_ok, m_cancel);

    for (QWidget *w : {static_cast<QWidget *>(m_userName), static_cast<QWidget *>(m_password),
                       static_cast<QWidget *>(m_remark)})
        w->installEventFilter(this);
    connect(m_ok, &QPushButton::clicked, this, &TfrmAccountModi::OKClick);
    connect(m_cancel, &QPushButton::clicked, this, &TfrmAccountModi::CancleClick);
}

void TfrmAccountModi::prepareAdd()
{
    setWindowTitle(QStringLiteral("添加店铺帐号"));
    m_userName->clear();
    m_password->clear();
    m_remark->clear();
    m_tag = 0;
    m_storedBefore.clear();
    m_nameBefore.clear();
}

void TfrmAccountModi::prepareModify(const ShopAccount &account)
{
    setWindowTitle(QStringLiteral("修改店铺帐号"));
    m_nameBefore = TrimText(account.userName);
    m_storedBefore = account.stored;
    m_userName->setText(m_nameBefore);
    m_password->setText(ShopAccounts::placeholder());
    m_remark->setPlainText(account.remark);
    m_tag = account.uniqid;
}

void TfrmAccountModi::OKClick()
{
    ShopAccounts::Edit edit;
    edit.tag = m_tag;
    edit.userName = m_userName->text();
    edit.password = m_password->text();
    edit.remark = m_remark->toPlainText();
    edit.storedBefore = m_storedBefore;
    edit.nameBefore = m_nameBefore;
    switch (m_accounts.save(edit, m_ui)) {
    case ShopAccounts::Saved::Yes:
        accept();
        break;
    case ShopAccounts::Saved::FocusUserName:
        m_userName->setFocus();
        break;
    case ShopAccounts::Saved::SelectUserName:
        m_userName->setFocus();
        m_userName->selectAll();
        break;
    case ShopAccounts::Saved::FocusPassword:
        m_password->setFocus();
        break;
    case ShopAccounts::Saved::Failed:
        break;
    }
}

void TfrmAccountModi::CancleClick()
{
    reject();
}

void TfrmAccountModi::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_userName->setFocus();
}

bool TfrmAccountModi::eventFilter(QObject *watched, QEvent *event)
{
    // Enter moves to the next control; Ctrl+Enter still breaks a line of the remark
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (enter && mods == Qt::NoModifier) {
            focusNextChild();
            return true;
        }
        if (enter && watched == m_remark && mods == Qt::ControlModifier) {
            m_remark->insertPlainText(QStringLiteral("\n"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
