#pragma once

#include <QString>
#include <functional>

class Application;
struct CommandContext;

// Logs the account in for a command (with the short authorization when
// asked for); 0 when logged in, else the exit code the command ends with.
using CommandLoginStep = std::function<int(Application &app, const QString &account, bool shortAuthorization)>;

// stocksync upload-price [--account NAME] [--base source|price]: the rows
// whose target price differs from the source (or price-list) price, one
// update each. delist / list [--account NAME]: the views "源已下架的宝贝" and
// "源未下架目标已下架的宝贝" with their ticks, one call per item. Each logs
// in first, prints one CSV line per change on standard output and a summary
// on standard error. Exit 0 completed (also with nothing to do), 1 after an
// error reply or a failure (the rows not done on standard error), 2 when the
// arguments are wrong or the duplicate-key check refuses the query.
int RunUploadPrice(CommandContext &ctx, const CommandLoginStep &login);
int RunDelist(CommandContext &ctx, const CommandLoginStep &login);
int RunList(CommandContext &ctx, const CommandLoginStep &login);

// stocksync warehouse download [--account NAME] [--q TEXT] [--page N]
// [--page-size N]: one page of the shop's warehouse into TB_Object_Inventory
// (logs in first). warehouse show [--account NAME]: the stored warehouse list
// as CSV on standard output.
int RunWarehouse(CommandContext &ctx, const CommandLoginStep &login);
