// The main window's start-up state, worked out without any widget.
#include "app/BuiltinAppKey.h"
#include "base/Clock.h"
#include "base/Desktop.h"
#include "app/HelpCommands.h"
#include "base/Interaction.h"
#include "app/MainWindowState.h"
#include "store/DataModule.h"
#include "store/Parameters.h"
#include "store/Settings.h"
#include "base/TextRoutines.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class MainWindowStateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TADOMain> m_dm;
    ScriptedInteraction m_ui;

    QSqlDatabase db() const { return m_dm->ADOConn(); }
    void exec(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q(db());
        QVERIFY(q.prepare(sql));
        for (const QVariant &v : values)
            q.addBindValue(v);
        QVERIFY2(q.exec(), qPrintable(sql));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dm = std::make_unique<TADOMain>(m_dir->path());
        QVERIFY(m_dm->DataModuleCreate());
    }
    void cleanup()
    {
        m_dm.reset();
        m_dir.reset();
        Clock::reset();
    }

    void builtInPairUnlessTheStoredOneIsSwitchedOn()
    {
        // a new database: the row is there with bCheck 0
        AppKeyChoice c = ChooseAppKey(db(), BuiltinAppKey(), BuiltinAppSecret());
        QCOMPARE(c.key, QStringLiteral("21770501"));
        QCOMPARE(c.secret, QStringLiteral("5f3c9a1e7b2d4c6e8a0f1b3d5e7c9a2b"));
        QVERIFY(!c.stored);

        // a stored pair that is not switched on is ignored
        exec(QStringLiteral("update _AppKey set appkey=?, AppSecret=?"),
             {QStringLiteral("12345678"), QStringLiteral("abc")});
        QCOMPARE(ChooseAppKey(db(), BuiltinAppKey(), BuiltinAppSecret()).key, BuiltinAppKey());

        // switched on: trimmed of blanks and control characters at both ends
        exec(QStringLiteral("update _AppKey set bCheck=1, appkey=?, AppSecret=?"),
             {QStringLiteral("  12345678 \t"), QStringLiteral("\r\n 0123456789abcdef0123456789abcdef\x01")});
        c = ChooseAppKey(db(), BuiltinAppKey(), BuiltinAppSecret());
        QVERIFY(c.stored);
        QCOMPARE(c.key, QStringLiteral("12345678"));
        QCOMPARE(c.secret, QStringLiteral("0123456789abcdef0123456789abcdef"));

        // no row at all
        exec(QStringLiteral("delete from _AppKey"));
        c = ChooseAppKey(db(), BuiltinAppKey(), BuiltinAppSecret());
        QVERIFY(!c.stored);
        QCOMPARE(c.key, BuiltinAppKey());
        QCOMPARE(c.secret, BuiltinAppSecret());
    }

    void captionFromTheVersion()
    {
        QCOMPARE(MainWindowCaption(ProductName(), VersionTextFrom(QStringLiteral("1.0.0.1"))),
                 QStringLiteral("奥万淘宝店铺库存同步助手 V1.0"));
        QCOMPARE(MainWindowCaption(ProductName(), QStringLiteral("3.6.4.3")),
                 QStringLiteral("奥万淘宝店铺库存同步助手 V3.6"));
        QCOMPARE(MainWindowCaption(ProductName(), VersionTextFrom(QString())),
                 QStringLiteral("奥万淘宝店铺库存同步助手 V0"));
        QCOMPARE(MainWindowCaption(ProductName(), QStringLiteral("0")),
                 QStringLiteral("奥万淘宝店铺库存同步助手 V0"));
        QCOMPARE(VersionStatusCaption(QStringLiteral("3.6.4.3")), QStringLiteral("版本:3.6.4.3"));
        QCOMPARE(ApplicationTitle(), QStringLiteral("奥万淘宝库存同步助手"));
    }

    void selectorsFromTheStoredModes()
    {
        QVERIFY(SetParam(db(), 9999, QStringLiteral("3")));
        QVERIFY(SetParam(db(), 9998, QStringLiteral("1")));
        ShowSettings s = LoadShowSettings(db(), 0, QDateTime::currentDateTime());
        QCOMPARE(s.keyMode, 3);
        QCOMPARE(MatchingKeyCaptions().at(s.keyMode), QStringLiteral("主商家编码+SKU商家编码"));
        QCOMPARE(s.keyColor, 0xFCF7BAu); // RGB(252,247,186)
        QCOMPARE(s.uploadMode, 1);
        QCOMPARE(s.uploadColor, 0xFCF7BAu);
        QCOMPARE(
            s.statusTips,
            QStringLiteral(
                "注意事项:\"主商家编码+SKU商家编码\" 作为同步的关联值,如源与目标不一致,将不能同步到数据."));

        QVERIFY(SetParam(db(), 9999, QStringLiteral("0")));
        QVERIFY(SetParam(db(), 9998, QStringLiteral("0")));
        s = LoadShowSettings(db(), 0, QDateTime::currentDateTime());
        QCOMPARE(s.keyMode, 0);
        QCOMPARE(s.keyColor, 0xED8080u); // RGB(237,128,128)
        QCOMPARE(s.uploadMode, 0);
        QCOMPARE(s.uploadColor, 0xED8080u);
        QCOMPARE(s.statusTips, QStringLiteral("注意事项:\"主商家编码+颜色+SKU(尺码)\" "
                                              "作为同步的关联值,如源与目标不一致,将不能同步到数据."));

        QCOMPARE(SetParam(db(), 9999, QStringLiteral("8")), true);
        QCOMPARE(LoadShowSettings(db(), 0, QDateTime::currentDateTime()).keyMode, 8);
    }

    void damagedOrMissingModesFallBackToTheFirstEntry()
    {
        QCOMPARE(SelectorIndexFrom(QString(), 9), 0);
        QCOMPARE(SelectorIndexFrom(QStringLiteral("x"), 9), 0);
        QCOMPARE(SelectorIndexFrom(QStringLiteral("9"), 9), 0);
        QCOMPARE(SelectorIndexFrom(QStringLiteral("-1"), 9), 0);
        QCOMPARE(SelectorIndexFrom(QStringLiteral(" 2 "), 9), 2);
        QCOMPARE(SelectorIndexFrom(QStringLiteral("2"), 2), 0);

        exec(QStringLiteral("delete from _Parameter where NM in (9998, 9999)"));
        const ShowSettings s = LoadShowSettings(db(), 0, QDateTime::currentDateTime());
        QCOMPARE(s.keyMode, 0);
        QCOMPARE(s.uploadMode, 0);
        QCOMPARE(s.keyColor, 0xED8080u);
    }

    void easySkuRowIsInsertedAtFirstShow()
    {
        exec(QStringLiteral("delete from _Parameter where NM=6"));
        QVERIFY(!ParamExists(db(), 6));
        ShowSettings s = LoadShowSettings(db(), 0, QDateTime::currentDateTime());
        QVERIFY(s.easyRowInserted);
        QVERIFY(s.easySku);
        QCOMPARE(GetParam(db(), 6), QStringLiteral("1"));
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("select count(*), max(ParaDesc) from _Parameter where NM=6")) &&
                q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), QStringLiteral("使用简易sku(尺码)"));

        // shown again: the row stays as the user left it
        QVERIFY(SetParam(db(), 6, QStringLiteral("0")));
        s = LoadShowSettings(db(), 0, QDateTime::currentDateTime());
        QVERIFY(!s.easyRowInserted);
        QVERIFY(!s.easySku);
        QVERIFY(q.exec(QStringLiteral("select count(*) from _Parameter where NM=6")) && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
    }

    void hideNonUniqueFlagAndPlanner()
    {
        const QDateTime now(QDate(2026, 3, 7), QTime(15, 42, 9));
        QVERIFY(LoadShowSettings(db(), 1, now).hideNonUnique);
        QVERIFY(!LoadShowSettings(db(), 0, now).hideNonUnique);
        QVERIFY(!LoadShowSettings(db(), 2, now).hideNonUnique);
        const ShowSettings s = LoadShowSettings(db(), 0, now);
        QCOMPARE(s.plannedStart, QDateTime(QDate(2026, 3, 7), QTime(8, 0, 0)));
        QCOMPARE(s.windowEnd, QTime(22, 0));
    }

    void sourcePaneLooks()
    {
        const SourcePaneLook open = SourcePaneLookFor(true, 26);
        QCOMPARE(open.caption, QStringLiteral("隐藏源宝贝列表"));
        QCOMPARE(open.imageIndex, 10);
        QCOMPARE(open.height, 319);
        const SourcePaneLook shut = SourcePaneLookFor(false, 26);
        QCOMPARE(shut.caption, QStringLiteral("显示源宝贝列表"));
        QCOMPARE(shut.imageIndex, 9);
        QCOMPARE(shut.height, 31);
    }

    void helpCommandsSayWhenThereIsNothingToOpen()
    {
        RecordingDesktop desktop;
        ScriptedInteraction ui;
        Settings settings(db());
        const QString folder = m_dir->path() + QLatin1Char('/');
        HelpCommands help(desktop, ui, folder, settings);
        // no page, no mailbox, no updater: each command says so
        help.onlineHelp();
        help.website();
        help.feedback();
        QVERIFY(!help.updateOnline());
        QVERIFY(desktop.openedUrls().isEmpty());
        QCOMPARE(ui.messages().size(), 4);
        QVERIFY(ui.messages().at(0).contains(QStringLiteral("联机帮助")));
        QVERIFY(ui.messages().at(3).contains(QStringLiteral("在线升级程序")));
        QVERIFY(desktop.startedPrograms().isEmpty());

        // with the settings: pages, a mailto: link and the updater of the setting
        QVERIFY(settings.set(Setting::HelpAddress, QStringLiteral("http://127.0.0.1:1/help.html")));
        QVERIFY(settings.set(Setting::WebsiteAddress, QStringLiteral("http://127.0.0.1:1/")));
        QVERIFY(settings.set(Setting::FeedbackAddress, QStringLiteral("help@localhost")));
        QVERIFY(settings.set(Setting::UpdaterProgram, QStringLiteral("MyUpdate")));
        QFile updater(folder + QStringLiteral("MyUpdate"));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.close();
        ui.clear();
        help.calculator();
        help.onlineHelp();
        help.website();
        help.feedback();
        QCOMPARE(desktop.openedUrls(), (QStringList{QStringLiteral("http://127.0.0.1:1/help.html"),
                                                    QStringLiteral("http://127.0.0.1:1/"),
                                                    QStringLiteral("mailto:help@localhost")}));
        QCOMPARE(desktop.startedPrograms(), QStringList{HelpCommands::calculatorProgram()});
        QVERIFY(ui.records().isEmpty());

        // online update: No starts nothing, Yes starts the updater
        QVERIFY(!help.updateOnline());
        QCOMPARE(ui.last()->caption, QStringLiteral("在线升级"));
        QCOMPARE(ui.last()->text, QStringLiteral("是否要执行在线升级?"));
        ui.answerQuestion(true);
        QVERIFY(help.updateOnline());
        QCOMPARE(desktop.startedPrograms().last(), folder + QStringLiteral("MyUpdate"));
    }
};

QTEST_GUILESS_MAIN(MainWindowStateTest)
#include "main_window_state_test.moc"
