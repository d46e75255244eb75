// The price and stock lists over a real database: import, listing, edits,
// delete, merge and copy.
#include "TestDataDir.h"
#include "base/Desktop.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "source/PriceStockFile.h"
#include "source/PriceStockLists.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStringEncoder>
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

using K = PriceStockLists;

struct Fixture
{
    TestDataDir d;
    std::unique_ptr<JobHost> jobs;
    RecordingDesktop desktop;
    std::unique_ptr<PriceStockLists> lists;
    int files = 0;

    bool open()
    {
        if (!d.open())
            return false;
        jobs = std::make_unique<JobHost>(d.ui);
        lists = std::make_unique<PriceStockLists>(d.db(), *jobs, d.ui, desktop);
        return true;
    }
    QString file(const QByteArray &bytes)
    {
        const QString path = d.path() + QStringLiteral("/list%1.csv").arg(++files);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QStringList column(const QString &table, const QString &expr) const
    {
        QStringList out;
        QSqlQuery q(d.db());
        q.exec(QStringLiteral("select ") + expr + QStringLiteral(" from ") + table + QStringLiteral(" order by Uniqid"));
        while (q.next())
            out << q.value(0).toString();
        return out;
    }
    QStringList prices() const { return column(QStringLiteral("TB_Source_Price"), QStringLiteral("outer_id||'='||Price")); }
    // imports through the window's command, answering the dialogs
    void importClick(K::Kind kind, const QByteArray &bytes, bool append = false)
    {
        d.ui.answerOpenFile(file(bytes));
        d.ui.answerQuestion(true);
        lists->importClick(kind, append);
    }
};

} // namespace

class PriceStockListsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void importIsAllOrNothing();
    void blankLinesAreSkippedButCounted();
    void fieldsKeepTheirBlanksAndEncodingsAgree();
    void utf16AndMixedFiles();
    void pricesAndQuantitiesThePlatformTakes();
    void editsFollowTheNumericRule();
    void deleteSearchCopyAndTheCancelFlag();
    void mergeAddsDuplicateQuantities();
};

void PriceStockListsTest::importIsAllOrNothing()
{
    Fixture f;
    QVERIFY(f.open());
    f.importClick(K::Price, "A1,10\r\nB2,20.5\r\n");
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("导入商品价格数据,请确认. 共 2 项"));
    QCOMPARE(f.lists->model(K::Price).count(), 2);

    // a header line stops the import at once; the previous list stays whole
    f.importClick(K::Price, "主商家编码,价格\r\nC3,30\r\n");
    QCOMPARE(f.d.ui.last()->icon, Interaction::Icon::Warning);
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("导入失败请检查csv文件内容是否正确.\r\n其中 0 项已被导入."
                                                      "ERROR:第 1 行 \"主商家编码,价格\": 价格 \"价格\" 不是数字"));
    QCOMPARE(f.prices(), (QStringList{QStringLiteral("A1=10"), QStringLiteral("B2=20.5")}));

    // a trailing comma is a third field: nothing of the file is imported, also in append mode
    const K::ImportResult r = f.lists->importFile(K::Price, f.file("C3,30\nD4,40,\nE5,50\n"), true);
    QVERIFY(!r.ok);
    QCOMPARE(r.failedLine, 2);
    QCOMPARE(r.failedText, QStringLiteral("D4,40,"));
    QCOMPARE(r.imported, 0);
    QVERIFY(K::importMessage(K::Price, r).contains(QStringLiteral("其中 0 项已被导入.ERROR:第 2 行 \"D4,40,\"")));
    QCOMPARE(f.prices().size(), 2);
    QVERIFY(!f.jobs->busy());

    // a quantity that is not a whole number, or a line too long for its column, stops the stock import
    QVERIFY(f.lists->importFile(K::Stock, f.file("A,红,S,A-1,H1,5\n"), false).ok);
    QCOMPARE(f.lists->importFile(K::Stock, f.file("B,红,S,B-1,H2,5.5\n"), false).failedLine, 1);
    QCOMPARE(f.lists->importFile(K::Stock, f.file("B,红,S,B-1,H2,3\n" + QByteArray(200, 'x') + ",a,b,c,d,1\n"), false)
                 .failedLine,
             2);
    QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), QStringLiteral("outer_id")), QStringList{QStringLiteral("A")});

    // an empty file in replace mode empties the table
    f.importClick(K::Price, "");
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("导入商品价格数据,请确认. 共 0 项"));
    QVERIFY(f.prices().isEmpty());
    QCOMPARE(f.lists->totalsText(K::Price), QStringLiteral(" 当前显示共 0 项"));
}

void PriceStockListsTest::blankLinesAreSkippedButCounted()
{
    Fixture f;
    QVERIFY(f.open());
    QSignalSpy captions(&f.jobs->panel1(), &ProgressPanelState::captionSet);
    const K::ImportResult r = f.lists->importFile(K::Price, f.file("A,1\r\n \t \r\n\r\nB,2"), false);
    QVERIFY(r.ok);
    QCOMPARE(r.lines, 4);
    QCOMPARE(r.imported, 2);
    QStringList seen;
    for (const auto &c : captions)
        seen << c.at(0).toString();
    QVERIFY(seen.contains(QStringLiteral("正在从文件导入商品价格数据...(1/4)")));
    QVERIFY(seen.contains(QStringLiteral("正在从文件导入商品价格数据...(4/4)")));
    QVERIFY(!seen.contains(QStringLiteral("正在从文件导入商品价格数据...(2/4)")));
    QCOMPARE(SplitListLines(QStringLiteral("a\rb\r\nc\n")), (L({"a", "b", "c"})));
}

void PriceStockListsTest::fieldsKeepTheirBlanksAndEncodingsAgree()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.lists->importFile(K::Price, f.file("T100 , 12.5 \n"), false).ok);
    QCOMPARE(f.prices(), QStringList{QStringLiteral("T100 =12.5")});

    const QString text = QStringLiteral("T100,黑色,均码,T100-1,货号一,5\r\nJ200,白色,XL,J200-2,,2\r\n");
    QStringEncoder gbk("GBK");
    QVERIFY(gbk.isValid());
    const QByteArray encodings[] = {"\xEF\xBB\xBF" + text.toUtf8(), text.toUtf8(), QByteArray(gbk.encode(text))};
    QStringList first;
    for (const QByteArray &bytes : encodings) {
        QVERIFY(f.lists->importFile(K::Stock, f.file(bytes), false).ok);
        const QStringList rows = f.column(QStringLiteral("TB_Source_Stock"),
                                          QStringLiteral("outer_id||'|'||color||'|'||sku||'|'||outer_id_sku||'|'||"
                                                         "oldcode||'|'||num"));
        if (first.isEmpty())
            first = rows;
        QCOMPARE(rows, first);
    }
    QCOMPARE(first, (QStringList{QStringLiteral("T100|黑色|均码|T100-1|货号一|5"), QStringLiteral("J200|白色|XL|J200-2||2")}));
}

// UTF-16 with its mark is read; a file mixing UTF-8 and GBK lines, or with a
// line that is neither, is refused naming the line, and nothing is stored.
void PriceStockListsTest::utf16AndMixedFiles()
{
    Fixture f;
    QVERIFY(f.open());
    const QString text = QStringLiteral("T100,黑色,均码,T100-1,货号一,5\r\nJ200,白色,XL,J200-2,,2\r\n");
    auto utf16 = [&](bool little) {
        QByteArray out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (const QChar c : text) {
            const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
            out.append(little ? lo : hi).append(little ? hi : lo);
        }
        return out;
    };
    const QString stored = QStringLiteral("outer_id||'|'||color||'|'||num");
    for (const bool little : {true, false}) {
        const K::ImportResult r = f.lists->importFile(K::Stock, f.file(utf16(little)), false);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), stored),
                 (QStringList{QStringLiteral("T100|黑色|5"), QStringLiteral("J200|白色|2")}));
    }
    QCOMPARE(DecodeListFile(utf16(true)).encoding, QStringLiteral("UTF-16LE"));

    QStringEncoder gbk("GBK");
    const QByteArray utf8Line = QStringLiteral("A,黑色,S,A-1,,1\n").toUtf8();
    const QByteArray gbkLine = gbk.encode(QStringLiteral("B,黑色,S,B-1,,1\n"));
    struct Case
    {
        QByteArray bytes;
        int line;
        const char *says;
    };
    const Case refused[] = {
        {"X,,,,,1\n" + utf8Line + gbkLine, 3, "第 2 行是 UTF-8 编码, 这一行是 GBK 编码"},
        {gbkLine + "X,,,,,1\n" + utf8Line, 3, "第 1 行是 GBK 编码, 这一行是 UTF-8 编码"},
        {utf8Line + "C,\x80\xFF,S,,,1\n", 2, "既不是有效的 UTF-8 文本"},
        {"\xEF\xBB\xBF" + utf8Line + gbkLine, 2, "UTF-8 的字节顺序标记"},
        {QByteArray("\xFF\xFE" "A\0,\0\x00\xD8\n\0", 10), 1, "UTF-16LE"}, // a lone surrogate
        {QByteArray("A\0,\0", 5), 1, "NUL"},
    };
    for (const Case &c : refused) {
        const K::ImportResult r = f.lists->importFile(K::Stock, f.file(c.bytes), false);
        QVERIFY(!r.ok);
        QCOMPARE(r.failedLine, c.line);
        QVERIFY2(r.error.contains(QString::fromUtf8(c.says)), qPrintable(r.error));
        QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), stored).size(), 2);
    }
}

// Prices the platform takes: above 0, at most 100 000 000, two decimals;
// quantities 0 to 999 999 999. Anything else refuses the file at its line.
void PriceStockListsTest::pricesAndQuantitiesThePlatformTakes()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.lists->importFile(K::Price, f.file("A, 0.01 \nB,100000000\nC,12.50\nD,.5\n"), false).ok);
    QCOMPARE(f.prices(), (L({"A=0.01", "B=100000000", "C=12.5", "D=0.5"})));
    const QByteArray huge(2000000, '9');
    const std::pair<QByteArray, const char *> badPrices[] = {
        {"-5", "应大于 0"},           {"0", "应大于 0"},           {"0.00", "应大于 0"},
        {"12.345", "最多两位小数"},   {"100000000.01", "超过 100000000"},
        {"99999999999999999999", "超过 100000000"}, {huge, "超过 100000000"},
        {"1e5", "不是数字"},          {"", "不是数字"},
    };
    for (const auto &[price, says] : badPrices) {
        const K::ImportResult r = f.lists->importFile(K::Price, f.file("OK,1\nX," + price + "\n"), false);
        QVERIFY(!r.ok);
        QCOMPARE(r.failedLine, 2);
        QVERIFY2(r.error.contains(QString::fromUtf8(says)), qPrintable(r.error));
        QVERIFY(K::importMessage(K::Price, r).size() < 300); // a long value is shortened
        QCOMPARE(f.prices().size(), 4);
    }
    QVERIFY(f.lists->importFile(K::Stock, f.file("A,,,,,0\nB,,,,,999999999\n"), false).ok);
    for (const char *num : {"-1", "1000000000", "2.5", "x"}) {
        const K::ImportResult r = f.lists->importFile(K::Stock, f.file("A,,,,,1\nB,,,,," + QByteArray(num)), false);
        QCOMPARE(r.failedLine, 2);
        QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), QStringLiteral("num")), (L({"0", "999999999"})));
    }
    // the cell edit follows the same rule, and says why
    f.lists->list(K::Price, QString());
    f.d.ui.answerPrompt(QStringLiteral("0"));
    f.lists->editCell(K::Price, 0, 1);
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("价格 \"0\" 应大于 0, 价格没有修改."));
    QCOMPARE(f.prices().first(), QStringLiteral("A=0.01"));
}

void PriceStockListsTest::editsFollowTheNumericRule()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.lists->importFile(K::Stock, f.file("A,红,S,A-1,H1,5\n"), false).ok);
    QVERIFY(f.lists->importFile(K::Price, f.file("A,10\n"), false).ok);
    f.lists->list(K::Stock, QString());
    f.lists->list(K::Price, QString());
    auto num = [&] { return f.column(QStringLiteral("TB_Source_Stock"), QStringLiteral("num")).value(0); };

    f.d.ui.answerPrompt(QStringLiteral("12.7"));
    f.lists->editCell(K::Stock, 0, 5);
    QCOMPARE(f.d.ui.records().last().caption, QStringLiteral("修改数量:\"5\""));
    QCOMPARE(f.d.ui.records().last().text, QStringLiteral("请输入新值:"));
    QCOMPARE(num(), QStringLiteral("12"));
    QCOMPARE(f.lists->model(K::Stock).row(0).cells.at(5), QStringLiteral("12"));
    for (const char *bad : {"-5", "1,000", "12.3"}) { // 12.3 is 12 again: no statement
        f.d.ui.answerPrompt(QString::fromLatin1(bad));
        f.lists->editCell(K::Stock, 0, 5);
        QCOMPARE(num(), QStringLiteral("12"));
    }
    f.d.ui.answerPrompt(QStringLiteral("10.5"));
    f.lists->editCell(K::Price, 0, 1);
    QCOMPARE(f.prices(), QStringList{QStringLiteral("A=10.5")});
    QCOMPARE(f.lists->model(K::Price).row(0).cells.at(1), QStringLiteral("10.5"));
    // a quote in a text value goes in as it is
    f.d.ui.answerPrompt(QStringLiteral("O'Neil"));
    f.lists->editCell(K::Stock, 0, 4);
    QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), QStringLiteral("oldcode")), QStringList{QStringLiteral("O'Neil")});
    QVERIFY(f.d.ui.messages().isEmpty());
    f.lists->editCell(K::Stock, -1, 1);
    QCOMPARE(f.d.ui.messages(), QStringList{QStringLiteral("请选择要修改的项.")});
}

void PriceStockListsTest::deleteSearchCopyAndTheCancelFlag()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.lists->importFile(K::Price, f.file("O'Neil,1\nB,2\nC,3\nD,4\n"), false).ok);
    // the listing is no job: a cancelled download's flag does not stop it
    f.jobs->setCancelFlag(true);
    f.lists->list(K::Price, QString());
    QCOMPARE(f.lists->model(K::Price).count(), 4);
    QCOMPARE(f.lists->model(K::Price).row(3).caption, QStringLiteral("4"));

    f.lists->list(K::Price, QStringLiteral("'N"));
    QCOMPARE(f.lists->model(K::Price).count(), 1);
    QCOMPARE(f.lists->totalsText(K::Price), QStringLiteral(" 当前显示共 1 项"));

    f.lists->list(K::Price, QString());
    f.lists->copy(K::Price, {2, 0}, 0);
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("O'Neil\r\nC"));
    f.lists->copy(K::Price, {1}, -1);
    QCOMPARE(f.desktop.clipboardText(), QStringLiteral("2"));

    f.d.ui.answerQuestion(true);
    f.lists->deleteRows(K::Price, {1, 2, 3});
    QCOMPARE(f.d.ui.records().last().text, QStringLiteral("是否要删除选中的 3 条记录"));
    QCOMPARE(f.prices(), QStringList{QStringLiteral("O'Neil=1")});
    QCOMPARE(f.lists->model(K::Price).count(), 1);
    f.lists->deleteRows(K::Price, {0});
    QCOMPARE(f.d.ui.records().last().text, QStringLiteral("是否要删除:O'Neil"));
    QCOMPARE(f.prices().size(), 1);
}

void PriceStockListsTest::mergeAddsDuplicateQuantities()
{
    Fixture f;
    QVERIFY(f.open());
    QVERIFY(f.lists->importFile(K::Stock, f.file("A,红,S,A-1,H1,5\nA,红,S,A-1,H1,3\nB,红,S,,,1\n"), false).ok);
    f.d.ui.answerQuestion(true);
    f.lists->mergeClick(QString());
    QCOMPARE(f.d.ui.messages().last(), QStringLiteral("完成合并重复行,请确认"));
    QCOMPARE(f.column(QStringLiteral("TB_Source_Stock"), QStringLiteral("outer_id||num")),
             (QStringList{QStringLiteral("A8"), QStringLiteral("B1")}));
    QCOMPARE(f.lists->model(K::Stock).count(), 2);
    QVERIFY(f.column(QStringLiteral("TB_Source_Stock_Tmp"), QStringLiteral("outer_id")).isEmpty());
}

QTEST_GUILESS_MAIN(PriceStockListsTest)
#include "price_stock_lists_test.moc"
