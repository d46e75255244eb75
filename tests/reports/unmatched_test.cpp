// What pairs with nothing: the report's rows on both sides, with counts, in
// the window's terms and as `stocksync report unmatched`.
#include "TestDataDir.h"
#include "base/ListModel.h"
#include "reports/UnmatchedKeys.h"
#include "store/Settings.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

class UnmatchedTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bothSidesWithCounts();
};

void UnmatchedTest::bothSidesWithCounts()
{
    TestDataDir d;
    QVERIFY(d.open());
    QSqlQuery q(d.db());
    auto add = [&q](const char *table, const char *user, const char *code, const char *color, const char *title) {
        const bool target = qstrcmp(table, "TB_Object") == 0;
        q.prepare(QStringLiteral("insert into ") + QLatin1String(table) +
                  QStringLiteral("(title,outer_id,color,sku,num,price") +
                  (target ? QStringLiteral(",UserID) values(?,?,?,'M',1,10,?)") : QStringLiteral(") values(?,?,?,'M',1,10)")));
        q.addBindValue(QString::fromUtf8(title));
        q.addBindValue(QString::fromUtf8(code));
        q.addBindValue(QString::fromUtf8(color));
        if (target)
            q.addBindValue(QString::fromUtf8(user));
        return q.exec();
    };
    // paired: A1 红; the target's A2 蓝 (two rows) and "A3 " have no source; the source's B9 and A3 no target
    QVERIFY(add("TB_Object", "shop", "A1", "红", "一"));
    QVERIFY(add("TB_Object", "shop", "A2", "蓝", "二"));
    QVERIFY(add("TB_Object", "shop", "A2", "蓝", "二"));
    QVERIFY(add("TB_Object", "shop", "A3 ", "红", "三"));
    QVERIFY(add("TB_Object", "other", "B9", "红", "别的店")); // another account pairs with B9, not this one
    QVERIFY(add("TB_Source", "", "A1", "红", "源一"));
    QVERIFY(add("TB_Source", "", "B9", "红", "源九"));
    QVERIFY(add("TB_Source", "", "A3", "红", "源三"));

    UnmatchedOptions o;
    o.accounts = QStringLiteral("shop");
    std::vector<ListRow> rows;
    QVERIFY(UnmatchedKeys(d.db()).run(o, rows));
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(rows[0].caption, UnmatchedKeys::targetSide());
    QCOMPARE(rows[0].cells.mid(0, 5), (QStringList{QStringLiteral("shop"), QStringLiteral("A2蓝M"), QStringLiteral("2"),
                                                   QStringLiteral("A2"), QStringLiteral("二")}));
    QCOMPARE(rows[1].cells.value(1), QStringLiteral("A3 红M"));
    QCOMPARE(rows[2].caption, UnmatchedKeys::sourceSide());
    QCOMPARE(rows[2].cells.value(1), QStringLiteral("A3红M"));
    QCOMPARE(rows[3].cells.mid(0, 4), (QStringList{QString(), QStringLiteral("B9红M"), QStringLiteral("1"), QStringLiteral("B9")}));
    QCOMPARE(UnmatchedKeys::rowsOnSide(rows, UnmatchedKeys::targetSide()), 3);

    // with normalised keys "A3 " and A3 pair
    o.normalisedKeys = true;
    QVERIFY(UnmatchedKeys(d.db()).run(o, rows));
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[0].cells.value(1), QStringLiteral("A2蓝M"));
    QCOMPARE(rows[1].cells.value(1), QStringLiteral("B9红M"));

    // the command: CSV on standard output, the side in the first column
    QVERIFY(Settings(d.db()).setFlag(Setting::NormalisedKeys, false));
    q = QSqlQuery();
    d.data.reset(); // the command takes the data folder itself
    QProcess p;
    p.start(QStringLiteral(STOCKSYNC_EXE), {QStringLiteral("--data-dir"), d.path(), QStringLiteral("report"),
                                            QStringLiteral("unmatched"), QStringLiteral("--account"),
                                            QStringLiteral("shop"), QStringLiteral("--key"), QStringLiteral("0")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QStringLiteral("方,淘宝会员号,关联值,个数,主商家编码,宝贝名称"));
    QCOMPARE(lines[1], QStringLiteral("目标,shop,A2蓝M,2,A2,二"));
    QCOMPARE(lines[4], QStringLiteral("源,,B9红M,1,B9,源九"));
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("目标 3 行")));
    // a wrong key is a malformed call
    p.start(QStringLiteral(STOCKSYNC_EXE), {QStringLiteral("--data-dir"), d.path(), QStringLiteral("report"),
                                            QStringLiteral("unmatched"), QStringLiteral("--key"), QStringLiteral("12")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
}

QTEST_GUILESS_MAIN(UnmatchedTest)
#include "unmatched_test.moc"
