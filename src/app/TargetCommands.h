#pragma once

struct CommandContext;

// stocksync targets show [--account NAME] [--keyword K]: the account's
// downloaded target rows (TB_Object) as CSV on standard output, UTF-8, with
// the target item browser's columns; the keyword searches as the browser's
// search box does. The account is --account or the one last selected.
int RunTargetsShow(CommandContext &ctx);
