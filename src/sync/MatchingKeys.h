#pragma once

#include <QString>
#include <QStringList>

// The nine matching keys that pair a target SKU with a source SKU, by the
// index chosen in _Uniqid (_Parameter NM 9999).
class MatchingKeys
{
public:
    static constexpr int Count = 9;
    // Captions of the selector, in order.
    static QStringList captions();
    static QString caption(int index);
    // The key as a text expression over the columns of TB_Source or TB_Object
    // ("outer_id||Color||Sku" for index 0); empty for an index out of range.
    static QString expression(int index);
    static bool isValid(int index) { return index >= 0 && index < Count; }
};
