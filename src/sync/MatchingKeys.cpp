#include "sync/MatchingKeys.h"

#include <QStringList>

namespace {
struct Key
{
    const char *caption;
    const char *expression;
};
const Key kKeys[MatchingKeys::Count] = {
    {"主商家编码+颜色+SKU(尺码)", "outer_id||Color||Sku"},
    {"SKU商家编码", "outer_id_sku"},
    {"主商家编码+颜色+SKU(尺码)+SKU商家编码", "outer_id||Color||Sku||outer_id_sku"},
    {"主商家编码+SKU商家编码", "outer_id||outer_id_sku"},
    {"主商家编码+颜色+SKU商家编码", "outer_id||outer_id_sku||color"},
    {"主商家编码+SKU(尺码)", "outer_id||Sku"},
    {"货号+颜色+SKU(尺码)", "oldcode||color||sku"},
    {"货号+颜色", "oldcode||color"},
    {"货号+SKU(尺码)", "oldcode||sku"},
};
} // namespace

QStringList MatchingKeys::captions()
{
    QStringList out;
    for (const Key &k : kKeys)
        out.append(QString::fromUtf8(k.caption));
    return out;
}

QString MatchingKeys::caption(int index)
{
    return isValid(index) ? QString::fromUtf8(kKeys[index].caption) : QString();
}

QStringList MatchingKeys::columns(int index)
{
    if (!isValid(index))
        return {};
    return QString::fromLatin1(kKeys[index].expression).split(QStringLiteral("||"));
}

QString MatchingKeys::column(const QString &name, const QString &prefix, bool normalised)
{
    return normalised ? QString(QStringLiteral("normkey(") + prefix + name + QLatin1Char(')')) : QString(prefix + name);
}

QString MatchingKeys::expression(int index, const QString &prefix, bool normalised)
{
    if (!isValid(index))
        return {};
    QStringList parts = columns(index);
    for (QString &c : parts)
        c = column(c, prefix, normalised);
    return QStringLiteral("(") + parts.join(QStringLiteral("||")) + QStringLiteral(") collate nocase");
}

QString MatchingKeys::normalise(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        char16_t c = ch.unicode();
        if (c >= 0xFF01 && c <= 0xFF5E)
            c = static_cast<char16_t>(c - 0xFEE0); // full-width ASCII
        else if (c == 0x3000)
            c = u' '; // ideographic space
        out.append(QChar(c));
    }
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0xA0); };
    qsizetype b = 0;
    qsizetype e = out.size();
    while (b < e && blank(out.at(b)))
        ++b;
    while (e > b && blank(out.at(e - 1)))
        --e;
    return out.mid(b, e - b);
}
