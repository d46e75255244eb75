#include "lists/MerchantCodes.h"

#include "base/TextRoutines.h"

QString EffectiveMerchantCode(const QString &outerId, const QString &outerId2)
{
    const QString own = TrimText(outerId2);
    QString code = own;
    if (own.isEmpty())
        code = TrimText(outerId);
    else if (own.compare(NoMerchantCodeMarker(), Qt::CaseInsensitive) == 0)
        code.clear();
    // never a null text: it is bound into statements as the empty text
    return code.isNull() ? QString(QLatin1String("")) : code;
}

QString EffectiveMerchantCodeSql(const QString &table)
{
    const QString p = table.isEmpty() ? QString() : table + QLatin1Char('.');
    // the columns compare without letter case, as "null" does in the rule above
    return QStringLiteral("(case when trim(%1outer_id2)='' then trim(%1outer_id) "
                          "when trim(%1outer_id2)='null' then '' else trim(%1outer_id2) end)")
        .arg(p);
}

QString GeneratedMerchantCode(qint64 uniqid)
{
    return QStringLiteral("OV") + QStringLiteral("%1").arg(uniqid, 10, 10, QLatin1Char('0'));
}

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('/') || c == QLatin1Char('_');
}

bool isCodeCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return isSeparator(c) || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

} // namespace

QString AutoProcessOuter_ID(const QString &title)
{
    QString code;
    bool started = false;
    for (qsizetype i = title.size() - 1; i >= 0; --i) {
        const QChar c = title.at(i);
        if (!isCodeCharacter(c)) {
            if (started)
                break;
            continue;
        }
        if (!started && isSeparator(c))
            continue;
        code.prepend(c);
        started = true;
    }
    return TrimText(code);
}
