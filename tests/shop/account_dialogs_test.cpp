#include "TestDataDir.h"
#include "app/ui/ListView.h"
#include "base/ListModel.h"
#include "shop/PasswordVault.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/AccountAdmin.h"
#include "shop/ui/AccountModi.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <functional>

// With STOCKSYNC_SHOT_DIR set, the dialogs are also saved there as PNG files
// for a look at their layout.
namespace {

void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name)));
}

// Runs act on the edit dialog once it is shown modally.
void onModal(TfrmAccountAdmin &admin, std::function<void(TfrmAccountModi *)> act)
{
    QTimer::singleShot(0, &admin, [&admin, act] {
        QTRY_VERIFY(admin.editDialog()->isVisible());
        act(admin.editDialog());
    });
}

template <class W> W *field(QWidget *dialog, const char *name)
{
    return dialog->findChild<W *>(QString::fromLatin1(name));
}

} // namespace

class AccountDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enterMovesOnAndConfirmSaves();
    void addModifyAndDeleteThroughTheList();
};

void AccountDialogsTest::enterMovesOnAndConfirmSaves()
{
    TestDataDir d;
    QVERIFY(d.open());
    PasswordVault vault(PasswordVault::keyFileBeside(d.data->databasePath()));
    ShopAccounts accounts(d.db(), vault);
    TfrmAccountModi modi(accounts, d.ui);
    modi.prepareAdd();
    modi.show();
    QVERIFY(QTest::qWaitForWindowActive(&modi));
    auto *name = field<QLineEdit>(&modi, "_UserName");
    auto *password = field<QLineEdit>(&modi, "_Password");
    auto *remark = field<QPlainTextEdit>(&modi, "_Remark");
    QTRY_COMPARE(QApplication::focusWidget(), name);
    QTest::keyClicks(name, QStringLiteral("shop"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), password);
    QTest::keyClicks(password, QStringLiteral("pw"));
    QTest::keyClick(password, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(QApplication::focusWidget(), remark);
    QTest::keyClicks(remark, QStringLiteral("l1"));
    QTest::keyClick(remark, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(remark, QStringLiteral("l2"));
    QTest::keyClick(remark, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), field<QPushButton>(&modi, "_OK"));
    QVERIFY(modi.isVisible()); // Enter never confirms by itself
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    shoot(&modi, QStringLiteral("account_add.png"));

    QTest::mouseClick(field<QPushButton>(&modi, "_OK"), Qt::LeftButton);
    QCOMPARE(modi.result(), int(QDialog::Accepted));
    const auto rows = accounts.all();
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].remark, QStringLiteral("l1\nl2"));
    QCOMPARE(accounts.password(QStringLiteral("shop"), rows[0].stored).text, QStringLiteral("pw"));

    // a refused save keeps the dialog open, the name selected
    modi.prepareAdd();
    modi.show();
    name->setText(QStringLiteral("shop"));
    password->setText(QStringLiteral("x"));
    modi.setResult(QDialog::Rejected);
    QTest::mouseClick(field<QPushButton>(&modi, "_OK"), Qt::LeftButton);
    QVERIFY(modi.isVisible());
    QCOMPARE(modi.result(), int(QDialog::Rejected));
    QCOMPARE(name->selectedText(), QStringLiteral("shop"));
    QTRY_COMPARE(QApplication::focusWidget(), name);
}

void AccountDialogsTest::addModifyAndDeleteThroughTheList()
{
    TestDataDir d;
    QVERIFY(d.open());
    PasswordVault vault(PasswordVault::keyFileBeside(d.data->databasePath()));
    ShopAccounts accounts(d.db(), vault);
    TfrmAccountAdmin admin(accounts, d.ui);
    admin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&admin));
    auto *status = field<QStatusBar>(&admin, "_StatusBar");
    QCOMPARE(status->currentMessage(), QStringLiteral(" 共 0 项"));

    for (const QString &n :
         {QStringLiteral("旗舰店"), QStringLiteral("专卖店"), QStringLiteral("a-very-long-name-shop")}) {
        onModal(admin, [n](TfrmAccountModi *m) {
            QCOMPARE(m->windowTitle(), QStringLiteral("添加店铺帐号"));
            QCOMPARE(m->tag(), qint64(0));
            field<QLineEdit>(m, "_UserName")->setText(n);
            field<QLineEdit>(m, "_Password")->setText(QStringLiteral("password of ") + n);
            field<QPlainTextEdit>(m, "_Remark")->setPlainText(QStringLiteral("备注 ") + n);
            QTest::mouseClick(field<QPushButton>(m, "_OK"), Qt::LeftButton);
        });
        admin.AddClick();
    }
    ListModel *model = admin.listModel();
    QCOMPARE(model->count(), 3);
    QCOMPARE(status->currentMessage(), QStringLiteral(" 共 3 项"));
    for (const ListRow &r : model->rows())
        QCOMPARE(r.cells.first(), QStringLiteral("********"));
    QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("描述"));

    d.ui.clear();
    admin.ModiClick();
    QCOMPARE(d.ui.messages(), QStringList{QStringLiteral("请选择要修改的店铺帐号.")});

    // renamed with the placeholder left: the password stays
    admin.listView()->setCurrentIndex(admin.listView()->model()->index(1, 0));
    onModal(admin, [](TfrmAccountModi *m) {
        QCOMPARE(m->windowTitle(), QStringLiteral("修改店铺帐号"));
        QCOMPARE(field<QLineEdit>(m, "_Password")->text(), QStringLiteral("****19991231****"));
        QCOMPARE(field<QLineEdit>(m, "_UserName")->text(), QStringLiteral("专卖店"));
        shoot(m, QStringLiteral("account_modify.png"));
        field<QLineEdit>(m, "_UserName")->setText(QStringLiteral("专卖店2"));
        QTest::mouseClick(field<QPushButton>(m, "_OK"), Qt::LeftButton);
    });
    admin.ModiClick();
    QCOMPARE(model->row(1).caption, QStringLiteral("专卖店2"));
    ShopAccount renamed;
    QVERIFY(accounts.find(QStringLiteral("专卖店2"), &renamed));
    QCOMPARE(accounts.password(renamed.userName, renamed.stored).text, QStringLiteral("password of 专卖店"));

    admin.N6Click();
    QCOMPARE(admin.listView()->selectedModelRows().size(), size_t(3));
    shoot(&admin, QStringLiteral("account_admin.png"));
    d.ui.clear();
    d.ui.answerQuestion(true);
    admin.DelClick();
    QCOMPARE(d.ui.records().size(), 1);
    QCOMPARE(d.ui.last()->text, QStringLiteral("是否要删除选中的 3 个项?"));
    QCOMPARE(model->count(), 0);
    QCOMPARE(status->currentMessage(), QStringLiteral(" 共 0 项"));
    QVERIFY(accounts.all().empty());

    admin.DelClick();
    QCOMPARE(d.ui.last()->text, QStringLiteral("请选择要删除的项"));
}

QTEST_MAIN(AccountDialogsTest)
#include "account_dialogs_test.moc"
