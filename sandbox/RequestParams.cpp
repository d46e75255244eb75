#include "RequestParams.h"

namespace topsandbox {

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

} // namespace topsandbox
