// The difference query over rows written straight into the tables: what
// pairs, what the check refuses, what each view and base lists and ticks,
// and that the formulas and the filters agree.
#include "TestDataDir.h"
#include "app/DiffCommand.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/SqlValues.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

struct Item
{
    QString outerId;
    QString color = QStringLiteral("红");
    QString sku = QStringLiteral("M");
    int num = 0;
    double price = 10;
    QString outerIdSku;
    QString oldcode;
    QString status = QStringLiteral("onsale");
    int bcheck = 1;
    QString user = QStringLiteral("shop");
    QString title = QStringLiteral("宝贝");
    int fenxiao = 0;
};

struct Rig
{
    TestDataDir d;
    JobHost jobs{d.ui};
    std::unique_ptr<Settings> settings;
    ListModel model;
    std::unique_ptr<DifferenceQuery> query;
    QList<bool> enabled;

    bool open()
    {
        if (!d.open())
            return false;
        settings = std::make_unique<Settings>(d.db());
        query = std::make_unique<DifferenceQuery>(d.db(), model, jobs, d.ui, *settings);
        QObject::connect(query.get(), &DifferenceQuery::controlsEnabled, [this](bool on) { enabled << on; });
        query->options().account = QStringLiteral("shop");
        return true;
    }
    DifferenceOptions &o() { return query->options(); }

    bool insert(const QString &table, const Item &i)
    {
        QSqlQuery q(d.db());
        const bool target = table == QStringLiteral("TB_Object");
        q.prepare(QStringLiteral("insert into ") + table +
                  QStringLiteral("(title,outer_id,color,sku,num,price,outer_id_sku,oldcode,approve_status,"
                                 "num_iid,sku_id,is_fenxiao") +
                  (target ? QStringLiteral(",bCheck,UserID) values(?,?,?,?,?,?,?,?,?,'1','2',?,?,?)")
                          : QStringLiteral(") values(?,?,?,?,?,?,?,?,?,'1','2',?)")));
        for (const QVariant &v : QVariantList{i.title, i.outerId, i.color, i.sku, i.num, i.price, i.outerIdSku,
                                              i.oldcode, i.status, i.fenxiao})
            q.addBindValue(v.typeId() == QMetaType::QString ? SqlText(v.toString()) : v);
        if (target) {
            q.addBindValue(i.bcheck);
            q.addBindValue(i.user);
        }
        return q.exec();
    }
    bool target(const Item &i) { return insert(QStringLiteral("TB_Object"), i); }
    bool source(const Item &i) { return insert(QStringLiteral("TB_Source"), i); }
    bool exec(const QString &sql)
    {
        QSqlQuery q(d.db());
        return q.exec(sql);
    }

    DifferenceQuery::Outcome run(const QString &keyword = QString()) { return query->GetData_TB_Object(keyword); }
    int rows() const { return model.count(); }
    QString cell(int r, int c) const { return model.row(r).cells.value(c); }
};

} // namespace

class DifferenceQueryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pairingAndTheRowItShows()
    {
        Rig t;
        QVERIFY(t.open());
        // mode 0: an empty main merchant code pairs nothing, letter case does not matter
        QVERIFY(t.target({.outerId = QString(), .color = QString(), .sku = QString(), .num = 1}));
        QVERIFY(t.source({.outerId = QString(), .color = QString(), .sku = QString(), .num = 2}));
        QVERIFY(t.target({.outerId = QStringLiteral("ab-1"), .color = QStringLiteral("Red"), .num = 3, .price = 12.5,
                          .oldcode = QStringLiteral("H1"), .status = QStringLiteral(" onsale "), .fenxiao = 1}));
        QVERIFY(t.source({.outerId = QStringLiteral("AB-1"), .color = QStringLiteral("RED"), .num = 5, .price = 30}));
        t.o().view = ViewFilter::All;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        const ListRow &r = t.model.row(0);
        QCOMPARE(r.caption, QStringLiteral("shop"));
        QCOMPARE(r.cells, (QStringList{QStringLiteral("宝贝"), QStringLiteral("ab-1"), QStringLiteral("Red"),
                                       QStringLiteral("M"), QStringLiteral("3"), QStringLiteral("5"),
                                       QStringLiteral("12.5"), QStringLiteral("30"), QString(), QStringLiteral("1"),
                                       QStringLiteral("2"), QStringLiteral("销售中"), QString(), QStringLiteral("H1"),
                                       QString(), r.uniqid()}));
        QVERIFY(!r.uniqid().isEmpty());
        QVERIFY(r.checked);
        QCOMPARE(r.imageIndex, 1);
        QCOMPARE(t.query->totalsText(),
                 QStringLiteral(" 共 1 项,其中有库存差异宝贝 1 项,无库存差异宝贝 0 项"));
        QCOMPARE(t.model.data(t.model.index(0, 1), ListModel::ForegroundRgbRole).toUInt(), 0xFF0000u);
        QCOMPARE(t.enabled, (QList<bool>{false, true}));
        QVERIFY(!t.jobs.busy());

        // mode 2 pairs rows whose four key columns are all empty
        t.o().shownKey = t.o().confirmedKey = 2;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 2);
        QVERIFY(t.cell(0, CellOuterId).isEmpty() || t.cell(1, CellOuterId).isEmpty());

        // several accounts in the account text, each with its own rows
        QVERIFY(t.target({.outerId = QStringLiteral("AB-1"), .color = QStringLiteral("Red"), .num = 4,
                          .user = QStringLiteral("shop2")}));
        t.o().shownKey = t.o().confirmedKey = 0;
        t.o().account = QStringLiteral("shop,shop2");
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 2);
        // a busy panel stops the query before it touches anything
        t.jobs.panel1().show(QStringLiteral("x"), true);
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Busy);
        QCOMPARE(t.rows(), 2);
    }

    void duplicateKeysAndUniqueness()
    {
        Rig t;
        QVERIFY(t.open());
        t.o().view = ViewFilter::All;
        // ten key values held twice each by the target, one source row each
        for (int k = 0; k < 10; ++k) {
            const QString code = QStringLiteral("D%1").arg(k);
            QVERIFY(t.target({.outerId = code, .num = 1}));
            QVERIFY(t.target({.outerId = code, .num = 2}));
            QVERIFY(t.source({.outerId = code, .num = 1}));
        }
        QVERIFY(t.target({.outerId = QStringLiteral("U"), .num = 1}));
        QVERIFY(t.source({.outerId = QStringLiteral("U"), .num = 2}));
        QVERIFY(t.source({.outerId = QStringLiteral("U"), .num = 3}));
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 22);
        QCOMPARE(t.settings->text(Setting::HideNonUnique), QStringLiteral("0"));

        // the eleventh refuses the query and empties the list
        t.settings->set(Setting::HideNonUnique, QStringLiteral("x"));
        QVERIFY(t.target({.outerId = QStringLiteral("D10"), .num = 1}));
        QVERIFY(t.target({.outerId = QStringLiteral("D10"), .num = 1}));
        t.d.ui.clear();
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Refused);
        QCOMPARE(t.rows(), 0);
        QCOMPARE(t.d.ui.messages(), QStringList{DifferenceQuery::tooManyDuplicatesText()});
        QCOMPARE(t.d.ui.last()->icon, Interaction::Icon::Warning);
        QVERIFY(!t.jobs.busy());
        QCOMPARE(t.settings->text(Setting::HideNonUnique), QStringLiteral("x"));

        // in the window the check runs beside the first screen of rows; its
        // answer empties the list before the fill ends, so an upload that
        // finishes the fill first finds nothing ticked
        QVERIFY(t.exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<300) "
            "insert into TB_Object(outer_id,color,sku,num,price,bCheck,UserID) "
            "select 'B'||i,'红','M',1,10,1,'shop' from n")));
        QVERIFY(t.exec(QStringLiteral(
            "with recursive n(i) as (select 1 union all select i+1 from n where i<300) "
            "insert into TB_Source(outer_id,color,sku,num,price) select 'B'||i,'红','M',2,10 from n")));
        t.d.ui.clear();
        ListModel::setBackgroundFilling(true);
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QVERIFY(t.model.filling());
        QVERIFY(t.model.checkedCount() > 0);
        t.model.finishFill();
        ListModel::setBackgroundFilling(false);
        QCOMPARE(t.rows(), 0);
        QCOMPARE(t.d.ui.messages(), QStringList{DifferenceQuery::tooManyDuplicatesText()});
        QVERIFY(!t.jobs.busy());
        QVERIFY(t.exec(QStringLiteral("delete from TB_Object where outer_id like 'B%'")));
        QVERIFY(t.exec(QStringLiteral("delete from TB_Source where outer_id like 'B%'")));

        t.o().ignoreKeyCheck = true;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 22);
        t.o().ignoreKeyCheck = false;

        // uniqueness: only keys held once on both sides; whole keys of any length
        const QString longCode = QString(200, QLatin1Char('L'));
        QVERIFY(t.target({.outerId = longCode, .num = 1}));
        QVERIFY(t.source({.outerId = longCode.toLower(), .num = 7}));
        t.o().uniqueOnly = true;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), longCode);
        QCOMPARE(t.settings->text(Setting::HideNonUnique), QStringLiteral("1"));

        // with the price list as base the option adds nothing: duplicates are listed
        QVERIFY(t.exec(QStringLiteral("insert into TB_Source_Price(outer_id,Price) values('D1',11),('D1',12)")));
        t.o().view = ViewFilter::PriceList;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 4);
    }

    void basesViewsAndKeywords()
    {
        Rig t;
        QVERIFY(t.open());
        QVERIFY(t.target({.outerId = QStringLiteral("A"), .num = 5, .price = 10, .oldcode = QStringLiteral("H'9")}));
        QVERIFY(t.target({.outerId = QStringLiteral("B"), .num = 6, .price = 20, .status = QStringLiteral("instock")}));
        QVERIFY(t.exec(QStringLiteral("insert into TB_Source_Price(outer_id,Price) values('A',10),('B',25)")));
        QVERIFY(t.exec(QStringLiteral("insert into TB_Source_Stock(outer_id,color,sku,num) values('A','红','M',5),"
                                      "('B','红','M',9)")));

        // price list: the target's own quantity, ticked by price; "只显示差异" keeps B only
        t.o().view = ViewFilter::PriceList;
        t.o().onlyPriceDifferences = false;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 2);
        for (int r = 0; r < 2; ++r) {
            QCOMPARE(t.cell(r, CellSourceNum), t.cell(r, CellNum));
            QCOMPARE(t.model.isChecked(r), t.cell(r, CellOuterId) == QStringLiteral("B"));
        }
        t.o().onlyPriceDifferences = true;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellSourcePrice), QStringLiteral("25"));

        // stock list: the target's own price, ticked by quantity
        t.o().view = ViewFilter::StockList;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 2);
        for (int r = 0; r < 2; ++r) {
            QCOMPARE(t.cell(r, CellSourcePrice), t.cell(r, CellPrice));
            QCOMPARE(t.model.isChecked(r), t.cell(r, CellOuterId) == QStringLiteral("B"));
        }

        // "仅搜索" with an empty keyword: rows whose field is empty
        QVERIFY(t.source({.outerId = QStringLiteral("A"), .num = 1}));
        QVERIFY(t.source({.outerId = QStringLiteral("B"), .num = 1}));
        t.o().view = ViewFilter::All;
        t.o().exactSearch = true;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), QStringLiteral("B"));
        QCOMPARE(t.run(QStringLiteral("h'9")), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), QStringLiteral("A"));
        // the plain form does not search the article number
        t.o().exactSearch = false;
        QCOMPARE(t.run(QStringLiteral("'9")), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 0);

        // source status views tick the target items to delist or to list
        QVERIFY(t.exec(QStringLiteral("insert into TB_URL(Tag,num_iid,outer_id,approve_status) "
                                      "values(0,'7','A','instock'),(0,'8','B','onsale'),(1,'9','B','instock')")));
        t.o().view = ViewFilter::SourceOff;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), QStringLiteral("A"));
        QVERIFY(t.model.isChecked(0));
        t.o().view = ViewFilter::SourceOn;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellStatus), QStringLiteral("已下架"));
        QVERIFY(t.model.isChecked(0));
    }

    void incrementalTicksFollowTheFlag()
    {
        Rig t;
        QVERIFY(t.open());
        QVERIFY(t.target({.outerId = QStringLiteral("A"), .num = 5, .bcheck = 1}));
        QVERIFY(t.target({.outerId = QStringLiteral("B"), .num = 5, .bcheck = 0}));
        QVERIFY(t.source({.outerId = QStringLiteral("A"), .num = 5}));
        QVERIFY(t.source({.outerId = QStringLiteral("B"), .num = 9}));
        t.o().uploadMode = UploadMode::Incremental;
        t.o().view = ViewFilter::All;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 2);
        for (int r = 0; r < 2; ++r) {
            const bool a = t.cell(r, CellOuterId) == QStringLiteral("A");
            QCOMPARE(t.model.isChecked(r), a);
            QCOMPARE(t.model.data(t.model.index(r, 1), ListModel::ForegroundRgbRole).isValid(), a);
        }
        t.o().view = ViewFilter::Differ; // not yet uploaded
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), QStringLiteral("A"));
        QCOMPARE(t.query->GetUploadIndex(), 0);
        t.query->uncheckAll();
        QCOMPARE(t.query->GetUploadIndex(), -1);
        t.query->checkSelected({0, 7});
        QCOMPARE(t.query->GetUploadIndex(), 0);
    }

    void formulasAndFiltersAgree()
    {
        Rig t;
        QVERIFY(t.open());
        // M = 1, S = -2: source 1 gives 0
        QVERIFY(t.target({.outerId = QStringLiteral("A"), .num = 0}));
        QVERIFY(t.target({.outerId = QStringLiteral("B"), .num = 3}));
        QVERIFY(t.source({.outerId = QStringLiteral("A"), .num = 1}));
        QVERIFY(t.source({.outerId = QStringLiteral("B"), .num = 1}));
        Formulas &f = t.o().formulas;
        f.quantity.enabled = true;
        f.quantity.setAddend(-2);
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellOuterId), QStringLiteral("B"));
        QCOMPARE(t.cell(0, CellSourceNum), QStringLiteral("0"));
        QVERIFY(t.model.isChecked(0));

        // M = 0.5 rounds 2.5 to 2 (and 0.5 to 0): equal to the target, never
        // listed as a difference
        QVERIFY(t.target({.outerId = QStringLiteral("C"), .num = 2}));
        QVERIFY(t.source({.outerId = QStringLiteral("C"), .num = 5}));
        f.quantity.setAddend(0);
        f.quantity.setMultiplier(0.5);
        for (ViewFilter v : {ViewFilter::Differ, ViewFilter::Same}) {
            t.o().view = v;
            QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
            for (int r = 0; r < t.rows(); ++r) {
                QCOMPARE(t.model.isChecked(r), v == ViewFilter::Differ);
                QCOMPARE(t.cell(r, CellNum) != t.cell(r, CellSourceNum), v == ViewFilter::Differ);
            }
            QCOMPARE(t.rows(), v == ViewFilter::Differ ? 1 : 2); // B (3 vs 0) / A (0 vs 0), C (2 vs 2)
        }

        // the price views compare the price the row shows
        f.price.enabled = true;
        f.price.setMultiplier(1.2);
        t.o().view = ViewFilter::PriceUp; // targets 10, sources 10 -> 12
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 3);
        QCOMPARE(t.cell(0, CellSourcePrice), QStringLiteral("12"));
        t.o().view = ViewFilter::PriceDown;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 0);
        // the formulas are not applied to the price or stock list
        QVERIFY(t.exec(QStringLiteral("insert into TB_Source_Price(outer_id,Price) values('A',10)")));
        t.o().view = ViewFilter::PriceList;
        t.o().onlyPriceDifferences = false;
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QCOMPARE(t.cell(0, CellSourcePrice), QStringLiteral("10"));
    }

    void aRejectedStatementEndsTheQuery()
    {
        Rig t;
        QVERIFY(t.open());
        QVERIFY(t.target({.outerId = QStringLiteral("A"), .num = 1}));
        QVERIFY(t.source({.outerId = QStringLiteral("A"), .num = 2}));
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Completed);
        QCOMPARE(t.rows(), 1);
        QVERIFY(t.exec(QStringLiteral("drop table TB_Source_Stock")));
        t.o().view = ViewFilter::StockList;
        t.enabled.clear();
        QCOMPARE(t.run(), DifferenceQuery::Outcome::Failed);
        QCOMPARE(t.rows(), 0);
        QVERIFY(!t.jobs.busy());
        QCOMPARE(t.enabled, (QList<bool>{false, true}));
        QCOMPARE(t.d.ui.last()->icon, Interaction::Icon::Error);
        QVERIFY(t.d.ui.last()->text.contains(QStringLiteral("TB_Source_Stock")));
    }

    void csvQuotesWhatNeedsIt()
    {
        ListModel m;
        ListRow r;
        r.caption = QStringLiteral("shop");
        r.cells = QStringList{QStringLiteral("a,b"), QStringLiteral("say \"hi\""), QStringLiteral("x\ny")};
        r.checked = true;
        m.setRows({r});
        const QList<QByteArray> lines = DifferenceCsv(m).split('\n');
        QCOMPARE(lines.at(0), (QStringLiteral("淘宝会员号,宝贝名称,主商家编码,颜色,SKU(尺码),数量,源数量,价格,源价格,"
                                              "SKU商家编码,商品数字ID,SKUID,状态,SKU属性值,货号,勾选\r"))
                                  .toUtf8());
        QCOMPARE(DifferenceCsv(m).split('\r').at(1),
                 QByteArray("\nshop,\"a,b\",\"say \"\"hi\"\"\",\"x\ny\",,,,,,,,,,,,1"));
    }
};

QTEST_GUILESS_MAIN(DifferenceQueryTest)
#include "difference_query_test.moc"
