// The reply intake with the item decoding: whatever bytes come back from the
// gateway, the intake and the decoders either read them or refuse them, and
// never crash, hang or read outside what they were given.
//
// The first line of an input may name a Content-Type ("Content-Type: ..."),
// as the HTTP component hands it over; the rest is the body.

#include "top/ItemDecoding.h"
#include "top/ReplyText.h"
#include "top/TopClient.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray body(reinterpret_cast<const char *>(data), qsizetype(size));
    QString contentType;
    if (body.startsWith("Content-Type: ")) {
        const qsizetype nl = body.indexOf('\n');
        if (nl > 0) {
            contentType = QString::fromLatin1(body.mid(14, nl - 14));
            body = body.mid(nl + 1);
        }
    }
    TopClient client;
    const TopIntake reply = client.intake(body, TopErrorPrefix::download(), false, contentType);
    if (reply.kind == TopIntake::Kind::ErrorReply)
        (void)ErrorReplyText(client.replyBuffer());
    if (reply.ok()) {
        qsizetype skus = 0;
        DecodeItems(client.replyBuffer(), true, [&skus](const ItemRecord &r) { skus += r.skus.size(); });
        DecodeItems(client.replyBuffer(), false, [&skus](const ItemRecord &r) { skus += r.skus.size(); });
        (void)XmlToLines(client.replyBuffer());
    }
    // the bytes path decodes as the intake does
    DecodeItems(body, true, [](const ItemRecord &) {});
    return 0;
}
