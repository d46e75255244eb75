#include "ReplyXml.h"

#include <QHash>
#include <QStringList>

namespace topsandbox {

namespace {

const char xmlHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>";

} // namespace

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

Xml::Xml()
{
    out.reserve(4096);
    out += xmlHead;
}

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

void writeSku(Xml &x, const Sku &s, quint32 f, const QDateTime *modified, qint64 numIid)
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

void itemHead(Xml &x, const Item &it, const QDateTime &modified)
{
    x.open("item");
    x.text("modified", timeText(modified));
    x.number("num_iid", it.numIid);
}

QString errorText(int code)
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

QByteArray errorXml(int code, const QString &msg, const QString &subCode, const QString &subMsg)
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

GatewayReply fail(int code, const QString &msg, const QString &subCode, const QString &subMsg)
{
    GatewayReply r;
    r.errorCode = code;
    r.subCode = subCode;
    r.xml = errorXml(code, msg, subCode, subMsg);
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

} // namespace topsandbox
