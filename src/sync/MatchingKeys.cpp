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

QString MatchingKeys::expression(int index, const QString &prefix)
{
    if (!isValid(index))
        return {};
    QStringList columns = QString::fromLatin1(kKeys[index].expression).split(QStringLiteral("||"));
    for (QString &c : columns)
        c.prepend(prefix);
    return QStringLiteral("(") + columns.join(QStringLiteral("||")) + QStringLiteral(") collate nocase");
}
