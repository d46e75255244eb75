// The statistics and duplicate-key reports over a real database.
#include "TestDataDir.h"
#include "base/ListModel.h"
#include "reports/StockStatistics.h"

#include <QSqlQuery>
#include <QtTest>

// UTF-8 literals as a list
static QStringList L(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

namespace {

struct Fixture
{
    TestDataDir d;
    bool open() { return d.open(); }
    bool source(const char *code, const char *color, const char *sku, const char *oldcode = "",
                const char *table = "TB_Source")
    {
        QSqlQuery q(d.db());
        q.prepare(QStringLiteral("insert into %1(outer_id,color,sku,oldcode) values(?,?,?,?)").arg(QLatin1String(table)));
        for (const char *v : {code, color, sku, oldcode})
            q.addBindValue(QString::fromUtf8(v));
        return q.exec();
    }
    bool target(const char *account, const char *code, const char *color, const char *sku, const char *oldcode = "")
    {
        QSqlQuery q(d.db());
        q.prepare(QStringLiteral("insert into TB_Object(UserID,outer_id,color,sku,oldcode) values(?,?,?,?,?)"));
        for (const char *v : {account, code, color, sku, oldcode})
            q.addBindValue(QString::fromUtf8(v));
        return q.exec();
    }
};

QStringList summaryLines(const std::vector<ListRow> &rows)
{
    QStringList out;
    for (const ListRow &r : rows)
        out << r.caption + QLatin1Char(':') + r.cells.mid(0, 3).join(QLatin1Char('/'));
    return out;
}

} // namespace

class ReportsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statisticsCountPerCode();
    void detailsMarkTheSkusTheTargetLacks();
    void duplicateKeysByTheMatchingKey();
};

void ReportsTest::statisticsCountPerCode()
{
    Fixture f;
    QVERIFY(f.open());
    // T100: 2 against 2 (one code in other case); S300 on the source side only; K800 on the target only
    QVERIFY(f.source("T100", "黑", "S") && f.source("t100", "黑", "M") && f.source("S300", "白", "L"));
    QVERIFY(f.source("J200", "白", "L"));
    QVERIFY(f.target("shopA", "T100", "黑", "S") && f.target("shopA", "T100", "黑", "M"));
    QVERIFY(f.target("shopA", "J200", "白", "L") && f.target("shopA", "J200", "白", "XL"));
    QVERIFY(f.target("shopA", "K800", "红", "S") && f.target("shopB", "S300", "白", "L"));
    StockStatistics stats(f.d.db());
    StatisticsOptions o;
    o.account = QStringLiteral("shopA");
    std::vector<ListRow> rows;
    QVERIFY(stats.summary(o, rows));
    QCOMPARE(summaryLines(rows), (L({"1:J200/1/2", "2:S300/1/", "3:T100/2/2"})));
    QVERIFY(StockStatistics::countsDiffer(rows[1]));
    QVERIFY(!StockStatistics::countsDiffer(rows[2]));

    o.onlyDiffering = true;
    QVERIFY(stats.summary(o, rows));
    QCOMPARE(summaryLines(rows), (L({"1:J200/1/2", "2:S300/1/"})));

    // by the target's codes: source-only codes are not listed
    o.onlyDiffering = false;
    o.byTarget = true;
    QVERIFY(stats.summary(o, rows));
    QCOMPARE(summaryLines(rows), (L({"1:J200/1/2", "2:K800//1", "3:T100/2/2"})));

    // the stock list as the source, and the article number for keys 6 to 8
    QVERIFY(f.source("X1", "黑", "S", "H-1", "TB_Source_Stock"));
    QVERIFY(f.target("shopA", "Y", "黑", "S", "H-1"));
    o = StatisticsOptions{};
    o.account = QStringLiteral("shopA");
    o.stockList = true;
    o.matchingKey = 7;
    QVERIFY(stats.summary(o, rows));
    QCOMPARE(summaryLines(rows), (L({"1:H-1/1/1"})));
}

void ReportsTest::detailsMarkTheSkusTheTargetLacks()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.source("T100", "黑", "S") && f.source("T100", "黑", "XL") && f.source("t100", "Red", "m"));
    QVERIFY(f.target("shopA", "T100", "黑", "S") && f.target("shopA", "T100", "red", "M"));
    QVERIFY(f.target("shopB", "T100", "黑", "XL"));
    StockStatistics stats(f.d.db());
    StatisticsOptions o;
    o.account = QStringLiteral("shopA");
    std::vector<ListRow> target, source;
    QVERIFY(stats.details(o, QStringLiteral("T100"), target, source));
    QCOMPARE(target.size(), size_t(2));
    QCOMPARE(source.size(), size_t(3));
    QCOMPARE(source[0].cells.mid(0, 3), (L({"T100", "黑", "S"})));
    QVERIFY(!StockStatistics::missingInTarget(source[0]));
    QVERIFY(StockStatistics::missingInTarget(source[1])); // XL only in another account
    QVERIFY(!StockStatistics::missingInTarget(source[2])); // keys compare without ASCII case

    // copying the item pages finds the source list's entries of the codes
    QSqlQuery q(f.d.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_URL(num_iid,outer_id,Tag) values(' 520001 ','T100',0),"
                                  "('520002','T100',1),('520003','O''Neil',0)")));
    QCOMPARE(stats.sourceItemIds({QStringLiteral("T100"), QStringLiteral("O'Neil")}),
             (L({"520001", "520003"})));
}

void ReportsTest::duplicateKeysByTheMatchingKey()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.source("T100", "黑", "S", "H1") && f.source("t100", "黑", "s", "H1") && f.source("T100", "黑", "M", "H1"));
    QVERIFY(f.target("shopA", "A", "黑", "S", "H1") && f.target("shopA", "B", "黑", "M", "H1"));
    QVERIFY(f.target("shopA", "C", "白", "M", "H1") && f.target("shopB", "D", "黑", "M", "H1"));
    DuplicateKeys keys(f.d.db());
    std::vector<ListRow> rows;
    QVERIFY(keys.source(0, rows));
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].caption, QStringLiteral("1"));
    QCOMPARE(rows[0].cells.at(2), QStringLiteral("2"));
    QVERIFY(rows[0].cells.at(1).compare(QStringLiteral("T100黑S"), Qt::CaseInsensitive) == 0);

    // 货号+颜色: the article number is the code column
    QCOMPARE(DuplicateKeys::codeCaption(7), QStringLiteral("货号"));
    QVERIFY(keys.target(7, QStringLiteral("shopA"), rows));
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0].cells.mid(0, 3), (L({"H1", "H1黑", "2"})));
    QVERIFY(keys.target(7, QStringLiteral("O'Neil"), rows));
    QVERIFY(rows.empty());
}

QTEST_GUILESS_MAIN(ReportsTest)
#include "reports_test.moc"
