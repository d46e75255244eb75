#pragma once

#include "SandboxModel.h"

#include <QByteArray>
#include <QString>

// The shops' own search pages, as the marketplace's web site serves them,
// for the program's link collection. A shop's page style comes from its
// fixture ("search_pages": {"style": ..., "page_size": N, "pages_shown": N}):
//
//   grid   POST /shop/NICK/search.htm   keyword=K[&pageNum=P]   result page, links
//          <a target="_blank" href="ITEMPAGE?id=ID&amp;...">, two per item
//   new    POST /shop/NICK/search.htm   keyword=K[&pageNo=P]    result page, links
//          <a class="item-name" href="ITEMPAGE?id=ID">
//   old    POST /shop/NICK/             searchWord=K|null&pageNum=P  "(共 N 个宝贝)", 20 a page
//   tmall  POST /shop/NICK/search.htm   keyword=K[&pageNo=P]    <b class="ui-page-s-len">P/N</b>,
//          links href="ITEMPAGE?id=ID&amp;..."; without a match the element is missing
//
// Any other shop gets its front page, which has none of the markers. The
// keyword comes percent-encoded in GBK ("+" for a blank, GET or POST) and
// matches the on-sale items whose titles contain it (ASCII case ignored,
// every other character exactly). A page number beyond the last page shows
// the last page. Pages are sent in GBK. Item links point at the Taobao item
// page, those of a Tmall shop at the Tmall item page.
//
// Not thread-safe: the caller holds the model's lock.
namespace topsandbox {

struct ShopPageBases
{
    QString taobaoItemPage; // "http://127.0.0.1:PORT/item.htm"
    QString tmallItemPage;  // "http://127.0.0.6:PORT/item.htm"
    QString taobaoShops;    // where the Taobao shops' pages are: "http://127.0.0.5:PORT"
    QString tmallShops;     // the Tmall shops': "http://127.0.0.6:PORT"
};

class ShopPages
{
public:
    explicit ShopPages(ShopModel &model) : m_model(model) {}

    void setBases(const ShopPageBases &bases) { m_bases = bases; }
    const ShopPageBases &bases() const { return m_bases; }

    struct Reply
    {
        int status = 200;
        QByteArray html; // GBK
    };
    // path: "/shop/NICK/search.htm" or "/shop/NICK/"; query and body as sent.
    Reply handle(const QString &path, const QByteArray &query, const QByteArray &body) const;

    // Decodes one form value: "+" is a blank, %XX a byte, the bytes GBK (GB18030).
    static QString decodeGbk(const QByteArray &value);

private:
    ShopModel &m_model;
    ShopPageBases m_bases;
};

} // namespace topsandbox
