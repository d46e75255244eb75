// The quantity upload against the stand-in over target and source rows
// written straight into the tables: what is sent in which order, what is
// stored and journalled, how error replies, transport failures and lost
// incremental replies end or resume a run.
#include "TestRig.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Parameters.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/JournalSettle.h"
#include "sync/QuantityUpload.h"
#include "top/TopClient.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList out;
    for (const char *t : texts)
        out << QString::fromUtf8(t);
    return out;
}

const QString kShop = QStringLiteral("sandbox_c_1");
const qint64 kT100 = 610000003001; // SKUs 6100000030011 (10), 6100000030012 (30)
const qint64 kS300 = 610000003003; // no SKUs, 100

struct UploadRig : TestRig
{
    QuantityUploadJob *job = nullptr;

    bool setUp(UploadMode mode)
    {
        if (!openWithSandbox())
            return false;
        app->client().setSessionKey(sandbox.sessionFor(kShop));
        DifferenceOptions &o = app->differenceQuery().options();
        o.account = kShop;
        o.uploadMode = mode;
        o.view = ViewFilter::Differ;
        job = &app->quantityUpload();
        return true;
    }
    // A target row and its source row on the same key (main code + colour + size).
    bool pair(const QString &outer, const QString &color, const QString &size, qint64 numIid, const QString &skuId,
              int target, int source)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,"
                                 "bCheck) values(?,?,?,?,?,?,10,?,?,1)"));
        for (const QVariant &v : QVariantList{kShop, QString(QStringLiteral("标题 ") + outer), outer, color, size, target,
                                              QString::number(numIid), skuId})
            q.addBindValue(v);
        if (!q.exec())
            return false;
        q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                 "values('源',?,?,?,?,10,'1','2')"));
        for (const QVariant &v : QVariantList{outer, color, size, source})
            q.addBindValue(v);
        return q.exec();
    }
    // The three rows most cases use.
    bool threeRows(int a = 4, int b = 8, int c = 50, const QString &bSku = QStringLiteral("6100000030012"))
    {
        return pair(QStringLiteral("T100"), QStringLiteral("黑色"), QStringLiteral("S"), kT100,
                    QStringLiteral("6100000030011"), 10, a) &&
               pair(QStringLiteral("T100"), QStringLiteral("黑色"), QStringLiteral("M"), kT100, bSku, 30, b) &&
               pair(QStringLiteral("S300"), QStringLiteral(""), QStringLiteral(""), kS300, QStringLiteral(""), 100, c) &&
               app->differenceQuery().GetData_TB_Object(QString()) == DifferenceQuery::Outcome::Completed;
    }
    ListModel &model() { return app->targetModel(); }
    // Starts the command and waits for the run's end.
    bool upload(bool byPlan = false)
    {
        if (!byPlan)
            ui.answerQuestion(true);
        QSignalSpy ended(job, &QuantityUploadJob::ended);
        if (!job->UploadClick(byPlan))
            return false;
        return !ended.isEmpty() || ended.wait(30000);
    }
    QStringList column(const QString &sql)
    {
        QSqlQuery q(db());
        QStringList out;
        if (q.exec(sql))
            while (q.next())
                out << q.value(0).toString();
        return out;
    }
    QStringList sent(const QString &param)
    {
        QStringList out;
        for (const auto &c : sandbox.calls(QStringLiteral("taobao.item.quantity.update")))
            out << (c.hasParam(param) ? c.param(param) : QStringLiteral("-"));
        return out;
    }
    QList<JournalEntry> journal() { return UploadJournal(db()).read(); }
};

} // namespace

class QuantityUploadTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }

    void fullModeUploadsTheTickedRowsInListOrder();
    void incrementalAddsAndClearsTheFlag();
    void nothingTickedInAndOutsideThePlan();
    void refusedItemInTheMiddleDoesNotStopTheRest();
    void transportFailuresShareOneBudgetPerRun();
    void lostIncrementalReplyIsNeverAppliedTwice();
    void theReportNamesWhatDidNotGoUp();
};

void QuantityUploadTest::fullModeUploadsTheTickedRowsInListOrder()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Full));
    QVERIFY(rig.threeRows());
    QCOMPARE(rig.model().checkedCount(), 3);
    QStringList order;
    for (int r = 0; r < 3; ++r)
        order << rig.model().row(r).cells.value(CellSkuId);
    QStringList captions;
    connect(&rig.app->jobs().panel2(), &ProgressPanelState::captionSet, this, [&](const QString &c) { captions << c; });
    QSignalSpy queries(&rig.app->differenceQuery(), &DifferenceQuery::controlsEnabled);

    QVERIFY(rig.upload());
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::Completed);
    // the run ends with what it did
    QCOMPARE(rig.ui.messages(),
             QStringList{QStringLiteral("上传库存完成: 已上传 3 行, 被平台拒绝 0 行, 没有上传 0 行.")});
    QCOMPARE(rig.ui.last()->icon, Interaction::Icon::Information);
    QCOMPARE(rig.ui.records().first().text, QuantityUploadJob::QuestionText());
    // one request per row, in list order, type 1, no sku_id for the item without SKUs
    for (QString &sku : order)
        if (sku.isEmpty())
            sku = QStringLiteral("-");
    QCOMPARE(rig.sent(QStringLiteral("sku_id")), order);
    QCOMPARE(rig.sent(QStringLiteral("type")), strings({"1", "1", "1"}));
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 4);
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030012), 8);
    QCOMPARE(rig.sandbox.itemQuantity(kS300), 50);
    QCOMPARE(rig.column(QStringLiteral("select num from TB_Object order by Uniqid")), strings({"4", "8", "50"}));
    QCOMPARE(GetParam(rig.db(), 2), rig.job->startTime());
    // (the refresh's own captions follow)
    QCOMPARE(captions.mid(0, 4), (QStringList{QStringLiteral("店铺:sandbox_c_1\r\n正在上传最新库存...(0%)"),
                                    QStringLiteral("正在上传最新库存数量到目标店铺...(33%)"),
                                    QStringLiteral("正在上传最新库存数量到目标店铺...(67%)"),
                                    QStringLiteral("上传完成.")}));
    // the list is refreshed once, at the end: nothing differs any more
    QCOMPARE(queries.count(), 2);
    QCOMPARE(rig.model().count(), 0);
    QVERIFY(!rig.app->jobs().busy());
    const auto journal = rig.journal();
    QCOMPARE(journal.size(), 3);
    QCOMPARE(journal[0].kind, QStringLiteral("quantity"));
    QCOMPARE(journal[0].mode, QStringLiteral("full"));
    QCOMPARE(journal[0].startedBy, QStringLiteral("person"));
    QCOMPARE(journal[0].account, kShop);
    for (const JournalEntry &e : journal)
        if (e.numIid == QString::number(kS300))
            QCOMPARE(e.skuId + QLatin1Char('|') + e.before + QLatin1Char('>') + e.after, QStringLiteral("|100>50"));
}

void QuantityUploadTest::incrementalAddsAndClearsTheFlag()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.pair(QStringLiteral("T100"), QStringLiteral("黑色"), QStringLiteral("S"), kT100,
                     QStringLiteral("6100000030011"), 10, 3));
    QVERIFY(rig.app->differenceQuery().GetData_TB_Object(QString()) == DifferenceQuery::Outcome::Completed);
    QCOMPARE(rig.model().checkedCount(), 1);
    QSignalSpy uploaded(rig.job, &QuantityUploadJob::rowUploaded);
    // started by the plan: no question
    QVERIFY(rig.upload(true));
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::Completed);
    QVERIFY(rig.ui.records().isEmpty());
    QCOMPARE(rig.sent(QStringLiteral("type")), strings({"2"}));
    QCOMPARE(rig.sent(QStringLiteral("quantity")), strings({"3"}));
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 13);
    QCOMPARE(rig.column(QStringLiteral("select num||'/'||bcheck from TB_Object")), strings({"13/0"}));
    QCOMPARE(uploaded.count(), 1);
    QCOMPARE(rig.job->uploaded().first().after, QStringLiteral("13"));
    const auto journal = rig.journal();
    QCOMPARE(journal.size(), 1);
    QCOMPARE(journal[0].mode, QStringLiteral("incremental"));
    QCOMPARE(journal[0].startedBy, QStringLiteral("plan"));
    QCOMPARE(journal[0].before + QLatin1Char('>') + journal[0].after, QStringLiteral("10>13"));
    QCOMPARE(journal[0].skuId, QStringLiteral("6100000030011"));
}

void QuantityUploadTest::nothingTickedInAndOutsideThePlan()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Full));
    QVERIFY(rig.threeRows());
    rig.model().setAllChecked(false);
    QSignalSpy ended(rig.job, &QuantityUploadJob::ended);
    QVERIFY(!rig.job->UploadClick());
    QCOMPARE(rig.ui.messages(), QStringList{QuantityUploadJob::NothingTickedText()});
    QCOMPARE(rig.ui.last()->icon, Interaction::Icon::Warning);
    rig.ui.clear();
    rig.app->jobs().setPlanRunning(true);
    QVERIFY(!rig.job->UploadClick());
    QVERIFY(rig.ui.records().isEmpty());
    QCOMPARE(ended.count(), 2);
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::NothingTicked);
    QCOMPARE(rig.sandbox.callCount(), 0);
}

void QuantityUploadTest::refusedItemInTheMiddleDoesNotStopTheRest()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Full));
    // the second row names a SKU the item does not have: the platform refuses that item
    QVERIFY(rig.threeRows(4, 8, 50, QStringLiteral("6100000030019")));
    QCOMPARE(rig.model().row(1).cells.value(CellSkuId), QStringLiteral("6100000030019"));
    QVERIFY(rig.upload());
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::Completed);
    // the completion message counts and names it, with the platform's reason
    QCOMPARE(rig.ui.messages().size(), 1);
    const QStringList said = rig.ui.messages().first().split(QStringLiteral("\r\n"));
    QCOMPARE(said.value(0), QStringLiteral("上传库存完成: 已上传 2 行, 被平台拒绝 1 行, 没有上传 0 行."));
    QVERIFY(said.value(2).contains(QStringLiteral("SKU 6100000030019): ")));
    QVERIFY(said.value(2).contains(QStringLiteral("IC_SKU_NOT_EXIST")));
    QCOMPARE(rig.ui.last()->icon, Interaction::Icon::Warning);
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), 3);
    // the rows after it went up
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 4);
    QCOMPARE(rig.sandbox.itemQuantity(kS300), 50);
    QCOMPARE(rig.job->uploaded().size(), 2);
    QCOMPARE(rig.job->refused().size(), 1);
    QVERIFY(rig.job->refused().first().reason.contains(QStringLiteral("IC_SKU_NOT_EXIST")));
    // the refused row stays ticked; the journal records the platform's text
    QCOMPARE(rig.model().checkedCount(), 1);
    QCOMPARE(rig.model().row(0).cells.value(CellSkuId), QStringLiteral("6100000030019"));
    QVERIFY(rig.model().isChecked(0));
    const auto refused = UploadJournal(rig.db()).read(QDateTime(), nullptr, UploadJournal::refusedState());
    QCOMPARE(refused.size(), 1);
    QVERIFY(refused.first().message.contains(QStringLiteral("IC_SKU_NOT_EXIST")));
    QCOMPARE(UploadJournal(rig.db()).read(QDateTime(), nullptr, UploadJournal::doneState()).size(), 2);

    // an error about the session still ends the run, the record says so
    rig.model().setAllChecked(true);
    rig.sandbox.injectFault(QStringLiteral("taobao.item.quantity.update"), topsandbox::Fault::error(27), 1);
    QVERIFY(rig.upload());
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::ErrorReply);
    QCOMPARE(rig.job->failureCode(), 27);
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.quantity.update")), 4);
    QVERIFY(rig.model().isChecked(0));
    QCOMPARE(UploadJournal(rig.db()).read(QDateTime(), nullptr, UploadJournal::sentState()).size(), 0);
}

void QuantityUploadTest::transportFailuresShareOneBudgetPerRun()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Full));
    QVERIFY(rig.threeRows());
    const QString method = QStringLiteral("taobao.item.quantity.update");
    // one failure on the first row, five on the third: six in the run
    rig.sandbox.injectFault(method, topsandbox::Fault::closeConnection(), 1);
    connect(rig.job, &QuantityUploadJob::rowUploaded, this, [&] {
        if (rig.job->uploaded().size() == 2)
            rig.sandbox.injectFault(method, topsandbox::Fault::closeConnection(), 5);
    });
    int countdowns = 0;
    connect(&rig.app->jobs().panel2(), &ProgressPanelState::changed, this, [&, shown = false]() mutable {
        const bool now = rig.app->jobs().panel2().retryShown();
        if (now && !shown)
            ++countdowns;
        shown = now;
    });
    QVERIFY(rig.upload());
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::NetworkGaveUp);
    QCOMPARE(countdowns, 5);
    QCOMPARE(rig.app->jobs().errorCount(), 5);
    // the one message says what went up and names the row that did not
    QCOMPARE(rig.ui.messages().size(), 1);
    const QStringList said = rig.ui.messages().first().split(QStringLiteral("\r\n"));
    QCOMPARE(said.mid(0, 3), (QStringList{JobHost::networkErrorText(),
                                          QStringLiteral("已上传 2 行, 被平台拒绝 0 行, 没有上传 1 行."),
                                          QStringLiteral("没有上传的宝贝:")}));
    QVERIFY(said.value(3).contains(QStringLiteral("(ID ") + QString::number(kS300) + QLatin1Char(')')));
    QCOMPARE(said.value(4), QStringLiteral("没有上传的宝贝仍保持勾选, 可稍后再上传."));
    QCOMPARE(rig.job->report().headline(),
             QStringLiteral("上传库存没有全部完成: 已上传 2 行, 被平台拒绝 0 行, 没有上传 1 行."));
    QCOMPARE(rig.job->uploaded().size(), 2);
    QCOMPARE(rig.model().checkedCount(), 1);
    QVERIFY(rig.model().isChecked(2));
    QCOMPARE(rig.sandbox.itemQuantity(kS300), 100);
    QVERIFY(!rig.app->jobs().busy());
}

void QuantityUploadTest::lostIncrementalReplyIsNeverAppliedTwice()
{
    UploadRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.threeRows(3, 2, 5));
    const QString method = QStringLiteral("taobao.item.quantity.update");
    // row 1: carried out, reply cut off; row 2: a remote time-out, not carried out
    rig.sandbox.injectFault(method, topsandbox::Fault::truncatedBody(), 1);
    rig.sandbox.injectFault(method, topsandbox::Fault::error(15, QStringLiteral("isp.top-remote-connection-timeout")), 1);
    // row 3: carried out, reply cut off, and a sale before the program looks
    connect(rig.job, &QuantityUploadJob::rowUploaded, this, [&] {
        if (rig.job->uploaded().size() == 2)
            rig.sandbox.injectFault(method, topsandbox::Fault::truncatedBody(), 1);
    });
    int failures = 0;
    connect(&rig.app->jobs(), &JobHost::debugAdded, this, [&] {
        if (++failures == 3)
            rig.sandbox.setItemQuantity(kS300, rig.sandbox.itemQuantity(kS300) - 1);
    });
    QVERIFY(rig.upload());
    // the third row cannot be settled: it is left for the seller, the run ends normally
    QCOMPARE(rig.job->outcome(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030011), 13);
    QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030012), 32);
    QCOMPARE(rig.sandbox.itemQuantity(kS300), 104);
    // one update for row 1, two for row 2, one for row 3; one read-back each
    QCOMPARE(rig.sandbox.callCount(method), 4);
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.list.get")), 3);
    QCOMPARE(rig.column(QStringLiteral("select num||'/'||bcheck from TB_Object order by Uniqid")),
             strings({"13/0", "32/0", "100/1"}));
    const auto journal = rig.journal();
    QCOMPARE(journal.size(), 3);
    QCOMPARE(journal[2].state, UploadJournal::unsettledState());
    QCOMPARE(rig.ui.messages().size(), 2);
    QVERIFY(rig.ui.messages().first().contains(QStringLiteral("610000003003")));
    QVERIFY(rig.ui.messages().first().contains(QStringLiteral("104")));
    // the completion message names the row and how to decide it
    QVERIFY(rig.ui.messages().last().contains(QStringLiteral("journal settle")));
    QCOMPARE(rig.job->skipped().size(), 1);

    // no later run sends that SKU again until the seller decides
    rig.sandbox.clearCalls();
    QVERIFY(rig.app->differenceQuery().GetData_TB_Object(QString()) == DifferenceQuery::Outcome::Completed);
    QSignalSpy ended(rig.job, &QuantityUploadJob::ended);
    QVERIFY(!rig.job->UploadClick(true));
    QCOMPARE(rig.sandbox.callCount(method), 0);
    QCOMPARE(rig.job->skipped().size(), 1);
    QString error;
    QVERIFY2(SettleByHand(rig.db(), journal[2].id, true, &error), qPrintable(error));
    QCOMPARE(UploadJournal(rig.db()).entry(journal[2].id).state, UploadJournal::doneState());
    QCOMPARE(rig.column(QStringLiteral("select num||'/'||bcheck from TB_Object order by Uniqid")),
             strings({"13/0", "32/0", "105/0"}));
    QVERIFY(!SettleByHand(rig.db(), journal[2].id, true, &error));
}

// The words of a mixed run: each refused row named with the platform's
// reason, each row left out with its reason, rows not reached named without
// one, and a long list cut short with a pointer to the upload history.
void QuantityUploadTest::theReportNamesWhatDidNotGoUp()
{
    UploadReport r;
    r.end = UploadReport::End::Failed;
    r.uploaded = 3;
    r.stopped = QStringLiteral("网络通讯错误,请稍候重试.");
    r.refused = {{QStringLiteral("衬衫"), QStringLiteral("6101"), QStringLiteral("61011"), QStringLiteral("isv.invalid-parameter:sku_id")}};
    r.notUploaded = {{QStringLiteral("裙子"), QStringLiteral("6102"), QString(), QStringLiteral("关联值重复: 不上传")},
                     {QStringLiteral("外套"), QStringLiteral("6103"), QStringLiteral("61031"), QString()}};
    QCOMPARE(r.text().split(QStringLiteral("\r\n")),
             (QStringList{QStringLiteral("上传库存没有全部完成: 已上传 3 行, 被平台拒绝 1 行, 没有上传 2 行."),
                          QStringLiteral("原因: 网络通讯错误,请稍候重试."),
                          QStringLiteral("被平台拒绝的宝贝 (仍然勾选):"),
                          QStringLiteral("  宝贝 衬衫 (ID 6101, SKU 61011): isv.invalid-parameter:sku_id"),
                          QStringLiteral("没有上传的宝贝:"),
                          QStringLiteral("  宝贝 裙子 (ID 6102): 关联值重复: 不上传"),
                          QStringLiteral("  宝贝 外套 (ID 6103, SKU 61031)"),
                          QStringLiteral("没有上传的宝贝仍保持勾选, 可稍后再上传.")}));
    QVERIFY(!r.clean());

    UploadReport price;
    price.kind = UploadReport::Kind::Price;
    price.uploaded = 1;
    for (int i = 0; i < 12; ++i)
        price.refused.append({QStringLiteral("T"), QString::number(i), QString(), QStringLiteral("价格超出范围")});
    const QStringList lines = price.text(10).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.first(), QStringLiteral("上传价格完成: 已上传 1 行, 被平台拒绝 12 行, 没有上传 0 行."));
    QCOMPARE(lines.size(), 1 + 1 + 10 + 1);
    QCOMPARE(lines.last(), QStringLiteral("  ... 另有 2 行 (见 \"上传记录\")"));
}

QTEST_GUILESS_MAIN(QuantityUploadTest)
#include "quantity_upload_test.moc"
