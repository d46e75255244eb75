#pragma once

struct CommandContext;

// stocksync import-prices FILE [--append] / import-stock FILE [--append]:
// the CSV import of the price or stock list, all or nothing; 0, or 1 with
// the failing line named and the list unchanged.
int RunImportPrices(CommandContext &ctx);
int RunImportStock(CommandContext &ctx);
// stocksync prices show [--keyword K] [--missing] / stock show [--keyword K]:
// the list as CSV on standard output, the totals line on standard error.
int RunPrices(CommandContext &ctx);
int RunStock(CommandContext &ctx);
// stocksync merge-stock: merges duplicate stock rows in one transaction.
int RunMergeStock(CommandContext &ctx);
// stocksync report duplicates|stats|unmatched [--account NAME] [--key 0-8] ...:
// the duplicate-key, statistics and unmatched-key reports as CSV.
int RunReport(CommandContext &ctx);
