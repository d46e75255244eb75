#pragma once

#include <QString>
#include <QVariant>

// A text bound as a parameter. A null QString would bind as NULL, which the
// not-null text columns refuse and which no comparison matches; it binds as
// the empty text instead.
inline QVariant SqlText(const QString &text)
{
    return text.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(text);
}
