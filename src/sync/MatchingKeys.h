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
    //
    // normalised (setting 120): every column goes through the connection's
    // normkey() first, which removes blanks at both ends and folds
    // full-width letters, digits and signs to half-width, so "J200 " pairs
    // with "J200" and "Ｔ１００" with "T100".
    static QString expression(int index, const QString &prefix = QString(), bool normalised = false);
    // One column of a key as it is compared: "a.outer_id" or "normkey(a.outer_id)".
    static QString column(const QString &name, const QString &prefix = QString(), bool normalised = false);
    // The columns of a key, in order ("outer_id", "Color", "Sku" for index 0).
    static QStringList columns(int index);
    // What normkey() makes of a text.
    static QString normalise(const QString &text);
    static bool isValid(int index) { return index >= 0 && index < Count; }
};
