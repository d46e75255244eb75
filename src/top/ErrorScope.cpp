#include "top/ErrorScope.h"

#include "top/TopClient.h"

ErrorScope ErrorScopeOf(int code, const QString &subCode)
{
    switch (code) {
    case 7:  // call limit
    case 11: // the app may not call the method
    case 12: // the session lacks the permission (short authorization)
    case 25: // signature
    case 26: // session missing
    case 27: // session invalid
    case 28: // session expired
    case 29: // app key
    case 53: // session expired (auth)
        return ErrorScope::Run;
    default:
        break;
    }
    const QString sub = subCode.trimmed().toLower();
    if (!sub.startsWith(QStringLiteral("isv.")))
        return ErrorScope::Run;
    // isv codes about the call or the authorization, not about the item
    for (const char *call : {"isv.missing-parameter", "isv.invalid-parameter:method", "isv.w2-security",
                             "isv.permission-api", "isv.invalid-session", "isv.session", "isv.appkey"})
        if (sub.startsWith(QLatin1String(call)))
            return ErrorScope::Run;
    return ErrorScope::Item;
}

ErrorScope ErrorScopeOf(const TopIntake &reply)
{
    if (reply.kind != TopIntake::Kind::ErrorReply)
        return ErrorScope::Run;
    return ErrorScopeOf(reply.code, reply.subCode);
}

bool SessionExpired(int code)
{
    return code == 27 || code == 53;
}
