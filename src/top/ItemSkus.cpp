#include "top/ItemSkus.h"

#include <QRegularExpression>
#include <pugixml.hpp>

namespace {

QString childText(const pugi::xml_node &node, const char *name)
{
    return QString::fromUtf8(node.child(name).text().get()).trimmed();
}

bool wholeNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,19}$"));
    return digits.match(text).hasMatch();
}

bool decimalNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,12}(\\.[0-9]{1,4})?$"));
    return number.match(text).hasMatch();
}

} // namespace

TopRequest taobao_item_skus_get(const QString &numIid)
{
    return {QStringLiteral("taobao.item.skus.get"),
            {{QStringLiteral("fields"), QStringLiteral("sku_id,num_iid,properties_name,quantity,price,outer_id")},
             {QStringLiteral("num_iids"), numIid}},
            TopRequest::Session::Never,
            QStringLiteral("读取宝贝SKU失败.\r\n错误原因: ")};
}

bool DecodeItemSkus(const QString &reply, QList<ItemSku> *skus, QString *error)
{
    skus->clear();
    const QByteArray utf8 = reply.toUtf8();
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed =
        doc.load_buffer(utf8.constData(), size_t(utf8.size()), pugi::parse_default, pugi::encoding_utf8);
    const pugi::xml_node root = doc.document_element();
    if (!parsed || std::string_view(root.name()) != "item_skus_get_response") {
        *error = QStringLiteral("回复不是宝贝SKU列表 (没有 item_skus_get_response).");
        return false;
    }
    QList<ItemSku> read;
    for (pugi::xml_node list = root.child("skus"); list; list = list.next_sibling("skus")) {
        for (pugi::xml_node node = list.child("sku"); node; node = node.next_sibling("sku")) {
            ItemSku s{childText(node, "sku_id"),   childText(node, "num_iid"), childText(node, "properties_name"),
                      childText(node, "quantity"), childText(node, "price"),   childText(node, "outer_id")};
            const int n = static_cast<int>(read.size()) + 1;
            if (!wholeNumber(s.skuId) || !wholeNumber(s.quantity) || !decimalNumber(s.price)) {
                *error = QStringLiteral("第 %1 个SKU的 sku_id, quantity 或 price 无法识别 (%2, %3, %4).")
                             .arg(n)
                             .arg(s.skuId, s.quantity, s.price);
                return false;
            }
            read.append(s);
        }
    }
    *skus = read;
    return true;
}
