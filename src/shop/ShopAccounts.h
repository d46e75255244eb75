#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

class Interaction;
class PasswordVault;

// One row of _Account. The password is only ever held in its stored form.
struct ShopAccount
{
    qint64 uniqid = 0;
    QString userName; // as stored; the lists show it trimmed
    QString stored;   // the stored form of the password
    QString remark;
};

// The user's shop accounts in _Account: the list, adding, editing and
// deleting them, with the checks and messages of the account dialogs. The
// dialogs forward to this class; so does "stocksync accounts".
class ShopAccounts
{
public:
    ShopAccounts(const QSqlDatabase &db, PasswordVault &vault) : m_db(db), m_vault(vault) {}

    // What the edit dialog shows in place of an unchanged stored password.
    static QString placeholder() { return QStringLiteral("****19991231****"); }
    // The password column of the list, whatever the password.
    static QString maskedPassword() { return QStringLiteral("********"); }
    // The status bar of the account dialog.
    static QString countText(int count);

    // "select * from _account", in table order. Empty on a database error.
    std::vector<ShopAccount> all() const;
    // The first account whose trimmed name is name.
    bool find(const QString &name, ShopAccount *account) const;

    // What the edit dialog holds when confirmed.
    struct Edit
    {
        qint64 tag = 0;   // 0: a new account; otherwise the edited account's Uniqid
        QString userName; // as typed
        QString password; // as typed (the placeholder keeps the stored one)
        QString remark;
        // of the edited account, as it was when the dialog was filled
        QString storedBefore;
        QString nameBefore;
    };
    enum class Saved {
        Yes,
        FocusUserName,  // refused; focus the member name
        SelectUserName, // refused as a duplicate; focus the member name, its text selected
        FocusPassword,  // refused; focus the password
        Failed,         // a database or key failure, shown
    };
    // Checks, stores and reports through ui, as the confirm button of the edit dialog does.
    Saved save(const Edit &edit, Interaction &ui);

    // Asks about and deletes the given accounts in one statement, as the
    // delete command does; names are the rows' member names (for the question).
    // False when nothing was deleted (no selection, No, or a database error,
    // each reported).
    bool remove(const QList<qint64> &ids, const QStringList &names, Interaction &ui);
    // The question before deleting.
    static QString deleteQuestion(const QStringList &names);
    // Deletes the accounts in one statement, without asking; false on a
    // database error (see lastError()).
    bool erase(const QList<qint64> &ids);

    // The password of an account for the login form. On failure the text to
    // show says that it must be entered again; never a wrong password.
    struct Password
    {
        bool ok = false;
        QString text;  // the password
        QString error; // for the user
    };
    Password password(const QString &name, const QString &stored) const;

    // The last database error, for the command line.
    const QString &lastError() const { return m_error; }

private:
    // Rows named name (trimmed compare), other than the row except.
    int countNamed(const QString &name, qint64 except);

    QSqlDatabase m_db;
    PasswordVault &m_vault;
    QString m_error;
};
