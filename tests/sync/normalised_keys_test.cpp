// Setting 120: keys that differ only by blanks at both ends or by full-width
// characters pair when it is on, and only then; the pairs keep their number.
#include "TestDataDir.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "reports/StockStatistics.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/MatchingKeys.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

struct Rig
{
    TestDataDir d;
    JobHost jobs{d.ui};
    std::unique_ptr<Settings> settings;
    ListModel model;
    std::unique_ptr<DifferenceQuery> query;

    bool open()
    {
        if (!d.open())
            return false;
        settings = std::make_unique<Settings>(d.db());
        query = std::make_unique<DifferenceQuery>(d.db(), model, jobs, d.ui, *settings);
        query->options().account = QStringLiteral("shop");
        query->options().view = ViewFilter::All;
        return true;
    }
    bool row(const QString &table, const QString &outerId, const QString &color, const QString &sku, int num,
             const QString &outerIdSku = QString())
    {
        QSqlQuery q(d.db());
        const bool target = table == QStringLiteral("TB_Object");
        if (table == QStringLiteral("TB_Source_Stock"))
            q.prepare(QStringLiteral("insert into TB_Source_Stock(outer_id,color,sku,num,outer_id_sku) values(?,?,?,?,?)"));
        else
            q.prepare(QStringLiteral("insert into ") + table +
                      QStringLiteral("(title,outer_id,color,sku,num,price,outer_id_sku") +
                      (target ? QStringLiteral(",UserID) values('t',?,?,?,?,10,?,'shop')")
                              : QStringLiteral(") values('t',?,?,?,?,10,?)")));
        for (const QVariant &v : QVariantList{SqlText(outerId), SqlText(color), SqlText(sku), num, SqlText(outerIdSku)})
            q.addBindValue(v);
        return q.exec();
    }
    QStringList pairedCodes()
    {
        QStringList out;
        for (const ListRow &r : model.rows())
            out << r.cells.value(CellOuterId) + QLatin1Char('/') + r.cells.value(CellSourceNum);
        out.sort();
        return out;
    }
};

} // namespace

class NormalisedKeysTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void foldAndTrim();
    void pairOnlyWhenTheSettingIsOn();
    void reportsAndDuplicateCheckAlike();
};

void NormalisedKeysTest::foldAndTrim()
{
    QCOMPARE(MatchingKeys::normalise(QStringLiteral("  Ｔ１００－Ａ\u3000")), QStringLiteral("T100-A"));
    QCOMPARE(MatchingKeys::normalise(QStringLiteral("红 色")), QStringLiteral("红 色")); // inner blanks stay
    Rig rig;
    QVERIFY(rig.open());
    QSqlQuery q(rig.d.db());
    // the connection's normkey() does what the program's twin does
    QVERIFY(q.exec(QStringLiteral("select normkey(' Ｊ２００ '), normkey(null), normkey('ａｂｃ')")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("J200"));
    QVERIFY(q.value(1).isNull());
    QCOMPARE(q.value(2).toString(), QStringLiteral("abc"));
}

void NormalisedKeysTest::pairOnlyWhenTheSettingIsOn()
{
    Rig rig;
    QVERIFY(rig.open());
    // target keys with a trailing blank, full-width characters, and one only blanks
    QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("J200 "), QStringLiteral("红"), QStringLiteral("M"), 1));
    QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("Ｔ１００"), QStringLiteral("红"), QStringLiteral("Ｍ"), 1));
    QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("　"), QStringLiteral("红"), QStringLiteral("M"), 1));
    QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("K1"), QStringLiteral("红"), QStringLiteral("M"), 1));
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QStringLiteral("J200"), QStringLiteral("红"), QStringLiteral("M"), 5));
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QStringLiteral("t100"), QStringLiteral("红 "), QStringLiteral("M"), 6));
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QString(), QStringLiteral("红"), QStringLiteral("M"), 7));
    // K1 twice on the source side: listed once per match, as without the setting
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QStringLiteral("K1"), QStringLiteral("红"), QStringLiteral("M"), 8));
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QStringLiteral(" K1"), QStringLiteral("红"), QStringLiteral("M"), 9));

    // off (the default): only exact pairs
    const DifferenceQuery::Outcome off = rig.query->GetData_TB_Object(QString());
    QVERIFY2(rig.d.ui.messages().isEmpty(), qPrintable(rig.d.ui.messages().join(QLatin1Char('|'))));
    QCOMPARE(off, DifferenceQuery::Outcome::Completed);
    QCOMPARE(rig.pairedCodes(), QStringList{QStringLiteral("K1/8")});

    // on: trailing blanks and full-width characters pair, case aside as ever; a key of blanks pairs nothing
    rig.settings->setFlag(Setting::NormalisedKeys, true);
    QCOMPARE(rig.query->GetData_TB_Object(QString()), DifferenceQuery::Outcome::Completed);
    QCOMPARE(rig.pairedCodes(), (QStringList{QStringLiteral("J200 /5"), QStringLiteral("K1/8"), QStringLiteral("K1/9"),
                                             QStringLiteral("Ｔ１００/6")}));
    // the stock list pairs through the same normalised keys
    QVERIFY(rig.row(QStringLiteral("TB_Source_Stock"), QStringLiteral("j200"), QStringLiteral("红"), QStringLiteral("M"), 4));
    rig.query->options().view = ViewFilter::StockList;
    QCOMPARE(rig.query->GetData_TB_Object(QString()), DifferenceQuery::Outcome::Completed);
    QCOMPARE(rig.pairedCodes(), QStringList{QStringLiteral("J200 /4")});

    // mode 1 (SKU merchant code): its guard holds for a code of blanks
    rig.query->options().view = ViewFilter::All;
    rig.query->options().shownKey = rig.query->options().confirmedKey = 1;
    QSqlQuery q(rig.d.db());
    QVERIFY(q.exec(QStringLiteral("update TB_Object set outer_id_sku=' ' where outer_id='K1'")));
    QVERIFY(q.exec(QStringLiteral("update TB_Source set outer_id_sku='' where outer_id='K1'")));
    QCOMPARE(rig.query->GetData_TB_Object(QString()), DifferenceQuery::Outcome::Completed);
    QCOMPARE(rig.model.count(), 0);
}

void NormalisedKeysTest::reportsAndDuplicateCheckAlike()
{
    Rig rig;
    QVERIFY(rig.open());
    // eleven target keys, each twice once folded: refused only with the setting on
    for (int i = 0; i < 11; ++i) {
        QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("A%1").arg(i), QStringLiteral("红"), QStringLiteral("M"), 1));
        QVERIFY(rig.row(QStringLiteral("TB_Object"), QStringLiteral("A%1 ").arg(i), QStringLiteral("红"), QStringLiteral("M"), 1));
    }
    QVERIFY(rig.row(QStringLiteral("TB_Source"), QStringLiteral("Ａ1"), QStringLiteral("红"), QStringLiteral("M"), 3));
    QCOMPARE(rig.query->GetData_TB_Object(QString()), DifferenceQuery::Outcome::Completed);
    DuplicateKeys keys(rig.d.db());
    std::vector<ListRow> dup;
    QVERIFY(keys.target(0, QStringLiteral("shop"), dup));
    QCOMPARE(dup.size(), size_t(0));

    rig.settings->setFlag(Setting::NormalisedKeys, true);
    QCOMPARE(rig.query->GetData_TB_Object(QString()), DifferenceQuery::Outcome::Refused);
    QVERIFY(keys.target(0, QStringLiteral("shop"), dup));
    QCOMPARE(dup.size(), size_t(11));
    QCOMPARE(dup.front().cells.value(2), QStringLiteral("2"));
    // the statistics count by the folded code: Ａ1 on the source side meets A1 and "A1 "
    StatisticsOptions o;
    o.account = QStringLiteral("shop");
    std::vector<ListRow> rows;
    QVERIFY(StockStatistics(rig.d.db()).summary(o, rows));
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows.front().cells.value(0), QStringLiteral("A1"));
    QCOMPARE(rows.front().cells.value(2), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(NormalisedKeysTest)
#include "normalised_keys_test.moc"
