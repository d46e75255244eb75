#pragma once

#include <QString>

// The program's own application key pair, used unless the user has stored
// and switched on a pair of their own (_AppKey.bCheck).
inline QString BuiltinAppKey()
{
    return QStringLiteral("21770501");
}
inline QString BuiltinAppSecret()
{
    return QStringLiteral("5f3c9a1e7b2d4c6e8a0f1b3d5e7c9a2b");
}
