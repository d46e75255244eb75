#include "RequestParams.h"

#include <QStringList>

namespace topsandbox {

namespace {

bool parseId(const QString &text, qint64 *id)
{
    // An item id is a Number of the platform: a positive signed 64-bit
    // integer, so up to 19 digits (at most 9223372036854775807).
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 19)
        return false;
    for (QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    bool ok = false;
    *id = t.toLongLong(&ok);
    return ok && *id > 0;
}

bool parseInt(const QString &text, qint64 *v)
{
    bool ok = false;
    const QString t = text.trimmed();
    *v = t.toLongLong(&ok);
    return ok && !t.startsWith(QLatin1Char('+'));
}

const qint64 maxMoneyCents = 10000000000LL;

} // namespace

std::optional<QString> RequestParams::text(const char *name)
{
    if (!has(name))
        return refuse<QString>(missing(name));
    return value(name);
}

std::optional<quint32> RequestParams::fields(const char *name)
{
    if (!has(name))
        return refuse<quint32>(missing(name));
    return parseFields(value(name));
}

std::optional<qint64> RequestParams::id(const char *name)
{
    if (!has(name))
        return refuse<qint64>(missing(name));
    return id(name, 0);
}

std::optional<qint64> RequestParams::id(const char *name, qint64 ifAbsent)
{
    if (!has(name))
        return ifAbsent;
    qint64 v = 0;
    if (!parseId(value(name), &v))
        return refuse<qint64>(invalid(name));
    return v;
}

std::optional<QList<qint64>> RequestParams::idList(const char *name, int max)
{
    if (!has(name))
        return refuse<QList<qint64>>(missing(name));
    const QStringList parts = value(name).split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > max)
        return refuse<QList<qint64>>(invalid(name));
    QList<qint64> ids;
    ids.reserve(parts.size());
    for (const QString &t : parts) {
        qint64 v = 0;
        if (!parseId(t, &v))
            return refuse<QList<qint64>>(invalid(name));
        ids.append(v);
    }
    return ids;
}

std::optional<QSet<QString>> RequestParams::textSet(const char *name, int max)
{
    if (!has(name))
        return refuse<QSet<QString>>(missing(name));
    QSet<QString> set;
    for (const QString &t : value(name).split(QLatin1Char(','), Qt::SkipEmptyParts))
        set.insert(t.trimmed());
    if (set.size() > max)
        return refuse<QSet<QString>>(invalid(name));
    return set;
}

std::optional<qint64> RequestParams::integer(const char *name, qint64 min, qint64 max)
{
    if (!has(name))
        return refuse<qint64>(missing(name));
    return integer(name, min, max, 0);
}

std::optional<qint64> RequestParams::integer(const char *name, qint64 min, qint64 max, qint64 ifAbsent)
{
    if (!has(name))
        return ifAbsent;
    qint64 v = 0;
    if (!parseInt(value(name), &v) || v < min || v > max)
        return refuse<qint64>(invalid(name));
    return v;
}

std::optional<qint64> RequestParams::money(const char *name)
{
    if (!has(name))
        return refuse<qint64>(missing(name));
    return money(name, 0);
}

std::optional<qint64> RequestParams::money(const char *name, qint64 ifAbsent)
{
    if (!has(name))
        return ifAbsent;
    qint64 cents = 0;
    if (!parsePrice(value(name), &cents) || cents > maxMoneyCents)
        return refuse<qint64>(invalid(name));
    return cents;
}

std::optional<QDateTime> RequestParams::dateTime(const char *name, const QDateTime &ifAbsent)
{
    if (!has(name))
        return ifAbsent;
    const QDateTime t = parseTime(value(name));
    if (!t.isValid())
        return refuse<QDateTime>(invalid(name));
    return t;
}

} // namespace topsandbox
