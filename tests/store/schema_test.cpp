#include "TestDataDir.h"
#include "base/Interaction.h"
#include "store/DataModule.h"
#include "store/Maintenance.h"
#include "store/Parameters.h"
#include "store/Schema.h"
#include "store/UploadJournal.h"

#include <QFile>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList catalogue(const QSqlDatabase &db)
{
    QStringList out;
    QSqlQuery q(db);
    q.exec(QStringLiteral("select type, name, sql from sqlite_master where name not like 'sqlite_%' order by name"));
    while (q.next())
        out << q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString() + QLatin1Char(' ') +
                   q.value(2).toString();
    return out;
}

QStringList rows(const QSqlDatabase &db, const QString &sql)
{
    QStringList out;
    QSqlQuery q(db);
    if (!q.exec(sql))
        return {q.lastError().text()};
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << q.value(i).toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

bool exec(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql);
}

} // namespace

class SchemaTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newDatabaseHasEveryTableColumnIndexAndRow();
    void secondStartChangesNothing();
    void defaultGroupAndRowFiveComeOnlyWithTheTagColumn();
    void rowTwoHundredIsInsertedOrRead();
    void optimiseHandlesOnlyTheFirstFiveIndexes();
    void notADatabaseEndsWithTheErrorMessage();
    void failingMigrationStepIsReportedAndStartupGoesOn();
    void textColumnsIgnoreCaseAndWidthsAreKept();
    void moneyReadsBackWithoutTrailingZeros();
    void sqlFunctionsOfTheStatements();
    void journalKeepsItsRowsAcrossRestarts();
};

void SchemaTest::newDatabaseHasEveryTableColumnIndexAndRow()
{
    TestDataDir d;
    QVERIFY(d.open());
    QVERIFY(d.data->createdNew());
    QVERIFY(QFile::exists(d.path() + QStringLiteral("/TBData/TBData.db")));
    const QSqlDatabase db = d.db();

    for (const char *t : {"TB_Source", "TB_Object", "TB_URL", "TB_Groups", "_Parameter", "_Account", "_AppKey",
                          "TB_Source_Price", "TB_Source_Stock", "TB_Object_Inventory", "TB_Object_Tmp",
                          "TB_Source_Tmp", "TB_Source_Stock_Tmp", "TB_Source_Promotion", "TB_Source_Download",
                          "TB_Object_Download", "TB_Upload_Journal"})
        QVERIFY2(TableExists(db, QString::fromLatin1(t)), t);
    // the source download gathers its rows in a table of TB_Source's columns
    const QString columns = QStringLiteral("select name, type from pragma_table_info('%1') order by name");
    QCOMPARE(rows(db, columns.arg(QStringLiteral("TB_Source_Download"))),
             rows(db, columns.arg(QStringLiteral("TB_Source"))));
    // and the target download in a table of TB_Object's columns
    QCOMPARE(rows(db, columns.arg(QStringLiteral("TB_Object_Download"))),
             rows(db, columns.arg(QStringLiteral("TB_Object"))));
    for (const QString &ix : IndexNames())
        QVERIFY2(IndexExists(db, ix), qPrintable(ix));

    const struct
    {
        const char *table;
        const char *column;
    } added[] = {{"TB_Source", "sku_properties"}, {"TB_Source", "oldcode"},      {"TB_Source", "is_fenxiao"},
                 {"TB_Source", "Promo_Price"},    {"TB_Object", "sku_properties"}, {"TB_Object", "oldcode"},
                 {"TB_Object", "is_fenxiao"},     {"TB_Object", "Promo_Price"},  {"TB_URL", "Tag"},
                 {"TB_Groups", "Tag"},            {"TB_Source_Stock", "oldcode"}, {"TB_Source_Stock_Tmp", "oldcode"},
                 {"TB_Object", "UserID"},         {"TB_Object_Inventory", "seller_cids"}};
    for (const auto &c : added)
        QVERIFY2(ColumnExists(db, QString::fromLatin1(c.table), QString::fromLatin1(c.column)), c.column);

    // the rows the program only ever updates, with integers where they are converted
    QCOMPARE(rows(db, QStringLiteral("select NM from _Parameter order by NM")).join(QLatin1Char(',')),
             QStringLiteral("1,2,3,4,5,10,11,100,101,102,200,9998,9999"));
    QCOMPARE(GetParam(db, 9999), QStringLiteral("0"));
    QCOMPARE(GetParam(db, 9998), QStringLiteral("0"));
    QCOMPARE(GetParam(db, 100), QStringLiteral("10"));
    QCOMPARE(GetParam(db, 200), QStringLiteral("0"));
    QCOMPARE(GetParam(db, 5), QStringLiteral("默认组"));
    QCOMPARE(rows(db, QStringLiteral("select count(*) from _AppKey")), QStringList{QStringLiteral("1")});
    QCOMPARE(rows(db, QStringLiteral("select Tag, GroupName from TB_Groups order by Tag")),
             (QStringList{QStringLiteral("0|默认组"), QStringLiteral("1|默认组")}));
    QCOMPARE(d.data->hideNonUniqueFlag(), 0);
    QVERIFY(d.ui.records().isEmpty());

    // rows inserted by the program get their ids and the defaults
    QVERIFY(exec(db, QStringLiteral("insert into TB_URL(num_iid) values('1')")));
    QCOMPARE(rows(db, QStringLiteral("select Tag, bCheck, Uniqid > 0 from TB_URL")),
             QStringList{QStringLiteral("0|1|1")});
}

void SchemaTest::secondStartChangesNothing()
{
    QTemporaryDir dir;
    ScriptedInteraction ui;
    QStringList before;
    {
        TADOMain first(dir.path());
        QVERIFY(first.DataModuleCreate());
        before = catalogue(first.ADOConn()) + rows(first.ADOConn(), QStringLiteral("select * from _Parameter")) +
                 rows(first.ADOConn(), QStringLiteral("select * from TB_Groups"));
    }
    TADOMain second(dir.path());
    QVERIFY(second.DataModuleCreate());
    QVERIFY(!second.createdNew());
    QCOMPARE(catalogue(second.ADOConn()) + rows(second.ADOConn(), QStringLiteral("select * from _Parameter")) +
                 rows(second.ADOConn(), QStringLiteral("select * from TB_Groups")),
             before);

    SchemaMigration again(second.ADOConn());
    QVERIFY(again.run());
    QVERIFY2(again.executed().isEmpty(), qPrintable(again.executed().join(QLatin1Char('\n'))));
    QVERIFY(ui.records().isEmpty());
}

void SchemaTest::defaultGroupAndRowFiveComeOnlyWithTheTagColumn()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();

    // Without the column: added once, with the target group and NM 5.
    QVERIFY(exec(db, QStringLiteral("drop table TB_Groups")));
    QVERIFY(exec(db, QStringLiteral("create table TB_Groups(Uniqid INTEGER PRIMARY KEY AUTOINCREMENT, GroupName text)")));
    QVERIFY(exec(db, QStringLiteral("insert into TB_Groups(GroupName) values('A')")));
    QVERIFY(exec(db, QStringLiteral("delete from _Parameter where NM=5")));
    SchemaMigration m(db);
    QVERIFY(m.run());
    QCOMPARE(rows(db, QStringLiteral("select Tag, GroupName from TB_Groups order by Uniqid")),
             (QStringList{QStringLiteral("0|A"), QStringLiteral("1|默认组")}));
    QCOMPARE(rows(db, QStringLiteral("select ParaValue, ParaDesc from _Parameter where NM=5")),
             QStringList{QStringLiteral("默认组|URL分组2")});

    // With the column: neither group nor row again, even when NM 5 is gone.
    QVERIFY(exec(db, QStringLiteral("delete from _Parameter where NM=5")));
    SchemaMigration m2(db);
    QVERIFY(m2.run());
    QCOMPARE(rows(db, QStringLiteral("select count(*) from TB_Groups")), QStringList{QStringLiteral("2")});
    QCOMPARE(rows(db, QStringLiteral("select count(*) from _Parameter where NM=5")), QStringList{QStringLiteral("0")});
}

void SchemaTest::rowTwoHundredIsInsertedOrRead()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();
    QVERIFY(SetParam(db, 200, QStringLiteral("1")));
    {
        SchemaMigration m(db);
        QVERIFY(m.run());
        QCOMPARE(m.hideNonUniqueFlag(), 1);
    }
    QVERIFY(exec(db, QStringLiteral("delete from _Parameter where NM=200")));
    SchemaMigration m(db);
    QVERIFY(m.run());
    QCOMPARE(m.hideNonUniqueFlag(), 0);
    QCOMPARE(rows(db, QStringLiteral("select ParaValue, ParaDesc from _Parameter where NM=200")),
             QStringList{QStringLiteral("0|不显示不是唯一关联值的宝贝")});
}

void SchemaTest::optimiseHandlesOnlyTheFirstFiveIndexes()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();
    QVERIFY(exec(db, QStringLiteral("drop index IX_Source_07")));
    QVERIFY(exec(db, QStringLiteral("drop index IX_Source_02")));
    QVERIFY(exec(db, QStringLiteral("drop index IX_Object_05")));

    DatabaseMaintenance maintenance(db);
    QString error;
    QCOMPARE(maintenance.optimise(&error), 2);
    QVERIFY(IndexExists(db, QStringLiteral("IX_Source_02")));
    QVERIFY(IndexExists(db, QStringLiteral("IX_Object_05")));
    QVERIFY(!IndexExists(db, QStringLiteral("IX_Source_07")));

    // the next start creates it
    SchemaMigration m(db);
    QVERIFY(m.run());
    QVERIFY(IndexExists(db, QStringLiteral("IX_Source_07")));
    QCOMPARE(m.executed(), QStringList{QStringLiteral("CREATE INDEX IX_Source_07\nON TB_Source(oldcode,color)")});
}

void SchemaTest::notADatabaseEndsWithTheErrorMessage()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("TBData")));
    QFile f(dir.path() + QStringLiteral("/TBData/TBData.db"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("this is a price list, not a database\n").repeated(200));
    f.close();

    TADOMain data(dir.path());
    QVERIFY(!data.DataModuleCreate());
    QVERIFY(!data.isOpen());
    QVERIFY(data.openError().contains(QStringLiteral("TBData.db")));
    // the file is left as it was
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("this is a price list"));
}

void SchemaTest::failingMigrationStepIsReportedAndStartupGoesOn()
{
    QTemporaryDir dir;
    {
        TADOMain first(dir.path());
        QVERIFY(first.DataModuleCreate());
        // a database without TB_URL: step 6 fails
        QVERIFY(exec(first.ADOConn(), QStringLiteral("drop table TB_URL")));
        QVERIFY(exec(first.ADOConn(), QStringLiteral("drop table TB_Source_Stock")));
    }
    TADOMain second(dir.path());
    QVERIFY(second.DataModuleCreate());
    QVERIFY(second.migrationError().contains(QStringLiteral("TB_URL")));
    // the steps after the failing one did not run
    QVERIFY(!TableExists(second.ADOConn(), QStringLiteral("TB_Source_Stock")));
}

void SchemaTest::textColumnsIgnoreCaseAndWidthsAreKept()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();
    QVERIFY(exec(db, QStringLiteral("insert into TB_Source(outer_id, color) values('AbC-01', '红色')")));
    QCOMPARE(rows(db, QStringLiteral("select count(*) from TB_Source where outer_id='abc-01'")),
             QStringList{QStringLiteral("1")});

    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into TB_Source(oldcode) values(?)"));
    q.addBindValue(QString(64, QLatin1Char('x')));
    QVERIFY(q.exec());
    q.addBindValue(QString(65, QLatin1Char('x')));
    QVERIFY(!q.exec());
    q.prepare(QStringLiteral("insert into TB_Object(oldcode) values(?)"));
    q.addBindValue(QString(256, QChar(0x8d27)));
    QVERIFY(q.exec());
    q.addBindValue(QString(257, QChar(0x8d27)));
    QVERIFY(!q.exec());
}

void SchemaTest::moneyReadsBackWithoutTrailingZeros()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("insert into TB_Source(price, num_iid) values(?, ?)"));
    const QList<QPair<QVariant, QString>> values = {{12.50, QStringLiteral("1")},
                                                     {30.00, QStringLiteral("2")},
                                                     {QStringLiteral("30.00"), QStringLiteral("3")},
                                                     {QStringLiteral("0.10"), QStringLiteral("4")}};
    for (const auto &v : values) {
        q.addBindValue(v.first);
        q.addBindValue(v.second);
        QVERIFY(q.exec());
    }
    QCOMPARE(rows(db, QStringLiteral("select price, cast(price as text) from TB_Source order by num_iid")),
             (QStringList{QStringLiteral("12.5|12.5"), QStringLiteral("30|30"), QStringLiteral("30|30"),
                          QStringLiteral("0.1|0.1")}));
    QCOMPARE(rows(db, QStringLiteral("select count(*) from TB_Source where price=30")), QStringList{QStringLiteral("2")});
}

void SchemaTest::sqlFunctionsOfTheStatements()
{
    TestDataDir d;
    QVERIFY(d.open());
    const QSqlDatabase db = d.db();
    QCOMPARE(rows(db, QStringLiteral("select round(12.5678, 2, 0), round(12.5678, 2, 1), round(-1.55, 1, 1), round(12.5)")),
             QStringList{QStringLiteral("12.57|12.56|-1.5|13")});
    QCOMPARE(rows(db, QStringLiteral("select str(12.6), str(12.346, 8, 2), '[' || str(5, 3) || ']', str(123456, 3)")),
             QStringList{QStringLiteral("        13|   12.35|[  5]|***")});
    QCOMPARE(rows(db, QStringLiteral("select ltrim(str(42))")), QStringList{QStringLiteral("42")});
}


void SchemaTest::journalKeepsItsRowsAcrossRestarts()
{
    QTemporaryDir dir;
    const QDateTime t0(QDate(2026, 12, 1), QTime(9, 0, 0));
    {
        TADOMain first(dir.path());
        QVERIFY(first.DataModuleCreate());
        UploadJournal journal(first.ADOConn());
        JournalEntry e;
        e.at = t0;
        e.account = QStringLiteral("o'shop_%");
        e.numIid = QStringLiteral("101");
        e.skuId = QStringLiteral("5001");
        e.kind = QStringLiteral("quantity");
        e.mode = QStringLiteral("full");
        e.before = QStringLiteral("10");
        e.after = QStringLiteral("13");
        e.startedBy = QStringLiteral("plan");
        e.title = QStringLiteral("童装'连衣裙");
        QVERIFY(journal.append(e));
        e.at = t0.addDays(1);
        e.skuId.clear();
        QVERIFY(journal.append(e));
    }
    TADOMain second(dir.path());
    QVERIFY(second.DataModuleCreate());
    UploadJournal journal(second.ADOConn());
    const QList<JournalEntry> all = journal.read();
    QCOMPARE(all.size(), 2);
    QCOMPARE(all.at(0).account, QStringLiteral("o'shop_%"));
    QCOMPARE(all.at(0).title, QStringLiteral("童装'连衣裙"));
    QCOMPARE(all.at(0).at, t0);
    const QList<JournalEntry> later = journal.read(UploadJournal::parseTime(QStringLiteral("2026-12-01 09:00:01")));
    QCOMPARE(later.size(), 1);
    QVERIFY(later.at(0).skuId.isEmpty());
    QVERIFY(!UploadJournal::parseTime(QStringLiteral("yesterday")).isValid());
}

QTEST_GUILESS_MAIN(SchemaTest)
#include "schema_test.moc"
