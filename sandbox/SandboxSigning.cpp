#include "SandboxSigning.h"

#include <QCryptographicHash>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace topsandbox {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString decodeComponent(const QByteArray &in, bool *utf8Ok)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 2 < in.size() && hexValue(in[i + 1]) >= 0 && hexValue(in[i + 2]) >= 0) {
            out.append(char(hexValue(in[i + 1]) * 16 + hexValue(in[i + 2])));
            i += 2;
        } else {
            out.append(c); // a stray "%" stays as it is
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(out);
    if (utf8.hasError())
        *utf8Ok = false;
    return text;
}

} // namespace

Params decodeForm(const QByteArray &body, bool *utf8Ok)
{
    bool ok = true;
    Params params;
    for (const QByteArray &part : body.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        if (eq < 0)
            params.append({decodeComponent(part, &ok), QString()});
        else
            params.append({decodeComponent(part.first(eq), &ok), decodeComponent(part.sliced(eq + 1), &ok)});
    }
    if (utf8Ok)
        *utf8Ok = ok;
    return params;
}

QByteArray topSigningText(const Params &params, const QString &secret)
{
    QList<QPair<QByteArray, QByteArray>> kept;
    for (const auto &p : params)
        if (p.first != QStringLiteral("sign") && !p.second.isEmpty())
            kept.append({p.first.toUtf8(), p.second.toUtf8()});
    std::stable_sort(kept.begin(), kept.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QByteArray text = secret.toUtf8();
    for (const auto &p : kept)
        text += p.first + p.second;
    text += secret.toUtf8();
    return text;
}

QString topSignature(const Params &params, const QString &secret)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(topSigningText(params, secret), QCryptographicHash::Md5).toHex().toUpper());
}

QByteArray encodeForm(const Params &params)
{
    QByteArray body;
    for (const auto &p : params) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(p.first) + '=' + QUrl::toPercentEncoding(p.second);
    }
    return body;
}

} // namespace topsandbox
