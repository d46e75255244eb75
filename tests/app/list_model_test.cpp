#include "base/ListModel.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {

ListRow row(const QString &caption, QStringList cells)
{
    ListRow r;
    r.caption = caption;
    r.cells = std::move(cells);
    return r;
}

QStringList column(const ListModel &m, int c)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << m.data(m.index(r, c)).toString();
    return out;
}

} // namespace

class ListModelTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstClickSortsDescendingThenAscending();
    void numbersCompareByMagnitude();
    void textComparesWithoutAsciiCase();
    void listsKeepTheirOwnDirection();
    void ticksLiveInTheModel();
    void bandingAndTextColour();
    void hundredThousandRows();
};

void ListModelTest::firstClickSortsDescendingThenAscending()
{
    ListModel m;
    m.setRows({row(QStringLiteral("b"), {QStringLiteral("2"), QStringLiteral("11")}),
               row(QStringLiteral("a"), {QStringLiteral("1"), QStringLiteral("12")}),
               row(QStringLiteral("c"), {QStringLiteral("3"), QStringLiteral("13")})});
    m.sortByColumn(0);
    QCOMPARE(column(m, 0), (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    // the next click on any column sorts ascending
    m.sortByColumn(1);
    QCOMPARE(column(m, 1), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    // cells travel with their rows, the Uniqid cell included
    QCOMPARE(m.row(0).uniqid(), QStringLiteral("12"));
    m.sortByColumn(1);
    QCOMPARE(column(m, 1), (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1")}));
}

void ListModelTest::numbersCompareByMagnitude()
{
    ListModel m;
    m.setRows({row(QStringLiteral("x"), {QStringLiteral("100")}), row(QStringLiteral("y"), {QStringLiteral("9.4")}),
               row(QStringLiteral("z"), {QStringLiteral("10")})});
    m.sortByColumn(1); // descending
    m.sortByColumn(1); // ascending
    QCOMPARE(column(m, 1), (QStringList{QStringLiteral("9.4"), QStringLiteral("10"), QStringLiteral("100")}));

    QCOMPARE(ListModel::compareTexts(QStringLiteral("12.2"), QStringLiteral("12.4")), 0);
    QCOMPARE(ListModel::compareTexts(QStringLiteral("12.5"), QStringLiteral("12")), 0); // half to even
    QVERIFY(ListModel::compareTexts(QStringLiteral("13.5"), QStringLiteral("13")) > 0);
    // twelve-digit item ids still compare by magnitude
    QVERIFY(ListModel::compareTexts(QStringLiteral("612345678901"), QStringLiteral("9999999999")) > 0);
    // a pair of which one is not a number compares as text: "10" < "9a"
    QVERIFY(ListModel::compareTexts(QStringLiteral("10"), QStringLiteral("9a")) < 0);
    QVERIFY(ListModel::compareTexts(QStringLiteral("-5"), QStringLiteral("3")) < 0);
}

void ListModelTest::textComparesWithoutAsciiCase()
{
    QCOMPARE(ListModel::compareTexts(QStringLiteral("abc"), QStringLiteral("ABC")), 0);
    QVERIFY(ListModel::compareTexts(QStringLiteral("abc"), QStringLiteral("ABD")) < 0);
    QVERIFY(ListModel::compareTexts(QStringLiteral("ab"), QStringLiteral("ABC")) < 0);
    // only A-Z fold: accented and full-width letters compare by code
    QVERIFY(ListModel::compareTexts(QStringLiteral("é"), QStringLiteral("É")) != 0);
    QVERIFY(ListModel::compareTexts(QStringLiteral("ａ"), QStringLiteral("Ａ")) != 0);
    QVERIFY(ListModel::compareTexts(QString(), QStringLiteral("a")) < 0);
}

void ListModelTest::listsKeepTheirOwnDirection()
{
    ListModel source;
    ListModel target;
    source.setRows({row(QStringLiteral("a"), {}), row(QStringLiteral("b"), {})});
    target.setRows({row(QStringLiteral("a"), {}), row(QStringLiteral("b"), {})});
    target.sortByColumn(0);
    target.sortByColumn(0);
    QVERIFY(!target.sortAscendingNext());
    // the source list's first click is still descending
    source.sortByColumn(0);
    QCOMPARE(column(source, 0), (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    QCOMPARE(column(target, 0), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

void ListModelTest::ticksLiveInTheModel()
{
    ListModel m;
    m.setRows({row(QStringLiteral("a"), {QStringLiteral("7")}), row(QStringLiteral("b"), {QStringLiteral("8")}),
               row(QStringLiteral("c"), {QStringLiteral("9")})});
    QSignalSpy spy(&m, &ListModel::checkChanged);
    QVERIFY(m.setData(m.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    QVERIFY(!m.setData(m.index(1, 1), Qt::Checked, Qt::CheckStateRole)); // only the caption column ticks
    QCOMPARE(m.data(m.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
    QVERIFY(m.flags(m.index(0, 0)) & Qt::ItemIsUserCheckable);
    QVERIFY(!(m.flags(m.index(0, 1)) & Qt::ItemIsUserCheckable));
    QCOMPARE(spy.count(), 1);
    m.setChecked(1, true); // unchanged: no signal
    QCOMPARE(spy.count(), 1);

    // ticks follow their rows through a sort
    m.sortByColumn(0);
    QCOMPARE(m.checkedRows(), std::vector<int>{1});
    QCOMPARE(m.row(1).uniqid(), QStringLiteral("8"));
    QCOMPARE(m.rowOfUniqid(QStringLiteral("9")), 0);
    m.setAllChecked(true);
    QCOMPARE(m.checkedCount(), 3);
    m.removeRowsAt({2, 0, 2});
    QCOMPARE(m.count(), 1);
    QCOMPARE(m.row(0).caption, QStringLiteral("b"));
}

void ListModelTest::bandingAndTextColour()
{
    ListModel m;
    std::vector<ListRow> rows;
    for (int i = 0; i < 8; ++i)
        rows.push_back(row(QString::number(i), {i == 3 ? QStringLiteral("onsale") : QStringLiteral("instock")}));
    m.setRows(std::move(rows));
    QVERIFY(!m.data(m.index(0, 0), ListModel::BackgroundRgbRole).isValid());
    m.setBanding(true);
    const uint expected[] = {0xF0FFF0, 0xFFFFF0, 0xFFF0F0, 0xF0FFFF, 0xF0F0FF, 0xFFF0FF, 0xF0FFF0, 0xFFFFF0};
    for (int r = 0; r < 8; ++r)
        QCOMPARE(m.data(m.index(r, 1), ListModel::BackgroundRgbRole).toUInt(), expected[r]);
    m.setTextColorRule([](const ListRow &r) -> std::optional<uint> {
        if (r.cells.value(0) == QStringLiteral("onsale"))
            return 0xFF0000;
        return std::nullopt;
    });
    QCOMPARE(m.data(m.index(3, 1), ListModel::ForegroundRgbRole).toUInt(), 0xFF0000u);
    QVERIFY(!m.data(m.index(2, 1), ListModel::ForegroundRgbRole).isValid());
}

void ListModelTest::hundredThousandRows()
{
    std::vector<ListRow> rows;
    rows.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        rows.push_back(row(QStringLiteral("宝贝 %1").arg(i), {QString::number(i % 97), QString::number(i)}));
    ListModel m;
    m.setRows(std::move(rows));
    QCOMPARE(m.rowCount(), 100000);
    m.sortByColumn(1);
    QCOMPARE(m.data(m.index(0, 1)).toString(), QStringLiteral("96"));
    QCOMPARE(m.data(m.index(99999, 1)).toString(), QStringLiteral("0"));
}

QTEST_GUILESS_MAIN(ListModelTest)
#include "list_model_test.moc"
