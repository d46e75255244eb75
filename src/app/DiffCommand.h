#pragma once

#include <QString>
#include <QStringList>

struct CommandContext;
class ListModel;

// stocksync diff: the difference query on the stored settings, each option
// overriding its setting for this run only; the list as CSV on standard
// output, the totals line on standard error. 0, or 2 when the duplicate-key
// check refuses the query (or the arguments are wrong).
int RunDiff(CommandContext &ctx);

// The list as CSV (UTF-8, RFC 4180 quoting, CRLF): a header of the column
// captions and "勾选", one line per row in list order.
QByteArray DifferenceCsv(const ListModel &model);
