// stocksync login NAME against the stand-in, as a script runs it: the
// session is read in offscreen browsers, a page that needs a person ends
// with exit 3, an unknown account with exit 1.
#include "TestRig.h"
#include "SandboxModel.h"
#include "shop/Login.h"
#include "shop/ShopAccounts.h"

#include <QProcess>
#include <QtTest>

class LoginCommandTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loginFromTheCommandLine()
    {
        TestRig rig;
        QVERIFY(rig.openWithSandbox());
        for (const auto &[name, password] : {std::pair{"sandbox_c_1", "taobao1234"}, std::pair{"sandbox_c_2", "wrong"}}) {
            ShopAccounts::Edit edit;
            edit.userName = QString::fromLatin1(name);
            edit.password = QString::fromLatin1(password);
            QVERIFY(rig.app->shopAccounts().save(edit, rig.ui) == ShopAccounts::Saved::Yes);
        }
        rig.app.reset(); // the command takes the data folder

        auto run = [&](const QString &name, QByteArray *out, QByteArray *err) {
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            // The tests run as root, where Chromium's sandbox cannot start; only
            // the tests and the scripts switch it off, never the program.
            env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(STOCKSYNC_EXE), {QStringLiteral("--data-dir"), rig.path(), QStringLiteral("login"), name});
            if (!p.waitForFinished(120000))
                return -1;
            *out = p.readAllStandardOutput();
            *err = p.readAllStandardError();
            return p.exitCode();
        };
        QByteArray out, err;
        QCOMPARE(run(QStringLiteral("sandbox_c_1"), &out, &err), 0);
        QVERIFY(out.isEmpty()); // no data: the message goes to standard error
        QVERIFY(QString::fromUtf8(err).contains(QStringLiteral("登录成功.(sandbox_c_1)\n")));
        QVERIFY(!err.contains(rig.sandbox.lastIssuedSession().toUtf8()));
        // a refused password is submitted once and named: exit 1, no captcha provoked
        QCOMPARE(run(QStringLiteral("sandbox_c_2"), &out, &err), 1);
        QVERIFY(QString::fromUtf8(err).contains(ShopLogin::passwordRefusedText(QStringLiteral("sandbox_c_2"))
                                                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))));
        QVERIFY(!QString::fromUtf8(err).contains(QStringLiteral("请在程序窗口中完成登录")));
        // a captcha needs a person: exit 3
        rig.sandbox.modify([](topsandbox::ShopModel &m) { m.shopByNick(QStringLiteral("sandbox_c_1"))->captcha = true; });
        QCOMPARE(run(QStringLiteral("sandbox_c_1"), &out, &err), 3);
        QVERIFY(QString::fromUtf8(err).contains(QStringLiteral("请在程序窗口中完成登录")));
        QCOMPARE(run(QStringLiteral("nobody"), &out, &err), 1);
    }
};

QTEST_GUILESS_MAIN(LoginCommandTest)
#include "login_command_test.moc"
