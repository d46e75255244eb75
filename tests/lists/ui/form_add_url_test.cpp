// The link-collection dialog: pasting, searching a demo shop of the stand-in, cancelling.
// With STOCKSYNC_SHOTS_DIR set, pictures of the dialog are written there.
#include "TestRig.h"
#include "lists/ShopSearch.h"
#include "lists/ui/FormAddURL.h"

#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>

class FormAddURLTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pasteAndSearchFromTheDialog();

private:
    static void shot(QWidget *w, const QString &name)
    {
        const QString dir = qEnvironmentVariable("STOCKSYNC_SHOTS_DIR");
        if (dir.isEmpty())
            return;
        w->layout()->activate();
        w->grab().save(dir + QLatin1Char('/') + name);
    }
    static int groupId(const QSqlDatabase &db, int tag, const QString &name)
    {
        return ItemLinks(db, {}).groupId(tag, name);
    }
    static int count(const QSqlDatabase &db, const QString &where)
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("select count(*) from TB_URL where ") + where);
        return q.next() ? q.value(0).toInt() : -1;
    }
};

void FormAddURLTest::pasteAndSearchFromTheDialog()
{
    Intervals::setScale(0.05);
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    if (!rig.sandbox.hasDistinctPageHosts())
        QSKIP("the stand-in could not bind its page hosts on 127.0.0.2-6");
    QVERIFY(rig.app->saveEndpoints(TopEndpoints::onSandbox(rig.sandbox.baseUrl())));

    // target mode: paste two links, one of them twice
    {
        TfrmFormAddURL dialog(*rig.app, 1, groupId(rig.db(), 1, QStringLiteral("默认组")), QStringLiteral("默认组"));
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("搜索添加宝贝链接(URL)-默认组"));
        auto *memo = dialog.findChild<QPlainTextEdit *>(QStringLiteral("_URL"));
        const QString a = rig.app->endpoints().itemPageOf(QStringLiteral("610000003001"));
        memo->setPlainText(a + QStringLiteral("\n") + a.toUpper() + QStringLiteral("\n") +
                           rig.app->endpoints().itemPageOf(QStringLiteral("610000003002")));
        QCOMPARE(dialog.findChild<QStatusBar *>(QStringLiteral("_StatusBar"))->currentMessage(),
                 QStringLiteral("共 3 项"));
        shot(&dialog, QStringLiteral("form_add_url_target.png"));
        rig.ui.answerQuestion(true);
        dialog.findChild<QPushButton *>(QStringLiteral("_StartDownload"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(count(rig.db(), QStringLiteral("Tag=1")), 2);
    }

    // a group whose name has blanks at its edges is reached by its id; one
    // deleted while the dialog is open is refused
    {
        QSqlQuery q(rig.db());
        QVERIFY(q.exec(QStringLiteral("insert into TB_Groups(GroupName,Tag) values(' 女装 ',1)")));
        const int blanks = q.lastInsertId().toInt();
        TfrmFormAddURL dialog(*rig.app, 1, blanks, QStringLiteral("女装"));
        dialog.show();
        auto *memo = dialog.findChild<QPlainTextEdit *>(QStringLiteral("_URL"));
        memo->setPlainText(rig.app->endpoints().itemPageOf(QStringLiteral("610000003003")));
        rig.ui.answerQuestion(true);
        dialog.findChild<QPushButton *>(QStringLiteral("_StartDownload"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(count(rig.db(), QStringLiteral("Tag=1 and uGroup=") + QString::number(blanks)), 1);
        QCOMPARE(ItemLinks(rig.db(), {}).groupId(1, QStringLiteral("女装")), blanks);

        TfrmFormAddURL gone(*rig.app, 1, blanks, QStringLiteral("女装"));
        gone.show();
        QVERIFY(q.exec(QStringLiteral("delete from TB_Groups where Uniqid=") + QString::number(blanks)));
        gone.findChild<QPlainTextEdit *>(QStringLiteral("_URL"))->setPlainText(
            rig.app->endpoints().itemPageOf(QStringLiteral("610000003004")));
        gone.findChild<QPushButton *>(QStringLiteral("_StartDownload"))->click();
        QVERIFY(rig.ui.messages().last().contains(QStringLiteral("该分组已不存在")));
        QCOMPARE(count(rig.db(), QStringLiteral("num_iid='610000003004'")), 0);
    }

    // source mode: search the demo's supplier shop (6 items on sale, 4 a page) and add them
    TfrmFormAddURL dialog(*rig.app, 0, groupId(rig.db(), 0, QStringLiteral("默认组")), QStringLiteral("默认组"));
    dialog.show();
    auto *type = dialog.findChild<QComboBox *>(QStringLiteral("_Type"));
    QCOMPARE(type->count(), 5);
    type->setCurrentIndex(ShopSearch::NormalShop);
    dialog.findChild<QLineEdit *>(QStringLiteral("_TaobaoURL"))->setText(rig.sandbox.shopUrl(QStringLiteral("sandbox_c_2")));
    dialog.findChild<QLineEdit *>(QStringLiteral("_Keyword"))->setText(QStringLiteral(" "));
    shot(&dialog, QStringLiteral("form_add_url_source.png"));
    QSignalSpy ended(&dialog.search(), &ShopSearch::ended);
    dialog.findChild<QPushButton *>(QStringLiteral("_Search"))->click();
    QVERIFY(dialog.findChild<QFrame *>(QStringLiteral("_ProcessPanel"))->isVisible());
    QVERIFY(ended.wait(20000)); // the question is answered No: the links stay in the memo
    QCOMPARE(dialog.lineCount(), 6);
    QCOMPARE(dialog.findChild<QStatusBar *>(QStringLiteral("_StatusBar"))->currentMessage(), QStringLiteral("共 6 项"));
    QVERIFY(!dialog.findChild<QFrame *>(QStringLiteral("_ProcessPanel"))->isVisible());
    QCOMPARE(rig.app->settings().text(Setting::SourceShopAddress), rig.sandbox.shopUrl(QStringLiteral("sandbox_c_2")));
    // Ctrl+Alt+I shows what was sent and received
    QTest::keyClick(&dialog, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    auto *debug = dialog.findChild<QPlainTextEdit *>(QStringLiteral("_Debug"));
    QVERIFY(debug->isVisible());
    QVERIFY(debug->toPlainText().contains(QStringLiteral("展开或者收缩")));
    shot(&dialog, QStringLiteral("form_add_url_results_debug.png"));
    QTest::keyClick(&dialog, Qt::Key_I, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(!debug->isVisible());
    shot(&dialog, QStringLiteral("form_add_url_results.png"));

    // search again, and this time add at once
    rig.ui.answerQuestion(true);
    dialog.findChild<QPushButton *>(QStringLiteral("_Search"))->click();
    QVERIFY(ended.wait(20000));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(count(rig.db(), QStringLiteral("Tag=0 and num_iid like '52000000100%'")), 6);

    // the remembered fields come back at the next opening; the memo starts empty
    TfrmFormAddURL again(*rig.app, 0, groupId(rig.db(), 0, QStringLiteral("默认组")), QStringLiteral("默认组"));
    again.show();
    QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("_TaobaoURL"))->text(),
             rig.sandbox.shopUrl(QStringLiteral("sandbox_c_2")));
    QCOMPARE(again.lineCount(), 0);
    // a panel shot while a search runs, cancelled
    again.findChild<QComboBox *>(QStringLiteral("_Type"))->setCurrentIndex(ShopSearch::TmallShop);
    again.findChild<QLineEdit *>(QStringLiteral("_TaobaoURL"))->setText(rig.sandbox.shopUrl(QStringLiteral("sandbox_b_01")));
    QSignalSpy endedAgain(&again.search(), &ShopSearch::ended);
    again.findChild<QPushButton *>(QStringLiteral("_Search"))->click();
    shot(&again, QStringLiteral("form_add_url_searching.png"));
    again.findChild<QPushButton *>(QStringLiteral("_Cancel2"))->click();
    QVERIFY(!again.findChild<QFrame *>(QStringLiteral("_ProcessPanel"))->isVisible());
    QCOMPARE(endedAgain.size(), 1);
    Intervals::setScale(1);
}

QTEST_MAIN(FormAddURLTest)
#include "form_add_url_test.moc"
