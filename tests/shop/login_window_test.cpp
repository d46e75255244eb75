// The main window's login: the toolbar's "登录" drives the two browsers of
// the browser panels against the stand-in and switches the window's commands.
#include "TestRig.h"
#include "SandboxModel.h"
#include "jobs/RequestJob.h"
#include "app/ui/MainWindow.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"
#include "shop/ui/LoginPanels.h"
#include "target/ui/TargetPane.h"
#include "top/TopClient.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>

class LoginWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loginClickLogsInAndEnablesTheCommands();
};

namespace {

template <class T> T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// With STOCKSYNC_SHOT_DIR set, the browser panel is saved there as a PNG file
// for a look at its layout.
void shoot(QWidget *w, const QString &name)
{
    const QString dir = qEnvironmentVariable("STOCKSYNC_SHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QVERIFY(w->grab().save(QDir(dir).filePath(name)));
}

} // namespace

void LoginWindowTest::loginClickLogsInAndEnablesTheCommands()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(rig.sandbox.hasDistinctPageHosts());
    ShopAccounts::Edit edit;
    edit.userName = QStringLiteral("sandbox_c_1");
    edit.password = QStringLiteral("taobao1234");
    QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);

    TfrmMain w(*rig.app);
    w.resize(1280, 800);
    w.show();
    w.targetPane().GetUserList();
    QComboBox *users = w.targetPane().usersBox();
    users->setCurrentIndex(users->findText(edit.userName));
    w.targetPane().usersClick();
    QCOMPARE(rig.app->currentAccount(), edit.userName);

    auto *login = child<QToolButton>(&w, "_Login");
    auto *userGrade = child<QAction>(&w, "_UserGrade");
    QCOMPARE(login->text(), QStringLiteral("登录"));
    QVERIFY(!userGrade->isEnabled());
    QVERIFY(users->isEnabled());

    QTest::mouseClick(login, Qt::LeftButton);
    ShopLogin *state = w.loginPanels().login();
    QVERIFY(state);
    // the views took the places of the placeholders
    QVERIFY(child<QWebEngineView>(&w, "_WebBrowser"));
    QVERIFY(child<QWebEngineView>(&w, "_WebBrowserFrame"));
    QTRY_VERIFY_WITH_TIMEOUT(state->loggedIn(), 90000);
    QVERIFY2(rig.ui.messages().isEmpty(), qPrintable(rig.ui.messages().join(QLatin1Char('\n'))));

    QCOMPARE(login->text(), state->loginCaption());
    QCOMPARE(login->text(), QStringLiteral("注销登录"));
    QVERIFY(userGrade->isEnabled());
    QVERIFY(child<QAction>(&w, "NDownload")->isEnabled());
    QVERIFY(child<QToolButton>(&w, "_Upload")->isEnabled());
    QVERIFY(!child<QAction>(&w, "_updateprice")->isEnabled());
    QVERIFY(!users->isEnabled());
    QVERIFY(!rig.app->jobs().panel2().shown());
    QVERIFY(!rig.app->client().sessionKey().isEmpty());
    QCOMPARE(rig.app->client().sessionKey(), rig.sandbox.lastIssuedSession());

    // Logged out, a supplier's shop that has not authorized the key yet: the
    // consent page comes to the front at its larger size for a person.
    ShopAccounts::Edit supplier;
    supplier.userName = QStringLiteral("sandbox_c_2");
    supplier.password = QStringLiteral("taobao1234");
    QVERIFY(rig.app->shopAccounts().save(supplier, rig.ui) == ShopAccounts::Saved::Yes);
    rig.ui.answerQuestion(true);
    QTest::mouseClick(login, Qt::LeftButton);
    QVERIFY(!state->loggedIn());
    QVERIFY(!userGrade->isEnabled());
    w.targetPane().GetUserList();
    users->setCurrentIndex(users->findText(supplier.userName));
    w.targetPane().usersClick();
    QTest::mouseClick(login, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(state->panelHeight(), int(ShopLogin::ConsentPanelHeight), 90000);
    QVERIFY(state->browserPanelInFront());
    QWidget *panel = child<QWidget>(&w, "_PanelWebBrowser1");
    QTRY_COMPARE(panel->height(), int(ShopLogin::ConsentPanelHeight));
    QVERIFY(panel->isVisible());
    QTest::qWait(1000); // the page paints
    shoot(panel, QStringLiteral("consent_panel.png"));
    shoot(&w, QStringLiteral("consent_window.png"));

    // For the pictures only: the login page itself in the panel, as a
    // captcha brings it to the front.
    if (!qEnvironmentVariableIsEmpty("STOCKSYNC_SHOT_DIR")) {
        state->RzLabel7Click();
        supplier.tag = 0;
        supplier.userName = QStringLiteral("sandbox_b_01");
        supplier.password = rig.sandbox.passwordFor(supplier.userName);
        rig.sandbox.modify([](topsandbox::ShopModel &m) { m.shopByNick(QStringLiteral("sandbox_b_01"))->captcha = true; });
        QVERIFY(rig.app->shopAccounts().save(supplier, rig.ui) == ShopAccounts::Saved::Yes);
        w.targetPane().GetUserList();
        users->setCurrentIndex(users->findText(supplier.userName));
        w.targetPane().usersClick();
        QTest::mouseClick(login, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(state->browserPanelInFront() && !state->progressShown(), 90000);
        QTest::qWait(1000);
        shoot(&w, QStringLiteral("login_page_window.png"));
    }
}

int main(int argc, char **argv)
{
    // The tests run as root, where Chromium's sandbox cannot start; only the
    // tests and the scripts switch it off, never the program.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    LoginWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "login_window_test.moc"
