#include "top/ReplyText.h"

#include <QStringDecoder>

namespace {

bool isStrayControl(char16_t c)
{
    return c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
}

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == ':';
}

// The value of `key=` in text (quotes optional), lower case; empty when absent.
QString valueAfterKey(const QByteArray &text, const QByteArray &key)
{
    const QByteArray lower = text.toLower();
    qsizetype at = 0;
    while ((at = lower.indexOf(key, at)) >= 0) {
        qsizetype p = at + key.size();
        // the key must stand on its own ("xcharset=" is not "charset=")
        const bool own = at == 0 || !isNameChar(lower.at(at - 1));
        at = p;
        if (!own)
            continue;
        while (p < lower.size() && (lower.at(p) == ' ' || lower.at(p) == '\t'))
            ++p;
        if (p >= lower.size() || lower.at(p) != '=')
            continue;
        ++p;
        while (p < lower.size() && (lower.at(p) == ' ' || lower.at(p) == '\t'))
            ++p;
        char quote = 0;
        if (p < lower.size() && (lower.at(p) == '"' || lower.at(p) == '\'')) {
            quote = lower.at(p);
            ++p;
        }
        const qsizetype from = p;
        while (p < lower.size() && isNameChar(lower.at(p)))
            ++p;
        if (quote && (p >= lower.size() || lower.at(p) != quote))
            return {};
        return QString::fromLatin1(lower.mid(from, p - from));
    }
    return {};
}

QString decodeGb18030(const QByteArray &bytes, bool *ok)
{
    QStringDecoder gb("GB18030");
    if (!gb.isValid()) {
        *ok = false;
        return QString::fromLatin1(bytes);
    }
    QString text = gb.decode(bytes);
    *ok = !gb.hasError();
    return text;
}

QString decodeUtf8(const QByteArray &bytes, bool *ok)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    *ok = !utf8.hasError();
    return text;
}

bool isUtf8Name(const QString &name)
{
    return name == u"utf-8" || name == u"utf8";
}

} // namespace

bool HasControlCharacters(QStringView text)
{
    for (const QChar c : text)
        if (isStrayControl(c.unicode()))
            return true;
    return false;
}

QString WithoutControlCharacters(const QString &text)
{
    if (!HasControlCharacters(text))
        return text;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!isStrayControl(c.unicode()))
            out += c;
    return out;
}

QString ContentTypeCharset(const QString &contentType)
{
    return valueAfterKey(contentType.toLatin1(), "charset");
}

QString DeclaredXmlEncoding(const QByteArray &body)
{
    qsizetype start = body.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < body.size() && (body.at(start) == ' ' || body.at(start) == '\t' || body.at(start) == '\r' ||
                                   body.at(start) == '\n'))
        ++start;
    if (body.mid(start, 5) != "<?xml")
        return {};
    const qsizetype end = body.indexOf("?>", start);
    if (end < 0 || end - start > 256)
        return {};
    return valueAfterKey(body.mid(start + 5, end - start - 5), "encoding");
}

bool IsGbkCharset(const QString &name)
{
    return name == u"gbk" || name == u"gb2312" || name == u"gb18030" || name == u"cp936" || name == u"x-gbk" ||
           name == u"windows-936";
}

ReplyText DecodeReplyBody(const QByteArray &body, const QString &contentType)
{
    ReplyText r;
    const QString header = ContentTypeCharset(contentType);
    const QString declared = DeclaredXmlEncoding(body);
    const QString named = !header.isEmpty() ? header : declared;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    const QByteArray bytes = bom ? body.mid(3) : body;
    bool ok = true;
    if (!bom && IsGbkCharset(named)) {
        r.text = decodeGb18030(bytes, &ok);
        if (!ok)
            r.error = QStringLiteral("按 ") + named.toUpper() + QStringLiteral(" 编码无法读取");
    } else if (bom || named.isEmpty() || isUtf8Name(named) || named == u"us-ascii") {
        r.text = decodeUtf8(bytes, &ok);
        // a header that says UTF-8 over a body declared and written in GBK
        if (!ok && !bom && IsGbkCharset(declared)) {
            r.text = decodeGb18030(bytes, &ok);
            if (!ok)
                r.error = QStringLiteral("按 ") + declared.toUpper() + QStringLiteral(" 编码无法读取");
        } else if (!ok) {
            r.error = QStringLiteral("不是有效的 UTF-8 文本");
        }
    } else if (named == u"iso-8859-1" || named == u"latin1") {
        r.text = QString::fromLatin1(bytes);
    } else {
        ok = false;
        r.text = QString::fromUtf8(bytes);
        r.error = QStringLiteral("不支持的字符编码 ") + named;
    }
    r.ok = ok;
    r.text = WithoutControlCharacters(r.text);
    return r;
}
