#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QString>

#include <vector>

// The shop model that the platform stand-in serves: shops, their items and the
// items' SKUs, all in memory. Prices are held in cents so that every reply
// writes them with exactly two decimals.
namespace topsandbox {

struct Sku
{
    qint64 skuId = 0;
    QString properties;     // "1627207:28341;20509:28314"
    QString propertiesName; // "1627207:28341:颜色分类:黑色;20509:28314:尺码:S"
    int quantity = 0;
    qint64 priceCents = 0;
    QString outerId;
};

struct Item
{
    qint64 numIid = 0;
    QString nick; // seller
    QString title;
    QString outerId;
    QString propsName;     // "20000:3275069:品牌:X;13021751:4004:货号:A-01"
    QString propertyAlias; // "1627207:28341:米白"
    qint64 priceCents = 0;
    int num = 0;                                      // the sum of the SKU quantities when the item has SKUs
    QString approveStatus = QStringLiteral("onsale"); // "onsale" or "instock"
    int isFenxiao = 0;
    QDateTime listTime;
    QDateTime delistTime;
    int validThru = 7;
    bool hasShowcase = false;
    QString sellerCids;
    QList<Sku> skus;

    // num := sum of the SKU quantities (no change for an item without SKUs).
    void recount();
    const Sku *skuById(qint64 skuId) const;
    Sku *skuById(qint64 skuId);
};

struct Shop
{
    QString nick;
    QString password; // for the login pages
    bool tmall = false;
    QString session;             // the session key the shop's authorization hands out
    bool priceAuthorized = true; // the short authorization that price changes need
    // The authorization pages:
    QStringList authorizedApps; // app keys the shop has consented to (no consent page for them)
    QStringList forbiddenApps;  // app keys this member may not use ("此应用不允许当前用户访问")
    bool captcha = false;       // the login page asks for a captcha before it lets the member in
    bool phoneCheck = false;    // the container asks for the phone check after the login
    // The shop's own search pages (ShopPages.h): their markup ("grid", "new",
    // "old", "tmall"; empty: a page without search results), the items per
    // page, and a page count the page info names instead of the real one (0: the real one).
    QString searchStyle;
    int searchPageSize = 20;
    int searchPagesShown = 0;
    // Session keys handed out by the authorization pages, each with whether it
    // may change prices (issued with scope usergrade). Not part of the fixture.
    QHash<QString, bool> webSessions;
    std::vector<Item> items;

    // The fixture's session follows priceAuthorized, a web session its scope.
    bool mayChangePrices(const QString &sessionKey) const
    {
        return sessionKey == session ? priceAuthorized : webSessions.value(sessionKey, false);
    }
};

// Options of the deterministic generator ("shops=3,items=5000,skus=6,seed=1").
struct GenerateOptions
{
    int shops = 3;
    int items = 5000; // per shop
    int skus = 6;     // per item; 0 makes items without SKUs
    quint64 seed = 1;

    static bool parse(const QString &text, GenerateOptions *out, QString *error);
};

class ShopModel
{
public:
    // Replaces the model by the content of a fixture (see sandbox/fixtures/demo.json).
    bool loadJson(const QByteArray &json, QString *error);
    // Adds generated shops named gen_shop_1, gen_shop_2, ... (session "gen-session-N").
    void generate(const GenerateOptions &options);
    // The whole model in the fixture format.
    QByteArray toJson() const;

    std::vector<Shop> &shops() { return m_shops; }
    const std::vector<Shop> &shops() const { return m_shops; }

    Shop *shopByNick(const QString &nick);
    const Shop *shopByNick(const QString &nick) const;
    Shop *shopBySession(const QString &session);
    Item *item(qint64 numIid);
    const Item *item(qint64 numIid) const;

    void clear();

private:
    bool addShop(Shop shop, QString *error);
    void rebuildIndex();

    std::vector<Shop> m_shops;
    QHash<qint64, QPair<int, int>> m_itemIndex; // num_iid -> (shop, item)
};

// "12.5" -> 1250; false for anything that is not a positive amount with at most
// two decimals.
bool parsePrice(const QString &text, qint64 *cents);
QString priceText(qint64 cents);

// The platform's time format, "yyyy-MM-dd HH:mm:ss" (local time).
QString timeText(const QDateTime &t);
QDateTime parseTime(const QString &text);

} // namespace topsandbox
