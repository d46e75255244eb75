#pragma once

#include "ReplyXml.h"

#include <QHash>
#include <QString>

namespace topsandbox {

// The parameters of one call by name (each sent once; an empty value counts
// as not sent).
class RequestParams
{
public:
    void insert(const QString &name, const QString &value) { m_values.insert(name, value); }
    bool contains(const QString &name) const { return m_values.contains(name); }

    // Sent with a value.
    bool has(const char *name) const { return !m_values.value(QLatin1String(name)).isEmpty(); }
    // As sent; "" when not sent.
    QString value(const char *name) const { return m_values.value(QLatin1String(name)); }

private:
    QHash<QString, QString> m_values;
};

// An id of the platform: a positive 64-bit number of at most 19 digits.
bool parseId(const QString &text, qint64 *id);
// A whole number, optionally negative, without a "+".
bool parseInt(const QString &text, qint64 *v);

} // namespace topsandbox
