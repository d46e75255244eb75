#pragma once

#include "ReplyXml.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace topsandbox {

// The parameters of one call by name (each sent once; an empty value counts
// as not sent), and the readers every method reads them with.
//
// A reader gives the value, or std::nullopt when the call must be refused:
// a required parameter that was not sent is answered with 40 "Missing
// required arguments:NAME", a value that cannot be read or lies out of range
// with 41 "Invalid arguments:NAME". The first refusal of a call is kept:
// read what the platform checks in its order, then
//
//     if (p.failed())
//         return p.failure();
//
// The forms with `ifAbsent` read an optional parameter and give `ifAbsent`
// when it was not sent.
class RequestParams
{
public:
    void insert(const QString &name, const QString &value) { m_values.insert(name, value); }
    bool contains(const QString &name) const { return m_values.contains(name); }

    // Sent with a value.
    bool has(const char *name) const { return !m_values.value(QLatin1String(name)).isEmpty(); }
    // As sent; "" when not sent.
    QString value(const char *name) const { return m_values.value(QLatin1String(name)); }

    // Any text, as sent.
    std::optional<QString> text(const char *name);
    // A field list ("num_iid,title,sku"): the mask of ReplyXml.h, unknown names left out.
    std::optional<quint32> fields(const char *name);
    // An id of the platform (num_iid, sku_id): a positive 64-bit number of
    // at most 19 digits.
    std::optional<qint64> id(const char *name);
    std::optional<qint64> id(const char *name, qint64 ifAbsent);
    // Ids separated by commas (empty parts skipped): at least one, at most max.
    std::optional<QList<qint64>> idList(const char *name, int max);
    // Texts separated by commas, trimmed, each once: at most max of them.
    std::optional<QSet<QString>> textSet(const char *name, int max);
    // A whole number (a "-" but no "+") within [min, max].
    std::optional<qint64> integer(const char *name, qint64 min, qint64 max);
    std::optional<qint64> integer(const char *name, qint64 min, qint64 max, qint64 ifAbsent);
    // A price in yuan with at most two decimals ("12.5"), more than 0 and at
    // most 100000000.00; given in cents.
    std::optional<qint64> money(const char *name);
    std::optional<qint64> money(const char *name, qint64 ifAbsent);
    // A time "yyyy-MM-dd HH:mm:ss".
    std::optional<QDateTime> dateTime(const char *name, const QDateTime &ifAbsent);

    // Whether a reader refused, and the reply it refused with (the first one).
    bool failed() const { return m_failure.has_value(); }
    GatewayReply failure() const { return m_failure.value_or(GatewayReply()); }

private:
    template<typename T>
    std::optional<T> refuse(GatewayReply reply)
    {
        if (!m_failure)
            m_failure = std::move(reply);
        return std::nullopt;
    }

    QHash<QString, QString> m_values;
    std::optional<GatewayReply> m_failure;
};

} // namespace topsandbox
