// The three readers of a shop's search pages (link collection): any page, in
// any shop type, is read or refused with a message, and never crashes.
//
// The first byte picks the shop type; the rest is the page as it came (GBK,
// or UTF-8 when the byte after it is odd), decoded as the search does.

#include "base/Interaction.h"
#include "lists/ShopSearch.h"
#include "top/Endpoints.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

namespace {
ScriptedInteraction *ui = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    ui = new ScriptedInteraction;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int type = data[0] % 5;
    const bool utf8 = data[1] & 1;
    const QByteArray body(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    QString page;
    if (utf8) {
        page = QString::fromUtf8(body);
    } else {
        QStringDecoder gbk("GB18030");
        page = gbk.decode(body);
    }
    // no host is ever asked: the readers only arm the page timer, which never
    // runs here; the item pages are those of the stand-in on port 8765, where
    // the seed pages were taken
    static const TopEndpoints hosts = TopEndpoints::onSandbox(QStringLiteral("http://127.0.0.1:8765"));
    ShopSearch search(*ui, hosts);
    switch (type) {
    case ShopSearch::OldShop:
        search.ProcessURL_HTML_OLD(page);
        search.ProcessURL_HTML_OLD(page); // a second page of the same search
        break;
    case ShopSearch::TmallShop:
        search.ProcessURL_HTML2(page);
        search.ProcessURL_HTML2(page);
        break;
    default:
        search.ProcessURL_HTML(page);
        search.ProcessURL_HTML(page);
        break;
    }
    (void)search.links();
    search.stop();
    ui->clear();
    return 0;
}
