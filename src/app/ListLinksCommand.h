#pragma once

#include <QStringList>

class QIODevice;

struct CommandContext;

// lists add-links --source|--target [--group NAME]: item page addresses from
// standard input, one a line, checked and stored as the link-collection
// dialog does. Exit 0 when stored, 1 (the bad lines named, nothing stored)
// when a line is not an item link or the group does not exist, 2 for a
// malformed call. The lines come from input, or from standard input when it is null.
int RunListsAddLinks(CommandContext &ctx, const QStringList &arguments, QIODevice *input = nullptr);
