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
    // ("(outer_id||Color||Sku) collate nocase" for index 0); empty for an
    // index out of range. Keys compare like their columns, without regard to
    // the case of ASCII letters: a concatenation would lose the columns'
    // collation, so the expression carries it. prefix ("s." for example)
    // goes before every column.
    static QString expression(int index, const QString &prefix = QString());
    static bool isValid(int index) { return index >= 0 && index < Count; }
};
