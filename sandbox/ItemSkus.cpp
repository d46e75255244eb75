// taobao.item.skus.get on the stand-in: the SKUs of up to 40 items by id,
// no session needed. The reply has the platform's form:
// item_skus_get_response → skus (list="true") → sku, each SKU's elements in
// alphabetical order, only those the fields ask for. Ids of items that do not
// exist, and items without SKUs, add nothing.
#include "GatewayMethods.h"

#include <QSet>

namespace topsandbox {

namespace {

void element(QByteArray &out, const char *name, const QString &value)
{
    out += '<';
    out += name;
    out += '>';
    const QByteArray u = value.toUtf8();
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
    out += "</";
    out += name;
    out += '>';
}

GatewayReply itemSkusGet(MethodCall &c)
{
    RequestParams &p = c.params;
    const std::optional<QString> fieldText = p.text("fields");
    const std::optional<QList<qint64>> wanted = p.idList("num_iids", 40);
    if (p.failed())
        return p.failure();
    ShopModel &model = c.model;
    QSet<QString> fields;
    for (const QString &f : fieldText->split(QLatin1Char(','), Qt::SkipEmptyParts))
        fields.insert(f.trimmed());

    GatewayReply r;
    r.xml = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><item_skus_get_response>";
    bool any = false;
    for (qint64 id : *wanted) {
        const Item *item = model.item(id);
        if (!item)
            continue;
        for (const Sku &s : item->skus) {
            if (!any)
                r.xml += "<skus list=\"true\">";
            any = true;
            r.xml += "<sku>";
            if (fields.contains(QStringLiteral("num_iid")))
                element(r.xml, "num_iid", QString::number(item->numIid));
            if (fields.contains(QStringLiteral("outer_id")) && !s.outerId.isEmpty())
                element(r.xml, "outer_id", s.outerId);
            if (fields.contains(QStringLiteral("price")))
                element(r.xml, "price", priceText(s.priceCents));
            if (fields.contains(QStringLiteral("properties")))
                element(r.xml, "properties", s.properties);
            if (fields.contains(QStringLiteral("properties_name")) && !s.propertiesName.isEmpty())
                element(r.xml, "properties_name", s.propertiesName);
            if (fields.contains(QStringLiteral("quantity")))
                element(r.xml, "quantity", QString::number(s.quantity));
            if (fields.contains(QStringLiteral("sku_id")))
                element(r.xml, "sku_id", QString::number(s.skuId));
            r.xml += "</sku>";
        }
    }
    if (any)
        r.xml += "</skus>";
    r.xml += "</item_skus_get_response>";
    return r;
}

} // namespace

void addItemSkus(MethodTable &t)
{
    t.add("taobao.item.skus.get", Session::Optional, itemSkusGet);
}

} // namespace topsandbox
