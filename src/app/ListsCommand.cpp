#include "app/ListsCommand.h"

#include "app/CommandLine.h"
#include "app/ListLinksCommand.h"
#include "base/Interaction.h"

int RunLists(CommandContext &ctx)
{
    const QString sub = ctx.arguments.value(0);
    const QStringList rest = ctx.arguments.mid(1);
    if (sub == QStringLiteral("add-links"))
        return RunListsAddLinks(ctx, rest);
    ctx.ui.error(QStringLiteral("用法: lists add-links --source|--target [--group NAME] < 链接文件"));
    return 2;
}
