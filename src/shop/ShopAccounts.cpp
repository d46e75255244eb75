#include "shop/ShopAccounts.h"

#include "base/Interaction.h"
#include "base/TextRoutines.h"
#include "shop/PasswordVault.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString ShopAccounts::countText(int count)
{
    return QStringLiteral(" 共 ") + QString::number(count) + QStringLiteral(" 项");
}

std::vector<ShopAccount> ShopAccounts::all() const
{
    std::vector<ShopAccount> rows;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("select Uniqid, UserName, Password, remark from _Account")))
        return rows;
    while (q.next())
        rows.push_back(
            {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return rows;
}

bool ShopAccounts::find(const QString &name, ShopAccount *account) const
{
    const QString wanted = TrimText(name);
    for (const ShopAccount &a : all()) {
        if (TrimText(a.userName) == wanted) {
            *account = a;
            return true;
        }
    }
    return false;
}

int ShopAccounts::countNamed(const QString &name, qint64 except)
{
    QSqlQuery q(m_db);
    q.prepare(except == 0 ? QStringLiteral("select count(*) from _Account where UserName=?")
                          : QStringLiteral("select count(*) from _Account where UserName=? and uniqid<>?"));
    q.addBindValue(name);
    if (except != 0)
        q.addBindValue(except);
    if (!q.exec() || !q.next()) {
        m_error = q.lastError().text();
        return -1;
    }
    return q.value(0).toInt();
}

ShopAccounts::Saved ShopAccounts::save(const Edit &edit, Interaction &ui)
{
    m_error.clear();
    const QString name = TrimText(edit.userName);
    if (name.isEmpty()) {
        ui.warn(QStringLiteral("请输入淘宝会员名."));
        return Saved::FocusUserName;
    }
    if (edit.password.isEmpty()) {
        ui.warn(QStringLiteral("请输入密码."));
        return Saved::FocusPassword;
    }
    const int named = countNamed(name, edit.tag);
    if (named < 0) {
        ui.error(m_error);
        return Saved::Failed;
    }
    if (named > 0) {
        ui.warn(QStringLiteral("淘宝会员名:\"") + name + QStringLiteral("\" 已存在,请重新输入."));
        return Saved::SelectUserName;
    }

    // An edit that leaves the placeholder keeps the password it had; it is
    // sealed again below because the stored form belongs to the member name.
    QString password = edit.password;
    if (edit.tag != 0 && edit.password == placeholder()) {
        const PasswordVault::Opened kept = m_vault.open(TrimText(edit.nameBefore), edit.storedBefore);
        if (!kept.ok()) {
            ui.warn(kept.error);
            return Saved::FocusPassword;
        }
        password = kept.password;
    }
    const PasswordVault::Sealed sealed = m_vault.seal(name, password);
    if (!sealed.ok()) {
        m_error = sealed.error;
        ui.error(sealed.error);
        return Saved::Failed;
    }

    QSqlQuery q(m_db);
    if (edit.tag == 0) {
        q.prepare(QStringLiteral("Insert Into _Account(UserName,Password,remark)\nselect ?,?,?"));
        q.addBindValue(name);
        q.addBindValue(sealed.text);
        q.addBindValue(edit.remark);
    } else {
        q.prepare(QStringLiteral("update _account set\nUserName=?\n,Password=?\n,remark=?\nwhere uniqid=?"));
        q.addBindValue(name);
        q.addBindValue(sealed.text);
        q.addBindValue(edit.remark);
        q.addBindValue(edit.tag);
    }
    if (!q.exec()) {
        m_error = q.lastError().text();
        ui.error(m_error);
        return Saved::Failed;
    }
    return Saved::Yes;
}

QString ShopAccounts::deleteQuestion(const QStringList &names)
{
    if (names.size() == 1)
        return QStringLiteral("是否要删除: ") + names.first();
    return QStringLiteral("是否要删除选中的 ") + QString::number(names.size()) + QStringLiteral(" 个项?");
}

bool ShopAccounts::remove(const QList<qint64> &ids, const QStringList &names, Interaction &ui)
{
    m_error.clear();
    if (ids.isEmpty()) {
        ui.warn(QStringLiteral("请选择要删除的项"));
        return false;
    }
    if (!ui.ask(deleteQuestion(names)))
        return false;
    if (!erase(ids)) {
        ui.error(m_error);
        return false;
    }
    return true;
}

bool ShopAccounts::erase(const QList<qint64> &ids)
{
    m_error.clear();
    if (ids.isEmpty())
        return true;
    QStringList marks;
    for (qsizetype i = 0; i < ids.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("Delete From _Account where Uniqid in (") + marks.join(QLatin1Char(',')) +
              QStringLiteral(")"));
    for (qint64 id : ids)
        q.addBindValue(id);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    return true;
}

ShopAccounts::Password ShopAccounts::password(const QString &name, const QString &stored) const
{
    const PasswordVault::Opened opened = m_vault.open(TrimText(name), stored);
    return {opened.ok(), opened.password, opened.error};
}
