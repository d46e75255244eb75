// The platform's item updates: quantity, item and SKU prices, the listing
// time, listing and delisting. Each changes only items of the session's shop.
#include "GatewayMethods.h"
#include "ItemRules.h"

#include <QStringList>

namespace topsandbox {

namespace {

// A set of "pid:vid" pairs, independent of their order.
QStringList pairsOf(const QString &properties)
{
    QStringList pairs;
    for (const QString &p : properties.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        pairs.append(p.trimmed());
    pairs.sort();
    return pairs;
}

// Finds the item of an update and checks that it belongs to the session's shop.
GatewayReply findOwnItem(MethodCall &c, Item **out)
{
    const auto id = c.params.id("num_iid");
    if (!id)
        return c.params.failure();
    Item *it = c.model.item(*id);
    if (!it)
        return business(QStringLiteral("isv.item-not-exist:invalid-numIid-or-iid"),
                        QStringLiteral("商品id对应的商品不存在"));
    if (it->nick != c.shop->nick)
        return business(QStringLiteral("isv.invalid-permission:update-item"),
                        QStringLiteral("不能修改其他卖家的商品"));
    *out = it;
    return {};
}

GatewayReply noPricePermission()
{
    return fail(
        12, QString(), QStringLiteral("isv.w2-security-authorize-invalid"),
        QStringLiteral("Insufficient session permissions: changing a price needs the short authorization"));
}

GatewayReply quantityUpdate(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    RequestParams &p = c.params;
    // type 1: the new quantity; type 2: a change to add (negative to take away).
    const auto quantity = p.integer("quantity", -999999999, 999999999);
    const auto type = p.integer("type", 1, 2, 1);
    if (p.failed())
        return p.failure();
    if (*type == 1 && *quantity < 0)
        return invalid("quantity");
    const auto skuId = p.id("sku_id", 0);
    if (!skuId)
        return p.failure();
    Sku *sku = nullptr;
    if (*skuId) {
        sku = it->skuById(*skuId);
        if (!sku)
            return business(QStringLiteral("isv.item-quantity-item-update-service-error:IC_SKU_NOT_EXIST"),
                            QStringLiteral("sku_id对应的SKU不存在"));
    } else if (!it->skus.isEmpty()) {
        return business(QStringLiteral("isv.item-quantity-item-update-service-error:IC_SKU_ID_REQUIRED"),
                        QStringLiteral("有SKU的商品必须指定sku_id"));
    }
    const qint64 current = sku ? sku->quantity : it->num;
    const qint64 next = *type == 1 ? *quantity : current + *quantity;
    if (next < 0)
        return business(
            QStringLiteral("isv.item-quantity-item-update-service-error:IC_QUANTITY_LESS_THAN_ZERO"),
            QStringLiteral("更新后的库存不能小于0"));
    if (sku)
        sku->quantity = int(next);
    else
        it->num = int(next);
    it->recount();
    const QDateTime t = c.now();
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

GatewayReply priceUpdate(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    const auto cents = c.params.money("price");
    if (!cents)
        return c.params.failure();
    if (!c.shop->mayChangePrices(c.params.value("session")))
        return noPricePermission();
    Item changed = *it;
    changed.priceCents = *cents;
    if (RuleBreach b = checkPrices(changed); b.broken())
        return business(b.subCode, b.subMsg);
    it->priceCents = *cents;
    Xml x;
    x.open("item_price_update_response");
    itemHead(x, *it, c.now());
    x.text("price", priceText(it->priceCents));
    x.close("item");
    x.close("item_price_update_response");
    return ok(std::move(x.out));
}

GatewayReply skuPriceUpdate(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    RequestParams &p = c.params;
    const auto properties = p.text("properties");
    const auto cents = p.money("price", 0);
    const auto itemCents = p.money("item_price", 0);
    if (p.failed())
        return p.failure();
    if (!p.has("price") && !p.has("quantity") && !p.has("outer_id"))
        return missing("price");
    const QStringList wanted = pairsOf(*properties);
    int index = -1;
    for (int i = 0; i < it->skus.size(); ++i)
        if (pairsOf(it->skus[i].properties) == wanted)
            index = i;
    if (index < 0)
        return business(QStringLiteral("isv.invalid-parameter:sku-properties"),
                        QStringLiteral("properties对应的SKU不存在"));
    if ((p.has("price") || p.has("item_price")) && !c.shop->mayChangePrices(p.value("session")))
        return noPricePermission();
    Item changed = *it;
    Sku &s = changed.skus[index];
    if (p.has("price"))
        s.priceCents = *cents;
    if (p.has("item_price"))
        changed.priceCents = *itemCents;
    if (p.has("quantity")) {
        const auto q = p.integer("quantity", 0, 999999999);
        if (!q)
            return p.failure();
        s.quantity = int(*q);
        changed.recount();
    }
    if (p.has("outer_id"))
        s.outerId = p.value("outer_id");
    if (RuleBreach b = checkPrices(changed, p.has("price") ? index : -1); b.broken())
        return business(b.subCode, b.subMsg);
    *it = changed;
    Xml x;
    x.open("item_sku_price_update_response");
    const QDateTime t = c.now();
    writeSku(x, it->skus[index], SPrice | SProperties | SQuantity | SSkuId, &t, it->numIid);
    x.close("item_sku_price_update_response");
    return ok(std::move(x.out));
}

GatewayReply itemUpdate(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    const auto listTime = c.params.dateTime("list_time", QDateTime());
    if (!listTime)
        return c.params.failure();
    if (listTime->isValid()) {
        it->listTime = *listTime;
        it->delistTime = listTime->addDays(it->validThru > 0 ? it->validThru : 7);
    }
    Xml x;
    x.open("item_update_response");
    itemHead(x, *it, c.now());
    x.close("item");
    x.close("item_update_response");
    return ok(std::move(x.out));
}

GatewayReply listing(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    const auto num = c.params.integer("num", 1, 999999999);
    if (!num)
        return c.params.failure();
    if (RuleBreach b = checkListing(*it, *num); b.broken())
        return business(b.subCode, b.subMsg);
    // An item with SKUs keeps the sum of its SKUs; the others take num.
    if (it->skus.isEmpty())
        it->num = int(*num);
    const QDateTime t = c.now();
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

GatewayReply delisting(MethodCall &c)
{
    Item *it = nullptr;
    if (GatewayReply e = findOwnItem(c, &it); e.errorCode)
        return e;
    const QDateTime t = c.now();
    it->approveStatus = QStringLiteral("instock");
    it->delistTime = t;
    Xml x;
    x.open("item_update_delisting_response");
    itemHead(x, *it, t);
    x.close("item");
    x.close("item_update_delisting_response");
    return ok(std::move(x.out));
}

} // namespace

void addItemUploads(MethodTable &t)
{
    t.add("taobao.item.quantity.update", Session::Required, quantityUpdate);
    t.add("taobao.item.price.update", Session::Required, priceUpdate);
    t.add("taobao.item.sku.price.update", Session::Required, skuPriceUpdate);
    t.add("taobao.item.update", Session::Required, itemUpdate);
    t.add("taobao.item.update.listing", Session::Required, listing);
    t.add("taobao.item.update.delisting", Session::Required, delisting);
}

} // namespace topsandbox
