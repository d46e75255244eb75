#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

// Replies of the item methods, flattened into lines and cut into items and SKUs.

// Separator lines of the flattened response: the name followed by 54 "-".
QString ItemSeparator();
QString SkuSeparator();

// The flattened response: one line per node of a depth-first walk, a
// separator for every "item" and "sku" node, "<name>=value" for the others
// (attributes count as child nodes named after the attribute); no line for
// the text nodes and for items_list_get_response, items, list and skus.
// Empty for a text that is not XML.
QStringList XmlToLines(const QString &reply);
QStringList XmlToLines(const QByteArray &utf8Reply);

// The pieces before, between and after the separators (n separators give
// n+1 pieces); at most limit cuts when limit is positive.
QStringList SplitText(const QString &text, const QString &separator, int limit = 99999);

// 1-based position of the n-th occurrence of ch in text; 0 when there are fewer.
qsizetype PosOfNth(int n, QChar ch, QStringView text);
// Occurrences of sub in text (non-overlapping).
qsizetype CountOf(QStringView sub, QStringView text);

struct SkuRecord
{
    QString outerId; // stored as outer_id_sku
    QString price;
    QString properties; // stored as sku_properties
    QString propertiesName;
    QString quantity; // stored as num
    QString skuId;
    QString color;
    QString sku; // the size text
};

struct ItemRecord
{
    QString nick;
    QString approveStatus;
    QString num;
    QString numIid;
    QString outerId;
    QString propertyAlias;
    QString price;
    QString title;
    QString propsName;
    QString oldcode;                        // the article number (货号)
    QString isFenxiao;                      // "0" when missing or empty
    QList<QPair<QString, QString>> aliases; // property-id:value-id -> the seller's name
    QList<SkuRecord> skus;
};

// The alias table of a property_alias text, in its order.
QList<QPair<QString, QString>> AliasTable(const QString &propertyAlias);
// The article number: the text after "货号:" in props_name up to the next ";".
QString ArticleNumber(const QString &propsName);
// The colour of a SKU by the item's alias table and the colour labels.
QString SkuColor(const QString &propertiesName, const QList<QPair<QString, QString>> &aliases);
// The size text: the last property (name:value) with easySku, else the whole text.
QString SkuSize(const QString &propertiesName, bool easySku);

// Whether a text is a reply of the platform at all: a well-formed XML
// document with one root element whose name ends in "_response" (an
// error_response too). An HTML page, JSON, an empty or a cut-off body is not.
bool IsPlatformReply(const QString &reply);
bool IsPlatformReply(const QByteArray &utf8Reply);

// Decodes the items of a reply, in reply order; each record goes to each as
// soon as it is decoded. Item fields come from the item element's own
// children, SKU fields from each sku element of its skus element, whatever
// the order of the elements. False, with no record, for a text that is not a
// reply of the platform (see IsPlatformReply); a reply without items is
// true and gives none.
bool DecodeItems(const QString &reply, bool easySku, const std::function<void(const ItemRecord &)> &each);
// The same from a reply's bytes as they came (decoded and cleaned as the
// reply intake does, see DecodeReplyBody); false when they cannot be read.
bool DecodeItems(const QByteArray &replyBytes, bool easySku,
                 const std::function<void(const ItemRecord &)> &each);
QList<ItemRecord> DecodeItems(const QString &reply, bool easySku);
