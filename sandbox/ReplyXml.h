#pragma once

#include "SandboxModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace topsandbox {

// The outcome of one call to the gateway.
struct GatewayReply
{
    QByteArray xml;    // the reply body
    int errorCode = 0; // 0 for a method response, else the <code> of the error response
    QString subCode;   // the <sub_code> of an error response
    bool signatureValid = false;
};

// The platform's text for a top-level error code ("Invalid signature" for 25, ...).
QString errorText(int code);
// An <error_response>; an empty msg takes the platform's text for the code.
QByteArray errorXml(int code, const QString &msg, const QString &subCode = QString(),
                    const QString &subMsg = QString());

// The replies a method answers with.
GatewayReply fail(int code, const QString &msg = QString(), const QString &subCode = QString(),
                  const QString &subMsg = QString());
GatewayReply missing(const char *name); // 40 "Missing required arguments:NAME"
GatewayReply invalid(const char *name); // 41 "Invalid arguments:NAME"
GatewayReply business(const QString &subCode, const QString &subMsg); // 15 with a sub_code
GatewayReply ok(QByteArray xml);

void appendEscaped(QByteArray &out, const QString &text);

// A small writer for the platform's reply form.
struct Xml
{
    QByteArray out;
    Xml();
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

// The mask of a "fields" parameter; unknown names are left out.
quint32 parseFields(const QString &fields);

// <sku> with the fields of the mask; modified and num_iid lead when given.
void writeSku(Xml &x, const Sku &s, quint32 f, const QDateTime *modified = nullptr, qint64 numIid = 0);
// <item> with the fields of the mask, its SKUs among them.
void writeItem(Xml &x, const Item &it, quint32 f);
// Opens <item> with modified and num_iid: the head of an update's reply.
void itemHead(Xml &x, const Item &it, const QDateTime &modified);

} // namespace topsandbox
