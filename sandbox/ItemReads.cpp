// The platform's item reads: items by id, by merchant code, the shop's items
// on sale or in the warehouse page by page, and the SKUs of items by id.
#include "GatewayMethods.h"

#include <limits>

namespace topsandbox {

namespace {

GatewayReply itemsListGet(MethodCall &c)
{
    RequestParams &p = c.params;
    const auto f = p.fields("fields");
    const auto ids = p.idList("num_iids", 20);
    if (p.failed())
        return p.failure();
    Xml x;
    x.open("items_list_get_response");
    bool any = false;
    for (qint64 id : *ids) {
        const Item *it = c.model.item(id);
        if (!it)
            continue; // ids that do not exist are left out, as the platform does
        if (!any)
            x.openList("items");
        any = true;
        writeItem(x, *it, *f);
    }
    if (any)
        x.close("items");
    x.close("items_list_get_response");
    return ok(std::move(x.out));
}

GatewayReply itemsCustomGet(MethodCall &c)
{
    RequestParams &p = c.params;
    // A missing outer_id is told before missing fields, too many codes after both.
    p.text("outer_id");
    const auto f = p.fields("fields");
    const auto codes = p.textSet("outer_id", 50);
    if (p.failed())
        return p.failure();
    Xml x;
    x.open("items_custom_get_response");
    bool any = false;
    for (const Item &it : c.shop->items) {
        if (!codes->contains(it.outerId))
            continue;
        if (!any)
            x.openList("items");
        any = true;
        writeItem(x, it, *f);
    }
    if (any)
        x.close("items");
    x.close("items_custom_get_response");
    return ok(std::move(x.out));
}

GatewayReply itemsPagedGet(MethodCall &c, bool onsale)
{
    RequestParams &p = c.params;
    const auto f = p.fields("fields");
    const auto pageNo = p.integer("page_no", 1, std::numeric_limits<qint64>::max(), 1);
    const auto pageSize = p.integer("page_size", 1, 200, 40);
    if (p.failed())
        return p.failure();
    const QString q = p.value("q").trimmed();
    const QString status = onsale ? QStringLiteral("onsale") : QStringLiteral("instock");
    // a page far past the end is empty; its first row must not overflow
    const qint64 first = *pageNo - 1 > std::numeric_limits<qint64>::max() / *pageSize
                             ? std::numeric_limits<qint64>::max()
                             : (*pageNo - 1) * *pageSize;
    qint64 total = 0;
    Xml x;
    const char *name = onsale ? "items_onsale_get_response" : "items_inventory_get_response";
    x.open(name);
    bool any = false;
    for (const Item &it : c.shop->items) {
        if (it.approveStatus != status || (!q.isEmpty() && !it.title.contains(q, Qt::CaseInsensitive)))
            continue;
        if (total >= first && total - first < *pageSize) {
            if (!any)
                x.openList("items");
            any = true;
            writeItem(x, it, *f);
        }
        ++total;
    }
    if (any)
        x.close("items");
    x.number("total_results", total);
    x.close(name);
    return ok(std::move(x.out));
}

GatewayReply itemsInventoryGet(MethodCall &c)
{
    return itemsPagedGet(c, false);
}

GatewayReply itemsOnsaleGet(MethodCall &c)
{
    return itemsPagedGet(c, true);
}

// taobao.item.skus.get: the SKUs of up to 40 items, no session needed. Its
// fields name the SKU's own elements (no "sku." prefix); ids of items that do
// not exist, and items without SKUs, add nothing.
GatewayReply itemSkusGet(MethodCall &c)
{
    RequestParams &p = c.params;
    const auto names = p.text("fields");
    const auto ids = p.idList("num_iids", 40);
    if (p.failed())
        return p.failure();
    quint32 f = 0;
    bool withItemId = false;
    for (const QString &name : names->split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        withItemId |= name.trimmed() == QLatin1String("num_iid");
        f |= parseFields(QStringLiteral("sku.") + name.trimmed());
    }
    Xml x;
    x.open("item_skus_get_response");
    bool any = false;
    for (qint64 id : *ids) {
        const Item *it = c.model.item(id);
        if (!it)
            continue;
        for (const Sku &s : it->skus) {
            if (!any)
                x.openList("skus");
            any = true;
            writeSku(x, s, f, nullptr, withItemId ? it->numIid : 0);
        }
    }
    if (any)
        x.close("skus");
    x.close("item_skus_get_response");
    return ok(std::move(x.out));
}

} // namespace

void addItemReads(MethodTable &t)
{
    t.add("taobao.items.list.get", Session::Optional, itemsListGet);
    t.add("taobao.items.custom.get", Session::Required, itemsCustomGet);
    t.add("taobao.items.inventory.get", Session::Required, itemsInventoryGet);
    t.add("taobao.items.onsale.get", Session::Required, itemsOnsaleGet);
    t.add("taobao.item.skus.get", Session::Optional, itemSkusGet);
}

} // namespace topsandbox
