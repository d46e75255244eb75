#include "TestRig.h"
#include "jobs/RequestJob.h"
#include "store/Parameters.h"
#include "target/TargetDownload.h"
#include "top/TopClient.h"

#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kDone = QStringLiteral("完成\"使用目标店铺配置下载目标店铺宝贝列表\",请确认.");
const QString kMismatch =
    QStringLiteral("下载失败，选择的登录帐号与下载的宝贝所属卖家不一致,请选择正确的帐号再下载.");

QStringList demoIds(int n)
{
    QStringList ids;
    for (int i = 1; i <= n; ++i)
        ids << QStringLiteral("61000000300") + QString::number(i);
    return ids;
}

int count(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

QStringList column(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    QStringList out;
    if (q.exec(sql))
        while (q.next())
            out << q.value(0).toString();
    return out;
}

bool run(TestRig &rig)
{
    rig.ui.answerQuestion(true);
    QSignalSpy ended(&rig.app->targetDownload(), &TargetDownloadJob::ended);
    if (!rig.app->targetDownload().N62Click())
        return false;
    return ended.wait(20000);
}

} // namespace

class TargetDownloadTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.1); }
    void cleanup() { Intervals::setScale(1.0); }
    void accountMatchesTheSellerApartFromCase();
    void customCodesAndTheNullMarker();
    void noOuterIdKeepsOnlyCustomCodes();
    void foreignItemInTheSecondBatchKeepsThePreviousDownload();
    void refusedIdIsSplitOutAndTheRestCompletes();
};

void TargetDownloadTest::accountMatchesTheSellerApartFromCase()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(rig.list(demoIds(9), ItemLists::TargetList));
    SetParam(rig.db(), 1, QStringLiteral("2026/01/01 00:00:00"));
    QSqlQuery q(rig.db());
    // an earlier download of the account, in other letter case
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('Sandbox_C_1','earlier','1')")));
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('other','kept','2')")));
    TargetDownloadJob &job = rig.app->targetDownload();
    job.setAccount(QStringLiteral("SANDBOX_C_1"));
    QStringList captions;
    connect(&rig.app->jobs().panel2(), &ProgressPanelState::captionSet, this, [&](const QString &c) { captions << c; });
    QVERIFY(run(rig));
    QCOMPARE(job.outcome(), TargetDownloadJob::Outcome::Completed);
    QCOMPARE(rig.ui.messages(), QStringList{kDone});
    QCOMPARE(captions.first(), QStringLiteral("店铺:SANDBOX_C_1\r\n正在下载中...(0%)"));
    // the rows carry the seller's nick as the platform spells it
    QCOMPARE(column(rig.db(), QStringLiteral("select distinct UserID from TB_Object where UserID<>'other'")),
             QStringList{QStringLiteral("sandbox_c_1")});
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object where title='earlier'")), 0);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object where title='kept'")), 1);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(distinct num_iid) from TB_Object where UserID='sandbox_c_1'")), 9);
    // NM 2 holds the start; NM 1 is the source side's and stays
    QVERIFY(!GetParam(rig.db(), 2).isEmpty());
    QCOMPARE(GetParam(rig.db(), 1), QStringLiteral("2026/01/01 00:00:00"));
    const auto calls = rig.sandbox.calls(QStringLiteral("taobao.items.list.get"));
    QCOMPARE(calls.size(), 1);
    QVERIFY(calls.first().param(QStringLiteral("fields")).split(QLatin1Char(',')).contains(QStringLiteral("nick")));
    QVERIFY(calls.first().param(QStringLiteral("session")).isEmpty()); // no session held
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object_Download")), 0);
    QVERIFY(!rig.app->jobs().busy());
}

void TargetDownloadTest::customCodesAndTheNullMarker()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(rig.list(demoIds(3), ItemLists::TargetList));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id2=' X1 ' where num_iid='610000003001'")));
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id2='null' where num_iid='610000003002'")));
    rig.app->targetDownload().setAccount(QStringLiteral("sandbox_c_1"));
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetDownload().outcome(), TargetDownloadJob::Outcome::Completed);
    QCOMPARE(column(rig.db(), QStringLiteral("select distinct num_iid||'='||outer_id from TB_Object order by num_iid")),
             (QStringList{QStringLiteral("610000003001=X1"), QStringLiteral("610000003002="),
                          QStringLiteral("610000003003=S300")}));
    // the entries: the item's code, but none for the "null" one
    QCOMPARE(column(rig.db(), QStringLiteral("select num_iid||'='||outer_id||'|'||nick from TB_URL order by num_iid")),
             (QStringList{QStringLiteral("610000003001=T100|sandbox_c_1"), QStringLiteral("610000003002=|sandbox_c_1"),
                          QStringLiteral("610000003003=S300|sandbox_c_1")}));
}

void TargetDownloadTest::noOuterIdKeepsOnlyCustomCodes()
{
    TestRig rig;
    QVERIFY(rig.openWithSandbox());
    QVERIFY(rig.list(demoIds(4), ItemLists::TargetList));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id2='X1' where num_iid='610000003001'")));
    // an entry with a code and an unchanged status would keep it but for the box
    QVERIFY(q.exec(QStringLiteral("update TB_URL set outer_id='OLD', approve_status='onsale' "
                                  "where num_iid='610000003004'")));
    TargetDownloadJob &job = rig.app->targetDownload();
    job.setAccount(QStringLiteral("sandbox_c_1"));
    job.setNoOuterId(true);
    QVERIFY(run(rig));
    QCOMPARE(job.outcome(), TargetDownloadJob::Outcome::Completed);
    QCOMPARE(column(rig.db(), QStringLiteral("select distinct num_iid||'='||outer_id from TB_Object order by num_iid")),
             (QStringList{QStringLiteral("610000003001=X1"), QStringLiteral("610000003002="),
                          QStringLiteral("610000003003="), QStringLiteral("610000003004=")}));
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_URL where outer_id<>''")), 0);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_URL where nick='sandbox_c_1'")), 4);
}

void TargetDownloadTest::foreignItemInTheSecondBatchKeepsThePreviousDownload()
{
    TestRig rig;
    topsandbox::GenerateOptions g;
    g.shops = 2;
    g.items = 25;
    g.skus = 0;
    QVERIFY(rig.openWithGenerated(g));
    const QString own = rig.sandbox.nicks().value(0);
    const QString foreign = rig.sandbox.nicks().value(1);
    QStringList ids;
    for (qint64 id : rig.sandbox.itemIds(own).mid(0, 22))
        ids << QString::number(id);
    ids << QString::number(rig.sandbox.itemIds(foreign).first());
    ids << QString::number(rig.sandbox.itemIds(own).at(22));
    QVERIFY(rig.list(ids, ItemLists::TargetList));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_Object(UserID,title,num_iid) values('%1','earlier','1')").arg(own)));
    SetParam(rig.db(), 2, QStringLiteral("2026/01/01 00:00:00"));
    rig.app->targetDownload().setAccount(own);
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetDownload().outcome(), TargetDownloadJob::Outcome::NickMismatch);
    QCOMPARE(rig.ui.messages(), QStringList{kMismatch});
    QVERIFY(rig.ui.last()->icon == Interaction::Icon::Warning);
    QVERIFY(!rig.app->jobs().busy());
    QCOMPARE(rig.sandbox.callCount(QStringLiteral("taobao.items.list.get")), 2);
    // the previous complete download stays whole, and so does its time
    QCOMPARE(column(rig.db(), QStringLiteral("select title from TB_Object")), QStringList{QStringLiteral("earlier")});
    QCOMPARE(GetParam(rig.db(), 2), QStringLiteral("2026/01/01 00:00:00"));

    // the next complete download replaces it
    QVERIFY(q.exec(QStringLiteral("update TB_URL set bCheck=0 where num_iid='%1'").arg(ids.at(22))));
    rig.ui.clear();
    QVERIFY(run(rig));
    QCOMPARE(rig.app->targetDownload().outcome(), TargetDownloadJob::Outcome::Completed);
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object")), 23);
    QVERIFY(GetParam(rig.db(), 2) != QStringLiteral("2026/01/01 00:00:00"));
}

void TargetDownloadTest::refusedIdIsSplitOutAndTheRestCompletes()
{
    TestRig rig;
    topsandbox::GenerateOptions g;
    g.shops = 1;
    g.items = 24;
    g.skus = 0;
    QVERIFY(rig.openWithGenerated(g));
    const QString own = rig.sandbox.nicks().value(0);
    QStringList ids;
    for (qint64 id : rig.sandbox.itemIds(own))
        ids << QString::number(id);
    // an id no Number holds, among valid ones: the platform refuses its whole batch
    const QString refused = QStringLiteral("92233720368547758070");
    QVERIFY(rig.list(ids.mid(0, 10), ItemLists::TargetList));
    QSqlQuery q(rig.db());
    QVERIFY(q.exec(QStringLiteral("insert into TB_URL(Tag,bCheck,uGroup,num_iid) "
                                  "select Tag,1,uGroup,'%1' from TB_URL where Tag=1 limit 1")
                       .arg(refused)));
    QVERIFY(rig.list(ids.mid(10), ItemLists::TargetList));
    rig.app->targetDownload().setAccount(own);
    QVERIFY(run(rig));
    TargetDownloadJob &job = rig.app->targetDownload();
    QCOMPARE(job.outcome(), TargetDownloadJob::Outcome::Completed);
    QCOMPARE(job.refusedIds(), QStringList{refused});
    // every valid item came; the refused id is marked in the list and named to the seller
    QCOMPARE(count(rig.db(), QStringLiteral("select count(*) from TB_Object where UserID='%1'").arg(own)),
             24);
    QCOMPARE(column(rig.db(), QStringLiteral("select num_iid from TB_URL where Tag=1 and refused<>''")),
             QStringList{refused});
    QVERIFY(rig.ui.last()->icon == Interaction::Icon::Warning);
    QVERIFY(rig.ui.messages().last().contains(refused));
    QVERIFY(!rig.app->jobs().busy());

    // the command line names the id and ends with 1: not a full success
    rig.app.reset(); // the command takes the data folder
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(STOCKSYNC_EXE),
            {QStringLiteral("--data-dir"), rig.path(), QStringLiteral("download-target"),
             QStringLiteral("--account"), own});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(err.contains(refused), qPrintable(err));
}

QTEST_GUILESS_MAIN(TargetDownloadTest)
#include "target_download_test.moc"
