#include "TestDataDir.h"
#include "store/Parameters.h"
#include "base/TextRoutines.h"

#include <QSqlQuery>
#include <QtTest>

class TextRoutinesTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void splitKeepsEmptyPieces_data();
    void splitKeepsEmptyPieces();
    void numericText_data();
    void numericText();
    void trimRemovesControlCharacters();
    void versionText();
    void moneyText();
    void roundHalfEven();
    void parameters();
};

void TextRoutinesTest::splitKeepsEmptyPieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("middle empty") << QStringLiteral("a,,b") << QStringLiteral(",")
                                  << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("trailing") << QStringLiteral("a,") << QStringLiteral(",")
                              << QStringList{QStringLiteral("a"), QString()};
    QTest::newRow("none") << QStringLiteral("abc") << QStringLiteral(",") << QStringList{QStringLiteral("abc")};
    QTest::newRow("empty") << QString() << QStringLiteral(";") << QStringList{QString()};
    QTest::newRow("formula") << QStringLiteral("0;1;0;1;0") << QStringLiteral(";")
                             << QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("0"),
                                            QStringLiteral("1"), QStringLiteral("0")};
}

void TextRoutinesTest::splitKeepsEmptyPieces()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, pieces);
    QCOMPARE(SplitToList(text, separator), pieces);
}

void TextRoutinesTest::numericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    for (const char *yes : {"12", "12.5", "0", "10.5", "100", "1000", "00.5", "100.5", "007"})
        QTest::newRow(yes) << QString::fromLatin1(yes) << true;
    for (const char *no : {"", ".5", "5.", "1.2.3", "-1", "1 000", "1e3", "+1", " 12", "12 ", "1,000", "abc", "."})
        QTest::newRow(no[0] ? no : "empty") << QString::fromLatin1(no) << false;
    QTest::newRow("full-width digits") << QStringLiteral("１２") << false;
}

void TextRoutinesTest::numericText()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(IsNumericText(text), numeric);
}

void TextRoutinesTest::trimRemovesControlCharacters()
{
    QCOMPARE(TrimText(QStringLiteral("\t 12345678 \r\n")), QStringLiteral("12345678"));
    QCOMPARE(TrimText(QStringLiteral("\x01key\x1f")), QStringLiteral("key"));
    // U+3000 (ideographic space) is above 32 and stays
    QCOMPARE(TrimText(QStringLiteral("\u3000a b\u3000")), QStringLiteral("\u3000a b\u3000"));
    QCOMPARE(TrimText(QStringLiteral("   ")), QString());
}

void TextRoutinesTest::versionText()
{
    QCOMPARE(VersionTextFrom(QStringLiteral("3.6.4.3")), QStringLiteral("3.6.4.3"));
    QCOMPARE(VersionTextFrom(QStringLiteral("1.0")), QStringLiteral("1.0.0.0"));
    QCOMPARE(VersionTextFrom(QString()), QStringLiteral("0"));
    QCOMPARE(VersionTextFrom(QStringLiteral("x.y")), QStringLiteral("0"));
    // the program's own version comes from the build
    QCOMPARE(GetVersionText().count(QLatin1Char('.')), 3);
}

void TextRoutinesTest::moneyText()
{
    QCOMPARE(MoneyText(12.50), QStringLiteral("12.5"));
    QCOMPARE(MoneyText(30.00), QStringLiteral("30"));
    QCOMPARE(MoneyText(0.1 + 0.2), QStringLiteral("0.3"));
    QCOMPARE(MoneyText(99.99999), QStringLiteral("100"));
    QCOMPARE(MoneyText(1.23456), QStringLiteral("1.2346"));
    QCOMPARE(MoneyText(0), QStringLiteral("0"));
    QCOMPARE(MoneyText(-0.00001), QStringLiteral("0"));
}

void TextRoutinesTest::roundHalfEven()
{
    QCOMPARE(RoundHalfEven(12.5), 12.0);
    QCOMPARE(RoundHalfEven(13.5), 14.0);
    QCOMPARE(RoundHalfEven(12.4), 12.0);
    QCOMPARE(RoundHalfEven(12.6), 13.0);
    QCOMPARE(RoundHalfEven(0.5), 0.0);
}

void TextRoutinesTest::parameters()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();

    const QString name = QStringLiteral("O'Brien的店'); drop table _Parameter; --");
    QVERIFY(SetParam(db, 3, name));
    QCOMPARE(GetParam(db, 3), name);
    QCOMPARE(EscapeQuotes(QStringLiteral("it's 'x'")), QStringLiteral("it''s ''x''"));

    // a key without a row stores nothing and says nothing
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("select count(*) from _Parameter")) && q.next());
    const int before = q.value(0).toInt();
    QVERIFY(SetParam(db, 4242, QStringLiteral("x")));
    QVERIFY(!ParamExists(db, 4242));
    QCOMPARE(GetParam(db, 4242), QString());
    QVERIFY(q.exec(QStringLiteral("select count(*) from _Parameter")) && q.next());
    QCOMPARE(q.value(0).toInt(), before);

    QVERIFY(InsertParamIfMissing(db, 6, QStringLiteral("1"), QStringLiteral("使用简易sku(尺码)")));
    QVERIFY(!InsertParamIfMissing(db, 6, QStringLiteral("0"), QStringLiteral("x")));
    QCOMPARE(GetParam(db, 6), QStringLiteral("1"));
}

QTEST_GUILESS_MAIN(TextRoutinesTest)
#include "text_routines_test.moc"
