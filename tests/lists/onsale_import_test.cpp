#include "TestRig.h"
#include "SandboxModel.h"
#include "base/ListModel.h"
#include "lists/ItemListEditor.h"
#include "lists/OnSaleImport.h"
#include "top/TopClient.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kShop = QStringLiteral("sandbox_c_1");

int count(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

struct OnSale
{
    TestRig rig;
    std::unique_ptr<ItemListEditor> editor;
    int group = 0;

    // The seller's shop with n items on sale (and one in the warehouse), logged in.
    bool open(int n)
    {
        if (!rig.openWithSandbox())
            return false;
        rig.sandbox.modify([n](topsandbox::ShopModel &m) {
            topsandbox::Shop *shop = m.shopByNick(kShop);
            shop->items.clear();
            for (int i = 0; i <= n; ++i) {
                topsandbox::Item it;
                it.numIid = 700000000000 + i;
                it.nick = kShop;
                it.title = QStringLiteral("在售宝贝 ") + QString::number(i);
                it.outerId = QStringLiteral("C") + QString::number(i);
                it.priceCents = 1000;
                it.num = 1;
                it.approveStatus = i == 0 ? QStringLiteral("instock") : QStringLiteral("onsale");
                shop->items.push_back(it);
            }
        });
        rig.app->client().setSessionKey(rig.sandbox.sessionFor(kShop));
        editor = std::make_unique<ItemListEditor>(rig.db(), rig.app->jobs(), rig.app->client(), rig.desktop,
                                                  [](const QString &id) -> QString { return QStringLiteral("http://p/") + id; });
        editor->setMode(1);
        editor->GetGroupList();
        group = ItemLists(rig.db()).defaultGroup(ItemLists::TargetList);
        return group > 0;
    }
    bool run()
    {
        QSignalSpy ended(&editor->onSale(), &OnSaleImportJob::ended);
        if (!editor->onSale().start(group, kShop))
            return false;
        return ended.wait(20000) && !editor->busy() && !rig.app->jobs().busy();
    }
    QStringList pages() const
    {
        QStringList out;
        for (const auto &c : rig.sandbox.calls(QStringLiteral("taobao.items.onsale.get")))
            out << c.param(QStringLiteral("page_no")) + QLatin1Char('/') + c.param(QStringLiteral("page_size"));
        return out;
    }
};

} // namespace

class OnSaleImportTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Intervals::setScale(0.01); }
    void cleanup() { Intervals::setScale(1.0); }
    void pagesOf200UntilAShortPage();
    void startNeedsATickedGroupAndAYes();
    void transportFailureEndsTheJob();
    void storingErrorEndsTheJobWithItsMessage();
    void laterPageFailureKeepsTheEarlierEntries();
};

void OnSaleImportTest::pagesOf200UntilAShortPage()
{
    for (const int n : {450, 400}) {
        OnSale s;
        QVERIFY(s.open(n));
        const QSqlDatabase db = s.rig.db();
        QSqlQuery q(db);
        // the shop's earlier entries go, in every group; other shops' and bare ids stay
        QVERIFY(q.exec(QStringLiteral("insert into TB_Groups(Tag,GroupName) values(1,'其他')")));
        const QString other = q.lastInsertId().toString();
        QVERIFY(q.exec(QStringLiteral("insert into TB_URL(Tag,uGroup,num_iid,nick,outer_id2) values(1,") + other +
                       QStringLiteral(",'1','SANDBOX_C_1','X'),(1,") + other +
                       QStringLiteral(",'2','other_shop',''),(1,") + other +
                       QStringLiteral(",'700000000001','','K')")));
        QStringList captions;
        QObject::connect(&s.editor->panel(), &ProgressPanelState::captionSet, &s.editor->panel(),
                         [&captions](const QString &c) {
                             if (c.startsWith(QStringLiteral("正在下载")) && !captions.contains(c))
                                 captions << c;
                         });
        QVERIFY(s.run());
        QVERIFY2(s.editor->onSale().outcome() == OnSaleImportJob::Outcome::Completed,
                 qPrintable(s.rig.app->jobs().debugLines().join(QLatin1Char('\n'))));
        // 450: 200, 200, 50; 400: 200, 200 and an empty third page
        QCOMPARE(s.pages(), (QStringList{QStringLiteral("1/200"), QStringLiteral("2/200"), QStringLiteral("3/200")}));
        const auto calls = s.rig.sandbox.calls(QStringLiteral("taobao.items.onsale.get"));
        QCOMPARE(calls.first().param(QStringLiteral("session")), s.rig.sandbox.sessionFor(kShop));
        QCOMPARE(calls.first().param(QStringLiteral("fields")), QStringLiteral("nick,approve_status,title,outer_id,num_iid"));
        QCOMPARE(s.editor->onSale().runningTotal(), n);
        QCOMPARE(s.rig.ui.messages(), QStringList{QStringLiteral("完成\"下载当前店铺销售中列表\",请确认.")});
        // every item once, the one already listed by its id not twice
        QCOMPARE(count(db, QStringLiteral("select count(*) from TB_URL where Tag=1 and nick='sandbox_c_1'")), n - 1);
        QCOMPARE(count(db, QStringLiteral("select count(*) from TB_URL where num_iid='1'")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from TB_URL where num_iid in ('2','700000000001')")), 2);
        QCOMPARE(count(db, QStringLiteral("select count(*) from TB_URL where Tag=1 and uGroup=") +
                               QString::number(s.group) +
                               QStringLiteral(" and bCheck=1 and approve_status='onsale' and "
                                              "detail_url='http://p/'||num_iid")),
                 n - 1);
        const QString c = QStringLiteral("正在下载当前店铺销售中列表...");
        const QString t = QLatin1Char('/') + QString::number(n) + QLatin1Char(')');
        QStringList expected{c, c + QStringLiteral("(200") + t, c + QStringLiteral("(400") + t};
        if (n == 450)
            expected << c + QStringLiteral("(450") + t;
        QCOMPARE(captions, expected);
    }
}

void OnSaleImportTest::startNeedsATickedGroupAndAYes()
{
    OnSale s;
    QVERIFY(s.open(3));
    s.editor->setAllGroupsTicked(false);
    QVERIFY(!s.editor->DownloadSaleClick(kShop));
    QCOMPARE(s.rig.ui.messages().last(),
             QStringLiteral("使用下载当前店铺销售中列表前,请先选择组.(如果选择多组,将以第一个组为准)"));
    s.editor->setGroupTicked(0, true);
    QVERIFY(!s.editor->DownloadSaleClick(kShop)); // answered No
    QCOMPARE(s.rig.ui.last()->text, QStringLiteral("是否下载当前店铺销售中列表?\r\n(提示:下载时,将清除已下载的列表)"));
    QCOMPARE(s.pages(), QStringList());
    s.rig.ui.answerQuestion(true);
    QSignalSpy ended(&s.editor->onSale(), &OnSaleImportJob::ended);
    QVERIFY(s.editor->DownloadSaleClick(kShop));
    QVERIFY(ended.wait(20000));
    // the dialog lists again when the download is done
    QCOMPARE(s.editor->model().count(), 3);
}

void OnSaleImportTest::transportFailureEndsTheJob()
{
    OnSale s;
    QVERIFY(s.open(250));
    s.rig.sandbox.injectFault(QStringLiteral("taobao.items.onsale.get"), topsandbox::Fault::closeConnection());
    QSignalSpy ended(&s.editor->onSale(), &OnSaleImportJob::ended);
    QVERIFY(s.editor->onSale().start(s.group, kShop));
    QVERIFY(ended.wait(20000));
    QCOMPARE(s.editor->onSale().outcome(), OnSaleImportJob::Outcome::NetworkFailed);
    QCOMPARE(s.rig.ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QVERIFY(!s.editor->busy());
    QVERIFY(!s.editor->panel().shown());
    // nothing stored; the dialog can start again
    QCOMPARE(count(s.rig.db(), QStringLiteral("select count(*) from TB_URL where Tag=1")), 0);
    QVERIFY(s.run());
    QCOMPARE(s.editor->onSale().outcome(), OnSaleImportJob::Outcome::Completed);
    QCOMPARE(count(s.rig.db(), QStringLiteral("select count(*) from TB_URL where Tag=1")), 250);
}

void OnSaleImportTest::storingErrorEndsTheJobWithItsMessage()
{
    OnSale s;
    QVERIFY(s.open(210));
    QSqlQuery q(s.rig.db());
    QVERIFY(q.exec(QStringLiteral("create trigger refuse before insert on TB_URL when new.title='在售宝贝 205' "
                                  "begin select raise(abort, '磁盘已满'); end")));
    QVERIFY(s.run());
    QCOMPARE(s.editor->onSale().outcome(), OnSaleImportJob::Outcome::DatabaseError);
    QCOMPARE(s.rig.ui.records().last().icon, Interaction::Icon::Warning);
    QVERIFY(s.rig.ui.messages().last().contains(QStringLiteral("磁盘已满")));
    QVERIFY(!s.editor->panel().shown());
    // nothing of the download is stored
    QCOMPARE(count(s.rig.db(), QStringLiteral("select count(*) from TB_URL where Tag=1")), 0);
}

// A failure or a cancel after page 1 leaves the shop's earlier entries, with
// their merchant-code overrides and ticks, exactly as they were.
void OnSaleImportTest::laterPageFailureKeepsTheEarlierEntries()
{
    enum End { ErrorReply, Network, Cancel };
    for (const End end : {ErrorReply, Network, Cancel}) {
        OnSale s;
        QVERIFY(s.open(450));
        const QSqlDatabase db = s.rig.db();
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("insert into TB_URL(Tag,uGroup,num_iid,nick,outer_id2,bCheck) values(1,") +
                       QString::number(s.group) +
                       QStringLiteral(",'700000000005','sandbox_c_1','MY-CODE',0),(1,") + QString::number(s.group) +
                       QStringLiteral(",'9','sandbox_c_1','',1)")));
        const auto entries = [&db] {
            QStringList out;
            QSqlQuery r(db);
            r.exec(QStringLiteral("select num_iid||'|'||outer_id2||'|'||bCheck from TB_URL where Tag=1 order by Uniqid"));
            while (r.next())
                out << r.value(0).toString();
            return out;
        };
        const QStringList before = entries();
        // page 1 comes in whole; then page 2 fails, or the seller cancels
        QObject::connect(&s.editor->panel(), &ProgressPanelState::captionSet, &s.editor->panel(),
                         [&s, end](const QString &c) {
                             if (!c.contains(QStringLiteral("(200/")))
                                 return;
                             if (end == ErrorReply)
                                 s.rig.sandbox.injectFault(QStringLiteral("taobao.items.onsale.get"),
                                                           topsandbox::Fault::error(27));
                             else if (end == Network)
                                 s.rig.sandbox.injectFault(QStringLiteral("taobao.items.onsale.get"),
                                                           topsandbox::Fault::closeConnection());
                             else
                                 s.editor->onSale().cancel();
                         });
        QVERIFY(s.run());
        QCOMPARE(s.pages().size(), end == Cancel ? 1 : 2);
        QVERIFY(s.editor->onSale().outcome() != OnSaleImportJob::Outcome::Completed);
        QCOMPARE(entries(), before);
        QVERIFY(!s.editor->busy());
    }
}

QTEST_GUILESS_MAIN(OnSaleImportTest)
#include "onsale_import_test.moc"
