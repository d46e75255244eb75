// The platform's item reads: items by id, by merchant code, and the shop's
// items on sale or in the warehouse page by page.
#include "GatewayMethods.h"

#include <QSet>
#include <QStringList>

namespace topsandbox {

namespace {

GatewayReply itemsListGet(MethodCall &c)
{
    if (!c.params.has("fields"))
        return missing("fields");
    if (!c.params.has("num_iids"))
        return missing("num_iids");
    const QStringList ids = c.params.value("num_iids").split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (ids.isEmpty() || ids.size() > 20)
        return invalid("num_iids");
    QList<qint64> wanted;
    for (const QString &t : ids) {
        qint64 id = 0;
        if (!parseId(t, &id))
            return invalid("num_iids");
        wanted.append(id);
    }
    const quint32 f = parseFields(c.params.value("fields"));
    Xml x;
    x.open("items_list_get_response");
    bool any = false;
    for (qint64 id : wanted) {
        const Item *it = c.model.item(id);
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

GatewayReply itemsCustomGet(MethodCall &c)
{
    if (!c.params.has("outer_id"))
        return missing("outer_id");
    if (!c.params.has("fields"))
        return missing("fields");
    QSet<QString> codes;
    for (const QString &code : c.params.value("outer_id").split(QLatin1Char(','), Qt::SkipEmptyParts))
        codes.insert(code.trimmed());
    if (codes.size() > 50)
        return invalid("outer_id");
    const quint32 f = parseFields(c.params.value("fields"));
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

GatewayReply itemsPagedGet(MethodCall &c, bool onsale)
{
    if (!c.params.has("fields"))
        return missing("fields");
    qint64 pageNo = 1, pageSize = 40;
    if (c.params.has("page_no") && (!parseInt(c.params.value("page_no"), &pageNo) || pageNo < 1))
        return invalid("page_no");
    if (c.params.has("page_size") && (!parseInt(c.params.value("page_size"), &pageSize) || pageSize < 1 || pageSize > 200))
        return invalid("page_size");
    const QString q = c.params.value("q").trimmed();
    const QString status = onsale ? QStringLiteral("onsale") : QStringLiteral("instock");
    const quint32 f = parseFields(c.params.value("fields"));
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
