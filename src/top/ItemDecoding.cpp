#include "top/ItemDecoding.h"

#include "store/TextRoutines.h"

#include <pugixml.hpp>

#include <cstring>
#include <string>

namespace {

constexpr int kDashes = 54;

bool isSkipped(const char *name)
{
    return std::strcmp(name, "CharData") == 0 || std::strcmp(name, "items_list_get_response") == 0
           || std::strcmp(name, "items") == 0 || std::strcmp(name, "list") == 0 || std::strcmp(name, "skus") == 0;
}

// The text value of an element: its text content, references decoded.
void appendTextValue(const pugi::xml_node &node, std::string &out)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            out += child.value();
    }
}

// Receives the lines of the walk.
template <typename Emit>
class Flattener : public pugi::xml_tree_walker
{
public:
    explicit Flattener(Emit &emit) : m_emit(emit) {}

    void element(const pugi::xml_node &node)
    {
        const char *name = node.name();
        if (!isSkipped(name)) {
            if (std::strcmp(name, "item") == 0 || std::strcmp(name, "sku") == 0) {
                m_line.assign(name);
                m_line.append(kDashes, '-');
            } else {
                m_line.assign("<");
                m_line += name;
                m_line += ">=";
                appendTextValue(node, m_line);
            }
            m_emit(m_line);
        }
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            if (isSkipped(a.name()))
                continue;
            m_line.assign("<");
            m_line += a.name();
            m_line += ">=";
            m_line += a.value();
            m_emit(m_line);
        }
    }

    bool for_each(pugi::xml_node &node) override
    {
        if (node.type() == pugi::node_element)
            element(node);
        return true;
    }

private:
    Emit &m_emit;
    std::string m_line;
};

bool loadReply(pugi::xml_document &doc, const QByteArray &utf8)
{
    if (utf8.isEmpty())
        return false;
    const pugi::xml_parse_result r = doc.load_buffer(utf8.constData(), size_t(utf8.size()), pugi::parse_default,
                                                     pugi::encoding_utf8);
    return r && doc.document_element();
}

template <typename Emit>
void walk(const pugi::xml_document &doc, Emit &emit)
{
    Flattener<Emit> f(emit);
    pugi::xml_node root = doc.document_element();
    f.element(root);
    root.traverse(f);
}

// The flattened text (CR LF after every line), straight from the document.
QString flattenedText(const QByteArray &utf8)
{
    pugi::xml_document doc;
    if (!loadReply(doc, utf8))
        return {};
    std::string text;
    text.reserve(size_t(utf8.size()));
    auto emit = [&text](const std::string &line) {
        text += line;
        text += "\r\n";
    };
    walk(doc, emit);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Lines end in CR LF; a line feed inside a value does not start a line.
bool atLineStart(QStringView text, qsizetype p)
{
    return p == 0 || (p >= 2 && text.at(p - 1) == QLatin1Char('\n') && text.at(p - 2) == QLatin1Char('\r'));
}

// Start of every line that is exactly the separator, in order.
QList<qsizetype> separatorLines(QStringView text, QStringView separatorLine)
{
    QList<qsizetype> at;
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = text.indexOf(separatorLine, from);
        if (p < 0)
            break;
        if (atLineStart(text, p))
            at.append(p);
        from = p + separatorLine.size();
    }
    return at;
}

// The pieces after each separator line, up to the next one.
QList<QStringView> piecesAfter(QStringView text, QStringView separatorLine, QStringView *head)
{
    const QList<qsizetype> at = separatorLines(text, separatorLine);
    QList<QStringView> pieces;
    pieces.reserve(at.size());
    if (head)
        *head = at.isEmpty() ? text : text.left(at.first());
    for (qsizetype i = 0; i < at.size(); ++i) {
        const qsizetype begin = at[i] + separatorLine.size();
        const qsizetype end = i + 1 < at.size() ? at[i + 1] : text.size();
        pieces.append(text.mid(begin, end - begin));
    }
    return pieces;
}

// The value of the first line of the piece that begins with marker
// ("<name>="), up to the line's CR; found tells whether there is such a line.
QString lineValue(QStringView piece, QStringView marker, bool *found = nullptr)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = piece.indexOf(marker, from);
        if (p < 0)
            break;
        if (atLineStart(piece, p)) {
            if (found)
                *found = true;
            const qsizetype v = p + marker.size();
            const qsizetype e = piece.indexOf(QLatin1Char('\r'), v);
            return e < 0 ? QString() : piece.mid(v, e - v).toString();
        }
        from = p + marker.size();
    }
    if (found)
        *found = false;
    return {};
}

void decodeText(QStringView text, bool easySku, const std::function<void(const ItemRecord &)> &each)
{
    if (text.isEmpty())
        return;
    const QString itemLine = ItemSeparator() + QStringLiteral("\r\n");
    const QString skuLine = SkuSeparator() + QStringLiteral("\r\n");
    const QList<QStringView> items = piecesAfter(text, itemLine, nullptr);
    for (const QStringView itemPiece : items) {
        QStringView own;
        const QList<QStringView> skus = piecesAfter(itemPiece, skuLine, &own);
        ItemRecord r;
        r.nick = lineValue(own, u"<nick>=");
        r.approveStatus = lineValue(own, u"<approve_status>=");
        r.num = lineValue(own, u"<num>=");
        r.numIid = lineValue(own, u"<num_iid>=");
        r.outerId = lineValue(own, u"<outer_id>=");
        r.propertyAlias = lineValue(own, u"<property_alias>=");
        r.price = lineValue(own, u"<price>=");
        r.propsName = lineValue(own, u"<props_name>=");
        r.isFenxiao = lineValue(own, u"<is_fenxiao>=");
        if (r.isFenxiao.isEmpty())
            r.isFenxiao = QStringLiteral("0");
        // The item's elements come in name order, so with SKUs the title
        // follows the skus element and lands in the last SKU piece.
        bool found = false;
        r.title = lineValue(own, u"<title>=", &found);
        if (!found && !skus.isEmpty())
            r.title = lineValue(skus.last(), u"<title>=");
        r.oldcode = ArticleNumber(r.propsName);
        r.aliases = AliasTable(r.propertyAlias);
        r.skus.reserve(skus.size());
        for (const QStringView skuPiece : skus) {
            SkuRecord s;
            s.outerId = lineValue(skuPiece, u"<outer_id>=");
            s.price = lineValue(skuPiece, u"<price>=");
            s.properties = lineValue(skuPiece, u"<properties>=");
            s.propertiesName = lineValue(skuPiece, u"<properties_name>=");
            s.quantity = lineValue(skuPiece, u"<quantity>=");
            s.skuId = lineValue(skuPiece, u"<sku_id>=");
            s.color = SkuColor(s.propertiesName, r.aliases);
            s.sku = SkuSize(s.propertiesName, easySku);
            r.skus.append(std::move(s));
        }
        each(r);
    }
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
    auto emit = [&lines](const std::string &line) {
        lines.append(QString::fromUtf8(line.data(), qsizetype(line.size())));
    };
    walk(doc, emit);
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
    QList<QPair<QString, QString>> table;
    const QStringList entries = SplitText(propertyAlias, QStringLiteral(";"));
    for (const QString &entry : entries) {
        if (entry.isEmpty())
            continue;
        const qsizetype p = PosOfNth(2, QLatin1Char(':'), entry);
        const QString key = p > 0 ? TrimText(entry.left(p - 1)) : QString();
        table.append({key, entry.mid(p)});
    }
    return table;
}

QString ArticleNumber(const QString &propsName)
{
    const QString s = propsName + QLatin1Char(';');
    const QStringView marker = u"货号:";
    const qsizetype b = s.indexOf(marker);
    if (b < 0)
        return {};
    const qsizetype from = b + marker.size();
    const qsizetype e = s.indexOf(QLatin1Char(';'), from);
    return e <= from ? QString() : s.mid(from, e - from);
}

QString SkuColor(const QString &propertiesName, const QList<QPair<QString, QString>> &aliases)
{
    const QString s = propertiesName + QLatin1Char(';');
    const qsizetype p = PosOfNth(2, QLatin1Char(':'), s);
    const QString key = p > 0 ? TrimText(s.left(p - 1)) : QString();
    QString color = key;
    if (!key.isEmpty()) {
        for (const auto &alias : aliases) {
            if (!alias.first.isEmpty() && QString::compare(alias.first, key, Qt::CaseInsensitive) == 0) {
                color = alias.second;
                color.remove(QLatin1Char('\n'));
                break;
            }
        }
    }
    if (color.contains(QLatin1Char(':'))) {
        auto between = [&s](QStringView marker) {
            const qsizetype b = s.indexOf(marker);
            if (b < 0)
                return QString();
            const qsizetype from = b + marker.size();
            const qsizetype e = s.indexOf(QLatin1Char(';'), from);
            return e <= from ? QString() : s.mid(from, e - from);
        };
        color = between(u"颜色分类:");
        if (color.isEmpty())
            color = between(u"颜色:");
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

void DecodeItems(const QByteArray &utf8Reply, bool easySku, const std::function<void(const ItemRecord &)> &each)
{
    const QString text = flattenedText(utf8Reply);
    decodeText(text, easySku, each);
}

void DecodeItems(const QString &reply, bool easySku, const std::function<void(const ItemRecord &)> &each)
{
    DecodeItems(reply.toUtf8(), easySku, each);
}

QList<ItemRecord> DecodeItems(const QString &reply, bool easySku)
{
    QList<ItemRecord> records;
    DecodeItems(reply, easySku, [&records](const ItemRecord &r) { records.append(r); });
    return records;
}
