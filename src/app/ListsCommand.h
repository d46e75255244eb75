#pragma once

struct CommandContext;

// The download-source lists on the command line, dispatched on the sub-word.
// stocksync lists show --source|--target [--group NAME]: the list as CSV on
// standard output (effective code, item id, title, status, nick, tick); exit
// 0, 1 for an unknown group or a database error, 2 for a malformed call.
// stocksync lists import-onsale --account NAME --group NAME: logs the account
// in with its stored password (as `login`), then the on-sale download into
// the target-list group NAME; exit 0 when it completed, 1 when the login or
// the download failed, 3 when the login needs a person, 2 for a malformed call.
// stocksync lists add-links: see RunListsAddLinks.
int RunLists(CommandContext &ctx);
