// What makes the upload safe to leave running: nothing reaches the shop
// twice whatever ends a run (the network given up, the program killed or
// stopped while a reply is out, a database write that fails), a target row
// matched by several source rows is not incremented more than once, and the
// guardrails hold a feed that looks broken.
#include "TestRig.h"
#include "base/ListModel.h"
#include "jobs/RequestJob.h"
#include "store/Settings.h"
#include "store/SyncCycleLog.h"
#include "store/UploadJournal.h"
#include "sync/DifferenceQuery.h"
#include "sync/DifferenceRows.h"
#include "sync/Guardrails.h"
#include "sync/QuantityUpload.h"
#include "sync/ShopJobs.h"
#include "top/TopClient.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kShop = QStringLiteral("sandbox_c_1");
const QString kUpdate = QStringLiteral("taobao.item.quantity.update");
const QString kRead = QStringLiteral("taobao.items.list.get");
const qint64 kT100 = 610000003001; // SKU 6100000030011 holds 10

struct SafetyRig : TestRig
{
    UploadMode mode = UploadMode::Incremental;

    bool setUp(UploadMode m)
    {
        mode = m;
        if (!openWithSandbox())
            return false;
        prepare();
        return true;
    }
    // After a start (or a restart): session, comparison settings.
    void prepare()
    {
        app->client().setSessionKey(sandbox.sessionFor(kShop));
        DifferenceOptions &o = app->differenceQuery().options();
        o.account = kShop;
        o.uploadMode = mode;
        o.view = ViewFilter::Differ;
    }
    QuantityUploadJob &job() { return app->quantityUpload(); }
    bool target(const QString &outer, const QString &size, qint64 numIid, const QString &skuId, int num)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("insert into TB_Object(UserID,title,outer_id,color,sku,num,price,num_iid,sku_id,"
                                 "bCheck) values(?,?,?,'黑色',?,?,10,?,?,1)"));
        for (const QVariant &v : QVariantList{kShop, QString(QStringLiteral("标题 ") + outer + size), outer, size, num,
                                              QString::number(numIid), skuId})
            q.addBindValue(v);
        return q.exec();
    }
    bool source(const QString &outer, const QString &size, int num)
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("insert into TB_Source(title,outer_id,color,sku,num,price,num_iid,sku_id) "
                                 "values('源',?,'黑色',?,?,10,'1','2')"));
        for (const QVariant &v : QVariantList{outer, size, num})
            q.addBindValue(v);
        return q.exec();
    }
    // T100 S: 10 in the shop and in TB_Object, +3 (incremental) or 3 (full) from the source.
    bool oneRow() { return target(QStringLiteral("T100"), QStringLiteral("S"), kT100, QStringLiteral("6100000030011"), 10) &&
                           source(QStringLiteral("T100"), QStringLiteral("S"), 3) && query(); }
    bool query() { return app->differenceQuery().GetData_TB_Object(QString()) == DifferenceQuery::Outcome::Completed; }
    // A run as the plan starts it (no questions), to its end.
    QuantityUploadJob::Outcome upload()
    {
        QSignalSpy ended(&job(), &QuantityUploadJob::ended);
        job().UploadClick(true);
        if (ended.isEmpty())
            ended.wait(30000);
        return job().outcome();
    }
    int shop() const { return sandbox.skuQuantity(kT100, 6100000030011); }
    QStringList states() const
    {
        QStringList out;
        for (const JournalEntry &e : UploadJournal(app->db()).read())
            out << e.state;
        return out;
    }
    QString targetRow()
    {
        QSqlQuery q(db());
        q.exec(QStringLiteral("select num||'/'||bcheck from TB_Object where sku_id='6100000030011'"));
        return q.next() ? q.value(0).toString() : QString();
    }
};

} // namespace

class SyncSafetyTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }

    // The four ways a run used to apply an increment twice.
    void givingUpThenRunningAgain();
    void killedWhileTheReplyIsOut();
    void stoppedWhileTheReplyIsLost();
    void databaseWriteFails();

    void duplicatedKeys();
    void guardrailsHoldAndForce();
};

void SyncSafetyTest::givingUpThenRunningAgain()
{
    SafetyRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.oneRow());
    // the shop takes +3, the reply is cut off, every read-back fails: six failures end the run
    rig.sandbox.injectFault(kUpdate, topsandbox::Fault::truncatedBody(), 1);
    rig.sandbox.injectFault(kRead, topsandbox::Fault::closeConnection(), 5);
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::NetworkGaveUp);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.states(), QStringList{UploadJournal::sentState()});

    // the seller runs it again: the record is settled from the shop, nothing is sent
    rig.sandbox.clearCalls();
    QVERIFY(rig.query());
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 0);
    QCOMPARE(rig.states(), QStringList{UploadJournal::doneState()});
    QCOMPARE(rig.targetRow(), QStringLiteral("13/0"));
}

void SyncSafetyTest::killedWhileTheReplyIsOut()
{
    SafetyRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.oneRow());
    // the call reaches the shop late; the program is gone before its reply
    rig.sandbox.injectFault(kUpdate, topsandbox::Fault::delay(400), 1);
    rig.job().UploadClick(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.job().requestOut() && rig.states() == QStringList{UploadJournal::sentState()}, 5000);
    QTest::qWait(150); // the request is on the wire
    rig.app.reset();
    QTRY_COMPARE_WITH_TIMEOUT(rig.shop(), 13, 5000);

    QVERIFY(rig.open());
    rig.prepare();
    rig.sandbox.clearCalls();
    QVERIFY(rig.query());
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 0);
    QCOMPARE(rig.states(), QStringList{UploadJournal::doneState()});
}

void SyncSafetyTest::stoppedWhileTheReplyIsLost()
{
    SafetyRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.oneRow());
    // the reply is lost; a stop (SIGTERM to the plan cancels the panels) comes during the countdown
    rig.sandbox.injectFault(kUpdate, topsandbox::Fault::truncatedBody(), 1);
    Intervals::setScale(1.0);
    QSignalSpy ended(&rig.job(), &QuantityUploadJob::ended);
    rig.job().UploadClick(true);
    QTRY_VERIFY_WITH_TIMEOUT(rig.app->jobs().countdownRunning(), 5000);
    rig.app->jobs().cancelTargetSide();
    QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 5000);
    QCOMPARE(rig.job().outcome(), QuantityUploadJob::Outcome::Cancelled);
    Intervals::setScale(0.01);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.states(), QStringList{UploadJournal::sentState()});

    rig.sandbox.clearCalls();
    QVERIFY(rig.query());
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 0);
}

void SyncSafetyTest::databaseWriteFails()
{
    SafetyRig rig;
    QVERIFY(rig.setUp(UploadMode::Incremental));
    QVERIFY(rig.oneRow());
    QSqlQuery q(rig.db());
    // the record cannot be written: nothing is sent
    QVERIFY(q.exec(QStringLiteral("create trigger full_disk before insert on TB_Upload_Journal "
                                  "begin select raise(abort,'database or disk is full'); end")));
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::DatabaseError);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 0);
    QVERIFY(rig.ui.messages().last().contains(QStringLiteral("没有发送")));
    QVERIFY(q.exec(QStringLiteral("drop trigger full_disk")));

    // the shop takes it but the result cannot be stored
    QVERIFY(q.exec(QStringLiteral("create trigger full_disk before update on TB_Upload_Journal when new.state='done' "
                                  "begin select raise(abort,'database or disk is full'); end")));
    QVERIFY(rig.query());
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::DatabaseError);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.targetRow(), QStringLiteral("10/1"));
    // every later run settles it first instead of adding again
    for (int run = 0; run < 2; ++run) {
        QVERIFY(rig.query());
        rig.upload();
        QCOMPARE(rig.shop(), 13);
    }
    QVERIFY(q.exec(QStringLiteral("drop trigger full_disk")));
    QVERIFY(rig.query());
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.shop(), 13);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 1);
    QCOMPARE(rig.targetRow(), QStringLiteral("13/0"));
    QCOMPARE(rig.states(), QStringList{UploadJournal::doneState()});
}

void SyncSafetyTest::duplicatedKeys()
{
    // incremental: a target row matched by two source rows is not uploaded
    {
        SafetyRig rig;
        QVERIFY(rig.setUp(UploadMode::Incremental));
        QVERIFY(rig.target(QStringLiteral("T100"), QStringLiteral("S"), kT100, QStringLiteral("6100000030011"), 10));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("S"), 3));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("S"), 3));
        QVERIFY(rig.query());
        QCOMPARE(rig.app->targetModel().checkedCount(), 2);
        QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
        QCOMPARE(rig.sandbox.callCount(kUpdate), 0);
        QCOMPARE(rig.shop(), 10);
        QCOMPARE(rig.job().skipped().size(), 1);
        QVERIFY(rig.job().skipped().first().reason.contains(QStringLiteral("关联值重复")));
    }
    // full: uploaded once when the matched rows agree, not at all when they differ
    {
        SafetyRig rig;
        QVERIFY(rig.setUp(UploadMode::Full));
        QVERIFY(rig.target(QStringLiteral("T100"), QStringLiteral("S"), kT100, QStringLiteral("6100000030011"), 10));
        QVERIFY(rig.target(QStringLiteral("T100"), QStringLiteral("M"), kT100, QStringLiteral("6100000030012"), 30));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("S"), 4));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("S"), 4));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("M"), 5));
        QVERIFY(rig.source(QStringLiteral("T100"), QStringLiteral("M"), 6));
        QVERIFY(rig.query());
        QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
        QCOMPARE(rig.sandbox.callCount(kUpdate), 1);
        QCOMPARE(rig.shop(), 4);
        QCOMPARE(rig.sandbox.skuQuantity(kT100, 6100000030012), 30);
        QCOMPARE(rig.job().skipped().size(), 1);
        QCOMPARE(rig.job().skipped().first().skuId, QStringLiteral("6100000030012"));
    }
}

void SyncSafetyTest::guardrailsHoldAndForce()
{
    SafetyRig rig;
    QVERIFY(rig.setUp(UploadMode::Full));
    // twelve rows of the demo shop, five of them to 0
    const QList<QPair<qint64, QString>> skus{
        {610000003001, QStringLiteral("6100000030011")}, {610000003001, QStringLiteral("6100000030012")},
        {610000003001, QStringLiteral("6100000030013")}, {610000003001, QStringLiteral("6100000030014")},
        {610000003001, QStringLiteral("6100000030015")}, {610000003001, QStringLiteral("6100000030016")},
        {610000003002, QStringLiteral("6100000030021")}, {610000003002, QStringLiteral("6100000030022")},
        {610000003002, QStringLiteral("6100000030023")}, {610000003004, QStringLiteral("6100000030041")},
        {610000003004, QStringLiteral("6100000030042")}, {610000003005, QStringLiteral("6100000030051")}};
    for (int i = 0; i < skus.size(); ++i) {
        const QString size = QString::number(i);
        QVERIFY(rig.target(QStringLiteral("G"), size, skus[i].first, skus[i].second, 50));
        QVERIFY(rig.source(QStringLiteral("G"), size, i < 5 ? 0 : 7));
    }
    QVERIFY(rig.query());
    QCOMPARE(rig.app->targetModel().checkedCount(), 12);
    // the plan holds: nothing is sent
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Held);
    QCOMPARE(rig.sandbox.callCount(), 0);
    QCOMPARE(rig.job().preview().rows, 12);
    QCOMPARE(rig.job().preview().toZero, 5);
    QVERIFY(rig.job().preview().text().contains(QStringLiteral("上传保护")));
    // the window asks, No is the answer left unscripted
    rig.ui.answerQuestion(true); // "是否要上传..."
    QSignalSpy ended(&rig.job(), &QuantityUploadJob::ended);
    QVERIFY(!rig.job().UploadClick(false));
    QCOMPARE(rig.job().outcome(), QuantityUploadJob::Outcome::Held);
    QCOMPARE(rig.ui.last()->icon, Interaction::Icon::Warning);
    QCOMPARE(rig.sandbox.callCount(), 0);
    // a limit of 0 switches it off; --force goes past it
    QVERIFY(Settings(rig.db()).setInteger(Setting::GuardZeroShare, 50));
    QVERIFY(rig.query());
    rig.job().setGuardPolicy(GuardPolicy::Hold);
    QCOMPARE(rig.upload(), QuantityUploadJob::Outcome::Completed);
    QCOMPARE(rig.sandbox.callCount(kUpdate), 12);
    QVERIFY(Settings(rig.db()).setInteger(Setting::GuardZeroShare, 30));

    // prices: one changed by more than 30 %
    ShopJobs &jobs = rig.app->shopJobs();
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("update TB_Source set price=case when sku='0' then 100 else 10.5 end")));
    rig.app->differenceQuery().options().view = ViewFilter::All;
    QVERIFY(rig.query());
    ListModel &model = rig.app->targetModel();
    model.setAllChecked(true);
    jobs.price.setGuardPolicy(GuardPolicy::Hold);
    rig.ui.answerQuestion(true);
    QVERIFY(!jobs.price._updatepriceClick());
    QVERIFY(jobs.price.held());
    QVERIFY(jobs.price.preview().held.contains(QStringLiteral("30%")));
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.item.sku.price.update")), 0);

    // the source guardrail compares with the last complete download
    const Settings settings(rig.db());
    QVERIFY(!Guardrails::sourceShrink(40, 100, settings).isEmpty());
    QVERIFY(Guardrails::sourceShrink(50, 100, settings).isEmpty());
    QVERIFY(Guardrails::sourceShrink(40, 0, settings).isEmpty());
    SyncCycleLog log(rig.db());
    CycleRecord held;
    held.id = log.begin(QStringLiteral("plan"), kShop);
    held.downloaded = 10;
    held.held = QStringLiteral("x");
    CycleRecord good;
    good.id = log.begin(QStringLiteral("plan"), kShop);
    good.downloaded = 100;
    QVERIFY(log.finish(good));
    QVERIFY(log.finish(held));
    const qint64 now = log.begin(QStringLiteral("plan"), kShop);
    QCOMPARE(log.previousDownload(now), 100);
    QVERIFY(Settings(rig.db()).setInteger(Setting::GuardSourceShrink, 0));
    QVERIFY(Guardrails::sourceShrink(1, 100, Settings(rig.db())).isEmpty());
}

QTEST_GUILESS_MAIN(SyncSafetyTest)
#include "sync_safety_test.moc"
