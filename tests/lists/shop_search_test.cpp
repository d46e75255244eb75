// The shop search walk against the stand-in's shop pages (sandbox/fixtures/shops.json).
#include "TestRig.h"
#include "lists/ItemLinks.h"
#include "lists/ShopSearch.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

class ShopSearchTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void resultPagesStopAtTheReportedTotal();
    void oldShopIsReadTwentyItemsAPage();
    void tmallShopPages();
    void keywordsArriveExactly();
    void wrongAddressesAndPagesWithoutMarkers();
    void transportErrorEndsTheSearch();

private:
    // Runs one search to its end; the requests sent, in order.
    QStringList search(int type, const QString &nick, const QString &keyword);
    QString item(const QString &id, bool tmall = false) const
    {
        return (tmall ? m_rig->app->endpoints().tmallItemPageOf(id) : m_rig->app->endpoints().itemPageOf(id));
    }

    std::unique_ptr<TestRig> m_rig;
    std::unique_ptr<ShopSearch> m_search;
};

void ShopSearchTest::initTestCase()
{
    Intervals::setScale(0.05);
    m_rig = std::make_unique<TestRig>();
    QVERIFY(m_rig->openWithSandbox(QFileInfo(QStringLiteral(SANDBOX_FIXTURE)).dir().filePath(QStringLiteral("shops.json"))));
    if (!m_rig->sandbox.hasDistinctPageHosts())
        QSKIP("the stand-in could not bind its page hosts on 127.0.0.2-6");
    QVERIFY(m_rig->app->saveEndpoints(TopEndpoints::onSandbox(m_rig->sandbox.baseUrl())));
    QCOMPARE(m_rig->app->endpoints().tmallItemPage, m_rig->sandbox.tmallItemPageUrl());
    m_search = std::make_unique<ShopSearch>(m_rig->ui, m_rig->app->endpoints());
}

void ShopSearchTest::cleanupTestCase()
{
    m_search.reset();
    m_rig.reset();
    Intervals::setScale(1);
}

QStringList ShopSearchTest::search(int type, const QString &nick, const QString &keyword)
{
    m_rig->ui.clear();
    QStringList requests;
    const auto c = connect(m_search.get(), &ShopSearch::debugLine, this, [&requests](const QString &line) {
        if (!line.startsWith(QStringLiteral("<html")))
            requests << line.section(QStringLiteral("\r\n"), 1);
    });
    QSignalSpy ended(m_search.get(), &ShopSearch::ended);
    if (m_search->start(type, m_rig->sandbox.shopUrl(nick), keyword))
        [&] { QVERIFY(ended.wait(20000)); }();
    disconnect(c);
    return requests;
}

void ShopSearchTest::resultPagesStopAtTheReportedTotal()
{
    // 12 on-sale items, 5 a page, while the page info names 5 pages: the third page reaches the total
    const QStringList requests = search(ShopSearch::NormalShop, QStringLiteral("shop_grid"), QString());
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.at(0), QStringLiteral("orderType=_hotsell&viewType=grid&baobei_type=&keyword=&price1=&price2="));
    QCOMPARE(requests.at(2), QStringLiteral("search=y&keyword=&viewType=grid&orderType=_hotsell&pageNum=3"));
    QCOMPARE(m_search->total(), 12);
    QCOMPARE(m_search->pageCount(), 5);
    // each item is linked twice on its page, and listed once
    QCOMPARE(m_search->links().size(), 12);
    QCOMPARE(m_search->links().first(), item(QStringLiteral("540000000001")));
    QCOMPARE(m_rig->ui.records().last().text,
             QStringLiteral("完成搜索,共搜索到 12 个符合条件的商品.是否马上加入下载源?"));
    QVERIFY(!m_search->panelShown()); // No: the links stay

    // the new-style pages: pageNo, the item-name links
    QCOMPARE(search(ShopSearch::NewNormalShop, QStringLiteral("shop_new"), QStringLiteral("连衣裙")).last(),
             QStringLiteral("search=y&keyword=%C1%AC%D2%C2%C8%B9&viewType=grid&orderType=_hotsell&pageNo=3"));
    QCOMPARE(m_search->links().size(), 7);
    // a Tmall mall with result pages links to the Tmall item page
    search(ShopSearch::TmallMall, QStringLiteral("shop_mall"), QString());
    QCOMPARE(m_search->links(), (QStringList{item(QStringLiteral("580000000001"), true),
                                             item(QStringLiteral("580000000002"), true),
                                             item(QStringLiteral("580000000003"), true)}));
}

void ShopSearchTest::oldShopIsReadTwentyItemsAPage()
{
    const QStringList requests = search(ShopSearch::OldShop, QStringLiteral("shop_old"), QString());
    QCOMPARE(requests.size(), 3);
    for (int p = 1; p <= 3; ++p)
        QVERIFY(requests.at(p - 1).startsWith(QStringLiteral("pageNum=%1&catId=null").arg(p)));
    QVERIFY(requests.at(0).contains(QStringLiteral("&searchWord=null&")));
    QCOMPARE(m_search->links().size(), 41);
    QCOMPARE(m_search->links().last(), item(QStringLiteral("550000000041")));
    QCOMPARE(m_rig->ui.records().last().text,
             QStringLiteral("完成搜索,共搜索到 41 个符合条件的商品.是否马上加入下载源?"));
}

void ShopSearchTest::tmallShopPages()
{
    // 9 items, 4 a page: three pages, counted by the links found
    QStringList requests = search(ShopSearch::TmallShop, QStringLiteral("shop_tmall"), QStringLiteral("运动鞋"));
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.at(0),
             QStringLiteral("orderType=hotsell_desc&viewType=list&keyword=%D4%CB%B6%AF%D0%AC&lowPrice=&highPrice="));
    QCOMPARE(m_search->links().size(), 9);
    QCOMPARE(m_search->links().first(), item(QStringLiteral("570000000001"), true));
    QCOMPARE(m_rig->ui.records().last().text, QStringLiteral("完成搜索,共搜索到 9 个符合条件的商品.是否马上加入下载源?"));

    // no match: the page lacks the page-size element, and the search ends at once
    requests = search(ShopSearch::TmallShop, QStringLiteral("shop_tmall"), QStringLiteral("没有的东西"));
    QCOMPARE(requests.size(), 1);
    QCOMPARE(m_rig->ui.messages(), QStringList{QStringLiteral("没找到符合条件的商品,换个条件或关键词试试吧。")});
    QVERIFY(!m_search->panelShown());
}

void ShopSearchTest::keywordsArriveExactly()
{
    // an apostrophe, "%", "_" and a character outside GBK are neither wildcards nor lost
    const QString keyword = QStringLiteral("Tom's 100%_纯棉 👕");
    const ShopSearchFields fields{QStringLiteral("http://127.0.0.5/shop/x"), keyword, ShopSearch::NormalShop};
    QVERIFY(fields.save(m_rig->app->settings(), 0));
    QCOMPARE(ShopSearchFields::load(m_rig->app->settings(), 0).keyword, keyword);
    QCOMPARE(ShopSearchFields::load(m_rig->app->settings(), 1).keyword, QString()); // rows 20-22 created
    QVERIFY(m_rig->app->settings().exists(Setting::TargetShopType));

    search(ShopSearch::NormalShop, QStringLiteral("shop_grid"), keyword);
    QCOMPARE(m_search->links(), QStringList{item(QStringLiteral("540000000003"))});
    search(ShopSearch::NormalShop, QStringLiteral("shop_grid"), QStringLiteral("100%"));
    QCOMPARE(m_search->links(), QStringList{item(QStringLiteral("540000000003"))});
}

void ShopSearchTest::wrongAddressesAndPagesWithoutMarkers()
{
    m_rig->ui.clear();
    QVERIFY(!m_search->start(ShopSearch::TmallShop, m_rig->sandbox.shopUrl(QStringLiteral("shop_grid")), QString()));
    QCOMPARE(m_rig->ui.messages(), QStringList{QStringLiteral("请输入正确的天猫商城店铺地址.(格式 http://xxxx.127.0.0.6)")});
    QVERIFY(!m_search->start(ShopSearch::NormalShop, QString(), QString()));
    QCOMPARE(m_rig->ui.messages().last(), QStringLiteral("请输入正确的淘宝C店店铺地址."));

    // a shop front page without search results, and a shop type that does not fit the shop
    search(ShopSearch::NormalShop, QStringLiteral("shop_plain"), QString());
    const QString zero = QStringLiteral("完成搜索,共搜索到 0 个符合条件的商品.\r\n（友情提示：请注意检查选择店铺类型是否正确）");
    QCOMPARE(m_rig->ui.messages(), QStringList{zero});
    search(ShopSearch::OldShop, QStringLiteral("shop_grid"), QString());
    QCOMPARE(m_rig->ui.messages(),
             QStringList{QStringLiteral("完成搜索.共搜索到 0 个符合条件的商品.\r\n（友情提示：请注意检查选择店铺类型是否正确）")});
    // result pages of another shop type: the total is there, the links are not
    search(ShopSearch::NewNormalShop, QStringLiteral("shop_grid"), QString());
    QCOMPARE(m_rig->ui.messages(), QStringList{QLatin1Char('.') + zero});
    QVERIFY(!m_search->panelShown());
}

void ShopSearchTest::transportErrorEndsTheSearch()
{
    search(ShopSearch::OldShop, QStringLiteral("shop_old"), QString());
    QCOMPARE(m_search->links().size(), 41);
    m_rig->sandbox.stop();
    search(ShopSearch::NormalShop, QStringLiteral("shop_grid"), QString());
    QCOMPARE(m_rig->ui.messages(), QStringList{QStringLiteral("网络通讯错误,请稍候重试.")});
    QCOMPARE(m_rig->ui.records().last().icon, Interaction::Icon::Error);
    QVERIFY(!m_search->panelShown());
}

QTEST_GUILESS_MAIN(ShopSearchTest)
#include "shop_search_test.moc"
