// The list view over the list model: colours, images, ticks, hidden Uniqid
// column and header-click sorting.
#include "base/ListModel.h"
#include "app/ui/ListView.h"

#include <QBrush>
#include <QHeaderView>
#include <QIcon>
#include <QTest>

namespace {
std::vector<ListRow> makeRows(int n, int cells)
{
    std::vector<ListRow> rows;
    rows.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        ListRow r;
        r.caption = QStringLiteral("item %1").arg(i);
        for (int c = 0; c + 1 < cells; ++c)
            r.cells.append(QString::number((i * 7 + c) % 1000));
        r.cells.append(QString::number(i + 1)); // Uniqid
        r.imageIndex = i % 2;
        rows.push_back(std::move(r));
    }
    return rows;
}
} // namespace

class ListViewTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rolesBecomeBrushesAndIcons()
    {
        ListModel model;
        model.setHeaders({QStringLiteral("宝贝名称"), QStringLiteral("数量")});
        model.setBanding(true);
        model.setTextColorRule([](const ListRow &r) -> std::optional<uint> {
            if (r.checked)
                return 0xFF0000u;
            return std::nullopt;
        });
        model.setRows(makeRows(8, 2));
        model.setChecked(1, true);
        ListView view;
        view.setListModel(&model);
        ListViewProxy *p = view.proxy();

        for (int r : {0, 1, 2, 3, 4, 5, 6}) {
            const QVariant bg = p->data(p->index(r, 1), Qt::BackgroundRole);
            QVERIFY(bg.canConvert<QBrush>());
            const uint want = ListModel::bandColor(r);
            QCOMPARE(bg.value<QBrush>().color(),
                     QColor((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF));
        }
        QCOMPARE(p->data(p->index(0, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(240, 255, 240));
        QCOMPARE(p->data(p->index(6, 0), Qt::BackgroundRole).value<QBrush>().color(), QColor(240, 255, 240));
        QCOMPARE(p->data(p->index(1, 1), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
        QVERIFY(!p->data(p->index(0, 1), Qt::ForegroundRole).isValid());

        QVERIFY(!p->data(p->index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!p->data(p->index(1, 1), Qt::DecorationRole).isValid());

        // ticks only where the list has check boxes; they stay in the model
        QCOMPARE(p->data(p->index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(p->setData(p->index(2, 0), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model.isChecked(2));
        view.setCheckBoxes(false);
        QVERIFY(!p->data(p->index(1, 0), Qt::CheckStateRole).isValid());
        QVERIFY(!(p->flags(p->index(1, 0)) & Qt::ItemIsUserCheckable));

        // banding off: the view's own background
        model.setBanding(false);
        QVERIFY(!p->data(p->index(0, 0), Qt::BackgroundRole).isValid());
    }

    void uniqidColumnIsHiddenAndHeadersSort()
    {
        ListModel model;
        model.setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("价格")});
        ListView view;
        view.setListModel(&model);
        view.resize(600, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        std::vector<ListRow> rows;
        for (const char *price : {"10", "9.4", "100", "abc"})
            rows.push_back({QStringLiteral("x"),
                            {QStringLiteral("A"), QString::fromLatin1(price), QStringLiteral("7")}});
        model.setRows(rows);
        QCOMPARE(model.columnCount(), 4);
        QVERIFY(view.isColumnHidden(3));
        QVERIFY(!view.isColumnHidden(2));
        QVERIFY(!view.header()->isSortIndicatorShown());

        QHeaderView *header = view.header();
        const QPoint at(header->sectionViewportPosition(2) + 4, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        // descending first: the text "abc" sorts against numbers as text
        QStringList order;
        for (int r = 0; r < model.count(); ++r)
            order.append(model.row(r).cells.at(1));
        QCOMPARE(order.first(), QStringLiteral("abc"));
        QVERIFY(model.sortAscendingNext());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(model.row(model.count() - 1).cells.at(1), QStringLiteral("abc"));
        QVERIFY(!model.sortAscendingNext());
    }

    void selectedRowsAreModelRows()
    {
        ListModel model;
        model.setHeaders({QStringLiteral("a"), QStringLiteral("b")});
        model.setRows(makeRows(5, 2));
        ListView view;
        view.setListModel(&model);
        view.selectionModel()->select(view.proxy()->index(3, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        view.selectionModel()->select(view.proxy()->index(1, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(view.selectedModelRows(), (std::vector<int>{1, 3}));
    }

    void aHundredThousandRowsFillAndScroll()
    {
        ListModel model;
        QStringList headers{QStringLiteral("宝贝名称")};
        for (int c = 0; c < 12; ++c)
            headers.append(QStringLiteral("列%1").arg(c));
        model.setHeaders(headers);
        model.setBanding(true);
        ListView view;
        view.setListModel(&model);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        model.setRows(makeRows(100000, 13));
        QCOMPARE(view.proxy()->rowCount(), 100000);
        QVERIFY(view.isColumnHidden(13));
        view.scrollToBottom();
        QApplication::processEvents();
        QVERIFY(view.indexAt(QPoint(10, 10)).row() > 99000);
    }
};

QTEST_MAIN(ListViewTest)
#include "list_view_test.moc"
