// A row-walking job finds its row by the row's id: sorting the list while it
// runs changes the order of what is left, never which row it unticks.
#include "base/Clock.h"
#include "base/Interaction.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"

#include <QtTest>

namespace {

class RowJob : public RequestJob
{
public:
    RowJob(JobHost &host, ListModel &model) : RequestJob(host, 200, TransportRule::NoRetry), m_model(model) {}

    bool start() { return beginRows(m_model, QStringLiteral("正在上传...(0%)"), true); }
    void reply() { rowDone(); }

    QStringList sent; // the caption of every row a request went out for
    int finished = 0;

protected:
    ProgressPanelState &panel() override { return host().panel2(); }
    QString progressCaption(int p) const override { return QString::number(p); }
    void sendRow(int row) override { sent << m_model.row(row).caption; }
    void finish() override
    {
        ++finished;
        host().panel2().hide();
    }

private:
    ListModel &m_model;
};

} // namespace

class RowIdsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Intervals::setScale(0.01); }
    void sortDuringARun();
};

void RowIdsTest::sortDuringARun()
{
    ScriptedInteraction ui;
    JobHost host(ui);
    ListModel model;
    std::vector<ListRow> rows;
    // a, b, c, d ticked, x not; all with one Uniqid (a target row listed once per source match)
    for (const char *name : {"a", "x", "b", "c", "d"}) {
        ListRow r;
        r.caption = QString::fromLatin1(name);
        r.cells = {QString::fromLatin1(name), QStringLiteral("7")};
        r.checked = r.caption != QStringLiteral("x");
        rows.push_back(r);
    }
    model.setRows(rows);
    RowJob job(host, model);
    QVERIFY(job.start());
    QCOMPARE(job.sent, QStringList{QStringLiteral("a")});
    // the seller sorts by the caption, descending, while "a" is out: x d c b a
    model.sortByColumn(0);
    QCOMPARE(model.row(1).caption, QStringLiteral("d"));
    QCOMPARE(job.currentRow(), 4);
    job.reply();
    // "a" is unticked where it is now; "d" (now second) is still ticked
    QVERIFY(!model.isChecked(4));
    QVERIFY(model.isChecked(1));
    // the walk goes on in the list's new order
    QTRY_COMPARE(job.sent.size(), 2);
    QCOMPARE(job.sent.last(), QStringLiteral("d"));
    // another sort (ascending: a b c d x) before the reply
    model.sortByColumn(0);
    job.reply();
    QCOMPARE(model.checkedRows(), (std::vector<int>{1, 2})); // b and c
    QTRY_COMPARE(job.sent.size(), 3);
    QCOMPARE(job.sent.last(), QStringLiteral("b"));
    job.reply();
    QTRY_COMPARE(job.sent.size(), 4);
    job.reply();
    QCOMPARE(job.finished, 1);
    QCOMPARE(job.sent, (QStringList{QStringLiteral("a"), QStringLiteral("d"), QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(model.checkedCount(), 0);
    QCOMPARE(model.row(4).caption, QStringLiteral("x"));
}

QTEST_GUILESS_MAIN(RowIdsTest)
#include "row_ids_test.moc"
