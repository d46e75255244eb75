// The platform's item reads: items by id, by merchant code, and the shop's
// items on sale or in the warehouse page by page.
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
    const qint64 first = (*pageNo - 1) * *pageSize;
    qint64 total = 0;
    Xml x;
    const char *name = onsale ? "items_onsale_get_response" : "items_inventory_get_response";
    x.open(name);
    bool any = false;
    for (const Item &it : c.shop->items) {
        if (it.approveStatus != status || (!q.isEmpty() && !it.title.contains(q, Qt::CaseInsensitive)))
            continue;
        if (total >= first && total < first + *pageSize) {
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

} // namespace

void addItemReads(MethodTable &t)
{
    t.add("taobao.items.list.get", Session::Optional, itemsListGet);
    t.add("taobao.items.custom.get", Session::Required, itemsCustomGet);
    t.add("taobao.items.inventory.get", Session::Required, itemsInventoryGet);
    t.add("taobao.items.onsale.get", Session::Required, itemsOnsaleGet);
}

} // namespace topsandbox
