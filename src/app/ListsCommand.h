#pragma once

struct CommandContext;

// The download-source lists on the command line: "lists SUBCOMMAND ...",
// dispatched on the sub-word.
int RunLists(CommandContext &ctx);
