#include "top/TopClient.h"
#include "top/PlatformMessages.h"

#include "base/Clock.h"
#include "base/TextRoutines.h"
#include "top/ItemDecoding.h"
#include "top/ReplyText.h"
#include "top/WinHTTP.h"

#include <QCryptographicHash>
#include <QUrl>

#include <algorithm>

QStringView GetBetween(QStringView text, QStringView startMarker, QStringView endMarker)
{
    if (startMarker.isEmpty() || endMarker.isEmpty())
        return {};
    const qsizetype s = text.indexOf(startMarker);
    if (s < 0)
        return {};
    const qsizetype from = s + startMarker.size();
    const qsizetype e = text.indexOf(endMarker, from);
    if (e <= from)
        return {};
    return text.mid(from, e - from);
}

QString GetBetween(const QString &text, const QString &startMarker, const QString &endMarker)
{
    return GetBetween(QStringView(text), QStringView(startMarker), QStringView(endMarker)).toString();
}

namespace {

// Each line with the "=" between key and value taken out, all run together.
QString signingText(const QStringList &lines)
{
    QString out;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            out += line;
        else
            out += QStringView(line).left(eq) + QStringView(line).mid(eq + 1);
    }
    return out;
}

QString md5Upper(const QString &text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex().toUpper());
}

QString prefix(const char16_t *head)
{
    return QString::fromUtf16(head) + QStringLiteral("\r\n错误原因: ");
}

} // namespace

QString GetSign(const QString &parameterText, const QString &secret)
{
    QString text = parameterText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return md5Upper(secret + signingText(lines) + secret);
}

void TopParams::add(const QString &key, const QString &value)
{
    m_lines.append(key + QLatin1Char('=') + value);
}

void TopParams::sort()
{
    std::stable_sort(m_lines.begin(), m_lines.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}

QString TopParams::text() const
{
    return m_lines.join(QStringLiteral("\r\n"));
}

QString TopParams::sign(const QString &secret) const
{
    // Signed from the lines themselves, so that a value holding a line break keeps it.
    return md5Upper(secret + signingText(m_lines) + secret);
}

QByteArray TopParams::body(const QString &secret) const
{
    QByteArray out;
    for (const QString &line : m_lines) {
        if (!out.isEmpty())
            out += '&';
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            out += QUrl::toPercentEncoding(line);
            continue;
        }
        out += QUrl::toPercentEncoding(line.left(eq));
        out += '=';
        out += QUrl::toPercentEncoding(line.mid(eq + 1));
    }
    out += "&sign=";
    out += sign(secret).toLatin1();
    return out;
}

QString ErrorReplyText(const QString &reply)
{
    const QString msg = GetBetween(reply, QStringLiteral("<msg>"), QStringLiteral("</msg>"));
    const QString subCode = GetBetween(reply, QStringLiteral("<sub_code>"), QStringLiteral("</sub_code>"));
    const QString subMsg = GetBetween(reply, QStringLiteral("<sub_msg>"), QStringLiteral("</sub_msg>"));
    return msg + QLatin1Char(',') + subCode + QLatin1Char(',') + subMsg;
}

QString UnreadableReplyText()
{
    return QStringLiteral("返回的数据无法识别(不是开放平台的XML应答)");
}

namespace TopErrorPrefix {
QString download()
{
    return prefix(u"下载失败.");
}
QString targetDownload()
{
    return prefix(u"下载目标店铺数据失败.");
}
QString listTimeUpload()
{
    return prefix(u"上传计划上架时间朱败.");
}
QString quantityUpload()
{
    return prefix(u"上传库存失败.");
}
QString priceUpload()
{
    return prefix(u"商品更新价格失败.");
}
QString priceUploadShortAuth()
{
    return prefix(u"商品更新价格失败,更改价格需要淘宝进行短授权，请重新获取短授权.");
}
QString delisting()
{
    return prefix(u"商品下架失败.");
}
QString listing()
{
    return prefix(u"商品上架失败.");
}
QString warehouseListing()
{
    return prefix(u"仓库商品上架失败.");
}
} // namespace TopErrorPrefix

TopClient::TopClient()
    : m_endpoints(TopEndpoints::defaults())
{
}

void TopClient::setAppKey(const QString &key, const QString &secret)
{
    m_appKey = TrimText(key);
    m_secret = TrimText(secret);
}

void TopClient::echo(const QString &text) const
{
    if (m_debug)
        m_debug(text);
}

TopIntake TopClient::intake(const QByteArray &body, const QString &prefix, bool echoReply,
                            const QString &contentType)
{
    const ReplyText text = DecodeReplyBody(body, contentType);
    m_reply += text.text;
    if (echoReply)
        echo(m_reply);
    TopIntake result;
    if (!text.ok) {
        // bytes that are no text in the charset they name: nothing is taken from them
        result.kind = TopIntake::Kind::Unreadable;
        result.errorText = UnreadableReplyText() + QStringLiteral(": ") + text.error;
        result.message = prefix + result.errorText;
    } else if (m_reply.contains(QStringLiteral("<error_response>"))) {
        result.kind = TopIntake::Kind::ErrorReply;
        result.code = GetBetween(m_reply, QStringLiteral("<code>"), QStringLiteral("</code>")).trimmed().toInt();
        result.subCode = GetBetween(m_reply, QStringLiteral("<sub_code>"), QStringLiteral("</sub_code>"));
        result.errorText = ErrorReplyText(m_reply);
        // what it means and what to do, then the platform's own words
        result.message = prefix + PlatformMessages::explain(result.code, result.subCode, result.errorText);
    } else if (!IsPlatformReply(m_reply)) {
        // An HTML page of a proxy, JSON, an empty or cut-off body: nothing
        // the processing step could read, and not a success either.
        result.kind = TopIntake::Kind::Unreadable;
        result.errorText = UnreadableReplyText();
        result.message = prefix + result.errorText;
    }
    return result;
}

QString TopClient::timestampText()
{
    return Clock::now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString TopClient::fieldsF1()
{
    return QStringLiteral("nick,props_name,approve_status,title,num,price,property_alias,outer_id,num_iid,"
                          "sku.sku_id,sku.properties_name,sku.properties,sku.quantity,sku.price,sku.outer_id,"
                          "is_fenxiao");
}

QString TopClient::fieldsF2()
{
    return QStringLiteral(
        "props_name,approve_status,title,num,price,property_alias,outer_id,num_iid,"
        "sku.sku_id,sku.properties_name,sku.properties,sku.quantity,sku.price,sku.outer_id");
}

TopParams TopClient::commonParams(const QString &method) const
{
    TopParams p;
    p.add(QStringLiteral("method"), method);
    p.add(QStringLiteral("timestamp"), timestampText());
    p.add(QStringLiteral("format"), QStringLiteral("xml"));
    p.add(QStringLiteral("app_key"), m_appKey);
    p.add(QStringLiteral("v"), QStringLiteral("2.0"));
    p.add(QStringLiteral("sign_method"), QStringLiteral("md5"));
    return p;
}

bool TopClient::post(const TopParams &params, bool echoBody, TWinHTTP &http)
{
    const QByteArray body = params.body(m_secret);
    if (echoBody)
        echo(QString::fromUtf8(body));
    http.setPOSTData(body);
    return http.Start();
}

bool TopClient::send(const QString &method, const QList<QPair<QString, QString>> &own, Session session,
                     bool echoBody, TWinHTTP &http)
{
    m_reply.clear();
    http.setURL(m_endpoints.gateway);
    http.setReferer(m_endpoints.gatewayRoot());
    TopParams params = commonParams(method);
    for (const auto &kv : own)
        params.add(kv.first, kv.second);
    if (session == Session::Always || (session == Session::WhenHeld && !m_session.isEmpty()))
        params.add(QStringLiteral("session"), m_session);
    params.sort();
    return post(params, echoBody, http);
}

bool TopClient::call(const TopRequest &request, TWinHTTP &http)
{
    const Session session = request.session == TopRequest::Session::Always     ? Session::Always
                            : request.session == TopRequest::Session::WhenHeld ? Session::WhenHeld
                                                                                : Session::Never;
    return send(request.method, request.params, session, false, http);
}

bool TopClient::sendListing(const QString &numIid, const QString &num, TWinHTTP &http)
{
    // num and num_iid share a prefix: these lines keep the order they are added in.
    m_reply.clear();
    http.setURL(m_endpoints.gateway);
    http.setReferer(m_endpoints.gatewayRoot());
    TopParams params;
    params.add(QStringLiteral("app_key"), m_appKey);
    params.add(QStringLiteral("format"), QStringLiteral("xml"));
    params.add(QStringLiteral("method"), QStringLiteral("taobao.item.update.listing"));
    params.add(QStringLiteral("num"), num);
    params.add(QStringLiteral("num_iid"), numIid);
    params.add(QStringLiteral("session"), m_session);
    params.add(QStringLiteral("sign_method"), QStringLiteral("md5"));
    params.add(QStringLiteral("timestamp"), timestampText());
    params.add(QStringLiteral("v"), QStringLiteral("2.0"));
    return post(params, true, http);
}

bool TopClient::taobao_items_list_get(const QString &numIids, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.items.list.get"),
                {{QStringLiteral("fields"), fieldsF1()}, {QStringLiteral("num_iids"), numIids}},
                Session::Never, false, http);
}

bool TopClient::taobao_items_custom_get(const QString &outerId, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.items.custom.get"),
                {{QStringLiteral("outer_id"), outerId}, {QStringLiteral("fields"), fieldsF2()}},
                Session::Always, false, http);
}

bool TopClient::taobao_items_list_get3(const QString &numIids, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.items.list.get"),
                {{QStringLiteral("fields"), fieldsF1()}, {QStringLiteral("num_iids"), numIids}},
                Session::WhenHeld, false, http);
}

bool TopClient::taobao_items_inventory_get(const QString &keyword, const QString &pageNo,
                                           const QString &pageSize, TWinHTTP &http)
{
    QList<QPair<QString, QString>> own{
        {QStringLiteral("fields"),
         QStringLiteral("seller_cids,nick,approve_status,title,num,price,outer_id,num_iid,"
                        "list_time,delist_time,valid_thru,has_showcase")},
        {QStringLiteral("page_no"), pageNo},
        {QStringLiteral("page_size"), pageSize}};
    const QString q = TrimText(keyword);
    if (!q.isEmpty())
        own.append({QStringLiteral("q"), q});
    return send(QStringLiteral("taobao.items.inventory.get"), own, Session::WhenHeld, false, http);
}

bool TopClient::taobao_item_update(const QString &numIid, const QString &listTime, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.item.update"),
                {{QStringLiteral("num_iid"), numIid}, {QStringLiteral("list_time"), listTime}},
                Session::Always, false, http);
}

bool TopClient::taobao_item_quantity_update(const QString &numIid, const QString &quantity,
                                            const QString &type, const QString &skuId, TWinHTTP &http)
{
    QList<QPair<QString, QString>> own{{QStringLiteral("num_iid"), numIid},
                                       {QStringLiteral("quantity"), quantity},
                                       {QStringLiteral("type"), type}};
    if (!skuId.isEmpty())
        own.append({QStringLiteral("sku_id"), skuId});
    return send(QStringLiteral("taobao.item.quantity.update"), own, Session::Always, true, http);
}

bool TopClient::taobao_item_sku_price_update(const QString &numIid, const QString &price,
                                             const QString &properties, const QString &itemPrice,
                                             TWinHTTP &http)
{
    QList<QPair<QString, QString>> own{{QStringLiteral("num_iid"), numIid}, {QStringLiteral("price"), price}};
    if (properties.isEmpty())
        return send(QStringLiteral("taobao.item.price.update"), own, Session::Always, true, http);
    own.append({QStringLiteral("properties"), properties});
    if (!itemPrice.isEmpty())
        own.append({QStringLiteral("item_price"), itemPrice});
    return send(QStringLiteral("taobao.item.sku.price.update"), own, Session::Always, true, http);
}

bool TopClient::taobao_item_update_delisting(const QString &numIid, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.item.update.delisting"), {{QStringLiteral("num_iid"), numIid}},
                Session::Always, false, http);
}

bool TopClient::taobao_item_update_listing(const QString &numIid, const QString &num, TWinHTTP &http)
{
    return sendListing(numIid, num, http);
}

bool TopClient::taobao_item_update_listing2(const QString &numIid, const QString &num, TWinHTTP &http)
{
    return sendListing(numIid, num, http);
}

bool TopClient::taobao_items_onsale_get(const QString &pageNo, TWinHTTP &http)
{
    return send(QStringLiteral("taobao.items.onsale.get"),
                {{QStringLiteral("fields"), QStringLiteral("nick,approve_status,title,outer_id,num_iid")},
                 {QStringLiteral("page_no"), pageNo},
                 {QStringLiteral("page_size"), QStringLiteral("200")}},
                Session::WhenHeld, false, http);
}
