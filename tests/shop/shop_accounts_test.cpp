#include "TestDataDir.h"
#include "app/AccountCommands.h"
#include "app/CommandLine.h"
#include "shop/PasswordVault.h"
#include "shop/ShopAccounts.h"

#include <QFile>
#include <QSqlQuery>
#include <QtTest>

namespace {

QString vaultFile(const TestDataDir &d)
{
    return PasswordVault::keyFileBeside(d.data->databasePath());
}

QString storedOf(const QSqlDatabase &db, const QString &name)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select Password from _Account where UserName=?"));
    q.addBindValue(name);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

ShopAccounts::Saved add(ShopAccounts &accounts, Interaction &ui, const QString &name, const QString &password,
                        const QString &remark = QString())
{
    ShopAccounts::Edit e;
    e.userName = name;
    e.password = password;
    e.remark = remark;
    return accounts.save(e, ui);
}

} // namespace

class ShopAccountsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void storedFormsOpenOnlyForTheirAccountAndKey();
    void duplicateNamesAreRefused();
    void anEditKeepingThePlaceholderKeepsThePassword();
    void threeAccountsGoInOneStatement();
    void aCopiedDatabaseWithoutItsKeyAsksForThePassword();
    void commandLineAddsListsAndRemoves();
};

void ShopAccountsTest::storedFormsOpenOnlyForTheirAccountAndKey()
{
    QTemporaryDir dir;
    const QString keyFile = dir.filePath(QStringLiteral("stocksync.key"));
    PasswordVault vault(keyFile);
    // opening never makes a key
    QCOMPARE(vault.open(QStringLiteral("a"), QStringLiteral("AQ==")).failure, PasswordVault::Failure::NoKey);
    QVERIFY(!QFile::exists(keyFile));

    const PasswordVault::Sealed s = vault.seal(QStringLiteral("店铺甲"), QStringLiteral("pa's 密码"));
    QVERIFY2(s.ok(), qPrintable(s.error));
    QVERIFY(QFile::exists(keyFile));
    QCOMPARE(QFile(keyFile).size(), 32);
#ifdef Q_OS_UNIX
    QCOMPARE(QFile(keyFile).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser);
#endif
    QVERIFY(!s.text.contains(QStringLiteral("pa's")));
    QVERIFY(!QByteArray::fromBase64(s.text.toLatin1()).isEmpty());
    // a fresh nonce each time
    QVERIFY(vault.seal(QStringLiteral("店铺甲"), QStringLiteral("pa's 密码")).text != s.text);

    PasswordVault again(keyFile); // a later run reads the same key
    const PasswordVault::Opened o = again.open(QStringLiteral("店铺甲"), s.text);
    QVERIFY2(o.ok(), qPrintable(o.error));
    QCOMPARE(o.password, QStringLiteral("pa's 密码"));

    // moved to another account
    const PasswordVault::Opened moved = again.open(QStringLiteral("店铺乙"), s.text);
    QCOMPARE(moved.failure, PasswordVault::Failure::Unreadable);
    QVERIFY(moved.password.isEmpty());
    QVERIFY(moved.error.startsWith(PasswordVault::unreadableText(QStringLiteral("店铺乙"))));
    // any changed byte, a cut form, not Base64, nothing
    QByteArray bytes = QByteArray::fromBase64(s.text.toLatin1());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        QByteArray t = bytes;
        t[i] = static_cast<char>(t[i] ^ 0x01);
        QCOMPARE(again.open(QStringLiteral("店铺甲"), QString::fromLatin1(t.toBase64())).failure,
                 PasswordVault::Failure::Unreadable);
    }
    for (const QString &bad :
         {QString::fromLatin1(bytes.left(20).toBase64()), QStringLiteral("plain text!"), QString()})
        QCOMPARE(again.open(QStringLiteral("店铺甲"), bad).failure, PasswordVault::Failure::Unreadable);

    // another installation's key
    QTemporaryDir other;
    PasswordVault foreign(other.filePath(QStringLiteral("stocksync.key")));
    QVERIFY(foreign.seal(QStringLiteral("x"), QStringLiteral("y")).ok());
    QCOMPARE(foreign.open(QStringLiteral("店铺甲"), s.text).failure, PasswordVault::Failure::Unreadable);

    // a damaged key file is said to be one
    QFile damaged(other.filePath(QStringLiteral("short.key")));
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("0123456789") == 10);
    damaged.close();
    PasswordVault shortKey(damaged.fileName());
    QCOMPARE(shortKey.seal(QStringLiteral("a"), QStringLiteral("b")).failure,
             PasswordVault::Failure::BadKeyFile);
    QCOMPARE(shortKey.open(QStringLiteral("a"), s.text).failure, PasswordVault::Failure::BadKeyFile);
}

void ShopAccountsTest::duplicateNamesAreRefused()
{
    TestDataDir d;
    QVERIFY(d.open());
    PasswordVault vault(vaultFile(d));
    ShopAccounts accounts(d.db(), vault);
    QCOMPARE(add(accounts, d.ui, QStringLiteral("  o'shop "), QStringLiteral("1")), ShopAccounts::Saved::Yes);
    QCOMPARE(add(accounts, d.ui, QStringLiteral("o'shop"), QStringLiteral("2")),
             ShopAccounts::Saved::SelectUserName);
    QCOMPARE(d.ui.last()->text, QStringLiteral("淘宝会员名:\"o'shop\" 已存在,请重新输入."));
    QCOMPARE(d.ui.last()->icon, Interaction::Icon::Warning);
    QCOMPARE(add(accounts, d.ui, QStringLiteral(" "), QStringLiteral("2")),
             ShopAccounts::Saved::FocusUserName);
    QCOMPARE(d.ui.last()->text, QStringLiteral("请输入淘宝会员名."));
    QCOMPARE(add(accounts, d.ui, QStringLiteral("b"), QString()), ShopAccounts::Saved::FocusPassword);
    QCOMPARE(d.ui.last()->text, QStringLiteral("请输入密码."));

    // an edit may keep its own name, but not take another's
    QCOMPARE(add(accounts, d.ui, QStringLiteral("b"), QStringLiteral("3")), ShopAccounts::Saved::Yes);
    const auto rows = accounts.all();
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].userName, QStringLiteral("o'shop"));
    ShopAccounts::Edit e{rows[1].uniqid, QStringLiteral("b"), QStringLiteral("4"),
                         QString(),      rows[1].stored,      rows[1].userName};
    QCOMPARE(accounts.save(e, d.ui), ShopAccounts::Saved::Yes);
    e.userName = QStringLiteral("o'shop");
    QCOMPARE(accounts.save(e, d.ui), ShopAccounts::Saved::SelectUserName);
}

void ShopAccountsTest::anEditKeepingThePlaceholderKeepsThePassword()
{
    TestDataDir d;
    QVERIFY(d.open());
    PasswordVault vault(vaultFile(d));
    ShopAccounts accounts(d.db(), vault);
    QCOMPARE(add(accounts, d.ui, QStringLiteral("old"), QStringLiteral("secret 1"), QStringLiteral("a\r\nb")),
             ShopAccounts::Saved::Yes);
    ShopAccount a = accounts.all().front();
    QCOMPARE(a.remark, QStringLiteral("a\r\nb"));

    // renamed, placeholder left: the password follows the new name
    ShopAccounts::Edit e{
        a.uniqid,  QStringLiteral(" new "), ShopAccounts::placeholder(), QStringLiteral("r"), a.stored,
        a.userName};
    QCOMPARE(accounts.save(e, d.ui), ShopAccounts::Saved::Yes);
    a = accounts.all().front();
    QCOMPARE(a.userName, QStringLiteral("new"));
    const ShopAccounts::Password p = accounts.password(QStringLiteral("new"), a.stored);
    QVERIFY2(p.ok, qPrintable(p.error));
    QCOMPARE(p.text, QStringLiteral("secret 1"));
    QVERIFY(!accounts.password(QStringLiteral("old"), a.stored).ok);

    // typed over the placeholder: replaced
    e = {a.uniqid,  QStringLiteral("new"), QStringLiteral("secret 2"), QStringLiteral("r"), a.stored,
         a.userName};
    QCOMPARE(accounts.save(e, d.ui), ShopAccounts::Saved::Yes);
    QCOMPARE(accounts.password(QStringLiteral("new"), storedOf(d.db(), QStringLiteral("new"))).text,
             QStringLiteral("secret 2"));
}

void ShopAccountsTest::threeAccountsGoInOneStatement()
{
    TestDataDir d;
    QVERIFY(d.open());
    PasswordVault vault(vaultFile(d));
    ShopAccounts accounts(d.db(), vault);
    for (const char *n : {"a", "b", "c", "d"})
        QCOMPARE(add(accounts, d.ui, QString::fromLatin1(n), QStringLiteral("p")), ShopAccounts::Saved::Yes);
    const auto rows = accounts.all();

    QVERIFY(!accounts.remove({}, {}, d.ui));
    QCOMPARE(d.ui.last()->text, QStringLiteral("请选择要删除的项"));
    QCOMPARE(d.ui.last()->icon, Interaction::Icon::Warning);

    const QList<qint64> ids{rows[0].uniqid, rows[2].uniqid, rows[3].uniqid};
    const QStringList names{QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("d")};
    QVERIFY(!accounts.remove(ids, names, d.ui)); // answered No
    QCOMPARE(d.ui.last()->kind, ScriptedInteraction::Kind::Question);
    QCOMPARE(d.ui.last()->text, QStringLiteral("是否要删除选中的 3 个项?"));
    QCOMPARE(accounts.all().size(), size_t(4));

    // one statement: a trigger counts the statements that delete
    QSqlQuery q(d.db());
    QVERIFY(q.exec(QStringLiteral("create temp table deletes(n int)")));
    QVERIFY(q.exec(QStringLiteral("create temp trigger counting after delete on _Account for each row "
                                  "begin insert into deletes values(changes()); end")));
    d.ui.answerQuestion(true);
    QVERIFY(accounts.remove(ids, names, d.ui));
    const auto left = accounts.all();
    QCOMPARE(left.size(), size_t(1));
    QCOMPARE(left.front().userName, QStringLiteral("b"));
    QVERIFY(q.exec(QStringLiteral("select count(*) from deletes")) && q.next());
    QCOMPARE(q.value(0).toInt(), 3);

    QCOMPARE(ShopAccounts::deleteQuestion({QStringLiteral("b")}), QStringLiteral("是否要删除: b"));
}

void ShopAccountsTest::aCopiedDatabaseWithoutItsKeyAsksForThePassword()
{
    TestDataDir d;
    QVERIFY(d.open());
    {
        PasswordVault vault(vaultFile(d));
        ShopAccounts accounts(d.db(), vault);
        QCOMPARE(add(accounts, d.ui, QStringLiteral("shop"), QStringLiteral("pw")), ShopAccounts::Saved::Yes);
    }
    // the database file alone, copied to another installation once the program has ended
    const QString original = d.data->databasePath();
    d.data.reset();
    TestDataDir copy;
    QVERIFY(QDir().mkpath(QFileInfo(TADOMain::databasePathFor(copy.path())).absolutePath()));
    QVERIFY(QFile::copy(original, TADOMain::databasePathFor(copy.path())));
    QVERIFY(copy.open());
    PasswordVault vault(vaultFile(copy));
    ShopAccounts accounts(copy.db(), vault);
    ShopAccount a;
    QVERIFY(accounts.find(QStringLiteral("shop"), &a));
    const ShopAccounts::Password p = accounts.password(a.userName, a.stored);
    QVERIFY(!p.ok);
    QVERIFY(p.text.isEmpty());
    QVERIFY(p.error.startsWith(PasswordVault::unreadableText(QStringLiteral("shop"))));
    QVERIFY(!QFile::exists(vaultFile(copy)));

    // keeping the unreadable password is refused; typing it anew repairs the account
    ShopAccounts::Edit e{a.uniqid,  QStringLiteral("shop"), ShopAccounts::placeholder(), QString(), a.stored,
                         a.userName};
    QCOMPARE(accounts.save(e, copy.ui), ShopAccounts::Saved::FocusPassword);
    QCOMPARE(copy.ui.last()->text, p.error);
    QCOMPARE(storedOf(copy.db(), QStringLiteral("shop")), a.stored);
    e.password = QStringLiteral("pw2");
    QCOMPARE(accounts.save(e, copy.ui), ShopAccounts::Saved::Yes);
    QCOMPARE(accounts.password(QStringLiteral("shop"), storedOf(copy.db(), QStringLiteral("shop"))).text,
             QStringLiteral("pw2"));
}

void ShopAccountsTest::commandLineAddsListsAndRemoves()
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    QString out;
    auto run = [&](const QStringList &args, const QString &stdinText = QString()) {
        QString in = stdinText;
        QTextStream input(&in);
        out.clear();
        QTextStream output(&out);
        CommandContext ctx{dir.path(), args, ui};
        return RunAccounts(ctx, input, output);
    };
    QVERIFY(CommandTable::find(QStringLiteral("accounts")));
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("shop1"), QStringLiteral("--remark"),
                  QStringLiteral("备注")},
                 QStringLiteral("p@ss word\r\nnext line\n")),
             0);
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("shop1")}, QStringLiteral("x\n")), 1);
    QCOMPARE(ui.messages().last(), QStringLiteral("淘宝会员名:\"shop1\" 已存在,请重新输入."));
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("shop2")}, QString()), 1);
    QCOMPARE(ui.messages().last(), QStringLiteral("请输入密码."));
    QCOMPARE(run({QStringLiteral("add")}), 2);
    QCOMPARE(run({QStringLiteral("add"), QStringLiteral("a"), QStringLiteral("b")}), 2);
    QCOMPARE(run({QStringLiteral("list"), QStringLiteral("x")}), 2);
    QCOMPARE(run({QStringLiteral("frobnicate")}), 2);

    QCOMPARE(run({QStringLiteral("list")}), 0);
    QCOMPARE(out, QStringLiteral("shop1\t备注\n"));

    {
        // the password went through the vault, without its line break
        TADOMain store(dir.path());
        QVERIFY(store.DataModuleCreate());
        PasswordVault vault(PasswordVault::keyFileBeside(store.databasePath()));
        ShopAccounts accounts(store.ADOConn(), vault);
        ShopAccount a;
        QVERIFY(accounts.find(QStringLiteral("shop1"), &a));
        QCOMPARE(accounts.password(a.userName, a.stored).text, QStringLiteral("p@ss word"));
    }

    QCOMPARE(run({QStringLiteral("remove"), QStringLiteral("nobody")}), 1);
    QCOMPARE(run({QStringLiteral("remove"), QStringLiteral("shop1")}), 0);
    QCOMPARE(run({QStringLiteral("list")}), 0);
    QCOMPARE(out, QString());
}

QTEST_GUILESS_MAIN(ShopAccountsTest)
#include "shop_accounts_test.moc"
