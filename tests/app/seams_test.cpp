#include "base/Clock.h"
#include "app/CommandLine.h"
#include "base/Interaction.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class SeamsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup()
    {
        Clock::reset();
        Intervals::setScale(1.0);
    }
    void clockCanBeFixedAndMoved();
    void intervalsScale();
    void scriptedInteractionRecordsAndAnswers();
    void commandLine();
};

void SeamsTest::clockCanBeFixedAndMoved()
{
    Clock::setNow(QDateTime(QDate(2026, 12, 9), QTime(8, 0, 0)));
    QCOMPARE(Clock::nowText(), QStringLiteral("2026/12/09 08:00:00"));
    Clock::advance(61000);
    QCOMPARE(Clock::nowText(), QStringLiteral("2026/12/09 08:01:01"));
    Clock::reset();
    QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 5);
}

void SeamsTest::intervalsScale()
{
    QCOMPARE(Intervals::ms(10000), 10000);
    Intervals::setScale(0.001);
    QCOMPARE(Intervals::ms(10000), 10);
    QCOMPARE(Intervals::ms(200), 0);
    QTimer t;
    Intervals::arm(t, 60000);
    QCOMPARE(t.interval(), 60);
    QVERIFY(!t.isActive());
}

void SeamsTest::scriptedInteractionRecordsAndAnswers()
{
    ScriptedInteraction ui;
    ui.answerQuestion(true);
    QVERIFY(ui.ask(QStringLiteral("是否要退出软件?")));
    QVERIFY(!ui.ask(QStringLiteral("again"))); // unscripted: No
    ui.answerPrompt(QStringLiteral("12"));
    QCOMPARE(ui.prompt(QStringLiteral("提示"), QStringLiteral("数量"), QStringLiteral("10")).value(),
             QStringLiteral("12"));
    QVERIFY(!ui.prompt(QStringLiteral("提示"), QStringLiteral("数量"), QStringLiteral("11")).has_value());
    QCOMPARE(ui.promptValues(), (QStringList{QStringLiteral("10"), QStringLiteral("11")}));
    ui.warn(QStringLiteral("没有"));
    QCOMPARE(ui.messages(), QStringList{QStringLiteral("没有")});
    QCOMPARE(ui.last()->caption, QStringLiteral("提示"));
    QVERIFY(ui.last()->icon == Interaction::Icon::Warning);
    QCOMPARE(ui.openFileName(QStringLiteral("打开"), QStringLiteral("*.csv")), QString());
}

void SeamsTest::commandLine()
{
    const auto r = ParseCommandLine({QStringLiteral("stocksync"), QStringLiteral("--data-dir"), QStringLiteral("/tmp/x"),
                                     QStringLiteral("add-items"), QStringLiteral("--source"), QStringLiteral("1")});
    QCOMPARE(r.dataDir, QStringLiteral("/tmp/x"));
    QCOMPARE(r.command, QStringLiteral("add-items"));
    QCOMPARE(r.arguments, (QStringList{QStringLiteral("--source"), QStringLiteral("1")}));
    QVERIFY(ParseCommandLine({QStringLiteral("stocksync")}).command.isEmpty());
    QVERIFY(ParseCommandLine({QStringLiteral("stocksync"), QStringLiteral("--help")}).help);
    QVERIFY(!ParseCommandLine({QStringLiteral("stocksync"), QStringLiteral("--data-dir")}).error.isEmpty());
    QVERIFY(CommandTable::find(QStringLiteral("init-db")));
    QVERIFY(CommandTable::helpText().contains(QStringLiteral("init-db")));
}

QTEST_GUILESS_MAIN(SeamsTest)
#include "seams_test.moc"
