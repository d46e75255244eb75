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
//
// stocksync journal revert --cycle ID | --since TIME [--dry-run] [--force]
// [--account NAME]: puts the quantities and prices that the cycle's (or the
// time's) done journal rows of the account changed back to the values they
// found, as a run of its own (RevertRun). Standard output: the plan as CSV
// (account, item, SKU, title, kind, the shop's value now, the value after
// the run, the value to go back to, the action or why the row is skipped,
// the journal rows); with --dry-run nothing is sent. Exit 0 done, 1 failed
// or some rows refused, 2 malformed call or unknown cycle, 3 the login needs
// a person, 4 held by a guardrail (without --force).
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
