#pragma once

#include "top/Endpoints.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class TWinHTTP;

// The text between the first start marker and the first end marker that
// begins after it; empty when either is missing or nothing lies between.
QString GetBetween(const QString &text, const QString &startMarker, const QString &endMarker);
QStringView GetBetween(QStringView text, QStringView startMarker, QStringView endMarker);

// Signature of a sorted parameter text (lines "key=value" joined with line
// breaks): MD5 of secret + key1 value1 key2 value2 ... + secret over UTF-8,
// as 32 upper-case hex digits.
QString GetSign(const QString &parameterText, const QString &secret);

// One request's parameters, one "key=value" line each.
class TopParams
{
public:
    void add(const QString &key, const QString &value);
    const QStringList &lines() const { return m_lines; }
    // Ascending, whole lines compared without regard to letter case.
    void sort();
    // Lines joined with CR LF, the text that is signed.
    QString text() const;
    // Signature over the lines as they stand.
    QString sign(const QString &secret) const;
    // The form body: every line with its value form-encoded, joined by "&",
    // then "&sign=" and the signature. UTF-8.
    QByteArray body(const QString &secret) const;

private:
    QStringList m_lines;
};

// The error text of an "<error_response>" reply: msg,sub_code,sub_msg.
QString ErrorReplyText(const QString &reply);

// The reason shown after a caller's prefix for a body that is no reply of the platform.
QString UnreadableReplyText();

// Error prefixes of the callers; each ends in a line break and "错误原因: ".
namespace TopErrorPrefix {
QString download();             // 下载失败.
QString targetDownload();       // 下载目标店铺数据失败.
QString listTimeUpload();       // 上传计划上架时间朱败.
QString quantityUpload();       // 上传库存失败.
QString priceUpload();          // 商品更新价格失败.
QString priceUploadShortAuth(); // when the error text holds "Insufficient session permissions"
QString delisting();            // 商品下架失败.
QString listing();              // 商品上架失败.
QString warehouseListing();     // 仓库商品上架失败.
} // namespace TopErrorPrefix

// One call of any method as a value: the method, its own parameters, whether
// the session goes with it, and the prefix of its error message. A request
// builder of a method that needs no code of its own returns one of these, and
// TopClient::call() sends it (see PlatformCallJob).
struct TopRequest
{
    enum class Session { Never, WhenHeld, Always };
    QString method;
    QList<QPair<QString, QString>> params;
    Session session = Session::Never;
    QString errorPrefix; // ends in a line break and "错误原因: "
};

// What the reply intake made of a completion event's body. The caller
// decides what to show: message is its prefix followed by the error text.
// Unreadable: the body is not a reply of the platform at all (an HTML page,
// JSON, an empty or cut-off body); errorText then says so.
struct TopIntake
{
    enum class Kind { Ok, ErrorReply, Unreadable };
    Kind kind = Kind::Ok;
    int code = 0;      // <code> of an error reply
    QString subCode;   // <sub_code> of an error reply
    QString errorText; // msg,sub_code,sub_msg of an error reply; the reason of an unreadable one
    QString message;   // the caller's prefix + what the error means (PlatformMessages) + the platform's text
    bool ok() const { return kind == Kind::Ok; }
};

// The open-platform state the main window owns: key pair, session, hosts,
// the one reply buffer and the debug memo, and one request builder per API
// method the program calls. Builders empty the reply buffer, sign the
// request, set URL, Referer and body on the given component and start it
// without waiting; they return what Start() returned.
class TopClient
{
public:
    // Receives the debug echoes; called only while the memo is shown.
    using DebugSink = std::function<void(const QString &)>;

    // Key pair, hosts and session come in as values from the composition
    // root; until then the key is empty and the hosts are the public ones.
    TopClient();

    void setAppKey(const QString &key, const QString &secret);
    QString appKey() const { return m_appKey; }
    void setSessionKey(const QString &session) { m_session = session; }
    QString sessionKey() const { return m_session; }
    void setEndpoints(const TopEndpoints &endpoints) { m_endpoints = endpoints; }
    const TopEndpoints &endpoints() const { return m_endpoints; }
    // An empty sink stands for a hidden memo.
    void setDebugSink(DebugSink sink) { m_debug = std::move(sink); }

    const QString &replyBuffer() const { return m_reply; }
    void clearReplyBuffer() { m_reply.clear(); }

    // Reply intake of a completion event: decodes the body by the charset it
    // names (the Content-Type's, else the XML declaration's; UTF-8 by
    // default; GBK, GB2312 and GB18030 converted), takes out the control
    // characters XML cannot carry, appends the text to the reply buffer and
    // echoes the buffer to the memo (when echo is set). On success the
    // caller's processing step runs on replyBuffer(); an error reply, or a
    // body that is no reply of the platform, comes back with the message the
    // caller shows.
    TopIntake intake(const QByteArray &body, const QString &prefix, bool echo = true,
                     const QString &contentType = QString());

    // The common parameters of a request (method, timestamp from the clock,
    // format, app_key, v, sign_method).
    TopParams commonParams(const QString &method) const;

    // Sends a request given as a value (signed like every builder's, no echo).
    bool call(const TopRequest &request, TWinHTTP &http);

    // The builders, one per method the program calls.
    bool taobao_items_list_get(const QString &numIids, TWinHTTP &http);
    // The window hands in a component created anew for each request (with its
    // completion and error handlers bound), releasing the old one.
    bool taobao_items_custom_get(const QString &outerId, TWinHTTP &http);
    bool taobao_items_list_get3(const QString &numIids, TWinHTTP &http);
    bool taobao_items_inventory_get(const QString &keyword, const QString &pageNo, const QString &pageSize,
                                    TWinHTTP &http);
    bool taobao_item_update(const QString &numIid, const QString &listTime, TWinHTTP &http);
    // type "1" full, "2" incremental; skuId empty for an item without SKUs.
    bool taobao_item_quantity_update(const QString &numIid, const QString &quantity, const QString &type,
                                     const QString &skuId, TWinHTTP &http);
    // Without properties: taobao.item.price.update; with them
    // taobao.item.sku.price.update, plus item_price when itemPrice is not empty.
    bool taobao_item_sku_price_update(const QString &numIid, const QString &price, const QString &properties,
                                      const QString &itemPrice, TWinHTTP &http);
    bool taobao_item_update_delisting(const QString &numIid, TWinHTTP &http);
    bool taobao_item_update_listing(const QString &numIid, const QString &num, TWinHTTP &http);
    bool taobao_item_update_listing2(const QString &numIid, const QString &num, TWinHTTP &http);
    bool taobao_items_onsale_get(const QString &pageNo, TWinHTTP &http);

    // Field lists of the item requests.
    static QString fieldsF1();
    static QString fieldsF2();
    static QString timestampText();

private:
    enum class Session { Never, WhenHeld, Always };
    bool send(const QString &method, const QList<QPair<QString, QString>> &own, Session session, bool echo,
              TWinHTTP &http);
    bool sendListing(const QString &numIid, const QString &num, TWinHTTP &http);
    bool post(const TopParams &params, bool echo, TWinHTTP &http);
    void echo(const QString &text) const;

    QString m_appKey;
    QString m_secret;
    QString m_session;
    TopEndpoints m_endpoints;
    QString m_reply;
    DebugSink m_debug;
};
