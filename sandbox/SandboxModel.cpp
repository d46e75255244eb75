#include "SandboxModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>

namespace topsandbox {

void Item::recount()
{
    if (skus.isEmpty())
        return;
    int total = 0;
    for (const Sku &s : skus)
        total += s.quantity;
    num = total;
}

const Sku *Item::skuById(qint64 id) const
{
    for (const Sku &s : skus)
        if (s.skuId == id)
            return &s;
    return nullptr;
}

Sku *Item::skuById(qint64 id)
{
    for (Sku &s : skus)
        if (s.skuId == id)
            return &s;
    return nullptr;
}

bool parsePrice(const QString &text, qint64 *cents)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 15)
        return false;
    const int dot = t.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? t : t.left(dot);
    const QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    if (whole.isEmpty() || frac.size() > 2 || (dot >= 0 && frac.isEmpty()))
        return false;
    for (QChar c : QString(whole + frac))
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    qint64 v = whole.toLongLong() * 100;
    if (frac.size() == 1)
        v += frac.toInt() * 10;
    else if (frac.size() == 2)
        v += frac.toInt();
    if (v <= 0)
        return false;
    *cents = v;
    return true;
}

QString priceText(qint64 cents)
{
    return QString::number(cents / 100) + QLatin1Char('.') +
           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QString timeText(const QDateTime &t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

QDateTime parseTime(const QString &text)
{
    return QDateTime::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// ---------------------------------------------------------------- fixture

namespace {

qint64 idValue(const QJsonValue &v)
{
    if (v.isString()) {
        bool ok = false;
        const qint64 id = v.toString().toLongLong(&ok);
        return ok ? id : 0;
    }
    return v.isDouble() ? static_cast<qint64>(v.toDouble()) : 0;
}

bool priceValue(const QJsonValue &v, qint64 *cents)
{
    if (v.isDouble())
        return parsePrice(QString::number(v.toDouble(), 'f', 2), cents);
    return parsePrice(v.toString(), cents);
}

} // namespace

bool ShopModel::loadJson(const QByteArray &json, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (!doc.isObject()) {
        if (error)
            *error = QStringLiteral("fixture is not a JSON object: ") + pe.errorString();
        return false;
    }
    ShopModel fresh;
    const QJsonArray shops = doc.object().value(QStringLiteral("shops")).toArray();
    for (const QJsonValue &sv : shops) {
        const QJsonObject so = sv.toObject();
        Shop shop;
        shop.nick = so.value(QStringLiteral("nick")).toString();
        shop.password = so.value(QStringLiteral("password")).toString();
        shop.tmall = so.value(QStringLiteral("type")).toString() == QStringLiteral("tmall");
        shop.session = so.value(QStringLiteral("session")).toString();
        shop.priceAuthorized = so.value(QStringLiteral("price_authorized")).toBool(true);
        for (const QJsonValue &k : so.value(QStringLiteral("authorized_apps")).toArray())
            shop.authorizedApps.append(k.toString());
        for (const QJsonValue &k : so.value(QStringLiteral("forbidden_apps")).toArray())
            shop.forbiddenApps.append(k.toString());
        shop.captcha = so.value(QStringLiteral("captcha")).toBool(false);
        shop.phoneCheck = so.value(QStringLiteral("phone_check")).toBool(false);
        const QJsonObject search = so.value(QStringLiteral("search_pages")).toObject();
        shop.searchStyle = search.value(QStringLiteral("style")).toString();
        shop.searchPageSize = qMax(1, search.value(QStringLiteral("page_size")).toInt(20));
        shop.searchPagesShown = search.value(QStringLiteral("pages_shown")).toInt(0);
        const QJsonArray items = so.value(QStringLiteral("items")).toArray();
        for (const QJsonValue &iv : items) {
            const QJsonObject io = iv.toObject();
            Item it;
            it.numIid = idValue(io.value(QStringLiteral("num_iid")));
            it.nick = shop.nick;
            it.title = io.value(QStringLiteral("title")).toString();
            it.outerId = io.value(QStringLiteral("outer_id")).toString();
            it.propsName = io.value(QStringLiteral("props_name")).toString();
            it.propertyAlias = io.value(QStringLiteral("property_alias")).toString();
            it.num = io.value(QStringLiteral("num")).toInt();
            it.approveStatus = io.value(QStringLiteral("approve_status")).toString(QStringLiteral("onsale"));
            it.isFenxiao = io.value(QStringLiteral("is_fenxiao")).toInt();
            it.listTime = parseTime(io.value(QStringLiteral("list_time")).toString());
            it.delistTime = parseTime(io.value(QStringLiteral("delist_time")).toString());
            it.validThru = io.value(QStringLiteral("valid_thru")).toInt(7);
            it.hasShowcase = io.value(QStringLiteral("has_showcase")).toBool();
            it.sellerCids = io.value(QStringLiteral("seller_cids")).toString();
            const QString where = QStringLiteral("item ") + QString::number(it.numIid) + QStringLiteral(": ");
            if (it.numIid <= 0) {
                if (error)
                    *error =
                        QStringLiteral("an item of ") + shop.nick + QStringLiteral(" has no valid num_iid");
                return false;
            }
            if (!priceValue(io.value(QStringLiteral("price")), &it.priceCents)) {
                if (error)
                    *error = where + QStringLiteral("invalid price");
                return false;
            }
            if (it.approveStatus != QStringLiteral("onsale") &&
                it.approveStatus != QStringLiteral("instock")) {
                if (error)
                    *error = where + QStringLiteral("approve_status must be onsale or instock");
                return false;
            }
            for (const QJsonValue &kv : io.value(QStringLiteral("skus")).toArray()) {
                const QJsonObject ko = kv.toObject();
                Sku s;
                s.skuId = idValue(ko.value(QStringLiteral("sku_id")));
                s.properties = ko.value(QStringLiteral("properties")).toString();
                s.propertiesName = ko.value(QStringLiteral("properties_name")).toString();
                s.quantity = ko.value(QStringLiteral("quantity")).toInt();
                s.outerId = ko.value(QStringLiteral("outer_id")).toString();
                if (s.skuId <= 0 || s.properties.isEmpty() || s.quantity < 0 ||
                    !priceValue(ko.value(QStringLiteral("price")), &s.priceCents)) {
                    if (error)
                        *error = where +
                                 QStringLiteral("a SKU lacks a valid sku_id, properties, quantity or price");
                    return false;
                }
                it.skus.append(s);
            }
            it.recount();
            shop.items.push_back(std::move(it));
        }
        if (!fresh.addShop(std::move(shop), error))
            return false;
    }
    *this = std::move(fresh);
    return true;
}

bool ShopModel::addShop(Shop shop, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (shop.nick.isEmpty())
        return fail(QStringLiteral("a shop has no nick"));
    if (shopByNick(shop.nick))
        return fail(QStringLiteral("duplicate shop nick ") + shop.nick);
    if (shop.session.isEmpty())
        shop.session = QStringLiteral("sandbox-session-") + shop.nick;
    if (shopBySession(shop.session))
        return fail(QStringLiteral("duplicate session ") + shop.session);
    QSet<qint64> skuIds, itemIds;
    for (const Shop &s : m_shops)
        for (const Item &i : s.items)
            for (const Sku &k : i.skus)
                skuIds.insert(k.skuId);
    for (const Item &i : shop.items) {
        if (m_itemIndex.contains(i.numIid) || itemIds.contains(i.numIid))
            return fail(QStringLiteral("duplicate num_iid ") + QString::number(i.numIid));
        itemIds.insert(i.numIid);
        for (const Sku &k : i.skus) {
            if (skuIds.contains(k.skuId))
                return fail(QStringLiteral("duplicate sku_id ") + QString::number(k.skuId));
            skuIds.insert(k.skuId);
        }
    }
    m_shops.push_back(std::move(shop));
    rebuildIndex();
    return true;
}

void ShopModel::rebuildIndex()
{
    m_itemIndex.clear();
    for (int s = 0; s < int(m_shops.size()); ++s)
        for (int i = 0; i < int(m_shops[s].items.size()); ++i)
            m_itemIndex.insert(m_shops[s].items[i].numIid, qMakePair(s, i));
}

void ShopModel::clear()
{
    m_shops.clear();
    m_itemIndex.clear();
}

QByteArray ShopModel::toJson() const
{
    QJsonArray shops;
    for (const Shop &shop : m_shops) {
        QJsonArray items;
        for (const Item &it : shop.items) {
            QJsonArray skus;
            for (const Sku &s : it.skus) {
                skus.append(QJsonObject{{QStringLiteral("sku_id"), QString::number(s.skuId)},
                                        {QStringLiteral("properties"), s.properties},
                                        {QStringLiteral("properties_name"), s.propertiesName},
                                        {QStringLiteral("quantity"), s.quantity},
                                        {QStringLiteral("price"), priceText(s.priceCents)},
                                        {QStringLiteral("outer_id"), s.outerId}});
            }
            QJsonObject io{{QStringLiteral("num_iid"), QString::number(it.numIid)},
                           {QStringLiteral("title"), it.title},
                           {QStringLiteral("outer_id"), it.outerId},
                           {QStringLiteral("props_name"), it.propsName},
                           {QStringLiteral("property_alias"), it.propertyAlias},
                           {QStringLiteral("price"), priceText(it.priceCents)},
                           {QStringLiteral("num"), it.num},
                           {QStringLiteral("approve_status"), it.approveStatus},
                           {QStringLiteral("is_fenxiao"), it.isFenxiao},
                           {QStringLiteral("list_time"), timeText(it.listTime)},
                           {QStringLiteral("delist_time"), timeText(it.delistTime)},
                           {QStringLiteral("valid_thru"), it.validThru},
                           {QStringLiteral("has_showcase"), it.hasShowcase},
                           {QStringLiteral("seller_cids"), it.sellerCids}};
            if (!skus.isEmpty())
                io.insert(QStringLiteral("skus"), skus);
            items.append(io);
        }
        QJsonObject so{
            {QStringLiteral("nick"), shop.nick},
            {QStringLiteral("password"), shop.password},
            {QStringLiteral("type"), shop.tmall ? QStringLiteral("tmall") : QStringLiteral("taobao")},
            {QStringLiteral("session"), shop.session},
            {QStringLiteral("price_authorized"), shop.priceAuthorized},
            {QStringLiteral("authorized_apps"), QJsonArray::fromStringList(shop.authorizedApps)},
            {QStringLiteral("forbidden_apps"), QJsonArray::fromStringList(shop.forbiddenApps)},
            {QStringLiteral("captcha"), shop.captcha},
            {QStringLiteral("phone_check"), shop.phoneCheck},
            {QStringLiteral("items"), items}};
        if (!shop.searchStyle.isEmpty())
            so.insert(QStringLiteral("search_pages"),
                      QJsonObject{{QStringLiteral("style"), shop.searchStyle},
                                  {QStringLiteral("page_size"), shop.searchPageSize},
                                  {QStringLiteral("pages_shown"), shop.searchPagesShown}});
        shops.append(so);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("shops"), shops}}).toJson(QJsonDocument::Indented);
}

Shop *ShopModel::shopByNick(const QString &nick)
{
    for (Shop &s : m_shops)
        if (s.nick == nick)
            return &s;
    return nullptr;
}

const Shop *ShopModel::shopByNick(const QString &nick) const
{
    return const_cast<ShopModel *>(this)->shopByNick(nick);
}

Shop *ShopModel::shopBySession(const QString &session)
{
    if (session.isEmpty())
        return nullptr;
    for (Shop &s : m_shops)
        if (s.session == session || s.webSessions.contains(session))
            return &s;
    return nullptr;
}

Item *ShopModel::item(qint64 numIid)
{
    const auto it = m_itemIndex.constFind(numIid);
    if (it == m_itemIndex.constEnd())
        return nullptr;
    return &m_shops[it->first].items[it->second];
}

const Item *ShopModel::item(qint64 numIid) const
{
    return const_cast<ShopModel *>(this)->item(numIid);
}

// ---------------------------------------------------------------- generator

bool GenerateOptions::parse(const QString &text, GenerateOptions *out, QString *error)
{
    GenerateOptions o;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        const QString key = part.left(eq).trimmed();
        bool ok = eq > 0;
        const qint64 v = ok ? part.mid(eq + 1).trimmed().toLongLong(&ok) : 0;
        if (!ok || v < 0) {
            if (error)
                *error = QStringLiteral("bad generator option: ") + part;
            return false;
        }
        if (key == QStringLiteral("shops") && v >= 1 && v <= 50)
            o.shops = int(v);
        else if (key == QStringLiteral("items") && v <= 200000)
            o.items = int(v);
        else if (key == QStringLiteral("skus") && v <= 100)
            o.skus = int(v);
        else if (key == QStringLiteral("seed"))
            o.seed = quint64(v);
        else {
            if (error)
                *error = QStringLiteral("bad generator option: ") + part;
            return false;
        }
    }
    *out = o;
    return true;
}

namespace {

// splitmix64: the same numbers on every machine for the same seed.
struct Rng
{
    quint64 state;
    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
};

} // namespace

void ShopModel::generate(const GenerateOptions &o)
{
    static const char *const colours[] = {"黑色", "白色", "红色", "蓝色", "灰色", "粉色", "绿色", "黄色"};
    static const int colourIds[] = {28341, 28320, 28326, 28338, 28334, 3232480, 28335, 28324};
    static const char *const sizes[] = {"S", "M", "L", "XL", "XXL", "XXXL"};
    static const int sizeIds[] = {28314, 28315, 28316, 28317, 28318, 28319};
    Rng rng{o.seed};
    const QDateTime base(QDate(2026, 1, 5), QTime(9, 0, 0));
    const int first = int(m_shops.size());
    for (int s = 0; s < o.shops; ++s) {
        Shop shop;
        const int n = first + s + 1;
        shop.nick = QStringLiteral("gen_shop_") + QString::number(n);
        shop.password = QStringLiteral("taobao1234");
        shop.session = QStringLiteral("gen-session-") + QString::number(n);
        shop.tmall = (s % 2) == 1;
        shop.items.reserve(size_t(o.items));
        for (int i = 0; i < o.items; ++i) {
            Item it;
            it.numIid = 700000000000LL + qint64(n) * 1000000LL + i;
            it.nick = shop.nick;
            const QString code = QStringLiteral("G%1").arg(i, 5, 10, QLatin1Char('0'));
            it.outerId = code;
            it.title =
                QStringLiteral("生成商品 ") + code + QStringLiteral(" 款") + QString::number(rng.below(1000));
            it.propsName = QStringLiteral("20000:3275069:品牌:生成;13021751:") + QString::number(i) +
                           QStringLiteral(":货号:") + code;
            it.priceCents = 1000 + rng.below(50000);
            it.approveStatus = rng.below(10) == 0 ? QStringLiteral("instock") : QStringLiteral("onsale");
            it.listTime = base.addSecs(qint64(rng.below(7 * 24 * 60)) * 60);
            it.delistTime = it.listTime.addDays(7);
            it.validThru = 7;
            it.sellerCids = QStringLiteral(",") + QString::number(1000 + rng.below(20)) + QStringLiteral(",");
            it.num = rng.below(200);
            for (int k = 0; k < o.skus; ++k) {
                Sku sku;
                const int c = k / 6 % 8, z = k % 6;
                sku.skuId = it.numIid * 100 + k;
                sku.properties = QStringLiteral("1627207:%1;20509:%2").arg(colourIds[c]).arg(sizeIds[z]);
                sku.propertiesName = QStringLiteral("1627207:%1:颜色分类:%2;20509:%3:尺码:%4")
                                         .arg(colourIds[c])
                                         .arg(QString::fromUtf8(colours[c]))
                                         .arg(sizeIds[z])
                                         .arg(QLatin1String(sizes[z]));
                sku.quantity = rng.below(100);
                sku.priceCents = it.priceCents;
                sku.outerId = code + QLatin1Char('-') + QString::number(k + 1);
                it.skus.append(sku);
            }
            it.recount();
            shop.items.push_back(std::move(it));
        }
        m_shops.push_back(std::move(shop));
    }
    rebuildIndex();
}

} // namespace topsandbox
