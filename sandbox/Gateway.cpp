#include "Gateway.h"
#include "ItemRules.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace topsandbox {

namespace {

const char xmlHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";

void appendEscaped(QByteArray &out, const QString &text)
{
    const QByteArray u = text.toUtf8();
    for (char c : u) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

// A small writer for the platform's reply form.
struct Xml
{
    QByteArray out;
    Xml()
    {
        out.reserve(4096);
        out += xmlHead;
    }
    void open(const char *name)
    {
        out += '<';
        out += name;
        out += '>';
    }
    void openList(const char *name)
    {
        out += '<';
        out += name;
        out += " list=\"true\">";
    }
    void close(const char *name)
    {
        out += "</";
        out += name;
        out += '>';
    }
    void text(const char *name, const QString &value)
    {
        open(name);
        appendEscaped(out, value);
        close(name);
    }
    void number(const char *name, qint64 value) { text(name, QString::number(value)); }
};

// Item fields in alphabetical order of their names: the order of the reply.
enum ItemField : quint32 {
    FApproveStatus = 1u << 0,
    FDelistTime = 1u << 1,
    FHasShowcase = 1u << 2,
    FIsFenxiao = 1u << 3,
    FListTime = 1u << 4,
    FNick = 1u << 5,
    FNum = 1u << 6,
    FNumIid = 1u << 7,
    FOuterId = 1u << 8,
    FPrice = 1u << 9,
    FPropertyAlias = 1u << 10,
    FPropsName = 1u << 11,
    FSellerCids = 1u << 12,
    FTitle = 1u << 13,
    FValidThru = 1u << 14,
    // SKU fields
    SOuterId = 1u << 16,
    SPrice = 1u << 17,
    SProperties = 1u << 18,
    SPropertiesName = 1u << 19,
    SQuantity = 1u << 20,
    SSkuId = 1u << 21,
    SAll = SOuterId | SPrice | SProperties | SPropertiesName | SQuantity | SSkuId,
};

quint32 parseFields(const QString &fields)
{
    static const QHash<QString, quint32> names = {
        {QStringLiteral("approve_status"), FApproveStatus},
        {QStringLiteral("delist_time"), FDelistTime},
        {QStringLiteral("has_showcase"), FHasShowcase},
        {QStringLiteral("is_fenxiao"), FIsFenxiao},
        {QStringLiteral("list_time"), FListTime},
        {QStringLiteral("nick"), FNick},
        {QStringLiteral("num"), FNum},
        {QStringLiteral("num_iid"), FNumIid},
        {QStringLiteral("outer_id"), FOuterId},
        {QStringLiteral("price"), FPrice},
        {QStringLiteral("property_alias"), FPropertyAlias},
        {QStringLiteral("props_name"), FPropsName},
        {QStringLiteral("seller_cids"), FSellerCids},
        {QStringLiteral("title"), FTitle},
        {QStringLiteral("valid_thru"), FValidThru},
        {QStringLiteral("sku"), SAll},
        {QStringLiteral("sku.outer_id"), SOuterId},
        {QStringLiteral("sku.price"), SPrice},
        {QStringLiteral("sku.properties"), SProperties},
        {QStringLiteral("sku.properties_name"), SPropertiesName},
        {QStringLiteral("sku.quantity"), SQuantity},
        {QStringLiteral("sku.sku_id"), SSkuId},
    };
    quint32 mask = 0;
    for (const QString &f : fields.split(QLatin1Char(','), Qt::SkipEmptyParts))
        mask |= names.value(f.trimmed(), 0);
    return mask;
}

void writeSku(Xml &x, const Sku &s, quint32 f, const QDateTime *modified = nullptr, qint64 numIid = 0)
{
    x.open("sku");
    if (modified)
        x.text("modified", timeText(*modified));
    if (numIid)
        x.number("num_iid", numIid);
    if ((f & SOuterId) && !s.outerId.isEmpty())
        x.text("outer_id", s.outerId);
    if (f & SPrice)
        x.text("price", priceText(s.priceCents));
    if (f & SProperties)
        x.text("properties", s.properties);
    if ((f & SPropertiesName) && !s.propertiesName.isEmpty())
        x.text("properties_name", s.propertiesName);
    if (f & SQuantity)
        x.number("quantity", s.quantity);
    if (f & SSkuId)
        x.number("sku_id", s.skuId);
    x.close("sku");
}

void writeItem(Xml &x, const Item &it, quint32 f)
{
    x.open("item");
    if (f & FApproveStatus)
        x.text("approve_status", it.approveStatus);
    if ((f & FDelistTime) && it.delistTime.isValid())
        x.text("delist_time", timeText(it.delistTime));
    if (f & FHasShowcase)
        x.text("has_showcase", it.hasShowcase ? QStringLiteral("true") : QStringLiteral("false"));
    if (f & FIsFenxiao)
        x.number("is_fenxiao", it.isFenxiao);
    if ((f & FListTime) && it.listTime.isValid())
        x.text("list_time", timeText(it.listTime));
    if (f & FNick)
        x.text("nick", it.nick);
    if (f & FNum)
        x.number("num", it.num);
    if (f & FNumIid)
        x.number("num_iid", it.numIid);
    if ((f & FOuterId) && !it.outerId.isEmpty())
        x.text("outer_id", it.outerId);
    if (f & FPrice)
        x.text("price", priceText(it.priceCents));
    if ((f & FPropertyAlias) && !it.propertyAlias.isEmpty())
        x.text("property_alias", it.propertyAlias);
    if ((f & FPropsName) && !it.propsName.isEmpty())
        x.text("props_name", it.propsName);
    if ((f & FSellerCids) && !it.sellerCids.isEmpty())
        x.text("seller_cids", it.sellerCids);
    if ((f & SAll) && !it.skus.isEmpty()) {
        x.openList("skus");
        for (const Sku &s : it.skus)
            writeSku(x, s, f);
        x.close("skus");
    }
    if (f & FTitle)
        x.text("title", it.title);
    if (f & FValidThru)
        x.number("valid_thru", it.validThru);
    x.close("item");
}

bool parseId(const QString &text, qint64 *id)
{
    // An item id is a Number of the platform: a positive signed 64-bit
    // integer, so up to 19 digits (at most 9223372036854775807).
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 19)
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    *id = t.toLongLong(&ok);
    return ok && *id > 0;
}

bool parseInt(const QString &text, qint64 *v)
{
    bool ok = false;
    const QString t = text.trimmed();
    *v = t.toLongLong(&ok);
    return ok && !t.startsWith(QLatin1Char('+'));
}

// A set of "pid:vid" pairs, independent of their order.
QStringList pairsOf(const QString &properties)
{
    QStringList pairs;
    for (const QString &p : properties.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        pairs.append(p.trimmed());
    pairs.sort();
    return pairs;
}

const QSet<QString> &sessionMethods()
{
    static const QSet<QString> m = {
        QStringLiteral("taobao.items.custom.get"),      QStringLiteral("taobao.items.inventory.get"),
        QStringLiteral("taobao.items.onsale.get"),      QStringLiteral("taobao.item.quantity.update"),
        QStringLiteral("taobao.item.price.update"),     QStringLiteral("taobao.item.sku.price.update"),
        QStringLiteral("taobao.item.update"),           QStringLiteral("taobao.item.update.listing"),
        QStringLiteral("taobao.item.update.delisting"),
    };
    return m;
}

} // namespace

// One call in the making: its parameters by name and the session shop.
struct Gateway::Call
{
    QString method;
    QHash<QString, QString> p;
    Shop *shop = nullptr;
    QString value(const char *name) const { return p.value(QLatin1String(name)); }
    bool has(const char *name) const { return !p.value(QLatin1String(name)).isEmpty(); }
};

Gateway::Gateway(ShopModel &model) : m_model(model) {}

void Gateway::addApp(const QString &key, const QString &secret)
{
    m_apps.insert(key, secret);
}

void Gateway::setRateLimit(int calls, int seconds)
{
    m_rateCalls = std::max(0, calls);
    m_rateSeconds = std::max(1, seconds);
    m_recent.clear();
}

bool Gateway::rateLimited(const QString &appKey, int *banSeconds)
{
    if (m_rateCalls <= 0)
        return false;
    const QDateTime t = now();
    std::deque<QDateTime> &q = m_recent[appKey];
    while (!q.empty() && q.front().msecsTo(t) >= qint64(m_rateSeconds) * 1000)
        q.pop_front();
    if (int(q.size()) >= m_rateCalls) {
        const qint64 left = qint64(m_rateSeconds) * 1000 - q.front().msecsTo(t);
        *banSeconds = int(std::max<qint64>(1, (left + 999) / 1000));
        return true;
    }
    q.push_back(t);
    return false;
}

QString Gateway::errorText(int code)
{
    switch (code) {
    case 7:
        return QStringLiteral("App Call Limited");
    case 12:
        return QStringLiteral("Insufficient session permissions");
    case 15:
        return QStringLiteral("Remote service error");
    case 21:
        return QStringLiteral("Missing method");
    case 22:
        return QStringLiteral("Invalid method");
    case 23:
        return QStringLiteral("Invalid format");
    case 24:
        return QStringLiteral("Missing signature");
    case 25:
        return QStringLiteral("Invalid signature");
    case 26:
        return QStringLiteral("Missing session");
    case 27:
        return QStringLiteral("Invalid session");
    case 28:
        return QStringLiteral("Missing app key");
    case 29:
        return QStringLiteral("Invalid app Key");
    case 30:
        return QStringLiteral("Missing timestamp");
    case 31:
        return QStringLiteral("Invalid timestamp");
    case 32:
        return QStringLiteral("Missing version");
    case 33:
        return QStringLiteral("Invalid version");
    case 40:
        return QStringLiteral("Missing required arguments");
    case 41:
        return QStringLiteral("Invalid arguments");
    case 47:
        return QStringLiteral("Invalid encoding");
    default:
        return QStringLiteral("Remote service error");
    }
}

QByteArray Gateway::errorXml(int code, const QString &msg, const QString &subCode, const QString &subMsg)
{
    Xml x;
    x.open("error_response");
    x.number("code", code);
    x.text("msg", msg.isEmpty() ? errorText(code) : msg);
    if (!subCode.isEmpty())
        x.text("sub_code", subCode);
    if (!subMsg.isEmpty())
        x.text("sub_msg", subMsg);
    x.close("error_response");
    return x.out;
}

namespace {

GatewayReply fail(int code, const QString &msg = QString(), const QString &subCode = QString(),
                  const QString &subMsg = QString())
{
    GatewayReply r;
    r.errorCode = code;
    r.subCode = subCode;
    r.xml = Gateway::errorXml(code, msg, subCode, subMsg);
    return r;
}

GatewayReply missing(const char *name)
{
    return fail(40, QStringLiteral("Missing required arguments:") + QLatin1String(name));
}

GatewayReply invalid(const char *name)
{
    return fail(41, QStringLiteral("Invalid arguments:") + QLatin1String(name));
}

GatewayReply business(const QString &subCode, const QString &subMsg)
{
    return fail(15, QString(), subCode, subMsg);
}

GatewayReply ok(QByteArray xml)
{
    GatewayReply r;
    r.xml = std::move(xml);
    return r;
}

} // namespace

GatewayReply Gateway::handle(const Params &params, bool utf8Ok)
{
    if (!utf8Ok)
        return fail(47);
    Call c;
    for (const auto &kv : params) {
        if (kv.second.isEmpty())
            continue; // an empty value counts as not sent, as in the signature
        if (c.p.contains(kv.first)) {
            GatewayReply r = invalid(kv.first.toUtf8().constData());
            return r;
        }
        c.p.insert(kv.first, kv.second);
    }
    c.method = c.value("method");
    if (c.method.isEmpty())
        return fail(21);
    const QString appKey = c.value("app_key");
    if (appKey.isEmpty())
        return fail(28);
    const auto app = m_apps.constFind(appKey);
    if (app == m_apps.constEnd())
        return fail(29);
    const QString sign = c.value("sign");
    const bool signOk = !sign.isEmpty() && topSignature(params, app.value()) == sign;
    GatewayReply r;
    int ban = 0;
    if (rateLimited(appKey, &ban))
        r = fail(7, QString(), QStringLiteral("accesscontrol.limited-by-app-api-access-count"),
                 QStringLiteral("This ban will last for ") + QString::number(ban) + QStringLiteral(" more seconds"));
    else if (sign.isEmpty())
        r = fail(24);
    else if (c.value("sign_method") != QStringLiteral("md5") && c.has("sign_method"))
        r = invalid("sign_method");
    else if (!c.has("timestamp"))
        r = fail(30);
    else if (const QDateTime ts = parseTime(c.value("timestamp"));
             !ts.isValid() || std::llabs(ts.secsTo(now())) > 10 * 60)
        r = fail(31);
    else if (!c.has("v"))
        r = fail(32);
    else if (c.value("v") != QStringLiteral("2.0"))
        r = fail(33);
    else if (!signOk)
        r = fail(25);
    else
        r = dispatch(c);
    r.signatureValid = signOk;
    return r;
}

// Methods answered in files of their own.
GatewayReply ItemSkusGet(ShopModel &model, const QHash<QString, QString> &params); // ItemSkus.cpp

GatewayReply Gateway::dispatch(Call &c)
{
    using Handler = GatewayReply (Gateway::*)(Call &);
    static const QHash<QString, Handler> handlers = {
        {QStringLiteral("taobao.items.list.get"), &Gateway::itemsListGet},
        {QStringLiteral("taobao.items.custom.get"), &Gateway::itemsCustomGet},
        {QStringLiteral("taobao.items.inventory.get"), &Gateway::itemsInventoryGet},
        {QStringLiteral("taobao.items.onsale.get"), &Gateway::itemsOnsaleGet},
        {QStringLiteral("taobao.item.quantity.update"), &Gateway::quantityUpdate},
        {QStringLiteral("taobao.item.price.update"), &Gateway::priceUpdate},
        {QStringLiteral("taobao.item.sku.price.update"), &Gateway::skuPriceUpdate},
        {QStringLiteral("taobao.item.update"), &Gateway::itemUpdate},
        {QStringLiteral("taobao.item.update.listing"), &Gateway::listing},
        {QStringLiteral("taobao.item.update.delisting"), &Gateway::delisting},
    };
    const auto h = handlers.constFind(c.method);
    const bool itemSkus = c.method == QStringLiteral("taobao.item.skus.get");
    if (h == handlers.constEnd() && !itemSkus)
        return fail(22);
    if (c.has("format") && c.value("format") != QStringLiteral("xml"))
        return fail(23);
    if (c.has("session")) {
        c.shop = m_model.shopBySession(c.value("session"));
        if (!c.shop)
            return fail(27, QString(), QStringLiteral("invalid-sessionkey"),
                        QStringLiteral("SessionKey非法"));
    } else if (sessionMethods().contains(c.method)) {
        return fail(26);
    }
    if (itemSkus)
        return ItemSkusGet(m_model, c.p);
    return (this->*h.value())(c);
}

// ---------------------------------------------------------------- reads

GatewayReply Gateway::itemsListGet(Call &c)
{
    if (!c.has("fields"))
        return missing("fields");
    if (!c.has("num_iids"))
        return missing("num_iids");
    const QStringList ids = c.value("num_iids").split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (ids.isEmpty() || ids.size() > 20)
        return invalid("num_iids");
    QList<qint64> wanted;
    for (const QString &t : ids) {
        qint64 id = 0;
        if (!parseId(t, &id))
            return invalid("num_iids");
        wanted.append(id);
    }
    const quint32 f = parseFields(c.value("fields"));
    Xml x;
    x.open("items_list_get_response");
    bool any = false;
    for (qint64 id : wanted) {
        const Item *it = m_model.item(id);
        if (!it)
            continue; // ids that do not exist are left out, as the platform does
        if (!any)
            x.openList("items");
        any = true;
        writeItem(x, *it, f);
    }
    if (any)
        x.close("items");
    x.close("items_list_get_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::itemsCustomGet(Call &c)
{
    if (!c.has("outer_id"))
        return missing("outer_id");
    if (!c.has("fields"))
        return missing("fields");
    QSet<QString> codes;
    for (const QString &code : c.value("outer_id").split(QLatin1Char(','), Qt::SkipEmptyParts))
        codes.insert(code.trimmed());
    if (codes.size() > 50)
        return invalid("outer_id");
    const quint32 f = parseFields(c.value("fields"));
    Xml x;
    x.open("items_custom_get_response");
    bool any = false;
    for (const Item &it : c.shop->items) {
        if (!codes.contains(it.outerId))
            continue;
        if (!any)
            x.openList("items");
        any = true;
        writeItem(x, it, f);
    }
    if (any)
        x.close("items");
    x.close("items_custom_get_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::itemsPagedGet(Call &c, bool onsale)
{
    if (!c.has("fields"))
        return missing("fields");
    qint64 pageNo = 1, pageSize = 40;
    if (c.has("page_no") && (!parseInt(c.value("page_no"), &pageNo) || pageNo < 1))
        return invalid("page_no");
    if (c.has("page_size") && (!parseInt(c.value("page_size"), &pageSize) || pageSize < 1 || pageSize > 200))
        return invalid("page_size");
    const QString q = c.value("q").trimmed();
    const QString status = onsale ? QStringLiteral("onsale") : QStringLiteral("instock");
    const quint32 f = parseFields(c.value("fields"));
    const qint64 first = (pageNo - 1) * pageSize;
    qint64 total = 0;
    Xml x;
    const char *name = onsale ? "items_onsale_get_response" : "items_inventory_get_response";
    x.open(name);
    bool any = false;
    for (const Item &it : c.shop->items) {
        if (it.approveStatus != status || (!q.isEmpty() && !it.title.contains(q, Qt::CaseInsensitive)))
            continue;
        if (total >= first && total < first + pageSize) {
            if (!any)
                x.openList("items");
            any = true;
            writeItem(x, it, f);
        }
        ++total;
    }
    if (any)
        x.close("items");
    x.number("total_results", total);
    x.close(name);
    return ok(std::move(x.out));
}

// ---------------------------------------------------------------- updates

namespace {

// Finds the item of an update and checks that it belongs to the session's shop.
GatewayReply findOwnItem(ShopModel &model, const Shop *shop, const QString &numIidText, Item **out)
{
    qint64 id = 0;
    if (numIidText.isEmpty())
        return missing("num_iid");
    if (!parseId(numIidText, &id))
        return invalid("num_iid");
    Item *it = model.item(id);
    if (!it)
        return business(QStringLiteral("isv.item-not-exist:invalid-numIid-or-iid"),
                        QStringLiteral("商品id对应的商品不存在"));
    if (it->nick != shop->nick)
        return business(QStringLiteral("isv.invalid-permission:update-item"),
                        QStringLiteral("不能修改其他卖家的商品"));
    *out = it;
    return {};
}

void itemHead(Xml &x, const Item &it, const QDateTime &modified)
{
    x.open("item");
    x.text("modified", timeText(modified));
    x.number("num_iid", it.numIid);
}

GatewayReply noPricePermission()
{
    return fail(
        12, QString(), QStringLiteral("isv.w2-security-authorize-invalid"),
        QStringLiteral("Insufficient session permissions: changing a price needs the short authorization"));
}

} // namespace

GatewayReply Gateway::quantityUpdate(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    if (!c.has("quantity"))
        return missing("quantity");
    qint64 quantity = 0, type = 1;
    if (!parseInt(c.value("quantity"), &quantity) || std::llabs(quantity) > 999999999)
        return invalid("quantity");
    if (c.has("type") && (!parseInt(c.value("type"), &type) || (type != 1 && type != 2)))
        return invalid("type");
    if (type == 1 && quantity < 0)
        return invalid("quantity");
    Sku *sku = nullptr;
    if (c.has("sku_id")) {
        qint64 skuId = 0;
        if (!parseId(c.value("sku_id"), &skuId))
            return invalid("sku_id");
        sku = it->skuById(skuId);
        if (!sku)
            return business(QStringLiteral("isv.item-quantity-item-update-service-error:IC_SKU_NOT_EXIST"),
                            QStringLiteral("sku_id对应的SKU不存在"));
    } else if (!it->skus.isEmpty()) {
        return business(QStringLiteral("isv.item-quantity-item-update-service-error:IC_SKU_ID_REQUIRED"),
                        QStringLiteral("有SKU的商品必须指定sku_id"));
    }
    const qint64 current = sku ? sku->quantity : it->num;
    const qint64 next = type == 1 ? quantity : current + quantity;
    if (next < 0)
        return business(
            QStringLiteral("isv.item-quantity-item-update-service-error:IC_QUANTITY_LESS_THAN_ZERO"),
            QStringLiteral("更新后的库存不能小于0"));
    if (sku)
        sku->quantity = int(next);
    else
        it->num = int(next);
    it->recount();
    const QDateTime t = now();
    Xml x;
    x.open("item_quantity_update_response");
    x.open("item");
    x.text("modified", timeText(t));
    x.number("num", it->num);
    x.number("num_iid", it->numIid);
    if (sku) {
        x.openList("skus");
        writeSku(x, *sku, SQuantity | SSkuId, &t);
        x.close("skus");
    }
    x.close("item");
    x.close("item_quantity_update_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::priceUpdate(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    if (!c.has("price"))
        return missing("price");
    qint64 cents = 0;
    if (!parsePrice(c.value("price"), &cents) || cents > 10000000000LL)
        return invalid("price");
    if (!c.shop->mayChangePrices(c.value("session")))
        return noPricePermission();
    Item changed = *it;
    changed.priceCents = cents;
    if (RuleBreach b = checkPrices(changed); b.broken())
        return business(b.subCode, b.subMsg);
    it->priceCents = cents;
    Xml x;
    x.open("item_price_update_response");
    itemHead(x, *it, now());
    x.text("price", priceText(it->priceCents));
    x.close("item");
    x.close("item_price_update_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::skuPriceUpdate(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    if (!c.has("properties"))
        return missing("properties");
    qint64 cents = 0, itemCents = 0;
    if (c.has("price") && (!parsePrice(c.value("price"), &cents) || cents > 10000000000LL))
        return invalid("price");
    if (c.has("item_price") && (!parsePrice(c.value("item_price"), &itemCents) || itemCents > 10000000000LL))
        return invalid("item_price");
    if (!c.has("price") && !c.has("quantity") && !c.has("outer_id"))
        return missing("price");
    const QStringList wanted = pairsOf(c.value("properties"));
    int index = -1;
    for (int i = 0; i < it->skus.size(); ++i)
        if (pairsOf(it->skus[i].properties) == wanted)
            index = i;
    if (index < 0)
        return business(QStringLiteral("isv.invalid-parameter:sku-properties"),
                        QStringLiteral("properties对应的SKU不存在"));
    if ((c.has("price") || c.has("item_price")) && !c.shop->mayChangePrices(c.value("session")))
        return noPricePermission();
    Item changed = *it;
    Sku &s = changed.skus[index];
    if (c.has("price"))
        s.priceCents = cents;
    if (c.has("item_price"))
        changed.priceCents = itemCents;
    if (c.has("quantity")) {
        qint64 q = 0;
        if (!parseInt(c.value("quantity"), &q) || q < 0 || q > 999999999)
            return invalid("quantity");
        s.quantity = int(q);
        changed.recount();
    }
    if (c.has("outer_id"))
        s.outerId = c.value("outer_id");
    if (RuleBreach b = checkPrices(changed, c.has("price") ? index : -1); b.broken())
        return business(b.subCode, b.subMsg);
    *it = changed;
    Xml x;
    x.open("item_sku_price_update_response");
    const QDateTime t = now();
    writeSku(x, it->skus[index], SPrice | SProperties | SQuantity | SSkuId, &t, it->numIid);
    x.close("item_sku_price_update_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::itemUpdate(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    QDateTime listTime;
    if (c.has("list_time")) {
        listTime = parseTime(c.value("list_time"));
        if (!listTime.isValid())
            return invalid("list_time");
    }
    if (listTime.isValid()) {
        it->listTime = listTime;
        it->delistTime = listTime.addDays(it->validThru > 0 ? it->validThru : 7);
    }
    Xml x;
    x.open("item_update_response");
    itemHead(x, *it, now());
    x.close("item");
    x.close("item_update_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::listing(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    if (!c.has("num"))
        return missing("num");
    qint64 num = 0;
    if (!parseInt(c.value("num"), &num) || num < 1 || num > 999999999)
        return invalid("num");
    if (RuleBreach b = checkListing(*it, num); b.broken())
        return business(b.subCode, b.subMsg);
    // An item with SKUs keeps the sum of its SKUs; the others take num.
    if (it->skus.isEmpty())
        it->num = int(num);
    const QDateTime t = now();
    it->approveStatus = QStringLiteral("onsale");
    it->listTime = t;
    it->delistTime = t.addDays(it->validThru > 0 ? it->validThru : 7);
    Xml x;
    x.open("item_update_listing_response");
    itemHead(x, *it, t);
    x.close("item");
    x.close("item_update_listing_response");
    return ok(std::move(x.out));
}

GatewayReply Gateway::delisting(Call &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(m_model, c.shop, c.value("num_iid"), &it); e.errorCode)
        return e;
    const QDateTime t = now();
    it->approveStatus = QStringLiteral("instock");
    it->delistTime = t;
    Xml x;
    x.open("item_update_delisting_response");
    itemHead(x, *it, t);
    x.close("item");
    x.close("item_update_delisting_response");
    return ok(std::move(x.out));
}

} // namespace topsandbox
