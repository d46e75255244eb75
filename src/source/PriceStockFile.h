#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// Reading a price or stock file: its text, its lines and its values, before
// anything is stored. ParsePriceStockFile is the one entry point from the
// file's bytes; the import stores what it hands back, or nothing.

// The encodings a file is read in: UTF-16 (little or big endian) when it
// starts with that byte-order mark; otherwise valid UTF-8 (with or without
// its mark) or valid GB18030 (which reads every GBK file as GBK does), each
// as a whole. A file whose non-ASCII lines are partly UTF-8 and partly not
// (lines saved by different editors) is refused, although GB18030 would
// take such bytes: it would turn the UTF-8 lines into other characters.
struct DecodedListFile
{
    bool ok = false;
    QString text;      // without the byte-order mark
    QString encoding;  // "UTF-8", "UTF-16LE", "UTF-16BE" or "GB18030"
    int failedLine = 0; // 1-based line the refusal names, 0 when the whole file is meant
    QString error;
};
DecodedListFile DecodeListFile(const QByteArray &bytes);

// The lines of a text: CR LF, CR or LF ends a line. A text without a final
// line break still ends its last line; an empty text has no lines.
QStringList SplitListLines(const QString &text);

// True when the line holds nothing but characters up to code 32.
bool IsBlankListLine(const QString &line);

// Money the platform takes as a price: greater than 0, at most 100 000 000,
// at most two decimals; blanks around it are allowed. On success *value is the
// amount and the result empty; otherwise the result says what is wrong.
QString PriceValueProblem(const QString &text, double *value);
// A quantity: a whole number from 0 to 999 999 999, blanks around it allowed.
QString QuantityValueProblem(const QString &text, qint64 *value);

enum class ListFileKind { Price, Stock };

// One record of the file: its line number and the values to store, in the
// columns' order (texts as written, blanks kept; the price or quantity last
// as a number).
struct ListFileRecord
{
    int line = 0;
    QString text; // the line as written
    QVariantList values;
};

struct ParsedListFile
{
    bool ok = false;
    int lines = 0;                       // lines of the file, blank ones included
    std::vector<ListFileRecord> records; // one per non-blank line
    QString encoding;
    int failedLine = 0; // 1-based line that stopped it, 0 when none or the whole file
    QString failedText; // that line, shortened when long
    QString error;
};

// The file's bytes read as a price list (2 fields a line: main merchant code,
// price) or a stock list (6: main merchant code, colour, size, SKU merchant
// code, article number, quantity), without header and without quoting. The
// first line that cannot be read ends it with ok false and no records.
ParsedListFile ParsePriceStockFile(ListFileKind kind, const QByteArray &bytes);

// A line or value as a message quotes it: at most 60 characters, then "...".
QString ShortenedForMessage(const QString &text);
