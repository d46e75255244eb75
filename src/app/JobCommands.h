#pragma once

struct CommandContext;

// Jobs run from the command line, without any window: the same job classes
// the window uses, with the panels' captions written to the terminal and the
// questions not asked. Each returns 0 when the job completed.
int RunDownloadSource(CommandContext &ctx);
