#pragma once

#include <QString>
#include <QStringList>

// Shared text routines of the program.

// Every apostrophe doubled, for texts that are still built into SQL text.
// Values from users, files and the network are bound as parameters instead.
QString EscapeQuotes(const QString &text);

// The pieces between the occurrences of separator, in order, empty pieces
// included; a text without the separator is one piece, an empty text one empty piece.
QStringList SplitToList(const QString &text, const QString &separator);

// Removes leading and trailing characters whose code is 32 or less.
QString TrimText(const QString &text);

// True for a plain non-negative decimal: digits with at most one point that
// neither begins nor ends the text. No sign, blank, exponent or grouping.
bool IsNumericText(const QString &text);

// The program's version as four numbers joined by points (1.0.0.1), from the
// version compiled into the program; "0" when there is none.
QString GetVersionText();
// The same rule over a given version text (empty gives "0").
QString VersionTextFrom(const QString &compiledVersion);

// Text form of a money value: rounded to four decimals, trailing zeros and a
// trailing point dropped (12.50 -> "12.5", 30.00 -> "30").
QString MoneyText(double value);
// Rounds a money value to four decimals, as it is stored.
double RoundMoney(double value);

// Rounds half to the even neighbour (12.5 -> 12, 13.5 -> 14).
double RoundHalfEven(double value);
