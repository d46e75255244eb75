// The list model's chunked fill, its row ids and its Chinese order.
#include "base/ListModel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

ListRow row(const QString &caption, QStringList cells, bool checked = false)
{
    ListRow r;
    r.caption = caption;
    r.cells = std::move(cells);
    r.checked = checked;
    return r;
}

// n rows "r0".."r(n-1)", cell 0 the number reversed, every third ticked.
ListModel::RowSource counting(int n, int *read = nullptr)
{
    auto next = std::make_shared<int>(0);
    return [n, next, read](std::vector<ListRow> &out, int max) {
        for (int i = 0; i < max; ++i) {
            if (*next >= n)
                return false;
            const int k = (*next)++;
            if (read)
                ++*read;
            out.push_back(row(QStringLiteral("r%1").arg(k), {QString::number(n - k), QString::number(k)}, k % 3 == 0));
        }
        return true;
    };
}

QStringList captions(const ListModel &m)
{
    QStringList out;
    for (const ListRow &r : m.rows())
        out << r.caption;
    return out;
}

struct Background
{
    explicit Background(bool on) { ListModel::setBackgroundFilling(on); }
    ~Background() { ListModel::setBackgroundFilling(false); }
};

} // namespace

class ListFillTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstScreenAtOnceRestBetweenEvents();
    void ticksAndColoursSurviveFillAndSort();
    void newFillDropsTheUnfinishedOne();
    void withoutBackgroundEveryRowBeforeReturn();
    void chineseTextInPinyinOrder();
};

void ListFillTest::firstScreenAtOnceRestBetweenEvents()
{
    Background on(true);
    ListModel m;
    int read = 0;
    bool done = false;
    QSignalSpy finished(&m, &ListModel::fillFinished);
    m.fill(counting(20000, &read), [&done] { done = true; });
    // the first screen is there, the rest is not read yet
    QCOMPARE(m.count(), ListModel::FirstChunk);
    QVERIFY(m.filling());
    QVERIFY(read <= ListModel::FirstChunk + 1);
    QVERIFY(!done);
    QTRY_VERIFY(done);
    QCOMPARE(m.count(), 20000);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m.filling());
    // rows arrive in the order of their source
    QCOMPARE(m.row(19999).caption, QStringLiteral("r19999"));
}

void ListFillTest::ticksAndColoursSurviveFillAndSort()
{
    Background on(true);
    ListModel m;
    m.setBanding(true);
    m.setTextColorRule([](const ListRow &r) { return r.checked ? std::optional<uint>(0xFF0000) : std::nullopt; });
    m.fill(counting(5000));
    // the seller ticks a row of the first screen while the rest comes in
    QVERIFY(m.filling());
    m.setChecked(1, true);
    const quint64 key1 = m.keyOf(1);
    QCoreApplication::processEvents();
    // a sort reads the rest first and orders every row
    m.sortByColumn(2); // descending by the numbers of cell 1
    QVERIFY(!m.filling());
    QCOMPARE(m.count(), 5000);
    QCOMPARE(m.row(0).caption, QStringLiteral("r4999"));
    const int now1 = m.rowOfKey(key1);
    QCOMPARE(m.row(now1).caption, QStringLiteral("r1"));
    QVERIFY(m.isChecked(now1));
    // the tick of the source's rows stays with them: every third, plus r1
    QCOMPARE(m.checkedCount(), (5000 + 2) / 3 + 1);
    QCOMPARE(m.data(m.index(now1, 0), ListModel::ForegroundRgbRole).toUInt(), 0xFF0000u);
    const int r2 = m.rowOfUniqid(QStringLiteral("2"));
    QVERIFY(!m.data(m.index(r2, 0), ListModel::ForegroundRgbRole).isValid());
    // banding follows the position, not the row
    QCOMPARE(m.data(m.index(0, 1), ListModel::BackgroundRgbRole).toUInt(), 0xF0FFF0u);
    QCOMPARE(m.data(m.index(1, 1), ListModel::BackgroundRgbRole).toUInt(), 0xFFFFF0u);
    // numbers by magnitude: 5000 .. 1 descending
    QCOMPARE(m.row(0).cells.value(0), QStringLiteral("1"));
    QCOMPARE(m.row(4999).cells.value(0), QStringLiteral("5000"));
}

void ListFillTest::newFillDropsTheUnfinishedOne()
{
    Background on(true);
    ListModel m;
    bool firstDone = false;
    m.fill(counting(50000), [&firstDone] { firstDone = true; });
    bool secondDone = false;
    m.fill(counting(300), [&secondDone] { secondDone = true; });
    QTRY_VERIFY(secondDone);
    QCoreApplication::processEvents();
    QVERIFY(!firstDone);
    QCOMPARE(m.count(), 300);
    // a job that starts finishes every list first
    m.fill(counting(9000));
    QVERIFY(m.filling());
    ListModel::finishAllFills();
    QCOMPARE(m.count(), 9000);
    // tick commands act on every row
    m.fill(counting(9000));
    m.setAllChecked(true);
    QCOMPARE(m.checkedCount(), 9000);
}

void ListFillTest::withoutBackgroundEveryRowBeforeReturn()
{
    ListModel m;
    bool done = false;
    m.fill(counting(7000), [&done] { done = true; });
    QVERIFY(done);
    QCOMPARE(m.count(), 7000);
    QVERIFY(!m.filling());
}

void ListFillTest::chineseTextInPinyinOrder()
{
    // GBK level-1 characters in pinyin order: 阿 (a) 不 (bu) 李 (li) 张 (zhang);
    // by UTF-16 code they would be 不 张 李 阿
    ListModel m;
    m.setRows({row(QStringLiteral("张三"), {}), row(QStringLiteral("阿里"), {}), row(QStringLiteral("李四"), {}),
               row(QStringLiteral("不二"), {}), row(QStringLiteral("apple"), {}), row(QStringLiteral("Banana"), {}),
               row(QStringLiteral("10"), {}), row(QStringLiteral("9"), {})});
    m.sortByColumn(0); // descending
    m.sortByColumn(0); // ascending
    // letters before Chinese (single bytes first), without case; numbers by magnitude among themselves
    QCOMPARE(captions(m), (QStringList{QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("apple"),
                                       QStringLiteral("Banana"), QStringLiteral("阿里"), QStringLiteral("不二"),
                                       QStringLiteral("李四"), QStringLiteral("张三")}));
    QVERIFY(ListModel::compareTexts(QStringLiteral("阿"), QStringLiteral("不")) < 0);
    QCOMPARE(ListModel::compareTexts(QStringLiteral("abc红"), QStringLiteral("ABC红")), 0);
    // the second byte of a two-byte character is no letter: 豠 (D8 61) and 谹 (D8 41) differ
    QVERIFY(ListModel::compareTexts(QString(QChar(0x8C60)), QString(QChar(0x8C39))) > 0);
}

QTEST_GUILESS_MAIN(ListFillTest)
#include "list_fill_test.moc"
