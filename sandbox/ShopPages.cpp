#include "ShopPages.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace topsandbox {

namespace {

// The form's fields; a later value of the same name wins.
QHash<QString, QByteArray> formFields(const QByteArray &query, const QByteArray &body)
{
    QHash<QString, QByteArray> fields;
    for (const QByteArray &part : query.split('&') + body.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        fields.insert(QString::fromLatin1(eq < 0 ? part : part.left(eq)), eq < 0 ? QByteArray() : part.mid(eq + 1));
    }
    return fields;
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray toGbk(const QString &html)
{
    QStringEncoder gbk("GB18030");
    return gbk.encode(html);
}

} // namespace

QString ShopPages::decodeGbk(const QByteArray &value)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value.at(i);
        if (c == '+') {
            bytes += ' ';
        } else if (c == '%' && i + 2 < value.size()) {
            bool ok = false;
            const int b = value.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes += char(b);
                i += 2;
            } else {
                bytes += c;
            }
        } else {
            bytes += c;
        }
    }
    QStringDecoder gbk("GB18030");
    return gbk.decode(bytes);
}

ShopPages::Reply ShopPages::handle(const QString &path, const QByteArray &query, const QByteArray &body) const
{
    // /shop/NICK/search.htm or /shop/NICK/
    const QStringList parts = path.split(QLatin1Char('/'));
    const QString nick = parts.value(2);
    const QString page = parts.value(3);
    const Shop *shop = m_model.shopByNick(nick);
    if (parts.value(1) != QStringLiteral("shop") || !shop || parts.size() > 4 ||
        (!page.isEmpty() && page != QStringLiteral("search.htm")))
        return {404, toGbk(QStringLiteral("<html><body>店铺不存在</body></html>"))};

    const QString head = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                        "charset=gbk\"><title>") +
                         esc(nick) + QStringLiteral("</title></head><body>\n<div class=\"shop-hd\">") + esc(nick) +
                         QStringLiteral("</div>\n");
    const QString style = shop->searchStyle;
    const bool old = style == QStringLiteral("old");
    if (style.isEmpty() || old != page.isEmpty())
        return {200, toGbk(head + QStringLiteral("<div class=\"shop-front\">欢迎光临本店</div>\n</body></html>"))};

    const auto fields = formFields(query, body);
    QString keyword = decodeGbk(fields.value(old ? QStringLiteral("searchWord") : QStringLiteral("keyword")));
    if (old && keyword == QStringLiteral("null"))
        keyword.clear();
    const QString pageField =
        (style == QStringLiteral("new") || style == QStringLiteral("tmall")) ? QStringLiteral("pageNo")
                                                                             : QStringLiteral("pageNum");
    QList<const Item *> found;
    for (const Item &it : shop->items)
        if (it.approveStatus == QStringLiteral("onsale") && it.title.contains(keyword, Qt::CaseInsensitive))
            found << &it;
    const int size = shop->searchPageSize;
    const int pages = qMax(1, int((found.size() + size - 1) / size));
    const int shownPages = shop->searchPagesShown > 0 ? shop->searchPagesShown : pages;
    int p = QString::fromLatin1(fields.value(pageField)).toInt();
    p = qBound(1, p, pages);
    const QList<const Item *> onPage = found.mid((p - 1) * size, size);
    const QString prefix = (shop->tmall ? m_bases.tmallItemPage : m_bases.taobaoItemPage) + QStringLiteral("?id=");
    const bool last = p >= shownPages;

    QString html = head;
    if (old) {
        html += QStringLiteral("<div class=\"search-bar\"><span>显示：</span><a class=\"list\">列表</a> (共 ") +
                QString::number(found.size()) + QStringLiteral(" 个宝贝)</div>\n<ul class=\"list-view\">\n");
        for (const Item *it : onPage)
            html += QStringLiteral("<li><a target=\"_blank\" href=\"") + prefix + QString::number(it->numIid) +
                    QStringLiteral("\">") + esc(it->title) + QStringLiteral("</a> <em>") + priceText(it->priceCents) +
                    QStringLiteral("</em></li>\n");
        html += QStringLiteral("</ul>\n<div class=\"page-bottom\">第 ") + QString::number(p) +
                QStringLiteral(" 页</div>\n</body></html>");
        return {200, toGbk(html)};
    }

    html += QStringLiteral("<div class=\"filter\"><a href=\"#\" class=\"J_TCollapse\">展开或者收缩</a></div>\n");
    if (style == QStringLiteral("tmall")) {
        if (found.isEmpty()) {
            html += QStringLiteral("<div class=\"no-result\">没找到符合条件的商品</div>\n"
                                   "<a class=\"disable\">下一页</a>\n</body></html>");
            return {200, toGbk(html)};
        }
        html += QStringLiteral("<div class=\"ui-page-s\"><b class=\"ui-page-s-len\">") + QString::number(p) +
                QLatin1Char('/') + QString::number(shownPages) + QStringLiteral("</b></div>\n<div class=\"J_TItems\">\n");
        for (const Item *it : onPage)
            html += QStringLiteral("<dl class=\"item\"><dd class=\"detail\"><a class=\"item-name\" href=\"") + prefix +
                    QString::number(it->numIid) + QStringLiteral("&amp;rn=s") + QString::number(p) +
                    QStringLiteral("\" target=\"_blank\">") + esc(it->title) + QStringLiteral("</a></dd></dl>\n");
        html += QStringLiteral("</div>\n");
    } else {
        html += QStringLiteral("<div class=\"search-result\">共搜索到<span> ") + QString::number(found.size()) +
                QStringLiteral(" </span>个符合条件的商品</div>\n<div class=\"pagination-mini\"><span class=\"page-info\">") +
                QString::number(p) + QLatin1Char('/') + QString::number(shownPages) +
                QStringLiteral("</span></div>\n<div class=\"shop-list\">\n");
        for (const Item *it : onPage) {
            const QString id = QString::number(it->numIid);
            if (style == QStringLiteral("new"))
                html += QStringLiteral("<dl class=\"item\"><dt class=\"photo\"><a href=\"") + prefix + id +
                        QStringLiteral("\" target=\"_blank\"><img alt=\"\"></a></dt><dd class=\"detail\">"
                                       "<a class=\"item-name\" href=\"") +
                        prefix + id + QStringLiteral("\" target=\"_blank\">") + esc(it->title) +
                        QStringLiteral("</a></dd></dl>\n");
            else // the picture and the title both link to the item
                html += QStringLiteral("<div class=\"item\"><a target=\"_blank\" href=\"") + prefix + id +
                        QStringLiteral("&amp;spm=pic\"><img alt=\"\"></a>\n<a target=\"_blank\" href=\"") + prefix + id +
                        QStringLiteral("&amp;spm=title\" class=\"item-name\">") + esc(it->title) +
                        QStringLiteral("</a></div>\n");
        }
        html += QStringLiteral("</div>\n");
    }
    if (style == QStringLiteral("grid"))
        html += QStringLiteral("<form id=\"J_Pagination\" action=\"search.htm\" method=\"post\">"
                               "<input type=\"hidden\" name=\"pageNum\"></form>\n");
    else if (last)
        html += QStringLiteral("<div class=\"pagination\"><a class=\"disable\">下一页</a></div>\n");
    else
        html += QStringLiteral("<div class=\"pagination\"><a href=\"#\" class=\"J_SearchAsync next\">下一页</a></div>\n");
    html += QStringLiteral("</body></html>");
    return {200, toGbk(html)};
}

} // namespace topsandbox
