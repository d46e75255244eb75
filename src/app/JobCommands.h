#pragma once

struct CommandContext;

// Jobs run from the command line, without any window: the same job classes
// the window uses, with the panels' captions written to the terminal and the
// questions not asked. Each returns 0 when the job completed.
int RunDownloadSource(CommandContext &ctx);
// download-target [--account NAME] [--no-outer-id]: by target configuration;
// the account is --account or the one last selected (NM 3).
int RunDownloadTarget(CommandContext &ctx);
