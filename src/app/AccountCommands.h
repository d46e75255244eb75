#pragma once

#include <QString>

class QTextStream;
struct CommandContext;

// stocksync accounts add NAME [--remark TEXT] | list | remove NAME.
// The password of "add" is one line of standard input, never an argument.
// "list" writes one line per account: the member name, a tab and the remark
// (its line breaks as blanks); never a password. 0 done, 1 refused or
// failed (the reason shown), 2 wrong arguments.
int RunAccounts(CommandContext &ctx);
// The same with the password read from input and the list written to output.
int RunAccounts(CommandContext &ctx, QTextStream &input, QTextStream &output);

QString AccountsUsage();
