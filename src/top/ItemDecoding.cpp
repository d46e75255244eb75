#include "top/ItemDecoding.h"

#include "top/ReplyText.h"

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace {

constexpr int kDashes = 54;

bool isSkipped(std::string_view n)
{
    switch (n.size()) {
    case 4:
        return n == "list" || n == "skus";
    case 5:
        return n == "items";
    case 8:
        return n == "CharData";
    case 23:
        return n == "items_list_get_response";
    default:
        return false;
    }
}

// The text value of an element: its text content, references decoded.
void appendTextValue(const pugi::xml_node &node, std::string &out)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
    }
}

// The depth-first walk of the flattening. The sink gets, in document order,
// separator(name) for the "item" and "sku" nodes and line(name, value) for
// every other node that is not skipped; attributes come as child nodes
// before the element's children.
template <typename Sink> class Flattener : public pugi::xml_tree_walker
{
public:
    explicit Flattener(Sink &sink) : m_sink(sink) {}

    void element(const pugi::xml_node &node)
    {
        const std::string_view n(node.name());
        if (!isSkipped(n)) {
            if ((n.size() == 4 && n == "item") || (n.size() == 3 && n == "sku"))
                m_sink.separator(n);
            else
                m_sink.line(n, node);
        }
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view an(a.name());
            if (!isSkipped(an))
                m_sink.line(an, a);
        }
    }

    bool for_each(pugi::xml_node &node) override
    {
        if (node.type() == pugi::node_element)
            element(node);
        return true;
    }

private:
    Sink &m_sink;
};

void appendValue(const pugi::xml_node &node, std::string &out)
{
    appendTextValue(node, out);
}

void appendValue(const pugi::xml_attribute &a, std::string &out)
{
    out += a.value();
}

// One list entry per line.
struct ListSink
{
    QStringList &lines;
    std::string buf;

    void separator(std::string_view name)
    {
        buf.assign(name);
        buf.append(kDashes, '-');
        lines.append(QString::fromUtf8(buf.data(), qsizetype(buf.size())));
    }
    template <typename Node> void line(std::string_view name, const Node &node)
    {
        buf.clear();
        buf += '<';
        buf += name;
        buf += ">=";
        appendValue(node, buf);
        lines.append(QString::fromUtf8(buf.data(), qsizetype(buf.size())));
    }
};

// One root element named "..._response", and no text beside it.
bool holdsPlatformReply(const pugi::xml_document &doc)
{
    pugi::xml_node root;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element) {
            if (root)
                return false;
            root = n;
        } else if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
            return false;
        }
    }
    constexpr std::string_view suffix("_response");
    const std::string_view name(root ? root.name() : "");
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

bool loadReplyInPlace(pugi::xml_document &doc, QByteArray &utf8)
{
    if (utf8.isEmpty())
        return false;
    const pugi::xml_parse_result r =
        doc.load_buffer_inplace(utf8.data(), size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
    return r && doc.document_element();
}

bool loadReply(pugi::xml_document &doc, const QByteArray &utf8)
{
    if (utf8.isEmpty())
        return false;
    const pugi::xml_parse_result r =
        doc.load_buffer(utf8.constData(), size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
    return r && doc.document_element();
}

template <typename Sink> void walk(const pugi::xml_document &doc, Sink &sink)
{
    Flattener<Sink> f(sink);
    pugi::xml_node root = doc.document_element();
    f.element(root);
    root.traverse(f);
}

// The fields of one element: the first occurrence of a name wins.
template <int N> struct Fields
{
    QString value[N];
    bool found[N] = {};

    void take(int i, std::string_view v)
    {
        if (found[i])
            return;
        found[i] = true;
        // a value ends at a CR, as a line of the flattened text does
        v = v.substr(0, v.find('\r'));
        // a character reference may still have brought in a control character
        bool stray = false;
        for (const char c : v)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                stray = true;
                break;
            }
        if (!stray) {
            value[i] = QString::fromUtf8(v.data(), qsizetype(v.size()));
            return;
        }
        std::string clean;
        clean.reserve(v.size());
        for (const char c : v)
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n')
                clean += c;
        value[i] = QString::fromUtf8(clean.data(), qsizetype(clean.size()));
    }
    QString take(int i) { return std::move(value[i]); }
};

enum ItemField {
    INick,
    IApproveStatus,
    INum,
    INumIid,
    IOuterId,
    IPropertyAlias,
    IPrice,
    IPropsName,
    IIsFenxiao,
    ITitle,
    ItemFieldCount
};
enum SkuField { SOuterId, SPrice, SProperties, SPropertiesName, SQuantity, SSkuId, SkuFieldCount };

int itemFieldOf(std::string_view n)
{
    switch (n.size()) {
    case 3:
        return n == "num" ? INum : -1;
    case 4:
        return n == "nick" ? INick : -1;
    case 5:
        return n == "price" ? IPrice : n == "title" ? ITitle : -1;
    case 7:
        return n == "num_iid" ? INumIid : -1;
    case 8:
        return n == "outer_id" ? IOuterId : -1;
    case 10:
        return n == "props_name" ? IPropsName : n == "is_fenxiao" ? IIsFenxiao : -1;
    case 14:
        return n == "approve_status" ? IApproveStatus : n == "property_alias" ? IPropertyAlias : -1;
    default:
        return -1;
    }
}

int skuFieldOf(std::string_view n)
{
    switch (n.size()) {
    case 5:
        return n == "price" ? SPrice : -1;
    case 6:
        return n == "sku_id" ? SSkuId : -1;
    case 8:
        return n == "outer_id" ? SOuterId : n == "quantity" ? SQuantity : -1;
    case 10:
        return n == "properties" ? SProperties : -1;
    case 15:
        return n == "properties_name" ? SPropertiesName : -1;
    default:
        return -1;
    }
}

bool isNamed(const pugi::xml_node &node, std::string_view name)
{
    return node.type() == pugi::node_element && std::string_view(node.name()) == name;
}

// The fields of one element from its own attributes and its own child
// elements (in that order, the first of a name winning); elements further
// down belong to someone else.
template <int N, typename FieldOf> void readOwnFields(const pugi::xml_node &node, Fields<N> &f, FieldOf fieldOf,
                                                      std::string &buf)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const int i = fieldOf(std::string_view(a.name()));
        if (i >= 0)
            f.take(i, a.value());
    }
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        const int i = fieldOf(std::string_view(c.name()));
        if (i < 0 || f.found[i])
            continue;
        buf.clear();
        appendTextValue(c, buf);
        f.take(i, buf);
    }
}

SkuRecord decodeSku(const pugi::xml_node &node, const QList<QPair<QString, QString>> &aliases, bool easySku,
                    std::string &buf)
{
    Fields<SkuFieldCount> f;
    readOwnFields(node, f, skuFieldOf, buf);
    SkuRecord s;
    s.outerId = f.take(SOuterId);
    s.price = f.take(SPrice);
    s.properties = f.take(SProperties);
    s.propertiesName = f.take(SPropertiesName);
    s.quantity = f.take(SQuantity);
    s.skuId = f.take(SSkuId);
    s.color = SkuColor(s.propertiesName, aliases);
    s.sku = SkuSize(s.propertiesName, easySku);
    return s;
}

// One item element: its fields from its own children, its SKUs from the sku
// elements of its skus element (or sku children of its own), whatever the
// order of the elements.
void decodeItem(const pugi::xml_node &node, bool easySku, const std::function<void(const ItemRecord &)> &each,
                std::string &buf)
{
    Fields<ItemFieldCount> f;
    readOwnFields(node, f, itemFieldOf, buf);
    ItemRecord r;
    r.nick = f.take(INick);
    r.approveStatus = f.take(IApproveStatus);
    r.num = f.take(INum);
    r.numIid = f.take(INumIid);
    r.outerId = f.take(IOuterId);
    r.propertyAlias = f.take(IPropertyAlias);
    r.price = f.take(IPrice);
    r.propsName = f.take(IPropsName);
    r.isFenxiao = f.take(IIsFenxiao);
    if (r.isFenxiao.isEmpty())
        r.isFenxiao = QStringLiteral("0");
    r.title = f.take(ITitle);
    r.oldcode = ArticleNumber(r.propsName);
    r.aliases = AliasTable(r.propertyAlias);
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (isNamed(c, "skus")) {
            for (pugi::xml_node k = c.first_child(); k; k = k.next_sibling())
                if (isNamed(k, "sku"))
                    r.skus.append(decodeSku(k, r.aliases, easySku, buf));
        } else if (isNamed(c, "sku")) {
            r.skus.append(decodeSku(c, r.aliases, easySku, buf));
        }
    }
    each(r);
}

// Every item element of the document, in document order (an item inside an
// item is part of the outer one). Iterative: a deeply nested reply cannot
// exhaust the stack.
void decodeAllItems(const pugi::xml_node &root, bool easySku, const std::function<void(const ItemRecord &)> &each)
{
    std::string buf;
    pugi::xml_node n = root;
    while (n) {
        if (isNamed(n, "item")) {
            decodeItem(n, easySku, each, buf);
        } else if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        // the next node after n's subtree, without leaving root's
        while (n != root && !n.next_sibling())
            n = n.parent();
        if (n == root)
            break;
        n = n.next_sibling();
    }
}

} // namespace

namespace {

// Without leading and trailing characters of code 32 or less.
QStringView trimmed(QStringView v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && v.at(b).unicode() <= 32)
        ++b;
    while (e > b && v.at(e - 1).unicode() <= 32)
        --e;
    return v.mid(b, e - b);
}

// What follows the first marker up to the next ";" (or the end, as if ";"
// had been appended); empty when the marker does not occur.
QStringView valueAfter(QStringView text, QStringView marker)
{
    const qsizetype b = text.indexOf(marker);
    if (b < 0)
        return {};
    const qsizetype from = b + marker.size();
    qsizetype e = text.indexOf(QLatin1Char(';'), from);
    if (e < 0)
        e = text.size();
    return text.mid(from, e - from);
}

} // namespace

QString ItemSeparator()
{
    return QStringLiteral("item") + QString(kDashes, QLatin1Char('-'));
}

QString SkuSeparator()
{
    return QStringLiteral("sku") + QString(kDashes, QLatin1Char('-'));
}

QStringList XmlToLines(const QByteArray &utf8Reply)
{
    QStringList lines;
    pugi::xml_document doc;
    if (!loadReply(doc, utf8Reply))
        return lines;
    ListSink sink{lines, {}};
    walk(doc, sink);
    return lines;
}

QStringList XmlToLines(const QString &reply)
{
    return XmlToLines(reply.toUtf8());
}

QStringList SplitText(const QString &text, const QString &separator, int limit)
{
    QStringList pieces;
    if (separator.isEmpty()) {
        pieces.append(text);
        return pieces;
    }
    qsizetype start = 0;
    int cuts = 0;
    while (limit <= 0 || cuts < limit) {
        const qsizetype p = text.indexOf(separator, start);
        if (p < 0)
            break;
        pieces.append(text.mid(start, p - start));
        start = p + separator.size();
        ++cuts;
    }
    pieces.append(text.mid(start));
    return pieces;
}

qsizetype PosOfNth(int n, QChar ch, QStringView text)
{
    if (n <= 0)
        return 0;
    int seen = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == ch && ++seen == n)
            return i + 1;
    }
    return 0;
}

qsizetype CountOf(QStringView sub, QStringView text)
{
    if (sub.isEmpty())
        return 0;
    qsizetype count = 0;
    for (qsizetype p = text.indexOf(sub); p >= 0; p = text.indexOf(sub, p + sub.size()))
        ++count;
    return count;
}

QList<QPair<QString, QString>> AliasTable(const QString &propertyAlias)
{
    // The entries of property_alias, cut at ";" (as SplitText does).
    QList<QPair<QString, QString>> table;
    const QStringView all(propertyAlias);
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(QLatin1Char(';'), start);
        if (end < 0)
            end = all.size();
        const QStringView entry = all.mid(start, end - start);
        start = end + 1;
        if (entry.isEmpty())
            continue;
        const qsizetype p = PosOfNth(2, QLatin1Char(':'), entry);
        const QStringView key = p > 0 ? trimmed(entry.left(p - 1)) : QStringView();
        table.append({key.toString(), entry.mid(p).toString()});
    }
    return table;
}

QString ArticleNumber(const QString &propsName)
{
    // props_name with ";" appended, so that a last entry counts too.
    return valueAfter(propsName, u"货号:").toString();
}

QString SkuColor(const QString &propertiesName, const QList<QPair<QString, QString>> &aliases)
{
    // The property-id:value-id of the first property (propertiesName + ";").
    const qsizetype p = PosOfNth(2, QLatin1Char(':'), propertiesName);
    const QStringView key = p > 0 ? trimmed(QStringView(propertiesName).left(p - 1)) : QStringView();
    QString color = key.toString();
    if (!key.isEmpty()) {
        for (const auto &alias : aliases) {
            if (!alias.first.isEmpty() && key.compare(alias.first, Qt::CaseInsensitive) == 0) {
                color = alias.second;
                color.remove(QLatin1Char('\n'));
                break;
            }
        }
    }
    if (color.contains(QLatin1Char(':'))) {
        QStringView named = valueAfter(propertiesName, u"颜色分类:");
        if (named.isEmpty())
            named = valueAfter(propertiesName, u"颜色:");
        color = named.toString();
    }
    return color;
}

QString SkuSize(const QString &propertiesName, bool easySku)
{
    if (!easySku)
        return propertiesName;
    const qsizetype c = CountOf(u":", propertiesName);
    const qsizetype p = PosOfNth(int(c - 1), QLatin1Char(':'), propertiesName);
    return propertiesName.mid(p);
}

bool IsPlatformReply(const QByteArray &utf8Reply)
{
    pugi::xml_document doc;
    return loadReply(doc, utf8Reply) && holdsPlatformReply(doc);
}

bool IsPlatformReply(const QString &reply)
{
    QByteArray utf8 = reply.toUtf8();
    pugi::xml_document doc;
    return loadReplyInPlace(doc, utf8) && holdsPlatformReply(doc);
}

bool DecodeItems(const QByteArray &replyBytes, bool easySku,
                 const std::function<void(const ItemRecord &)> &each)
{
    const ReplyText text = DecodeReplyBody(replyBytes);
    return text.ok && DecodeItems(text.text, easySku, each);
}

bool DecodeItems(const QString &reply, bool easySku, const std::function<void(const ItemRecord &)> &each)
{
    QByteArray utf8 = reply.toUtf8(); // our own copy: parsed in place
    pugi::xml_document doc;
    if (!loadReplyInPlace(doc, utf8) || !holdsPlatformReply(doc))
        return false;
    decodeAllItems(doc.document_element(), easySku, each);
    return true;
}

QList<ItemRecord> DecodeItems(const QString &reply, bool easySku)
{
    QList<ItemRecord> records;
    DecodeItems(reply, easySku, [&records](const ItemRecord &r) { records.append(r); });
    return records;
}
