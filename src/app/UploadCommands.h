#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>

class Application;
struct CommandContext;
struct SyncSummary;

// stocksync journal [--since TIME]: the upload journal as CSV on standard
// output (UTF-8, RFC 4180 quoting), oldest first. 0, or 2 for a time that
// cannot be read.
int RunJournal(CommandContext &ctx);

// Logs the account in for a command; 0 when logged in, else the exit code.
using CycleLoginStep = std::function<int(Application &app, const QString &account)>;

// stocksync upload-quantity [--account NAME]: logs in, runs the difference
// query in the view "仅显示有库存差异的宝贝" with the stored settings and
// uploads the ticked rows. One line per uploaded row on standard output
// (account, item id, SKU id, title, colour, size, "before → after", tab
// separated), then a summary line. Exit 0 when the run completed (also when
// nothing differed), 1 after an error reply or exhausted retries (the rows
// not uploaded on standard error), 2 when the duplicate-key check refused the
// query.
int RunUploadQuantity(CommandContext &ctx, const CycleLoginStep &login);

// stocksync sync [--account NAME] [--json]: one cycle as the sync plan runs
// it (NM 101 source download, the difference query, NM 102 quantity upload),
// with upload-quantity's output and exit codes; --json prints one summary
// object instead.
int RunSync(CommandContext &ctx, const CycleLoginStep &login);

// One cycle on the account with the stored difference settings, run to its
// end on a local event loop: the given steps (download, upload), or NM
// 101/102 when none are given. The caller has logged the account in when
// the upload step may run.
SyncSummary RunSyncCycle(Application &app, const QString &account, std::optional<std::pair<bool, bool>> steps,
                         bool startedByPlan);

// The lines the two commands print for a summary (without --json).
QString SyncSummaryText(const SyncSummary &summary, bool withDownload);
