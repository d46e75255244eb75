// taobao.item.skus.get on the stand-in: the SKUs of up to 40 items by id,
// no session needed. The reply has the platform's form:
// item_skus_get_response → skus (list="true") → sku, each SKU's elements in
// alphabetical order, only those the fields ask for. Ids of items that do not
// exist, and items without SKUs, add nothing.
#include "Gateway.h"

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

// An item id is a Number of the platform: a positive signed 64-bit integer.
bool itemId(const QString &text, qint64 *id)
{
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

GatewayReply refuse(int code, const QString &msg)
{
    GatewayReply r;
    r.errorCode = code;
    r.xml = Gateway::errorXml(code, msg);
    return r;
}

} // namespace

GatewayReply ItemSkusGet(ShopModel &model, const QHash<QString, QString> &params)
{
    const QString fieldText = params.value(QStringLiteral("fields"));
    if (fieldText.isEmpty())
        return refuse(40, QStringLiteral("Missing required arguments:fields"));
    const QString idText = params.value(QStringLiteral("num_iids"));
    if (idText.isEmpty())
        return refuse(40, QStringLiteral("Missing required arguments:num_iids"));
    const QStringList ids = idText.split(QLatin1Char(','), Qt::SkipEmptyParts);
    QList<qint64> wanted;
    for (const QString &t : ids) {
        qint64 id = 0;
        if (!itemId(t, &id))
            return refuse(41, QStringLiteral("Invalid arguments:num_iids"));
        wanted.append(id);
    }
    if (wanted.isEmpty() || wanted.size() > 40)
        return refuse(41, QStringLiteral("Invalid arguments:num_iids"));
    QSet<QString> fields;
    for (const QString &f : fieldText.split(QLatin1Char(','), Qt::SkipEmptyParts))
        fields.insert(f.trimmed());

    GatewayReply r;
    r.xml = "<?xml version=\"1.0\" encoding=\"utf-8\" ?><item_skus_get_response>";
    bool any = false;
    for (qint64 id : wanted) {
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

} // namespace topsandbox
