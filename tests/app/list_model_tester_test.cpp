// Qt's model checker over the list model while it is filled, ticked, edited,
// sorted and thinned out.
#include "base/ListModel.h"

#include <QAbstractItemModelTester>
#include <QTest>

class ListModelTesterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void passesTheModelTester()
    {
        ListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setHeaders({QStringLiteral("序号"), QStringLiteral("主商家编码"), QStringLiteral("价格")});
        std::vector<ListRow> rows;
        const char *prices[] = {"9.4", "100", "10", "abc", "12.5"};
        for (int i = 0; i < 5; ++i)
            rows.push_back(
                {QString::number(i + 1),
                 {QStringLiteral("A%1").arg(i), QString::fromLatin1(prices[i]), QString::number(100 + i)}});
        model.setRows(rows);
        model.setBanding(true);
        model.setChecked(1, true);
        model.setAllChecked(true);
        model.setCell(0, 1, QStringLiteral("11"));
        model.setCaption(2, QStringLiteral("x"));
        model.sortByColumn(2);
        model.sortByColumn(1);
        model.appendRows(
            {{QStringLiteral("6"), {QStringLiteral("B"), QStringLiteral("1"), QStringLiteral("200")}}});
        // a wider row brings a column more
        model.appendRows(
            {{QStringLiteral("7"),
              {QStringLiteral("C"), QStringLiteral("2"), QStringLiteral("x"), QStringLiteral("201")}}});
        model.removeRowsAt({0, 3});
        model.sortByColumn(0);
        model.clear();
        QCOMPARE(model.count(), 0);
    }
};

QTEST_GUILESS_MAIN(ListModelTesterTest)
#include "list_model_tester_test.moc"
