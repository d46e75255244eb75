#pragma once

#include <QString>

// The merchant-code rules of the download-source lists (TB_URL), in one place.

// The effective merchant code of a list entry: its override outer_id2 when
// that is neither empty nor the marker "null"; empty when it is "null" (the
// seller declared that the item has no code); the shop's code outer_id when
// there is no override. Both values are trimmed first; the result is
// never a null text.
QString EffectiveMerchantCode(const QString &outerId, const QString &outerId2);

// The same rule as an SQL expression over the columns outer_id and outer_id2
// of the table (or alias) given, for statements that compare codes in use.
QString EffectiveMerchantCodeSql(const QString &table = QString());

// The marker of an entry declared to have no merchant code.
inline QString NoMerchantCodeMarker()
{
    return QStringLiteral("null");
}

// A generated code: "OV" and the entry's Uniqid written in ten digits with
// leading zeros (7 gives OV0000000007); a longer Uniqid is written in full.
QString GeneratedMerchantCode(qint64 uniqid);

// The merchant code at the end of a title: the last run of code characters
// (ASCII letters, digits, blank, "-", "/", "_") with its inner separators,
// trailing separators and any trailing other text skipped, trimmed.
// "新款连衣裙 AB-12" gives "AB-12", "连衣裙 AB12 (2012)" gives "2012",
// "纯中文标题" gives an empty code.
QString AutoProcessOuter_ID(const QString &title);
