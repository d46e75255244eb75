#include "TestDataDir.h"
#include "base/Desktop.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/SourceList.h"
#include "store/Parameters.h"
#include "store/SqlValues.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QtTest>

namespace {

struct Fixture
{
    TestDataDir d;
    ListModel model;
    std::unique_ptr<JobHost> jobs;
    RecordingDesktop desktop;
    std::unique_ptr<SourceList> list;

    bool open()
    {
        if (!d.open())
            return false;
        jobs = std::make_unique<JobHost>(d.ui);
        list = std::make_unique<SourceList>(d.db(), model, *jobs, d.ui, desktop);
        list->setItemPageAddress([](const QString &id) -> QString { return QStringLiteral("http://127.0.0.1:1/item.htm?id=") + id; });
        return true;
    }

    void source(const QString &title, const QString &outerId, const QString &color, const QString &sku,
                const QString &oldcode, const QString &status = QStringLiteral("onsale"), int fenxiao = 0)
    {
        QSqlQuery q(d.db());
        q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,oldcode,num,price,num_iid,sku_id,"
                                 "approve_status,nick,is_fenxiao) values(?,?,?,?,?,5,12.5,?,?,?,'店',?)"));
        for (const QVariant &v : {SqlText(title), SqlText(outerId), SqlText(color), SqlText(sku), SqlText(oldcode),
                                  SqlText(QStringLiteral("6001") + outerId), SqlText(QStringLiteral("7001")),
                                  SqlText(status), QVariant(fenxiao)})
            q.addBindValue(v);
        QVERIFY2(q.exec(), "insert");
    }

    QStringList titles() const
    {
        QStringList out;
        for (const ListRow &r : model.rows())
            out << r.caption;
        return out;
    }
};

} // namespace

class SourceListTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void filtersAndTotals();
    void searches();
    void notInTargetByArticleAndColour();
    void rowCellsAndStatus();
    void deleteAsksAndRemoves();
    void exportWritesFourteenFields();
    void copyAndOpen();
    void busyListDoesNothing();
};

void SourceListTest::filtersAndTotals()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("连衣裙"), QStringLiteral("A1"), QStringLiteral("红色"), QStringLiteral("S"), QString());
    f.source(QStringLiteral("衬衫"), QString(), QStringLiteral("白色"), QStringLiteral("M"), QString());
    f.source(QStringLiteral("外套"), QStringLiteral("B2"), QStringLiteral("黑色"), QStringLiteral("L"), QString());
    SetParam(f.d.db(), 1, QStringLiteral("2026/12/09 08:00:00"));

    // the start filter lists rows with a merchant code
    QVERIFY(f.list->GetData_TB_Source(QString(), true));
    QCOMPARE(f.titles(), (QStringList{QStringLiteral("连衣裙"), QStringLiteral("外套")}));
    QCOMPARE(f.list->totalsText(), QStringLiteral(" 当前显示共 2 项"));
    QCOMPARE(f.list->updateLabel(), QStringLiteral("源宝贝库存更新时间:2026/12/09 08:00:00"));
    QVERIFY(!f.jobs->panel1().shown());

    f.list->filter().codeFilter = SourceListFilter::WithoutCode;
    f.list->GetData_TB_Source(QString(), true);
    QCOMPARE(f.titles(), QStringList{QStringLiteral("衬衫")});

    // "显示所有": the totals count the whole table even when a keyword narrows the list
    f.list->filter().codeFilter = SourceListFilter::All;
    f.list->GetData_TB_Source(QStringLiteral("外套"), true);
    QCOMPARE(f.titles(), QStringList{QStringLiteral("外套")});
    QCOMPARE(f.list->totalsText(), QStringLiteral(" 共 3 项,其中有商家编码 2 项,无商家编码 1 项"));
    QCOMPARE(f.list->updateLabel(), QStringLiteral("更新时间:2026/12/09 08:00:00"));
    // ... but only while the list is shown
    f.list->GetData_TB_Source(QStringLiteral("外套"), false);
    QCOMPARE(f.list->totalsText(), QStringLiteral(" 当前显示共 1 项"));
}

void SourceListTest::searches()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("Tom's 连衣裙"), QStringLiteral("O'K-1"), QStringLiteral("红色"), QStringLiteral("S"),
             QStringLiteral("H100"));
    f.source(QStringLiteral("无货号"), QStringLiteral("C3"), QStringLiteral("蓝色"), QStringLiteral("M"), QString());
    f.source(QStringLiteral("100% 棉"), QStringLiteral("C4"), QStringLiteral("蓝色"), QStringLiteral("L"),
             QStringLiteral("H200"));
    f.list->filter().codeFilter = SourceListFilter::All;

    // a quote in the keyword finds the row and breaks nothing
    QVERIFY(f.list->GetData_TB_Source(QStringLiteral("O'K"), false));
    QCOMPARE(f.titles(), QStringList{QStringLiteral("Tom's 连衣裙")});
    QVERIFY(f.list->GetData_TB_Source(QStringLiteral("'); delete from TB_Source; --"), false));
    QCOMPARE(f.model.count(), 0);
    f.list->GetData_TB_Source(QString(), false);
    QCOMPARE(f.model.count(), 3);

    // substring search covers article numbers too, case-insensitively
    f.list->GetData_TB_Source(QStringLiteral("h1"), false);
    QCOMPARE(f.titles(), QStringList{QStringLiteral("Tom's 连衣裙")});

    // exact search in the article number with an empty keyword: only empty values
    f.list->filter().exactSearch = true;
    f.list->filter().field = 6;
    f.list->GetData_TB_Source(QString(), false);
    QCOMPARE(f.titles(), QStringList{QStringLiteral("无货号")});
    // no wildcard added, but the user's own % works
    f.list->filter().field = 0;
    f.list->GetData_TB_Source(QStringLiteral("连衣裙"), false);
    QCOMPARE(f.model.count(), 0);
    f.list->GetData_TB_Source(QStringLiteral("%连衣裙"), false);
    QCOMPARE(f.model.count(), 1);
}

void SourceListTest::notInTargetByArticleAndColour()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("在目标"), QStringLiteral("A"), QStringLiteral("红色"), QStringLiteral("S"), QStringLiteral("H1"));
    f.source(QStringLiteral("颜色不同"), QStringLiteral("A"), QStringLiteral("黑色"), QStringLiteral("S"), QStringLiteral("H1"));
    f.source(QStringLiteral("尺码不同也算"), QStringLiteral("A"), QStringLiteral("红色"), QStringLiteral("XL"),
             QStringLiteral("H1"));
    QSqlQuery q(f.d.db());
    // a target row of another account counts too; a row with NULLs must not hide everything
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,oldcode,color,sku) values('别的帐号','H1','红色','M')")));
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,oldcode,color) values('x','H9',NULL)")));
    f.list->filter().codeFilter = SourceListFilter::NotInTarget;
    f.list->filter().matchingKey = 7; // 货号+颜色
    QVERIFY(f.list->GetData_TB_Source(QString(), false));
    QCOMPARE(f.titles(), QStringList{QStringLiteral("颜色不同")});
    f.list->filter().matchingKey = 6; // 货号+颜色+SKU(尺码)
    f.list->GetData_TB_Source(QString(), false);
    QCOMPARE(f.model.count(), 3);
}

void SourceListTest::rowCellsAndStatus()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("a"), QStringLiteral("A1"), QString(), QString(), QString(), QStringLiteral(" onsale "), 1);
    f.source(QStringLiteral("b"), QStringLiteral("A2"), QString(), QString(), QString(), QStringLiteral("instock"));
    f.source(QStringLiteral("c"), QStringLiteral("A3"), QString(), QString(), QString(), QString());
    f.list->GetData_TB_Source(QString(), false);
    QCOMPARE(f.model.count(), 3);
    QCOMPARE(f.model.row(0).cells.size(), 14);
    QCOMPARE(f.model.row(0).cells.at(8), QStringLiteral("销售中"));
    QCOMPARE(f.model.row(1).cells.at(8), QStringLiteral("已下架"));
    QCOMPARE(f.model.row(2).cells.at(8), QStringLiteral("已下架"));
    QCOMPARE(f.model.row(0).imageIndex, 1);
    QCOMPARE(f.model.row(1).imageIndex, 0);
    QCOMPARE(f.model.row(0).cells.at(4), QStringLiteral("12.5"));
    QCOMPARE(f.model.row(0).cells.at(12), QString());
    QVERIFY(f.model.row(0).uniqid().toInt() > 0);
    QCOMPARE(SourceList::headers().size(), 14);
}

void SourceListTest::deleteAsksAndRemoves()
{
    Fixture f;
    QVERIFY(f.open());
    for (int i = 0; i < 4; ++i)
        f.source(QStringLiteral("t%1").arg(i), QStringLiteral("C%1").arg(i), QString(), QString(), QString());
    f.list->GetData_TB_Source(QString(), false);

    f.list->deleteRows({});
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("请选择要删除的项"));

    f.d.ui.answerQuestion(false);
    f.list->deleteRows({1});
    QCOMPARE(f.d.ui.last()->text, QStringLiteral("是否要删除:C1.t1"));
    QCOMPARE(f.model.count(), 4);

    f.d.ui.answerQuestion(true);
    f.list->deleteRows({3, 0, 2});
    QCOMPARE(f.d.ui.last()->text, QStringLiteral("是否要删除选中的 3 条记录"));
    QCOMPARE(f.titles(), QStringList{QStringLiteral("t1")});
    QCOMPARE(f.list->totalsText(), QStringLiteral(" 当前显示共 1 项"));
    QSqlQuery q(f.d.db());
    QVERIFY(q.exec(QStringLiteral("select title from TB_Source")) && q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("t1"));
    QVERIFY(!q.next());

    f.d.ui.answerQuestion(true);
    f.list->emptyAll();
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("完成清空源店铺所有已下载数据，请确认."));
    QCOMPARE(f.model.count(), 0);
    QVERIFY(q.exec(QStringLiteral("select count(*) from TB_Source")) && q.next());
    QCOMPARE(q.value(0).toInt(), 0);
}

void SourceListTest::exportWritesFourteenFields()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("连衣裙 😀"), QStringLiteral("A1"), QStringLiteral("红色"), QStringLiteral("S"),
             QStringLiteral("H1"));
    f.source(QStringLiteral("衬衫"), QStringLiteral("A2"), QStringLiteral("白色"), QStringLiteral("M"), QString());
    f.source(QStringLiteral("不选"), QStringLiteral("A3"), QString(), QString(), QString());
    f.list->GetData_TB_Source(QString(), false);

    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("sExport.csv"));
    f.d.ui.answerSaveFile(path);
    f.list->exportRows({1, 0});
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("完成选中项另存为,请确认"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QStringDecoder gbk("GB18030");
    const QStringList lines = QString(gbk.decode(bytes)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    for (const QString &line : lines)
        QCOMPARE(line.split(QLatin1Char(',')).size(), 14);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("宝贝名称,主商家编码,颜色")));
    QVERIFY(lines.at(0).endsWith(QStringLiteral("货号,")));
    QVERIFY(lines.at(1).startsWith(QStringLiteral("连衣裙 😀,A1,红色,S,5,12.5")));
    // plain GBK where the text allows it
    QVERIFY(bytes.contains(QByteArray::fromHex("b1a6b1b4c3fbb3c6"))); // 宝贝名称
    // the proposed name carries the time
    const auto &rec = f.d.ui.records();
    QCOMPARE(rec.at(rec.size() - 2).kind, ScriptedInteraction::Kind::SaveFile);

    // cancelled dialog: nothing written, nothing said
    const qsizetype before = f.d.ui.records().size();
    f.list->exportRows({0});
    QCOMPARE(f.d.ui.records().size(), before + 1);

    // the extension goes on a name without one, whatever the folders are called
    QVERIFY(QDir(out.path()).mkdir(QStringLiteral("john.doe")));
    f.d.ui.answerSaveFile(out.filePath(QStringLiteral("john.doe/list")));
    f.list->exportRows({0});
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("完成选中项另存为,请确认"));
    QVERIFY(QFile::exists(out.filePath(QStringLiteral("john.doe/list.csv"))));

    // a character no code page can hold: said so, not reported done
    f.model.setCaption(1, QStringLiteral("半") + QChar(0xD800));
    const QString broken = out.filePath(QStringLiteral("broken.csv"));
    f.d.ui.answerSaveFile(broken);
    f.list->exportRows({1});
    QVERIFY(f.d.ui.last()->icon == Interaction::Icon::Error);
    QVERIFY(f.d.ui.messages().last() != QStringLiteral("完成选中项另存为,请确认"));
    QVERIFY(!QFile::exists(broken));
}

void SourceListTest::copyAndOpen()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("a"), QStringLiteral("A1"), QString(), QString(), QString());
    f.source(QStringLiteral("b"), QStringLiteral("A2"), QString(), QString(), QString());
    f.list->GetData_TB_Source(QString(), false);
    f.list->CopyText_Source({1, 0}, -1);
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("a\r\nb"));
    f.list->CopyText_Source({1}, 0);
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("A2"));
    f.list->CopyText_Source({1}, 11); // empty article number: clipboard left alone
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("A2"));
    f.list->copyItemPages({0, 1});
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("http://127.0.0.1:1/item.htm?id=6001A1\r\n"
                                                       "http://127.0.0.1:1/item.htm?id=6001A2"));
    f.list->openItemPage({});
    QVERIFY(f.desktop.openedUrls().isEmpty());
    f.list->openItemPage({1, 0});
    QCOMPARE(f.desktop.openedUrls(), QStringList{QStringLiteral("http://127.0.0.1:1/item.htm?id=6001A1")});
}

void SourceListTest::busyListDoesNothing()
{
    Fixture f;
    QVERIFY(f.open());
    f.source(QStringLiteral("a"), QStringLiteral("A1"), QString(), QString(), QString());
    f.jobs->panel2().show(QStringLiteral("正在下载中...(0%)"), true);
    QSignalSpy enabled(f.list.get(), &SourceList::controlsEnabled);
    QVERIFY(!f.list->GetData_TB_Source(QString(), true));
    QCOMPARE(f.model.count(), 0);
    QCOMPARE(enabled.count(), 0);
    f.jobs->panel2().hide();
    // nothing else runs while the list fills (a job's reply waits for it)
    bool ranInside = false;
    QTimer::singleShot(0, f.list.get(), [&] { ranInside = f.jobs->panel1().shown(); });
    QVERIFY(f.list->GetData_TB_Source(QString(), true));
    QCoreApplication::processEvents();
    QVERIFY(!ranInside);
    QCOMPARE(enabled.count(), 2);
    QCOMPARE(enabled.at(0).at(0).toBool(), false);
    QCOMPARE(enabled.at(1).at(0).toBool(), true);
}

QTEST_GUILESS_MAIN(SourceListTest)
#include "source_list_test.moc"
